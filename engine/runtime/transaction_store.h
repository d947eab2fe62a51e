// Transaction store and chains: the record pool with its free list, the
// future-events chain (time ascending, priority descending, first come
// first served), the waiting lines, the batch of events due now, and the
// start-of-run set-up with the first arrival of every GENERATE block.
// Records are named by their index r (1-based); no allocation.
#pragma once

#include <array>

#include "model/codes.h"
#include "model/engine.h"
#include "model/numbers.h"

namespace kelvo {

// Word of parameter j (1..param_count) in a transaction.
inline constexpr int parameter_word(int j) { return tw::first_param + j - 1; }
// Parameter j of the active transaction exists: 1..param_count and a word
// of its record.
bool has_parameter(const Engine& e, int j);

void start_run_transactions(Engine& e);
void init_free_chain(Engine& e);
void insert_event_chain(Engine& e, int k);
// insert_event_chain(k_future_chain), worked out for that chain and given
// the move time word rounded to single precision (the block that computed
// it has it at hand).
void insert_future_event(Engine& e, real4 move_time);
void insert_chain_front(Engine& e, int k);
void link_chain_entry(Engine& e, int k, int h, int p);
void chain_relink(Engine& e, int k, int q, int p);
void unlink_transaction(Engine& e, int p, int k);
// unlink_transaction of the first record of the future-events chain (the
// chain is not empty); returns its next-block word.
real8 unlink_first_event(Engine& e);
void remove_from_chain_and_count(Engine& e, int s, int p);
// A waiting record moved onto the future-events chain in place, not
// copied through the active transaction (which keeps its own words): it
// leaves waiting chain k, may take a new move time and priority (its
// marks are e.txn.txn_marks[p]), and is filed as insert_event_chain
// (due_now false) or in the batch of events due now (due_now true).
void take_off_waiting_chain(Engine& e, int p, int k);
void set_record_key(Engine& e, int p, real4 time, real8 priority);
void file_taken_record(Engine& e, int p, bool due_now);
void enter_station_waiting_line(Engine& e, int b, int s);
// The number that " Unspecified error nr " shows: which check of the
// store found the pool full or a chain corrupt.
enum class StoreError : int {
  no_free_record = 1,        // no free record, or a bad chain when one is taken
  future_chain_negative = 2, // the future-events chain's count fell below 0
  bad_unlink = 3,            // a record unlinked from a chain it is not on
};
[[noreturn]] void report_transaction_overflow(Engine& e, StoreError nr);
// Counts waiters of storage entry and exit blocks that take or give
// more than one unit, while all waiters of a station are served.
void add_to_operand_sum(Engine& e, int n);

// A record of the future-events chain delayed while it holds station s,
// and how many there are (the record is the one when count is 1).
int delayed_holder(const Engine& e, int s, int& count);

// A copy of the active transaction while a routine takes other records
// into it: only the words of a record, its marks and its block are kept
// (the rest of the active transaction is not touched by the store).
struct KeptTxn {
  std::array<real8, k_max_txn_words + 2> words;  // 1..n in use
  TxnMarks marks{};
  int4 block = 0;
  int n = 0;
};
void keep_txn(const Engine& e, KeptTxn& k);
void restore_txn(Engine& e, const KeptTxn& k);

// Base word of record r: its identity in printed lists.
inline int record_base_word(const Engine& e, int r) { return (r - 1) * e.txn.txn_rec_words + 1; }
// Words of a stored record, read for ordering and reports.
inline real4 record_word(const Engine& e, int r, int i) { return e.txn.txn_pool[ix(record_base_word(e, r) + i)]; }
inline real4 record_move_time(const Engine& e, int r) { return e.txn.txn_time[ix(r)]; }
real8 record_priority(const Engine& e, int r);

}  // namespace kelvo
