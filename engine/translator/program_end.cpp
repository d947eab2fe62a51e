// End-of-program checks and linking: after END, checks what only the
// whole model shows (SIMULATE, START counts, a counting TERMINATE, the
// TERMINATE savevalues), then turns names in block operands into entity
// numbers and fixes the stations of parameter-given entities.
#include <algorithm>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/stop.h"

#include "translator/conditions.h"
#include "translator/expressions.h"
#include "translator/other_blocks.h"
#include "translator/special_statements.h"
#include "translator/table_definitions.h"
#include "translator/translator.h"

namespace kelvo {

void link_entity_word(Engine& e, int kind, int4& word) {
  static_assert(opnd::queue == k_class_queue && opnd::waiting == k_class_w_address);
  if (kind < opnd::queue || kind > opnd::waiting) return;
  int mode = k_mode_plain;
  int4 number = word;
  find_entity_number(e, kind, word, mode, number);
  word = number;
}

namespace {

// Every station number a parameter may name at run time must exist.
void check_parameter_storages(Engine& e) {
  auto& pass = e.cs.pass;
  auto& st = e.ent.st;
  if (!pass.param_queue_flag) {
    if (pass.param_station_block > 0 && st.storage_count == 0) {
      write_error_line(e, io::Rec().lit(" Error in block").i(pass.param_station_block, 4).str());
      flag_error_without_hint(e, " No facility or storage with parameter");
    }
    return;
  }
  st.max_station_used = st.station_name_count;
  const int first = st.station_name_count + 1;
  st.station_name_count = k_station_limit;
  for (int s = first; s <= k_station_limit; ++s) {
    st.station_capacity[s] = 1;
    // The name entry lies facility_offset further on; beyond the table it
    // cannot be stored, and the station keeps its position's own key.
    const int at = s + st.facility_offset;
    if (at >= 1 && at <= k_station_limit) st.station_name[at] = numeric_name_key(s);
  }
}

// Queues that numbers reach at run time get numeric names now, so that
// the model may name them (Q$3); they count as queues in use only when a
// number reaches them at run time.
void check_arrive_queue_use(Engine& e) {
  auto& pass = e.cs.pass;
  auto& q = e.ent.q;
  if (!pass.station_by_number && !pass.param_station_queue_flag && !pass.queue_entry_param_flag) return;
  if (pass.queue_entry_param_flag && (pass.station_by_number || pass.param_station_queue_flag)) {
    report_statement_error(e, " Both implicit queue and ARRIVE with parameter");
    return;
  }
  if (!pass.param_station_queue_flag && !pass.queue_entry_param_flag) return;
  for (int k = q.named_queue_count + 1; k <= k_queue_limit; ++k) {
    q.queue_name[k] = numeric_name_key(std::min(queue_number_of_index(e.ent, k), 999));
  }
  q.queue_name_count = k_queue_limit;
}

// The named SNA B operands of the server blocks become entity numbers.
void pack_operand_names(Engine& e) {
  auto& st = e.ent.st;
  for (int i = 1; i <= st.sna_b_count; ++i) {
    link_entity_word(e, st.sna_b_kind[i], st.sna_b_value[i]);
  }
}

void map_block_a_operands(Engine& e) {
  auto& blk = e.blocks;
  for (int b = 1; b <= blk.block_count; ++b) {
    const int code = blk.block_op[b];
    if (code != bc::priority && !(code >= bc::let_priority && code <= bc::let_priority_minus)) continue;
    link_entity_word(e, blk.block_arg[b], blk.block_opnd[b]);
  }
}
// A PREEMPT that sends its holder to PREEM: when no block carries that
// label: the holders are removed by a TERMINATE 0 block added at the end
// under that label. False after an error (the tables are full).
bool add_removal_block(Engine& e) {
  auto& blk = e.blocks;
  auto& term = e.ent.term;
  if (!e.cs.pass.removal_address_used) return true;
  if (find_name(blk.block_label, blk.block_count, k_preem_label_code) != 0) return true;
  const int b = take_slot(e, blk.block_count, k_block_capacity, " Too many blocks", ErrorEffect::flag);
  if (b == 0) return false;
  const int t = take_slot(e, term.terminate_count, k_terminate_limit, " Too many TERMINATE blocks", ErrorEffect::flag);
  if (t == 0) return false;
  blk.block_label[b] = k_preem_label_code;
  blk.block_op[b] = bc::terminate;
  term.terminate_value[t] = 0;
  blk.block_arg[b] = to_int2(t);
  return true;
}
// A label named as a C operand becomes the number of the block that
// carries it; false (after the message) when no block does.
bool resolve_c_operand_label(Engine& e, int block, int4& word) {
  const int k = find_name(e.blocks.block_label, e.blocks.block_count, word);
  if (k != 0) {
    word = k;
    return true;
  }
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().lit(" Error in block").i(block, 4));
  e.ch.write(unit, Text50(" Adress of C operand not defined in program").view());
  e.ctl.error_found = true;
  return false;
}

// PREEMPT blocks with a C address: where pre-empted holders are sent.
void resolve_c_operand_labels(Engine& e) {
  auto& blk = e.blocks;
  for (int b = 1; b <= blk.block_count; ++b) {
    const int code = blk.block_op[b];
    if ((code != bc::preempt && code != bc::preempt_after_priority) || blk.block_opnd[b] == -1 ||
        blk.block_opnd[b] == 0) {
      continue;
    }
    if (!resolve_c_operand_label(e, b, blk.block_opnd[b])) return;
  }
}

// ADVANCE blocks with a C address: where a holder pre-empted while it is
// delayed there goes.
void resolve_advance_c_labels(Engine& e) {
  auto& blk = e.blocks;
  auto& g = e.ent.gen;
  for (int b = 1; b <= blk.block_count; ++b) {
    if (blk.block_op[b] != bc::advance) continue;
    const int a = blk.block_opnd[b];
    if (a < 1 || a > g.advance_count || g.advance_c_code[a] == 0) continue;
    if (!resolve_c_operand_label(e, b, g.advance_c_code[a])) return;
  }
}
}  // namespace

