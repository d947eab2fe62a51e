package launchtest;

import java.io.File;
import java.nio.file.Files;
import java.nio.file.Path;

/** A small server for the launcher tests; its arguments say what to do. */
public class TestServer {
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
    Files.writeString(Path.of(System.getProperty("user.dir"), "report.txt"), report.toString());

    for (String a : args) {
      if (a.startsWith("out=")) System.out.println(a.substring(4));
      if (a.startsWith("err=")) System.err.println(a.substring(4));
      if (a.equals("throw")) throw new IllegalStateException("boom from main");
      if (a.startsWith("exit=")) System.exit(Integer.parseInt(a.substring(5)));
      if (a.equals("wait-release")) {
        Files.writeString(Path.of("started.txt"), "started\n");
        for (int i = 0; i < 6000 && !new File("release.txt").exists(); i++) Thread.sleep(10);
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
