// Looking up one value in the text of an INI file by the Windows profile
// rules: sections and keys compared without regard to case, the first match
// wins, the value trimmed of blanks and tabs, one pair of surrounding quotes
// (double or single) removed, the result cut to 1023 characters.
#ifndef SRVLAUNCH_INI_PARSER_H
#define SRVLAUNCH_INI_PARSER_H

#include <optional>
#include <string>
#include <string_view>

namespace srvlaunch {

// The value of `key` in `section` of the INI text, or none when absent.
std::optional<std::string> IniLookup(std::string_view ini_text, std::string_view section,
                                     std::string_view key);

}  // namespace srvlaunch

#endif
