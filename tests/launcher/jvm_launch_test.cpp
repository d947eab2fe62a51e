// End-to-end tests of srvlaunch with the real Java runtime: a copy of the
// launcher in <root>/bin with its string resources in a side file, the
// test server's classes in <root>/server, and messages captured through
// SRVLAUNCH_MESSAGE_LOG.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <sstream>
#include <optional>
#include <string>
#include <vector>

#include "core/embedded_jars.h"
#include "core/launcher_config.h"
#include "text/command_line.h"
#include "test_support.h"

namespace {

using launcher_test::fs::path;
namespace fs = launcher_test::fs;
using launcher_test::ReadFile;
using launcher_test::RunResult;
using launcher_test::WriteFile;

const path kLibJvm = path(SRVLAUNCH_JDK_HOME) / "lib" / "server" / "libjvm.so";

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out.push_back(c);
  }
  return out;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Waits (at most a minute) until `done` holds; false when it never did.
template <typename Done>
bool Eventually(Done done) {
  for (int i = 0; i < 6000; ++i) {
    if (done()) return true;
    ::usleep(10000);
  }
  return done();
}

std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class LauncherTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = scratch_.Path();
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "tmp");
    fs::create_directories(root_ / "sim");
    fs::create_directories(root_ / "server");
    fs::copy(path(SRVLAUNCH_TEST_CLASSES), root_ / "server", fs::copy_options::recursive);
    fs::copy_file(path(SRVLAUNCH_BINARY), Exe());
    strings_ = {
        {1200, srvlaunch::EncipherConfigValue("launchtest.TestServer")},
        {1184, "..\\server"},
        {1120, "0"},
        {1040, kLibJvm.string()},
        {1072, "."},
        {1056, "-XX:-UsePerfData -XX:+UseSerialGC -XX:TieredStopAtLevel=1 -Xss1m"},
        {1504, "0"},
    };
    env_ = {
        {"TMPDIR", (root_ / "tmp").string()},
        {"SRVLAUNCH_MESSAGE_LOG", (root_ / "messages.log").string()},
        {"SRVLAUNCH_SIM_ROOT", (root_ / "sim").string()},
        {"JAVA_HOME", std::nullopt},
    };
  }

  path Exe() const { return root_ / "bin" / "srvlaunch"; }

  void WriteStrings() {
    std::string text;
    for (const auto& [id, value] : strings_) text += std::to_string(id) + "\t" + Escape(value) + "\n";
    WriteFile(root_ / "bin" / "srvlaunch.strings", text);
  }

  RunResult Launch(const std::vector<std::string>& args) {
    WriteStrings();
    return launcher_test::Run(Exe(), args, env_, root_);
  }

  std::string Messages() const { return ReadFile(root_ / "messages.log"); }
  std::string Report() const { return ReadFile(root_ / "server" / "report.txt"); }
  bool Ran() const { return fs::exists(root_ / "server" / "report.txt"); }

  void WriteIni(const std::string& body) {
    strings_[1232] = "launcher.ini";
    WriteFile(root_ / "bin" / "launcher.ini", "[Application Configuration]\n" + body);
  }

  void WriteRegistry(const std::string& body) { WriteFile(root_ / "sim" / "registry.txt", body); }
  std::string Registry() const { return ReadFile(root_ / "sim" / "registry.txt"); }
  std::string EventLog() const { return ReadFile(root_ / "sim" / "eventlog" / "Application.log"); }

  launcher_test::ScratchDir scratch_;
  path root_;
  std::map<unsigned, std::string> strings_;
  std::map<std::string, std::optional<std::string>> env_;
};

// ---- main call: arguments and system properties ----

// Static options (1568) come first, then the command line or, when it is
// empty, the application options (1216); an empty argument replaces them,
// and a service option without a service name is a plain argument.
TEST_F(LauncherTree, MainGetsStaticOptionsThenCommandLineOrAppOptions) {
  const struct {
    const char* static_options;
    const char* app_options;
    std::vector<std::string> args;
    const char* report;
  } cases[] = {
      {"x", "y", {"a", "b c"}, "argc=3\narg=[x]\narg=[a]\narg=[b c]\n"},
      {"x", "y \"z w\"", {}, "argc=3\narg=[x]\narg=[y]\narg=[z w]\n"},
      {"", "y", {""}, "argc=1\narg=[]\n"},
      {"", "", {"-install"}, "argc=1\narg=[-install]\n"},
  };
  for (const auto& c : cases) {
    strings_[1568] = c.static_options;
    strings_[1216] = c.app_options;
    const RunResult r = Launch(c.args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(Report(), c.report)) << Report();
  }
}

