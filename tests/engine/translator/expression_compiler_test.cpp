// The expression compiler and the LET statements: the items an expression
// compiles to, the messages of one-line variations of the skeleton model
// (the first line of the ERR file under the front end), the rewrites of
// the power operator, LET PR= and an IF with an assignment, and the
// names of generated function calls.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../engine_fixture.h"
#include "support/packed_names.h"
#include "translate_fixture.h"
#include "translator/expressions.h"
#include "translator/let_statements.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

using kelvo::testing::skeleton_model;
std::string skeleton(const std::string& blocks, const std::string& before = "") { return skeleton_model(blocks, before); }

class ExprTest : public TranslateTest {
 protected:
  // Expression x as "kind/op/arg" items (arguments as translated).
  std::string items(int x) {
    std::ostringstream os;
    for (int i = 1; i <= k_expr_items && e_->expr.expr_item_kind[x][i] != k_expr_end; ++i) {
      if (i > 1) os << ' ';
      os << e_->expr.expr_item_kind[x][i] << '/' << e_->expr.expr_item_op[x][i] << '/' << e_->expr.expr_item_arg[x][i];
    }
    return os.str();
  }
};

// ---- Items: the edge cases of the compiler, as a VALUEOF statement.

struct ItemCase {
  std::string name;
  std::string text;
  std::string items;  // kind/op/arg; names linked to their numbers
};

class Items : public ExprTest, public ::testing::WithParamInterface<ItemCase> {};

