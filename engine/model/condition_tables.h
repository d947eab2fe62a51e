// IF and WAITIF conditions. The condition table holds one entry per IF
// block and per WAITIF block that compares two operands; the WAITIF
// station entries hold a station with a waiting condition, each with its
// own waiting chain; the staggering table holds where a staggering
// WAITIF sends its transactions back to. The translator's IF and WAITIF
// checks fill ConditionTables and the end-of-program linking completes
// them; the run-time's IF and WAITIF routines read them and keep their
// own state in WaitifRun.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Relation codes of the relation written between operands A and B.
namespace rel {
inline constexpr int le = 1;  // <=
inline constexpr int lt = 2;  // <
inline constexpr int ne = 3;  // <>
inline constexpr int eq = 4;  // =
inline constexpr int gt = 5;  // >
inline constexpr int ge = 6;  // >=
}  // namespace rel

// Condition words that name the state of a server, written as operand B
// of IF and WAITIF (IF PUMP=U,ADDR; WAITIF TANK=F). Position 1..6 is the
// word's condition number; 1 and 2 are facility words, 3 to 6 storage
// words.
inline constexpr std::array<std::string_view, 7> k_condition_words = {"", "U", "NU", "NF", "NE", "F", "E"};
namespace cword {
inline constexpr int in_use = 1;
inline constexpr int not_in_use = 2;
inline constexpr int not_full = 3;
inline constexpr int not_empty = 4;
inline constexpr int full = 5;
inline constexpr int empty = 6;
inline constexpr int last_facility_word = 2;
}  // namespace cword

// Kinds of a WAITIF station entry: the state of the station in which a
// waiter passes (the entry is open). A WAITIF waits while its condition
// word holds, so it passes in the opposite state.
namespace wkind {
inline constexpr int full = 1;       // contents at capacity
inline constexpr int not_full = 2;   // contents below capacity
inline constexpr int empty = 4;      // contents 0
inline constexpr int not_empty = 6;  // contents above 0
}  // namespace wkind
// The kind of the WAITIF entry of condition word 1..6: U passes when not
// in use, NU when in use, NF when full, NE when empty, F when not full, E
// when not empty.
inline constexpr std::array<int, 7> k_waitif_kind_of_word = {
    0, wkind::not_full, wkind::full, wkind::full, wkind::empty, wkind::not_full, wkind::not_empty};

// Retry mark of a transaction that a WAITIF released (TxnMarks::retry):
// how its priority was raised, so that it moves ahead of its equals until
// it passes its block.
namespace retry_mark {
inline constexpr int none = 0;
inline constexpr int small = 1;  // raised by 0.001 (below the highest priority in use)
inline constexpr int large = 2;  // raised by 1000000
inline constexpr int high = 3;   // already above k_unmarked_priority_max: not raised
}  // namespace retry_mark

// One operand of a condition entry.
struct CondOperand {
  int4 kind = 0;   // operand kind (namespace opnd); negative: the entity is in a parameter
  int4 value = 0;  // what the run-time evaluates: constant, index, parameter or entity number
  int4 name = 0;   // packed entity name recorded at compile time (kinds 2..9), 0 otherwise
};

// An IF block or a WAITIF block that compares two operands.
struct CondEntry {
  CondOperand a;
  CondOperand b;
  int4 relation = 0;      // relation code (namespace rel)
  int4 target = 0;        // IF: block to go to when the relation holds; -f: the block function f gives
  int4 target_label = 0;  // IF: packed label of that block, until the linking finds it
  int4 word = 0;          // condition word 1..6 the entry was made from (0: two operands)
  // Every waiter on this entry has the same result at one time and the
  // test changes nothing: the waiters are tested as one. Set at linking.
  bool shared_test = false;
};

// A station with a waiting condition: the WAITIF blocks that name the
// same station and condition word share it, its waiting chain and its AD
// set. A WAITIF whose station is given by a parameter makes a template
// entry; the linking adds one entry per station that the parameter may
// name, per condition kind of such templates.
struct WaitifEntry {
  int4 name = 0;              // packed station name (0: a template)
  int4 param = 0;             // template: the parameter that gives the station
  int4 param_base = 0;        // template: the entry of parameter value s is param_base + s
  int4 station = 0;           // station number (from the linking)
  int4 word = 0;              // condition word 1..6
  int4 kind = 0;              // condition kind (namespace wkind)
  int4 adset = 0;             // queue number of its AD set (0: none)
  int4 next_of_station = 0;   // next entry of the same station (0: none)
};

struct ConditionTables {
  // Condition entries in use. IF and WAITIF checks; 0 at reset_compile_state.
  int4 cond_count = 0;
  std::array<CondEntry, k_condition_limit + 1> cond{};
  // WAITIF station entries in use, and of them the ones the WAITIF blocks
  // made (the rest reach stations given by parameters). WAITIF checks and
  // linking; 0 at reset_compile_state.
  int4 waitif_count = 0;
  int4 waitif_block_entries = 0;
  std::array<WaitifEntry, k_waitif_entry_limit + 1> waitif{};
  // First WAITIF entry of station s (0: none). Linking.
  std::array<int4, k_station_limit + 1> first_entry{};
  // Parameter values 1..param_range reach an entry. Linking.
  int4 param_range = 0;
  // Staggering WAITIF blocks: the block each sends its transactions back
  // to (the block's block_opnd is its entry). WAITIF checks.
  int4 stagger_count = 0;
  std::array<int4, k_stagger_limit + 1> stagger_block{};
  // Relation code of the IF or WAITIF statement being translated (0:
  // none), and the condition word of its B operand. Syntax and WAITIF checks.
  int4 statement_relation = 0;
  int4 statement_word = 0;
  // A WAITIF whose operands must be tested waiter by waiter was met: every
  // later one is warned about too. WAITIF checks.
  bool slow_waitif_seen = false;
};

// Run-time state of the WAITIF blocks, set up at every run start.
struct WaitifRun {
  // Entry i is open: a transaction arriving at its block passes.
  std::array<bool, k_waitif_entry_limit + 1> open{};
  // Clock at which staggering entry a sent a transaction back (0: none).
  std::array<real4, k_stagger_limit + 1> stagger_time{};
  // A waiter of the comparing WAITIF blocks has been released and has not
  // yet reached its block: no other is released before.
  bool rescan_done = false;
  // Waiters of the comparing WAITIF blocks per condition entry, their
  // sum, and how many of them wait on entries without a shared test.
  std::array<int4, k_condition_limit + 1> waiting_on{};
  int4 waiting_total = 0;
  int4 waiting_unshared = 0;
  // The last result of each shared test (entries 1..cond_count) and the
  // change number (ChangeStamps) it was taken at; -1 when it must be
  // taken again (the test reads the clock or block counts, or was never
  // taken in this run).
  std::array<bool, k_condition_limit + 1> held{};
  std::array<std::int64_t, k_condition_limit + 1> tested_at{};
};

}  // namespace kelvo
