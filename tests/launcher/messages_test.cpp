// Message texts, formatting, the router and the fatal-error report.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/launcher_config.h"
#include "core/launcher_state.h"
#include "core/messages.h"
#include "core/output_tail.h"
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
    log_ = scratch_.Path() / "messages.log";
    ::setenv("SRVLAUNCH_MESSAGE_LOG", log_.c_str(), 1);
    ::setenv("SRVLAUNCH_SIM_ROOT", scratch_.Path().c_str(), 1);
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
  srvlaunch::state.error_messages_enabled = false;
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
  srvlaunch::config.stderr_mode = 2;
  srvlaunch::WriteLogOutput("java said\n", 10);
  srvlaunch::ReportFatalError(srvlaunch::MessageText(1792), {"main(java/lang/String[])"});
  EXPECT_EQ(Log(), "Error: Error invoking method: main(java/lang/String[])\n\nDetails:\njava said\n\n");
  EXPECT_EQ(srvlaunch::OutputTailText(), "");
  srvlaunch::ReportFatalError("again");
  EXPECT_EQ(Log(), "Error: Error invoking method: main(java/lang/String[])\n\nDetails:\njava said\n\n"
                   "Error: again\n");
}

TEST_F(Messages, ServiceModeWritesTheEventLogEvenBeforeRegistration) {
  srvlaunch::state.service_mode = true;
  srvlaunch::config.service_name = "OrvaneSvc";
  srvlaunch::config.stdout_mode = 1;
  srvlaunch::ShowInfoMessage(srvlaunch::MessageText(1856), {"OrvaneSvc"});
  srvlaunch::WriteLogOutput("out\n", 4);
  srvlaunch::ReportFatalError("fatal");
  EXPECT_EQ(ReadFile(scratch_.Path() / "eventlog" / "Application.log"),
            "OrvaneSvc|INFORMATION|0x40000001|The OrvaneSvc service has started.\n"
            "OrvaneSvc|ERROR|0xC0000002|fatal\\n\\nDetails:\\nout\\n\n");
  EXPECT_EQ(Log(), "");  // no window in service mode
}

TEST_F(Messages, ShippedConfiguration) {
  srvlaunch::LoadConfiguration();
  const srvlaunch::LauncherConfig& c = srvlaunch::config;
  EXPECT_EQ(c.jni_version_text, "0x00010006");
  EXPECT_EQ(c.jni_version, 0x00010006);
  EXPECT_EQ(c.main_class, "TORNEL/server/Server");
  EXPECT_EQ(c.jvm_path_list, "..\\jre\\bin\\client\\jvm.dll");
  EXPECT_EQ(c.working_dir, ".\\server");
  EXPECT_EQ(c.jvm_search_order, "01234");
  EXPECT_EQ(c.stdout_mode, 2);
  EXPECT_EQ(c.stderr_mode, 2);
  EXPECT_EQ(c.stdout_file, "stdout.log");
  EXPECT_EQ(c.jar_dir_mode, 2);
  EXPECT_EQ(c.splash_seconds, 2);
  EXPECT_EQ(c.splash_text, "Loading Orvane Server...");
  EXPECT_FALSE(c.show_splash);
  EXPECT_FALSE(c.remove_jars_at_exit);
  EXPECT_FALSE(c.stop_by_system_exit);
  EXPECT_FALSE(c.service_args_on_command_line);
  EXPECT_EQ(c.main_class_stored, "052D653A0E3B1A42370806553A566A5672270745");
  EXPECT_TRUE(c.working_dir_first);
  EXPECT_FALSE(c.allow_multiple_instances);
  EXPECT_FALSE(c.service_only);
  EXPECT_FALSE(c.show_console);
  EXPECT_EQ(c.ini_file, "");
  EXPECT_EQ(c.service_name, "");
  EXPECT_EQ(c.app_options, "");
}

}  // namespace