TEST_P(Items, OfTheValueofStatement) {
  // Savevalue A is number 1.
  ASSERT_TRUE(translate_fe(skeleton("", "       LET       X$A=2\nSUM    VALUEOF   " + GetParam().text + "\n")));
  EXPECT_EQ(err_lines(), Lines{});
  ASSERT_EQ(e_->expr.defn_count, 1);
  EXPECT_EQ(e_->expr.defn_name[1], pack_symbol_name(*e_, "SUM"));
  EXPECT_EQ(items(1), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Items,
    ::testing::Values(ItemCase{"LeadingMinus", "-X$A+2", "8/2/1 0/1/2"},
                      ItemCase{"Remainder", "X$A%3", "8/1/1 0/6/3"},
                      // The part is stored into slot 1, which is then read back.
                      ItemCase{"Parenthesised", "(X$A)", "8/1/1 14/5/1 14/1/1"},
                      ItemCase{"NestedParts", "2*(3+(4-1))", "0/1/4 0/2/1 14/5/1 0/1/3 14/1/1 14/5/2 0/1/2 14/3/2"},
                      ItemCase{"IndirectTermAndPriority", "Q*2+PRIORITY", "-2/1/2 12/1/0"},
                      ItemCase{"DecimalAndClock", "2.5*C1", "13/1/1 1/3/0"}),
    [](const ::testing::TestParamInfo<ItemCase>& info) { return info.param.name; });

// ---- Messages of one-line variations.

struct MessageCase {
  std::string name;
  std::string model;
  Lines first;  // the first ERR lines
};

std::vector<MessageCase> message_cases() {
  const std::string paren11 = "(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+(1)+";
  return {
      // The compiler.
      {"ThirteenParts", skeleton("       LET       X$A=(((((((((((((1)))))))))))))\n"), {" The expression is too complicated"}},
      {"ThirtySixItems", skeleton("       LET       X$A=" + paren11 + "1+1+1\n"), {"  Expression too complicated"}},
      {"TwoOperatorsInARow", skeleton("       LET       X$B=3\n       LET       X$A=X$B*-2\n"),
       {" 2 math operators in a row. Use ( and )"}},
      {"NoRightParenthesis", skeleton("       LET       X$B=3\n       LET       X$A=(X$B+1\n"),
       {" No corresponding right parenthesis", " or expression too complex", " Error found at the following statement:"}},
      {"StrayRightParenthesis", skeleton("       LET       X$A=X$A+1)\n"), {" Incorrectly nested parentheses"}},
      {"DefinedTwice", skeleton("", "SUM    VALUEOF   2+3\nSUM    VALUEOF   4\n"), {" Expression defined twice"}},
      {"RelationInExpression", skeleton("       LET       X$A=X$A+1=2\n"), {" Illegal =, > or > in operand"}},
      {"TermTooLong", skeleton("       LET       X$A=X$ABCDEFGH+1\n"), {" Term longer than 9 characters"}},
      {"AttributeWithArgument", skeleton("       LET       X$A=FN$EXPO(2)\n"), {" Parentheses not allowed for this function"}},
      {"UnknownFunction", skeleton("       LET       X$A=FN$MAXQ(2)\n"), {" Illegal function"}},
      {"NoOperatorAfterACall", skeleton("       LET       X$A=FN$SQR(4)9\n"), {" Illegal character in operand"}},
      {"OperatorAfterPower", skeleton("       LET       X$A=X$A^-2\n"), {" Illegal operator after \" or ^"}},
      {"OpenGroupAfterPower", skeleton("       LET       X$A=X$A^(2+1\n"), {" Unbalanced parentheses after \" or ^"}},
      {"ClosedGroupBeforePower", skeleton("       LET       X$A=X$A+2)^2\n"), {" Unbalanced parentheses before \" or ^"}},
      {"PowerTooLongToRewrite",
       skeleton("       LET       X$A=X$A^2+X$A^3+X$A^4+X$A^5+X$A^6+X$A^7+X$A^8+X$A^9\n"), {" A operand too long"}},
      {"ParameterInBooleanTest", skeleton("       LET       X$A=(P1=U)+1\n"), {" Parameter not allowed in boolean VALUEOF"}},
      {"MalformedBooleanTest", skeleton("       LET       X$A=(TANK=X)+1\n"), {" Error in valueOf with ="}},
      {"BooleanTestPastItsWindow", skeleton("       LET       X$A=(ABC=E)+(ABC=E)+(ABC=E)+(ABC=E)+(ABC=E)+(ABC=E)\n"),
       {" Error in valueOf with ="}},
      {"ControlLetSavevalueNotAbove", skeleton("", "       LET       X$A=X$UNK+1\n"),
       {" Savevalue in B operand not given value above"}},
      // Computed while the model is translated: the statement is shown, and
      // no report is written.
      {"ControlLetDividesByZero", skeleton("", "       LET       X$A=1/0\n"),
       {" Division with     0.00000000", " Error found at the following statement:"}},
      {"ControlLetWithUnknownExpression", skeleton("", "       LET       X$A=V$NONE\n"),
       {" Error in B operand of LET control statement"}},
      {"ControlLetWithOtherSnaInExpression", skeleton("", "       LET       X$A=Q$BUF+1\n"),
       {" Only X$ allowed as SNA in control LET"}},
      // LET statements.
      {"SimpleLetNeedsEquals", skeleton("       LET       X$A,5\n"), {" = expected in case of simple LET"}},
      {"LetPlusTakesNoEquals", skeleton("       LET+      X$A=1\n"), {" = not allowed in case of LET+/LET-"}},
      {"ParameterNameTooLong", skeleton("       LET       P$ABCDEFG=1\n"), {" Parameter name more than 6 characters"}},
      {"PriorityFormPastColumn72",
       skeleton("       LET PR=X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+100\n"), {" A operand too long"}},
      {"FreeLayoutPastColumn72",
       skeleton("       LET X$A=X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+X$ABC+1\n"), {" A operand too long"}},
      {"AssignmentInIfUnderTheFrontEnd", skeleton("       IF        X$A=3,X$B=5\n"),
       {" Assignment not allowed in IF in server mode"}},
      // LET blocks.
      {"TargetIsAName", skeleton("       LET       ABC=1\n"), {" Incorrect A operand of LET block"}},
      {"TargetIsAnotherSna", skeleton("       LET       Q$ABC=1\n"), {" X$-value expected in A operand"}},
      {"TargetIsANumberedSavevalue", skeleton("       LET       X$123=1\n"), {" Incorrect A operand"}},
      {"TargetThroughParameter13", skeleton("       LET       X*13=1\n"), {" Illegal parameter in A operand"}},
      // FUNCTION with an expression.
      {"FunctionExpressionName", skeleton("", "SQF    FUNCTION  X$ARG,V$1AB\n"), {" Incorrect B operand of function"}},
  };
}

class FirstMessages : public ExprTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(FirstMessages, StartTheErrFile) {
  translate_fe(GetParam().model);
  Lines lines = err_lines();
  lines.resize(std::min(lines.size(), GetParam().first.size()));
  EXPECT_EQ(lines, GetParam().first);
  EXPECT_TRUE(e_->ctl.error_found);
}

INSTANTIATE_TEST_SUITE_P(Variations, FirstMessages, ::testing::ValuesIn(message_cases()),
                         [](const ::testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

TEST_F(ExprTest, TheTwoHundredAndFirstExpressionIsRefused) {
  std::string defs;
  for (int i = 0; i < 201; ++i) defs += "V" + std::to_string(1000 + i) + "  VALUEOF   1+" + std::to_string(i) + "\n";
  translate_fe(skeleton("", defs));
  EXPECT_EQ(err_lines().at(0), " Too many expressions defined");
  EXPECT_EQ(e_->expr.defn_count, 200);
}

// ---- Rewrites.

TEST(PowerRewrite, RaisesTheLeftOperandToTheRight) {
  std::string text = "A^B";
  ASSERT_TRUE(rewrite_power_operator(text, 0, 1, 2));
  EXPECT_EQ(text, "(fn$exp(B*fn$log(A)))");
  // Text around the pair stays; a pair that would pass the work text is
  // refused and the text is left as it was.
  text = "2*X$A^3+1";
  ASSERT_TRUE(rewrite_power_operator(text, 2, 5, 6));
  EXPECT_EQ(text, "2*(fn$exp(3*fn$log(X$A)))+1");
  std::string long_text(150, '1');
  long_text += "+A^B";
  EXPECT_FALSE(rewrite_power_operator(long_text, 151, 152, 153));
  EXPECT_EQ(long_text.size(), 154u);
}

TEST_F(ExprTest, LetPriorityBecomesThePriorityForm) {
  ASSERT_TRUE(translate_fe(
      skeleton("       LET+      PR,2\n       LET       PR=X$A+1\n       PRIORITY  3\n", "       LET       X$A=1\n")));
  EXPECT_EQ(err_lines(), Lines{});
  EXPECT_EQ(e_->blocks.block_op[2], bc::let_priority_plus);
  EXPECT_EQ(e_->blocks.block_opnd[2], 2);
  EXPECT_EQ(e_->blocks.block_op[3], bc::let_priority);
  // The expression operand reads as its expression.
  EXPECT_EQ(e_->blocks.block_arg[3], opnd::variable);
  EXPECT_EQ(e_->blocks.block_opnd[3], 1);
  EXPECT_EQ(e_->blocks.block_op[4], bc::priority);
}

TEST_F(ExprTest, LetBlocksGetTheirCodesAndRows) {
  ASSERT_TRUE(translate_fe(skeleton("       LET       X$A=5\n       LET       P1=X$A+1\n       LET-      X$A,P1\n")));
  EXPECT_EQ(err_lines(), Lines{});
  const Lines blocks = dump_blocks(*e_);
  // LET X$A=5: row 1 of the savevalue LETs; P1=X$A+1: an expression to a
  // parameter; LET- X$A,P1: row 2.
  EXPECT_EQ(blocks[1], "2 op=27 arg=1 opnd=1 label=-");
  EXPECT_EQ(blocks[2], "3 op=39 arg=1 opnd=1 label=-");
  EXPECT_EQ(blocks[3], "4 op=27 arg=1 opnd=2 label=-");
  EXPECT_EQ(e_->let.let.mode[2], letmode::subtract);
  EXPECT_EQ(e_->let.let.opnd_kind[2], opnd::parameter);
  EXPECT_EQ(e_->let.letp.opnd_kind[1], opnd::variable);
  EXPECT_EQ(e_->let.letp.opnd_value[1], 1);  // expression 1, linked from its name 4 * 10 + 2
}

TEST_F(ExprTest, IfWithAnAssignmentBecomesALetOnTheConsole) {
  ASSERT_TRUE(translate_console(skeleton("       IF        X$A=3,X$B=X$B+1\n", "       LET       X$A=3\n"), ""));
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(e_->blocks.block_op[2], bc::let_expression);
  EXPECT_EQ(e_->blocks.block_arg[2], 2);  // savevalue B
  // X$B takes FN$EQ(X$A-3)*(X$B+1)+FN$NE(X$A-3)*X$B: the two differences
  // are the arguments of the built-in tests (the last part is compiled first).
  EXPECT_EQ(e_->let.let.opnd_kind[1], opnd::variable);
  const auto& fn = e_->ent.fn;
  ASSERT_EQ(fn.function_count, 2);
  EXPECT_EQ(fn.function_kind[1], mathfn::is_not_0);
  EXPECT_EQ(fn.function_kind[2], mathfn::is_zero);
}

TEST_F(ExprTest, IfAssignmentWithRandomNumbersIsRefused) {
  translate_console(skeleton("       IF        RN1=3,X$B=5\n"), "\n");
  EXPECT_TRUE(e_->ctl.error_found);
  const Lines out = console_lines();
  EXPECT_NE(std::find(out.begin(), out.end(), " RNj not allowed in IF with D operand"), out.end());
}

TEST_F(ExprTest, BuiltInAttributesNeedNoFunctionStatement) {
  ASSERT_TRUE(translate_fe(skeleton("       ADVANCE   FN$EXPO\n       LET       X$A=FN$RLNG3+FN$TRAI5\n")));
  EXPECT_EQ(err_lines(), Lines{});
  // Each is a function of its own, on its stream: EXPO 2, RLNG3 4, TRAI5 5.
  const auto& fn = e_->ent.fn;
  ASSERT_EQ(fn.function_count, 3);
  EXPECT_EQ(fn.function_kind[1], fnk::exponential);
  EXPECT_EQ(fn.function_arg_value[1], 2);
  EXPECT_EQ(fn.function_kind[2], fnk::erlang_base + 3);
  EXPECT_EQ(fn.function_arg_value[2], 4);
  EXPECT_EQ(fn.function_kind[3], fnk::triangular_base + 5);
  EXPECT_EQ(fn.function_arg_value[3], 5);
}

TEST_F(ExprTest, NamedSavevalueOfASpecialStatement) {
  e_->cs.stmt.operand_value[2] = pack_symbol_name(*e_, "RATE");
  int4 n = 0;
  ASSERT_TRUE(add_named_savevalue(*e_, 2, false, n));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(e_->cs.stmt.operand_value[2], pack_symbol_name(*e_, "1"));
  // Found again, not added; the table's capacity is kept.
  e_->cs.stmt.operand_value[3] = pack_symbol_name(*e_, "RATE");
  ASSERT_TRUE(add_named_savevalue(*e_, 3, true, n));
  EXPECT_EQ(n, 1);
  e_->ent.sv.savevalue_count = k_named_savevalue_limit;
  e_->cs.stmt.operand_value[3] = pack_symbol_name(*e_, "OTHER");
  EXPECT_FALSE(add_named_savevalue(*e_, 3, true, n));
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(ExprTest, AWorkTextPastItsLengthIsRefused) {
  // An IF text built from long operands, flattened: each part adds one
  // character, and nothing is ever written past the work text.
  EXPECT_EQ(compile_expression_text(*e_, std::string(161, '1'), 2, false), 0);
  EXPECT_TRUE(e_->ctl.error_found);
}

// ---- Generated names of calls.

TEST_F(ExprTest, CallNamesNeverEqualANameOfTheModel) {
  ASSERT_TRUE(translate_fe(skeleton("       LET       X$A=FN$SQR(4)+FN$ABS(X$A)\n", "0B001  FUNCTION  RN1,D2\n0.5,1/1,2\n")));
  EXPECT_EQ(err_lines(), Lines{});
  ASSERT_EQ(e_->ent.fn.function_count, 3);
  // The largest word a packed name can have is 39 * 1600 + 39 * 40 + 39.
  const std::uint32_t largest_packed_word = 63999;
  for (int f = 2; f <= 3; ++f) {
    EXPECT_GT(static_cast<std::uint32_t>(e_->ent.fn.function_name[f]) >> 16, largest_packed_word);
  }
  // The items read the calls, not the model's own functions.
  EXPECT_EQ(items(1), "8/1/1 14/5/1 0/1/4 14/5/2 6/1/3 6/1/2");
}

TEST_F(ExprTest, FunctionsNamedLikeMinAndMaxKeepTheirArgument) {
  const std::string defs = "SQU    VALUEOF   X$ARG+1\nMAXQ   FUNCTION  X$ARG,V$SQU\nMINUTE FUNCTION  X$ARG,V$SQU\n";
  ASSERT_TRUE(translate_fe(skeleton("       LET       X$A=FN$MAXQ(2)+FN$MINUTE(3)\n", defs)));
  EXPECT_EQ(err_lines(), Lines{});
  // Both calls pass their argument to the expression: classes 40 + f.
  EXPECT_EQ(e_->expr.ref_class[3], fnk::expression_base + 2);
  EXPECT_EQ(e_->expr.ref_class[4], fnk::expression_base + 1);
  EXPECT_EQ(e_->expr.ref_index[3], opnd::temporary);
  // The definitions are linked to expression SQU.
  EXPECT_EQ(e_->expr.ref_class[1], -1);
  EXPECT_EQ(e_->expr.ref_class[2], -1);
}

}  // namespace
}  // namespace kelvo::test
