// Codes that one layer writes and another reads, each named once: operand
// kinds, time-operand kinds, function kinds, run steps, the words of the
// active transaction and the chain numbers. The block codes and their
// property table are in block_table.h.
#pragma once

#include "model/limits.h"
#include "model/numbers.h"

namespace kelvo {

// Operand kinds: what an operand or an expression item refers to. The
// same numbering is stored in block_arg, the special statements' operand
// rows, the compiled expressions and the run-time's operand references.
// A negative kind takes the entity number from the transaction parameter
// whose number is the value.
namespace opnd {
inline constexpr int constant = 0;     // integer constant: the value itself
inline constexpr int clock = 1;        // C1 or CL
inline constexpr int queue = 2;        // Q$name: queue contents
inline constexpr int block_count = 3;  // N$name: entries of a block
inline constexpr int storage = 4;      // S$name, F$name: station contents
inline constexpr int remaining = 5;    // R$name: units a storage has free
inline constexpr int function = 6;     // FN$name
inline constexpr int variable = 7;     // V$name: a defined expression
inline constexpr int savevalue = 8;    // X$name
inline constexpr int waiting = 9;      // W$name: transactions in a block
inline constexpr int random = 10;      // RNj: a draw of stream j
inline constexpr int parameter = 11;   // Pj, P$name
inline constexpr int priority = 12;    // PR
inline constexpr int decimal = 13;     // decimal constant: index into decimal_value
inline constexpr int temporary = 14;   // temporary slot of a compiled expression
}  // namespace opnd

// A station or queue operand given by a parameter is stored as -p; as
// -(p + k_indirect_parameter) when parameter p holds the number of the
// parameter that gives it.
inline constexpr int k_indirect_parameter = 30000;

// The B operand (units) of a station block stored as this value: the
// units come from the SNA that the translator's list gives for the block.
inline constexpr int4 k_sna_units = -100;
// The B operand TRY of an entry block (ENTER, SEIZE): one unit, taken
// only when free; a full station lets the transaction pass, and its
// result word says which (1 entered, -1 refused).
inline constexpr int4 k_try_units = -101;

// Kinds of the operands of a time pair (GENERATE and ADVANCE A and B).
namespace tkind {
inline constexpr int constant_pair = -1;  // both constants, stored as (A - B, 2B)
inline constexpr int value = 0;           // the value itself
inline constexpr int parameter = 1;       // a transaction parameter
inline constexpr int variable = 2;        // a defined expression
inline constexpr int function = 3;        // a FUNCTION
inline constexpr int savevalue = 4;       // a savevalue
inline constexpr int clock = 5;           // the clock
}  // namespace tkind

// Kinds of FUNCTION (function_kind).
namespace fnk {
inline constexpr int exponential = 1;  // EXPO: exponential of mean 1
inline constexpr int normal = 2;       // NORM: standard normal
inline constexpr int discrete = 3;     // D: a step function (also RN arguments)
inline constexpr int continuous = 4;   // C: linear between the points
// Ranges of the further kinds.
inline constexpr int first_builtin = 5;      // 5..19: a built-in arithmetic function
inline constexpr int last_builtin = 19;
inline constexpr int erlang_base = 20;       // 21..29: Erlang of (kind - 20) phases
inline constexpr int triangular_base = 30;   // 30..40: triangular of mode (kind - 30) / 10; 20 as 40
inline constexpr int expression_base = 40;   // above 40: the parameterised expression of reference kind - 40
}  // namespace fnk

// Built-in arithmetic functions (function kinds 5..19), single precision.
namespace mathfn {
inline constexpr int square_root = 5;   // also any code outside 5..19
inline constexpr int absolute = 6;
inline constexpr int floor = 7;         // the integer at or below x
inline constexpr int logarithm = 8;     // natural logarithm
inline constexpr int exponential = 9;
inline constexpr int sign = 10;         // 1, 0 or -1 (within 1.0E-5 of 0: 0)
inline constexpr int is_zero = 11;      // 1 when x is 0 (within 1.0E-5)
inline constexpr int positive_part = 12;
inline constexpr int is_above_0 = 13;   // the tests against 0 within 1.0E-5: 1 or 0
inline constexpr int is_at_least_0 = 14;
inline constexpr int is_below_0 = 15;
inline constexpr int is_at_most_0 = 16;
inline constexpr int is_not_0 = 17;
inline constexpr int sine_degrees = 18;
inline constexpr int fraction = 19;     // x less its whole part
}  // namespace mathfn

// Operators of a compiled expression's items (the operator in front of
// the item).
namespace xop {
inline constexpr int add = 1;        // also '&'
inline constexpr int subtract = 2;
inline constexpr int multiply = 3;
inline constexpr int divide = 4;
inline constexpr int store = 5;      // ends a parenthesised part: into a temporary slot
inline constexpr int remainder = 6;  // '%': the remainder with the dividend's sign
}  // namespace xop

// Run steps that the control statements record, in program order.
namespace step {
inline constexpr int end = 1;          // END: the runs are over
inline constexpr int first_start = 2;  // the first START
inline constexpr int series_end = 3;   // end of one run of a series (code 24)
inline constexpr int reset = 4;        // RESET
inline constexpr int next_start = 5;   // every START after the first
}  // namespace step

// Words of the active transaction (cur_txn, element k = word k).
namespace tw {
inline constexpr int move_time = 1;      // time of its next move
inline constexpr int next_block = 2;     // -b: still in block b; -1: filed in a chain
inline constexpr int priority = 3;       // priority (with its marks)
inline constexpr int qtable_entry = 4;   // clock of entry into a QTABLE queue (0 none)
inline constexpr int current_block = 5;  // block it is in (0 or less: none yet)
inline constexpr int first_param = 6;    // parameter 1; parameter j is word 5 + j
}  // namespace tw

// The priority a model may give (GENERATE E, PRIORITY blocks) lies in
// -k_priority_max..k_priority_max: below the k_priority_mark_unit that a
// retry or pre-emption mark adds to the priority word, so that the model's
// priority is the word modulo that unit.
inline constexpr int k_priority_max = 999999;
inline constexpr real8 k_priority_mark_unit = 1000000.0;
// The highest priority word without a mark: above every priority a model
// gives, with the small retry and staggering raises on it, and below
// every priority of 0 or more raised by a mark.
inline constexpr real8 k_unmarked_priority_max = 999999.875;

// Chains of the transaction store: the future-events chain, then one
// waiting line per station, then one per WAITIF station entry (the
// transactions that wait for that station's condition), then the chain
// of the transactions that wait at WAITIF blocks comparing operands.
inline constexpr int k_future_chain = 1;
inline constexpr int station_chain(int s) { return k_future_chain + s; }
inline constexpr int waitif_entry_chain(int i) { return k_future_chain + k_station_limit + i; }
inline constexpr int k_waitif_chain = waitif_entry_chain(k_waitif_entry_limit) + 1;
static_assert(k_waitif_chain == k_max_chains, "every chain has its place in the chain tables");
static_assert(station_chain(k_station_limit) < waitif_entry_chain(1), "station and WAITIF chains do not overlap");

}  // namespace kelvo
