// Packing and unpacking of symbolic names.
// Takes 6-character name fields; produces base-40 packed names (unsigned
// 32-bit arithmetic stored as the same bits in int32) and reads them back
// as text or as numbers.
#include "support/packed_names.h"

#include <algorithm>
#include <cstdint>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

constexpr int k_weights[3] = {1600, 40, 1};

// Code of a character, -1 for a character that ends the name, -2 for an
// illegal one.
int char_code(char ch) {
  if (ch == ' ' || ch == '\0' || ch == '#') return 0;
  if (ch >= '0' && ch <= '9') return ch - '0' + 1;
  if (ch == '.') return 11;
  if (ch == '$') return 12;
  upcase_char(ch);
  if (ch >= 'A' && ch <= 'Z') return ch - 'A' + 13;
  if (ch == '\n' || ch == '\x04' || ch == '=') return -1;
  return -2;
}

bool is_preem_label(std::string_view f) {
  if (f.size() < 6) return false;
  const char* word = "PREEM:";
  for (int k = 0; k < 6; ++k) {
    char c = f[static_cast<std::size_t>(k)];
    upcase_char(c);
    if (c != word[k]) return false;
  }
  return true;
}

}  // namespace

int4 pack_symbol_name(Engine& e, std::string_view field) {
  if (is_preem_label(field)) {
    e.cs.flags.preem_name_seen = true;
    return 0;
  }
  std::uint32_t words[2] = {0, 0};
  for (int k = 0; k < 6; ++k) {
    const char ch = k < static_cast<int>(field.size()) ? field[static_cast<std::size_t>(k)] : ' ';
    const int code = char_code(ch);
    if (code == -1) break;  // the name ends here: the rest counts as blanks
    if (code == -2) {
      flag_statement_error(e, " Illegal character in this context");
      stop_now(e);
    }
    words[k / 3] += static_cast<std::uint32_t>(code * k_weights[k % 3]);
  }
  return static_cast<int4>(65536u * words[0] + words[1]);
}

int4 numeric_name_key(int n) {
  if (n < 0 || n > 999) return 0;
  const int units = n % 10 + 1;
  if (n <= 9) return units;
  const int tens = (n / 10) % 10 + 1;
  if (n <= 99) return tens * 40 + units;
  return (n / 100 + 1) * 1600 + tens * 40 + units;
}

bool decode_packed_name(Engine& e, int4 packed, std::array<int, 6>& codes) {
  const int words[2] = {name_high_word(packed), name_low_word(packed)};
  bool ok = true;
  for (int k = 0; k < 6; ++k) {
    const int w = words[k / 3];
    const int code = k % 3 == 0 ? w / 1600 : k % 3 == 1 ? (w % 1600) / 40 : w % 40;
    if (code > k_max_name_code) {
      ok = false;
      codes[static_cast<std::size_t>(k)] = 0;
    } else {
      codes[static_cast<std::size_t>(k)] = code;
    }
  }
  if (!ok) {
    if (e.cs.flags.compiling) {
      flag_statement_error(e, " Error in operand");
    } else {
      write_error_message(e, " Incorrect number");
      stop_program(e);
    }
  }
  return ok;
}

Text6 unpack_name_chars(Engine& e, int4 packed) {
  std::array<int, 6> codes{};
  decode_packed_name(e, packed, codes);
  Text6 name;
  for (int k = 0; k < 6; ++k) name.set(k + 1, k_name_alphabet[static_cast<std::size_t>(codes[static_cast<std::size_t>(k)])]);
  return name;
}

void decode_digit_codes(const std::array<int, 6>& codes, int& value, bool& all_digits) {
  value = 0;
  for (int c : codes) {
    if (c > 10) {
      all_digits = false;
      return;
    }
    if (c == 0) continue;
    value = value * 10 + (c - 1);
  }
  all_digits = true;
}

std::string packed_name_text(Engine& e, int4 packed) { return std::string(unpack_name_chars(e, packed).view()); }

