// Character and fixed-field routines used across the engine, and the
// names of the files named after the model.
#pragma once

#include <string>
#include <string_view>

#include "io/fixed_text.h"

namespace kelvo {

struct Engine;

// ASCII only: the locale never changes what a model means.
inline void upcase_char(char& c) {
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
}
// The character folded to upper case.
inline char upcased(char c) {
  upcase_char(c);
  return c;
}
inline void downcase_char(char& c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
}
inline bool is_digit_char(char c) { return c >= '0' && c <= '9'; }
inline bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Writes the digits of n (0..99) into characters 7 and 8 of a field: one
// digit in 7 when n < 10, else tens in 7 and units in 8. Other values of
// n leave the field unchanged.
template <int N>
void number_to_digits(int n, FixedText<N>& field) {
  static_assert(N >= 8);
  if (n < 0 || n > 99) return;
  if (n < 10) {
    field.set(7, static_cast<char>('0' + n));
  } else {
    field.set(7, static_cast<char>('0' + n / 10));
    field.set(8, static_cast<char>('0' + n % 10));
  }
}

inline void blank_field6(Text6& f) { f.clear(); }
inline void blank_field9(Text9& f) { f.clear(); }
inline void blank_line80(Line80& line) { line.clear(); }
void upcase_field6(Text6& f);

// Copies a text into the shared 129-character message buffer.
void set_message_text(Engine& e, std::string_view text);

// For an operand marked as a reference: true when its first character
// (after a leading '(') is P or p and the next one is not R.
bool is_parameter_ref(std::string_view operand);

// The model's base name followed by DEC, FRM, CSV.
Text129 make_dec_name(Engine& e);
Text129 make_frm_name(Engine& e);
// The FRM name and the CSV name (returned in csv); the CSV file is
// written next to the model.
Text129 make_frm_csv_names(Engine& e, bool flag, Text129& csv);

// The model name up to its first blank, with a '.' ending the base: an
// extension TXT is dropped (MODEL.TXT gives MODEL.), any other stays with
// its '.' removed (MODEL.ABC gives MODELABC.). Only a '.' in the last path
// component counts. dot is the column of the final '.'; callers put their
// three-letter extension after it.
Text129 get_program_base_name(Engine& e, int& dot);
// The model's base name followed by a three-letter extension.
Text129 model_name_with_extension(Engine& e, std::string_view ext);
// The same as a path.
std::string model_file_name(Engine& e, std::string_view extension);

}  // namespace kelvo
