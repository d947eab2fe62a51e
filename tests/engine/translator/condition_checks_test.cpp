// IF and WAITIF in the translator: every message of their checks on
// one-line variations of a small model, the relation codes and operands
// they leave, the server IF rewrite, and the WAITIF entries that
// parameter-given stations reach.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/stop.h"
#include "translate_fixture.h"
#include "translator/conditions.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

// A statement: label from column 1, operation from 8, operands from 18.
std::string stmt(const std::string& label, const std::string& word, const std::string& operands) {
  std::string l = label;
  l.resize(7, ' ');
  l += word;
  l.resize(17, ' ');
  return l + operands;
}

// The model every case varies: head lines before GENERATE, the blocks
// under test between GENERATE and its TERMINATE.
std::string model(const Lines& blocks, const Lines& head = {}) {
  std::string m = stmt("", "SIMULATE", "") + "\n";
  for (const auto& h : head) m += h + "\n";
  m += stmt("", "GENERATE", "1,0,,1") + "\n";
  for (const auto& b : blocks) m += b + "\n";
  return m + stmt("NEXT", "TERMINATE", "1") + "\n" + stmt("", "START", "1") + "\n" + stmt("", "END", "") + "\n";
}

// One block under test, with the station PUMP seized before it.
std::string with_pump(const std::string& word, const std::string& operands) {
  return model({stmt("", "SEIZE", "PUMP"), stmt("", word, operands), stmt("", "RELEASE", "PUMP")});
}

std::string tank() { return stmt("TANK", "CAPACITY", "2"); }

// n numbered lines made by f(i), i = 1..n.
template <class F>
Lines repeated(int n, F f) {
  Lines out;
  for (int i = 1; i <= n; ++i) out.push_back(f(i));
  return out;
}

std::string three_digits(int i) {
  std::string s = std::to_string(i);
  return std::string(3 - s.size(), '0') + s;
}

struct MessageCase {
  std::string name;
  std::string model;
  std::string message;  // "" when the model translates without a message
};

