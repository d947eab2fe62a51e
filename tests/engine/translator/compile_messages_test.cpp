// Compile messages under the front end: each one-line variation of the
// base model gives its message as the first line of the model's ERR file,
// in the four-line layout.
#include <gtest/gtest.h>

#include <string>

#include "translate_fixture.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class MessageTest : public TranslateTest {
 protected:
  // First line of the ERR file after translating `model` ("" when none).
  std::string first_error(const std::string& model) {
    translate_fe(model);
    const auto lines = err_lines();
    return lines.empty() ? std::string() : lines[0];
  }
};

// A statement with its operand's last character in column `col`.
std::string terminate_ending_at(int col) {
  std::string line = "       TERMINATE";
  line.resize(col - 1, ' ');
  return line + "1";
}

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

TEST_F(MessageTest, OperandEndingInColumn72ExceedsTheStatement) {
  EXPECT_EQ(first_error(base_with(8, terminate_ending_at(72))), " Statement exceeds column 72");
}

TEST_F(MessageTest, OperandEndingInColumn71IsAccepted) {
  EXPECT_EQ(first_error(base_with(8, terminate_ending_at(71))), "");
}

TEST_F(MessageTest, NineOperandsAreTooMany) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  1,2,3,4,5,6,7,8,9")), " Too many operands");
}

TEST_F(MessageTest, GenerateSpreadAboveMean) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  3,5")), " A < B can make time go backwards");
}

TEST_F(MessageTest, GenerateLimitAboveMaximum) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,100001")), " Maximum value of D operand = 100000");
}

TEST_F(MessageTest, GenerateLimitAtMaximumIsAccepted) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,100000")), "");
  EXPECT_EQ(e_->blocks.generate_limit[1], 100000);
}

TEST_F(MessageTest, GenerateAllZero) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  0,0")), " A, B and D operands all 0");
}

TEST_F(MessageTest, GeneratePriorityTooHigh) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,,1000000")), " Priority value too high.  999999 max");
}

TEST_F(MessageTest, GeneratePriorityTooLow) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,,-1000000")), " Priority value too low.  -999999 min");
}

TEST_F(MessageTest, GeneratePriorityLimitsAreAccepted) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,,,,-999999")), "");
  EXPECT_EQ(e_->ent.gen.generate_priority[1], -999999);
}

TEST_F(MessageTest, NoSimulate) {
  translate_fe(base_with(1, "* no simulate"));
  EXPECT_EQ(err_lines(), (Lines{" No SIMULATE = no execution"}));
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(MessageTest, TerminateWithUndefinedSavevalueStops) {
  translate_fe(base_with(8, "       TERMINATE X$UNDEF"));
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" X$UNDEF in TERMINATE not defined"}));
}

TEST_F(MessageTest, TerminateWithDefinedSavevalue) {
  std::string model = base_with(8, "       TERMINATE X$LIMIT");
  model = "       LET       X$LIMIT,3\n" + model;
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->ent.term.terminate_value[1], -1);
  EXPECT_EQ(e_->ent.sv.savevalue_init[1], 3.0);
}

TEST_F(MessageTest, TerminateWithParameterIsIllegal) {
  EXPECT_EQ(first_error(base_with(8, "       TERMINATE P1")), " Illegal A operand, not 0..999999 or X$name");
}

TEST_F(MessageTest, OnlyTerminateCountsZero) {
  EXPECT_EQ(first_error(base_with(8, "       TERMINATE 0")), " No TERMINATE block with positive A constant");
}

TEST_F(MessageTest, LabelDefinedTwice) {
  std::string model = base_with(6, "LOOP   ADVANCE   8,3");
  model = base_with(6, "LOOP   ADVANCE   8,3");
  auto pos = model.find("       RELEASE");
  model.replace(pos, 7, "LOOP   ");
  EXPECT_EQ(first_error(model), " Address defined twice");
}

TEST_F(MessageTest, LabelWithAndWithoutOperand) {
  EXPECT_EQ(first_error(base_with(6, "LOOP   ADVANCE   5")), "");
  EXPECT_EQ(e_->blocks.block_label[5], pack_symbol_name(*e_, "LOOP"));
}

TEST_F(MessageTest, LabelBeforeOperationWithoutOperand) {
  EXPECT_EQ(first_error(base_with(6, "LOOP   ADVANCE")), "");
  EXPECT_EQ(e_->blocks.block_label[5], pack_symbol_name(*e_, "LOOP"));
}

