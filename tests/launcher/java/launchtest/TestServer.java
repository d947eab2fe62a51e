package launchtest;

import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;

/** A small server for the launcher tests; its arguments say what to do. */
public class TestServer {
  private static volatile boolean stopRequested = false;

  public static void main(String[] args) throws Exception {
    StringBuilder report = new StringBuilder();
    report.append("argc=").append(args.length).append('\n');
    for (String a : args) report.append("arg=[").append(a).append("]\n");
    String[] props = {"user.dir", "wendle.exe.path", "java.class.path", "wendle.csidl.appdata",
        "wendle.csidl.local.appdata", "wendle.csidl.personal", "wendle.service.name"};
    for (String p : props) report.append(p).append('=').append(System.getProperty(p)).append('\n');
    Path stat = Path.of("/proc/self/stat");
    if (Files.exists(stat)) {
      String text = Files.readString(stat);
      String[] fields = text.substring(text.lastIndexOf(')') + 2).split(" ");
      report.append("nice=").append(fields[16]).append('\n');
    }
    for (String entry : System.getProperty("java.class.path").split(File.pathSeparator)) {
      Path p = Path.of(entry);
      if (Files.isRegularFile(p)) {
        report.append("cpfile=").append(entry).append('|').append(Files.size(p)).append('|')
            .append(Files.getLastModifiedTime(p).toMillis()).append('\n');
      }
    }
    // The service's stop call runs while the first call still serves.
    boolean stopCall = java.util.Arrays.asList(args).contains("stop");
    String reportName = stopCall ? "stop-report.txt" : "report.txt";
    Files.writeString(Path.of(System.getProperty("user.dir"), reportName), report.toString());

    for (String a : args) {
      if (a.startsWith("out=")) System.out.println(a.substring(4));
      if (a.startsWith("err=")) System.err.println(a.substring(4));
      if (a.equals("throw")) throw new IllegalStateException("boom from main");
      if (a.startsWith("exit=")) System.exit(Integer.parseInt(a.substring(5)));
      if (a.equals("wait-release")) {
        Files.writeString(Path.of("started.txt"), "started\n");
        for (int i = 0; i < 6000 && !new File("release.txt").exists(); i++) Thread.sleep(10);
      }
      if (a.equals("stop")) {
        Files.writeString(Path.of("stops.txt"), "stop\n", java.nio.file.StandardOpenOption.CREATE,
            java.nio.file.StandardOpenOption.APPEND);
        stopRequested = true;
      }
      if (a.equals("serve") || a.equals("deaf")) {
        Files.writeString(Path.of("started.txt"), "started\n");
        boolean deaf = a.equals("deaf");
        for (int i = 0; i < 12000 && (deaf || !stopRequested) && !new File("release.txt").exists(); i++) {
          Thread.sleep(10);
        }
      }
      if (a.equals("thread")) {
        Thread t = new Thread(() -> {
          try {
            Thread.sleep(200);
            Files.writeString(Path.of("thread-done.txt"), "done\n");
          } catch (Exception e) {
            throw new RuntimeException(e);
          }
        });
        t.start();
      }
    }
  }
}
