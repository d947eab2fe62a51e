// Test support: the statement syntax check (and the operand lexer) run
// on single lines of a fresh engine, with the first message written.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "driver/engine_entry.h"
#include "model/engine.h"
#include "support/packed_names.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

class LineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    e_ = std::make_unique<Engine>();
    install_engine_hooks(*e_);
    e_->ch.attach_console(&in_, &out_);
    reset_compile_state(*e_);
    e_->ctl.translate_needed = true;
    e_->cs.pass.check_flag = true;
  }
  // Runs the syntax check (and the operand lexer) on one line, as model
  // line n when n is given; returns the first message written ("" when none).
  std::string check(const std::string& line, bool lex = false, int n = 0) {
    out_.str("");
    if (n > 0) e_->cs.pass.line_count = n;
    e_->ctl.error_reported = false;
    e_->ctl.error_found = false;
    e_->cs.syn.operand_end_col = 72;
    e_->cs.stmt.stmt_line.assign(line);
    e_->ctl.current_statement = e_->cs.stmt.stmt_line;
    bool known = false;
    try {
      check_statement_syntax(*e_, known);
      if (lex && !e_->ctl.error_reported) scan_operands(*e_);
    } catch (const EngineStop&) {
    }
    std::string first;
    std::getline(std::istringstream(out_.str()) >> std::ws, first);
    const auto end = first.find_last_not_of(' ');
    return end == std::string::npos ? "" : " " + first.substr(0, end + 1);
  }
  const StmtFields& f() const { return e_->cs.stmt.stmt_fields; }
  std::string line() const { return std::string(trim_right(e_->cs.stmt.stmt_line.view())); }
  char mark(int u) const { return e_->cs.stmt.operand_text[u]; }
  int4 value_number(int u) {
    int4 v = -1;
    name_number(*e_, e_->cs.stmt.operand_value[u], v);
    return v;
  }

  std::unique_ptr<Engine> e_;
  std::istringstream in_;
  std::ostringstream out_;
};

}  // namespace kelvo
