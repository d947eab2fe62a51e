// Checks that the translation pass runs on every statement: the numbers
// of the control statements, the GENERATE C operand (negative, or a
// definition), and the operand messages of the statement checks. Each row
// is a one-line variation of the base model and its first ERR line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "translate_fixture.h"

namespace kelvo::test {
namespace {

struct Row {
  std::string name;
  std::string model;
  std::string message;
};

class PassCheckTest : public TranslateTest, public ::testing::WithParamInterface<Row> {};

TEST_P(PassCheckTest, IsTheFirstErrLine) {
  EXPECT_EQ(first_error(GetParam().model), GetParam().message);
  EXPECT_TRUE(e_->ctl.error_found);
}

auto row_name = [](const ::testing::TestParamInfo<Row>& info) { return info.param.name; };

// Counts and seeds are whole numbers of at most 8 digits.
INSTANTIATE_TEST_SUITE_P(
    ControlNumbers, PassCheckTest,
    ::testing::Values(
        Row{"NegativeRunCount", base_with(1, "       SIMULATE  -2"), " Incorrect A operand of control statement"},
        Row{"LetterInReportOperand", base_with(9, "       START     5,6A"), " Incorrect B operand of control statement"},
        Row{"LetterInSeed", base_insert(2, "       SEEDS     1,2,3X"), " Incorrect operand of control statement"},
        Row{"NineDigitRunCount", base_with(1, "       SIMULATE  123456789"), " Integer has more than 8 digits"},
        Row{"TenCharacterRunCount", base_with(1, "       SIMULATE  1234567.89"), " Operand too long"},
        Row{"ExponentForm", base_with(9, "       START     1E3"), " Use multiplication, if legal"},
        Row{"LongNegativeDecimal", "       LET       X$A=-12345.678\n" + base_model(), " Negative decimal number too long"}),
    row_name);

INSTANTIATE_TEST_SUITE_P(
    OperandMessages, PassCheckTest,
    ::testing::Values(
        Row{"FunctionArgumentWithoutClass", "FNA    FUNCTION  ZZ,D2\n1,2/3,4\n" + base_model(),
            " SNA with $, but not FN, expected as A operand"},
        Row{"DottedNameAsValue", base_insert(6, "       LET       X$A=B.C"), " Incorrect operand. Constant expected"},
        Row{"AdvanceParameterName", base_with(6, "       ADVANCE   P$1AB"), " Incorrect parameter name"},
        Row{"LetParameterName", base_insert(6, "       LET       P$1AB=5"), " Incorrect parameter name"},
        Row{"NameAfterParameterNumber", base_with(6, "       ADVANCE   P5CO.ST"), " Incorrect parameter name without $"},
        Row{"StorageValueWithoutName", base_insert(6, "       LET       X$A=SX"), " Illegal operands in LET block"},
        Row{"MatrixRowBeyondTheTable", "       LET       X$A=MX(300,1)\n" + base_model(), " Run again with a lower number"},
        Row{"LongMatrixText", base_insert(6, "       MATRIX    '" + std::string(31, 'T') + "',1,1,5"),
            " Frame text > 30 characters"},
        Row{"AssigningIfWithNameAsB", base_insert(6, "       IF        X$A=X$B,X$C=7"),
            " Incorrect B operand in server IF statement"},
        Row{"ControlLetFromQueue", "       LET       X$A=Q$BUF\n" + base_model(),
            " B operand of statement not legal constant"}),
    row_name);

TEST_F(TranslateTest, NegativeFirstCreationTimeIsRefused) {
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,2,-2")), " C operand must not start with -");
  EXPECT_EQ(first_error(base_with(2, "       GENERATE  10,2,2")), "");
  EXPECT_EQ(e_->ent.gen.generate_first_time[1], 2.0f);
}

TEST_F(TranslateTest, FirstCreationTimeFromADefinition) {
  std::string model = base_insert(2, "FIRST  VALUEOF   3");
  model.replace(model.find("GENERATE  10,4"), 14, "GENERATE  10,,V$FIRST");
  EXPECT_EQ(first_error(model), "");
  EXPECT_EQ(e_->ent.gen.generate_first_time[1], 3.0f);
  model.replace(model.find("V$FIRST"), 7, "V$FIRST+1");
  EXPECT_EQ(first_error(model), "Expression illegal as C operand");
  std::string negative = base_insert(2, "FIRST  VALUEOF   -3");
  negative.replace(negative.find("GENERATE  10,4"), 14, "GENERATE  10,,V$FIRST");
  EXPECT_EQ(first_error(negative), " C operand may not be negative");
}

// Not under the front end, MATRIX texts go to the model's FRM file, one
// record of 30 characters each; the statement stores its operands.
TEST_F(TranslateTest, MatrixTextsGoToTheFormFile) {
  ASSERT_TRUE(translate_console(base_insert(6, "       MATRIX    'Pump A',1,2,5\n       MATRIX    'Pump B',2,2,7"), ""));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(file_lines("m.FRM"), (std::vector<std::string>{"Pump A", "Pump B"}));
  EXPECT_EQ(e_->flow.frame.frame_longest, 6);
  EXPECT_EQ(e_->ent.spec.spec_opnd_value[2][1], 2);
  EXPECT_EQ(e_->ent.spec.spec_opnd_value[2][3], 7);
}

// With "zwxyq.cdl" present the one-point data lines of a FUNCTION are
// listed packed into lines of 70 characters, each point followed by '/'.
TEST_F(TranslateTest, CompactListingOfFunctionPoints) {
  e_->ctl.cdl_file_present = true;
  std::string points;
  for (int x = 0; x <= 120; x += 10) points += std::to_string(x) + ",1\n";
  ASSERT_TRUE(translate_console("SLO    FUNCTION  C1,C\n" + points + base_model(), "\n"));
  const auto lines = console_lines();
  const auto first = std::find(lines.begin(), lines.end(), "      0,1/ 10,1/ 20,1/ 30,1/ 40,1/ 50,1/ 60,1/ 70,1/ 80,1/ 90,1/ 100,1/");
  ASSERT_NE(first, lines.end());
  EXPECT_EQ(*(first + 1), "      110,1/ 120,1/");
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.find("110,1") != std::string::npos; }), 1);
}

