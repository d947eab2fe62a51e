// Special statements in translation: the messages of one-line variations
// of the skeleton model, the operand rows a call leaves after END, and
// the programs that run before the first GENERATE (TRACE, DECIMA, INPUT
// on the console and under the front end).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../engine_fixture.h"
#include "support/packed_names.h"
#include "translate_fixture.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

std::string skeleton(const std::string& blocks, const std::string& before = "") {
  return kelvo::testing::skeleton_model(blocks, before);
}

struct SpecialCase {
  std::string name;
  std::string model;
  std::string message;
};

std::vector<SpecialCase> special_cases() {
  std::string many;
  for (int i = 0; i <= k_spec_limit; ++i) many += "       HELP      BLCUR\n";
  return {
      {"UnknownProgram", skeleton("       HELP      NOSUCH,1\n"), " No FORTRAN program with A operand name"},
      {"NameWhereTheProgramWantsANumber", skeleton("       HELP      SNAQS,C1,ONE,X$A\n"), " Incorrect operand in block"},
      {"UndefinedTable", skeleton("       HELP      SNAQS,T$TAB,1,X$A\n"), " Incorrect operand in block"},
      {"UndefinedQueueAfterEnd", skeleton("       HELP      SNAQS,Q$NOQ,1,X$A\n"), "     Queue  of  Q$NOQ    missing"},
      {"ProgramThatCannotRunBeforeGenerate", skeleton("", "       HELP      SNAQS,C1,1,X$A\n"),
       " This block cannot be used as control statement"},
      {"DecisAsBlock", skeleton("       HELP      DECIS,X$A,,1\n"), " The block HELP DECIS is illegal"},
      {"FacilityNameOfAStorage", skeleton("       HELP      SNAQS,F$TANK,1,X$A\n", "TANK   CAPACITY  2\n"),
       " LET SNA refers to facility, but storage name"},
      {"ValinWithSimulateRuns", "       SIMULATE  2\n       HELP      VALIN,X$A\n       GENERATE  1,0,,1\n"
                                "       TERMINATE 1\n       START     1\n       END\n",
       " SIMULATE with A>1 not allowed when EXPERI"},
      {"TooManySpecialStatements", skeleton(many), " Too many GRAPH, TRACE, MATRIX and LET SNA blocks"},
      {"QuotedTextOfOperandDNotClosed", skeleton("GRA    HELP      GPRIN,,C1,'ABC\n"),
       " Right apostrophe missing i D operand"},
      {"TraceWithoutItsWord", skeleton("       TRACE     UP\n"), " TRACE with no or incorrect operand"},
      {"TraceAccepted", skeleton("       TRACE     ON\n       TRACE     OFF\n"), ""},
  };
}

class SpecialMessage : public TranslateTest, public ::testing::WithParamInterface<SpecialCase> {};

TEST_P(SpecialMessage, IsTheFirstErrLine) { EXPECT_EQ(first_error(GetParam().model), GetParam().message); }

INSTANTIATE_TEST_SUITE_P(Variations, SpecialMessage, ::testing::ValuesIn(special_cases()),
                         [](const ::testing::TestParamInfo<SpecialCase>& info) { return info.param.name; });

class SpecialTest : public TranslateTest {};

TEST_F(SpecialTest, ReportedOnlyMessagesLetTheModelTranslate) {
  EXPECT_EQ(first_error(skeleton("GRA    HELP      GPRIN,,C1,'ABC\n")), " Right apostrophe missing i D operand");
  EXPECT_FALSE(e_->ctl.error_found);
}

TEST_F(SpecialTest, ExperiAfterAnotherSpecialStatement) {
  e_->ctl.experi_present = true;
  EXPECT_EQ(first_error(skeleton("       EXPERI    X$IN,X$OUT\n", "       TRACE     ON\n")),
            " EXPERI must be the first statement");
}

TEST_F(SpecialTest, SnatoxOnASavevalueUnderOptimization) {
  e_->rep.optimization_flag = true;
  EXPECT_EQ(first_error(skeleton("       HELP      SNATOX,X$A,1,X$B\n")), " LET SNA with X and optimization illegal");
}

