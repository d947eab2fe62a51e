// Compile messages under the front end: each one-line variation of the
// base model gives its message as the first line of the model's ERR file,
// in the four-line layout; some add hint lines, some are reported only,
// some stop the engine.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "translate_fixture.h"
#include "support/packed_names.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class MessageTest : public TranslateTest {};

// A statement with its operand's last character in column `col`.
std::string terminate_ending_at(int col) {
  std::string line = "       TERMINATE";
  line.resize(col - 1, ' ');
  return line + "1";
}

// ---- Messages that are all a variation shows: the first ERR line.

struct MessageCase {
  std::string name;
  std::string model;
  std::string message;  // "" when the model translates without a message
};

std::vector<MessageCase> message_cases() {
  std::string label_twice = base_with(6, "LOOP   ADVANCE   8,3");
  label_twice.replace(label_twice.find("       RELEASE"), 7, "LOOP   ");
  return {
      // The statement's form.
      {"OperandEndingInColumn72ExceedsTheStatement", base_with(8, terminate_ending_at(72)), " Statement exceeds column 72"},
      {"OperandEndingInColumn71IsAccepted", base_with(8, terminate_ending_at(71)), ""},
      {"NineOperandsAreTooMany", base_with(2, "       GENERATE  1,2,3,4,5,6,7,8,9"), " Too many operands"},
      {"TenLetterOperationWord", base_with(6, "       ADVANCEXYZ 5"), " Illegal operation code or operands. ! expected"},
      {"ObsoleteOperation", base_insert(6, "       FVARIABLE 1"), " FVARIABLE is now obsolete. Use ValueOf instead"},
      {"UnknownOperation", base_insert(6, "       FOOBAR    1"), " Operation does not exist in Brannic"},
      // Statements whose run-time is not built yet (TABULATE needs a TABLE).
      {"TraceOn", base_insert(6, "       TRACE     ON"), ""},
      {"TabulateWithoutTable", base_insert(6, "       TABULATE  TAB1"), " Table in A operand not defined"},
      {"ExperiStatement", base_insert(6, "       EXPERI    X$A"), " Restart KELVO to run program with EXPERI"},
      {"AnimStatementBeforeGenerate", base_insert(1, "       ANIM      CREATE,P$SEG1,FIG1"), " This block cannot be used as control statement"},
      {"AnimStatementWithoutProgramCall", base_insert(6, "       ANIM      1"), " Illegal operation code or operands. ! expected"},
      {"UnknownProgram", base_insert(6, "       HELP      SNAQX,C1,1,X$A"), " No FORTRAN program with A operand name"},
      // Matrix and graph statements.
      {"MatrixReferenceWithOneIndex", base_insert(6, "       LET       X$A=MX(1)"), " Illegal expression in MX("},
      {"GraphWithOneAxis", base_insert(6, "       GRAPH     Q$LINE"), " GRAPH with no or incorrect operand"},
      {"MatrixWithoutOperand", base_insert(6, "       MATRIX"), " MATRIX with no or incorrect operand"},
      // Addresses.
      {"LabelDefinedTwice", label_twice, " Address defined twice"},
      {"AddressStartingWithDigit", base_with(6, "1ABC   ADVANCE   5"), " Illegal address starting with digit"},
      {"ShortAddress", base_with(6, "AB     ADVANCE   5"), " Address or code shorter than 3 characters"},
      // GENERATE and ADVANCE operands.
      {"GenerateSpreadAboveMean", base_with(2, "       GENERATE  3,5"), " A < B can make time go backwards"},
      {"GenerateLimitAboveMaximum", base_with(2, "       GENERATE  10,,,100001"), " Maximum value of D operand = 100000"},
      {"GenerateAllZero", base_with(2, "       GENERATE  0,0"), " A, B and D operands all 0"},
      {"GeneratePriorityTooHigh", base_with(2, "       GENERATE  10,,,,1000000"), " Priority value too high.  999999 max"},
      {"GeneratePriorityTooLow", base_with(2, "       GENERATE  10,,,,-1000000"), " Priority value too low.  -999999 min"},
      {"UndefinedSavevalueInAdvance", base_with(6, "       ADVANCE   X$UNK"), " Savevalue not defined earlier in program"},
      {"UndefinedExpressionInAdvance", base_with(6, "       ADVANCE   V$NOPE"), " Expression (V$value) not defined"},
      // Block operands.
      {"BlockWithoutItsOperand", base_with(4, "       SEIZE"), " A operand missing"},
      {"ArriveWithoutOperand", base_with(3, "       ARRIVE"), " A operand missing"},
      {"ArriveWithBOperand", base_with(3, "       ARRIVE    WAIT,2"), " No B operand allowed"},
      {"ArriveWithSna", base_with(3, "       ARRIVE    Q$XYZ"), " This type of SNA not allowed"},
      {"StorageUsedAsFacility", base_insert(2, "MACH   CAPACITY  5"), " Storage used as facility"},
      {"ReturnBeforePreempt", base_with(7, "       RETURN    PUMP"), " RETURN before matching PREEMPT"},
      {"WaitifWithoutRelation", base_insert(6, "       WAITIF    FAC"), " WAITIF lacking =, > or <"},
      {"TerminateWithParameterIsIllegal", base_with(8, "       TERMINATE P1"), " Illegal A operand, not 0..999999 or X$name"},
      {"OnlyTerminateCountsZero", base_with(8, "       TERMINATE 0"), " No TERMINATE block with positive A constant"},
      // CAPACITY.
      {"CapacityWordWithExtraLetter", base_insert(2, "TANK   CAPACITYX 5"), " Incorrect CAPACITY definition"},
      {"CapacityAfterGenerate", base_insert(3, "TANK   CAPACITY  5"), " CAPACITY put after first GENERATE"},
      // LET.
      {"LetBlockWithoutOperand", base_insert(6, "       LET"), " LET must have a B operand"},
      {"LetWithoutBOperand", base_insert(6, "       LET       X$TOT"), " LET must have a B operand"},
      {"LetWithTooLongAOperand", base_insert(6, "       LET       X$TOTALS1=5"), " A operand too long"},
      {"ControlLetNeedsSavevalue", "       LET       Q$ABC=1\n" + base_model(), " A operand must be savevalue"},
      {"ControlLetExpressionWithOtherSna", "       LET       X$A=Q$BUF+1\n" + base_model(), " Only X$ allowed as SNA in control LET"},
      // START, RESET and SIMULATE.
      {"StartWithNameOperand", base_with(9, "       START     ABC"), " Illegal A operand"},
      {"StartWithoutAOperand", base_with(9, "       START"), " START must have an A operand"},
      {"StartWithZeroCountIsRefusedAtTheEnd", base_with(9, "       START     0"), " START without A operand"},
      {"StartWithTooLongAOperand", base_with(9, "       START     123456789"), " A operand too long"},
      {"ResetWithThreeDigits", base_insert(10, "       RESET     123"), " A operand must have only 2 digits"},
      {"TwoResetsWithAOperand", before_end(base_insert(10, "       RESET     2"), "       RESET     2\n"),
       " Only one RESET with A operand allowed"},
      {"SimulateRunsAndResetAIncompatible", before_end(base_with(1, "       SIMULATE  3"), "       RESET     2\n"),
       " SIMULATE A > 1 and RESET A >1 incompatible"},
  };
}

