#include "exchange/parse_file.h"

#include <sstream>
#include <vector>

#include "../engine_fixture.h"
#include "io/channels.h"
#include "support/statement_reader.h"

namespace kelvo {
namespace {

// True when want occurs as one contiguous run of lines in have.
bool contains_run(const std::vector<std::string>& have, const std::vector<std::string>& want) {
  if (want.size() > have.size()) return false;
  for (std::size_t i = 0; i + want.size() <= have.size(); ++i) {
    if (std::equal(want.begin(), want.end(), have.begin() + static_cast<long>(i))) return true;
  }
  return false;
}

std::string show(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += "[" + l + "]\n";
  return s;
}

class ParseFile : public testing::EngineTest {
 protected:
  // Runs the parse pass's classification over the model lines with
  // "newparse.zwx" in force; returns the lines of "parsefile".
  std::vector<std::string> parse(const std::vector<std::string>& model, bool newparse = true) {
    reset_parse_state(e());
    e().ctl.parse_end_flag = false;
    e().ctl.newparse_mode = newparse;
    if (newparse) {
      e().ch.open_new(e().ctl.unit_base + io::offset::parsefile, "parsefile");
      e().ch.open_new(e().ctl.unit_base + io::offset::mainfile, "mainfile");
    }
    int count = 0;
    for (const auto& text : model) classify_line(e(), ++count, Line80(text));
    e().ch.close(e().ctl.unit_base + io::offset::parsefile);
    e().ch.close(e().ctl.unit_base + io::offset::mainfile);
    return testing::stripped_lines(read_file("parsefile"));
  }
};

struct RecordCase {
  const char* name;
  std::vector<std::string> model;
  std::vector<std::string> records;  // right-trimmed, one contiguous run
};

const std::vector<RecordCase>& record_cases() {
  static const std::vector<RecordCase> cases = {
      {"generate", {"       GENERATE  10,5"}, {"  108 GENERATE", "    2 10", "    1 5", "    0", "    0", "    0"}},
      {"generate_empty_operand", {"       GENERATE  ,5"}, {"  108 GENERATE", "    0", "    1 5", "    0"}},
      {"advance", {"       GENERATE 1", "       ADVANCE 5"}, {"  505 ADVANCE", "    1 5", "    0"}},
      {"advance_empty_operand", {"       GENERATE 1", "       ADVANCE ,5"}, {"  505 ADVANCE", "    1", "    1 5"}},
      {"start_end",
       {"       GENERATE 1", "       START 100,NP", "       END"},
       {" 3003 START", "    3 100", "    1 N", " 3101 END"}},
      {"start_without_option", {"       START 100", "       END"}, {" 3003 START", "    3 100", "    1", " 3101 END"}},
      {"let_before_generate",
       {"       LET X$A=5"},
       {" 4005 StartValues", "    1 A", "    1 5", "    0", "    0"}},
      {"let_after_generate",
       {"       GENERATE 1", "       LET X$A=5"},
       {" 1407 LET", "    1", "    3 X$A", "    1 0", "    1 5"}},
      {"let_plus_priority", {"       GENERATE 1", "       LET+ PR=2"}, {" 1507 LET+", "    2", "    0", "    1 1", "    1 2"}},
      {"let_plus_comma", {"       GENERATE 1", "       LET+ X$A,2"}, {" 1507 LET+", "    2", "    3 X$A", "    1 0", "    1 2"}},
      {"let_minus_priority_comma", {"       GENERATE 1", "       LET- PR,P1"}, {" 1607 LET-", "    4", "    0", "    1 1", "    2 P1"}},
      {"let_statistic",
       {"       GENERATE 1", "       LET X$AV=S,Q$WQ,M"},
       {" 1708 LET", "    5", "    2 AV", "    1 3", "    1 M", "    2 WQ"}},
      {"let_range",
       {"       GENERATE 1", "       LET X$HI=MAX,X$A,X$B"},
       {" 1809 LET", "    3", "    2 HI", "    1 X", "    1 5", "    3 X$B", "    0"}},
      {"if_condition",
       {"       GENERATE 1", "       IF Q$WQ>5,LOOP"},
       {" 1108 IF", "    1", "    4 Q$WQ", "    2", "    1 5", "    4 LOOP"}},
      {"if_two_character_relation",
       {"       GENERATE 1", "       IF X$A<>P1,AWAY"},
       {" 1108 IF", "    1", "    3 X$A", "    6", "    2 P1", "    4 AWAY"}},
      {"if_server_state", {"       GENERATE 1", "       IF FAC=U,LOOP"}, {" 1107 IF", "    2", "    3 FAC", "    1", "    4 LOOP"}},
      {"waitif_server_state", {"       GENERATE 1", "       WAITIF FAC=NE,2"}, {" 1306 WAITIF", "    3 FAC", "    4", "    2"}},
      {"print_text", {"       GENERATE 1", "       PRINT 'HELLO',X"}, {" 1908 PRINT", "    1 1", "    5 HELLO", "    0", "    1 F", "    1"}},
      {"print_section", {"       GENERATE 1", "       PRINT Q"}, {" 1908 PRINT", "    1 3", "    0", "    0", "    1 F", "    1"}},
      {"print_unknown_letter", {"       GENERATE 1", "       PRINT Z"}, {" 1908 PRINT", "    1 0", "    0", "    0"}},
      {"function_random", {"       FUNCTION RN3,R"}, {" 3805 FUNCTION", "    1", "    3 RN3", "    1 R"}},
      {"function_two_digit_stream", {"       FUNCTION RN12,R"}, {" 3805 FUNCTION", "    1", "    4 RN12", "    1 R"}},
      {"function_plain", {"       FUNCTION X$A,d"}, {" 3805 FUNCTION", "    2", "    3 X$A", "    1 D"}},
      {"capacity_empty", {"       CAPACITY"}, {" 3704 CAPACITY", "    0", "    1"}},
      {"capacity", {"       CAPACITY TANK,5"}, {" 3704 CAPACITY", "    6 TANK,5", "    0"}},
      {"experi",
       {"       EXPERI X$A,X$B,5,2,10,ABL"},
       {" 3408 EXPERI", "    1 A", "    1 B", "    1 5", "    1 2", "    2 10", "    3 ABL", "    1"}},
      {"reset_after_start",
       {"       START 100,NP", "       RESET 5"},
       {" 3504 WARM UP", "    3 100", "    1 N", "    1 05"}},
      {"enter_queue", {"       GENERATE 1", "       ENTER TANK,Q"}, {"  906 ENTER", "    4 TANK", "    0", "    1"}},
      {"seize_items", {"       GENERATE 1", "       SEIZE MACH,B,C"}, {"  306 SEIZE", "    4 MACH", "    1 B", "    1 C"}},
      {"return", {"       GENERATE 1", "       RETURN MACH"}, {" 2805 RETURN", "    4 MACH", "   -1"}},
      {"split", {"       GENERATE 1", "       SPLIT 2,LOOP,P$A"}, {" 2206 SPLIT", "    1 2", "    4 LOOP", "    1 A"}},
      {"trace_on", {"       GENERATE 1", "       TRACE ON"}, {" 2404 TRACE", "    1"}},
      {"matrix", {"       MATRIX ,B,'TITLE'"}, {" 2506 MATRIX", "    0", "    1 B", "    5 TITLE"}},
      {"anim_create", {"       GENERATE 1", "       ANIM CREATE,P$SEG1,FIG1"}, {" 2606 ANIM", "    3", "    4 SEG1", "    4 FIG1"}},
      {"table", {"       TABLE T1,X$A,0,10,c"}, {" 3607 TABLE", "    2 T1", "    3 X$A", "    1 0", "    2 10", "    1 C"}},
      {"simulate", {"       SIMULATE"}, {" 2903 SIMULATE", "    0", "    0"}},
      {"label_and_inline_comment",
       {"       GENERATE 1", "LOOP   ADVANCE 5 ! wait here"},
       {"  505 ADVANCE", "    1 5", "    0", "    4 LOOP", "    9 wait here"}},
      {"data_line", {"       FUNCTION X$A,D", "0.5 10"}, {" 4317 0.5      10"}},
      {"held_text_for_input",
       {"! Give the rate", "       INPUT X$RATE"},
       {" 3305 StartValues", "    4 RATE", "    0", "    0", "   13 Give the rate"}},
      {"input_without_held_text", {"       INPUT X$RATE"}, {" 3305 StartValues", "    4 RATE", "    0", "    1", "    0"}},
      {"comment_after_generate", {"       GENERATE 1", "*  A comment"}, {" 4102 *", "    9 A comment"}},
      // Unchecked text: missing parts are empty, long parts cut.
      {"if_without_relation_or_comma", {"       GENERATE 1", "       IF X"}, {" 1108 IF", "    1", "    1 X", "    0", "    0", "    0"}},
      {"if_without_comma", {"       GENERATE 1", "       IF Q$A>=5"}, {" 1108 IF", "    1", "    3 Q$A", "    4", "    1 5", "    0"}},
      {"if_long_target", {"       GENERATE 1", "       IF Q$A>5,ABCDEFGHI"}, {"    1 5", "    6 ABCDEF"}},
      {"if_server_long_target", {"       GENERATE 1", "       IF F=U,ABCDEFGHI"}, {"    1", "    6 ABCDEF"}},
      {"let_without_equals", {"       GENERATE 1", "       LET X$A"}, {" 1407 LET", "    1", "    3 X$A", "    1 0", "    0"}},
      {"let_short_name_before_generate", {"       LET X=5"}, {" 4005 StartValues", "    0", "    1 5"}},
      {"terminate_long_operand",
       {"       GENERATE 1", "       TERMINATE " + std::string(60, 'A')},
       {"  204 TERMINATE", "    8 AAAAAAAA"}},
      {"generate_long_operand", {"       GENERATE " + std::string(60, '9')}, {"  108 GENERATE", "   60 " + std::string(60, '9')}},
      {"function_cut_short", {"       FUNCTION R"}, {" 3805 FUNCTION", "    1", "    3 RN", "    1 R"}},
      {"split_short_item", {"       GENERATE 1", "       SPLIT 1,L,P"}, {"    1 L", "    0"}},
      {"print_empty_quotes", {"       GENERATE 1", "       PRINT ''"}, {" 1908 PRINT", "    1 1", "    0", "    0"}},
  };
  return cases;
}

TEST_F(ParseFile, EachStatementKindWritesItsRecords) {
  for (const RecordCase& c : record_cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<std::string> have = parse(c.model);
    EXPECT_TRUE(contains_run(have, c.records)) << show(have);
  }
}

TEST_F(ParseFile, RecordsKeepTheBlanksWrittenAfterTheirNumber) {
  // Records whose number is followed by blanks keep those blanks.
  parse({"       GENERATE 10,5", "       IF Q$WQ>5,LOOP"});
  const std::string text = read_file("parsefile");
  EXPECT_NE(text.find("  108 GENERATE\n    2 10\n    1 5\n    0\n    0\n    0\n"), std::string::npos) << text;
  EXPECT_NE(text.find(" 1108 IF\n    1  \n    4 Q$WQ\n    2  \n    1 5\n    4 LOOP\n"), std::string::npos) << text;
  parse({"       LET X$A=5"});
  EXPECT_EQ(read_file("parsefile"), " 4005 StartValues\n    1 A\n    1 5\n    0   \n    0  \n");
}

TEST_F(ParseFile, StatisticAndStartValueWritersChangeTheCode) {
  int code = pop::let;
  write_statement_record(e(), "X$A=5", 5, code, Text6());
  EXPECT_EQ(code, pop::let_start_value);
  e().parse.first_generate_seen = true;
  code = pop::let;
  write_statement_record(e(), "X$AV=S,Q$WQ,M", 13, code, Text6());
  EXPECT_EQ(code, pop::let_statistic);
  code = pop::let;
  write_statement_record(e(), "X$HI=MAX,X$A,X$B", 16, code, Text6());
  EXPECT_EQ(code, pop::let_range);
  code = pop::let;
  write_statement_record(e(), "X$MX=MX$M(1,2),3", 16, code, Text6());
  EXPECT_EQ(code, pop::let);
}

TEST_F(ParseFile, MainFileHoldsStatementsAndCommentGroups) {
  const std::string stmt = "       GENERATE  10,5";
  parse({"*  Before", "! held", stmt, "*  A comment", "", "       END"});
  const std::vector<std::string> main = testing::stripped_lines(read_file("mainfile"));
  const std::vector<std::string> want = {stmt, " *  A comment", "    0", "    1 *", "    0", "    9 A comment",
                                         "       END"};
  EXPECT_EQ(main, want);
  // The statement line keeps its 80 columns.
  EXPECT_EQ(read_file("mainfile").substr(0, 81), stmt + std::string(80 - stmt.size(), ' ') + "\n");
}

TEST_F(ParseFile, BlocksAreCountedWithoutWritingAnyFile) {
  parse({"       SIMULATE", "       LET X$A=5", "       GENERATE 1", "       LET X$B=2", "       ADVANCE 5",
         "       FUNCTION RN1,R", "1 2", "       TERMINATE 1", "       START 1", "       END"},
        false);
  EXPECT_EQ(e().parse.block_count, 4);  // GENERATE, LET after it, ADVANCE, TERMINATE
  EXPECT_TRUE(e().parse.first_generate_seen);
  EXPECT_TRUE(e().ctl.parse_end_flag);
  EXPECT_FALSE(io::Channels::exists("parsefile"));
  EXPECT_FALSE(io::Channels::exists("mainfile"));
}

// ANIM is refused only in a model that is to be animated automatically;
// an animated model (an ANI file) keeps its ANIM statements.
TEST_F(ParseFile, AnimIsRefusedOnlyWhenTheModelIsToBeAnimated) {
  const Line80 line("       ANIM      CREATE,P$SEG1,FIG1");
  e().ctl.auto_animation_flag = true;
  EXPECT_FALSE(stops([&] { classify_line(e(), 1, line); }));
  e().ctl.auto_animation_flag = false;
  e().ctl.animation_mode = true;
  EXPECT_TRUE(stops([&] { classify_line(e(), 1, line); }));
  EXPECT_NE(console_output().find(" Automatic animation not allowed with ANIM"), std::string::npos) << console_output();
}

TEST_F(ParseFile, StartValueBookkeepingForTheAnimatedModel) {
  parse({"       LET X$dum=3", "       EXPERI X$A,X$B,5,2,10,AB"});
  EXPECT_TRUE(e().parse.model_sets_x_dum);
  EXPECT_EQ(e().parse.experi_start_line.trimmed_right(), "LET X$A=2");
}

TEST_F(ParseFile, SplitKeepsQuotedCommasAndSevenItems) {
  const std::string text = "'A,B',,C,4,5,6,7,8";
  const OperandItems it = split_operand_items(text, static_cast<int>(text.size()));
  EXPECT_EQ(it.count, 7);
  EXPECT_EQ(it[1], "'A,B'");
  EXPECT_EQ(it[2], " ");
  EXPECT_EQ(it[7], "7");
  EXPECT_EQ(it[8], "");
  EXPECT_EQ(split_operand_items(text, 0).count, 0);
}

// Every operation word with every awkward operand, before and after the
// first GENERATE: records stay well formed and nothing is read or written
// out of bounds (the sanitizer build runs this too).
TEST_F(ParseFile, MalformedStatementsWriteClampedRecords) {
  const std::vector<std::string> operands = {
      "",    ",",   "=",     "'",        "''",   "X",     ",,,,,,,,,,", "A=",  "=,",    "<",   ">=",
      "<>",  ",R",  "R",     "'ab,c",    "F=U",  "F=NU,", "X$A=S,",     "X$=M", "PR=",  "1,2", "Q",
      "'x'", "A,'", "RN,R",  "X$A=MX,1", "L",    "ON",    std::string(60, 'Z'), std::string(59, ',') + "Z"};
  std::vector<std::string> model;
  for (int pass = 0; pass < 2; ++pass) {
    if (pass == 1) model.push_back("       GENERATE 1");
    for (int code = 1; code <= 41; ++code) {
      if (code == 31) continue;  // END closes the pass
      const std::string word(parse_op_display(code));
      if (word.rfind("LET", 0) == 0 && code != 14 && code != 15 && code != 16) continue;
      for (const std::string& op : operands) model.push_back("LAB    " + word + " " + op + " ! note");
    }
  }
  model.push_back("       END");
  const std::vector<std::string> have = parse(model);
  ASSERT_GT(have.size(), 1000u);
  for (const std::string& line : have) {
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line[0], ' ') << line;
    EXPECT_LE(line.size(), 84u) << line;
  }
  EXPECT_EQ(have.back(), " 3101 END");
}

}  // namespace
}  // namespace kelvo
