// TABLE and QTABLE statements and the table work files. Takes the
// statement's operands; produces the table definitions (TableTables), the
// QTABLE of every queue after END, and the front end's files: the graph
// list file, the histogram files, "zwxyq.tab" and the TRC file.
#include "translator/table_definitions.h"

#include <algorithm>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {

// Channels of the table files, from the work-file base.
constexpr int k_table_work_offset = 36;  // "zwxyq.tab" outside the front end; the TRC file under it
constexpr int k_histogram_offset = 2;    // a histogram file, written and closed at once

char mark_of(const Engine& e, int u) { return e.cs.stmt.operand_text[ix(u)]; }
int4 code_of(const Engine& e, int u) { return e.cs.stmt.operand_value[ix(u)]; }

// The A operand of a TABLE: the kind of the SNA and its index (a number
// for the clock, random streams and parameters, a name code that the
// linking after END turns into the entity number otherwise).
void table_sna(Engine& e, int& kind, int4& value) {
  kind = operand_char_class(mark_of(e, 1));
  value = code_of(e, 1);
  const int k = kind < 0 ? -kind : kind;
  int4 n = 0;
  if (kind < 0 || k == opnd::clock || k == opnd::random || k == opnd::parameter) {
    value = name_number(e, value, n) ? n : 0;
  } else if (k == opnd::priority) {
    value = 0;
  }
}

// Operand u of a TABLE as a constant (a number, or X$name of a savevalue
// given a value before); C and D must be above 0. False after the error.
bool table_constant(Engine& e, int u, bool positive, int4& value) {
  const bool ok = e.cs.stmt.operand_text[ix(u)] == 'X' ? check_experi_constant_use(e, u, value, positive ? 2 : 1)
                                                       : read_numeric_operand(e, u, value) && (!positive || value > 0);
  if (ok) return true;
  if (!e.ctl.error_reported) flag_error_without_hint(e, " Incorrect constant as operand");
  return false;
}

}  // namespace

void check_table_statement(Engine& e, bool qtable) {
  auto& tab = e.ent.tab;
  // The count never passes the capacity: a table too many is reported
  // and not entered.
  if (tab.table_count >= k_table_limit) {
    report_statement_error(e, " Too many tables");
    return;
  }
  for (int u = 2; u <= 4; ++u) {
    if (operand_length(e, u) == 0) {
      flag_error_without_hint(e, " Statement must have 4 operands separated by ,");
      return;
    }
  }
  int4 lower = 0, width = 0, classes = 0;
  if (!table_constant(e, 2, false, lower) || !table_constant(e, 3, true, width) || !table_constant(e, 4, true, classes)) return;
  const bool histogram = operand_length(e, 5) > 0;
  if (histogram && tab.histogram_count >= k_histogram_limit) {
    flag_error_without_hint(e, " Too many histograms demanded");
    return;
  }
  if (classes > k_table_class_limit) {
    flag_error_without_hint(e, " Too many classes in D operand");
    return;
  }
  int kind = 0;
  int4 value = code_of(e, 1);
  bool numeric = false;
  int4 queue = 0;
  if (qtable) {
    // A QTABLE names its queue: by name, or by number.
    int4 n = 0;
    numeric = name_number(e, value, n);
    if (numeric) value = n;
    queue = numeric ? numeric_name_key(n > 999 ? 999 : n) : value;
    if (qtable_for_queue(tab, queue) > 0) report_statement_error(e, " Same A operand used in two tables");
  } else {
    table_sna(e, kind, value);
  }
  const int t = ++tab.table_count;
  tab.table_name[ix(t)] = e.cs.stmt.stmt_label;
  tab.table_arg_kind[ix(t)] = kind;
  tab.table_arg_value[ix(t)] = value;
  tab.table_queue_name[ix(t)] = queue;
  tab.table_numeric_a[ix(t)] = numeric;
  tab.table_lower[ix(t)] = lower;
  tab.table_width[ix(t)] = width;
  tab.table_classes[ix(t)] = classes;
  if (qtable) e.ent.q.qtable_count += 1;
  if (histogram) tab.histogram_table[ix(++tab.histogram_count)] = t;
}

