// Splitting a Windows-style command line into arguments, and locating the
// program it names relative to the caller's directory and PATH.
#include "command_line.h"

namespace spawnlib {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string join_path(const std::string& dir, const std::string& name) {
  if (dir.empty() || dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view line) {
  std::vector<std::string> args;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && is_blank(line[i])) ++i;
  if (i == n) return args;

  // The program name: quotes toggle quoting and are dropped, backslashes
  // are plain characters (a file name cannot hold a quote).
  std::string prog;
  bool quoted = false;
  for (; i < n; ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && is_blank(c)) {
      break;
    } else {
      prog += c;
    }
  }
  args.push_back(prog);

  for (;;) {
    while (i < n && is_blank(line[i])) ++i;
    if (i == n) break;
    std::string arg;
    quoted = false;
    while (i < n) {
      size_t slashes = 0;
      while (i < n && line[i] == '\\') {
        ++slashes;
        ++i;
      }
      if (i < n && line[i] == '"') {
        arg.append(slashes / 2, '\\');
        if (slashes % 2 == 1) {
          arg += '"';  // escaped quote
          ++i;
        } else if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
        continue;
      }
      arg.append(slashes, '\\');
      if (i == n || (!quoted && is_blank(line[i]))) break;
      arg += line[i];
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string resolve_program(const std::string& program, const std::string& caller_dir,
                            const char* path_env,
                            const std::function<bool(const std::string&)>& is_executable) {
  if (program.empty()) return "";
  if (program.front() == '/') return is_executable(program) ? program : "";
  if (program.find('/') != std::string::npos) {
    const std::string full = join_path(caller_dir, program);
    return is_executable(full) ? full : "";
  }
  const std::string here = join_path(caller_dir, program);
  if (is_executable(here)) return here;
  if (path_env == nullptr) return "";
  const std::string_view path(path_env);
  size_t start = 0;
  for (;;) {
    const size_t end = path.find(':', start);
    std::string dir(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    if (dir.empty() || dir.front() != '/') dir = dir.empty() ? caller_dir : join_path(caller_dir, dir);
    const std::string candidate = join_path(dir, program);
    if (is_executable(candidate)) return candidate;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return "";
}

}  // namespace spawnlib
