// String resources, data resources and INI files on POSIX. The string table
// is compiled in; a file "srvlaunch.strings" next to the executable (lines
// of id<TAB>text, with the escapes of posix_text_file.h; '#' starts a
// comment) overrides single ids. Data resource id is the file
// "srvlaunch.rcdata.<id>" next to the executable, byte for byte. INI files
// are read by the Windows profile rules.
#include <cerrno>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/platform.h"
#include "platform/posix/posix_text_file.h"
#include "text/ini_parser.h"
#include "text/string_table.h"

namespace platform {

namespace {

// The path of a file next to the executable; false when it cannot be had.
bool SideFilePath(const std::string& name, std::string& path) {
  std::string exe;
  if (!ExePath(exe)) return false;
  path = exe.substr(0, exe.find_last_of('/') + 1) + name;
  return true;
}

std::once_flag strings_once;
std::map<unsigned, std::string> strings;

void LoadStrings() {
#define SRVLAUNCH_ADD_STRING(id, text) strings[id] = text;
  SRVLAUNCH_STRING_TABLE(SRVLAUNCH_ADD_STRING)
#undef SRVLAUNCH_ADD_STRING
  std::string side;
  if (!SideFilePath("srvlaunch.strings", side)) return;
  std::string text;
  if (!ReadTextFile(side, text)) return;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    const std::string id_text = line.substr(0, tab);
    char* end = nullptr;
    const unsigned long id = std::strtoul(id_text.c_str(), &end, 10);
    if (end == id_text.c_str()) continue;
    strings[static_cast<unsigned>(id)] = tab == std::string::npos ? std::string() : Unescape(line.substr(tab + 1));
  }
}

}  // namespace

std::string ResourceString(unsigned id) {
  // Messages read while a failure is being reported must not change the
  // error that the report is about.
  const int saved_errno = errno;
  std::call_once(strings_once, LoadStrings);
  const auto it = strings.find(id);
  errno = saved_errno;
  return it == strings.end() ? std::string() : it->second;
}

bool ResourceData(unsigned id, std::string& out) {
  std::string path;
  return SideFilePath("srvlaunch.rcdata." + std::to_string(id), path) && ReadTextFile(path, out);
}

std::string IniValue(const std::string& path, const std::string& section, const std::string& key) {
  std::string text;
  if (!ReadTextFile(NativePath(path), text)) return std::string();
  return srvlaunch::IniLookup(text, section, key).value_or(std::string());
}

}  // namespace platform