TEST_F(LauncherTree, SystemPropertiesAndClassPathWithDirectory) {
  strings_[1072] = "lib;.";
  // A valid, empty archive.
  WriteFile(root_ / "server" / "lib" / "a.jar", std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  WriteFile(root_ / "server" / "lib" / "notes.txt", "not an archive");
  env_["HOME"] = (root_ / "home").string();
  env_["XDG_CONFIG_HOME"] = (root_ / "config").string();
  env_["XDG_DATA_HOME"] = std::nullopt;
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string report = Report();
  EXPECT_TRUE(Contains(report, "user.dir=" + fs::canonical(root_ / "server").string() + "\n")) << report;
  EXPECT_TRUE(Contains(report, "wendle.csidl.appdata=" + (root_ / "config").string() + "\n")) << report;
  EXPECT_TRUE(Contains(report, "wendle.csidl.local.appdata=" + (root_ / "home/.local/share").string() + "\n"))
      << report;
  EXPECT_TRUE(Contains(report, "wendle.csidl.personal=" + (root_ / "home").string() + "\n")) << report;
  EXPECT_TRUE(Contains(report, "wendle.exe.path=" + fs::canonical(Exe()).string() + "\n")) << report;
  EXPECT_TRUE(Contains(report, "java.class.path=lib:lib/a.jar:.\n")) << report;
  EXPECT_TRUE(Contains(report, "wendle.service.name=null\n")) << report;
}

TEST_F(LauncherTree, StartupDirectoryWhenTheWorkingDirectoryComesLate) {
  strings_[1264] = "0";  // working_dir_first
  strings_[1248] = "1";  // use_startup_dir
  strings_[1072] = "..\\server";  // the virtual machine starts in bin/
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err << Messages();
  const std::string report = ReadFile(root_ / "report.txt");
  EXPECT_TRUE(Contains(report, "user.dir=" + fs::canonical(root_).string() + "\n")) << report;
}

int OwnNice() {
  const std::string stat = ReadFile("/proc/self/stat");
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 0; i <= 16; ++i) fields >> field;
  return std::stoi(field);
}

TEST_F(LauncherTree, PriorityIndexSetsTheProcessPriority) {
  strings_[1520] = "5";  // idle
  Launch({});
  EXPECT_TRUE(Contains(Report(), "nice=19\n")) << Report();
}

TEST_F(LauncherTree, PriorityIndexOutOfRangeChangesNothing) {
  const std::string expected = "nice=" + std::to_string(OwnNice()) + "\n";
  strings_[1520] = "6";
  Launch({});
  EXPECT_TRUE(Contains(Report(), expected)) << Report();
  strings_[1520] = "-1";
  Launch({});
  EXPECT_TRUE(Contains(Report(), expected)) << Report();
}

