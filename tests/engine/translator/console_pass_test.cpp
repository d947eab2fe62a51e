// The translation pass on the console: the program listing from line 1000
// on, the one-line correction of an erroneous statement in the model file,
// result file names and SEEDS rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "translate_fixture.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

std::string pad(const std::string& s, std::size_t n) { return s + std::string(n > s.size() ? n - s.size() : 0, ' '); }

// The whole text of a file in the scratch folder.
std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ConsolePassTest : public TranslateTest {};

// ---- The listing.

TEST_F(ConsolePassTest, BlockLineFromLine1000HasFourDigits) {
  std::string model = "       SIMULATE\n";
  for (int i = 0; i < 997; ++i) model += "* comment\n";
  model += "       GENERATE  10\n       TERMINATE 1\n       START     1\n       END\n";
  // Blank answers to the listing's pauses.
  ASSERT_TRUE(translate_console(model, std::string(100, '\n')));
  const auto lines = console_lines();
  const auto listed = [&](const std::string& l) { return std::find(lines.begin(), lines.end(), l) != lines.end(); };
  // The GENERATE is line 999 in the loop, the TERMINATE line 1000.
  EXPECT_TRUE(listed("      " + pad("* comment", 68) + "998"));
  EXPECT_TRUE(listed("   1  " + pad("       GENERATE  10", 68) + "999"));
  EXPECT_TRUE(listed("   2  " + pad("       TERMINATE 1", 67) + "1000"));
}

TEST_F(ConsolePassTest, BlockThousandListsAsterisksInItsThreeColumns) {
  std::string model = "       SIMULATE  1\n       GENERATE  10\n";
  for (int i = 0; i < 998; ++i) model += "       ADVANCE   1\n";
  model += "       TERMINATE 1\n       START     1\n       END\n";
  ASSERT_TRUE(translate_console(model, ""));
  const auto out = console_lines();
  const std::string last = " ***  " + pad("       TERMINATE 1", 67) + "1001";
  EXPECT_NE(std::find(out.begin(), out.end(), last), out.end());
  EXPECT_EQ(e_->blocks.block_count, 1000);
}

TEST_F(ConsolePassTest, ConsoleListingPausesEvery23LinesWithoutSimulateRuns) {
  std::string model;
  for (int i = 0; i < 30; ++i) model += "* c\n";
  model += base_model();
  // One key line is read at line 23; the end of input there ends the engine.
  EXPECT_FALSE(translate_console(model, ""));
  EXPECT_TRUE(translate_console(model, "\n"));
}

// ---- The correction of an erroneous statement.

// The correction keeps the model file as it was but for its one line: its
// line ends, its permissions, the link that names it. A model that cannot
// be changed is left alone with " Use editor for change", and the prompt
// does not come again.
TEST_F(ConsolePassTest, CorrectionKeepsTheFileOrSaysItCannot) {
  namespace fs = std::filesystem;
  const std::string bad = "LOOP   TERMINATE 1";
  const std::string crlf = "       SIMULATE\r\n       GENERATE  10,4\r\nLOOP   ADVANCE   8,3\r\n" + bad +
                           "\r\n       START     50\r\n       END\r\n";
  enum class Setup { plain, link, read_only, save_blocked };
  for (const Setup setup : {Setup::plain, Setup::link, Setup::read_only, Setup::save_blocked}) {
    SCOPED_TRACE(static_cast<int>(setup));
    fs::remove_all(path("m.txt.kelvo-edit"));
    fs::remove(path("m.txt"));
    fs::remove(path("real.txt"));
    if (setup == Setup::link) fs::create_symlink(path("real.txt"), path("m.txt"));
    if (setup == Setup::read_only) {
      std::ofstream(path("m.txt")) << "";
      fs::permissions(path("m.txt"), fs::perms::owner_read | fs::perms::group_read);
    }
    if (setup == Setup::save_blocked) fs::create_directory(path("m.txt.kelvo-edit"));
    out_.str("");
    ASSERT_TRUE(translate_console(crlf, "BACK   TERMINATE 1\n"));
    const auto out = console_lines();
    const bool kept = setup == Setup::read_only || setup == Setup::save_blocked;
    std::string expected = crlf;
    if (!kept) expected.replace(expected.find(bad), bad.size(), "BACK   TERMINATE 1");
    EXPECT_EQ(file_text(path("m.txt")), expected);
    EXPECT_EQ(std::count(out.begin(), out.end(), " Type correct line or hit return to end program"), 1);
    EXPECT_EQ(std::count(out.begin(), out.end(), " Use editor for change"), kept ? 1 : 0);
    EXPECT_EQ(e_->ctl.error_found, kept);
    if (setup == Setup::link) {
      EXPECT_TRUE(fs::is_symlink(path("m.txt")));
    }
    if (setup == Setup::read_only) {
      EXPECT_EQ(fs::status(path("m.txt")).permissions() & fs::perms::owner_write, fs::perms::none);
      fs::permissions(path("m.txt"), fs::perms::owner_all);
    }
  }
}

TEST_F(ConsolePassTest, EndOfConsoleInputAtThePromptEndsTheProgram) {
  ASSERT_TRUE(translate_console(base_with(6, "       ADVANCE   10, 5"), ""));
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(ConsolePassTest, FrontEndGetsNoCorrectionPrompt) {
  translate_fe(base_with(6, "       ADVANCE   10, 5"));
  const auto out = console_lines();
  EXPECT_EQ(std::find(out.begin(), out.end(), " Type correct line or hit return to end program"), out.end());
}

// ---- Result file and SEEDS.

TEST_F(ConsolePassTest, ResultFileNames) {
  e_->ctl.program_file_name.assign("bank.mdl");
  EXPECT_EQ(name_result_file(*e_), "bankmdl.TXT");
  e_->ctl.program_file_name.assign("bank.txt");
  EXPECT_EQ(name_result_file(*e_), "bankR.TXT");
  e_->ctl.program_file_name.assign("bank");
  EXPECT_EQ(name_result_file(*e_), "bank.TXT");
}

TEST_F(ConsolePassTest, SeedsStatementsFillSeedRows) {
  const std::string model = "       SEEDS     ,7\n" + base_model();
  ASSERT_TRUE(translate_console(model, ""));
  EXPECT_EQ(e_->ent.steps.seeds_row_of_start[0], 1);
  EXPECT_EQ(e_->ent.steps.seed_table[1][1], 3);
  EXPECT_EQ(e_->ent.steps.seed_table[1][2], 15);
  EXPECT_EQ(e_->ent.steps.seed_table[1][3], 7);
}

TEST_F(ConsolePassTest, SeedsAreIgnoredUnderTheFrontEnd) {
  ASSERT_TRUE(translate_fe("       SEEDS     ,7\n" + base_model()));
  EXPECT_EQ(e_->ent.steps.seeds_row_of_start[0], -1);
  EXPECT_EQ(e_->ent.steps.seed_table[1][2], 0);
}

}  // namespace
}  // namespace kelvo::test