void check_program_end(Engine& e) {
  auto& s = e.ctl;
  auto& pass = e.cs.pass;
  auto& q = e.ent.q;
  auto& st = e.ent.st;
  auto& term = e.ent.term;
  q.named_queue_count = q.queue_count;
  if (!add_removal_block(e)) return;
  e.cs.flags.stop_after_error = true;
  if (!pass.simulate_seen) {
    e.ch.write(open_error_unit(e), io::Rec().lit(Text50(" No SIMULATE = no execution").view()));
    s.error_found = true;
    return;
  }
  if (pass.last_print_open) {
    flag_error_without_hint(e, " Last PRINT had ,");
    return;
  }
  for (int n = 1; n <= pass.start_count; ++n) {
    if (e.ent.steps.termination_count[n] < 1) {
      e.ch.write(open_error_unit(e), io::Rec().lit(Text50(" START without A operand").view()));
      s.error_found = true;
      return;
    }
  }
  for (int k = 1; k <= term.terminate_count; ++k) {
    const int4 v = term.terminate_value[k];
    if (v < k_name_magnitude && v > -k_name_magnitude) continue;
    const int idx = find_name(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, v);
    if (idx != 0) {
      term.terminate_value[k] = -idx;
    } else {
      e.ch.write(open_error_unit(e),
                 io::Rec().lit(" X$").lit(unpack_name_chars(e, v).view()).lit("in TERMINATE not defined"));
      stop_program(e);
    }
  }
  bool counting = false;
  for (int k = 1; k <= term.terminate_count; ++k) counting = counting || term.terminate_value[k] != 0;
  if (!counting) {
    e.ch.write(open_error_unit(e), io::Rec().lit(Text50(" No TERMINATE block with positive A constant").view()));
    s.error_found = true;
    return;
  }
  if (!check_block_addresses(e)) return;
  check_storage_defs(e, st.storage_count);
  if (e.cond.waitif_count > 0) check_wait_station(e);
  check_if_addresses(e);
  st.station_count = st.station_name_count;
  st.facility_offset = st.station_count - st.storage_count;
  if (pass.param_entity_flag || pass.param_station_block > 0) {
    check_parameter_storages(e);
    check_arrive_queue_use(e);
  }
  if (e.ent.spec.spec_count > 0) link_special_operands(e, e.ent.spec.spec_count);
  extend_waitif_list(e);
  convert_operand_table(e);
  if (pass.preempt_address_used) resolve_c_operand_labels(e);
  if (!s.error_found) resolve_advance_c_labels(e);
  if (s.error_found) return;
  scan_block_rows(e, e.expr.defn_count);
  pack_kind2_names(e);
  map_operand_refs(e);
  pack_operand_names(e);
  if (pass.sna_operand_used) map_block_a_operands(e);
  link_table_operands(e);
  if (s.error_found) return;
  if (!link_flow_blocks(e)) return;
  auto& par = e.ent.par;
  if (par.param_count > k_param_word_limit) flag_error_without_hint(e, " Too many parameters in this special program");
}

}  // namespace kelvo