// The words behind the parameters, from the lowest: the try stations'
// result, the transaction number (PREEMPT with a GOTO inside an ASSEMBLE
// set), the trace number, the ASSEMBLE word.
TEST_F(TranslateTest, InternalWordsOfTheTransactionRecord) {
  ASSERT_EQ(first_error("TANK   CAPACITY  2\n       SIMULATE\n       GENERATE  10\n       TRACE     ON\n"
                        "       ENTER     TANK,TRY\n       LEAVE     TANK\n       SPLIT     1,NXT\n"
                        "NXT    GOTO      JOIN\nJOIN   ASSEMBLE  2\n       PREEMPT   MACH\n       ADVANCE   1\n"
                        "       RETURN    MACH\n       TERMINATE 1\n       START     1\n       END\n"),
            "");
  const auto& par = e_->ent.par;
  EXPECT_EQ(par.param_count, 4);
  EXPECT_EQ(par.station_mark_off, 6);
  EXPECT_EQ(par.txn_num_off, 7);
  EXPECT_EQ(par.trace_word_off, 8);
  EXPECT_EQ(par.assemble_word_off, 9);
}

// A '.' line gives the capacity of the numbered storages that the next
// definition leaves out; with none left out it is refused. '.' lines are
// read on the console (the front end blanks their column 1).
TEST_F(TranslateTest, DotLineFillsAGapOrIsRefused) {
  ASSERT_TRUE(translate_console("1      CAPACITY  4\n.  5   STORAGE   4\n" + base_model(), ""));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->ent.st.station_capacity[3], 4);
  EXPECT_EQ(e_->ent.st.storage_count, 5);
  translate_console("1      CAPACITY  4\n.  2   STORAGE   4\n" + base_model(), "\n");
  const auto lines = console_lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), " Illegal ."), lines.end());
}

}  // namespace
}  // namespace kelvo::test