TEST_F(SpecialTest, RowsHoldEntityNumbersAfterEnd) {
  ASSERT_EQ(first_error(skeleton("       ARRIVE    LINE\n       HELP      SNAQS,Q$LINE,8,X$RES\n"
                                 "       DEPART    LINE\n")),
            "");
  const auto& sp = e_->ent.spec;
  ASSERT_EQ(sp.spec_count, 1);
  EXPECT_EQ(e_->blocks.block_op[3], bc::special);
  EXPECT_EQ(e_->blocks.block_arg[3], 1);
  EXPECT_EQ(sp.spec_program[1], prog::snaqs);
  const int4 res = find_name(e_->ent.sv.savevalue_name, e_->ent.sv.savevalue_count, pack_symbol_name(*e_, "RES"));
  ASSERT_NE(res, 0);
  const std::vector<std::pair<int4, int4>> rows = {
      {opnd::queue, 1}, {opnd::constant, 8}, {opnd::savevalue, res}, {k_row_end, 0}};
  for (int i = 1; i <= 4; ++i) {
    EXPECT_EQ(sp.spec_opnd_kind[1][ix(i)], rows[ix(i - 1)].first) << i;
    EXPECT_EQ(sp.spec_opnd_value[1][ix(i)], rows[ix(i - 1)].second) << i;
  }
}

TEST_F(SpecialTest, TraceOnBeforeGenerateTracesFromTheStartAndNumbersTransactions) {
  ASSERT_EQ(first_error(skeleton("       TRACE     OFF\n", "       TRACE     ON\n")), "");
  EXPECT_TRUE(e_->run.trace_switch);
  EXPECT_TRUE(e_->ent.par.trace_number_wanted_a);
  EXPECT_TRUE(e_->ent.par.trace_number_wanted_b);
  EXPECT_EQ(e_->ent.spec.spec_program[2], prog::troff);
  // The trace number rides in a word behind the (no) parameters.
  EXPECT_EQ(e_->ent.par.param_count, 1);
  EXPECT_EQ(e_->ent.par.trace_word_off, tw::first_param);
}

TEST_F(SpecialTest, TraceIsListedAsWritten) {
  ASSERT_TRUE(translate_console(skeleton("LOOP   TRACE     ON   ! from here\n"), ""));
  // Block 2, the statement in 68 columns, line 3.
  std::string listed = "   2  LOOP   TRACE     ON   ! from here";
  listed.resize(74, ' ');
  listed += "  3";
  const auto out = console_lines();
  EXPECT_NE(std::find(out.begin(), out.end(), listed), out.end());
}

TEST_F(SpecialTest, DecimaBeforeGenerateSetsTheReportDecimals) {
  ASSERT_EQ(first_error(skeleton("", "       HELP      DECIMA,4\n")), "");
  EXPECT_EQ(e_->rep.report_decimals, 4);
}

TEST_F(SpecialTest, InputOnTheConsoleAsksTheSavevalue) {
  ASSERT_TRUE(translate_console(skeleton("       ADVANCE   X$RATE\n", "       INPUT     X$RATE\n"), "7.5\n"));
  EXPECT_FALSE(e_->ctl.error_found);
  const auto out = console_lines();
  EXPECT_NE(std::find(out.begin(), out.end(), " Give value of x$RATE"), out.end());
  EXPECT_EQ(e_->ent.sv.savevalue_init[1], 7.5);
}

// Under the front end the answer is kept in the model's DEC file, which
// the DECIS program reads.
TEST_F(SpecialTest, InputUnderTheFrontEndGoesThroughTheDecFile) {
  in_.str("7.5\n3\n");
  ASSERT_EQ(first_error(skeleton("", "       INPUT     X$RATE\n       INPUT     X$SIZE\n")), "");
  EXPECT_EQ(file_lines("m.DEC"), (Lines{"       7.500000", "       3.000000"}));
  EXPECT_EQ(e_->ent.sv.savevalue_init[1], 7.5);
  EXPECT_EQ(e_->ent.sv.savevalue_init[2], 3.0);
}

}  // namespace
}  // namespace kelvo::test
