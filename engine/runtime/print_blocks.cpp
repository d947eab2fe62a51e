// PRINT blocks at run time. Takes the PRINT block's coded words, the
// stored texts and the entity tables; produces a report section, or a
// text and an attribute value built into the report line, which is
// written unless the PRINT keeps it open.
#include "runtime/print_blocks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

#include "model/engine.h"
#include "runtime/event_loop.h"
#include "runtime/operand_eval.h"
#include "runtime/report_line.h"
#include "runtime/report_sections.h"
#include "runtime/run_errors.h"
#include "runtime/standard_report.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"

namespace kelvo {

namespace {

// Coded words above this carry an attribute whose entity a parameter gives.
constexpr int4 k_param_code_base = 9900;
// The attribute kinds PRINT shows: the clock to the priority.
constexpr int k_kinds = 13;
// Field of a value when the PRINT gives no width (widened to its digits):
// integral values as integers, others with two decimals.
constexpr int k_default_width = 8;
constexpr int k_default_decimals = 2;

// While it lives, report sections go where PRINT output goes (see
// print_entity_statistics); also when the run ends inside the section.
class PrintSectionOutput {
 public:
  PrintSectionOutput(Engine& e, bool section) : e_(e) {
    if (!section || !e.ctl.java_mode || e.ctl.auto_animation_flag) return;
    open_print_result_file(e);
    e.rep.print_section_output = true;
  }
  ~PrintSectionOutput() { e_.rep.print_section_output = false; }
  PrintSectionOutput(const PrintSectionOutput&) = delete;
  PrintSectionOutput& operator=(const PrintSectionOutput&) = delete;

