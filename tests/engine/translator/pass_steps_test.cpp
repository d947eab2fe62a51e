// The translation pass around the statement checks: the EX card of
// automatic animation, the ASSEMBLE-without-SPLIT warning, the operand
// presence checks, the block codes a PRINT stores and LET X$name=INPUT.
#include <gtest/gtest.h>

#include <algorithm>

#include <string>

#include "translate_fixture.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

using Lines = std::vector<std::string>;

class PassTest : public TranslateTest {
 protected:
  // Puts `text` in the statement line.
  void set_line(const std::string& text) { e_->cs.stmt.stmt_line.assign(text); }
  std::string line() const { return std::string(e_->cs.stmt.stmt_line.cols(1, 80)); }
};

// The 80 columns of `text` padded with blanks.
std::string cols80(std::string text) {
  text.resize(80, ' ');
  return text;
}

TEST_F(PassTest, ExCardBecomesALetOfItsValue) {
  e_->ctl.auto_animation_flag = true;
  // Value in column 27.
  set_line(std::string("EX     X$SPEED") + std::string(12, ' ') + "7         comment");
  handle_ex_card(*e_);
  EXPECT_EQ(line(), cols80("LET    X$SPEED=7"));
}

TEST_F(PassTest, ExCardWithCommaInColumn14) {
  e_->ctl.auto_animation_flag = true;
  set_line(std::string("ex     X$SPED,") + std::string(12, ' ') + "9");
  handle_ex_card(*e_);
  EXPECT_EQ(line(), cols80("LET    X$SPED=9"));
}

TEST_F(PassTest, ExCardIsLeftAloneWithoutAutomaticAnimation) {
  set_line("EX     X$SPEED             7");
  handle_ex_card(*e_);
  EXPECT_EQ(line(), cols80("EX     X$SPEED             7"));
}

TEST_F(PassTest, OtherLinesAreLeftAloneUnderAutomaticAnimation) {
  e_->ctl.auto_animation_flag = true;
  set_line("       EXIT      7");
  handle_ex_card(*e_);
  EXPECT_EQ(line(), cols80("       EXIT      7"));
}

TEST_F(PassTest, AssembleWithoutSplitWritesTheWarningPairToWrn) {
  translate_fe(base_model());
  ASSERT_FALSE(e_->ctl.error_found);
  e_->cs.pass.has_assemble = true;
  warn_assemble_without_split(*e_);
  e_->ch.close_all();
  EXPECT_EQ(file_lines("m.WRN"), (Lines{"****** WARNING ******", " This program with ASSEMBLE lacks a SPLIT block"}));
}

TEST_F(PassTest, AssembleWithSplitWritesNothing) {
  translate_fe(base_model());
  e_->cs.pass.has_assemble = true;
  e_->cs.pass.has_split = true;
  warn_assemble_without_split(*e_);
  e_->ch.close_all();
  EXPECT_TRUE(file_lines("m.WRN").empty());
}

TEST_F(PassTest, SplitWithoutBOperand) {
  translate_fe(base_insert(6, "       SPLIT     1"));
  ASSERT_FALSE(err_lines().empty());
  EXPECT_EQ(err_lines()[0], " Compulsory B operand missing in SPLIT block");
}

// PRINT operands stored from a hand-set statement record: block 1 is the PRINT.
class PrintOperandsTest : public PassTest {
 protected:
  void SetUp() override {
    PassTest::SetUp();
    e_->blocks.block_count = 1;
    e_->blocks.block_op[1] = bc::print;
  }
  // The statement "PRINT <operands>" with its operand columns.
  void print_statement(const std::string& operands, bool open) {
    set_line("       PRINT     " + operands);
    auto& f = e_->cs.stmt.stmt_fields;
    f = StmtFields{};
    f.op_start = 8;
    f.op_len = 5;
    int start = 18;
    int u = 1;
    for (std::size_t i = 0; i <= operands.size(); ++i) {
      if (i == operands.size() || operands[i] == ',' || operands[i] == ' ') {
        f.opnd_start[u] = static_cast<int2>(start);
        f.opnd_len[u] = static_cast<int2>(18 + static_cast<int>(i) - start);
        if (i == operands.size() || operands[i] == ' ') break;
        start = 18 + static_cast<int>(i) + 1;
        ++u;
      }
    }
    e_->cs.syn.print_line_open = open;
  }
};

TEST_F(PrintOperandsTest, PlainValueAndArgument) {
  print_statement("Q$LINE", false);
  store_print_operands(*e_, 2, 5);
  EXPECT_EQ(e_->blocks.block_op[1], bc::print);
  EXPECT_EQ(e_->blocks.block_opnd[1], 2);
  EXPECT_EQ(e_->blocks.block_arg[1], 5);
  EXPECT_FALSE(e_->cs.pass.last_print_open);
  EXPECT_FALSE(e_->cs.pass.print_names_entity);
}

