#include "driver/run_cycle.h"

#include "../engine_fixture.h"
#include "runtime/run_control.h"
#include "support/console_answer.h"
#include "support/text_routines.h"

namespace kelvo {
namespace {

using BaseName = testing::EngineTest;
using YesNo = testing::EngineTest;
using Dialogue = testing::EngineTest;

std::string base_of(Engine& e, const char* name, int& dot) {
  e.ctl.program_file_name.assign(name);
  return std::string(get_program_base_name(e, dot).trimmed());
}

TEST_F(BaseName, ExtensionTxtIsDroppedOthersJoinTheBase) {
  int dot = 0;
  EXPECT_EQ(base_of(e(), "A.TXT", dot), "A.");
  EXPECT_EQ(dot, 2);
  EXPECT_TRUE(e().ctl.txt_extension_flag);
  EXPECT_EQ(base_of(e(), "A.RES", dot), "ARES.");
  EXPECT_EQ(dot, 5);
  EXPECT_TRUE(e().ctl.listing_file_flag);
  EXPECT_FALSE(e().ctl.txt_extension_flag);
  EXPECT_EQ(base_of(e(), "A", dot), "A.");
  EXPECT_EQ(dot, 2);
  EXPECT_EQ(base_of(e(), "MODEL.ABC", dot), "MODELABC.");
  EXPECT_EQ(dot, 9);
  EXPECT_EQ(base_of(e(), "model.txt trailing words", dot), "model.");
}

TEST_F(BaseName, OnlyTheLastPathComponentHasAnExtension) {
  int dot = 0;
  EXPECT_EQ(base_of(e(), "../m", dot), "../m.");
  EXPECT_EQ(base_of(e(), "d.v/m", dot), "d.v/m.");
  EXPECT_EQ(base_of(e(), "d.v/m.abc", dot), "d.v/mabc.");
}

TEST_F(BaseName, DerivedFileNamesAppendTheirExtension) {
  e().ctl.program_file_name.assign("MODEL.TXT");
  EXPECT_EQ(make_dec_name(e()).trimmed(), "MODEL.DEC");
  e().ctl.program_file_name.assign("MODEL.ABC");
  EXPECT_EQ(make_dec_name(e()).trimmed(), "MODELABC.DEC");
  // A name of 125 characters still has room for ".EXT".
  e().ctl.program_file_name.assign(std::string(125, 'm'));
  EXPECT_EQ(make_dec_name(e()).trimmed(), std::string(125, 'm') + ".DEC");
}

TEST_F(YesNo, OnlyWholeYOrNLinesAnswer) {
  console_input("yes\n\ny\nno\nN\n");
  int mode = 7;
  EXPECT_TRUE(ask_yes_no(e(), mode));
  EXPECT_FALSE(ask_yes_no(e(), mode));
  EXPECT_EQ(console_output(), " Answer Y or N\n Answer Y or N\n Answer Y or N\n");
}

TEST_F(YesNo, NameAcceptingModeTakesAnyOtherLineAsModelName) {
  console_input("Yes\n");
  int mode = 13;
  EXPECT_TRUE(ask_yes_no(e(), mode));
  EXPECT_EQ(mode, 7);
  EXPECT_EQ(e().ctl.program_file_name.trimmed(), "Yes");
  console_input("other.txt\n");
  mode = 14;
  EXPECT_FALSE(ask_yes_no(e(), mode));
  EXPECT_EQ(e().ctl.program_file_name.trimmed(), "other.txt");
}

TEST_F(YesNo, EndOfInputStopsInsteadOfAskingForEver) {
  console_input("maybe\n");
  int mode = 7;
  EXPECT_TRUE(stops([&] { ask_yes_no(e(), mode); }));
}

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

}  // namespace
}  // namespace kelvo

namespace kelvo {
namespace {

using ModelState = testing::EngineTest;

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
