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
inline bool is_digit_char(char c) { return c >= '0' && c <= '9'; }
inline bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

void upcase_field6(Text6& f);

// The model name up to its first blank, with a '.' ending the base: an
// extension TXT is dropped (MODEL.TXT gives MODEL.), any other stays with
// its '.' removed (MODEL.ABC gives MODELABC.). Only a '.' in the last path
// component counts. dot is the column of the final '.'; callers put their
// three-letter extension after it.
Text129 get_program_base_name(Engine& e, int& dot);
// A model name from a work file: something in it and no control
// character (such as a NUL) anywhere.
bool usable_model_name(std::string_view name);
// A usable name with no path in it (no '/', '\', ':' or "..") and no
// Windows device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or
// without an extension): the files named after it stay in the working
// directory, on every platform.
bool plain_file_name(std::string_view name);

// The model's base name followed by a three-letter extension.
Text129 model_name_with_extension(Engine& e, std::string_view ext);
// The same, named after the user's model while its animated copy runs
// (the user's name saved); the extension flags stay those of the run.
Text129 user_model_name_with_extension(Engine& e, std::string_view ext);
// The same as a path.
std::string model_file_name(Engine& e, std::string_view extension);

}  // namespace kelvo
