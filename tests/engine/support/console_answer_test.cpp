#include "support/console_answer.h"

#include "../engine_fixture.h"

namespace kelvo {
namespace {

using YesNo = testing::EngineTest;

TEST_F(YesNo, OnlyWholeYOrNLinesAnswer) {
  console_input("yes\n\ny\nno\nN\n");
  AnswerMode mode = AnswerMode::yes_no;
  EXPECT_TRUE(ask_yes_no(e(), mode));
  EXPECT_FALSE(ask_yes_no(e(), mode));
  EXPECT_EQ(console_output(), " Answer Y or N\n Answer Y or N\n Answer Y or N\n");
}

TEST_F(YesNo, NameAcceptingModeTakesAnyOtherLineAsModelName) {
  console_input("Yes\n");
  AnswerMode mode = AnswerMode::name_or_yes_no;
  EXPECT_TRUE(ask_yes_no(e(), mode));
  EXPECT_EQ(mode, AnswerMode::yes_no);
  EXPECT_EQ(e().ctl.program_file_name.trimmed(), "Yes");
}

TEST_F(YesNo, EndOfInputStopsInsteadOfAskingForEver) {
  console_input("maybe\n");
  AnswerMode mode = AnswerMode::yes_no;
  EXPECT_TRUE(stops([&] { ask_yes_no(e(), mode); }));
}

}  // namespace
}  // namespace kelvo
