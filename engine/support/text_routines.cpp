// Fixed-field helpers and the names of the files named after the model.
#include "support/text_routines.h"

#include <string>

#include "model/engine.h"

namespace kelvo {

void upcase_field6(Text6& f) {
  for (char& c : f.c) upcase_char(c);
}

bool usable_model_name(std::string_view name) {
  if (trim_blanks(name).empty()) return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < ' ') return false;
  }
  return true;
}

namespace {

// A name whose first part (up to its first '.' or blank) is one of the
// Windows device names, in any letter case: there every file named after
// it would be the device (NUL.TXT writes nothing, CON the console).
bool device_name(std::string_view name) {
  const auto first = name.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  std::string stem(name.substr(first, name.find_first_of(". ", first) - first));
  for (char& c : stem) upcase_char(c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" || stem == "CONOUT$") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && is_digit_char(stem[3]);
}

}  // namespace

bool plain_file_name(std::string_view name) {
  return usable_model_name(name) && name.find_first_of("/\\:") == std::string_view::npos &&
         name.find("..") == std::string_view::npos && !device_name(name);
}

Text129 model_name_with_extension(Engine& e, std::string_view ext) {
  int pos = 0;
  Text129 name = get_program_base_name(e, pos);
  for (int k = 0; k < static_cast<int>(ext.size()); ++k) name.set(pos + 1 + k, ext[static_cast<std::size_t>(k)]);
  return name;
}

Text129 user_model_name_with_extension(Engine& e, std::string_view ext) {
  ControlState& c = e.ctl;
  const Text125 running = c.program_file_name;
  const bool txt = c.txt_extension_flag, listing = c.listing_file_flag;
  if (!c.saved_program_name.is_blank()) c.program_file_name = c.saved_program_name;
  const Text129 name = model_name_with_extension(e, ext);
  c.program_file_name = running;
  c.txt_extension_flag = txt;
  c.listing_file_flag = listing;
  return name;
}

Text129 get_program_base_name(Engine& e, int& dot) {
  ControlState& c = e.ctl;
  Text129 buf(c.program_file_name.view());
  int first = 1;
  while (first <= Text125::size && buf.at(first) == ' ') ++first;
  int end = first;  // one past the name's last column
  while (end <= Text125::size && buf.at(end) != ' ') ++end;
  for (int col = end; col <= Text129::size; ++col) buf.set(col, ' ');
  // The last '.' of the last path component.
  int last_dot = 0;
  for (int col = first; col < end; ++col) {
    const char ch = buf.at(col);
    if (ch == '/' || ch == '\\') last_dot = 0;
    if (ch == '.') last_dot = col;
  }
  if (last_dot == 0) {
    buf.set(end, '.');
    dot = end;
    return buf;
  }
  const char x1 = upcased(buf.at(last_dot + 1));
  const char x2 = upcased(buf.at(last_dot + 2));
  const char x3 = upcased(buf.at(last_dot + 3));
  if (x1 == 'T' && x2 == 'X' && x3 == 'T') {
    c.txt_extension_flag = true;
    for (int col = last_dot + 1; col <= Text129::size; ++col) buf.set(col, ' ');
    dot = last_dot;
    return buf;
  }
  c.txt_extension_flag = false;
  if ((x1 == 'R' && x2 == 'E' && x3 == 'S') || (x1 == 'S' && x2 == 'L' && x3 == 'T')) c.listing_file_flag = true;
  for (int col = last_dot; col < end - 1; ++col) buf.set(col, buf.at(col + 1));
  buf.set(end - 1, '.');
  dot = end - 1;
  return buf;
}

std::string model_file_name(Engine& e, std::string_view extension) {
  return std::string(model_name_with_extension(e, extension).trimmed());
}

}  // namespace kelvo
