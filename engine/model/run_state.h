// Run state of the simulation kernel: the clock, the transaction pool and
// its chains, the active transaction, the random-number streams, the run
// counters and the evaluation stack. Written by the run-time routines
// (engine/runtime/); reset at run set-up, at RESET and at each START.
#pragma once

#include <array>
#include <cstdint>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Marks that ride with a transaction as integers, so that they survive
// the single-precision words of the record exactly. TxnMarks{} is a
// transaction without marks (every field 0); the per-record copies are
// written when a record is filed.
struct TxnMarks {
  int4 retry;            // released by a WAITIF for a retry (retry_mark, condition_tables.h)
  int4 preempt;          // 1 pre-empted holder, 2 pre-emptor that waited
  int4 station;          // block of the station line it was released from
  int4 advance_station;  // station held while delayed in an ADVANCE
  int4 family;           // ASSEMBLE family number (0 none)
  real8 retry_priority;  // priority before the WAITIF retry mark raised it
};

// An ordered index beside the chains, so that filing a transaction on a
// long chain costs O(log n): over the records of each long chain's sorted
// part, keyed by (move time, priority descending, filing order): sorted
// blocks for the future-events chain, a balanced search tree (a treap) per
// waiting line. The chains stay the order of record; the index only says
// where in a chain a new record goes. A short chain is walked from its
// tail, which is cheaper than keeping an index: a chain is indexed once it
// has more than k_index_above records and a walk from its tail has passed
// more than k_index_above of them (a line filed at its tail is never
// indexed), and walked again below k_index_below (the gap keeps a chain
// near one size from building and dropping its index on every filing). A record's node sits beside the record (one per
// record), so the index grows with the pool and never allocates. Reset
// with the chains at run start. The per-record and per-block tables are
// written before they are read (a node when its record is indexed, a
// block when it is taken), so they are left unset when the engine is
// created: a run touches only the part it uses.
inline constexpr int k_index_above = 32;
inline constexpr int k_index_below = 8;

struct ChainIndexNode {
  int4 left;           // subtree of earlier keys (0 none)
  int4 right;          // subtree of later keys (0 none)
  std::uint32_t heap;  // treap priority: above both subtrees'
  real4 time;          // key: move time (0 on waiting lines)
  real8 priority;      // key: priority (higher first)
  std::int64_t order;  // key: filing order among equal keys
};

// The future-events chain's index: its sorted part as blocks of up to 64
// keys in key order, the blocks listed in key order by their first keys.
// A new key is placed by two binary searches over short arrays that stay
// in the cache, whatever the number of events.
inline constexpr int k_event_block_slots = 64;
inline constexpr int k_event_blocks = 2 * (k_max_txn_records / (k_event_block_slots / 2)) + 4;

struct EventKey {
  real4 time;          // move time
  int4 record;         // the record with this key
  real8 priority;      // priority (higher first)
  std::int64_t order;  // filing order among equal keys
};

struct EventBlock {
  std::array<EventKey, k_event_block_slots> key;  // keys begin .. end-1
  int4 begin;  // first key in use (set when the block is taken)
  int4 end;    // one past the last key in use
};

struct EventIndex {
  std::array<EventBlock, k_event_blocks> block;    // taken from the spare list
  std::array<int4, k_event_blocks> in_order;       // the blocks in use in key order (0 .. used-1)
  std::array<EventKey, k_event_blocks> first_key;  // the first key of each of them
  int4 used = 0;                                   // blocks in use
  std::array<int4, k_event_blocks> spare;          // blocks not in use (0 .. spare_count-1)
  int4 spare_count = 0;
};

struct ChainIndex {
  EventIndex events;                                        // the future-events chain
  std::array<int4, k_max_chains + 1> root{};                // tree of waiting line k (0 empty)
  std::array<bool, k_max_chains + 1> indexed{};             // chain k's sorted part is in the index
  std::array<bool, k_max_chains + 1> walk_only{};           // chain k left key order: walked until empty
  std::array<ChainIndexNode, k_max_txn_records + 1> node;   // record r's node, written when it is indexed
  std::array<bool, k_max_txn_records + 1> member;           // record r is in the index (cleared at run start)
  std::int64_t next_order = 0;   // filing order of the next record filed behind its equals
  std::int64_t front_order = 0;  // filing order of the next record filed in front of its equals
  std::uint32_t heap_seed = 0x9E3779B9u;  // source of treap priorities (deterministic)
};

