// The small operand checks: probabilities, names and digits, the
// statement rewrites of EXPERI, INPUT and TRACE, VALUT, the INPUT data
// file, the matrix form texts and the MATUT operands.
#include "translator/operand_checks.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/packed_names.h"
#include "support/stop.h"
#include "translate_fixture.h"
#include "translator/other_blocks.h"
#include "translator/translator.h"

namespace kelvo::test {
namespace {

class OperandChecks : public TranslateTest {
 protected:
  void SetUp() override {
    TranslateTest::SetUp();
    write_model("       END\n");
  }
  void set_line(const std::string& text) { e_->cs.stmt.stmt_line.assign(text); }
  std::string line() const { return std::string(e_->cs.stmt.stmt_line.trimmed_right()); }
  // The first message written on the console since the last call.
  std::string message() {
    const auto lines = console_lines();
    const std::string m = lines.size() > seen_ ? lines[seen_] : std::string();
    seen_ = lines.size();
    while (!m.empty() && m.back() == ' ') return std::string(trim_right(m));
    return m;
  }
  void next_statement() {
    e_->ctl.error_reported = false;
    e_->ctl.error_found = false;
    message();
    seen_ = console_lines().size();
  }
  std::size_t seen_ = 0;
};

TEST_F(OperandChecks, ProbabilityOperands) {
  struct Case {
    std::string text;
    bool taken;
    real4 value;  // -1: refused
  };
  for (const Case& c : {Case{".5", true, 0.5f}, Case{"0.5", true, 0.5f}, Case{".25", true, 0.25f}, Case{"1", true, 1.0f},
                        Case{"1.0", true, 1.0f}, Case{"0", true, 0.0f}, Case{"1.5", true, -1}, Case{"0.5A", true, -1},
                        Case{"10", true, -1}, Case{"2", false, 0}, Case{"X$P", false, 0}}) {
    next_statement();
    real4 v = 0.0f;
    bool taken = false;
    const bool ok = check_probability_operand(*e_, c.text, v, taken);
    EXPECT_EQ(taken, c.taken) << c.text;
    if (c.value < 0) {
      EXPECT_FALSE(ok) << c.text;
      EXPECT_EQ(message(), " Illegal character in probability operand") << c.text;
    } else {
      EXPECT_TRUE(ok) << c.text;
      if (c.taken) {
        EXPECT_EQ(v, c.value) << c.text;
      }
    }
  }
}

TEST_F(OperandChecks, NamesAndDigits) {
  EXPECT_EQ(select_name_by_digit('1'), Text6("TIME"));
  EXPECT_EQ(select_name_by_digit('3'), Text6(""));
  int code = 0;
  EXPECT_TRUE(check_name_letters("RLNG3", code));
  EXPECT_EQ(code, 23);
  EXPECT_TRUE(check_name_letters("TRAI5", code));
  EXPECT_EQ(code, 35);
  EXPECT_FALSE(check_name_letters("RLNGX", code));
  int4 v = 10;
  name_digits_value(*e_, pack_symbol_name(*e_, "42AB"), v);
  EXPECT_EQ(v, 52);
  EXPECT_TRUE(check_name_three_letters(*e_, pack_symbol_name(*e_, "LINE")));
  EXPECT_FALSE(check_name_three_letters(*e_, pack_symbol_name(*e_, "L1NE")));
  EXPECT_EQ(message(), " A operand name does not start with 3 letters");
}

TEST_F(OperandChecks, StorageKindAboveTheNumberedStations) {
  auto& st = e_->ent.st;
  st.numbered_station_count = 3;
  int kind = opnd::storage;
  raise_kind_if_over(*e_, kind, 3);
  EXPECT_EQ(kind, opnd::storage);
  raise_kind_if_over(*e_, kind, 4);
  EXPECT_EQ(kind, opnd::savevalue);
}

TEST_F(OperandChecks, DOperandsCountAgainstTheFunctionTable) {
  e_->ent.fn.function_count = k_function_limit - 1;
  EXPECT_EQ(check_d_operand(*e_), k_function_limit);
  EXPECT_EQ(check_d_operand(*e_), 0);
  EXPECT_EQ(message(), " Too many functions or IF blocks with D operand");
}

TEST_F(OperandChecks, TheEleventhValutIsTooMany) {
  for (int k = 1; k <= 10; ++k) EXPECT_TRUE(add_valut_statement(*e_, pack_symbol_name(*e_, "RES")));
  EXPECT_FALSE(add_valut_statement(*e_, pack_symbol_name(*e_, "RES")));
  EXPECT_EQ(message(), " Too many VALUT statements");
  EXPECT_EQ(e_->flow.valut.valut_count, 10);
}

// EXPERI and INPUT with an X$ operand become calls of their programs.
TEST_F(OperandChecks, ExperiAndInputBecomeProgramCalls) {
  set_line("       EXPERI    X$INV,1,5   ! alternatives");
  EXPECT_TRUE(experi_operand_error(*e_, 8));
  EXPECT_EQ(line(), "       HELP EXPERI,X$INV,1,5   ! alternatives");
  set_line("       INPUT     X$RATE");
  EXPECT_EQ(rewrite_input_statement(*e_, 8), 7);
  EXPECT_EQ(line(), "       HELP INPUT,X$RATE");
  next_statement();
  set_line("       EXPERI    5");
  EXPECT_FALSE(experi_operand_error(*e_, 8));
  EXPECT_EQ(message(), " EXPERI with no or incorrect operand");
  next_statement();
  set_line("       INPUT");
  EXPECT_EQ(rewrite_input_statement(*e_, 8), 0);
  EXPECT_EQ(message(), " INPUT with no or incorrect operand");
  // A rewrite that would push the operands past column 72.
  next_statement();
  set_line("       INPUT     X$RATE," + std::string(48, '1'));
  EXPECT_EQ(rewrite_input_statement(*e_, 8), 0);
  EXPECT_EQ(message(), " A operand too long");
}

TEST_F(OperandChecks, TraceOnAndOffBecomeProgramCalls) {
  set_line("       TRACE     ON  ! watch");
  EXPECT_TRUE(parse_trace_operand(*e_, 8));
  EXPECT_EQ(line(), "       HELP TRACE  ! watch");
  EXPECT_EQ(e_->cs.syn.trace_form_code, 1);
  set_line("       TRACE     off");
  EXPECT_TRUE(parse_trace_operand(*e_, 8));
  EXPECT_EQ(line(), "       HELP TROFF");
  EXPECT_EQ(e_->cs.syn.trace_form_code, 2);
}

// The INPUT data file: one number per line, from its first digit, point
// or minus sign that starts the line or follows a blank or tab.
TEST_F(OperandChecks, InputFileValuesAndTheirEntries) {
  std::ofstream(path("m.DEC")) << "12.5\n  -3.25 rest\nx 7\n\tabc 0.000001\nnone\n-.5\n";
  read_input_file(*e_);
  EXPECT_FALSE(e_->ctl.error_found);
  EXPECT_TRUE(e_->flow.input.input_file_read);
  const std::vector<real4> expected{12.5f, -3.25f, 7.0f, 0.000001f, 0.0f, -0.5f};
  for (int c = 1; c <= 6; ++c) EXPECT_EQ(check_input_block(*e_, c), expected[static_cast<std::size_t>(c - 1)]) << c;
  // Read to its end: the file is not read again.
  std::ofstream(path("m.DEC")) << "99\n";
  read_input_file(*e_);
  EXPECT_EQ(check_input_block(*e_, 1), 12.5f);
  EXPECT_THROW(check_input_block(*e_, 0), EngineStop);
  EXPECT_THROW(check_input_block(*e_, 101), EngineStop);
}

TEST_F(OperandChecks, InputFileOfMoreThanAHundredLines) {
  std::ofstream dec(path("m.DEC"));
  for (int n = 1; n <= 101; ++n) dec << n << "\n";
  dec.close();
  read_input_file(*e_);
  EXPECT_EQ(message(), " File is too short");
  EXPECT_EQ(check_input_block(*e_, 100), 100.0f);
}

TEST_F(OperandChecks, MissingInputFile) {
  read_input_file(*e_);
  EXPECT_EQ(message(), " Missing file: " + path("m.DEC"));
  EXPECT_TRUE(e_->ctl.error_found);
}

// MATUT B and C: a savevalue's initial value rounded, within 250 rows and
// 12 columns.
TEST_F(OperandChecks, MatutRowAndColumn) {
  auto& st = e_->cs.stmt;
  e_->ent.sv.savevalue_count = 1;
  e_->ent.sv.savevalue_name[1] = pack_symbol_name(*e_, "ROW");
  e_->ent.sv.savevalue_init[1] = 3.6;
  set_line("       HELP      MATUT,X$ROW,12,251");
  st.stmt_fields.opnd_start = {0, 18, 24, 30, 33};
  st.stmt_fields.opnd_len = {0, 5, 5, 2, 3};
  st.operand_text = {' ', ' ', 'X', ' ', ' '};
  st.operand_value = {0, 0, pack_symbol_name(*e_, "ROW"), pack_symbol_name(*e_, "12"), pack_symbol_name(*e_, "251")};
  int4 row = 0, column = 0;
  EXPECT_TRUE(check_matut_operands(*e_, row, column));
  EXPECT_EQ(row, 4);
  EXPECT_EQ(column, 12);
  st.stmt_fields.opnd_start[2] = 33;  // B = 251
  st.stmt_fields.opnd_len[2] = 3;
  st.operand_text[2] = ' ';
  st.operand_value[2] = st.operand_value[4];
  EXPECT_FALSE(check_matut_operands(*e_, row, column));
  EXPECT_EQ(message(), " Run again with a lower number");
}

}  // namespace
}  // namespace kelvo::test
