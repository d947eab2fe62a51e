import TORNEL.server.NativeProcess;

import java.io.FileInputStream;
import java.lang.reflect.Field;
import java.nio.file.Files;
import java.nio.file.Path;
import java.nio.file.Paths;
import java.util.ArrayList;
import java.util.List;
import java.util.stream.Collectors;
import java.util.stream.Stream;

/**
 * Runs a script of operations on one NativeProcess object and prints one
 * "key=value" line per observation, for the C++ test to check.
 *
 *   start CMD DIR    start(CMD, DIR); "@null" passes null
 *   pid              pid=<m_nPID> (or pid=none when the class lacks it)
 *   setpid N         m_nPID = N
 *   savepid          remembers m_nPID; restorepid puts it back
 *   wait / destroy   waitFor() / destroy(), then waited / destroyed
 *   waitthread       waitFor() on a second thread; join waits for it
 *   inspect          session, nice, cwd and descriptors of the child
 *   alive            alive=<whether /proc/<m_nPID> exists>
 *   exists F         exists F=<bool>
 *   awaitfile F      waits (up to 20 s) until F exists; found F=<bool>
 *   holdfd F         keeps F open for reading (an inheritable descriptor)
 * A Throwable from an operation prints exception=<class name>.
 */
public class SpawnDriver {
    private static final NativeProcess proc = new NativeProcess();
    private static final List<Object> held = new ArrayList<>();
    private static Thread waiter;
    private static int savedPid;

    private static void say(String line) {
        System.out.println(line);
        System.out.flush();
    }

    private static Field pidField() {
        try {
            Field f = NativeProcess.class.getDeclaredField("m_nPID");
            f.setAccessible(true);
            return f;
        } catch (NoSuchFieldException e) {
            return null;
        }
    }

    private static String pidText() throws Exception {
        Field f = pidField();
        return f == null ? "none" : Integer.toString(f.getInt(proc));
    }

    private static String arg(String s) {
        return s.equals("@null") ? null : s;
    }

    private static void inspect() throws Exception {
        String pid = pidText();
        Path proc = Paths.get("/proc", pid);
        String stat = Files.readString(proc.resolve("stat"));
        String[] f = stat.substring(stat.lastIndexOf(')') + 2).trim().split(" +");
        say("session=" + f[3]);
        say("nice=" + f[16]);
        say("cwd=" + Files.readSymbolicLink(proc.resolve("cwd")));
        // Right after exec the child's dynamic loader briefly holds
        // descriptors of its own: wait (up to 5 s) until only 0, 1 and 2
        // are left; an inherited descriptor never goes.
        List<String> list = List.of();
        for (int attempt = 0; attempt < 500; attempt++) {
            try (Stream<Path> fds = Files.list(proc.resolve("fd"))) {
                list = fds.map(p -> {
                    try {
                        return p.getFileName() + "->" + Files.readSymbolicLink(p);
                    } catch (Exception e) {
                        return null;  // closed meanwhile
                    }
                }).filter(e -> e != null).sorted().collect(Collectors.toList());
            }
            if (list.stream().allMatch(e -> Integer.parseInt(e.substring(0, e.indexOf('-'))) <= 2)) {
                break;
            }
            Thread.sleep(10);
        }
        say("fds=" + String.join(",", list));
    }

    public static void main(String[] args) throws Exception {
        int i = 0;
        while (i < args.length) {
            String op = args[i++];
            try {
                switch (op) {
                    case "start": {
                        String cmd = arg(args[i++]);
                        String dir = arg(args[i++]);
                        proc.start(cmd, dir);
                        say("started");
                        break;
                    }
                    case "pid":
                        say("pid=" + pidText());
                        break;
                    case "setpid":
                        pidField().setInt(proc, Integer.parseInt(args[i++]));
                        break;
                    case "savepid":
                        savedPid = pidField().getInt(proc);
                        break;
                    case "restorepid":
                        pidField().setInt(proc, savedPid);
                        break;
                    case "wait":
                        proc.waitFor();
                        say("waited");
                        break;
                    case "destroy":
                        proc.destroy();
                        say("destroyed");
                        break;
                    case "waitthread":
                        waiter = new Thread(() -> {
                            try {
                                proc.waitFor();
                            } catch (Throwable t) {
                                say("exception=" + t.getClass().getName());
                            }
                        });
                        waiter.start();
                        break;
                    case "join":
                        waiter.join();
                        say("joined");
                        break;
                    case "inspect":
                        inspect();
                        break;
                    case "alive":
                        say("alive=" + Files.exists(Paths.get("/proc", pidText())));
                        break;
                    case "exists": {
                        String f = args[i++];
                        say("exists " + f + "=" + Files.exists(Paths.get(f)));
                        break;
                    }
                    case "awaitfile": {
                        String f = args[i++];
                        boolean found = false;
                        for (int n = 0; n < 400 && !(found = Files.exists(Paths.get(f))); n++) {
                            Thread.sleep(50);
                        }
                        say("found " + f + "=" + found);
                        break;
                    }
                    case "holdfd":
                        held.add(new FileInputStream(args[i++]));
                        break;
                    default:
                        say("unknown operation " + op);
                        System.exit(2);
                }
            } catch (Throwable t) {
                say("exception=" + t.getClass().getName());
            }
        }
    }
}
