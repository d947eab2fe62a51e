// Whole runs under the front end of models with LET, LET+/LET-, LET PR=
// and PRIORITY blocks and expressions: the savevalues the report shows,
// the order a priority gives a waiting line, and the run-time errors of
// the LET and priority blocks.
#include <string>
#include <vector>

#include "../engine_fixture.h"
#include "driver/engine_entry.h"

namespace kelvo {
namespace {

class LetRun : public testing::EngineTest {
 protected:
  // Runs the skeleton SIMULATE / GENERATE 1,0,,1 / blocks / TERMINATE 1 /
  // START 1 / END with `blocks` (lines ending in '\n') under the front end.
  void run_blocks(const std::string& blocks, const std::string& before = "") {
    run_model(testing::skeleton_model(blocks, before));
  }
  void run_model(const std::string& model) {
    write_file("zwxyq.jav", "M.TXT\n     60\n");
    write_file("M.TXT", model);
    EXPECT_EQ(run_engine(e()), 0);
  }
  // The rows of the savevalue section: name and value.
  std::vector<std::string> savevalues() {
    std::vector<std::string> rows;
    const std::string text = read_file("M.SAV");
    std::size_t at = text.find("Value\n");
    if (at == std::string::npos) return rows;
    for (std::size_t p = at + 6; p < text.size();) {
      const std::size_t nl = text.find('\n', p);
      std::string line = text.substr(p, nl - p);
      p = nl == std::string::npos ? text.size() : nl + 1;
      if (line.find_first_not_of(' ') == std::string::npos) break;
      rows.push_back(line);
    }
    return rows;
  }
  std::string errors() { return read_file("M.ERR"); }
};

// ---- Values: each LET's value as worked out by the rules (* / % bind to
// the running term, + - close it, parentheses first).

struct ValueCase {
  std::string name;
  std::string blocks;
  std::vector<std::string> rows;
};

std::vector<ValueCase> value_cases() {
  return {
      {"PrecedenceAndParentheses",
       "       LET       X$A=2+3*4\n       LET       X$B=10-2*3\n       LET       X$C=2*(3+4)\n"
       "       LET       X$D=5-(2+1)\n       LET       X$E=10-2-3\n       LET       X$F=17%5\n",
       {"      A                  14.00", "      B                   4.00", "      C                  14.00",
        "      D                   2.00", "      E                   5.00", "      F                   2.00"}},
      {"TwelveNestedParentheses", "       LET       X$A=((((((((((((7))))))))))))\n", {"      A                   7.00"}},
      {"ThirtyFourItems", "       LET       X$A=(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+1\n",
       {"      A                  12.00"}},
      {"ThirtyFiveItems", "       LET       X$A=(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+1+1\n",
       {"      A                  13.00"}},
      {"PowerOfASavevalue", "       LET       X$B=3\n       LET       X$C=X$B^2\n       LET       X$D=2\"X$B\n",
       {"      B                   3.00", "      C                   9.00", "      D                   8.00"}},
      {"RemainderHasTheDividendsSign", "       LET       X$A=0-17%5\n       LET       X$B=(0-17)%5\n",
       {"      A                  -2.00", "      B                  -2.00"}},
      {"LetPlusAndMinus", "       LET       X$A=10\n       LET+      X$A,2*3\n       LET-      X$A,1\n",
       {"      A                  15.00"}},
      {"PriorityReadAsAnOperand", "       LET       PR=3\n       LET       X$P=PR\n", {"      P                   3.00"}},
      {"PriorityRaisedAndLowered",
       "       PRIORITY  5\n       LET+      PR,2\n       LET-      PR,4\n       LET       X$P=PR\n",
       {"      P                   3.00"}},
      {"ParameterTarget", "       LET       P1=4\n       LET+      P1,P1*2\n       LET       X$Q=P1\n",
       {"      Q                  12.00"}},
      // A parameter read only inside an expression is still carried.
      {"ParameterOnlyInAnExpression", "       LET       X$A=P3*3+1\n", {"      A                   1.00"}},
      {"IndirectSavevalueTarget", "       LET       P2=3\n       LET       X*2=5\n       LET       X$A=X*2+1\n",
       {"      A                   6.00", "           3              5.00"}},
      {"BuiltInFunctions", "       LET       X$A=FN$SQR(16)+FN$ABS(0-2)*FN$INT(2.5)\n       LET       X$B=FN$GT(X$A-7)\n",
       {"      A                   8.00", "      B                   1.00"}},
      {"ExpressionFunction",
       "       LET       X$R=FN$SQF(3)+FN$MAXQ(1)\n       LET       X$M=FN$MINUTE(2)\n",
       {"      ARG                 2.00", "      R                  12.00", "      M                   5.00"}},
      {"NamedExpression", "       LET       X$T=V$SUM*2\n", {"      K                  14.00", "      T                  30.00"}},
  };
}

class LetValues : public LetRun, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(LetValues, AreTheSavevaluesOfTheReport) {
  // Definitions the cases use, before the first GENERATE.
  const std::string definitions =
      "       LET       X$K=2+3*4\n"
      "SUM    VALUEOF   X$K+1\n"
      "SQU    VALUEOF   X$ARG*X$ARG+1\n"
      "SQF    FUNCTION  X$ARG,V$SQU\n"
      "MAXQ   FUNCTION  X$ARG,V$SQU\n"
      "MINUTE FUNCTION  X$ARG,V$SQU\n";
  run_blocks(GetParam().blocks, definitions);
  EXPECT_EQ(errors(), "");
  std::vector<std::string> rows = savevalues();
  // K and ARG belong to the definitions; a case names them when it sets them.
  std::vector<std::string> expected = GetParam().rows;
  std::erase_if(rows, [&](const std::string& r) {
    const bool own = r.rfind("      K ", 0) == 0 || r.rfind("      ARG ", 0) == 0;
    return own && std::find(expected.begin(), expected.end(), r) == expected.end();
  });
  EXPECT_EQ(rows, expected);
}

INSTANTIATE_TEST_SUITE_P(Blocks, LetValues, ::testing::ValuesIn(value_cases()),
                         [](const ::testing::TestParamInfo<ValueCase>& info) { return info.param.name; });

TEST_F(LetRun, BooleanTestsReadTheStations) {
  // MACH is in use, TANK (capacity 3) is full: U, F and NE hold; E, NU and
  // NF do not.
  run_blocks(
      "       SEIZE     MACH\n"
      "       ENTER     TANK,3\n"
      "       LET       X$A=(MACH=U)*1000+(TANK=F)*100+(TANK=NE)*10+(TANK=E)\n"
      "       LET       X$B=(MACH=NU)*10+(TANK=NF)+5\n",
      "TANK   CAPACITY  3\n");
  EXPECT_EQ(errors(), "");
  EXPECT_EQ(savevalues(), (std::vector<std::string>{"      A                1110.00", "      B                   5.00"}));
}

TEST_F(LetRun, IfAssignsOnlyWhenItsRelationHolds) {
  // On the console: the report goes there, and the end of the console's
  // input ends the engine after the run.
  write_file("M.TXT",
             "       SIMULATE\n"
             "       LET       X$A=3\n"
             "       GENERATE  1,0,,1\n"
             "       IF        X$A=3,X$B=X$A+2\n"
             "       IF        X$A=4,X$C=7\n"
             "       TERMINATE 1\n"
             "       START     1\n"
             "       END\n");
  console_input("M.TXT\n\n\n\n");
  EXPECT_EQ(run_engine(e()), 0);
  const std::string out = console_output();
  EXPECT_NE(out.find("      B                   5.00"), std::string::npos) << out;
  EXPECT_NE(out.find("  Savevalues with zero value\n      C"), std::string::npos) << out;
}

TEST_F(LetRun, ControlLetComputesItsExpressionAtOnce) {
  run_model(
      "       SIMULATE\n"
      "       LET       X$A=2*(3+4)\n"
      "       LET       X$B=X$A-4\n"
      "       LET       X$C=-X$B\n"
      "       GENERATE  1,0,,1\n"
      "       TERMINATE 1\n"
      "       START     1\n"
      "       END\n");
  EXPECT_EQ(savevalues(), (std::vector<std::string>{"      A                  14.00", "      B                  10.00",
                                                     "      C                 -10.00"}));
}

// ---- Priority: three arrivals at 1, 2, 3 take one facility in turn, each
// holding it 10. Each records its arrival number P1 in X$SEQ as it gets
// the facility. First come first served gives 1, 2, 3; with the arrival
// number as priority the third (priority 3) goes before the second.

struct OrderCase {
  std::string name;
  std::string priority_line;
  std::string sequence;
};

class PriorityOrder : public LetRun, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(PriorityOrder, DecidesWhoTakesTheFacilityNext) {
  run_model(
      "       SIMULATE\n"
      "       GENERATE  1,0,,3\n"
      "       LET+      X$K,1\n"
      "       LET       P1=X$K\n" +
      GetParam().priority_line +
      "       SEIZE     MACH\n"
      "       LET       X$SEQ=X$SEQ*10+P1\n"
      "       ADVANCE   10\n"
      "       RELEASE   MACH\n"
      "       TERMINATE 1\n"
      "       START     3\n"
      "       END\n");
  EXPECT_EQ(errors(), "");
  const auto rows = savevalues();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[1], "      SEQ               " + GetParam().sequence);
}

INSTANTIATE_TEST_SUITE_P(Lines, PriorityOrder,
                         ::testing::Values(OrderCase{"NoPriority", "", "123.00"},
                                           OrderCase{"PriorityBlock", "       PRIORITY  P1\n", "132.00"},
                                           OrderCase{"LetPriority", "       LET       PR=P1\n", "132.00"},
                                           OrderCase{"LetPlusPriority", "       LET+      PR,P1\n", "132.00"},
                                           OrderCase{"LetMinusPriority", "       LET-      PR,P1\n", "123.00"}),
                         [](const ::testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

// ---- Run-time errors: the message, the block, the report.

struct ErrorCase {
  std::string name;
  std::string blocks;
  std::string first_line;
  std::string block_line;  // "" when the engine stops without a block line
};

class LetErrors : public LetRun, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(LetErrors, EndTheRun) {
  run_blocks(GetParam().blocks);
  const std::string err = errors();
  EXPECT_EQ(err.substr(0, err.find('\n')), GetParam().first_line);
  if (!GetParam().block_line.empty()) {
    EXPECT_NE(err.find(GetParam().block_line), std::string::npos) << err;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, LetErrors,
    ::testing::Values(
        ErrorCase{"SavevalueFromAZeroParameter", "       LET       X*1=5\n",
                  " Incorrect value of parameter in A operand        ", " Error found at block    2"},
        ErrorCase{"ParameterFromAZeroParameter", "       LET       P*1=5\n",
                  " Incorrect implicit parameter number              ", " Error found at block    2"},
        ErrorCase{"PriorityTooHigh", "       PRIORITY  999999\n       LET+      PR,1\n",
                  " Illegal value of priority in block    3", ""},
        ErrorCase{"DivisionByZero", "       LET       X$A=1/X$Z\n       LET       X$Z=1\n",
                  " Division with     0.00000000", " Error found at block    2"}),
    [](const ::testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kelvo
