// IF and WAITIF in the translator: the relation written between operands
// A and B, the IF block and its server conditions, the WAITIF block in its
// station form and its comparing form, the staggering WAITIF, and the
// linking of the condition table and the WAITIF station entries at the
// end of the program.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;
struct CondOperand;

// ---- condition_checks.cpp: statement and block checks
// The relation of an IF from column `start` on (the operand field):
// its code in statement_relation, and in the line the comma that then
// separates operands A and B. No relation: a plain truth test (code 0).
void check_if_relation(Engine& e, int start);
// The same for WAITIF, where a relation is compulsory.
void check_waitif_relation(Engine& e, int start);
// False (after " Illegal operator") when an operand after a relation
// begins with '+', '*' or '/'.
bool check_operator_word(Engine& e, char c);
// IF block (code 38): its condition entry, address and operands.
void check_if_block(Engine& e);
// Operand k (1 = A, 2 = B) of the IF into o; false after an error.
bool scan_operand_kind(Engine& e, int k, CondOperand& o);
// Whether operands A and B of the IF name a server and a condition word
// (for k = 1 the condition is then entered); reports a bad pair.
bool check_if_operands(Engine& e, int k);
// Fills the current condition entry for condition word i of a server
// (param: operand A is a parameter).
void store_server_condition(Engine& e, int i, bool param);
// WAITIF block (code 43): the condition-word form or the comparing form
// (code becomes 46), and operand C (an AD set or a staggering digit).
void check_waitif_operands(Engine& e, int& code);
// Comparing WAITIF: its condition entry; false when its operands are not
// a comparison.
bool parse_waitif(Engine& e);
// WAITIF with condition word `word` on a station (codes 7 and 43).
void check_waitif_block(Engine& e, int word);
// False (after the report) when a WAITIF's AD-set name is already a queue.
bool check_waitif_address(Engine& e, int4 name);
// Whether queue q is the AD set of a WAITIF station entry.
bool is_waitif_ad_set(const Engine& e, int q);
// An IF whose B operand names a server state (U, E, F, NU, NE, NF) is
// rewritten in the line as a comparison of the server's value with 0;
// true when the line was rewritten (the syntax check is then run again).
bool check_server_if_operand(Engine& e);

// ---- condition_linking.cpp: end of the program
// WAITIF stations by name to station numbers (a missing one is an error).
void check_wait_station(Engine& e);
// IF addresses by label to block numbers (a missing one is an error).
void check_if_addresses(Engine& e);
// The entries that stations given by parameters reach, and the list of
// the entries of each station.
void extend_waitif_list(Engine& e);
// Entity names of the condition operands to entity numbers.
void convert_operand_table(Engine& e);

}  // namespace kelvo