class FirstMessageTest : public TranslateTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(FirstMessageTest, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, FirstMessageTest, ::testing::ValuesIn(message_cases()),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

// ---- The report's layout and the error state.

TEST_F(MessageTest, ErrorReportHasFourLines) {
  translate_fe(base_with(6, "       ADVANCE   10, 5"));
  EXPECT_EQ(err_lines(), (Lines{" Illegal character or blank in operand field", " Error found at the following statement:",
                                "", "          ADVANCE   10, 5"}));
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(MessageTest, InlineCommentAfterOperandsIsAccepted) {
  translate_fe(base_with(6, "       ADVANCE   10,5 ! ok"));
  EXPECT_TRUE(err_lines().empty());
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(MessageTest, BlockBeforeFirstGenerate) {
  EXPECT_EQ(first_error(base_insert(2, "       ADVANCE   5")), " Block prior to first GENERATE");
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(MessageTest, TableAfterGenerateIsReportedOnly) {
  translate_fe(base_insert(3, "TAB1   TABLE     Q$LINE,0,5,10"));
  EXPECT_EQ(err_lines().at(0), " This must come prior to first GENERATE block");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.tab.table_count, 1);
}

TEST_F(MessageTest, NoSimulate) {
  translate_fe(base_with(1, "* no simulate"));
  EXPECT_EQ(err_lines(), (Lines{" No SIMULATE = no execution"}));
  EXPECT_TRUE(e_->ctl.error_found);
}

// ---- Reported only: the translation goes on.

TEST_F(MessageTest, DepartWithoutArriveWarnsAndTranslates) {
  EXPECT_EQ(first_error(base_with(3, "* no arrive")), "");
  EXPECT_EQ(file_lines("m.WRN"), (Lines{"** WARNING **  No matching ARRIVE block above"}));
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(MessageTest, ResetBeforeStartIsReportedAndDropped) {
  EXPECT_EQ(first_error(base_insert(9, "       RESET")), " RESET before START");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2");
}

TEST_F(MessageTest, SavevalueInitialisedTwice) {
  const std::string model = "       LET       X$TOT=5\n       LET       X$TOT=5\n" + base_model();
  EXPECT_EQ(first_error(model), " Savevalue already initialized");
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(MessageTest, SecondSimulateAfterGenerate) {
  EXPECT_EQ(first_error(base_insert(9, "       SIMULATE")), "Only 1 SIMULATE allowed");
  EXPECT_FALSE(e_->ctl.error_found);
}

// ---- Errors that stop the engine.

TEST_F(MessageTest, TerminateWithUndefinedSavevalueStops) {
  translate_fe(base_with(8, "       TERMINATE X$UNDEF"));
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" X$UNDEF in TERMINATE not defined"}));
}

TEST_F(MessageTest, ModelWithoutEndStops) {
  std::string model = base_model();
  model = model.substr(0, model.rfind("       END"));
  translate_fe(model);
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" END statement missing or erroneous"}));
}