std::vector<MessageCase> message_cases() {
  return {
      // Relations.
      {"EqualsThenLess", model({stmt("", "IF", "X$A=<3,NEXT")}), " => and =< illegal: Use >= or <="},
      {"CommaBeforeRelation", model({stmt("", "IF", "X$A,3")}), " Illegal , between A and B operands"},
      {"OperatorAfterRelation", model({stmt("", "IF", "C1>*3,NEXT")}), " Illegal operator"},
      {"WaitifEqualsThenGreater", model({stmt("", "WAITIF", "S$TANK=>2")}), " Illegal order between = and > or <"},
      {"WaitifWithoutRelation", model({stmt("", "WAITIF", "X$A")}), " WAITIF lacking =, > or <"},
      // IF blocks.
      {"IfWithoutAddress", model({stmt("", "IF", "X$A>3")}), " C operand compulsory in IF block"},
      {"IfNumberAsAddress", model({stmt("", "IF", "C1>3,5")}), " Illegal address in C operand"},
      {"IfWithoutBOperand", model({stmt("", "IF", "C1=,NEXT")}), " A and B operands both compulsory in IF block"},
      {"IfAddressNotFound", model({stmt("", "IF", "C1>3,AWAY")}), " AWAY   =  Address of IF block  1 missing"},
      {"IfFunctionAddressWithoutFunctions", model({stmt("", "IF", "C1>3,FN$ADDR")}),
       " No function with named addresses defined"},
      {"IfComparesClockWithConstant", model({stmt("", "IF", "C1>=5,NEXT")}), ""},
      // IF on a server.
      {"ServerWithOtherRelation", with_pump("IF", "PUMP>U,NEXT"), " Only = allowed when A is server"},
      {"ServerWithUnknownWord", with_pump("IF", "PUMP=XYZ,NEXT"), " Error in A + B operand pair of IF"},
      {"NumberWithConditionWord", with_pump("IF", "1=U,NEXT"), " Error in A + B operand pair of IF"},
      {"FacilityInUse", with_pump("IF", "PUMP=U,NEXT"), ""},
      {"StorageWithFacilityWord", model({stmt("", "IF", "TANK=U,NEXT")}, {tank()}), " A operand storage; B operand U or NU"},
      {"StorageFull", model({stmt("", "ENTER", "TANK"), stmt("", "IF", "TANK=F,NEXT")}, {tank()}), ""},
      // A parameter and a name that is no condition word: the pair passes,
      // the name is then no value.
      {"ParameterWithUnknownWord", model({stmt("", "IF", "P1=XYZ,NEXT")}), " SNA or constant expected in operand"},
      // WAITIF on a station.
      {"WaitifFacilityWordWithGreater", with_pump("WAITIF", "PUMP>NU"), " = expected in WAITIF block"},
      {"WaitifSnaWithConditionWord", model({stmt("", "WAITIF", "Q$A=NU")}), " Illegal mixing of SNA and station name mode"},
      {"WaitifUnknownWord", with_pump("WAITIF", "PUMP=XYZ"), " Incorrect B operand in WAITIF block"},
      {"WaitifNumberAsStation", model({stmt("", "WAITIF", "5=U")}), " Incorrect A operand"},
      {"WaitifStorageWithFacilityWord", model({stmt("", "WAITIF", "TANK=U")}, {tank()}),
       " A operand incompatible with condition"},
      {"WaitifFacilityWithStorageWord", with_pump("WAITIF", "PUMP=F"), " A operand incompatible with condition"},
      {"WaitifTwoAdSetsForOneCondition",
       model({stmt("", "SEIZE", "PUMP"), stmt("", "WAITIF", "PUMP=U,WQA"), stmt("", "WAITIF", "PUMP=U,WQB")}),
       " A operand incompatible with condition"},
      {"WaitifAddressIsAQueue", model({stmt("", "ARRIVE", "LINE"), stmt("", "WAITIF", "PUMP=U,LINE")}),
       " Address already used as QUEUE name"},
      {"QueueNamedAsWaitifAddress", model({stmt("", "WAITIF", "PUMP=U,WAITQ"), stmt("", "ARRIVE", "WAITQ")}),
       " Name in A operand used as WAITIF address"},
      {"WaitifParameterWithAdSet", model({stmt("", "WAITIF", "P1=U,WAITQ")}), " Illegal C operand of WAITIF"},
      {"WaitifStationNeverDefined", model({stmt("", "WAITIF", "PUMP=U")}), " Station PUMP   in WAITIF block missing"},
      {"WaitstHasNoConditionWord", with_pump("WAITST", "PUMP=U"), " Illegal waiting condition"},
      {"WaitifWithAdSetAccepted", with_pump("WAITIF", "PUMP=NU,WAITQ"), ""},
      // C operands of WAITIF.
      {"WaitifCDigitSix", with_pump("WAITIF", "PUMP=U,6"), " Illegal C operand of WAITIF"},
      {"WaitifCTwelve", with_pump("WAITIF", "PUMP=U,12"), " Illegal C operand of WAITIF"},
      {"WaitifCTwoLetters", with_pump("WAITIF", "PUMP=U,AB"), " Illegal C operand of WAITIF"},
      {"WaitifCOneLetter", with_pump("WAITIF", "PUMP=U,X"), " Illegal C operand of WAITIF"},
      {"WaitifStaggerBeforeBlockOne", model({stmt("", "WAITIF", "C1<0,2")}), " Illegal C operand of WAITIF"},
      {"WaitifStaggerToBlockOne", model({stmt("", "WAITIF", "C1<0,1")}), ""},
      {"WaitifComparisonWithAddress", model({stmt("", "WAITIF", "C1>2,ABC")}),
       " C operand name illegal in WAITIF with SNA"},
      // Capacities.
      {"HundredAndFirstIf", model(repeated(101, [](int) { return stmt("", "IF", "C1>3,NEXT"); })), " Too many IF blocks"},
      {"ComparingWaitifAfterHundredIfs",
       model([] {
         Lines l = repeated(100, [](int) { return stmt("", "IF", "C1>3,NEXT"); });
         l.push_back(stmt("", "WAITIF", "C1<0"));
         return l;
       }()),
       " Too many IF and special (e.g.SNA) WAITIF blocks"},
      {"TwentySixthStaggeringWaitif", model(repeated(26, [](int) { return stmt("", "WAITIF", "C1<0,1"); })),
       " Too many WAITIFs with C operand"},
      {"SixHundredAndFirstWaitifList",
       model(repeated(601, [](int i) { return stmt("", "WAITIF", "FA" + three_digits(i) + "=U"); })),
       " Too many WAITIF lists"},
      {"ParameterStationsBeyondTheEntries",
       model({stmt("", "WAITIF", "P1=U"), stmt("", "WAITIF", "P1=NU"), stmt("", "WAITIF", "P1=NE"),
              stmt("", "WAITIF", "P1=E")},
             {stmt("1", "CAPACITY", "2"), stmt("160", "CAPACITY", "2")}),
       " Too many storages referred to in WAITIF block"},
  };
}

