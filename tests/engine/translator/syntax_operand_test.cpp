// The statement syntax check and the operand lexer on single lines: the
// field columns, in-place rewrites, class marks and operand kind codes.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "driver/engine_entry.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

#include "line_check_fixture.h"

namespace kelvo {
namespace {

class TermTest : public LineTest {
 protected:
  std::string term(const std::string& t, int& kind, int4& value, bool control_let = false) {
    out_.str("");
    e_->ctl.error_reported = false;
    kind = -99;
    value = -99;
    parse_sna_operand(*e_, t, kind, value, true, control_let);
    std::string first;
    std::getline(std::istringstream(out_.str()), first);
    const auto end = first.find_last_not_of(' ');
    return end == std::string::npos ? "" : first.substr(0, end + 1);
  }
};

// ---- Fields and columns.

TEST_F(LineTest, FieldsOfOperandsAndComment) {
  EXPECT_EQ(check("       ADVANCE   10,5 ! ok"), "");
  EXPECT_EQ(f().op_start, 8);
  EXPECT_EQ(f().op_len, 7);
  EXPECT_EQ(f().opnd_start[1], 18);
  EXPECT_EQ(f().opnd_len[1], 2);
  EXPECT_EQ(f().opnd_start[2], 21);
  EXPECT_EQ(f().opnd_len[2], 1);
  EXPECT_EQ(e_->cs.syn.comment_col, 23);
}

TEST_F(LineTest, LabelLengthAndOperationAfterIt) {
  EXPECT_EQ(check("LOOP   ADVANCE   5"), "");
  EXPECT_EQ(f().first_word_len, 4);
  EXPECT_EQ(f().op_start, 8);
  EXPECT_EQ(check("       ADVANCE   5"), "");
  EXPECT_EQ(f().first_word_len, 0);
}

TEST_F(LineTest, TextOperandLengthCountsSixtyWhenAlone) {
  EXPECT_EQ(check("       PRINT     'ABC'"), "");
  EXPECT_EQ(f().opnd_len[1], 65);
  EXPECT_EQ(check("       PRINT     'ABC',X"), "");
  EXPECT_EQ(f().opnd_len[1], 5);
  EXPECT_EQ(f().opnd_start[2], 24);
  EXPECT_EQ(f().opnd_len[2], 1);
}

TEST_F(LineTest, TextOfFiftyNineIsAcceptedSixtyIsTooLong) {
  EXPECT_EQ(check(" PRINT '" + std::string(59, 'A') + "'"), "");
  EXPECT_EQ(check(" PRINT '" + std::string(60, 'A') + "'"), " Text string too long");
  // Starting in column 18 the text cannot close before column 73.
  EXPECT_EQ(check("       PRINT     '" + std::string(59, 'A') + "'"), " Illegally long statement");
}

TEST_F(LineTest, EightOperandsFitNineDoNot) {
  EXPECT_EQ(check("       GENERATE  1,2,3,4,5,6,7,8"), "");
  EXPECT_EQ(check("       GENERATE  1,2,3,4,5,6,7,8,9"), " Too many operands");
}

TEST_F(LineTest, CharactersAfterOperands) {
  EXPECT_EQ(check("       ADVANCE   5   X"), " Illegal characters after operands");
}

TEST_F(LineTest, FourLetterWordNeedsThirdField) {
  EXPECT_EQ(check("       TEST  A"), " Illegal operation code or operands. ! expected");
}

// ---- Rewrites in place.

TEST_F(LineTest, PrintWithTrailingCommaKeepsLineOpen) {
  EXPECT_EQ(check("       PRINT     A,"), "");
  EXPECT_TRUE(e_->cs.syn.print_line_open);
  EXPECT_EQ(check("       ADVANCE   A, B"), " Illegal character or blank in operand field");
}

TEST_F(LineTest, TwoLetterOperationTurnsEqualsIntoComma) {
  EXPECT_EQ(check("       IF        X=Y,LAB"), "");
  EXPECT_EQ(line(), "       IF        X,Y,LAB");
}

TEST_F(LineTest, LetSignIsKeptAndBlanked) {
  EXPECT_EQ(check("       LET+      X$A,1"), "");
  EXPECT_EQ(e_->cs.syn.let_sign_char, '+');
  EXPECT_EQ(line(), "       LET       X$A,1");
  EXPECT_EQ(check("       LET+      X$A=INPUT"), " INPUT illegal for LET+ and LET+");
}

TEST_F(LineTest, CapacityBecomesStorage) {
  e_->cs.pass.check_flag = false;
  check("TANK   CAPACITY  10^9");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(line(), "TANK   STORAGE");
  EXPECT_EQ(e_->cs.syn.default_capacity_word, 1);
  EXPECT_EQ(check("TANK   CAPACITYX 5"), " Incorrect CAPACITY definition");
}

TEST_F(LineTest, CapacityWithoutOperandIsListedWithDefault) {
  e_->cs.pass.check_flag = false;
  e_->cs.pass.line_count = 4;
  check("TANK   CAPACITY");
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_EQ(out_.str(), "      TANK   CAPACITY  ! 2,000,000,000" + std::string(68 - 32, ' ') + "  4\n");
  EXPECT_EQ(e_->cs.syn.default_capacity_word, 2);
}

TEST_F(LineTest, SelectWithUnknownLetter) {
  EXPECT_EQ(check("       SELECT MAY P1,1,5,Q"), " Unknown operation or improper LET MIN/MAX block");
}

TEST_F(LineTest, SelectPFormIsRewritten) {
  EXPECT_EQ(check("       SELECT    P1=MIN,Q,1,5"), "");
  EXPECT_TRUE(e_->cs.syn.minmax_p_form);
  EXPECT_EQ(e_->cs.syn.minmax_letter, 'N');
}

// ---- PRINT texts.

TEST_F(LineTest, PrintTextGoesToTheTextTable) {
  EXPECT_EQ(check("       PRINT     'Mean wait'", true), "");
  ASSERT_EQ(e_->ent.ptext.print_text_count, 1);
  EXPECT_EQ(e_->ent.ptext.print_text[1], "Mean wait");
  EXPECT_EQ(e_->ent.ptext.print_text_len[1], -9);
}

TEST_F(LineTest, PrintAloneGetsAQuotedBlank) {
  EXPECT_EQ(check("       PRINT", true), "");
  EXPECT_EQ(line(), "       PRINT ' '");
  EXPECT_EQ(e_->ent.ptext.print_text_len[1], -1);
}

TEST_F(LineTest, PrintAloneKeepsACommentRightAfterIt) {
  EXPECT_EQ(check("       PRINT ! note", true), "");
  EXPECT_EQ(line(), "       PRINT ! note");
  EXPECT_EQ(e_->ent.ptext.print_text_count, 0);
}

TEST_F(LineTest, PrintTextWithConstantBOperand) {
  EXPECT_EQ(check("       PRINT     'N',5", true), " Constant not allowed as B operand");
}

// ---- The operand lexer: class marks and values.

TEST_F(LineTest, LexerMarksAndValues) {
  EXPECT_EQ(check("       SEIZE     Q*3,P*2,RN2,PRIORITY", true), " Name with more than 6 characters");
  EXPECT_EQ(check("       SEIZE     Q*3,P*2,RN2", true), "");
  EXPECT_EQ(mark(1), 'q');
  EXPECT_EQ(value_number(1), 3);
  EXPECT_EQ(mark(2), 'p');
  EXPECT_EQ(value_number(2), 2);
  EXPECT_EQ(mark(3), 'A');
  EXPECT_EQ(value_number(3), 2);
  EXPECT_EQ(check("       SEIZE     A,PRIORITY", true), "");
  EXPECT_EQ(mark(2), 'Y');
}

TEST_F(LineTest, LexerFacilitySnaIsStation) {
  EXPECT_EQ(check("       SEIZE     F$PUMP,S$PUMP,FN$ABC,X$ABC", true), "");
  EXPECT_EQ(mark(1), 'S');
  EXPECT_EQ(mark(2), 'S');
  EXPECT_EQ(e_->cs.stmt.operand_value[1], e_->cs.stmt.operand_value[2]);
  EXPECT_EQ(mark(3), 'F');
  EXPECT_EQ(mark(4), 'X');
}

TEST_F(LineTest, LexerDecimalsAndLongIntegers) {
  EXPECT_EQ(check("       ADVANCE   2.5,-0.25,1234567", true), "");
  EXPECT_EQ(e_->ent.dec.decimal_count, 3);
  EXPECT_EQ(e_->ent.dec.decimal_value[1], 2.5f);
  EXPECT_EQ(e_->ent.dec.decimal_value[2], -0.25f);
  EXPECT_EQ(e_->ent.dec.decimal_value[3], 1234567.0f);
  EXPECT_EQ(check("       ADVANCE   123456789", true), " Integer with more than 8 digits");
}

TEST_F(LineTest, LexerParameterForms) {
  EXPECT_EQ(check("       SEIZE     P$COST", true), "");
  EXPECT_EQ(mark(1), 'P');
  EXPECT_EQ(value_number(1), 1);
  EXPECT_EQ(check("       SEIZE     P1", true), " Illegal mixing of Pj and P$name");
}

TEST_F(LineTest, PlainParameterBeforeNameIsRefusedAtRegistration) {
  EXPECT_EQ(check("       SEIZE     P1", true), "");
  EXPECT_EQ(check("       SEIZE     P$COST", true), " Illegal mixing of Pj and P$name");
}

TEST_F(LineTest, LexerShortSavevalueNames) {
  EXPECT_EQ(check("       SEIZE     X$AB", true), "");
  EXPECT_EQ(check("       SEIZE     X$P1", true), " X$-name should start with 3 letters");
  EXPECT_EQ(check("       SEIZE     ABCDEFG", true), " Name with more than 6 characters");
}

TEST_F(LineTest, NamedParameterInIndirectReference) {
  EXPECT_EQ(check("       SEIZE     S*(P$PUMP),Q*(P$LINE)"), "");
  scan_param_names(*e_);
  EXPECT_EQ(line(), "       SEIZE     S*1,Q*2");
  EXPECT_EQ(f().opnd_len[1], 3);
  EXPECT_EQ(f().opnd_start[2], 22);
  EXPECT_EQ(f().opnd_len[2], 3);
  scan_operands(*e_);
  EXPECT_EQ(mark(1), 's');
  EXPECT_EQ(value_number(1), 1);
  EXPECT_EQ(mark(2), 'q');
  EXPECT_EQ(value_number(2), 2);
}

TEST_F(LineTest, NamedParameterFormErrors) {
  check("       SEIZE     S*(X$PUMP)");
  scan_param_names(*e_);
  EXPECT_TRUE(e_->ctl.error_found);
  EXPECT_NE(out_.str().find(" P$ expected"), std::string::npos);
  check("       SEIZE     S*(P$PUMPING)");
  scan_param_names(*e_);
  EXPECT_NE(out_.str().find(" Name of parameter too long"), std::string::npos);
  check("       SEIZE     S*(P$PUMPINGS)");
  scan_param_names(*e_);
  EXPECT_NE(out_.str().find(" ) expected within 10 characters of ("), std::string::npos);
}

// ---- SNA terms: operand kinds and values.

TEST_F(TermTest, ClockTerms) {
  int k = 0;
  int4 v = 0;
  EXPECT_EQ(term("C1", k, v), "");
  EXPECT_EQ(k, opnd::clock);
  EXPECT_EQ(v, 0);
  EXPECT_EQ(term("CL", k, v), "");
  EXPECT_EQ(v, 2);
  EXPECT_EQ(term("C2", k, v), " C must be followed by 1 or L");
}

TEST_F(TermTest, IndirectTermsAreNegative) {
  int k = 0;
  int4 v = 0;
  EXPECT_EQ(term("Q*3", k, v), "");
  EXPECT_EQ(k, -opnd::queue);
  EXPECT_EQ(v, 3);
  EXPECT_EQ(term("P*2", k, v), "");
  EXPECT_EQ(k, -opnd::parameter);
  EXPECT_EQ(v, 2);
}

TEST_F(TermTest, NumbersAndStreams) {
  int k = 0;
  int4 v = 0;
  EXPECT_EQ(term("RN2", k, v), "");
  EXPECT_EQ(k, opnd::random);
  EXPECT_EQ(v, 2);
  EXPECT_EQ(term("12345", k, v), "");
  EXPECT_EQ(k, opnd::constant);
  EXPECT_EQ(v, 12345);
  EXPECT_EQ(term("123456", k, v), "");
  EXPECT_EQ(k, opnd::decimal);
  EXPECT_EQ(e_->ent.dec.decimal_value[v], 123456.0f);
  EXPECT_EQ(term("123456789", k, v), " Integer with more than 8 digits");
}

TEST_F(TermTest, PriorityAndTemporaries) {
  int k = 0;
  int4 v = 0;
  EXPECT_EQ(term("PR", k, v), "");
  EXPECT_EQ(k, opnd::priority);
  EXPECT_EQ(term("T", k, v), "");
  EXPECT_EQ(k, opnd::temporary);
  EXPECT_EQ(v, 7);
}

TEST_F(TermTest, NameRules) {
  int k = 0;
  int4 v = 0;
  EXPECT_EQ(term("Q$AB", k, v), " $-name should start with 3 letters");
  EXPECT_EQ(term("X$AB", k, v), "");
  EXPECT_EQ(k, opnd::savevalue);
  EXPECT_EQ(term("P12", k, v), " Only P1, P2, .. P9 allowed");
  EXPECT_EQ(term("F1", k, v), " FN not followed by $, ( or *");
  EXPECT_EQ(term("Q$BUF", k, v, true), " Only X$ allowed as SNA in control LET");
  EXPECT_EQ(term("HELLO", k, v), " SNA symbol missing before name");
}

}  // namespace
}  // namespace kelvo