void unpack_name_number(Engine& e, int4 packed, int& value, bool& all_digits) {
  std::array<int, 6> codes{};
  decode_packed_name(e, packed, codes);
  decode_digit_codes(codes, value, all_digits);
}

namespace {

struct ClassInfo {
  std::string_view text;    // 10 characters
  std::string_view prefix;  // 2 characters
};

ClassInfo class_info(int cls) {
  switch (cls) {
    case k_class_queue: return {"    Queue ", " Q"};
    case k_class_address: return {"   Address", " N"};
    case k_class_storage:
    case k_class_station: return {"   Storage", " S"};
    case k_class_function: return {"  Function", "FN"};
    case k_class_definition: return {"Definition", " V"};
    case k_class_savevalue: return {" Savevalue", " X"};
    default: return {"   Address", " W"};
  }
}

// Index of the first entry equal to name among entries 1..count, 0 if none.
template <std::size_t N>
int search_names(const std::array<int4, N>& table, int count, int4 name) {
  const int last = std::min(count, static_cast<int>(N) - 1);
  for (int k = 1; k <= last; ++k) {
    if (table[static_cast<std::size_t>(k)] == name) return k;
  }
  return 0;
}

int search_class(const Engine& e, int cls, int4 name) {
  switch (cls) {
    case k_class_queue:
      return search_names(e.ent.q.queue_name, std::max(e.ent.q.queue_count, e.ent.q.queue_name_count), name);
    case k_class_address:
    case k_class_w_address: return search_names(e.blocks.block_label, e.blocks.block_count, name);
    case k_class_storage:
    case k_class_station: return search_names(e.ent.st.station_name, e.ent.st.station_name_count, name);
    case k_class_function: return search_names(e.ent.fn.function_name, e.ent.fn.function_count, name);
    case k_class_definition: return search_names(e.expr.defn_name, e.expr.defn_count, name);
    default: return search_names(e.ent.sv.savevalue_name, e.ent.sv.savevalue_count, name);
  }
}

}  // namespace

void find_entity_number(Engine& e, int cls, int4 name, int& mode, int& number) {
  ControlState& c = e.ctl;
  if (cls < k_class_queue || cls > k_class_w_address) {
    int value = 0;
    bool digits = false;
    unpack_name_number(e, name, value, digits);
    if (digits) {
      number = value;
    } else {
      write_error_message(e, " Integer expected in operand");
      c.error_found = true;
      number = -999;
    }
    return;
  }
  if (cls == k_class_function && mode == k_mode_function_definition) {
    write_error_message(e, " Function definition cannot have other function as A operand");
    c.error_found = true;
    return;
  }
  if (const int k = search_class(e, cls, name); k > 0) {
    number = k;
    return;
  }
  if (cls == k_class_function) {
    if (e.hooks.define_expression_ref != nullptr && e.hooks.define_expression_ref(e, name, number)) return;
    const Text6 text = unpack_name_chars(e, name);
    // Only the names MIN and MAX are the functions FN$MIN and FN$MAX.
    if (text == "MIN" || text == "MAX") {
      e.cs.flags.minmax_function_char = text.at(3);
      return;
    }
  }
  if (cls == k_class_savevalue && mode == k_mode_maybe_savevalue) {
    mode = k_mode_not_savevalue;
    return;
  }
  if (mode == k_mode_missing_allowed) {
    number = -1;
    return;
  }
  if (mode == k_mode_deferred && e.cs.flags.deferred_check_flag) {
    number = -1;
    c.error_found = true;
    return;
  }
  const ClassInfo info = class_info(cls);
  const Text6 text = unpack_name_chars(e, name);
  const int unit = open_error_unit(e);
  e.ch.write(unit, io::Rec().x(1).a(info.text, 10).lit(" of ").a(info.prefix, 2).lit("$").lit(text.view()).lit(" missing"));
  if (info.prefix == " S") e.ch.write(unit, io::Rec().lit("   or station ").lit(text.view()).lit(" missing"));
  c.error_found = true;
}

}  // namespace kelvo