TEST_F(MessageTest, StorageUsedAsFacility) {
  EXPECT_EQ(first_error(base_insert(2, "MACH   CAPACITY  5")), " Storage used as facility");
}

TEST_F(MessageTest, UndefinedSavevalueInAdvance) {
  EXPECT_EQ(first_error(base_with(6, "       ADVANCE   X$UNK")), " Savevalue not defined earlier in program");
}

TEST_F(MessageTest, UndefinedExpressionInAdvance) {
  EXPECT_EQ(first_error(base_with(6, "       ADVANCE   V$NOPE")), " Expression (V$value) not defined");
}

TEST_F(MessageTest, ArriveWithBOperand) {
  EXPECT_EQ(first_error(base_with(3, "       ARRIVE    WAIT,2")), " No B operand allowed");
}

TEST_F(MessageTest, ArriveWithSna) {
  EXPECT_EQ(first_error(base_with(3, "       ARRIVE    Q$XYZ")), " This type of SNA not allowed");
}

TEST_F(MessageTest, ReturnBeforePreempt) {
  EXPECT_EQ(first_error(base_with(7, "       RETURN    PUMP")), " RETURN before matching PREEMPT");
}

TEST_F(MessageTest, BlockBeforeFirstGenerate) {
  EXPECT_EQ(first_error(base_insert(2, "       ADVANCE   5")), " Block prior to first GENERATE");
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(MessageTest, DepartWithoutArriveWarnsAndTranslates) {
  EXPECT_EQ(first_error(base_with(3, "* no arrive")), "");
  EXPECT_EQ(file_lines("m.WRN"), (Lines{"** WARNING **  No matching ARRIVE block above"}));
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(MessageTest, CapacityWordWithExtraLetter) {
  EXPECT_EQ(first_error(base_insert(2, "TANK   CAPACITYX 5")), " Incorrect CAPACITY definition");
}

TEST_F(MessageTest, TenLetterOperationWord) {
  EXPECT_EQ(first_error(base_with(6, "       ADVANCEXYZ 5")), " Illegal operation code or operands. ! expected");
}

TEST_F(MessageTest, LetWithThreeOperandsHintsAtDecimalComma) {
  translate_fe(base_insert(6, "       LET       P1=2,5"));
  const auto lines = err_lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], " LET cannot have C operand");
  EXPECT_EQ(lines[4], " Is there a decimal comma instead of decimal point?");
}

TEST_F(MessageTest, ResetWithThreeDigits) {
  EXPECT_EQ(first_error(base_insert(10, "       RESET     123")), " A operand must have only 2 digits");
}

TEST_F(MessageTest, TwoResetsWithAOperand) {
  std::string model = base_insert(10, "       RESET     2");
  model = model.substr(0, model.rfind("       END")) + "       RESET     2\n       END\n";
  EXPECT_EQ(first_error(model), " Only one RESET with A operand allowed");
}

TEST_F(MessageTest, ResetTwoExpandsRunSteps) {
  EXPECT_EQ(first_error(base_insert(10, "       RESET     3")), "");
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 4 5 4 5 4");
  EXPECT_EQ(e_->ent.steps.termination_count[3], 50);
}

TEST_F(MessageTest, AddressStartingWithDigit) {
  EXPECT_EQ(first_error(base_with(6, "1ABC   ADVANCE   5")), " Illegal address starting with digit");
}

TEST_F(MessageTest, ShortAddress) {
  EXPECT_EQ(first_error(base_with(6, "AB     ADVANCE   5")), " Address or code shorter than 3 characters");
}

TEST_F(MessageTest, WaitifWithoutBOperand) {
  EXPECT_EQ(first_error(base_insert(6, "       WAITIF    FAC")), " WAITIF lacks a B operand");
}

TEST_F(MessageTest, SimulateRunsAndResetAIncompatible) {
  std::string model = base_with(1, "       SIMULATE  3");
  model = model.substr(0, model.rfind("       END")) + "       RESET     2\n       END\n";
  EXPECT_EQ(first_error(model), " SIMULATE A > 1 and RESET A >1 incompatible");
}

TEST_F(MessageTest, ResetBeforeStartIsReportedAndDropped) {
  EXPECT_EQ(first_error(base_insert(9, "       RESET")), " RESET before START");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2");
}

