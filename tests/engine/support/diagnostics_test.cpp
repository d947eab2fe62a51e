#include "support/diagnostics.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using Diagnostics = testing::EngineTest;

TEST_F(Diagnostics, OneReportPerStatementInTheFixedLayout) {
  e().ctl.current_statement.assign("        ADVANCE 10, 5");
  flag_statement_error(e(), " Illegal character or blank in operand field");
  report_statement_error(e(), " A second message");
  EXPECT_TRUE(e().ctl.error_found);
  EXPECT_EQ(console_output(),
            " Illegal character or blank in operand field      \n"
            " Error found at the following statement:          \n"
            "  \n"
            "           ADVANCE 10, 5" + std::string(59, ' ') + "\n");
  clear_statement_error_state(e());
  report_statement_error(e(), " Next");
  EXPECT_NE(console_output().find(" Next"), std::string::npos);
}

TEST_F(Diagnostics, FrontEndErrorsGoToTheModelsErrFileAndAccumulate) {
  e().ctl.java_mode = true;
  e().ctl.program_file_name.assign("M.TXT");
  write_error_message(e(), " First");
  write_error_message(e(), " Second");
  e().ch.close_all();
  EXPECT_EQ(read_file("M.ERR"), " First" + std::string(44, ' ') + "\n Second" + std::string(43, ' ') + "\n");
  EXPECT_EQ(console_output(), "");
}

TEST_F(Diagnostics, StopAfterErrorStopsRightAfterTheMessage) {
  e().cs.flags.stop_after_error = true;
  EXPECT_TRUE(stops([&] { report_statement_error(e(), " No SIMULATE = no execution"); }));
  EXPECT_EQ(console_output(), " No SIMULATE = no execution" + std::string(23, ' ') + "\n");
}

TEST_F(Diagnostics, AnimationErrorReplacesTheTraceFileOnce) {
  e().ctl.auto_animation_flag = true;
  e().ctl.program_file_name.assign("M.ANI");
  write_error_message(e(), " One");
  write_error_message(e(), " Two");
  e().ch.close_all();
  const std::string atf = read_file("MANI.ATF");
  EXPECT_EQ(atf.rfind("Due to error, no ATF file produced\n  \n One", 0), 0u);
  EXPECT_NE(atf.find(" Two"), std::string::npos);
}

TEST_F(Diagnostics, ConsoleStopAfterAnEditOfferWaitsForEnter) {
  e().ctl.edit_and_pause_flag = true;
  console_input("\n");
  EXPECT_TRUE(stops([&] { stop_program(e()); }));
  EXPECT_EQ(console_output(), " \n Press ENTER to stop\n");
  e().ctl.java_mode = true;  // never waits under the front end
  EXPECT_TRUE(stops([&] { stop_program(e()); }));
  EXPECT_EQ(console_output(), " \n Press ENTER to stop\n");
}

}  // namespace
}  // namespace kelvo