TEST_F(PrintOperandsTest, OpenLineGivesTheOpenLineCode) {
  print_statement("'TEXT',", true);
  store_print_operands(*e_, 1, 3);
  EXPECT_EQ(e_->blocks.block_op[1], bc::print_open);
  EXPECT_TRUE(e_->cs.pass.last_print_open);
}

TEST_F(PrintOperandsTest, AttributeGivesTheAttributeCodeAndLosesItsHundred) {
  print_statement("QA$LINE", false);
  store_print_operands(*e_, -250, 7);
  EXPECT_EQ(e_->blocks.block_op[1], bc::print_attribute);
  EXPECT_EQ(e_->blocks.block_opnd[1], -150);
  EXPECT_EQ(e_->blocks.block_arg[1], 7);
}

TEST_F(PrintOperandsTest, AttributeFollowedByCommaGivesTheOpenAttributeCode) {
  print_statement("QA$LINE,", true);
  store_print_operands(*e_, -250, 7);
  EXPECT_EQ(e_->blocks.block_op[1], bc::print_attribute_open);
}

TEST_F(PrintOperandsTest, NameCodeArgumentIsSwappedIntoTheOperandWord) {
  print_statement("Q$LINE", false);
  const int4 name = 1234567;
  store_print_operands(*e_, -11500, name);
  EXPECT_EQ(e_->blocks.block_op[1], bc::print);
  EXPECT_EQ(e_->blocks.block_opnd[1], name);
  EXPECT_EQ(e_->blocks.block_arg[1], -11500);
  EXPECT_TRUE(e_->cs.pass.print_names_entity);
}

// LET X$name=INPUT on the console: the value typed becomes the named
// savevalue's initial value; the statement is listed as written.
const char* k_let_input =
    "       SIMULATE\n"
    "RATE1  LET       X$RATE=INPUT ! mean\n"
    "       GENERATE  10\n"
    "       TERMINATE 1\n"
    "       START     3\n"
    "       END\n";

TEST_F(PassTest, LetInputAsksTheValueOnTheConsole) {
  ASSERT_TRUE(translate_console(k_let_input, "7.5\n"));
  EXPECT_FALSE(e_->ctl.error_found);
  ASSERT_EQ(e_->ent.sv.savevalue_count, 1);
  EXPECT_EQ(e_->ent.sv.savevalue_init[1], 7.5);
  EXPECT_TRUE(e_->cs.pass.console_input_mark);
  EXPECT_TRUE(e_->rep.report_flag);
  const auto out = console_lines();
  std::string listed = "      RATE1  LET       X$RATE=INPUT ! mean";
  listed.resize(74, ' ');
  listed += "  2";
  const auto at = std::find(out.begin(), out.end(), listed);
  ASSERT_NE(at, out.end());
  ASSERT_NE(at + 1, out.end());
  EXPECT_EQ(*(at + 1), " Give value of x$RATE");
}

TEST_F(PassTest, LetInputTwiceForOneSavevalueIsReported) {
  const std::string model = std::string(k_let_input).insert(std::string(k_let_input).find("       GENERATE"),
                                                             "       LET       X$RATE=INPUT\n");
  translate_console(model, "7.5\n");
  const auto out = console_lines();
  EXPECT_NE(std::find(out.begin(), out.end(), " Savevalue already initialized"), out.end());
  EXPECT_EQ(e_->ent.sv.savevalue_count, 1);
}

TEST_F(PassTest, LetInputRewritesTheStatementAsTheInputProgram) {
  set_line("RATE1  LET       X$RATE=INPUT ! mean");
  auto& f = e_->cs.stmt.stmt_fields;
  f = StmtFields{};
  f.first_word_len = 5;
  e_->cs.syn.label_col = 1;
  rewrite_let_input(*e_, 18, 24);
  EXPECT_EQ(line(), cols80("RATE1 HELP LETSA,X$RATE"));
  EXPECT_EQ(f.op_start, 7);
  EXPECT_EQ(f.op_len, 4);
  EXPECT_EQ(f.opnd_start[1], 12);
  EXPECT_EQ(f.opnd_len[1], 5);
  EXPECT_EQ(f.opnd_start[2], 18);
  EXPECT_EQ(f.opnd_len[2], 6);
  EXPECT_EQ(e_->cs.stmt.stmt_op, 11);
  EXPECT_EQ(std::string(e_->cs.syn.listing_text.cols(1, 40)),
            std::string("RATE1  LET       X$RATE=INPUT ! mean").append(4, ' '));
}

}  // namespace
}  // namespace kelvo::test