TEST_F(MessageTest, SavevalueInitialisedTwice) {
  const std::string model = "       LET       X$TOT,5\n       LET       X$TOT,5\n" + base_model();
  EXPECT_EQ(first_error(model), " Savevalue already initialized");
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(MessageTest, CapacityAfterGenerate) {
  EXPECT_EQ(first_error(base_insert(3, "TANK   CAPACITY  5")), " CAPACITY put after first GENERATE");
}

TEST_F(MessageTest, StartWithNameOperand) {
  EXPECT_EQ(first_error(base_with(9, "       START     ABC")), " Illegal A operand");
}

TEST_F(MessageTest, ControlLetWithOtherSna) {
  EXPECT_EQ(first_error("       LET       X$A=Q$BUF\n" + base_model()), " Only X$ allowed as SNA in control LET");
}

TEST_F(MessageTest, ObsoleteAndUnknownOperations) {
  EXPECT_EQ(first_error(base_insert(6, "       FVARIABLE 1")), " FVARIABLE is now obsolete. Use ValueOf instead");
}

TEST_F(MessageTest, UnknownOperation) {
  EXPECT_EQ(first_error(base_insert(6, "       FOOBAR    1")), " Operation does not exist in Brannic");
}

TEST_F(MessageTest, ModelWithoutEndStops) {
  std::string model = base_model();
  model = model.substr(0, model.rfind("       END"));
  translate_fe(model);
  EXPECT_TRUE(stopped_);
  EXPECT_EQ(err_lines(), (Lines{" END statement missing or erroneous"}));
}

TEST_F(MessageTest, UnavailableStatementIsFlagged) {
  EXPECT_EQ(first_error(base_insert(6, "       PRINT     Q$LINE")), " Not yet available: PRINT");
  EXPECT_TRUE(e_->ctl.error_found);
}

}  // namespace
}  // namespace kelvo::test

namespace kelvo::test {
namespace {

class ControlMessageTest : public TranslateTest {
 protected:
  std::string first_error(const std::string& model) {
    translate_fe(model);
    const auto lines = err_lines();
    return lines.empty() ? std::string() : lines[0];
  }
};

TEST_F(ControlMessageTest, BlockWithoutItsOperand) {
  EXPECT_EQ(first_error(base_with(4, "       SEIZE")), " A operand missing");
}

TEST_F(ControlMessageTest, LetBlockWithoutOperand) {
  EXPECT_EQ(first_error(base_insert(6, "       LET")), " LET must have a B operand");
}

TEST_F(ControlMessageTest, LetWithoutBOperand) {
  EXPECT_EQ(first_error(base_insert(6, "       LET       X$TOT")), " LET must have a B operand");
}

TEST_F(ControlMessageTest, LetWithTooLongAOperand) {
  EXPECT_EQ(first_error(base_insert(6, "       LET       X$TOTALS1=5")), " A operand too long");
}

TEST_F(ControlMessageTest, ArriveWithoutOperand) {
  EXPECT_EQ(first_error(base_with(3, "       ARRIVE")), " A operand missing");
}

TEST_F(ControlMessageTest, SecondSimulateAfterGenerate) {
  EXPECT_EQ(first_error(base_insert(9, "       SIMULATE")), "Only 1 SIMULATE allowed");
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(ControlMessageTest, ControlLetNeedsSavevalue) {
  EXPECT_EQ(first_error("       LET       Q$ABC,1\n" + base_model()), " A operand must be savevalue");
}

TEST_F(ControlMessageTest, SimulateRunCountAndTwoPhaseRuns) {
  std::string model = base_with(1, "       SIMULATE  2");
  model = model.substr(0, model.rfind("       END")) + "       RESET\n       START     50\n       END\n";
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(run_count_, 2);
  EXPECT_TRUE(e_->ent.steps.two_phase_runs);
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 4 5");
}

TEST_F(ControlMessageTest, StartWithNoReportSwitch) {
  EXPECT_EQ(first_error(base_with(9, "       START     50,NP")), "");
  EXPECT_TRUE(e_->ent.steps.start_report_off[1]);
}

TEST_F(ControlMessageTest, StartWithoutAOperand) {
  EXPECT_EQ(first_error(base_with(9, "       START")), " START must have an A operand");
}

TEST_F(ControlMessageTest, StartWithZeroCountIsRefusedAtTheEnd) {
  EXPECT_EQ(first_error(base_with(9, "       START     0")), " START without A operand");
}

TEST_F(ControlMessageTest, StartWithTooLongAOperand) {
  EXPECT_EQ(first_error(base_with(9, "       START     123456789")), " A operand too long");
}

TEST_F(ControlMessageTest, StartAfterStartWithoutResetKeepsTranslating) {
  std::string model = base_model();
  model = model.substr(0, model.rfind("       END")) + "       START     10\n       END\n";
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(dump_entities(*e_).back(), "steps 2 5");
}

TEST_F(ControlMessageTest, MisplacedStartWithSimulateRunsStops) {
  std::string model = base_with(1, "       SIMULATE  2");
  model = model.substr(0, model.rfind("       END")) + "       START     10\n       END\n";
  translate_fe(model);
  EXPECT_TRUE(stopped_);
  const auto lines = err_lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], " Misplaced START statement inside program or");
  EXPECT_EQ(lines[1], " erroneous extra START statement or");
  EXPECT_EQ(lines[2], " SIMULATE A operand stops RESET");
}

TEST_F(ControlMessageTest, XConstantAsCapacity) {
  const std::string model = "       LET       X$CAP,3.5\nTANK   CAPACITY  X$CAP\n" +
                            base_model();
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->ent.st.station_capacity[1], 3);
}

