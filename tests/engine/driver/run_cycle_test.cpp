#include "driver/run_cycle.h"

#include "../engine_fixture.h"
#include "runtime/run_control.h"

namespace kelvo {
namespace {

using Dialogue = testing::EngineTest;
using ModelState = testing::EngineTest;

// --- The end-of-run dialogue ------------------------------------------------

TEST_F(Dialogue, RepeatWithSameProgramAsksAboutSeeds) {
  console_input("Y\nN\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_EQ(e().ctl.run_ctl_words[3], -1);
  EXPECT_FALSE(e().ctl.translate_needed);
  EXPECT_TRUE(e().ctl.same_program_rerun);
  EXPECT_FALSE(e().ctl.seed_reset_flag);
  EXPECT_EQ(console_output(),
            " Shall same program be repeated? Y, N or new name\n Shall seeds be reset? Y or N\n");
}

TEST_F(Dialogue, NewNameOrNoTranslatesAgainWithNewSeeds) {
  console_input("next.txt\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_EQ(e().ctl.run_ctl_words[3], -1);
  EXPECT_TRUE(e().ctl.translate_needed);
  EXPECT_TRUE(e().ctl.seed_reset_flag);
  EXPECT_EQ(e().ctl.program_file_name.trimmed(), "next.txt");
  console_input("n\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_EQ(e().ctl.run_ctl_words[3], 0);
}

TEST_F(Dialogue, EditRequestWritesTheEditFileAndReturnsZero) {
  e().ctl.edit_and_pause_flag = true;
  e().ctl.program_file_name.assign("model.txt");
  console_input("y\ny\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 0);
  EXPECT_EQ(read_file("zwxyq.edt"), "model.txt" + std::string(116, ' ') + "\n");
}

TEST_F(Dialogue, SeveralSimulatesResetSeedsAfterAPause) {
  e().ctl.simulate_count = 3;
  console_input("y\n\n");
  EXPECT_EQ(end_of_run_dialogue(e()), 1);
  EXPECT_NE(console_output().find(" With SIMULATE  3, seeds are reset"), std::string::npos);
}

// --- The model state cleared before a translation or a run -----------------

TEST_F(ModelState, ResetClearsStatisticsAndRestoresSavevalues) {
  e().ent.sv.savevalue_init[3] = 2.5;
  e().ent.sv.savevalue_value[3] = 9.0;
  e().ent.sv.savevalue_value[250] = 7.0;
  e().srv.station_contents[4] = 2;
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
