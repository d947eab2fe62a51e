// GOTO, SPLIT, ASSEMBLE, LET MIN/MAX and FN$MIN/FN$MAX at run time.
// Takes the active transaction and the flow tables the translator filled;
// sets the transaction's next block, files copies on the future-events
// chain, absorbs family members, and writes parameters and savevalues.
// Every table index is checked before use.
#include "runtime/flow_blocks.h"

#include <cstdlib>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/block_dispatcher.h"
#include "runtime/function_eval.h"
#include "runtime/operand_eval.h"
#include "runtime/random_streams.h"
#include "runtime/run_errors.h"
#include "runtime/transaction_store.h"
#include "support/diagnostics.h"
#include "support/stop.h"

namespace kelvo {

namespace {

// Copies, counts and limits given by a savevalue (-x) or a parameter
// (-(10000 + j)) in the block tables.
constexpr int4 k_param_code = 10000;

// Savevalue x (1..k_savevalue_limit) of the run.
real8 savevalue_of(Engine& e, int x) {
  if (x < 1 || x > k_savevalue_limit) run_error(e, io::Rec().lit(" Savevalue").i(x, 5).lit(" out of range"));
  return e.ent.sv.savevalue_value[ix(x)];
}

// Parameter j of the active transaction.
real8 parameter_of(Engine& e, int j) {
  if (!has_parameter(e, j)) run_error(e, io::Rec().lit(" Parameter value").i(j, 4).lit(" out of range"));
  return e.act.cur_txn[ix(parameter_word(j))];
}

// A coded count: n >= 0 itself, -x savevalue x, -(10000 + j) parameter j.
real8 coded_value(Engine& e, int4 n) {
  if (n >= 0) return n;
  if (n > -k_param_code) return savevalue_of(e, -n);
  return parameter_of(e, -(n + k_param_code));
}

// The block an address word names: b itself, or for -i the block that
// the address function i gives.
int address_block(Engine& e, int4 target) { return target < 0 ? function_value_error(e, -target) : target; }

// Family numbers: SPLIT gives one to a transaction that has none.
int take_family(Engine& e) {
  auto& fam = e.fam;
  if (fam.free_count < 1) run_error(e, " Too many ASSEMBLE families in use at one time");
  const int f = fam.free_stack[ix(fam.free_count)];
  fam.free_count -= 1;
  fam.family_free[ix(f)] = false;
  fam.members[ix(f)] = 1;
  return f;
}

}  // namespace

// The last member of a family to leave also clears the count of members
// absorbed at an ASSEMBLE that none completed.
void member_leaves(Engine& e, int f) {
  auto& fam = e.fam;
  if (f < 1 || f > k_family_limit || fam.family_free[ix(f)] || --fam.members[ix(f)] > 0) return;
  fam.asm_count[ix(f)].fill(0);
  fam.members[ix(f)] = 0;
  fam.family_free[ix(f)] = true;
  fam.free_count += 1;
  fam.free_stack[ix(fam.free_count)] = f;
}

// ---- GOTO

void check_probability(Engine& e, real4 q, int b) {
  if (q < -1.0E-7f || q > 1.0000001f) stop_with_block(e, " Probability outside of 0 - 1 interval in block ", b);
}

int choose_next_by_probability(Engine& e, int b, int target, real4 q) {
  const real4 u = draw_random_number(e, 1);
  const int next = u < q ? target : b + 1;
  e.act.cur_txn[tw::next_block] = next;
  return next;
}

int branch_by_row(Engine& e, int b, int g, int t) {
  auto& cur = e.act.cur_txn;
  const auto& go = e.flow.go;
  const int target = address_block(e, t);
  const real4 p = go.goto_prob[ix(g)];
  int next = target;
  if (p == 1.0f) {
    cur[tw::next_block] = target;
  } else {
    real4 q = p;
    if (p < 0.0f || p > 1.0f) {
      if (p < 0.0f) q = static_cast<real4>(evaluate_function(e, trunc_i32(-p)));
      else if (p <= 10000.0f) q = static_cast<real4>(savevalue_of(e, trunc_i32(p) - 1));
      else q = static_cast<real4>(parameter_of(e, trunc_i32(p) - k_param_code));
      check_probability(e, q, b);
    }
    next = choose_next_by_probability(e, b, target, q);
  }
  cur[tw::current_block] = b;
  return next;
}

// ---- SPLIT

void split_block(Engine& e, int b) {
  auto& cur = e.act.cur_txn;
  auto& marks = e.act.cur_marks;
  const int k = e.blocks.block_arg[ix(b)];
  if (k < 1 || k > e.cs.pass.split_count || k > k_split_limit) refuse_block_code(e, bc::split);
  const real8 copies = coded_value(e, e.blocks.block_opnd[ix(b)]);
  if (copies < 0.0) run_error(e, " Negative number of copies calculated");
  const int n = trunc_i32(copies);
  if (e.flow.assemble_used) {
    if (marks.family == 0) marks.family = take_family(e);
    e.fam.members[ix(marks.family)] += n;
  }
  const int s = e.flow.split.split_param[ix(k)];
  const real8 serial = s > 0 ? parameter_of(e, s) : 0.0;
  if (s > 0) cur[ix(parameter_word(s))] = serial + 1.0;
  // The copies: the parent's words with their own next block, serial
  // number and transaction numbers, filed at the parent's move time.
  const auto& par = e.ent.par;
  const int words = static_cast<int>(cur.size());
  const int num_word = par.txn_num_off > 0 && par.txn_num_off < words ? par.txn_num_off : 0;
  const bool trace_numbers = par.trace_number_wanted_a || par.trace_number_wanted_b;
  const int trace_word = trace_numbers && par.trace_word_off > 0 && par.trace_word_off < words ? par.trace_word_off : 0;
  const real8 own_number = num_word > 0 ? cur[ix(num_word)] : 0.0;
  const real8 own_trace = trace_word > 0 ? cur[ix(trace_word)] : 0.0;
  for (int j = 1; j <= n; ++j) {
    cur[tw::next_block] = address_block(e, e.flow.split.split_target[ix(k)]);
    cur[tw::current_block] = b;
    if (s > 0) cur[ix(parameter_word(s))] = serial + 1.0 + j;
    if (num_word > 0) cur[ix(num_word)] = ++e.run.txn_counter;
    if (trace_word > 0) cur[ix(trace_word)] = ++e.run.txn_counter;
    insert_event_chain(e, k_future_chain);
  }
  if (s > 0) cur[ix(parameter_word(s))] = serial + 1.0;
  if (num_word > 0) cur[ix(num_word)] = own_number;
  if (trace_word > 0) cur[ix(trace_word)] = own_trace;
  cur[tw::next_block] = b + 1;
  cur[tw::current_block] = b;
}

// ---- ASSEMBLE and families

void assemble_block(Engine& e, int b) {
  auto& fam = e.fam;
  auto& marks = e.act.cur_marks;
  const int a = e.blocks.block_opnd[ix(b)];
  if (a < 1 || a > e.cs.pass.assemble_count || a > k_assemble_limit) refuse_block_code(e, bc::assemble);
  const int f = marks.family;
  if (f < 0 || f > k_family_limit) refuse_block_code(e, bc::assemble);
  int4 c = e.blocks.block_arg[ix(b)];
  if (c < 0) {
    // A count from a savevalue or a parameter: the members to absorb are
    // one less. A count that cannot be one is reported and the
    // transaction passes on.
    const real8 v = coded_value(e, c);
    if (v > 32767.0) {
      write_error_message(e, " Illegal value of ASSEMBLE A operand");
      return;
    }
    c = trunc_i32(v) - 1;
    if (c <= -1) {
      write_error_message(e, " Illegal value of ASSEMBLE A operand");
      return;
    }
    if (c == 0) {
      write_error_message(e, " Value in ASSMBLE A operand 1; try with 2");
      return;
    }
  }
  int2& absorbed = fam.asm_count[ix(f)][ix(a)];
  if (absorbed >= c) {
    // The member that completes the set passes on for all of them.
    absorbed = static_cast<int2>(absorbed - c);
    e.blocks.block_current[ix(b)] -= c;
    return;
  }
  absorbed = static_cast<int2>(absorbed + 1);
  e.blocks.block_current[ix(b)] += 1;
  e.act.cur_txn[tw::next_block] = -1.0;
  member_leaves(e, f);
}

void reset_assemble_families(Engine& e) {
  auto& fam = e.fam;
  for (auto& row : fam.asm_count) row.fill(0);
  fam.members.fill(0);
  fam.family_free.fill(true);
  // Given out from family 1 upwards.
  fam.free_count = k_family_limit;
  for (int i = 1; i <= k_family_limit; ++i) fam.free_stack[ix(i)] = k_family_limit + 1 - i;
}

// ---- LET MIN/MAX

int entity_offset_by_kind(const Engine& e, int kind, int n) {
  const auto& st = e.ent.st;
  switch (std::abs(kind)) {
    case opnd::queue: return queue_index_of_number(e.ent, n) - n;
    case opnd::storage:
    case opnd::remaining: return n > st.storage_count ? st.facility_offset : 0;
    case opnd::savevalue: return k_named_savevalue_limit;
    default: return 0;
  }
}

void let_minmax_block(Engine& e, int b) {
  int m = e.blocks.block_arg[ix(b)];
  const bool is_min = m < 0;
  m = std::abs(m);
  if (m < 1 || m > e.cs.pass.minmax_count || m > k_minmax_limit) refuse_block_code(e, bc::select);
  const auto& mm = e.flow.mm;
  const int4 lower_word = mm.minmax_lower[ix(m)];
  const int4 upper_word = mm.minmax_upper[ix(m)];
  const int lower = lower_word < 0 ? trunc_i32(savevalue_of(e, -lower_word)) : lower_word;
  const int upper = upper_word < 0 ? trunc_i32(savevalue_of(e, -upper_word)) : upper_word;
  if (lower <= 0) {
    e.ch.write(open_error_unit(e), io::Rec().lit(" LET MIN/MAX operand in block").i(b, 4).lit(" undefined or <= 0"));
    stop_program(e);
  }
  if (upper < lower) {
    write_error_message(e, " Upper limit < lower limit in LET MIN/MAX block");
    stop_program(e);
  }
  const int kind = mm.minmax_kind[ix(m)];
  const int offset = entity_offset_by_kind(e, kind, lower);
  int found = lower;
  real4 best = is_min ? 1.0E10f : -1.0E10f;
  for (int i = lower; i <= upper; ++i) {
    int index = i + offset;
    const real4 v = operand_index_value(e, kind, index);
    if (is_min ? v < best : v > best) {
      best = v;
      found = i;
    }
  }
  const int p = mm.minmax_param[ix(m)];
  if (!has_parameter(e, p)) run_error(e, io::Rec().lit(" Parameter value").i(p, 4).lit(" out of range"));
  e.act.cur_txn[ix(parameter_word(p))] = found;
}

void exec_let_minmax(Engine& e, int b) {
  const int m = e.blocks.block_arg[ix(b)];
  const auto& mm2 = e.flow.mm2;
  if (m < 1 || m > mm2.minmax2_count || m > k_minmax2_limit) refuse_block_code(e, bc::let_minmax_run);
  real8 v[3] = {0.0, 0.0, 0.0};
  for (int i = 1; i <= 2; ++i) {
    const int4 word = mm2.minmax2_value[ix(m)][ix(i)];
    v[i] = mm2.minmax2_char[ix(m)][ix(i)] == '0' ? static_cast<real8>(word) : savevalue_of(e, word);
  }
  const int dest = mm2.minmax2_dest[ix(m)];
  if (dest < 1 || dest > k_savevalue_limit) run_error(e, io::Rec().lit(" Savevalue").i(dest, 5).lit(" out of range"));
  const bool is_max = mm2.minmax2_is_max[ix(m)];
  e.ent.sv.savevalue_value.set(ix(dest), is_max ? (v[1] < v[2] ? v[2] : v[1]) : (v[1] > v[2] ? v[2] : v[1]), e.changes);
}

}  // namespace kelvo
