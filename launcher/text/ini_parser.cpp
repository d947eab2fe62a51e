// INI look-up by the Windows profile rules.
#include "ini_parser.h"

namespace srvlaunch {

namespace {

constexpr std::size_t kMaxValue = 1023;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> IniLookup(std::string_view ini_text, std::string_view section,
                                     std::string_view key) {
  bool in_section = false;
  bool section_seen = false;
  std::size_t pos = 0;
  while (pos < ini_text.size()) {
    std::size_t end = ini_text.find('\n', pos);
    if (end == std::string_view::npos) end = ini_text.size();
    std::string_view line = Trim(ini_text.substr(pos, end - pos));
    pos = end + 1;

    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      if (close == std::string_view::npos) continue;
      // Only the first section of the name is searched, as Windows does.
      const bool match = SameText(Trim(line.substr(1, close - 1)), section);
      if (in_section && !match) return std::nullopt;
      in_section = match && !section_seen;
      if (match) section_seen = true;
      continue;
    }
    if (!in_section) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    if (!SameText(Trim(line.substr(0, eq)), key)) continue;

    std::string_view value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kMaxValue) value = value.substr(0, kMaxValue);
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace srvlaunch
