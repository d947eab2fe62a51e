// libspawnlib.so loaded by a real TORNEL.server.NativeProcess class on the
// installed JDK. Each test runs the Java driver (SpawnDriver) with a script
// of operations under -Xcheck:jni and checks what it printed and what the
// started processes left behind. KelvoThroughSpawnlib starts the engine
// the way the Java server does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

struct JavaRun {
  int status = -1;
  std::vector<std::string> lines;  // standard output and error, merged

  bool has(const std::string& line) const { return std::find(lines.begin(), lines.end(), line) != lines.end(); }
  std::string value(const std::string& key) const {
    for (const std::string& l : lines) {
      if (l.rfind(key + "=", 0) == 0) return l.substr(key.size() + 1);
    }
    return "<no " + key + ">";
  }
  std::string text() const {
    std::string t;
    for (const std::string& l : lines) t += l + "\n";
    return t;
  }
};

std::string read_file(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class SpawnlibInJava : public ::testing::Test {
 protected:
  fs::path root;    // scratch directory of this test
  fs::path caller;  // the JVM's current directory
  fs::path work;    // the directory given to start

  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = fs::path(SCRATCH_DIR) / (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(root);
    fs::create_directories(root / "caller");
    fs::create_directories(root / "work");
    caller = fs::canonical(root / "caller");
    work = fs::canonical(root / "work");
  }

  // Runs the driver with the given operations; with_field=false puts the
  // NativeProcess class without m_nPID first on the class path. The JVM
  // inherits one extra open descriptor, which no child may inherit.
  JavaRun run(const std::vector<std::string>& ops, bool with_field = true) {
    std::vector<std::string> args = {JAVA_BIN,
                                     "-Xcheck:jni",
                                     "-Xshare:auto",
                                     "-XX:TieredStopAtLevel=1",
                                     "-XX:+UseSerialGC",
                                     "-Djava.library.path=" SPAWNLIB_DIR,
                                     "-cp",
                                     with_field ? JAVA_CLASSES : JAVA_CLASSES_NOFIELD ":" JAVA_CLASSES,
                                     "SpawnDriver"};
    args.insert(args.end(), ops.begin(), ops.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    JavaRun result;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return result;
    const int inheritable = open("/dev/zero", O_RDONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, out[1], 2);
    posix_spawn_file_actions_addchdir_np(&actions, caller.c_str());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(inheritable);
    if (rc != 0) {
      close(out[0]);
      ADD_FAILURE() << "cannot run " << JAVA_BIN << ": " << strerror(rc);
      return result;
    }
    // Read to the end: a child that kept the JVM's output pipe would hold
    // this up until it ended.
    std::string all;
    char buf[4096];
    for (ssize_t n; (n = read(out[0], buf, sizeof buf)) != 0;) {
      if (n < 0) {
        if (errno == EINTR) continue;
        break;
      }
      all.append(buf, static_cast<size_t>(n));
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::istringstream lines(all);
    for (std::string l; std::getline(lines, l);) result.lines.push_back(l);
    EXPECT_EQ(result.status, 0) << result.text();
    for (const std::string& l : result.lines) {
      EXPECT_EQ(l.find("WARNING"), std::string::npos) << "JNI check: " << l;
    }
    return result;
  }
};

TEST_F(SpawnlibInJava, StartsTheChildHiddenInItsOwnSessionAtIdlePriorityInTheGivenDirectory) {
  const JavaRun r = run({"holdfd", "/dev/zero", "start", "sleep 30", work.string(), "pid", "inspect", "destroy",
                         "alive"});
  const std::string pid = r.value("pid");
  ASSERT_GT(std::stoi(pid), 0) << r.text();
  EXPECT_EQ(r.value("session"), pid) << r.text();
  EXPECT_EQ(r.value("nice"), "19");
  EXPECT_EQ(r.value("cwd"), work.string());
  EXPECT_EQ(r.value("fds"), "0->/dev/null,1->/dev/null,2->/dev/null");
  EXPECT_TRUE(r.has("destroyed"));
  EXPECT_EQ(r.value("alive"), "false");
}

TEST_F(SpawnlibInJava, WaitForReturnsWhenTheChildHasEnded) {
  const std::string done = (work / "done.txt").string();
  const JavaRun r = run({"start", "sh -c \"pwd > where.txt; sleep 0.2; echo done > done.txt\"", work.string(), "wait",
                         "exists", done});
  EXPECT_TRUE(r.has("waited")) << r.text();
  EXPECT_EQ(r.value("exists " + done), "true");
  EXPECT_EQ(read_file(work / "where.txt"), work.string() + "\n");
}

TEST_F(SpawnlibInJava, WaitForAndDestroyOnAnEndedChildReturnAtOnce) {
  const JavaRun r = run({"start", "true", work.string(), "wait", "wait", "destroy", "pid"});
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "waited"), 2) << r.text();
  EXPECT_TRUE(r.has("destroyed"));
  EXPECT_GT(std::stoi(r.value("pid")), 0);
}

TEST_F(SpawnlibInJava, DestroyEndsAChildThatAnotherThreadIsWaitingFor) {
  const JavaRun r = run({"start", "sleep 30", work.string(), "waitthread", "destroy", "join", "alive"});
  EXPECT_TRUE(r.has("destroyed")) << r.text();
  EXPECT_TRUE(r.has("joined"));
  EXPECT_EQ(r.value("alive"), "false");
}

TEST_F(SpawnlibInJava, ProcessThatCannotBeCreatedLeavesZero) {
  const JavaRun r = run({"setpid", "99", "start", "/nonexistent/program -x", work.string(), "pid", "setpid", "99",
                         "start", "true", (work / "missing").string(), "pid", "setpid", "99", "start", "@null",
                         work.string(), "pid", "wait", "destroy"});
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "pid=0"), 3) << r.text();
  EXPECT_EQ(std::count_if(r.lines.begin(), r.lines.end(),
                          [](const std::string& l) { return l.rfind("Couldn't start the process", 0) == 0; }),
            3);
  EXPECT_TRUE(r.has("waited"));
  EXPECT_TRUE(r.has("destroyed"));
}

