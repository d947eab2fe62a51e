#include "driver/run_cycle.h"

#include <chrono>
#include <filesystem>

#include "../engine_fixture.h"
#include "runtime/run_control.h"

namespace kelvo {
namespace {

using Dialogue = testing::EngineTest;
using ModelState = testing::EngineTest;

// Under the front end the model is looked at for an EXPERI statement once
// the limit is known, so a line of gigabytes there (a sparse file) ends the
// engine at the limit.
TEST_F(ModelState, LongModelLineEndsAtTheRunTimeLimit) {
  write_file("M.TXT", "       SIMULATE\n");
  std::filesystem::resize_file("M.TXT", std::uintmax_t{1} << 26);
  write_file("zwxyq.jav", "M.TXT\n      1\n");
  e().ctl.java_mode = true;
  e().ctl.run_time_start = std::chrono::steady_clock::now() - std::chrono::seconds(3);
  bool experi = false;
  EXPECT_TRUE(stops([&] { read_java_command(e(), experi); }));
  e().ch.close_all();
  EXPECT_EQ(read_file("M.ERR").rfind(" Program run time exceeds limit", 0), 0u);
}

// --- The end-of-run dialogue ------------------------------------------------

TEST_F(Dialogue, RepeatWithSameProgramAsksAboutSeeds) {
  console_input("Y\nN\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_TRUE(e().ctl.repeat_model);
  EXPECT_FALSE(e().ctl.translate_needed);
  EXPECT_TRUE(e().ctl.same_program_rerun);
  EXPECT_FALSE(e().ctl.seed_reset_flag);
  EXPECT_EQ(console_output(),
            " Shall same program be repeated? Y, N or new name\n Shall seeds be reset? Y or N\n");
}

TEST_F(Dialogue, NewNameOrNoTranslatesAgainWithNewSeeds) {
  console_input("next.txt\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_TRUE(e().ctl.repeat_model);
  EXPECT_TRUE(e().ctl.translate_needed);
  EXPECT_TRUE(e().ctl.seed_reset_flag);
  EXPECT_EQ(e().ctl.program_file_name.trimmed(), "next.txt");
  console_input("n\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_FALSE(e().ctl.repeat_model);
}

TEST_F(Dialogue, EditRequestWritesTheEditFileAndReturnsZero) {
  e().ctl.edit_and_pause_flag = true;
  e().ctl.program_file_name.assign("model.txt");
  console_input("y\ny\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 0);
  EXPECT_EQ(read_file("zwxyq.edt"), "model.txt" + std::string(116, ' ') + "\n");
}

TEST_F(Dialogue, SeveralSimulatesResetSeedsAfterAPause) {
  e().ent.steps.simulate_count = 3;
  console_input("y\n\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_NE(console_output().find(" With SIMULATE  3, seeds are reset"), std::string::npos);
}

// --- The model state cleared before a translation or a run -----------------

TEST_F(ModelState, ResetClearsStatisticsAndRestoresSavevalues) {
  e().ent.sv.savevalue_init[3] = 2.5;
  e().ent.sv.savevalue_value.set(3, 9.0, e().changes);
  e().ent.sv.savevalue_value.set(250, 7.0, e().changes);
  e().srv.station_contents.set(4, 2, e().changes);
  e().srv.queue_area[1] = 12.0f;
  e().blocks.block_current[7] = 3;
  e().run.clock = 99.0f;
  reset_model_state(e());
  EXPECT_EQ(e().ent.sv.savevalue_value[3], 2.5);
  EXPECT_EQ(e().ent.sv.savevalue_value[250], 0.0);
  EXPECT_EQ(e().srv.station_contents[4], 0);
  EXPECT_EQ(e().srv.queue_area[1], 0.0f);
  EXPECT_EQ(e().blocks.block_current[7], 0);
  EXPECT_EQ(e().run.clock, 0.0f);
  EXPECT_EQ(e().run.end_time, 1.0e8f);
}

}  // namespace
}  // namespace kelvo
