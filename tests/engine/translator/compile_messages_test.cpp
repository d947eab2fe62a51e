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

// ---- Messages that are all a variation shows: the first ERR line.

struct MessageCase {
  std::string name;
  std::string model;
  std::string message;  // "" when the model translates without a message
};

std::vector<MessageCase> message_cases() {
  // The variations the end-to-end cases do not show already.
  return {
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
      // Operands.
      {"GenerateLimitAboveMaximum", base_with(2, "       GENERATE  10,,,100001"), " Maximum value of D operand = 100000"},
      {"BlockWithoutItsOperand", base_with(4, "       SEIZE"), " A operand missing"},
      {"ArriveWithoutOperand", base_with(3, "       ARRIVE"), " A operand missing"},
      // LET.
      {"LetBlockWithoutOperand", base_insert(6, "       LET"), " LET must have a B operand"},
      {"LetWithoutBOperand", base_insert(6, "       LET       X$TOT"), " LET must have a B operand"},
      {"LetWithTooLongAOperand", base_insert(6, "       LET       X$TOTALS1=5"), " A operand too long"},
      {"ControlLetNeedsSavevalue", "       LET       Q$ABC=1\n" + base_model(), " A operand must be savevalue"},
      {"ControlLetExpressionWithOtherSna", "       LET       X$A=Q$BUF+1\n" + base_model(), " Only X$ allowed as SNA in control LET"},
      // START.
      {"StartWithZeroCountIsRefusedAtTheEnd", base_with(9, "       START     0"), " START without A operand"},
      {"StartWithTooLongAOperand", base_with(9, "       START     123456789"), " A operand too long"},
  };
}

class FirstMessageTest : public TranslateTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(FirstMessageTest, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, FirstMessageTest, ::testing::ValuesIn(message_cases()),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

// ---- Reported only: the translation goes on.

TEST_F(MessageTest, TableAfterGenerateIsReportedOnly) {
  translate_fe(base_insert(3, "TAB1   TABLE     Q$LINE,0,5,10"));
  EXPECT_EQ(err_lines().at(0), " This must come prior to first GENERATE block");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.tab.table_count, 1);
}

TEST_F(MessageTest, ResetBeforeStartIsReportedAndDropped) {
  EXPECT_EQ(first_error(base_insert(9, "       RESET")), " RESET before START");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2");
}

TEST_F(MessageTest, SecondSimulateAfterGenerate) {
  EXPECT_EQ(first_error(base_insert(9, "       SIMULATE")), "Only 1 SIMULATE allowed");
  EXPECT_FALSE(e_->ctl.error_found);
}

// ---- Errors that stop the engine.

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
  for (const char* line : {"LOOP   ADVANCE   5", "LOOP   ADVANCE"}) {
    EXPECT_EQ(first_error(base_with(6, line)), "") << line;
    EXPECT_EQ(e_->blocks.block_label[5], pack_symbol_name(*e_, "LOOP")) << line;
  }
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

TEST_F(MessageTest, UnknownOperationAfterAnAddressAddsTheOperandHints) {
  translate_fe(base_with(6, "LOOP   ADVANSE   8,3"));
  EXPECT_EQ(err_lines(), (Lines{" Operation does not exist in Brannic", " Error found at the following statement:", "",
                                "   LOOP   ADVANSE   8,3", " Server or A/D-set name too long or",
                                " Error could possibly also be due to illegal A operand",
                                " or illegal blank among operands"}));
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
