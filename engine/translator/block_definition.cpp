// Block definition: enters the current statement as the next block of the
// block table (count, label, code, listing line) and calls the operand
// check of its block code. Also the DEPART and TERMINATE steps and the
// entry of new queues.
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"

#include "support/stop.h"
#include "support/text_routines.h"
#include "translator/conditions.h"
#include "translator/let_statements.h"
#include "translator/operand_checks.h"
#include "translator/other_blocks.h"
#include "translator/special_statements.h"
#include "translator/translator.h"

namespace kelvo {

void define_block(Engine& e) {
  auto& blk = e.blocks;
  auto& pass = e.cs.pass;
  int code = pass.block_code;
  if (code != bc::generate && !pass.check_flag) {
    // A block before the first GENERATE would run undefined: an error.
    flag_statement_error(e, " Block prior to first GENERATE");
    return;
  }
  // An EXPERI statement that the run cycle did not find makes no block.
  if (code == bc::special && experi_beyond_scan(e)) return;
  const int b = take_slot(e, blk.block_count, k_block_capacity, " Too many blocks", ErrorEffect::report);
  if (b == 0) stop_program(e);
  const int4 label = e.cs.stmt.stmt_label;
  if (label != 0 && e.cs.stmt.stmt_fields.first_word_len > 0) {
    if (find_name(blk.block_label, b - 1, label) != 0) {
      flag_statement_error(e, " Address defined twice");
      return;
    }
    blk.block_label[b] = label;
  }
  // The WAITIF that compares two operands becomes the re-test form.
  if (code == bc::waitif) {
    check_waitif_operands(e, code);
    if (e.ctl.error_reported) return;
  }
  if (blk.block_op[b] != bc::let_minmax_run) blk.block_op[b] = to_int2(code);
  auto& s = e.ctl;
  if (s.translate_needed && pass.listing_on && !s.error_reported) {
    // A statement whose relation became a comma is listed as written.
    const auto& l = e.cs.syn.listing_text_set ? e.cs.syn.listing_text : e.cs.stmt.stmt_line;
    if (pass.line_count < 1000) {
      e.ch.write(e.rep.out_unit, io::Rec().x(1).i(b, 3).x(2).lit(l.cols(1, 68)).i(pass.line_count, 3));
    } else {
      e.ch.write(e.rep.out_unit, io::Rec().x(1).i(b, 3).x(2).lit(l.cols(1, 67)).i(pass.line_count, 4));
    }
  }
  if (blk.block_op[b] == bc::let_minmax_run) {
    // A LET of FN$MIN or FN$MAX (marked so by the syntax check).
    check_fn_minmax_block(e);
    return;
  }
  real4 row[5] = {0, 0, 0, 0, 0};
  switch (code) {
    case bc::advance:
      if (check_time_operands(e, row)) check_advance_block(e, row);
      break;
    case bc::depart: check_depart_block(e); break;
    case bc::enter:
    case bc::preempt:
    case bc::seize: check_preempt_block(e); break;
    case bc::generate:
      if (check_time_operands(e, row)) check_generate_block(e, row);
      break;
    case bc::leave:
    case bc::release:
    case bc::return_: check_seize_release_block(e); break;
    case bc::queue:
    case bc::arrive: check_a_operand_name_use(e); break;
    case bc::terminate: check_terminate_block(e); break;
    case bc::priority:
    case bc::let_priority:
    case bc::let_priority_plus:
    case bc::let_priority_minus: set_block_operand_code(e); break;
    case bc::waitif_retest: break;
    case bc::waitif_station: check_waitif_block(e, 0); break;
    case bc::waitif: check_waitif_block(e, e.cond.statement_word); break;
    case bc::print: define_print_block(e); break;
    case bc::let:
    case bc::let_param:
    case bc::let_expression: check_let_block(e); break;
    case bc::assemble:
      check_assemble_block(e);
      // The family of the SPLIT above is brought together here.
      pass.assemble_set_mark = false;
      break;
    case bc::select:
    case bc::let_minmax: check_let_minmax_block(e); break;
    case bc::split:
      check_split_block(e);
      // A SPLIT inside an ASSEMBLE set branches it; its copies form one.
      if (pass.assemble_set_mark) pass.branch_in_assemble = true;
      pass.assemble_set_mark = true;
      break;
    case bc::tabulate: check_tabulate_block(e); break;
    case bc::special: check_control_statement(e, false); break;
    case bc::goto_:
      check_goto_block(e);
      if (pass.assemble_set_mark) pass.branch_in_assemble = true;
      break;
    case bc::if_:
      check_if_block(e);
      if (pass.assemble_set_mark) pass.branch_in_assemble = true;
      break;
    default: flag_statement_error(e, " Operation does not exist in Brannic"); break;
  }
}

bool add_queue_or_ad_set(Engine& e, int4 name) {
  auto& q = e.ent.q;
  const int n = take_slot(e, q.queue_count, k_queue_limit, " Too many queues or AD sets", ErrorEffect::flag);
  if (n == 0) return false;
  e.blocks.block_arg[e.blocks.block_count] = to_int2(n);
  check_name_three_letters(e, name);
  q.queue_name[n] = name;
  return true;
}

void check_depart_block(Engine& e) {
  auto& blk = e.blocks;
  const int b = blk.block_count;
  if (error_no_b_operand(e)) return;
  const char mark = e.cs.stmt.operand_text[1];
  const int4 name = e.cs.stmt.operand_value[1];
  int4 code = 0;
  if (parse_param_operand(e, mark, bc::depart, name, code)) {
    blk.block_arg[b] = to_int2(code);
    return;
  }
  if (reject_sna_type(e, 1)) return;
  auto& q = e.ent.q;
  if (const int i = find_name(q.queue_name, q.queue_count, name); i != 0) {
    blk.block_arg[b] = to_int2(i);
    for (int k = 1; k < b; ++k) {
      if (blk.block_op[k] == bc::depart && blk.block_arg[k] == i) q.queue_departed_twice = true;
    }
    return;
  }
  if (!add_queue_or_ad_set(e, name)) return;
  const int unit = open_warning_unit(e);
  e.ch.write(unit, io::Rec().lit("** WARNING ** ").lit(Text50(" No matching ARRIVE block above").view()));
}

void define_print_block(Engine& e) {
  int4 v = 0, a = 0;
  if (!check_print_block(e, v, a)) return;
  store_print_operands(e, v, a);
}

void store_print_operands(Engine& e, int4 v, int4 a) {
  auto& blk = e.blocks;
  auto& pass = e.cs.pass;
  const int b = blk.block_count;
  pass.last_print_open = e.cs.syn.print_line_open;
  if (pass.last_print_open) blk.block_op[b] = bc::print_open;
  if (v > -11000 && v < -100) {
    // An attribute: the line stays open when its last operand ends with ','.
    int last = 0;
    // The last of A to D (D: the decimals of a PRINT format).
    for (int u = 4; u >= 1 && last == 0; --u) {
      if (operand_length(e, u) > 0) last = u;
    }
    const int after = last > 0 ? operand_start(e, last) + operand_length(e, last) : 0;
    const bool open = after >= 1 && after <= 80 && e.cs.stmt.stmt_line.at(after) == ',';
    blk.block_op[b] = to_int2(open ? bc::print_attribute_open : bc::print_attribute);
    v += 100;
  }
  // The word holding a name code is block_opnd (the linking turns it
  // into the entity number); a small value goes to block_arg.
  if (a > -1000 && a < 1000) {
    blk.block_opnd[b] = v;
    blk.block_arg[b] = to_int2(a);
  } else {
    blk.block_opnd[b] = a;
    blk.block_arg[b] = to_int2(v);
  }
  if (blk.block_opnd[b] > 1000 || blk.block_opnd[b] < -1000) pass.print_names_entity = true;
}

void check_terminate_block(Engine& e) {
  auto& t = e.ent.term;
  const int slot = take_slot(e, t.terminate_count, k_terminate_limit, " Too many TERMINATE blocks", ErrorEffect::flag);
  if (slot == 0) return;
  const char mark = e.cs.stmt.operand_text[1];
  const int4 code = e.cs.stmt.operand_value[1];
  int4 value = 0;
  if (mark == ' ') {
    if (!name_number(e, code, value)) {
      flag_error_without_hint(e, " Illegal A operand, not 0..999999 or X$name");
      return;
    }
  } else if (mark == 'X') {
    value = code;
  } else {
    flag_error_without_hint(e, " Illegal A operand, not 0..999999 or X$name");
    return;
  }
  t.terminate_value[slot] = value;
  e.blocks.block_arg[e.blocks.block_count] = to_int2(slot);
}

}  // namespace kelvo
