// Trace lines of block entries and the output routines of the built-in
// programs. Takes the active transaction and the block it enters; writes
// the trace line on the report channel, or under the front end into the
// model's TRC file (200 lines, then a notice, unless a TRACE block asked
// for every line).
#include "runtime/print_trace.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "translator/table_definitions.h"

namespace kelvo {

namespace {

// The number a trace line shows: the transaction's trace number, else its
// transaction number, else 0.
int trace_number(const Engine& e) {
  const auto& par = e.ent.par;
  const auto& cur = e.act.cur_txn;
  const int words = static_cast<int>(cur.size()) - 1;
  for (const int off : {par.trace_word_off, par.txn_num_off}) {
    if (off >= 1 && off <= words) return trunc_i32(cur[ix(off)]);
  }
  return 0;
}

}  // namespace

void write_trace_line(Engine& e, int b, int code, int back) {
  if (!e.run.trace_switch) return;
  std::string word = block_code_info(code).word;
  word.resize(6, ' ');
  if (code == bc::special) {
    // A program call shows the word of what it does (GRAPH, TRACE ...).
    Text6 name(word);
    block_type_name(e, b, name);
    word = std::string(name.view());
  }
  io::Rec line;
  line.lit(" At time").f(e.run.clock, 15, 5).lit("   transaction ").i(trace_number(e), 4);
  line.lit(back != 0 ? " back to " : " event   ").lit(word).lit("   at block ").i(b, 4);
  if (!e.ctl.java_mode) {
    e.ch.write(e.rep.out_unit, line);
    return;
  }
  open_table_work_file(e, false);
  auto& tab = e.ent.tab;
  if (!tab.trace_unlimited) {
    if (tab.trace_count >= k_trace_line_limit) {
      // The line after the last one written says so; nothing follows it.
      if (tab.trace_count == k_trace_line_limit) {
        e.ch.write(trace_unit(e), " Only first 200 traces written out");
        tab.trace_count += 1;
      }
      return;
    }
    tab.trace_count += 1;
  }
  e.ch.write(trace_unit(e), line);
}

void clear_trace_marks(Engine& e) {
  auto& p = e.prt;
  p.marks_in_use = e.ent.par.trace_number_wanted_a || e.ent.par.trace_number_wanted_b;
  if (!p.marks_in_use) return;
  p.txn_mark.fill(0);
  p.mark_width = e.txn.txn_words;
}

void close_delete_side_output(Engine& e) {
  // The ATF program: the model's result file goes, and the report lines
  // go on to the animation file.
  if (e.rep.out_unit == e.rep.prog_unit) e.ch.close_delete(e.rep.prog_unit);
  e.rep.out_unit = io::k_atf_unit;
}

}  // namespace kelvo
