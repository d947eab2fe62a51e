// GENERATE and ADVANCE checks: the time operands A and B become one row of
// the GENERATE or ADVANCE time table; the ADVANCE C operand and the
// GENERATE C (first time), D (limit), E (priority) and F (name) operands
// are checked and stored.
#include <string>

#include "exchange/atf_writer.h"
#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"

#include "support/text_routines.h"
#include "translator/expressions.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Reads an operand that must be a constant: a number, a decimal constant,
// or (for the given use) an X$ savevalue initialised by a control LET.
// Returns false when the operand is not of these forms.
bool constant_operand(Engine& e, int u, int use, real4& value) {
  const char mark = e.cs.stmt.operand_text[u];
  const int4 code = e.cs.stmt.operand_value[u];
  if (mark == k_mark_decimal) {
    value = e.ent.dec.decimal_value[code];
    return true;
  }
  int4 n = 0;
  if (mark == ' ') {
    if (name_number(e, code, n)) {
      value = static_cast<real4>(n);
      return true;
    }
    if (split_label_field(e, code)) {
      int4 index = 0;
      if (!parse_digits(e, trim_blanks(unpack_name_chars(e, code).view()), index)) return false;
      value = e.ent.dec.decimal_value[index];
      return true;
    }
    return false;
  }
  if (mark == 'X') {
    int4 x = 0;
    if (!patch_experi_constant(e, code, use, x)) return false;
    if (use >= x_use::generate_c) {
      value = static_cast<real4>(e.ent.sv.savevalue_init[x]);
    } else {
      value = static_cast<real4>(x);
    }
    return true;
  }
  return false;
}
}  // namespace

namespace {
// Time operand u (A or B) of a GENERATE or ADVANCE: its value and its
// time-operand kind. False after an error.
bool read_time_operand(Engine& e, int u, bool generate, real4& val, real4& cod) {
  const char mark = e.cs.stmt.operand_text[u];
  const int4 code = e.cs.stmt.operand_value[u];
  int idx = 0;
  int4 n = 0;
  if (generate && (mark == 'P' || mark == 'p' || mark == 'Y')) {
    flag_error_without_hint(e, " Parameter or PRiority illegal in GENERATE");
    return false;
  }
  switch (mark) {
    case 'F':
      if ((idx = find_name(e.ent.fn.function_name, e.ent.fn.function_count, code)) == 0 &&
          !define_expression_ref(e, code, idx)) {
        if (!e.ctl.error_reported) flag_error_without_hint(e, " Function not defined");
        return false;
      }
      cod = tkind::function;
      val = static_cast<real4>(idx);
      break;
    case 'V':
      if ((idx = find_name(e.expr.defn_name, e.expr.defn_count, code)) == 0) {
        flag_error_without_hint(e, " Expression (V$value) not defined");
        return false;
      }
      if (generate && scan_operand_row(e, idx)) {
        flag_error_without_hint(e, " Parameter or PRiority illegal GENERATE operand");
        return false;
      }
      cod = tkind::variable;
      val = static_cast<real4>(idx);
      break;
    case 'P':
    case 'p':
      name_number(e, code, n);
      cod = tkind::parameter;
      val = static_cast<real4>(mark == 'P' ? n : -n);
      break;
    case 'X':
      if ((idx = find_name(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, code)) == 0) {
        flag_error_without_hint(e, " Savevalue not defined earlier in program");
        return false;
      }
      cod = tkind::savevalue;
      val = static_cast<real4>(idx);
      break;
    case 'C':
      cod = tkind::clock;
      break;
    case ' ':
    case k_mark_decimal: {
      if (!constant_operand(e, u, x_use::plain, val)) {
        if (!e.ctl.error_reported) flag_error_without_hint(e, " Illegal operand of ADVANCE or GENERATE");
        return false;
      }
      cod = tkind::value;
      break;
    }
    default:
      flag_error_without_hint(e, " Illegal operand of ADVANCE or GENERATE");
      return false;
  }
  return true;
}
}  // namespace