// The records of the future-events chain that are delayed while they hold
// a station (in an ADVANCE that records the station, or with the station
// marked on the record), listed per station, so that PREEMPT finds a
// facility's holder without walking the chain. The per-record words are
// written whenever a record is filed on the future-events chain, in a
// model that has PREEMPT blocks (the lists' only reader).
struct DelayedHolders {
  bool wanted = false;                              // the model pre-empts: the lists are kept (run start)
  std::array<int4, k_station_limit + 1> head{};     // first record listed under station s
  std::array<int4, k_station_limit + 1> count{};    // records listed under station s
  std::array<int4, k_max_txn_records + 1> station;  // station record r is listed under (0 none)
  std::array<int4, k_max_txn_records + 1> next;     // the next record under the same station
  std::array<int4, k_max_txn_records + 1> prev;     // the one before it
};

// Transaction pool and chains. A record r (1-based) owns the words
// (r-1)*S+1 .. r*S of the pool; its base word p = (r-1)*S+1 is the
// transaction's identity where one is printed. The value words sit in
// `txn_pool` at their word positions; the links, the priority and the
// marks are kept per record beside it. The per-record tables are written
// when a record is first taken, so they are left unset when the engine is
// created and a run touches only the records it uses.
struct TxnStore {
  int4 txn_words = 5;       // n = param_count + 5: words copied to cur_txn
  int4 txn_link_off = 6;    // n + 1: the forward-link word; the links are kept per record (txn_next), so nothing reads it
  int4 txn_rec_words = 7;   // S = n + 2: words per record
  int4 txn_slots = 0;       // records in the pool: 150000 / S
  int4 free_head = 0;       // first free record (0: none)
  int4 fresh_record = 1;    // first record not used since run start: it and the records after it are free
  int4 batch_last = 0;      // last record of the batch due now (0: none)
  int4 chain_count = 1;     // chains in use this run
  std::array<real4, k_pool_words + 1> txn_pool;           // value words (float)
  std::array<int4, k_max_txn_records + 1> txn_prev;       // backward link
  std::array<int4, k_max_txn_records + 1> txn_next;       // forward link / free list
  std::array<real8, k_max_txn_records + 1> txn_priority;  // priority word
  std::array<real4, k_max_txn_records + 1> txn_time;      // move time word, beside the others for the walks along a chain
  std::array<TxnMarks, k_max_txn_records + 1> txn_marks;  // integer marks
  std::array<int4, k_max_txn_records + 1> txn_chain;      // chain holding it (0 free)
  std::array<int4, k_max_chains + 1> chain_head{};  // first record (0 empty)
  std::array<int4, k_max_chains + 1> chain_tail{};  // last record (0 empty)
  std::array<int4, k_max_chains + 1> chain_size{};  // records in the chain
  ChainIndex index;  // where a new record goes in a chain
  DelayedHolders holders;  // delayed holders of each station
};

// The active transaction, element k = word k of its record, in double
// precision: 1 move time, 2 next block (-b: still in block b, -1: filed),
// 3 priority, 4 QTABLE entry clock, 5 current block, 6.. parameters.
struct ActiveTxn {
  std::array<real8, k_max_txn_words + 2> cur_txn{};
  TxnMarks cur_marks{};
  int4 cur_block = 0;       // block being executed
};

// Random-number streams RN1..RN50 and the seeds of each run.
struct RandomState {
  std::array<int4, k_rn_stream_max + 1> seed{};          // current seeds
  std::array<int4, k_seed2_streams + 1> seed2{};         // second generator
  int4 preset_count = 0;                                 // preset draws used this run
  bool preset_loaded = false;                            // preset table filled
  std::array<real4, k_preset_count + 1> preset_values{};
  bool second_generator = false;  // set by the built-in program that switches
};

