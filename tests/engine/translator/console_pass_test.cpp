// The translation pass on the console: the program listing, the result
// file chosen by the first line, and the one-line correction of an
// erroneous statement in the model file; SEEDS rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "translate_fixture.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

std::string pad(const std::string& s, std::size_t n) { return s + std::string(n > s.size() ? n - s.size() : 0, ' '); }

std::string upper(std::string s) {
  for (char& c : s) c = upcased(c);
  return s;
}

std::string header_block() { return " Block" + std::string(67, ' ') + " Line"; }
std::string header_no() { return " no.  *Adr.  Operation A,B,C,D,E,F,G,H         Comments                   no."; }

// The whole text of a file in the scratch folder.
std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ConsolePassTest : public TranslateTest {};

// ---- The listing.

TEST_F(ConsolePassTest, ConsoleListingShowsTitleHeaderAndNumberedLines) {
  ASSERT_TRUE(translate_console(base_model(), ""));
  EXPECT_FALSE(e_->ctl.error_found);
  const std::string name = path("m.txt");
  std::string title = name.substr(0, 50);
  title = upper(title.substr(0, 40)) + title.substr(std::min<std::size_t>(40, title.size()));
  Lines expected = {"", " Extended listing of program " + title, "", "", header_block(), header_no()};
  std::istringstream model(base_model());
  std::string line;
  int n = 0, block = 0;
  while (std::getline(model, line)) {
    ++n;
    const bool is_block = n >= 2 && n <= 8;
    std::string row = is_block ? "   " + std::to_string(++block) + "  " : "      ";
    const std::string num = std::to_string(n);
    row += pad(line, 68) + std::string(3 - num.size(), ' ') + num;
    expected.push_back(row);
  }
  EXPECT_EQ(console_lines(), expected);
}

TEST_F(ConsolePassTest, PercentFirstLineSendsListingToResultFile) {
  ASSERT_TRUE(translate_console("%\n" + base_model(), ""));
  EXPECT_TRUE(console_lines().empty());
  const auto lines = file_lines("mR.TXT");
  ASSERT_GE(lines.size(), 7u);
  EXPECT_EQ(lines[4], header_block());
  EXPECT_EQ(lines[6], "      " + pad("       SIMULATE", 68) + "  1");
  EXPECT_EQ(run_count_, 1);
}

TEST_F(ConsolePassTest, DollarFirstLineListsOnlyComments) {
  ASSERT_TRUE(translate_console("$\n* hello\n" + base_model(), ""));
  EXPECT_EQ(console_lines(), (Lines{"      " + pad("* hello", 68) + "  1"}));
}

TEST_F(ConsolePassTest, BlockLineFromLine1000HasFourDigits) {
  std::string model = "       SIMULATE\n";
  for (int i = 0; i < 997; ++i) model += "* comment\n";
  model += "       GENERATE  10\n       TERMINATE 1\n       START     1\n       END\n";
  ASSERT_TRUE(translate_console("$\n" + model, ""));
  const auto lines = console_lines();
  ASSERT_GE(lines.size(), 2u);
  // The GENERATE is line 999 in the loop, the TERMINATE line 1000.
  EXPECT_EQ(lines[lines.size() - 1], "      " + pad("* comment", 68) + "998");
  EXPECT_TRUE(e_->blocks.block_line[2] == 1000);
}

TEST_F(ConsolePassTest, ListingFromLine1000WidensTheLineNumber) {
  std::string model = "       SIMULATE  1\n";
  for (int i = 0; i < 997; ++i) model += "* c\n";
  model += "       GENERATE  10\n       TERMINATE 1\n       START     1\n       END\n";
  ASSERT_TRUE(translate_console(model, ""));
  const auto out = console_lines();
  const std::string gen = "   1  " + pad("       GENERATE  10", 68) + "999";
  const std::string term = "   2  " + pad("       TERMINATE 1", 67) + "1000";
  EXPECT_NE(std::find(out.begin(), out.end(), gen), out.end());
  EXPECT_NE(std::find(out.begin(), out.end(), term), out.end());
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

TEST_F(ConsolePassTest, CorrectionReplacesOnlyTheErroneousLine) {
  const std::string model =
      "       SIMULATE\n"
      "       GENERATE  10,4                                                    COLS7380\n"
      "LOOP   ADVANCE   8,3\n"
      "LOOP   TERMINATE 1\n"
      "       START     50\n"
      "       END\n"
      "data after end\n";
  ASSERT_TRUE(translate_console(model, "BACK   TERMINATE 1\n"));
  const auto out = console_lines();
  const auto prompt = std::find(out.begin(), out.end(), " Type correct line or hit return to end program");
  ASSERT_NE(prompt, out.end());
  EXPECT_NE(std::find(out.begin(), prompt, " Address defined twice"), prompt);
  // The corrected model was translated again, from its first line.
  EXPECT_NE(std::find(prompt, out.end(), " Extended listing of program " + upper(path("m.txt")).substr(0, 40) +
                                             path("m.txt").substr(40, 10)),
            out.end());
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->blocks.block_count, 3);
  EXPECT_EQ(e_->blocks.block_label[3], pack_symbol_name(*e_, "BACK"));
  std::string expected = model;
  expected.replace(expected.find("LOOP   TERMINATE 1"), 18, "BACK   TERMINATE 1");
  EXPECT_EQ(file_text(path("m.txt")), expected);
}

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

TEST_F(ConsolePassTest, BlankReplyEndsWithTheErrorStanding) {
  const std::string model = base_with(6, "       ADVANCE   10, 5");
  ASSERT_TRUE(translate_console(model, "\n"));
  EXPECT_TRUE(e_->ctl.error_found);
  EXPECT_EQ(file_text(path("m.txt")), model);
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