int find_table_number(Engine& e, int4 name) {
  const auto& tab = e.ent.tab;
  const int t = find_name(tab.table_name, tab.table_count, name);
  if (t == 0) flag_error_without_hint(e, " Table in A operand not defined");
  return t;
}

void link_table_operands(Engine& e) {
  auto& tab = e.ent.tab;
  for (int t = 1; t <= tab.table_count; ++t) link_entity_word(e, tab.table_arg_kind[ix(t)], tab.table_arg_value[ix(t)]);
  if (e.ent.q.qtable_count == 0) return;
  auto& q = e.ent.q;
  for (int k = 1; k <= k_queue_limit; ++k) q.queue_map[ix(k)] = qtable_for_queue(tab, q.queue_name[ix(k)]);
}

bool open_graph_list_file(Engine& e) {
  auto& tab = e.ent.tab;
  const int unit = e.ctl.unit_base + io::offset::graph;
  if (tab.graph_list_open) return e.ch.is_open(unit);
  tab.graph_list_open = true;
  if (!e.ctl.java_mode) {
    // Outside the front end the table work file names the model.
    const int work = e.ctl.unit_base + k_table_work_offset;
    if (e.ch.open_new(work, "zwxyq.tab")) {
      e.ch.write(work, io::Rec().a(e.ctl.program_file_name.view(), 125));
      e.ch.close(work);
    }
  }
  return open_or_delete_file(e, unit, model_file_name(e, "GRT"));
}

void write_table_file(Engine& e, int t) {
  auto& tab = e.ent.tab;
  if (t < 1 || t > tab.table_count || !open_graph_list_file(e) || tab.graph_line_written[ix(t)]) return;
  tab.graph_line_written[ix(t)] = true;
  const char digit = static_cast<char>('0' + t - 1);
  e.ch.write(e.ctl.unit_base + io::offset::graph, io::Rec().lit("QT").lit(std::string(1, digit)).lit(" T"));
}

std::string make_qt_file_name(Engine& e, int t) {
  return model_file_name(e, std::string("QT") + static_cast<char>('0' + t - 1));
}

void read_table_defs(Engine& e, int t, bool plain_zero) {
  const auto& tab = e.ent.tab;
  if (t < 1 || t > tab.table_count) return;
  const int unit = e.ctl.unit_base + k_histogram_offset;
  if (!open_or_delete_file(e, unit, make_qt_file_name(e, t))) return;
  const auto& freq = e.srv.table_freq[ix(t)];
  const int classes = std::clamp(tab.table_classes[ix(t)], 0, k_table_class_limit);
  // At least 4 class lines, padded with the empty classes after the
  // overflow; a table of fewer classes whose overflow class has entries
  // keeps its own classes, so the overflow stays the last count.
  int lines = classes < 4 ? 4 : classes;
  if (classes + 1 < 5 && freq[ix(classes + 1)] != 0) lines = classes;
  e.ch.write(unit, io::Rec().x(1).a(packed_name_text(e, tab.table_name[ix(t)]), 6));
  const int4 lower = tab.table_lower[ix(t)];
  e.ch.write(unit, lower == 0 && !plain_zero ? io::Rec().lit("    -0") : io::Rec().i(lower, 6));
  e.ch.write(unit, io::Rec().i(tab.table_width[ix(t)], 6));
  e.ch.write(unit, io::Rec().i(lines, 6));
  for (int i = 1; i <= lines + 1; ++i) e.ch.write(unit, io::Rec().i(freq[ix(i)], 6));
  e.ch.close(unit);
}

void load_table_file(Engine& e, int t) {
  write_table_file(e, t);
  read_table_defs(e, t, true);
}

int trace_unit(const Engine& e) { return e.ctl.unit_base + k_table_work_offset; }

void open_table_work_file(Engine& e, bool trace_block) {
  if (!e.ctl.java_mode) return;
  auto& tab = e.ent.tab;
  if (!tab.trace_file_open) {
    tab.trace_file_open = true;
    tab.trace_count = 0;
    e.ch.open_new(trace_unit(e), model_file_name(e, "TRC"));
  }
  if (trace_block) {
    // A TRACE block switches the trace on when a transaction passes it.
    e.run.trace_switch = false;
    tab.trace_unlimited = true;
  }
}

}  // namespace kelvo
