// Block dispatcher. Takes the active transaction as the event loop hands
// it over; runs the block routines in sequence by a switch on the block
// code and ends when a routine has filed or destroyed the transaction.
// GENERATE's creation limit and the end-of-run arrival are tested here.
#include "runtime/block_dispatcher.h"

#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/event_loop.h"
#include "runtime/flow_blocks.h"
#include "runtime/generate_advance_terminate.h"
#include "runtime/if_block.h"
#include "runtime/let_priority_blocks.h"
#include "runtime/print_blocks.h"
#include "runtime/print_trace.h"
#include "runtime/queues_tables.h"
#include "runtime/run_errors.h"
#include "runtime/servers.h"
#include "runtime/transaction_store.h"
#include "runtime/waitif.h"
#include "support/output_files.h"

namespace kelvo {

namespace {


int code_of(const Engine& e, int b) {
  if (b < 1 || b > k_block_capacity) return 0;
  return e.blocks.block_op[ix(b)];
}

// GENERATE block b has made the most transactions one may: under the
// front end a warning and the GENERATE stops creating (false); on the
// console it ends the run (the lines go to the report channel).
[[gnu::noinline]] bool generate_maximum_reached(Engine& e, int b) {
  const int warning_unit = open_warning_unit(e);
  const int unit = e.ctl.java_mode ? warning_unit : e.rep.out_unit;
  if (e.ctl.java_mode) e.ch.write(unit, "** WARNING **");
  e.ch.write(unit, io::Rec().lit(" Simulation stopped after ").lit(std::to_string(k_generate_maximum)).lit(" transactions = maximum"));
  e.ch.write(unit, io::Rec().lit(" have come out of GENERATE block, block ").i(b, 5));
  if (e.ctl.java_mode) return false;
  report_block_error(e);
}

// GENERATE limits: false when the arrival creates nothing.
inline bool generate_may_create(Engine& e, int b) {
  if (e.run.clock == e.run.end_time && e.run.next_step_code != step::reset) return false;
  const int4 limit = e.blocks.generate_limit[ix(b)];
  const std::int64_t made =
      static_cast<std::int64_t>(e.blocks.block_entries[ix(b)]) + e.run.generated_before_reset[ix(b)];
  if (made < limit) return true;
  if (limit < k_generate_maximum) return false;
  return generate_maximum_reached(e, b);
}

// An entry block has filed the active transaction in a station's line.
bool waits_in_line(const Engine& e) { return e.act.cur_txn[tw::next_block] == -1.0; }

// Block b as the transaction's next one, its code in `code`; never a
// GENERATE block.
inline int next_block_checked(Engine& e, int b, int& code) {
  e.act.cur_marks.station = 0;
  code = code_of(e, b);
  if (code == bc::generate) stop_with_block(e, " Transaction tries to enter GENERATE = block ", b);
  return b;
}

// Block b, chosen by a routine as the transaction's next one, its code in
// `code`. Only a chosen block can lead back to a block passed before, so a
// transaction looping through blocks that take no time counts a step of
// the run here (a straight line of blocks ends within the block table).
inline int jump_to(Engine& e, int b, int& code) {
  count_run_step(e);
  return next_block_checked(e, b, code);
}

// The block a routine chose and put in the transaction's next-block word.
int chosen_block(Engine& e, int& code) { return jump_to(e, trunc_i32(e.act.cur_txn[tw::next_block]), code); }

// The transaction leaves block b for the block after it.
inline int pass_on(Engine& e, int b, int& code) {
  auto& cur = e.act.cur_txn;
  const real8 here = b;
  cur[tw::current_block] = here;
  cur[tw::next_block] = here + 1.0;  // exact: block numbers are small
  return next_block_checked(e, b + 1, code);
}

// Block b (code 1..53, not GENERATE) is entered: counted and traced.
inline void enter_block(Engine& e, int b, int code) {
  e.blocks.block_entries[ix(b)] += 1;
  if (e.run.trace_switch) write_trace_line(e, b, code, 0);
}

// A block whose routine this version does not have; codes outside 1..53
// and the codes of control statements. Counted and traced as it is
// entered, then the run stops.
[[noreturn, gnu::noinline]] void refuse_block(Engine& e, int b, int code) {
  if (code >= 1) e.blocks.block_entries[ix(b)] += 1;
  if (e.run.trace_switch) write_trace_line(e, b, code, 0);
  if (const BlockCodeInfo& info = block_code_info(code);
      !info.runnable && (info.cls == StatementClass::block || info.cls == StatementClass::form))
    refuse_block_code(e, code);
  stop_with_block(e, " Wrong operation code in block ", b);
}

}  // namespace

void dispatch_block(Engine& e, real8 x) {
  auto& cur = e.act.cur_txn;
  int b;
  int code;
  if (x < 0.0) {
    // Leaves block b, where it was still counted, and goes on after it.
    b = trunc_i32(-x);
    if (b >= 1 && b <= k_block_capacity) e.blocks.block_current[ix(b)] -= 1;
    e.act.cur_marks.advance_station = 0;
    b = pass_on(e, b, code);
  } else {
    b = trunc_i32(x);
    code = code_of(e, b);
  }
  // Each routine that lets the transaction go on names its next block,
  // whose code is read as it is chosen; the others have filed or destroyed
  // the transaction.
  for (;;) {
    e.act.cur_block = b;
    switch (code) {
      case bc::generate:
        if (!generate_may_create(e, b)) return;
        e.blocks.block_entries[ix(b)] += 1;
        generate_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::advance:
        enter_block(e, b, code);
        advance_block(e, b);
        return;
      case bc::terminate:
        enter_block(e, b, code);
        terminate_block(e, b);
        return;
      // Stations, queues and tables.
      case bc::enter:
      case bc::seize:
        enter_block(e, b, code);
        enter_or_seize_block(e, b);
        if (waits_in_line(e)) return;
        b = pass_on(e, b, code);
        break;
      case bc::preempt:
        enter_block(e, b, code);
        preempt_block(e, b);
        if (waits_in_line(e)) return;
        b = pass_on(e, b, code);
        break;
      case bc::preempt_after_priority:
        enter_block(e, b, code);
        preempt_by_priority_block(e, b);
        if (waits_in_line(e)) return;
        b = pass_on(e, b, code);
        break;
      case bc::leave:
      case bc::release:
        enter_block(e, b, code);
        leave_or_release_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::return_:
        enter_block(e, b, code);
        return_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::queue:
      case bc::arrive:
        enter_block(e, b, code);
        queue_entry_block(e, e.blocks.block_arg[ix(b)]);
        b = pass_on(e, b, code);
        break;
      case bc::depart:
        enter_block(e, b, code);
        depart_adset(e, e.blocks.block_arg[ix(b)]);
        b = pass_on(e, b, code);
        break;
      // Choosing, copying and merging.
      case bc::goto_:
      case bc::goto_form:
        enter_block(e, b, code);
        b = jump_to(e, probability_branch(e, b), code);
        break;
      case bc::split:
        enter_block(e, b, code);
        split_block(e, b);
        b = chosen_block(e, code);
        break;
      case bc::assemble:
        enter_block(e, b, code);
        assemble_block(e, b);
        if (cur[tw::next_block] < 0.0) return;
        b = pass_on(e, b, code);
        break;
      case bc::select:
      case bc::let_minmax:
        enter_block(e, b, code);
        let_minmax_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::let_minmax_run:
        enter_block(e, b, code);
        exec_let_minmax(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::tabulate:
        enter_block(e, b, code);
        record_value_extremes(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::special:
        enter_block(e, b, code);
        resolve_block_operands(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::print:
      case bc::print_open:
      case bc::print_attribute:
      case bc::print_attribute_open:
        enter_block(e, b, code);
        print_block(e, b, code);
        b = pass_on(e, b, code);
        break;
      // Conditions.
      case bc::if_form:
      case bc::if_:
      case bc::if_test_form:
        enter_block(e, b, code);
        b = jump_to(e, exec_if_block(e, b), code);
        break;
      case bc::waitif_station:
      case bc::waitif:
        enter_block(e, b, code);
        waitif_block(e, b);
        if (cur[tw::next_block] <= 0.0) return;
        b = chosen_block(e, code);
        break;
      case bc::waitif_retest:
        enter_block(e, b, code);
        retest_waitif_entry(e, b);
        if (cur[tw::next_block] < 0.0) return;
        b = chosen_block(e, code);
        break;
      // Assignments.
      case bc::let:
      case bc::let_expression:
      case bc::let_form:
        enter_block(e, b, code);
        let_savevalue_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::let_param:
      case bc::let_param_form:
        enter_block(e, b, code);
        let_parameter_block(e, b);
        b = pass_on(e, b, code);
        break;
      case bc::priority:
      case bc::let_priority:
      case bc::let_priority_plus:
      case bc::let_priority_minus:
        enter_block(e, b, code);
        // Filed again at its move time behind the events of equal time and
        // priority: the others due now move first.
        priority_block(e, b, code);
        cur[tw::current_block] = b;
        cur[tw::next_block] = b + 1;
        insert_event_chain(e, k_future_chain);
        return;
      default:
        refuse_block(e, b, code);
    }
  }
}

void trace_count_changes(Engine& e) {
  int marked = 0;
  for (int b = 1; b <= e.blocks.block_count; ++b) {
    const int4 now = e.blocks.block_current[ix(b)];
    if (now > e.run.last_block_current[ix(b)]) marked = b;
    e.run.last_block_current[ix(b)] = now;
  }
  if (marked > 0 && e.run.trace_switch && e.blocks.block_op[ix(marked)] != bc::advance)
    write_trace_line(e, marked, e.blocks.block_op[ix(marked)], -1);
}

void refuse_block_code(Engine& e, int code) {
  run_error(e, io::Rec().lit(" Block code").i(code, 3).lit(" cannot be run by this version"));
}

}  // namespace kelvo