TEST_F(LauncherTree, CleanupWordWithItsIdStartsNoJavaWithMoreArgumentsGoesToMain) {
  const RunResult cleanup = Launch({"-wdremovetemporaryjarfiles", "12345"});
  EXPECT_EQ(cleanup.status, 0);
  EXPECT_FALSE(Ran());
  const RunResult r = Launch({"-wdremovetemporaryjarfiles", "1", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(Report(), "argc=3\narg=[-wdremovetemporaryjarfiles]\narg=[1]\narg=[2]\n"));
}

TEST_F(LauncherTree, NonDaemonThreadFinishesBeforeTheLauncherEnds) {
  const RunResult r = Launch({"thread"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(root_ / "server" / "thread-done.txt"), "done\n");
}

TEST_F(LauncherTree, SystemExitCodeBecomesTheExitStatus) {
  const RunResult r = Launch({"exit=7"});
  EXPECT_EQ(r.status, 7) << r.err;
  EXPECT_TRUE(Ran());
  EXPECT_EQ(Messages(), "");
}

// ---- output routing ----

TEST_F(LauncherTree, IniFilesReceiveJavaOutputCreatedAnew) {
  WriteIni("StdOutFile = out.txt\nStdErrFile=err.txt\n");
  WriteFile(root_ / "server" / "out.txt", "old content that must go\nmore old content\n");
  const RunResult r = Launch({"out=hello out", "err=hello err"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(root_ / "server" / "out.txt"), "hello out\n");
  EXPECT_EQ(ReadFile(root_ / "server" / "err.txt"), "hello err\n");
  EXPECT_FALSE(Contains(r.out, "hello"));
}

TEST_F(LauncherTree, EqualFileNamesShareOneStream) {
  WriteIni("StdOutFile=both.txt\nStdErrFile=both.txt\n");
  const RunResult r = Launch({"out=first line", "err=second line", "out=third line"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(root_ / "server" / "both.txt"), "first line\nsecond line\nthird line\n");
}

TEST_F(LauncherTree, ShowConsoleSendsJavaOutputToTheLaunchersOutput) {
  WriteIni("StdOutFile=out.txt\nShowConsole=1\n");
  const RunResult r = Launch({"out=to the console", "err=errors too"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "to the console\n")) << r.out;
  EXPECT_TRUE(Contains(r.out, "errors too\n")) << r.out;
  EXPECT_FALSE(fs::exists(root_ / "server" / "out.txt"));
}

TEST_F(LauncherTree, ShowConsoleWithTrailingBlankIsFalse) {
  WriteIni("ShowConsole=\"1 \"\n");
  const RunResult r = Launch({"out=into the pipe"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_FALSE(Contains(r.out, "into the pipe"));
  EXPECT_TRUE(Ran());
}

TEST_F(LauncherTree, PipeThatCannotBeCreatedLeavesJavaOutputWhereItIs) {
  // No temporary directory: neither the pipe nor the instance lock can be made.
  env_["TMPDIR"] = (root_ / "no-such-dir").string();
  const RunResult r = Launch({"out=straight to stdout", "err=straight to stderr"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(r.out, "straight to stdout\n")) << r.out;
  EXPECT_TRUE(Contains(r.err, "straight to stderr\n")) << r.err;
  EXPECT_EQ(Messages(), "");
}

TEST_F(LauncherTree, MissingMainClassShowsJavaExceptionFromThePipe) {
  strings_[1200] = srvlaunch::EncipherConfigValue("no.such.Main");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  const std::string m = Messages();
  EXPECT_TRUE(Contains(m, "Error: Error locating class: no/such/Main\n\nDetails:\n")) << m;
  EXPECT_TRUE(Contains(m, "java.lang.NoClassDefFoundError: no/such/Main")) << m;
  // The pipe is gone when the launcher has ended.
  for (const auto& entry : fs::directory_iterator(root_ / "tmp")) {
    EXPECT_FALSE(Contains(entry.path().filename().string(), "srvlaunch-pipe-")) << entry.path();
  }
}

TEST_F(LauncherTree, ExceptionInMainIsAFatalErrorWithDetails) {
  const RunResult r = Launch({"out=before the fault", "throw"});
  EXPECT_EQ(r.status, 255);
  const std::string m = Messages();
  EXPECT_TRUE(Contains(m, "Error: Error invoking method: main(java/lang/String[])\n\nDetails:\n")) << m;
  EXPECT_TRUE(Contains(m, "before the fault\n")) << m;
  EXPECT_TRUE(Contains(m, "IllegalStateException: boom from main")) << m;
}

TEST_F(LauncherTree, MissingMainClassWithoutCaptureIsAPlainError) {
  strings_[1200] = srvlaunch::EncipherConfigValue("no.such.Main");
  strings_[1408] = "0";
  strings_[1424] = "0";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(Messages(), "Error: Error locating class: no/such/Main\n");
}

TEST_F(LauncherTree, InvalidJvmOptionReachesTheDetails) {
  strings_[1056] = "-XX:-UsePerfData -Xno-such-option";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  const std::string m = Messages();
  EXPECT_TRUE(Contains(m, "Error: Unable to create JVM instance using " + kLibJvm.string() + "\n\nDetails:\n"))
      << m;
  EXPECT_TRUE(Contains(m, "-Xno-such-option")) << m;
}

// ---- runtime discovery ----

TEST_F(LauncherTree, JavaHomeMethodShowsItsCandidate) {
  strings_[1120] = "9x5";
  env_["JAVA_HOME"] = std::string("\"") + SRVLAUNCH_JDK_HOME + "\"";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(Messages(), "Information: " + kLibJvm.string() + "\n");
  EXPECT_TRUE(Ran());
}

TEST_F(LauncherTree, NoRuntimeFound) {
  strings_[1040] = "..\\jre\\bin\\client\\jvm.dll;;/no/such/libjvm.so";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(Messages(), "Error: Unable to locate suitable Java Runtime Environment on this machine.\n");
  EXPECT_FALSE(Ran());
}

TEST_F(LauncherTree, RegistryVersionTooOldIsRefused) {
  strings_[1120] = "1";
  WriteRegistry("Software\\JavaSoft\\Java Runtime Environment\tCurrentVersion\tREG_SZ\t1.5\n"
                "Software\\JavaSoft\\Java Runtime Environment\\1.5\tRuntimeLib\tREG_SZ\t" +
                kLibJvm.string() + "\n");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(Messages(), "Error: Unable to locate suitable Java Runtime Environment on this machine.\n");
}

TEST_F(LauncherTree, RegistryVersionFoundByEnumeration) {
  strings_[1120] = "1";
  WriteRegistry("Software\\JavaSoft\\Java Runtime Environment\tCurrentVersion\tREG_SZ\t1.5\n"
                "Software\\JavaSoft\\Java Runtime Environment\\1.5\tRuntimeLib\tREG_SZ\t" +
                kLibJvm.string() + "\n" +
                "SOFTWARE\\JAVASOFT\\JAVA RUNTIME ENVIRONMENT\\1.6.0_03\tRuntimeLib\tREG_SZ\t" +
                kLibJvm.string() + "\n");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err << Messages();
  EXPECT_TRUE(Ran());
}

TEST_F(LauncherTree, RegistryFallsBackToJavaHomeAndThePathList) {
  strings_[1120] = "1";
  strings_[1040] = "lib\\server\\libjvm.so";
  WriteRegistry("Software\\JavaSoft\\Java Runtime Environment\\1.6\tRuntimeLib\tREG_SZ\t/no/such/libjvm.so\n"
                "Software\\JavaSoft\\Java Runtime Environment\\1.6\tJavaHome\tREG_SZ\t" SRVLAUNCH_JDK_HOME
                "\n");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err << Messages();
  EXPECT_TRUE(Ran());
}

TEST_F(LauncherTree, RegistryFallsBackToTheJdkSubPath) {
  strings_[1120] = "3";
  strings_.erase(1040);
  strings_[1056] = "-XX:-UsePerfData -Dregistry.home=%JAVA_HOME%";
  WriteRegistry("Software\\JavaSoft\\Java Development Kit\\1.7\tJavaHome\tREG_EXPAND_SZ\t" SRVLAUNCH_JDK_HOME
                "\n");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err << Messages();
  EXPECT_TRUE(Ran());
}

// ---- single instance and modes ----

TEST_F(LauncherTree, SecondInstanceIsRefused) {
  WriteStrings();
  const int first = launcher_test::Spawn(Exe(), {"wait-release"}, env_, root_, root_ / "first.log");
  for (int i = 0; i < 6000 && !fs::exists(root_ / "server" / "started.txt"); ++i) {
    ::usleep(10000);
  }
  ASSERT_TRUE(fs::exists(root_ / "server" / "started.txt"));
  const RunResult second = launcher_test::Run(Exe(), {"second"}, env_, root_);
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(Messages(), "Error: An instance of this program is already running.\n");

  strings_[1392] = "1";  // allow_multiple_instances
  const RunResult third = Launch({"third"});
  EXPECT_EQ(third.status, 0) << third.err;
  EXPECT_TRUE(Contains(Report(), "arg=[third]"));

  WriteFile(root_ / "server" / "release.txt", "go\n");
  EXPECT_EQ(launcher_test::Wait(first), 0);
}

TEST_F(LauncherTree, ServiceOnlyRefusesTheWindowedStart) {
  strings_[1280] = "OrvaneSvc";
  strings_[1552] = "1";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(Messages(), "Information: This program can only be run as a service.\n");
  EXPECT_FALSE(Ran());
}

TEST_F(LauncherTree, MissingWorkingDirectoryIsReported) {
  strings_[1184] = "..\\nowhere";
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 255);
  EXPECT_TRUE(Contains(Messages(), "Error: Error accessing file/directory: ..\\nowhere\n\nReason: ")) << Messages();
}

// ---- service ----

// A service installed with its name, description and start type on the
// command line; main serves until the stop call (`stop`) comes.
class ServiceTree : public LauncherTree {
 protected:
  void SetUp() override {
    LauncherTree::SetUp();
    strings_[1280] = "Configured";
    strings_[1584] = "1";
    strings_[1312] = "serve";
    strings_[1328] = "stop";
  }
  void Install() {
    const RunResult r = Launch({"-install", "OrvaneSvc", "Orvane test server", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(Messages(), "Information: Service installed: OrvaneSvc\n");
  }
  // The command the manager starts: the stored ImagePath.
  int StartService() {
    WriteStrings();
    std::string image;
    for (const std::string& line : LinesOf(Registry())) {
      const std::string prefix = "SYSTEM\\CurrentControlSet\\Services\\OrvaneSvc\tImagePath\tREG_EXPAND_SZ\t";
      if (line.rfind(prefix, 0) == 0) image = line.substr(prefix.size());
    }
    std::vector<std::string> args = srvlaunch::SplitCommandLine(image, false);
    EXPECT_FALSE(args.empty()) << Registry();
    const path program = args.empty() ? Exe() : path(args[0]);
    if (!args.empty()) args.erase(args.begin());
    return launcher_test::Spawn(program, args, env_, root_, root_ / "service.log");
  }
  void SendControl(int control) {
    const path fifo = root_ / "sim" / "services" / "OrvaneSvc.control";
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << fifo;
    const std::string line = std::to_string(control) + "\n";
    EXPECT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
    ::close(fd);
  }
  std::vector<std::string> Status() const {
    return LinesOf(ReadFile(root_ / "sim" / "services" / "OrvaneSvc.status"));
  }
  bool Started() const { return fs::exists(root_ / "server" / "started.txt"); }
};

TEST_F(ServiceTree, InstallWithArgumentsStoresTheServiceAndRefusesASecondInstall) {
  Install();
  const std::string r = Registry();
  const std::string key = "SYSTEM\\CurrentControlSet\\Services\\OrvaneSvc";
  EXPECT_TRUE(Contains(r, key + "\tImagePath\tREG_EXPAND_SZ\t\"" + fs::canonical(Exe()).string() +
                              "\" -startlauncherinservicemode \"OrvaneSvc\" \"Orvane test server\" 0\n"))
      << r;
  EXPECT_TRUE(Contains(r, key + "\tStart\tREG_DWORD\t3\n")) << r;
  EXPECT_TRUE(Contains(r, key + "\tDescription\tREG_EXPAND_SZ\tOrvane test server\n")) << r;
  EXPECT_TRUE(Contains(r, key.substr(0, key.size() - 9) + "EventLog\\Application\\OrvaneSvc\tEventMessageFile")) << r;

  const RunResult again = Launch({"-install", "OrvaneSvc", "Orvane test server", "0"});
  EXPECT_EQ(again.status, 0);
  EXPECT_EQ(Registry(), r);
  const RunResult removed = Launch({"-uninstall", "OrvaneSvc"});
  EXPECT_EQ(removed.status, 0);
  EXPECT_EQ(Messages(),
            "Information: Service installed: OrvaneSvc\n"
            "Error: Service is already installed: OrvaneSvc\n"
            "Information: Service uninstalled: OrvaneSvc\n");
  EXPECT_FALSE(Ran());
}

// Both ways of stopping: main called again with the stop arguments, and
// System.exit(0).
class ServiceStop : public ServiceTree, public ::testing::WithParamInterface<bool> {};

TEST_P(ServiceStop, StopIsReportedPendingThenStopped) {
  const bool by_system_exit = GetParam();
  strings_[1344] = by_system_exit ? "1" : "0";
  Install();
  const int pid = StartService();
  ASSERT_TRUE(Eventually([this] { return Started(); })) << ReadFile(root_ / "service.log");
  // Running was reported before the virtual machine started main.
  EXPECT_EQ(Status(), (std::vector<std::string>{"4\t5\t0\t0\t0\t0"}));
  SendControl(1);
  EXPECT_EQ(launcher_test::Wait(pid), 0) << ReadFile(root_ / "service.log");
  EXPECT_EQ(Status(), (std::vector<std::string>{"4\t5\t0\t0\t0\t0", "3\t5\t0\t0\t0\t40000", "1\t5\t0\t0\t0\t0"}));
  EXPECT_EQ(EventLog(),
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has stopped.\n");
  EXPECT_TRUE(Contains(Report(), "argc=1\narg=[serve]\n")) << Report();
  EXPECT_TRUE(Contains(Report(), "wendle.service.name=OrvaneSvc\n")) << Report();
  EXPECT_EQ(ReadFile(root_ / "server" / "stops.txt"), by_system_exit ? "" : "stop\n");
  EXPECT_EQ(Messages(), "Information: Service installed: OrvaneSvc\n");  // no window in service mode
}

INSTANTIATE_TEST_SUITE_P(StopCall, ServiceStop, ::testing::Values(false, true));

TEST_F(ServiceTree, MainThatIgnoresTheStopIsEndedByTheWatchdogStartedOnce) {
  strings_[1312] = "deaf";
  Install();
  const int pid = StartService();
  ASSERT_TRUE(Eventually([this] { return Started(); })) << ReadFile(root_ / "service.log");
  const auto stop_sent = std::chrono::steady_clock::now();
  SendControl(1);
  ASSERT_TRUE(Eventually([this] { return Status().size() == 2; }));
  SendControl(1);
  SendControl(4);
  EXPECT_EQ(launcher_test::Wait(pid), 0) << ReadFile(root_ / "service.log");
  // The watchdog waits its 30 seconds and then lets the service end.
  const auto waited = std::chrono::steady_clock::now() - stop_sent;
  EXPECT_GE(waited, std::chrono::seconds(30));
  EXPECT_LT(waited, std::chrono::seconds(45));
  EXPECT_EQ(Status(), (std::vector<std::string>{"4\t5\t0\t0\t0\t0", "3\t5\t0\t0\t0\t40000", "3\t5\t0\t0\t0\t40000",
                                                "3\t5\t0\t0\t0\t40000", "1\t5\t0\t0\t0\t0"}));
  EXPECT_EQ(EventLog(),
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
            "OrvaneSvc|ERROR|0xC0000002|The OrvaneSvc service has timed out during a stop request and will be "
            "terminated.\n"
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has stopped.\n");
  EXPECT_EQ(ReadFile(root_ / "server" / "stops.txt"), "stop\n");  // one stop call
}

TEST_F(ServiceTree, ServiceWithoutRuntimeReportsThatItFailedToStart) {
  strings_[1040] = "/no/such/libjvm.so";
  Install();
  const int pid = StartService();
  EXPECT_EQ(launcher_test::Wait(pid), 0) << ReadFile(root_ / "service.log");
  EXPECT_EQ(Status(), (std::vector<std::string>{"4\t5\t0\t0\t0\t0", "1\t5\t1066\t1013\t0\t0"}));
  EXPECT_EQ(EventLog(),
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
            "OrvaneSvc|ERROR|0xC0000002|Unable to locate suitable Java Runtime Environment on this machine.\n"
            "OrvaneSvc|ERROR|0xC0000002|The OrvaneSvc service failed to start.\n");
  EXPECT_FALSE(Ran());
}

TEST_F(ServiceTree, MainThatFailsEndsTheProcessWithoutAStoppedReport) {
  strings_[1312] = "throw";
  Install();
  const int pid = StartService();
  // The manager sees the process end while the service is running, so its
  // recovery actions apply.
  EXPECT_EQ(launcher_test::Wait(pid), 255) << ReadFile(root_ / "service.log");
  EXPECT_EQ(Status(), (std::vector<std::string>{"4\t5\t0\t0\t0\t0"}));
  const std::string log = EventLog();
  EXPECT_TRUE(Contains(log, "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
                            "OrvaneSvc|ERROR|0xC0000002|Error invoking method: main(java/lang/String[])\\n\\n"
                            "Details:\\n"))
      << log;
  EXPECT_TRUE(Contains(log, "boom from main")) << log;
  EXPECT_FALSE(Contains(log, "has stopped")) << log;
}

// ---- embedded jar files ----

// Two valid, empty archives of different sizes (the second with a comment).
const std::string kEmptyZip = std::string("PK\x05\x06", 4) + std::string(18, '\0');
const std::string kEmptyZipWithComment =
    std::string("PK\x05\x06", 4) + std::string(16, '\0') + std::string("\x01\0", 2) + "b";
// 2021-02-02 12:45:06 and 07 UTC as FILETIMEs, and as Java's milliseconds.
constexpr std::uint64_t kTimeA = 132567435060000000ULL;
constexpr std::uint64_t kTimeB = 132567435070000000ULL;
const std::string kMillisA = "1612269906000";
const std::string kMillisB = "1612269907000";

class JarTree : public LauncherTree {
 protected:
  void SetUp() override {
    LauncherTree::SetUp();
    stored_ = strings_[1200];
    strings_[1104] = "2";
    strings_[1088] = "1";
  }
  void WriteResource(const std::string& bytes) { WriteFile(root_ / "bin" / "srvlaunch.rcdata.16000", bytes); }
  void WriteTwoJars() {
    WriteResource(srvlaunch::BuildEmbeddedJarResource(
        {{"a.jar", kTimeA, kEmptyZip}, {"b.jar", kTimeB, kEmptyZipWithComment}}));
  }
  path TempJarDir() const { return root_ / "tmp" / stored_; }
  std::string stored_;
};

ino_t Inode(const path& p) {
  struct stat st {};
  ::stat(p.c_str(), &st);
  return st.st_ino;
}

TEST_F(JarTree, JarsAreExtractedOnceOnTheClassPathAndRemovedAfterTheEnd) {
  WriteTwoJars();
  strings_[1088] = "0";
  ASSERT_EQ(Launch({}).status, 0);
  const std::string a = (TempJarDir() / "a.jar").string();
  const std::string b = (TempJarDir() / "b.jar").string();
  const std::string report = Report();
  EXPECT_TRUE(Contains(report, "java.class.path=.:" + a + ":" + b + "\n")) << report;
  EXPECT_TRUE(Contains(report, "cpfile=" + a + "|22|" + kMillisA + "\n")) << report;
  EXPECT_TRUE(Contains(report, "cpfile=" + b + "|23|" + kMillisB + "\n")) << report;
  // Unchanged files are not written again.
  const ino_t inode = Inode(a);
  ASSERT_EQ(Launch({}).status, 0);
  EXPECT_EQ(Inode(a), inode);

  // With removal at exit, the clean-up copy takes them and their directory
  // after System.exit(7).
  strings_[1088] = "1";
  const RunResult r = Launch({"exit=7"});
  EXPECT_EQ(r.status, 7) << r.err;
  EXPECT_TRUE(Contains(Report(), "cpfile=" + a + "|22|" + kMillisA + "\n")) << Report();
  EXPECT_TRUE(Eventually([this] { return !fs::exists(TempJarDir()); }));
  EXPECT_EQ(Messages(), "");
}

TEST_F(JarTree, CleanupRemovesTheJarDirectoryOfTheExtractionNotOfTheWorkingDirectory) {
  WriteTwoJars();
  strings_[1104] = "1";  // below the directory of the executable
  WriteFile(root_ / "server" / stored_ / "a.jar", "a file of the same name elsewhere");
  const RunResult r = Launch({});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(Contains(Report(), ":./" + stored_ + "/a.jar:./" + stored_ + "/b.jar\n")) << Report();
  EXPECT_TRUE(Eventually([this] { return !fs::exists(root_ / "bin" / stored_); }));
  EXPECT_EQ(ReadFile(root_ / "server" / stored_ / "a.jar"), "a file of the same name elsewhere");
}

TEST_F(JarTree, MalformedResourceExtractsNothing) {
  const std::string good = srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, kEmptyZip}});
  const std::string resources[] = {
      srvlaunch::BuildEmbeddedJarResource({{"a.jar", kTimeA, kEmptyZip}, {"../x.jar", kTimeA, "x"}}),
      good.substr(0, good.size() - 1),
  };
  for (const std::string& resource : resources) {
    fs::remove(root_ / "messages.log");
    WriteResource(resource);
    const RunResult r = Launch({});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(Report(), "java.class.path=.\n")) << Report();
    // Neither the jar directory nor the file beside it that ../x.jar names.
    EXPECT_FALSE(fs::exists(TempJarDir()));
    EXPECT_FALSE(fs::exists(root_ / "tmp" / "x.jar"));
    EXPECT_EQ(Messages(), "Error: Internal error RC000007\n");
  }
}

}  // namespace