 private:
  Engine& e_;
};

bool output_skipped(const Engine& e) {
  const PrintState& p = e.prt;
  return p.output_limit_on && p.lines_printed < p.output_limit;
}

// The line is written unless the PRINT keeps it open.
void end_print_line(Engine& e) {
  if (e.rep.print_line_open != 0) return;
  flush_report_line(e);
  if (e.prt.lines_printed < std::numeric_limits<int4>::max()) e.prt.lines_printed += 1;
}

// Length of stored text r with its sign (0 for a row that holds none).
int4 stored_text_length(const Engine& e, int r) {
  const auto& pt = e.ent.ptext;
  if (r < 1 || r > pt.print_text_count || r > k_print_text_limit) return 0;
  const int4 len = pt.print_text_len[ix(r)];
  return len > k_print_text_len || len < -k_print_text_len ? 0 : len;
}

void two_texts_in_a_row(Engine& e) {
  write_error_line(e, " Two texts for SNAs in a row used without PRINT SNA in between");
  write_error_line(e, " Perhaps you should somewhere use single instead of double quotes");
  write_error_line(e, " Eliminate every unwanted \"");
  report_block_error(e);
}

void put_number(Engine& e, int4 n) { put_int_field(e, n, digit_count(n)); }

void put_name_or_number(Engine& e, int4 name, int4 number) {
  if (name != 0) put_chars6(e, packed_name_text(e, name));
  else put_number(e, number);
}

// The PRINT format of block b: width and decimals; false when it has none.
bool block_format(const Engine& e, int b, int& width, int& decimals) {
  const auto& pf = e.flow.pf;
  const int n = pf.format_count < k_print_format_limit ? pf.format_count : k_print_format_limit;
  for (int k = 1; k <= n; ++k) {
    if (pf.format_block[ix(k)] != b) continue;
    decimals = pf.format_code[ix(k)] / 100;
    width = pf.format_code[ix(k)] % 100;
    return width > 0;  // a width of 0 is the standard form
  }
  return false;
}

// A facility (capacity 1, or none given) or a storage in use.
bool station_defined(const Engine& e, int s) {
  const auto& st = e.ent.st;
  if (s < 1 || s > st.station_count || s > k_station_limit) return false;
  return st.station_capacity[ix(s)] > 0 || st.station_name[ix(s)] != 0;
}

// Entry i of a 1-based table, 0 outside it.
template <std::size_t N>
int4 entry(const std::array<int4, N>& table, int i) {
  return i >= 1 && i < static_cast<int>(N) ? table[static_cast<std::size_t>(i)] : 0;
}

// The three characters that name an attribute of kind k (1..12) and the
// name of its entity idx (0 where its number stands instead).
void attribute_code(Engine& e, int k, int idx, std::string& code, int4& name) {
  const auto& ent = e.ent;
  switch (k) {
    case opnd::clock: code = idx == 1 ? "C1 " : "CL "; return;
    case opnd::queue: code = " Q$"; name = entry(ent.q.queue_name, idx); return;
    case opnd::block_count: code = " N$"; name = entry(e.blocks.block_label, idx); return;
    case opnd::storage:
      if (!station_defined(e, idx)) {
        write_error_message(e, " Facility not yet defined");
        report_block_error(e);
      }
      code = entry(ent.st.station_capacity, idx) <= 1 ? " F$" : " S$";
      name = entry(ent.st.station_name, idx);
      return;
    case opnd::remaining: code = " R$"; name = entry(ent.st.station_name, idx); return;
    case opnd::function: code = "FN$"; name = entry(ent.fn.function_name, idx); return;
    case opnd::variable:
      name = entry(e.expr.defn_name, idx);
      // An expression written in place has no name: blanks for it.
      code = name >= 0 && name < 10000 ? "   " : " V$";
      return;
    case opnd::savevalue:
      code = " X$";
      if (idx <= ent.sv.savevalue_count) name = entry(ent.sv.savevalue_name, idx);
      return;
    case opnd::waiting: code = " W$"; name = entry(e.blocks.block_label, idx); return;
    case opnd::random: code = " RN"; return;
    case opnd::parameter: {
      const bool named = ent.par.pname_count > 0 && idx <= k_param_desc_limit && entry(ent.par.pname_code, idx) != 0;
      code = named ? " P$" : "  P";
      name = named ? entry(ent.par.pname_code, idx) : 0;
      return;
    }
    default: code = "PRI"; return;
  }
}

// The attribute code and its entity: the entity's name or number, or P
// and the parameter that gives it.
void put_attribute(Engine& e, int cls, int param, int idx) {
  const int k = std::abs(cls);
  std::string code;
  int4 name = 0;
  attribute_code(e, k, idx, code, name);
  put_chars2(e, code.substr(0, 2));
  put_char1(e, code[2]);
  if (k == opnd::clock || k == opnd::priority) return;
  if (cls < 0) {
    put_char1(e, 'P');
    put_number(e, param);
  } else if (k == opnd::variable && code[1] == ' ') {
    put_chars6(e, "");
  } else {
    put_name_or_number(e, name, idx);
  }
}

// The field of a value when the PRINT gives none: at least the default
// width, wide enough for the digits, a sign and, for a real, two decimals.
int default_width(real4 value, bool real) {
  const int k = digit_count(trunc_i32(std::fabs(value)));
  return std::max(k_default_width, k + (real ? 4 : 1));
}

// The value in its field, rounded to the decimals written; a value too
// wide for the field ends the run as the field writers say.
void put_value(Engine& e, real4 value, bool formatted, int width, int decimals) {
  const real4 whole = std::trunc(value);
  const bool integral = std::fabs(value - whole) < 0.001f && std::fabs(value) < 1.0e9f;
  if (decimals == 0 && integral) {
    put_int_field(e, trunc_i32(whole), formatted ? width : default_width(value, false));
  } else if (formatted) {
    put_real_field(e, value, width, decimals);
  } else {
    put_real_field(e, value, default_width(value, true), k_default_decimals);
  }
}

}  // namespace

PrintCode decode_print_code(int4 v) {
  const std::int64_t a = v < 0 ? -static_cast<std::int64_t>(v) : v;
  PrintCode p;
  if (a <= k_param_code_base) {
    p.row = static_cast<int>(a / 13);
    p.kind = static_cast<int>(a - 13 * p.row);
  } else {
    const std::int64_t r = a - k_param_code_base;
    p.row = static_cast<int>(r / 13 + 1);
    p.kind = static_cast<int>(r - 13 * static_cast<std::int64_t>(p.row));
  }
  return p;
}

void print_block(Engine& e, int b, int code) {
  const bool open = code == bc::print_open || code == bc::print_attribute_open;
  e.rep.print_line_open = open ? k_true : k_false;
  if (code == bc::print_attribute || code == bc::print_attribute_open) {
    execute_print_block(e, b);
  } else if (e.blocks.block_arg[ix(b)] == 0) {
    print_entity_statistics(e, e.blocks.block_opnd[ix(b)]);
  } else {
    format_sna_text(e, e.blocks.block_opnd[ix(b)], e.blocks.block_arg[ix(b)]);
  }
}

void execute_print_block(Engine& e, int b) {
  const PrintCode p = decode_print_code(e.blocks.block_opnd[ix(b)]);
  // Row 0: the attribute has no text in front of it.
  if (p.row > 0) print_entity_statistics(e, p.row + 8);
  format_sna_text(e, p.kind, e.blocks.block_arg[ix(b)]);
}

void print_entity_statistics(Engine& e, int sel) {
  if (output_skipped(e)) return;
  const real4 relative = e.run.clock - e.run.reset_time;
  if (sel < 8) report_pause(e);
  int row = 0;
  if (sel > 8) {
    row = sel - 8;
    if (stored_text_length(e, row) > 0) {
      // A text printed in front of the next attribute value.
      if (e.rep.print_state) two_texts_in_a_row(e);
      e.rep.print_state = true;
      e.prt.waiting_row = row;
      return;
    }
    sel = 9;
  }
  {
    // Under the front end a section that a PRINT asks for goes to the
    // PRINT result file, in the order of the PRINTs; the section files
    // keep the report of the end of the run.
    PrintSectionOutput to_result_file(e, sel != 9);
    switch (sel) {
      case 2: report_block_counts(e, 0, false, false); break;
      case 3: report_queue_section(e); break;
      case 4: report_station_section(e, false, true); break;
      case 5: report_table_section(e); break;
      case 6: report_savevalue_section(e); break;
      case 7: write_clock_lines(e, relative, e.run.clock, false, false); break;
      case 8: report_station_section(e, true, false); [[fallthrough]];
      case 9:
        append_stored_text(e, row);
        end_print_line(e);
        break;
      default: write_standard_report(e); break;
    }
  }
  // A section opens, writes and closes files: far more work than the step
  // it counts as, so the run-time limit is looked at after each one (the
  // run's own report then goes to the section files again).
  if (sel != 9) look_at_run_time_limit(e);
}

void format_sna_text(Engine& e, int cls, int index) {
  if (output_skipped(e)) return;
  // Only the kinds of the attribute table are shown (tested before the
  // value is looked for, so no other kind is ever evaluated).
  if (cls == 0 || cls <= -k_kinds || cls >= k_kinds) {
    write_error_message(e, " Illegal PRINT statement");
    report_block_error(e);
  }
  int width = k_default_width, decimals = 0;
  const bool formatted = block_format(e, e.act.cur_block, width, decimals);
  int idx = index;
  const real4 value = operand_index_value(e, cls, idx);
  if (e.rep.print_state) {
    append_stored_text(e, e.prt.waiting_row);
    e.rep.print_state = false;
  }
  put_attribute(e, cls, index, idx);
  put_value(e, value, formatted, width, decimals);
  end_print_line(e);
}

void append_stored_text(Engine& e, int row) {
  const int4 len = std::abs(stored_text_length(e, row));
  if (len == 0) return;
  check_line_room(e, e.rep.out_col + len);
  const auto& text = e.ent.ptext.print_text[ix(row)];
  for (int i = 1; i <= len; ++i) e.rep.out_line[ix(++e.rep.out_col)] = text.at(i);
}

}  // namespace kelvo
