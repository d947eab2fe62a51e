package TORNEL.server;

/** A NativeProcess class that lacks the int field m_nPID. */
public class NativeProcess {
    static {
        System.loadLibrary("spawnlib");
    }

    public long m_nPIDs;

    public native void start(String commandLine, String directory);

    public native void waitFor();

    public native void destroy();
}