// Run counters and flags of the kernel.
struct RunState {
  real4 clock = 0.0f;              // simulation clock
  real4 end_time = 1.0e8f;         // time at which the run ends
  real4 reset_time = 0.0f;         // clock at the last RESET
  real4 saved_clock = 0.0f;        // clock at the end of the last run
  real4 next_event_time = 1.0e8f;  // move time of the first future event
  real4 coarse_clock_from = 0.0f;  // clock from which single-precision values lie further apart than a thousandth of the shortest constant time; set when a run starts at clock 0 (event loop), infinity once the run has warned
  int4 limit_check_countdown = 0;  // steps (events, block entries, waiter tests) to the next look at the limit
  real4 outvalue = 0.0f;           // EXPERI result operand at run end
  real4 max_priority = 0.0f;       // highest priority given so far (GENERATE, priority blocks)
  int4 run_number = 0;             // current run (START number)
  int4 run_counter = 0;            // runs made in this series
  int4 run_count = 0;              // 0 single run, else runs of the series
  int4 next_step_code = 1;         // code of the run step after this one
  int4 step_index = 1;             // series position in the run steps
  int4 txn_counter = 0;            // last transaction number given
  bool preemption_happened = false;   // a pre-emption took place this run
  bool serve_all_waiters_flag = false; // station lines are served as a whole
  int4 operand_sum = 0;               // waiters of multi-unit storage blocks
  bool waitif_pending = false;        // WAITIF waiters on the re-test chain
  bool report_written = false;        // set while a report is being written
  bool in_event_loop = false;         // set while run_event_loop moves transactions (cleared as it ends)
  bool trace_switch = false;          // tracing switched on (TRACE program)
  // Files and switches of run control that other stages set.
  bool aux_file_open = false;         // the auxiliary result file is open
  int4 aux_unit = 0;                  // its channel
  bool atf_open = false;              // the animation trace file is open (cleared before translation and at its close)
  real4 atf_last_time = 0.0f;         // clock of the last TIME record of the animation trace file; 0 at a model's set-up, below 0 at a later run's start
  bool matrix_output_wanted = false;  // matrix output at the end
  std::array<bool, 10> graph_flags{}; // the files of graphs 1..10 are open
  bool valin_outside_experi = false;  // VALIN used outside an experiment
  std::array<int4, k_block_capacity + 1> generated_before_reset{};  // per block
  std::array<int4, k_block_capacity + 1> last_block_current{};      // per block (trace)
};

// One EXPERI experiment: the invalue given to each run, the results of
// the runs and the figures each alternative's row keeps. Written by the
// experiment driver and the VALUT program; cleared at each experiment.
struct ExperimentState {
  // Result of each run of a statistical analysis (1 .. runs).
  std::array<real4, k_max_runs + 1> result{};
  // Invalue, average outvalue and 95 % limits per alternative.
  std::array<real4, k_max_runs + 1> alt_invalue{};
  std::array<real4, k_max_runs + 1> alt_mean{};
  std::array<real4, k_max_runs + 1> alt_lower{};
  std::array<real4, k_max_runs + 1> alt_upper{};
  // Lowest lower limit and highest upper limit over the alternatives.
  real4 lowest_limit = 1.0e9f;
  real4 highest_limit = -1.0e9f;
  // The highest average outvalue and its invalue.
  real4 best_value = -10000000.0f;
  real4 best_invalue = 0.0f;
  // A run reached VALUT (or the EXPERI statement names the outvalue).
  bool valut_reached = false;
  // The EXP section file is open for the whole experiment (front end).
  bool exp_open = false;
  // A VALUT with an E operand asks for the comparisons of the alternatives:
  // in the EXP section, and their figures in "valut.fil".
  bool comparisons_wanted = false;
  // "valut.fil" is open on unit_base + 10.
  bool valut_file_open = false;
};

// Evaluation of operands and expressions.
struct EvalState {
  std::array<real8, k_expr_temp_slots + 1> eval_stack{};
  int4 nesting = 0;  // expressions being evaluated now, one inside the other, across function calls (operand evaluation)
  std::array<real8, k_input_keep + 1> input_keep{};
  bool keep_input = false;  // run control keeps INPUT values (experiment)
  int4 experi_alternative = 0;     // alternative of the experiment being run
  real4 experi_input_value = 0.0f; // the experiment's current input value
  int4 experi_input_mark = 0;      // 1 experiment input given, -1 none; set by the input program, nothing reads it
  int4 input_used_mark = 0;        // 1 the experiment input was used
};

}  // namespace kelvo
