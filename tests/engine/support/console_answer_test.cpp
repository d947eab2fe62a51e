#include "support/console_answer.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using YesNo = testing::EngineTest;

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

}  // namespace
}  // namespace kelvo
