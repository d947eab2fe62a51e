package TORNEL.server;

/** The Java side of spawnlib: a native process whose id lives in m_nPID. */
public class NativeProcess {
    static {
        System.loadLibrary("spawnlib");
    }

    public int m_nPID;

    public native void start(String commandLine, String directory);

    public native void waitFor();

    public native void destroy();
}
