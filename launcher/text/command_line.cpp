// Splitting of command lines and ';' lists.
#include "command_line.h"

namespace srvlaunch {

std::vector<std::string> SplitCommandLine(std::string_view text, bool reserve_first) {
  std::vector<std::string> args;
  if (reserve_first) args.emplace_back();
  if (text.empty()) return args;

  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;

  // Every blank outside quotes ends an argument; two blanks in a row give an
  // empty argument between them, trailing blanks give none.
  bool in_quotes = false;
  bool last_was_cut = false;
  std::size_t start = pos;
  auto add = [&args](std::string_view piece) {
    std::string arg(piece);
    if (!arg.empty() && arg.front() == '"') {
      arg.erase(0, 1);
      // The closing quote goes only when there is one: a lone quote or an
      // unclosed one never costs a character of the argument.
      if (!arg.empty() && arg.back() == '"') arg.pop_back();
    }
    args.push_back(std::move(arg));
  };
  for (std::size_t i = pos; i < text.size(); ++i) {
    const char c = text[i];
    last_was_cut = false;
    if (c == '"') {
      in_quotes = !in_quotes;
    } else if (c == ' ' && !in_quotes) {
      add(text.substr(start, i - start));
      start = i + 1;
      last_was_cut = true;
    }
  }
  if (!last_was_cut) add(text.substr(start));
  return args;
}

std::vector<std::string> SplitList(std::string_view text, std::string_view separators) {
  std::vector<std::string> tokens;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) tokens.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

}  // namespace srvlaunch