bool check_time_operands(Engine& e, real4 row[5]) {
  const bool generate = e.cs.pass.block_code == bc::generate;
  real4 val[3] = {0, 0, 0};
  real4 cod[3] = {0, 0, 0};
  for (int u = 1; u <= 2; ++u) {
    if (operand_length(e, u) > 0 && !read_time_operand(e, u, generate, val[u], cod[u])) return false;
  }
  real4& shortest = e.ent.gen.shortest_constant_time;
  for (int u = 1; u <= 2; ++u) {
    if (cod[u] == tkind::value && val[u] > 0.0f && (shortest == 0.0f || val[u] < shortest)) shortest = val[u];
  }
  if (cod[1] == tkind::value && cod[2] == tkind::value) {
    if (val[1] - val[2] < 0.0f) {
      flag_error_without_hint(e, " A < B can make time go backwards");
      return false;
    }
    row[1] = val[1] - val[2];
    row[2] = 2.0f * val[2];
    row[3] = tkind::constant_pair;
    row[4] = tkind::value;
  } else {
    row[1] = val[1];
    row[2] = val[2];
    row[3] = cod[1];
    row[4] = cod[2];
  }
  return true;
}

void check_advance_block(Engine& e, const real4 row[5]) {
  auto& g = e.ent.gen;
  const int a = take_slot(e, g.advance_count, k_advance_limit, " Too many ADVANCE blocks", ErrorEffect::flag);
  if (a == 0) return;
  e.blocks.block_opnd[e.blocks.block_count] = a;
  for (int i = 1; i <= 4; ++i) g.advance_time_table[a][i] = row[i];
  const int clen = operand_length(e, 3);
  if (clen == 1 || clen == 2) {
    flag_error_without_hint(e, " Illegal C operand of ADVANCE");
    return;
  }
  if (clen > 0) g.advance_c_code[a] = e.cs.stmt.operand_value[3];
  record_held_station(e, e.blocks.block_count);
}

namespace {
// The first GENERATE gives every numbered storage a queue of its own
// number. No block can precede the first GENERATE, so no queue exists
// yet; the storage queues are appended after any that do.
void add_storage_queues(Engine& e) {
  auto& st = e.ent.st;
  auto& q = e.ent.q;
  for (int i = 1; i <= st.storage_count && q.queue_count < k_queue_limit; ++i) {
    q.queue_name[++q.queue_count] = numeric_name_key(i);
  }
}

// C: the first creation time of GENERATE n. Without it the first
// transaction comes one inter-arrival time after the start (the
// run-time's -1000). False after an error.
bool read_generate_first_time(Engine& e, int n) {
  auto& g = e.ent.gen;
  g.generate_first_time[n] = -1000.0f;
  if (operand_length(e, 3) == 0) return true;
  real4 v = 0;
  const bool definition = e.cs.stmt.operand_text[3] == 'V';
  if (definition ? !c_operand_check(e, operand_string(e, 3), e.cs.stmt.operand_value[3], v)
                 : !constant_operand(e, 3, x_use::generate_c, v)) {
    if (!e.ctl.error_reported) flag_error_without_hint(e, " Illegal C operand");
    return false;
  }
  g.generate_first_time[n] = v;
  return true;
}

// D: the creation limit of GENERATE n (block b), 100000 at most and by
// default; without it the time row must not be all 0. False after an
// error.
bool read_generate_limit(Engine& e, int n, int b, const real4 row[5]) {
  auto& blk = e.blocks;
  blk.generate_limit[b] = k_generate_maximum;
  if (operand_length(e, 4) == 0) {
    if (row[3] == tkind::constant_pair && row[1] == 0.0f && row[2] == 0.0f) {
      flag_error_without_hint(e, " A, B and D operands all 0");
      return false;
    }
    return true;
  }
  real4 v = 0;
  if (operand_length(e, 4) > 9 || !constant_operand(e, 4, x_use::generate_d, v)) {
    if (!e.ctl.error_reported) flag_error_without_hint(e, " Illegal D operand");
    return false;
  }
  if (v > static_cast<real4>(k_generate_maximum)) {
    flag_error_without_hint(e, " Maximum value of D operand = 100000");
    return false;
  }
  blk.generate_limit[b] = trunc_i32(v);
  if (blk.generate_limit[b] <= 0 && e.ctl.java_mode) {
    const int unit = open_wrn_file(e);
    e.ch.write(unit, io::Rec().lit(" No transactions will be generated").br().lit(" from GENERATE block").i(n, 4));
  }
  return true;
}

// E: the priority of GENERATE n's transactions, a number within
// -k_priority_max..k_priority_max or an X$ constant. False after an error.
bool read_generate_priority(Engine& e, int n) {
  auto& g = e.ent.gen;
  if (operand_length(e, 5) == 0) return true;
  if (e.cs.stmt.operand_text[5] == 'X') {
    int4 x = 0;
    if (!patch_experi_constant(e, e.cs.stmt.operand_value[5], x_use::generate_e, x)) {
      if (!e.ctl.error_reported) flag_error_without_hint(e, " Illegal E operand");
      return false;
    }
    // The transactions take the savevalue's value as their priority.
    g.generate_priority[n] = static_cast<real4>(e.ent.sv.savevalue_init[ix(x)]);
    return true;
  }
  real4 v = 0;
  if (!read_number_operand(e, operand_string(e, 5), v)) return false;
  if (v > static_cast<real4>(k_priority_max)) {
    flag_error_without_hint(e, " Priority value too high.  " + std::to_string(k_priority_max) + " max");
    return false;
  }
  if (v < static_cast<real4>(-k_priority_max)) {
    flag_error_without_hint(e, " Priority value too low.  " + std::to_string(-k_priority_max) + " min");
    return false;
  }
  g.generate_priority[n] = v;
  return true;
}

// F: a name for block b, written to the animation rewrite file.
void write_generate_name(Engine& e, int b) {
  auto& g = e.ent.gen;
  if (operand_length(e, 6) == 0) return;
  const std::string name = operand_string(e, 6);
  if (name.size() < 2 || !is_letter(name[0]) || !is_letter(name[1]) || name.size() > 6) {
    flag_error_without_hint(e, " F operand must be symbol name");
    return;
  }
  const int unit = e.ctl.unit_base + io::offset::ans;
  if (!g.ans_file_open) {
    // Recreated on each translation, so a translation again never appends.
    e.ch.open_new(unit, make_file_name_ext(e).trimmed());
    g.ans_file_open = true;
  }
  e.ch.write(unit, io::Rec().x(1).i(b, 9).x(6).a(name + std::string(6 - name.size(), ' '), 6));
}
}  // namespace