TEST_F(MessageTest, MisplacedStartWithSimulateRunsStops) {
  translate_fe(before_end(base_with(1, "       SIMULATE  2"), "       START     10\n"));
  EXPECT_TRUE(stopped_);
  const auto lines = err_lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], " Misplaced START statement inside program or");
  EXPECT_EQ(lines[1], " erroneous extra START statement or");
  EXPECT_EQ(lines[2], " SIMULATE A operand stops RESET");
}

// ---- Accepted forms and what they leave in the tables.

TEST_F(MessageTest, GenerateLimitAtMaximumIsAccepted) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,100000")), "");
  EXPECT_EQ(e_->blocks.generate_limit[1], 100000);
}

TEST_F(MessageTest, GeneratePriorityLimitsAreAccepted) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,,-999999")), "");
  EXPECT_EQ(e_->ent.gen.generate_priority[1], -999999);
}

TEST_F(MessageTest, TerminateWithDefinedSavevalue) {
  std::string model = base_with(8, "       TERMINATE X$LIMIT");
  model = "       LET       X$LIMIT=3\n" + model;
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->ent.term.terminate_value[1], -1);
  EXPECT_EQ(e_->ent.sv.savevalue_init[1], 3.0);
}

TEST_F(MessageTest, LabelWithAndWithoutOperand) {
  EXPECT_EQ(first_error(base_with(6, "LOOP   ADVANCE   5")), "");
  EXPECT_EQ(e_->blocks.block_label[5], pack_symbol_name(*e_, "LOOP"));
}

TEST_F(MessageTest, LabelBeforeOperationWithoutOperand) {
  EXPECT_EQ(first_error(base_with(6, "LOOP   ADVANCE")), "");
  EXPECT_EQ(e_->blocks.block_label[5], pack_symbol_name(*e_, "LOOP"));
}

TEST_F(MessageTest, ResetTwoExpandsRunSteps) {
  EXPECT_EQ(first_error(base_insert(10, "       RESET     3")), "");
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 4 5 4 5 4");
  EXPECT_EQ(e_->ent.steps.termination_count[3], 50);
}

