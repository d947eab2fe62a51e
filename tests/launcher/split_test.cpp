// Command-line splitting, list splitting and the main method's arguments.
#include <gtest/gtest.h>

#include "core/launcher_state.h"
#include "core/main_call.h"
#include "text/command_line.h"

namespace {

using srvlaunch::SplitCommandLine;
using Strings = std::vector<std::string>;

TEST(SplitCommandLine, EmptyTextGivesOnlyTheReservedSlot) {
  EXPECT_EQ(SplitCommandLine("", true), Strings({""}));
  EXPECT_EQ(SplitCommandLine("", false), Strings());
}

TEST(SplitCommandLine, BlanksOnlyGiveOneEmptyArgument) {
  EXPECT_EQ(SplitCommandLine("   ", true), Strings({"", ""}));
}

TEST(SplitCommandLine, TwoBlanksGiveAnEmptyArgumentBetween) {
  EXPECT_EQ(SplitCommandLine("a  b", true), Strings({"", "a", "", "b"}));
}

TEST(SplitCommandLine, LeadingBlanksAreSkippedTrailingBlanksGiveNothing) {
  EXPECT_EQ(SplitCommandLine("  a b   ", false), Strings({"a", "b", "", ""}));
  EXPECT_EQ(SplitCommandLine("a ", false), Strings({"a"}));
}

TEST(SplitCommandLine, QuotedPathKeepsItsBlankAndLosesItsQuotes) {
  EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\x.exe\" word", true),
            Strings({"", "C:\\Program Files\\x.exe", "word"}));
}

TEST(SplitCommandLine, QuotesInsideAnArgumentStay) {
  EXPECT_EQ(SplitCommandLine("-Dx=\"a b\" c", false), Strings({"-Dx=\"a b\"", "c"}));
}

TEST(SplitCommandLine, LoneOrUnclosedQuoteLosesNoCharacter) {
  EXPECT_EQ(SplitCommandLine("\"", false), Strings({""}));
  EXPECT_EQ(SplitCommandLine("\"abc", false), Strings({"abc"}));
  EXPECT_EQ(SplitCommandLine("\"\"", false), Strings({""}));
}

TEST(SplitList, EmptyEntriesAreSkipped) {
  EXPECT_EQ(srvlaunch::SplitList(";a;;b;", ";"), Strings({"a", "b"}));
  EXPECT_EQ(srvlaunch::SplitList("", ";"), Strings());
}

class MainArguments : public ::testing::Test {
 protected:
  void SetUp() override { srvlaunch::ResetLauncherState(); }
};

TEST_F(MainArguments, StaticOptionsComeFirstThenTheArgumentsOrAppOptions) {
  EXPECT_EQ(srvlaunch::BuildMainArguments({}), Strings());
  EXPECT_EQ(srvlaunch::BuildMainArguments({""}), Strings({""}));
  srvlaunch::config.static_options = "x";
  srvlaunch::config.app_options = "y";
  EXPECT_EQ(srvlaunch::BuildMainArguments({"a", "b"}), Strings({"x", "a", "b"}));
  EXPECT_EQ(srvlaunch::BuildMainArguments({}), Strings({"x", "y"}));
}

}  // namespace
