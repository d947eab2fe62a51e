// PRINT blocks at run time: a section of the standard report, a stored
// text, or the value of one attribute (with the text that waits for it)
// built into the report line.
#pragma once

#include "model/numbers.h"

namespace kelvo {

struct Engine;

// The coded word of a PRINT of an attribute (block codes 47 and 48): the
// stored-text row in front of it (0: none) and the attribute's operand
// kind (negative: the entity number is in a parameter).
struct PrintCode {
  int row = 0;
  int kind = 0;
};
PrintCode decode_print_code(int4 v);

// A PRINT block of code 23, 45, 47 or 48 entered by the active transaction.
void print_block(Engine& e, int b, int code);
// The attribute forms (47, 48): the text, then the attribute.
void execute_print_block(Engine& e, int b);
// One report section by selector (1 all, 2 block counts, 3 queues, 4
// storages, 5 tables, 6 savevalues, 7 clock, 8 facilities; 8 + r the
// stored text of row r).
void print_entity_statistics(Engine& e, int sel);
// Attribute code, entity and value of operand kind `cls` and index into
// the report line (cls < 0: the entity number is in parameter `index`).
void format_sna_text(Engine& e, int cls, int index);
// The stored text of row r into the report line.
void append_stored_text(Engine& e, int row);

}  // namespace kelvo