TEST_F(MessageTest, SimulateRunCountAndTwoPhaseRuns) {
  // Each run of the series warms up: run 2 is the end of run 1, START,
  // RESET, START with the counts of the model's two STARTs.
  EXPECT_EQ(first_error(before_end(base_with(1, "       SIMULATE  2"), "       RESET\n       START     70\n")), "");
  EXPECT_EQ(run_count_, 2);
  EXPECT_TRUE(e_->ent.steps.two_phase_runs);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 4 5 3 5 4 5");
  EXPECT_EQ(e_->ent.steps.termination_count[3], 50);
  EXPECT_EQ(e_->ent.steps.termination_count[4], 70);
}

TEST_F(MessageTest, StartWithNoReportSwitch) {
  EXPECT_EQ(first_error(base_with(9, "       START     50,NP")), "");
  EXPECT_TRUE(e_->ent.steps.start_report_off[1]);
}

TEST_F(MessageTest, StartAfterStartWithoutResetKeepsTranslating) {
  EXPECT_EQ(first_error(before_end(base_model(), "       START     10\n")), "");
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 5");
}

TEST_F(MessageTest, XConstantAsCapacity) {
  const std::string model = "       LET       X$CAP=3.5\nTANK   CAPACITY  X$CAP\n" + base_model();
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->ent.st.station_capacity[1], 3);
}

TEST_F(MessageTest, XConstantAsGenerateLimit) {
  const std::string model = "       LET       X$LIM=50\n" + base_with(2, "       GENERATE  10,4,,X$LIM");
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->blocks.generate_limit[1], 50);
}

TEST_F(MessageTest, ParameterStationsFillTheStationTable) {
  EXPECT_EQ(first_error(base_with(4, "       SEIZE     P1")), "");
  EXPECT_EQ(e_->blocks.block_arg[3], -1);
  EXPECT_EQ(e_->ent.st.station_name_count, 600);
  EXPECT_EQ(e_->ent.st.station_capacity[600], 1);
}

// ---- Hint lines after the report.

TEST_F(MessageTest, LetWithThreeOperandsHintsAtDecimalComma) {
  translate_fe(base_insert(6, "       LET       P1=2,5"));
  const auto lines = err_lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], " LET cannot have C operand");
  EXPECT_EQ(lines[4], " Is there a decimal comma instead of decimal point?");
}

TEST_F(MessageTest, UnknownOperationAfterAnAddressAddsTheOperandHints) {
  translate_fe(base_with(6, "LOOP   ADVANSE   8,3"));
  EXPECT_EQ(err_lines(), (Lines{" Operation does not exist in Brannic", " Error found at the following statement:", "",
                                "   LOOP   ADVANSE   8,3", " Server or A/D-set name too long or",
                                " Error could possibly also be due to illegal A operand",
                                " or illegal blank among operands"}));
}

TEST_F(MessageTest, UnknownOperationWithoutAddressHasNoOperandHints) {
  translate_fe(base_with(6, "       FOOBAR    1"));
  EXPECT_EQ(err_lines().size(), 4u);
}

TEST_F(MessageTest, ShortOperationWordBeforeALongOperandGetsItsHint) {
  translate_fe(base_with(6, "       ADV       X$ABCDEF"));
  const auto lines = err_lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], " Operation does not exist in Brannic");
  EXPECT_EQ(lines[4], " Is the operation word misspelt or cut short?");
}

TEST_F(MessageTest, NameOfAOneDigitParameterAlreadyOnParameter11) {
  translate_fe(base_insert(6, "       ADVANCE   P11COST"));
  ASSERT_TRUE(err_lines().empty());
  translate_fe(base_insert(6, "       ADVANCE   P11COST\n       ADVANCE   P1COST"));
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Almost same name used by parameter 10, 11 or 12");
}

TEST_F(MessageTest, NameOfParameter11AlreadyOnAnother) {
  translate_fe(base_insert(6, "       ADVANCE   P1COST\n       ADVANCE   P11COST"));
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Illegal parameter name without $");
}

}  // namespace
}  // namespace kelvo::test
