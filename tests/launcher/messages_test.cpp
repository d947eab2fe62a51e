// Message texts, formatting, the router and the fatal-error report.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher_config.h"
#include "core/launcher_state.h"
#include "core/messages.h"
#include "core/output_tail.h"
#include "core/service_options.h"
#include "test_support.h"

namespace {

using launcher_test::ReadFile;
using srvlaunch::FormatMessageText;

class Messages : public ::testing::Test {
 protected:
  void SetUp() override {
    srvlaunch::ResetLauncherState();
    srvlaunch::TakeOutputTail();
    srvlaunch::LoadMessageTable();
    log_ = scratch_.path() / "messages.log";
    ::setenv("SRVLAUNCH_MESSAGE_LOG", log_.c_str(), 1);
    ::setenv("SRVLAUNCH_SIM_ROOT", scratch_.path().c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("SRVLAUNCH_MESSAGE_LOG");
    ::unsetenv("SRVLAUNCH_SIM_ROOT");
  }
  std::string Log() const { return ReadFile(log_); }

  launcher_test::ScratchDir scratch_;
  launcher_test::fs::path log_;
};

TEST(MessageFormat, EachPercentSTakesTheNextArgument) {
  EXPECT_EQ(FormatMessageText("Unable to load JVM: %s", {"/x/libjvm.so"}), "Unable to load JVM: /x/libjvm.so");
  EXPECT_EQ(FormatMessageText("%s\n\nReason: %s", {"a", "b"}), "a\n\nReason: b");
  EXPECT_EQ(FormatMessageText("%s and %s", {"one"}), "one and ");
}

TEST(MessageFormat, ArgumentsAreNeverFormats) {
  EXPECT_EQ(FormatMessageText("%s", {"100%s %d %n"}), "100%s %d %n");
  EXPECT_EQ(FormatMessageText("50%% %d %", {}), "50% %d %");
}

TEST(MessageFormat, LongMessagesAreCutAt8191Characters) {
  EXPECT_EQ(FormatMessageText("%s", {std::string(9000, 'x')}).size(), 8191u);
}

TEST(MessageTable, ShippedTextsByIdAndInternalErrors) {
  srvlaunch::LoadMessageTable();
  EXPECT_EQ(srvlaunch::MessageText(1600), "An instance of this program is already running.");
  EXPECT_EQ(srvlaunch::MessageText(1648), "Unable to locate suitable Java Runtime Environment on this machine.");
  EXPECT_EQ(srvlaunch::MessageText(1904),
            "The %s service has timed out during a stop request and will be terminated.");
  EXPECT_EQ(srvlaunch::MessageText(1920), "This program can only be run as a service.");
  EXPECT_EQ(srvlaunch::MessageText(1601), "");
  EXPECT_EQ(srvlaunch::MessageText(1936), "");
  EXPECT_STREQ(srvlaunch::kRC000015, "Internal error RC000015");
  EXPECT_STREQ(srvlaunch::InternalErrorText(26), "Internal error RC0000026");
  EXPECT_STREQ(srvlaunch::InternalErrorText(99), "Internal error");
}

TEST_F(Messages, BoxesAreCaptionedByKind) {
  srvlaunch::ShowInfoMessage("note %s", {"this"});
  srvlaunch::ShowErrorMessage("fault %s", {"that"});
  EXPECT_EQ(Log(), "Information: note this\nError: fault that\n");
}

TEST_F(Messages, ErrorRoutinesAreSilentWhileDisabled) {
  srvlaunch::state.ErrorMessagesEnabled = false;
  srvlaunch::ShowErrorMessage("hidden");
  errno = ENOENT;
  srvlaunch::ShowErrorWithReason("hidden too");
  srvlaunch::ShowInfoMessage("shown");
  EXPECT_EQ(Log(), "Information: shown\n");
}

TEST_F(Messages, ErrorWithReasonAddsTheSystemText) {
  errno = ENOENT;
  srvlaunch::ShowErrorWithReason(srvlaunch::MessageText(1616), {"CURRENT_DIR"});
  EXPECT_EQ(Log(), "Error: Error accessing file/directory: CURRENT_DIR\n\nReason: No such file or directory\n");
}

TEST_F(Messages, ReadingAMessageKeepsTheErrorBeingReported) {
  errno = EACCES;
  srvlaunch::ShowErrorWithReason(srvlaunch::LoadResourceString(1616), {"CURRENT_DIR"});
  EXPECT_EQ(Log(), "Error: Error accessing file/directory: CURRENT_DIR\n\nReason: Permission denied\n");
}

TEST_F(Messages, FatalErrorWithoutCaptureIsAPlainError) {
  srvlaunch::WriteLogOutput("ignored\n", 8);
  srvlaunch::ReportFatalError(srvlaunch::MessageText(1728), {"a/B"});
  EXPECT_EQ(Log(), "Error: Error locating class: a/B\n");
}

TEST_F(Messages, FatalErrorShowsTheTailAsDetailsAndEmptiesIt) {
  srvlaunch::config.StdErrMode = 2;
  srvlaunch::WriteLogOutput("java said\n", 10);
  srvlaunch::ReportFatalError(srvlaunch::MessageText(1792), {"main(java/lang/String[])"});
  EXPECT_EQ(Log(), "Error: Error invoking method: main(java/lang/String[])\n\nDetails:\njava said\n\n");
  EXPECT_EQ(srvlaunch::OutputTailText(), "");
  srvlaunch::ReportFatalError("again");
  EXPECT_EQ(Log(), "Error: Error invoking method: main(java/lang/String[])\n\nDetails:\njava said\n\n"
                   "Error: again\n");
}

TEST_F(Messages, ServiceModeWritesTheEventLogEvenBeforeRegistration) {
  srvlaunch::state.ServiceMode = true;
  srvlaunch::config.ServiceName = "OrvaneSvc";
  srvlaunch::config.StdOutMode = 1;
  srvlaunch::ShowInfoMessage(srvlaunch::MessageText(1856), {"OrvaneSvc"});
  srvlaunch::WriteLogOutput("out\n", 4);
  srvlaunch::ReportFatalError("fatal");
  EXPECT_EQ(ReadFile(scratch_.path() / "eventlog" / "Application.log"),
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
            "OrvaneSvc|ERROR|0xC0000002|fatal\\n\\nDetails:\\nout\\n\n");
  EXPECT_EQ(Log(), "");  // no window in service mode
}

TEST_F(Messages, ServiceOptionWordsAreAnsweredAsNotAvailable) {
  srvlaunch::config.InstallOption = "-install";
  srvlaunch::config.UninstallOption = "-uninstall";
  srvlaunch::config.ServiceModeOption = "-startlauncherinservicemode";
  EXPECT_FALSE(srvlaunch::HandleServiceOptions({""}));
  EXPECT_FALSE(srvlaunch::HandleServiceOptions({"", "-other"}));
  EXPECT_TRUE(srvlaunch::HandleServiceOptions({"", "-uninstall"}));
  EXPECT_EQ(Log(), "Error: Service mode is not available in this build.\n");
}

TEST_F(Messages, ShippedConfiguration) {
  srvlaunch::LoadConfiguration();
  const srvlaunch::LauncherConfig& c = srvlaunch::config;
  EXPECT_EQ(c.JniVersionText, "0x00010006");
  EXPECT_EQ(c.JniVersion, 0x00010006);
  EXPECT_EQ(c.MainClass, "TORNEL/server/Server");
  EXPECT_EQ(c.JvmPathList, "..\\jre\\bin\\client\\jvm.dll");
  EXPECT_EQ(c.WorkingDir, ".\\server");
  EXPECT_EQ(c.JvmSearchOrder, "01234");
  EXPECT_EQ(c.StdOutMode, 2);
  EXPECT_EQ(c.StdErrMode, 2);
  EXPECT_EQ(c.StdOutFile, "stdout.log");
  EXPECT_EQ(c.JarDirMode, 2);
  EXPECT_EQ(c.SplashSeconds, 2);
  EXPECT_TRUE(c.WorkingDirFirst);
  EXPECT_FALSE(c.AllowMultipleInstances);
  EXPECT_FALSE(c.ServiceOnly);
  EXPECT_FALSE(c.ShowConsole);
  EXPECT_EQ(c.IniFile, "");
  EXPECT_EQ(c.ServiceName, "");
  EXPECT_EQ(c.AppOptions, "");
}

}  // namespace
