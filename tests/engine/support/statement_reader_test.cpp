#include "support/statement_reader.h"

#include <chrono>

#include "../engine_fixture.h"
#include "support/packed_names.h"

namespace kelvo {
namespace {

using Reader = testing::EngineTest;

// --- The operation table ----------------------------------------------------

TEST_F(Reader, OperationTableGivesTheFirstMatch) {
  const struct {
    const char* word;
    int code;
  } cases[] = {{"IF", 11}, {"LET", 14}, {"GENERATE", 1}, {"LET+", 15}, {"VALUEOF", 39}, {"FOOBAR", 0}, {"GEN%", 0}};
  for (const auto& c : cases) EXPECT_EQ(operation_code_of_word(c.word), c.code) << c.word;
  EXPECT_EQ(parse_op_display(16), "LET-");
}

// --- Reading the model's lines ----------------------------------------------

TEST_F(Reader, ModelWithoutEndReportsInsteadOfLooping) {
  write_file("m.txt", "       SIMULATE\r\n\tGENERATE\t10\r\n");
  ASSERT_TRUE(e().ch.open_read(e().ctl.unit_base, "m.txt"));
  bool ok = false;
  Line80 line;
  read_program_lines(e(), 1, ok, line);
  EXPECT_TRUE(ok);
  EXPECT_EQ(line.trimmed(), "SIMULATE");
  read_program_lines(e(), 2, ok, line);
  EXPECT_EQ(line.trimmed(), "GENERATE 10");  // tabs in columns 1-65 become blanks
  read_program_lines(e(), 3, ok, line);      // end of file: a blank line
  EXPECT_TRUE(ok);
  EXPECT_TRUE(line.is_blank());
  EXPECT_TRUE(stops([&] { read_program_lines(e(), 4, ok, line); }));
  EXPECT_NE(console_output().find(" END statement missing or erroneous"), std::string::npos);
}

TEST_F(Reader, TabsBeyondColumn65AreKept) {
  write_file("m.txt", std::string(69, ' ') + "\tX\n         \tA\n");
  ASSERT_TRUE(e().ch.open_read(e().ctl.unit_base, "m.txt"));
  bool ok = false;
  Line80 line;
  read_program_lines(e(), 1, ok, line);
  EXPECT_EQ(line.at(70), '\t');
  read_program_lines(e(), 2, ok, line);
  EXPECT_EQ(line.at(10), ' ');
}

TEST_F(Reader, InlineCommentWithTextBeyondColumn74IsRejected) {
  std::string text = "       GENERATE  10 ! note";
  text.resize(75, ' ');
  text += "x\n";
  write_file("m.txt", text + std::string(75, ' ') + "y\n");
  ASSERT_TRUE(e().ch.open_read(e().ctl.unit_base, "m.txt"));
  bool ok = false;
  Line80 line;
  read_program_lines(e(), 1, ok, line);
  EXPECT_TRUE(e().ctl.error_found);
  EXPECT_EQ(console_output().rfind(" Comment extends beyond col. 74", 0), 0u);
  // Text in column 76 without '!' is accepted.
  e().ctl.error_found = false;
  read_program_lines(e(), 2, ok, line);
  EXPECT_FALSE(e().ctl.error_found);
}

TEST_F(Reader, TheRunTimeLimitHoldsWhileTheModelIsRead) {
  write_file("M.TXT", "       SIMULATE\n");
  e().ctl.program_file_name.assign("M.TXT");
  e().ctl.java_mode = true;
  e().ctl.run_time_limit = 1;
  e().ctl.run_time_start = std::chrono::steady_clock::now() - std::chrono::seconds(3);
  ASSERT_TRUE(e().ch.open_read(e().ctl.unit_base, "M.TXT"));
  bool ok = false;
  Line80 line;
  EXPECT_TRUE(stops([&] { read_program_lines(e(), 1, ok, line); }));
  e().ch.close_all();
  EXPECT_EQ(read_file("M.ERR").rfind(" Program run time exceeds limit", 0), 0u);
}

TEST_F(Reader, TooManyLinesStop) {
  write_file("m.txt", "* x\n");
  ASSERT_TRUE(e().ch.open_read(e().ctl.unit_base, "m.txt"));
  bool ok = false;
  Line80 line;
  EXPECT_TRUE(stops([&] { read_program_lines(e(), k_max_statements + 1, ok, line); }));
  EXPECT_NE(console_output().find(" Program has too many statements"), std::string::npos);
}

// --- Splitting a statement --------------------------------------------------

// The operation table tells a label from an operation word, so every
// statement the translator accepts is split the same way.
TEST(Fields, TheOperationTableTellsALabelFromTheOperation) {
  struct Case {
    const char* statement;
    const char* label;
    const char* operation;
    const char* operands;
  };
  const Case cases[] = {
      {"LOOP ADVANCE", "LOOP", "ADVANCE", ""},
      {"  advance 5", "", "advance", "5"},
      {"GENERATE  10,4", "", "GENERATE", "10,4"},
      {"PRINT 'A B'", "", "PRINT", "'A B'"},  // the quoted blank does not split
      {"LBL SEIZE MACH", "LBL", "SEIZE", "MACH"},
      {"START SEIZE MACH", "START", "SEIZE", "MACH"},  // a label that is an operation word
      {"LET+ X$N,1", "", "LET+", "X$N,1"},
      {"AVERYLONGLABEL OPERATIONWORD", "AVERYL", "OPERATIO", ""},  // fields are cut, never overrun
  };
  for (const Case& c : cases) {
    const auto p = split_statement_fields(c.statement);
    EXPECT_EQ(p.label.trimmed(), c.label) << c.statement;
    EXPECT_EQ(p.operation.trimmed().substr(0, 8), c.operation) << c.statement;
    EXPECT_EQ(p.operands.trimmed(), c.operands) << c.statement;
  }
}

TEST(Operands, CommaAndBlankOutsideQuotes) {
  bool comma = false;
  bool blank = false;
  int comma_col = 0;
  int blank_col = 0;
  split_operands("'a,b' x,y", 9, comma, comma_col, blank, blank_col);
  EXPECT_TRUE(comma);
  EXPECT_EQ(comma_col, 8);
  EXPECT_EQ(blank_col, 6);
}

TEST(Suffixes, UnderscoreSuffixesAreRemoved) {
  Line80 line("       SEIZE     MACH_A,X_1+Y");
  int removed = 0;
  int label_removed = 0;
  strip_name_suffixes(line, removed, label_removed);
  EXPECT_EQ(line.trimmed(), "SEIZE     MACH,X+Y");
  EXPECT_EQ(removed, 4);
  Line80 labelled("LOOP_2 ADVANCE 5");
  removed = label_removed = 0;
  strip_name_suffixes(labelled, removed, label_removed);
  EXPECT_EQ(labelled.trimmed(), "LOOP ADVANCE 5");
  EXPECT_EQ(label_removed, 2);
  Line80 quoted("       PRINT     'A_B'");
  strip_name_suffixes(quoted, removed, label_removed);
  EXPECT_EQ(quoted.trimmed(), "PRINT     'A_B'");
}

TEST(LocationTag, TagAndItsCommaAreBlanked) {
  Line80 line("       ADVANCE   5,(Loc:12,30)");
  EXPECT_EQ(find_location_tag(line), 20);
  remove_location_tag(line);
  EXPECT_EQ(line.trimmed(), "ADVANCE   5");
  Line80 open_tag("       ADVANCE   5 (Lo1:12");
  remove_location_tag(open_tag);
  EXPECT_EQ(open_tag.trimmed(), "ADVANCE   5");
}

// --- Marker cards and the listing line --------------------------------------

TEST_F(Reader, MarkerCardsAndSimulateCard) {
  bool marker = false;
  bool simulate = false;
  check_marker_card(e(), Line80("* deb"), marker, simulate);
  EXPECT_TRUE(marker);
  EXPECT_TRUE(e().ctl.debug_mode);
  check_marker_card(e(), Line80("SIMULATE 5"), marker, simulate);
  EXPECT_FALSE(marker);
  EXPECT_TRUE(simulate);
}

TEST_F(Reader, ProgramHeaderFromTheFirstLine) {
  const struct {
    const char* first_line;
    bool header;
  } cases[] = {{"%", true},
               {"* PRO", true},
               {"SIMULATE 3", true},
               {"       SIMULATE  3", false},
               {"* a comment", false}};
  for (const auto& c : cases) {
    write_file("m.txt", std::string(c.first_line) + "\n       END\n");
    e().ctl.program_file_name.assign("m.txt");
    bool header = false;
    read_program_header(e(), e().ctl.unit_base, header);
    EXPECT_EQ(header, c.header) << c.first_line;
  }
}

TEST_F(Reader, ListingLineHasTextThenStatementNumber) {
  e().ch.attach_console(nullptr, nullptr);
  ASSERT_TRUE(e().ch.open_new(40, "list.txt"));
  Line80 line("LOOP   ADVANCE   5");
  write_program_line(e(), 40, 7, line);
  write_program_line(e(), 40, 1000, line);
  e().ch.close(40);
  const std::string body = "LOOP   ADVANCE   5" + std::string(50, ' ');
  EXPECT_EQ(read_file("list.txt"), "      " + body + "  7\n      " + body + "***\n");
}

}  // namespace
}  // namespace kelvo
