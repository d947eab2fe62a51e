// Packed names: a name of up to 6 characters as one 32-bit integer of two
// base-40 words (characters 1-3 high, 4-6 low) over the alphabet
// " 0123456789.$ABCDEFGHIJKLMNOPQRSTUVWXYZ". Numbered and named entities
// share one key space through numeric_name_key.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "io/fixed_text.h"
#include "model/numbers.h"

namespace kelvo {

struct Engine;

inline constexpr std::string_view k_name_alphabet = " 0123456789.$ABCDEFGHIJKLMNOPQRSTUVWXYZ";
// Codes 0..38 are characters of the alphabet.
inline constexpr int k_max_name_code = 38;

// Packs the first 6 characters of a field (shorter fields count as blank
// padded). A name beginning PREEM: sets preem_name_seen and packs as 0;
// a line feed, control-D or '=' ends the name there. Any other character
// outside the alphabet is a compile error that stops the engine.
int4 pack_symbol_name(Engine& e, std::string_view field);

// The key of a number 0..999: the packing of the number right-aligned in
// columns 4-6 (0 gives 1, 42 gives 203, 999 gives 16410).
int4 numeric_name_key(int n);

// The high and low 16-bit words of a packed name, read unsigned.
inline int name_high_word(int4 packed) { return static_cast<int>(static_cast<std::uint32_t>(packed) >> 16); }
inline int name_low_word(int4 packed) { return static_cast<int>(static_cast<std::uint32_t>(packed) & 0xFFFFu); }

// The six character codes of a packed name. A code outside the alphabet
// is reported (" Error in operand" while compiling, else " Incorrect
// number" and the stop) and decodes as a blank; false then.
bool decode_packed_name(Engine& e, int4 packed, std::array<int, 6>& codes);

// The name as upper-case text, blanks for code 0.
Text6 unpack_name_chars(Engine& e, int4 packed);

// The six characters of a packed name as text.
std::string packed_name_text(Engine& e, int4 packed);

// The name read as a decimal number: blanks are skipped, a non-digit ends
// the scan with the flag false.
void decode_digit_codes(const std::array<int, 6>& codes, int& value, bool& all_digits);
void unpack_name_number(Engine& e, int4 packed, int& value, bool& all_digits);
// The same as a value: false when the name is not all digits.
inline bool name_number(Engine& e, int4 packed, int4& value) {
  int v = 0;
  bool all = false;
  unpack_name_number(e, packed, v, all);
  value = v;
  return all;
}

// Entity classes of find_entity_number.
enum EntityClass : int {
  k_class_number = 1,
  k_class_queue = 2,
  k_class_address = 3,
  k_class_storage = 4,
  k_class_station = 5,
  k_class_function = 6,
  k_class_definition = 7,
  k_class_savevalue = 8,
  k_class_w_address = 9,
};

// Modes of find_entity_number that change what a missing name means.
inline constexpr int k_mode_plain = 3;                // a missing entity is an error
inline constexpr int k_mode_function_definition = 2;  // no function as A operand
inline constexpr int k_mode_maybe_savevalue = 4;      // set to 5 when not a savevalue
inline constexpr int k_mode_not_savevalue = 5;
inline constexpr int k_mode_missing_allowed = 7;      // number -1
inline constexpr int k_mode_deferred = 8;             // silent while the deferred check runs

// The number of the entity of a class with a packed name: its index in the
// class's name table. Class 1 (and any class outside 2-9) reads the name
// as a number. A missing entity is a compile error unless the mode allows
// it; the number is then left as the caller set it.
void find_entity_number(Engine& e, int cls, int4 name, int& mode, int& number);


}  // namespace kelvo