TEST_F(SpawnlibInJava, NullDirectoryMeansTheCallersDirectory) {
  const JavaRun r = run({"start", "sh -c \"pwd > where.txt\"", "@null", "wait"});
  EXPECT_TRUE(r.has("waited")) << r.text();
  EXPECT_EQ(read_file(caller / "where.txt"), caller.string() + "\n");
}

TEST_F(SpawnlibInJava, ClassWithoutTheFieldPrintsTheLineAndTheProcessStillRuns) {
  const std::string ran = (work / "ran.txt").string();
  const JavaRun r = run({"start", "sh -c \"echo ran > ran.txt\"", work.string(), "awaitfile", ran, "wait", "destroy",
                         "pid"},
                        false);
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "Couldn't get the field ID for m_nPID"), 1) << r.text();
  // start, waitFor and destroy each leave the JVM's own NoSuchFieldError.
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "exception=java.lang.NoSuchFieldError"), 3);
  EXPECT_EQ(r.value("found " + ran), "true");
  EXPECT_EQ(r.value("pid"), "none");
}

TEST_F(SpawnlibInJava, NonPositiveIdsAndOtherProcessesAreLeftAlone) {
  // A process of this test: it exists, but is no child of the JVM.
  pid_t other = 0;
  char sleep_arg[] = "sleep";
  char thirty[] = "30";
  char* argv[] = {sleep_arg, thirty, nullptr};
  ASSERT_EQ(posix_spawnp(&other, "sleep", nullptr, nullptr, argv, environ), 0);
  // A running child of the JVM shows what such an id would reach: waiting
  // for -1 would reap it, kill(-1) would end it. It is destroyed at the end.
  const JavaRun r = run({"start", "sleep 30", work.string(), "savepid", "setpid", "0", "wait", "destroy", "setpid",
                         "-1", "wait", "destroy", "setpid", std::to_string(other), "wait", "destroy", "restorepid",
                         "alive", "destroy", "alive"});
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "waited"), 3) << r.text();
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), "destroyed"), 4);
  const auto alive = std::find(r.lines.begin(), r.lines.end(), "alive=true");
  EXPECT_NE(alive, r.lines.end()) << "the JVM's child was ended";
  EXPECT_NE(std::find(alive, r.lines.end(), "alive=false"), r.lines.end()) << "destroy did not end the child";
  EXPECT_EQ(waitpid(other, nullptr, WNOHANG), 0) << "the other process was ended";
  kill(other, SIGKILL);
  waitpid(other, nullptr, 0);
}

// The engine started as the Java server starts it: hidden, in a scratch
// directory with its work files, then waited for. A run-time limit of 0
// must stop it with the message in the model's ERR file.
TEST_F(SpawnlibInJava, KelvoThroughSpawnlibReportsAnIllegalTimeLimit) {
  std::ofstream(work / "zwxyq.jav") << "MOD1.TXT\n      0\n";
  std::ofstream(work / "MOD1.TXT") << "       SIMULATE\n       GENERATE 10\n       TERMINATE 1\n       START 1\n       END\n";
  const JavaRun r = run({"start", "\"" KELVO_BINARY "\"", work.string(), "pid", "wait"});
  EXPECT_GT(std::stoi(r.value("pid")), 0) << r.text();
  EXPECT_TRUE(r.has("waited"));
  ASSERT_TRUE(fs::exists(work / "MOD1.ERR")) << "no MOD1.ERR";
  std::vector<std::string> err;
  std::istringstream in(read_file(work / "MOD1.ERR"));
  for (std::string l; std::getline(in, l);) err.push_back(l.substr(0, l.find_last_not_of(' ') + 1));
  EXPECT_NE(std::find(err.begin(), err.end(), " Illegal time in ZWXYQ.JAV"), err.end()) << read_file(work / "MOD1.ERR");
}

}  // namespace
