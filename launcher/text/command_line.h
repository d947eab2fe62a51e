// Splitting of command lines and ';' lists.
//   SplitCommandLine: a Windows-style command line (blanks separate
//   arguments, double quotes group) into its argument strings.
//   SplitList: a text into its non-empty tokens at any separator character.
#ifndef SRVLAUNCH_COMMAND_LINE_H
#define SRVLAUNCH_COMMAND_LINE_H

#include <string>
#include <string_view>
#include <vector>

namespace srvlaunch {

// Splits `text` into arguments. With `reserve_first` the result begins with
// one empty slot, so a text of n arguments gives n + 1 entries.
std::vector<std::string> SplitCommandLine(std::string_view text, bool reserve_first);

// The tokens of `text` between any of the `separators`; empty tokens are skipped.
std::vector<std::string> SplitList(std::string_view text, std::string_view separators);

}  // namespace srvlaunch

#endif