class ConditionMessage : public TranslateTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(ConditionMessage, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, ConditionMessage, ::testing::ValuesIn(message_cases()),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

class ConditionTranslation : public TranslateTest {};

TEST_F(ConditionTranslation, StorageWordOnAFacilityIsExplainedFirst) {
  translate_fe(with_pump("IF", "PUMP=NF,NEXT"));
  const Lines err = err_lines();
  ASSERT_GE(err.size(), 2u);
  EXPECT_EQ(err[0], " A operand not defined as STORAGE");
  EXPECT_EQ(err[1], " IF A operand facility, B operand must be U or NU");
}

TEST_F(ConditionTranslation, TheStaggeringOverflowKeepsTheModelFromRunning) {
  translate_fe(model(repeated(26, [](int) { return stmt("", "WAITIF", "C1<0,1"); })));
  EXPECT_TRUE(e_->ctl.error_found);
  EXPECT_EQ(e_->cond.stagger_count, 25);
}

// The relation becomes the comma between A and B; the relation code and
// the operands go to the condition entry.
struct RelationCase {
  std::string operands;
  int relation;
  int b_kind;
  int b_value;
};

class IfRelation : public TranslateTest, public ::testing::WithParamInterface<RelationCase> {};

TEST_P(IfRelation, GivesItsCodeAndOperands) {
  const RelationCase& c = GetParam();
  ASSERT_TRUE(translate_fe(model({stmt("", "IF", c.operands)})));
  ASSERT_TRUE(err_lines().empty()) << err_lines()[0];
  ASSERT_EQ(e_->cond.cond_count, 1);
  const CondEntry& entry = e_->cond.cond[1];
  EXPECT_EQ(entry.relation, c.relation);
  EXPECT_EQ(entry.a.kind, opnd::clock);
  EXPECT_EQ(entry.b.kind, c.b_kind);
  if (c.b_kind == opnd::constant) {
    EXPECT_EQ(entry.b.value, c.b_value);
  }
  EXPECT_EQ(entry.target, 3);  // NEXT: the TERMINATE after the IF
}

INSTANTIATE_TEST_SUITE_P(Relations, IfRelation,
                         ::testing::Values(RelationCase{"C1<=3,NEXT", rel::le, opnd::constant, 3},
                                           RelationCase{"C1<3,NEXT", rel::lt, opnd::constant, 3},
                                           RelationCase{"C1<>3,NEXT", rel::ne, opnd::constant, 3},
                                           RelationCase{"C1=3,NEXT", rel::eq, opnd::constant, 3},
                                           RelationCase{"C1>3,NEXT", rel::gt, opnd::constant, 3},
                                           RelationCase{"C1>=2.5,NEXT", rel::ge, opnd::decimal, 0}));

TEST_F(ConditionTranslation, TwoCharacterRelationClosesTheGapAndIsListedAsWritten) {
  ASSERT_TRUE(translate_fe(model({stmt("", "IF", "C1<>3,NEXT ! comment")})));
  EXPECT_TRUE(err_lines().empty());
  EXPECT_EQ(e_->cond.cond[1].b.value, 3);
  const Lines listing = console_lines();
  EXPECT_NE(std::find_if(listing.begin(), listing.end(),
                         [](const std::string& l) { return l.find("IF        C1<>3,NEXT ! comment") != std::string::npos; }),
            listing.end());
}

// Server conditions: operand A's kind, the relation and the constant B,
// with the station's number after linking.
struct ServerCase {
  std::string word;
  int a_kind;
  int relation;
  int b;
};

class ServerCondition : public TranslateTest, public ::testing::WithParamInterface<ServerCase> {};

TEST_P(ServerCondition, ReadsContentsOrRoom) {
  const ServerCase& c = GetParam();
  const bool facility = c.word == "U" || c.word == "NU";
  const std::string m = facility ? with_pump("IF", "PUMP=" + c.word + ",NEXT")
                                 : model({stmt("", "ENTER", "TANK"), stmt("", "IF", "TANK=" + c.word + ",NEXT")}, {tank()});
  ASSERT_TRUE(translate_fe(m));
  ASSERT_TRUE(err_lines().empty()) << err_lines()[0];
  const CondEntry& entry = e_->cond.cond[1];
  EXPECT_EQ(entry.a.kind, c.a_kind);
  EXPECT_EQ(entry.a.value, 1);  // the station's number
  EXPECT_EQ(entry.relation, c.relation);
  EXPECT_EQ(entry.b.kind, opnd::constant);
  EXPECT_EQ(entry.b.value, c.b);
}

INSTANTIATE_TEST_SUITE_P(Words, ServerCondition,
                         ::testing::Values(ServerCase{"U", opnd::storage, rel::eq, 1},
                                           ServerCase{"NU", opnd::storage, rel::eq, 0},
                                           ServerCase{"NF", opnd::remaining, rel::gt, 0},
                                           ServerCase{"NE", opnd::storage, rel::gt, 0},
                                           ServerCase{"F", opnd::remaining, rel::eq, 0},
                                           ServerCase{"E", opnd::storage, rel::eq, 0}));

TEST_F(ConditionTranslation, ParameterServerReadsThroughTheParameter) {
  ASSERT_TRUE(translate_fe(model({stmt("", "IF", "P2=NU,NEXT")})));
  const CondEntry& entry = e_->cond.cond[1];
  EXPECT_EQ(entry.a.kind, -opnd::storage);
  EXPECT_EQ(entry.a.value, 2);
}

TEST_F(ConditionTranslation, ComparingWaitifBecomesTheRetestForm) {
  // Block 2 compares two SNAs and staggers back 1 block.
  ASSERT_TRUE(translate_fe(model({stmt("", "ARRIVE", "LINE"), stmt("", "WAITIF", "S$TANK>Q$LINE,1"),
                                  stmt("", "ENTER", "TANK")},
                                 {tank()})));
  ASSERT_TRUE(err_lines().empty()) << err_lines()[0];
  EXPECT_EQ(e_->blocks.block_op[3], bc::waitif_retest);
  EXPECT_EQ(e_->blocks.block_opnd[3], 1);
  EXPECT_EQ(e_->cond.stagger_block[1], 2);
  const CondEntry& entry = e_->cond.cond[e_->blocks.block_arg[3]];
  EXPECT_EQ(entry.relation, rel::gt);
  EXPECT_EQ(entry.a.kind, opnd::storage);
  EXPECT_EQ(entry.a.value, 1);
  EXPECT_EQ(entry.b.kind, opnd::queue);
  EXPECT_EQ(entry.b.value, 1);
  EXPECT_TRUE(entry.shared_test);
}

TEST_F(ConditionTranslation, ParameterInAComparingWaitifIsWarnedAbout) {
  ASSERT_TRUE(translate_fe(model({stmt("", "WAITIF", "P1>C1"), stmt("", "WAITIF", "C1>5")})));
  EXPECT_EQ(file_lines("m.WRN"), (Lines{" ******WARNING***********", " Execution of (WAITIF) block    2 might be very inefficient",
                                        " ******WARNING***********", " Execution of (WAITIF) block    3 might be very inefficient"}));
  EXPECT_FALSE(e_->cond.cond[1].shared_test);
  EXPECT_TRUE(e_->cond.cond[2].shared_test);
}

TEST_F(ConditionTranslation, WaitifsOnOneStationAndWordShareAnEntry) {
  ASSERT_TRUE(translate_fe(model({stmt("", "SEIZE", "PUMP"), stmt("", "WAITIF", "PUMP=U,WAITQ"),
                                  stmt("", "WAITIF", "PUMP=U"), stmt("", "WAITIF", "PUMP=NU")})));
  ASSERT_TRUE(err_lines().empty()) << err_lines()[0];
  EXPECT_EQ(e_->blocks.block_arg[3], 1);
  EXPECT_EQ(e_->blocks.block_arg[4], 1);
  EXPECT_EQ(e_->blocks.block_arg[5], 2);
  const auto& t = e_->cond;
  EXPECT_EQ(t.waitif[1].kind, wkind::not_full);
  EXPECT_EQ(t.waitif[2].kind, wkind::full);
  EXPECT_EQ(t.waitif[1].adset, e_->ent.q.queue_count);  // WAITQ, after the implicit queue of PUMP
  // Both entries are listed under the station, which re-tests them.
  EXPECT_EQ(t.first_entry[1], 1);
  EXPECT_EQ(t.waitif[1].next_of_station, 2);
  EXPECT_EQ(e_->ent.st.station_waitif[1], k_true);
}

TEST_F(ConditionTranslation, ParameterStationsReachTheirOwnEntries) {
  // Storages 1 and 2, facility PUMP (station 3): a parameter value 1 or 2
  // names a storage, 3 and above a facility beyond the named ones.
  ASSERT_TRUE(translate_fe(model({stmt("", "SEIZE", "PUMP"), stmt("", "WAITIF", "PUMP=U"), stmt("", "WAITIF", "P1=F"),
                                  stmt("", "WAITIF", "P2=NU")},
                                 {stmt("1", "CAPACITY", "2"), stmt("2", "CAPACITY", "2")})));
  ASSERT_TRUE(err_lines().empty()) << err_lines()[0];
  const auto& t = e_->cond;
  // Entries 1 to 3 are the blocks'; two kinds share the other 597.
  EXPECT_EQ(t.param_range, 298);
  EXPECT_EQ(t.waitif_count, 3 + 2 * 298);
  EXPECT_EQ(t.waitif[2].param_base, 3);
  EXPECT_EQ(t.waitif[3].param_base, 3 + 298);
  EXPECT_EQ(t.waitif[3 + 1].station, 1);
  EXPECT_EQ(t.waitif[3 + 3].station, 4);
  EXPECT_EQ(t.waitif[3 + 3].kind, wkind::not_full);
  EXPECT_EQ(t.waitif[3 + 298 + 3].station, 4);
  EXPECT_EQ(t.waitif[3 + 298 + 3].kind, wkind::full);
  EXPECT_EQ(e_->ent.st.station_waitif[4], k_true);
}

TEST_F(ConditionTranslation, TheRelationIsSoughtOutsideParentheses) {
  e_->cs.stmt.stmt_line.assign(stmt("", "IF", "(A,B)>3,NEXT"));
  bool known = false;
  check_statement_syntax(*e_, known);
  EXPECT_FALSE(e_->ctl.error_reported);
  EXPECT_EQ(e_->cond.statement_relation, rel::gt);
  EXPECT_EQ(std::string(trim_right(e_->cs.stmt.stmt_line.view())), stmt("", "IF", "(A,B),3,NEXT"));
}

// ---- The server IF rewrite on single lines.

struct RewriteCase {
  std::string operands;
  std::string rewritten;  // "" when the line stays
  std::string message;
};

class ServerIfRewrite : public TranslateTest, public ::testing::WithParamInterface<RewriteCase> {};

TEST_P(ServerIfRewrite, ComparesTheServerValueWithZero) {
  const RewriteCase& c = GetParam();
  const std::string line = stmt("", "IF", c.operands);
  e_->cs.stmt.stmt_line.assign(line);
  e_->ctl.current_statement = e_->cs.stmt.stmt_line;
  e_->cs.syn.operand_end_col = 72;
  bool known = false, rewritten = false;
  try {
    check_statement_syntax(*e_, known);
    rewritten = check_server_if_operand(*e_);
  } catch (const EngineStop&) {
  }
  EXPECT_EQ(rewritten, !c.rewritten.empty());
  if (rewritten) {
    EXPECT_EQ(std::string(trim_right(e_->cs.stmt.stmt_line.view())), stmt("", "IF", c.rewritten));
  }
  const Lines out = console_lines();
  EXPECT_EQ(out.empty() ? "" : out[0], c.message);
}

INSTANTIATE_TEST_SUITE_P(Lines, ServerIfRewrite,
                         ::testing::Values(RewriteCase{"PUMP=U,NEXT", "F$PUMP>0,NEXT", ""},
                                           RewriteCase{"PUMP=NU,NEXT", "F$PUMP=0,NEXT", ""},
                                           RewriteCase{"TANK=E,NEXT", "S$TANK=0,NEXT", ""},
                                           RewriteCase{"TANK=NE,NEXT", "S$TANK>0,NEXT", ""},
                                           RewriteCase{"TANK=F,NEXT ! full", "R$TANK=0,NEXT ! full", ""},
                                           RewriteCase{"TANK=NF,NEXT", "R$TANK>0,NEXT", ""},
                                           RewriteCase{"P1=U,NEXT", "F*1>0,NEXT", ""},
                                           RewriteCase{"P12=E,NEXT", "S*12=0,NEXT", ""},
                                           RewriteCase{"X$A=5,NEXT", "", ""},
                                           RewriteCase{"X$A=P1,NEXT", "", ""},
                                           RewriteCase{"PUMP=X,NEXT", "", " Incorrect B operand in server IF statement"},
                                           RewriteCase{"X$A=XB,NEXT", "", " Incorrect B operand in server IF statement"},
                                           RewriteCase{"PUMP=U," + std::string(46, 'A'), "",
                                                       " A operand too long"}));

}  // namespace
}  // namespace kelvo::test
