// The checks of GOTO, SPLIT, ASSEMBLE, LET MIN/MAX, FN$MIN/FN$MAX, PRINT,
// TABULATE, START and TRACE on one-line variations of a small model, and
// the rows the accepted forms leave in the tables after linking.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "support/packed_names.h"
#include "support/stop.h"
#include "translate_fixture.h"
#include "runtime/print_blocks.h"
#include "translator/other_blocks.h"

namespace kelvo::test {
namespace {

// SIMULATE / GENERATE 1,0,,1 / the blocks under test / TERMINATE 1 /
// START 1 / END.
std::string model(const std::string& blocks) {
  return "       SIMULATE\n       GENERATE  1,0,,1\n" + blocks + "       TERMINATE 1\n       START     1\n       END\n";
}

struct FlowCase {
  std::string name;
  std::string model;
  std::string message;  // "" when the model translates without a message
};

std::vector<FlowCase> flow_cases() {
  const std::string nxt = "NXT    ADVANCE   1\n";
  return {
      // GOTO.
      {"GotoWithCOperand", model("       GOTO      NXT,,5\n" + nxt), " C operand not allowed in GOTO block"},
      {"GotoProbabilityAboveOne", model("       GOTO      NXT,1.5\n" + nxt), " Illegal character in probability operand"},
      {"GotoProbabilityWithLetter", model("       GOTO      NXT,0.5A\n" + nxt), " Illegal character in probability operand"},
      {"GotoProbabilityTwo", model("       GOTO      NXT,2\n" + nxt), " Illegal B operand value"},
      {"GotoToAnSna", model("       GOTO      Q$LINE\n"), " Incorrect A operand of GOTO block"},
      {"GotoToADigitName", model("       GOTO      1AB\n"), " Illegal address in A operand"},
      {"GotoToAFunctionWithoutNamedAddresses", model("       GOTO      FN$WHERE\n"),
       " No function with named addresses defined"},
      {"GotoProbabilityFromUndefinedFunction", model("       GOTO      NXT,FN$NONE\n" + nxt),
       " Function in B operand not defined"},
      {"GotoToAMissingLabel", model("       GOTO      NOWHER\n"), " NOWHER  =  address missing"},
      {"GotoAccepted", model("       GOTO      NXT,.25\n" + nxt), ""},
      // SPLIT.
      {"SplitWithoutAddress", model("       SPLIT     2\n"), " Compulsory B operand missing in SPLIT block"},
      {"SplitCopiesAnSna", model("       SPLIT     Q$LINE,NXT\n" + nxt), " Incorrect A operand in SPLIT block"},
      {"SplitToAnSna", model("       SPLIT     2,Q$LINE\n"), " Illegal address in B operand in SPLIT block"},
      {"SplitSerialNotAParameter", model("       SPLIT     2,NXT,X$A\n" + nxt), " Incorrect C operand in SPLIT block"},
      {"SplitToAMissingLabel", model("       SPLIT     2,NOWHER\n"), " Incorrect address in SPLIT block no    1"},
      // ASSEMBLE.
      {"AssembleOne", model("       ASSEMBLE  1\n"), " ASSEMBLE 1 illegal. Try ASSEMBLE 2!"},
      {"AssembleTwo", model("       ASSEMBLE  2\n"), ""},
      {"AssembleZero", model("       ASSEMBLE  0\n"), " Incorrect A operand in ASSEMBLE block"},
      {"AssembleSna", model("       ASSEMBLE  Q$LINE\n"), " Incorrect A operand in ASSEMBLE block"},
      // SELECT MIN/MAX A,B,,D,E.
      {"SelectLimitsReversed", model("       SELECT MIN 1,X,,5,3\n"), " D operand value > E operand value"},
      {"SelectParameterTooHigh", model("       SELECT MIN 13,X,,1,5\n"), " Parameter value too high"},
      {"SelectParameterNotANumber", model("       SELECT MIN Q$A,X,,1,5\n"), " Improper A operand in LET MIN/MAX block"},
      {"SelectClassUnknown", model("       SELECT MIN 1,Z,,1,5\n"), " Improper B or C operand"},
      {"SelectCOperandGiven", model("       SELECT MIN 1,X,3,1,5\n"), " Improper C operand"},
      {"SelectLimitZero", model("       SELECT MAX 1,X,,0,5\n"), " Improper D or E operand"},
      {"SelectOverQueuesWithoutQueues", model("       SELECT MIN P1,Q,,1,5\n"),
       " LET MIN/MAX with Q but no queues or AD sets"},
      {"SelectAlignedInColumns", model("       SELECT    MIN 1,X,,5,3\n"), " D operand value > E operand value"},
      {"SelectAlignedAccepted", model("       SELECT    MAX 1,X,,1,5\n"), ""},
      {"SelectUnknownWord", model("       SELECT MAY 1,X,,1,5\n"), " Unknown operation or improper LET MIN/MAX block"},
      // SELECT Pj=MIN(c)B,C after an address (without one the address
      // check refuses the form).
      {"SelectPFormLimitsReversed", model("BEST   SELECT    P1=MIN(X)5,3\n"), " B > C in LET MIN/MAX"},
      {"SelectPFormClassUnknown", model("BEST   SELECT    P1=MIN(Z)1,3\n"), " Improper D or E operand"},
      {"SelectPFormWithoutAddress", model("       SELECT    P1=MIN(X)1,3\n"), "Illegal LET MIN/MAX construction"},
      // LET Pj=MIN(cn,cm).
      {"LetMinLimitsReversed", model("       LET       P1=MIN(X5,X3)\n"), " B > C in LET MIN/MAX"},
      {"LetMinTwoClasses", model("       LET       P1=MIN(X1,Q3)\n"), " Improper B or C argument in LET MIN/MAX"},
      {"LetMinWithoutClosingParenthesis", model("       LET       P1=MIN(X1,X3\n"), " ) missing at end"},
      {"LetMinMisspelt", model("       LET       P1=MUN(X1,X3)\n"), " MIN or MAX expected. > 9 parameters?"},
      {"LetMaxAccepted", model("       LET       P$BEST=MAX(X1,X3)\n"), ""},
      // FN$MIN and FN$MAX.
      {"FnMinWithDecimal", model("       LET       X$M=FN$MIN(X$A,2.5)\n"), " Constant or X-value expected"},
      {"FnMinWithThreeArguments", model("       LET       X$M=FN$MIN(X$A,1,2)\n"), " Constant or X-value expected"},
      {"FnMinIntoAParameter", model("       LET       P1=FN$MIN(X$A,5)\n"), " X$-value expected in A operand"},
      {"FnMaxAccepted", model("       LET       X$M=FN$MAX(X$A,5)\n"), ""},
      // PRINT.
      {"PrintTextAndAttribute", model("       LET       X$A=5\n       PRINT     'COST',X$A,10,2\n"), ""},
      {"PrintBWithoutText", model("       PRINT     X$A,Q$B\n"), " PRINT with B operand, but not text in A operand"},
      {"PrintOnlyB", model("       PRINT     ,X$A\n"), " PRINT lacks legal operand"},
      {"PrintUnknownWord", model("       PRINT     BLOCKS\n"), " Illegal operand in PRINT statement"},
      {"PrintDecimalConstant", model("       PRINT     2.5\n"), " Illegal operand in PRINT statement"},
      {"PrintWidthZeroIsNoWidth", model("       LET       X$A=5\n       PRINT     'COST',X$A,0\n"), ""},
      {"PrintWidthZeroWithDecimals", model("       PRINT     X$A,,0,2\n"), " Illegal C operand of PRINT"},
      {"PrintWidthNegative", model("       PRINT     X$A,,-3\n"), " Illegal C operand of PRINT"},
      {"PrintDecimalsWithoutWidth", model("       PRINT     X$A,,,2\n"), " Illegal C operand of PRINT"},
      {"PrintSectionWithWidth", model("       PRINT     N,,5\n"), " Illegal C operand of PRINT"},
      {"PrintSevenDecimals", model("       PRINT     X$A,,10,7\n"), " Too many decimals demanded"},
      {"PrintDecimalsWiderThanField", model("       PRINT     X$A,,4,3\n"), " Too many decimals demanded"},
      // TABULATE.
      {"TabulateWithoutTable", model("       TABULATE  NOTAB\n"), " Table in A operand not defined"},
      {"TabulateSna", model("       TABULATE  Q$TAB\n"), " This type of SNA not allowed"},
      // START, SIMULATE and TRACE.
      {"StartWithDecimal", "       SIMULATE\n       GENERATE  1,0,,1\n       TERMINATE 1\n       START     10.5\n       END\n",
       " A operand must be integer constant"},
      {"SimulateWithDecimal", "       SIMULATE  2.5\n       GENERATE  1,0,,1\n       TERMINATE 1\n       START     1\n       END\n",
       " A operand must be integer constant"},
      {"StartWithSevenDigits", "       SIMULATE\n       GENERATE  1,0,,1\n       TERMINATE 1\n       START     1234567\n       END\n",
       ""},
      {"TraceOn", model("       TRACE     ON\n"), ""},
      {"TraceUnknownWord", model("       TRACE     UP\n"), " TRACE with no or incorrect operand"},
      {"TraceAlone", model("       TRACE\n"), " TRACE with no or incorrect operand"},
      // FUNCTION RLNGd and TRAId.
      {"ErlangFunctionAccepted", "ERL    FUNCTION  RN2,RLNG3\n" + model(""), ""},
      {"ErlangFunctionWithoutPhases", "ERL    FUNCTION  RN2,RLNG0\n" + model(""), " Function has illegal B operand"},
      {"ErlangFunctionNeedsAStream", "ERL    FUNCTION  X$A,RLNG3\n" + model(""),
       " A operand is not RNj, but B operand blank or R"},
  };
}

class FlowMessage : public TranslateTest, public ::testing::WithParamInterface<FlowCase> {};

TEST_P(FlowMessage, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, FlowMessage, ::testing::ValuesIn(flow_cases()),
                         [](const ::testing::TestParamInfo<FlowCase>& info) { return info.param.name; });

// ---- What the accepted forms leave in the tables.

class FlowRows : public TranslateTest {
 protected:
  void translate(const std::string& m) {
    ASSERT_EQ(first_error(m), "");
    ASSERT_FALSE(e_->ctl.error_found);
  }
  int4 name(const std::string& n) { return pack_symbol_name(*e_, n); }
  // Block b as the PRINT step leaves a PRINT that names entity n.
  void named_print(int b, int code, const std::string& n, int arg) {
    e_->blocks.block_op[b] = static_cast<int2>(code);
    e_->blocks.block_opnd[b] = name(n);
    e_->blocks.block_arg[b] = static_cast<int2>(arg);
  }
};

TEST_F(FlowRows, GotoProbabilitiesAndTargets) {
  translate("       LET       X$P=0.5\n" +
            model("       GOTO      NXT,.5\n       GOTO      NXT,0.5\n       GOTO      NXT,X$P\n"
                  "       GOTO      NXT,P2\n       GOTO      NXT\n       GOTO      NXT,1.0\nNXT    ADVANCE   1\n"));
  const auto& go = e_->flow.go;
  EXPECT_EQ(e_->blocks.block_op[2], bc::goto_);
  EXPECT_EQ(e_->blocks.block_arg[7], 6);
  EXPECT_EQ(go.goto_prob[1], 0.5f);
  EXPECT_EQ(go.goto_prob[2], 0.5f);
  EXPECT_EQ(go.goto_prob[3], 2.0f);  // savevalue 1
  EXPECT_EQ(go.goto_prob[4], 10002.0f);
  EXPECT_EQ(go.goto_prob[5], 1.0f);
  EXPECT_EQ(go.goto_prob[6], 1.0f);
  for (int g = 1; g <= 6; ++g) EXPECT_EQ(go.goto_target[g], 8.0f) << g;
}

TEST_F(FlowRows, SplitAndAssembleWords) {
  translate(model("       SPLIT     3,COPY,P1\n       SPLIT     X$N,COPY\n       SPLIT     P2,COPY\n"
                  "COPY   ASSEMBLE  3\n       ASSEMBLE  X$N\n       ASSEMBLE  P2\n"));
  const auto& b = e_->blocks;
  EXPECT_EQ(b.block_opnd[2], 3);
  EXPECT_EQ(b.block_opnd[3], -1);  // savevalue 1
  EXPECT_EQ(b.block_opnd[4], -10002);
  EXPECT_EQ(e_->flow.split.split_param[1], 1);
  EXPECT_EQ(e_->flow.split.split_param[2], 0);
  EXPECT_EQ(e_->flow.split.split_target[3], 5);
  EXPECT_EQ(b.block_arg[5], 2);  // absorbs 2, the third passes
  EXPECT_EQ(b.block_arg[6], -1);
  EXPECT_EQ(b.block_arg[7], -10002);
  EXPECT_EQ(b.block_opnd[7], 3);  // the third ASSEMBLE block
  // P1 and P2 of the model, then the ASSEMBLE word of the record.
  EXPECT_EQ(e_->ent.par.param_count, 3);
  EXPECT_EQ(e_->ent.par.assemble_word_off, 8);
  EXPECT_TRUE(e_->flow.assemble_used);
}

TEST_F(FlowRows, LetMinMaxRowsOfTheThreeForms) {
  translate("       LET       X$TOP=4\n" +
            model("       SELECT MIN 2,S,,1,X$TOP\nBEST   SELECT    P3=MAX(W)2,4\n       LET       P1=MAX(X1,X5)\n"));
  const auto& mm = e_->flow.mm;
  EXPECT_EQ(e_->blocks.block_op[2], bc::select);
  EXPECT_EQ(e_->blocks.block_arg[2], -1);  // MIN, row 1
  EXPECT_EQ(e_->blocks.block_op[3], bc::select);
  EXPECT_EQ(e_->blocks.block_arg[3], 2);
  EXPECT_EQ(e_->blocks.block_op[4], bc::let_minmax);
  EXPECT_EQ(e_->blocks.block_arg[4], 3);
  const std::vector<int4> row1{mm.minmax_param[1], mm.minmax_kind[1], mm.minmax_lower[1], mm.minmax_upper[1]};
  const std::vector<int4> row2{mm.minmax_param[2], mm.minmax_kind[2], mm.minmax_lower[2], mm.minmax_upper[2]};
  const std::vector<int4> row3{mm.minmax_param[3], mm.minmax_kind[3], mm.minmax_lower[3], mm.minmax_upper[3]};
  EXPECT_EQ(row1, (std::vector<int4>{2, opnd::storage, 1, -1}));
  EXPECT_EQ(row2, (std::vector<int4>{3, opnd::waiting, 2, 4}));
  EXPECT_EQ(row3, (std::vector<int4>{1, opnd::savevalue, 1, 5}));
}

TEST_F(FlowRows, FnMinMaxOperandsAreExpandedAfterEnd) {
  translate("       LET       X$A=2\n" + model("       LET       X$M=FN$MAX(X$A,17)\n       LET       X$N=FN$MIN(5,X$Z)\n"));
  const auto& mm2 = e_->flow.mm2;
  EXPECT_EQ(e_->blocks.block_op[2], bc::let_minmax_run);
  EXPECT_EQ(e_->blocks.block_arg[3], 2);
  EXPECT_TRUE(mm2.minmax2_is_max[1]);
  EXPECT_FALSE(mm2.minmax2_is_max[2]);
  EXPECT_EQ(mm2.minmax2_dest[1], 2);  // X$M after X$A
  EXPECT_EQ(mm2.minmax2_value[1][1], 1);
  EXPECT_EQ(mm2.minmax2_value[1][2], 17);
  EXPECT_EQ(mm2.minmax2_value[2][1], 5);
  // X$Z is named nowhere else: it gets the next number.
  EXPECT_EQ(mm2.minmax2_value[2][2], 4);
  EXPECT_EQ(e_->ent.sv.savevalue_name[4], name("Z"));
}

TEST_F(FlowRows, OnlyMinAndMaxAreTheMinMaxFunctions) {
  translate(model(""));
  int mode = k_mode_plain, number = 0;
  find_entity_number(*e_, k_class_function, name("MAX"), mode, number);
  EXPECT_FALSE(e_->ctl.error_found);
  find_entity_number(*e_, k_class_function, name("MAXQ"), mode, number);
  EXPECT_TRUE(e_->ctl.error_found);
}

TEST_F(FlowRows, PrintWordsOfTextsWithAttributes) {
  translate(model("       LET       X$A=5\n       PRINT     'AT',Q*2,\n       PRINT     'COST',X$A,10,2\n"));
  const auto& b = e_->blocks;
  // Text row 1 and the queue whose number parameter 2 holds, the line kept open.
  EXPECT_EQ(b.block_op[3], bc::print_attribute_open);
  EXPECT_EQ(b.block_arg[3], 2);
  // Text row 2 and kind 8 coded as -(100 + 26 + 8), less its 100; after
  // linking the savevalue's number beside it.
  EXPECT_EQ(b.block_op[4], bc::print_attribute);
  EXPECT_EQ(b.block_opnd[4], -34);
  EXPECT_EQ(b.block_arg[4], 1);
  EXPECT_EQ(e_->flow.pf.format_block[1], 4);
  EXPECT_EQ(e_->flow.pf.format_code[1], 210);
  // The run-time reads back what the translator coded.
  for (const auto& [block, row, kind] : {std::tuple{3, 1, -opnd::queue}, std::tuple{4, 2, opnd::savevalue}}) {
    const PrintCode p = decode_print_code(b.block_opnd[block]);
    EXPECT_EQ(p.row, row);
    EXPECT_EQ(p.kind, kind);
  }
}

TEST_F(FlowRows, NamedPrintAttributesAreLinkedToEntityNumbers) {
  translate(model("       ARRIVE    LINE\n       DEPART    LINE\n"));
  auto& b = e_->blocks;
  // PRINT Q$LINE (kind 2 with the name) and PRINT 'W',Q$LINE.
  named_print(3, bc::print, "LINE", opnd::queue);
  named_print(4, bc::print_attribute, "LINE", -(13 + opnd::queue));
  check_print_sna_refs(*e_);
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(b.block_opnd[3], opnd::queue);
  EXPECT_EQ(b.block_arg[3], 1);
  EXPECT_EQ(b.block_opnd[4], -15);
  EXPECT_EQ(b.block_arg[4], 1);
}

TEST_F(FlowRows, AnUndefinedPrintAttributeStopsTheEngine) {
  translate(model(""));
  named_print(2, bc::print, "NOSUCH", opnd::queue);
  e_->ch.open_new(e_->ctl.unit_base + 24, path("m.ERR"));
  try {
    check_print_sna_refs(*e_);
    FAIL() << "the engine goes on";
  } catch (const EngineStop&) {
  }
  e_->ch.close_all();
  const auto lines = err_lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[1], " Error in block   2");
  EXPECT_EQ(lines[2], " NOSUCH is");
  EXPECT_EQ(lines[3], " incorrect or undefined SNA in PRINT block");
}

}  // namespace
}  // namespace kelvo::test
