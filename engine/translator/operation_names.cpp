// Packed operation words of the 53 block codes and the look-up that turns
// a statement's operation word into its block code. Takes the statement
// record; produces the block code or a compile error.
#include <array>

#include "model/engine.h"
#include "support/diagnostics.h"

#include "support/packed_names.h"

#include "support/text_routines.h"
#include "translator/translator.h"

namespace kelvo {

namespace {
// Lines after " Operation does not exist in Brannic". When the first word
// was read as an address, the word taken as the operation may really be
// an operand split off by a blank or a name that is too long. A short
// operation word in front of a long operand may be a word cut short.
void operation_word_hints(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  if (f.first_word_len > 0) {
    write_error_line(e, " Server or A/D-set name too long or ");
    write_error_line(e, " Error could possibly also be due to illegal A operand");
    write_error_line(e, " or illegal blank among operands");
  }
  if (f.op_len <= 3 && operand_length(e, 1) > 6) {
    write_error_line(e, " Is the operation word misspelt or cut short?");
  }
}
}  // namespace

void init_stat_slots(Engine& e) {
  auto& t = e.opnames;
  for (int i = 1; i <= bc::count; ++i) t.block_op_names[ix(i)] = pack_symbol_name(e, block_code_info(i).word);
  t.valueof_name = pack_symbol_name(e, "VALUEO");
  t.seeds_name = pack_symbol_name(e, "SEEDS");
  copy_label_op_names(e);
}

void copy_label_op_names(Engine& e) {
  for (const BlockCodeInfo& info : k_block_codes) {
    if (info.label_entry > 0) e.cs.label_op_names[ix(info.label_entry)] = e.opnames.block_op_names[ix(info.code)];
  }
}

int4 packed_operation_word(Engine& e) {
  const auto& f = e.cs.stmt.stmt_fields;
  const Line80& l = e.cs.stmt.stmt_line;
  char w[6];
  for (int i = 0; i < 6; ++i) {
    const int col = f.op_start + i;
    w[i] = i < f.op_len ? upcased(l.at(col)) : ' ';
  }
  return pack_symbol_name(e, std::string_view(w, 6));
}

int check_operation_name(Engine& e, int code) {
  if (code == bc::let_expression) return code;
  const int4 word = packed_operation_word(e);
  e.cs.stmt.stmt_op_word = word;
  int found = find_name(e.opnames.block_op_names, bc::searched, word);
  if (found == 0 && word == e.opnames.valueof_name) found = bc::valueof;
  if (found == 0 && word == e.opnames.seeds_name) found = bc::seeds;
  if (found == bc::valueof && word != e.opnames.valueof_name) {
    flag_error_without_hint(e, " FVARIABLE is now obsolete. Use ValueOf instead");
    return 0;
  }
  if (found == 0) {
    const bool first_report = !e.ctl.error_reported;
    flag_error_without_hint(e, " Operation does not exist in Brannic");
    if (first_report) operation_word_hints(e);
    return 0;
  }
  if (found == bc::select && e.cs.syn.let_select_flag) found = bc::let_minmax;
  if (found == bc::priority && e.cs.syn.priority_form_flag) {
    const char sign = e.cs.syn.let_sign_char;
    found = sign == '+' ? bc::let_priority_plus : sign == '-' ? bc::let_priority_minus : bc::let_priority;
  }
  return found;
}

}  // namespace kelvo