bool c_operand_check(Engine& e, std::string_view field, int4 name_code, real4& value) {
  if (field.empty() || upcased(field[0]) != 'V') return false;
  const int d = find_name(e.expr.defn_name, e.expr.defn_count, name_code);
  if (d == 0) return false;
  if (field.find_first_of("+-*/()") != std::string_view::npos) {
    flag_error_without_hint(e, field[0] == '-' ? " C operand may not be negative" : "Expression illegal as C operand");
    return false;
  }
  // The definition's value: it must be one constant, since the time is
  // fixed before the run starts.
  const auto& kind = e.expr.expr_item_kind[ix(d)];
  const int4 arg = e.expr.expr_item_arg[ix(d)][1];
  if (kind[2] != k_expr_end || (kind[1] != opnd::constant && kind[1] != opnd::decimal)) return false;
  value = kind[1] == opnd::decimal ? e.ent.dec.decimal_value[ix(arg)] : static_cast<real4>(arg);
  if (e.expr.expr_item_op[ix(d)][1] == xop::subtract) value = -value;
  if (value < 0.0f) {
    flag_error_without_hint(e, " C operand may not be negative");
    return false;
  }
  return true;
}

void check_generate_block(Engine& e, const real4 row[5]) {
  auto& g = e.ent.gen;
  const int b = e.blocks.block_count;
  const int n = take_slot(e, g.generate_count, k_generate_limit, " Too many GENERATE blocks", ErrorEffect::flag);
  if (n == 0) return;
  e.blocks.block_arg[b] = to_int2(n);
  for (int i = 1; i <= 4; ++i) g.generate_time_table[n][i] = row[i];
  if (!e.cs.pass.check_flag) {
    e.cs.pass.check_flag = true;
    add_storage_queues(e);
  }
  if (!read_generate_first_time(e, n) || !read_generate_limit(e, n, b, row) || !read_generate_priority(e, n)) return;
  write_generate_name(e, b);
}

}  // namespace kelvo
