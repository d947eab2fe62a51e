// Linking after END for the flow blocks: GOTO and SPLIT addresses become
// block numbers, named PRINT attributes entity numbers, FN$MIN/FN$MAX
// operands values or savevalue numbers; LET MIN/MAX over queues needs
// queues; a model with ASSEMBLE gets its record word. Takes the flow
// tables and the block table; reports what cannot be linked.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/packed_names.h"
#include "translator/operand_checks.h"
#include "translator/other_blocks.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// An address word: the address function -i stays; a label (a packed name,
// of either sign) becomes the number of the first block that carries it
// (0 when none does).
int4 linked_address(const Engine& e, int4 address) {
  if (address < 0 && address >= -e.ent.fn.function_count) return address;
  return address == 0 ? 0 : find_name(e.blocks.block_label, e.blocks.block_count, address);
}
}  // namespace

bool check_block_addresses(Engine& e) {
  auto& go = e.flow.go;
  const int n = std::min(e.cs.pass.goto_count, k_goto_limit);
  for (int g = 1; g <= n; ++g) {
    const int4 target = linked_address(e, go.goto_address[ix(g)]);
    if (target == 0) {
      e.ch.write(open_error_unit(e),
                 io::Rec().x(1).lit(unpack_name_chars(e, go.goto_address[ix(g)]).view()).lit("  =  address missing"));
      e.ctl.error_found = true;
      return false;
    }
    go.goto_address[ix(g)] = target;
    go.goto_target[ix(g)] = static_cast<real4>(target);
  }
  return true;
}

bool check_split_addresses(Engine& e) {
  auto& sp = e.flow.split;
  const int n = std::min(e.cs.pass.split_count, k_split_limit);
  for (int k = 1; k <= n; ++k) {
    const int4 target = linked_address(e, sp.split_target[ix(k)]);
    if (target == 0) {
      e.ch.write(open_error_unit(e), io::Rec().lit(" Incorrect address in SPLIT block no ").i(k, 4));
      e.ctl.error_found = true;
      return false;
    }
    sp.split_target[ix(k)] = target;
  }
  return true;
}

void check_print_sna_refs(Engine& e) {
  auto& blk = e.blocks;
  for (int b = 1; b <= blk.block_count; ++b) {
    const int code = blk.block_op[ix(b)];
    const bool attribute = code == bc::print_attribute || code == bc::print_attribute_open;
    if (!attribute && code != bc::print && code != bc::print_open) continue;
    const int4 name = blk.block_opnd[ix(b)];
    const int c = blk.block_arg[ix(b)];
    // A name code lies in block_opnd only where the PRINT step swapped
    // the words: block_arg then holds the attribute's coded word (at most
    // -11) or its class (2 to 9). An attribute given by a parameter keeps
    // a coded word above 9900 in block_opnd and is no name.
    if (name <= 1000 && name >= -1000) continue;
    if (attribute ? c > -11 : (c < opnd::queue || c > opnd::waiting)) continue;
    const int cls = c <= -11 ? (-c) % 13 : c;
    int mode = k_mode_deferred;
    int number = 0;
    find_entity_number(e, cls, name, mode, number);
    if (e.ctl.error_found) {
      const int unit = open_error_unit(e);
      e.ch.write(unit, io::Rec().lit(" Error in block").i(b, 4));
      e.ch.write(unit, io::Rec().x(1).lit(unpack_name_chars(e, name).view()).lit(" is"));
      flag_statement_error(e, " incorrect or undefined SNA in PRINT block");
      return;
    }
    blk.block_opnd[ix(b)] = c <= -11 ? c : cls;
    blk.block_arg[ix(b)] = to_int2(number);
  }
}

void expand_digit_operands(Engine& e) {
  auto& mm2 = e.flow.mm2;
  const auto& sv = e.ent.sv;
  const int n = std::min(mm2.minmax2_count, k_minmax2_limit);
  for (int m = 1; m <= n; ++m) {
    for (int i = 1; i <= 2; ++i) {
      int4& word = mm2.minmax2_value[ix(m)][ix(i)];
      if (mm2.minmax2_char[ix(m)][ix(i)] == '0') {
        int4 v = 0;
        name_digits_value(e, word, v);
        word = v;
        continue;
      }
      // A savevalue that no other statement names is numbered here, so
      // that the run-time never reads a name code as a savevalue number.
      int4 number = find_name(sv.savevalue_name, sv.savevalue_count, word);
      if (number == 0 && !savevalue_number(e, word, number)) return;
      word = number;
    }
  }
}

bool check_minmax_queues(Engine& e) {
  const auto& pass = e.cs.pass;
  const bool queues = e.ent.q.queue_count > 0 || pass.param_station_queue_flag || pass.queue_entry_param_flag;
  const int n = std::min(pass.minmax_count, k_minmax_limit);
  for (int m = 1; m <= n && !queues; ++m) {
    if (e.flow.mm.minmax_kind[ix(m)] == opnd::queue) {
      flag_error_without_hint(e, " LET MIN/MAX with Q but no queues or AD sets");
      return false;
    }
  }
  return true;
}

void reserve_internal_words(Engine& e) {
  auto& par = e.ent.par;
  // Each word present takes the next word of the record, so the first
  // reserved lies lowest.
  auto take = [&](int4& off) {
    par.param_count += 1;
    off = tw::first_param + par.param_count - 1;
  };
  // The outcome of an entry into a try station (1 entered, -1 refused).
  if (e.cs.pass.try_entry_seen) take(par.station_mark_off);
  // Pre-emption finds a holder by its number when ASSEMBLE sets branch.
  if (e.cs.pass.branch_in_assemble && e.blocks.has_preempt()) take(par.txn_num_off);
  // The number a trace line shows.
  if (par.trace_number_wanted_a || par.trace_number_wanted_b) take(par.trace_word_off);
  // The family itself rides with the transaction as integers (TxnMarks);
  // the word keeps the record as long as the language defines it.
  if (e.flow.assemble_used) take(par.assemble_word_off);
}

bool link_flow_blocks(Engine& e) {
  if (!check_split_addresses(e)) return false;
  if (e.cs.pass.print_names_entity) check_print_sna_refs(e);
  if (e.ctl.error_found) return false;
  reserve_internal_words(e);
  if (!check_minmax_queues(e)) return false;
  expand_digit_operands(e);
  return !e.ctl.error_found;
}

}  // namespace kelvo