TEST_F(ControlMessageTest, XConstantAsGenerateLimit) {
  const std::string model = "       LET       X$LIM,50\n" + base_with(2, "       GENERATE  10,4,,X$LIM");
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->blocks.generate_limit[1], 50);
}

TEST_F(ControlMessageTest, ParameterStationsFillTheStationTable) {
  EXPECT_EQ(first_error(base_with(4, "       SEIZE     P1")), "");
  EXPECT_EQ(e_->blocks.block_arg[3], -1);
  EXPECT_EQ(e_->ent.st.station_name_count, 600);
  EXPECT_EQ(e_->ent.st.station_capacity[600], 1);
}

}  // namespace
}  // namespace kelvo::test

namespace kelvo::test {
namespace {

TEST_F(TranslateTest, TableAfterGenerate) {
  translate_fe(base_insert(3, "TAB1   TABLE     Q$LINE,0,5,10"));
  EXPECT_EQ(err_lines().at(0), " This must come prior to first GENERATE block");
  EXPECT_TRUE(e_->ctl.error_found);
}

}  // namespace
}  // namespace kelvo::test

namespace kelvo::test {
namespace {

class HintTest : public TranslateTest {};

TEST_F(HintTest, UnknownOperationAfterAnAddressAddsTheOperandHints) {
  translate_fe(base_with(6, "LOOP   ADVANSE   8,3"));
  EXPECT_EQ(err_lines(), (std::vector<std::string>{" Operation does not exist in Brannic",
                                                   " Error found at the following statement:", "",
                                                   "   LOOP   ADVANSE   8,3",
                                                   " Server or A/D-set name too long or",
                                                   " Error could possibly also be due to illegal A operand",
                                                   " or illegal blank among operands"}));
}

TEST_F(HintTest, UnknownOperationWithoutAddressHasNoOperandHints) {
  translate_fe(base_with(6, "       FOOBAR    1"));
  EXPECT_EQ(err_lines().size(), 4u);
}

TEST_F(HintTest, ShortOperationWordBeforeALongOperandGetsItsHint) {
  translate_fe(base_with(6, "       ADV       X$ABCDEF"));
  const auto lines = err_lines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], " Operation does not exist in Brannic");
  EXPECT_EQ(lines[4], " Is the operation word misspelt or cut short?");
}

TEST_F(HintTest, NameOfAOneDigitParameterAlreadyOnParameter11) {
  translate_fe(base_insert(6, "       ADVANCE   P11COST") );
  ASSERT_TRUE(err_lines().empty());
  translate_fe(base_insert(6, "       ADVANCE   P11COST\n       ADVANCE   P1COST"));
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Almost same name used by parameter 10, 11 or 12");
}

TEST_F(HintTest, NameOfParameter11AlreadyOnAnother) {
  translate_fe(base_insert(6, "       ADVANCE   P1COST\n       ADVANCE   P11COST"));
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Illegal parameter name without $");
}

}  // namespace
}  // namespace kelvo::test
