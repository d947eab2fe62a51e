// The POSIX stand-ins for Windows facilities that Linux does not have:
// string resources (compiled in, with an optional side file next to the
// executable), INI files, the registry and the event log (text files under
// $SRVLAUNCH_SIM_ROOT), message boxes and the details dialog (standard error
// and $SRVLAUNCH_MESSAGE_LOG), and the Windows 9x console, which never
// applies here.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "core/ini_parser.h"
#include "core/string_table.h"
#include "platform/platform.h"

namespace platform {

namespace {

// Text files of the stand-ins use these escapes: \\ \t \n \r.
std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out.push_back(s[i]);
      continue;
    }
    const char c = s[++i];
    switch (c) {
      case 'n': out.push_back('\n'); break;
      case 't': out.push_back('\t'); break;
      case 'r': out.push_back('\r'); break;
      case '\\': out.push_back('\\'); break;
      default:
        out.push_back('\\');
        out.push_back(c);
    }
  }
  return out;
}

std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

// Files are opened close-on-exec, so a started program never inherits them.
bool ReadFile(const std::string& path, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  out.clear();
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    out.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    pos = end + 1;
  }
  return lines;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', pos);
    fields.push_back(line.substr(pos, tab == std::string::npos ? std::string::npos : tab - pos));
    if (tab == std::string::npos) break;
    pos = tab + 1;
  }
  return fields;
}

void AppendToFile(const std::string& path, const std::string& text) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

std::string SimRoot() {
  const char* root = std::getenv("SRVLAUNCH_SIM_ROOT");
  return root != nullptr ? std::string(root) : std::string();
}

// ---- string resources ----

std::once_flag strings_once;
std::map<unsigned, std::string> strings;

void LoadStrings() {
#define SRVLAUNCH_ADD_STRING(id, text) strings[id] = text;
  SRVLAUNCH_STRING_TABLE(SRVLAUNCH_ADD_STRING)
#undef SRVLAUNCH_ADD_STRING
  std::string exe;
  if (!exe_path(exe)) return;
  const std::string side = exe.substr(0, exe.find_last_of('/') + 1) + "srvlaunch.strings";
  std::string text;
  if (!ReadFile(side, text)) return;
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

// ---- registry ----

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string KeyForm(const std::string& key) {
  std::string out;
  for (char c : key) out.push_back(Upper(c));
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

struct RegistryValue {
  std::string key;  // as written
  std::string name;
  std::string type;
  std::string data;
};

bool LoadRegistry(std::vector<RegistryValue>& values) {
  const std::string root = SimRoot();
  if (root.empty()) return false;
  std::string text;
  if (!ReadFile(root + "/registry.txt", text)) return false;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f = SplitTabs(line);
    RegistryValue v;
    v.key = f[0];
    if (f.size() >= 4) {
      v.name = f[1];
      v.type = f[2];
      v.data = Unescape(f[3]);
    }
    values.push_back(std::move(v));
  }
  return true;
}

// True when `key` is `wanted` or lies below it; `rest` gets what follows.
bool KeyUnder(const std::string& key, const std::string& wanted, std::string& rest) {
  const std::string k = KeyForm(key);
  if (k == wanted) {
    rest.clear();
    return true;
  }
  if (k.size() > wanted.size() && k.compare(0, wanted.size(), wanted) == 0 && k[wanted.size()] == '\\') {
    rest = key.substr(wanted.size() + 1);
    return true;
  }
  return false;
}

// ---- event log ----

std::mutex event_mutex;
std::string event_source;
bool event_open = false;

}  // namespace

std::string load_string(unsigned id) {
  // Messages read while a failure is being reported must not change the
  // error that the report is about.
  const int saved_errno = errno;
  std::call_once(strings_once, LoadStrings);
  const auto it = strings.find(id);
  errno = saved_errno;
  return it == strings.end() ? std::string() : it->second;
}

std::string ini_get(const std::string& path, const std::string& section, const std::string& key) {
  std::string text;
  if (!ReadFile(native_path(path), text)) return std::string();
  return srvlaunch::IniLookup(text, section, key).value_or(std::string());
}

int registry_read_string(const std::string& key, const std::string& name, std::string& out,
                         std::size_t max_chars) {
  std::vector<RegistryValue> values;
  if (!LoadRegistry(values)) return -1;
  const std::string wanted = KeyForm(key);
  bool key_exists = false;
  std::string rest;
  for (const RegistryValue& v : values) {
    if (!KeyUnder(v.key, wanted, rest)) continue;
    key_exists = true;
    if (!rest.empty() || v.type.empty() || KeyForm(v.name) != KeyForm(name)) continue;
    if (v.type != "REG_SZ" && v.type != "REG_EXPAND_SZ") return 1;
    out = v.data.substr(0, std::min(max_chars, v.data.find('\0')));
    return 0;
  }
  return key_exists ? 1 : -1;
}

bool registry_subkeys(const std::string& key, std::vector<std::string>& names) {
  std::vector<RegistryValue> values;
  if (!LoadRegistry(values)) return false;
  const std::string wanted = KeyForm(key);
  bool key_exists = false;
  std::map<std::string, std::string> found;  // upper-case form -> name as written
  std::string rest;
  for (const RegistryValue& v : values) {
    if (!KeyUnder(v.key, wanted, rest)) continue;
    key_exists = true;
    if (rest.empty()) continue;
    const std::string child = rest.substr(0, rest.find('\\'));
    found.emplace(KeyForm(child), child);
  }
  names.clear();
  for (const auto& [upper, name] : found) names.push_back(name);
  return key_exists;
}

bool event_source_open(const std::string& source) {
  std::lock_guard<std::mutex> guard(event_mutex);
  if (source.empty()) return false;
  event_source = source;
  event_open = true;
  return true;
}

bool event_source_is_open() {
  std::lock_guard<std::mutex> guard(event_mutex);
  return event_open;
}

bool event_report(bool error, unsigned long event_id, const std::string& text) {
  std::lock_guard<std::mutex> guard(event_mutex);
  if (!event_open) return false;
  char id[16];
  std::snprintf(id, sizeof id, "0x%08lX", event_id);
  const std::string line =
      event_source + "|" + (error ? "ERROR" : "INFORMATION") + "|" + id + "|" + Escape(text) + "\n";
  const std::string root = SimRoot();
  if (root.empty()) {
    std::fputs(line.c_str(), stderr);
    return true;
  }
  ::mkdir((root + "/eventlog").c_str(), 0755);
  AppendToFile(root + "/eventlog/Application.log", line);
  return true;
}

void allow_set_foreground() {}

namespace {

void ShowText(const std::string& text) {
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
  if (const char* log = std::getenv("SRVLAUNCH_MESSAGE_LOG"); log != nullptr && *log != '\0') {
    AppendToFile(log, text);
  }
}

}  // namespace

void message_box(bool error, const std::string& text) {
  ShowText(std::string(error ? "Error: " : "Information: ") + text + "\n");
}

void details_dialog(const std::string& message, const std::string& details) {
  ShowText("Error: " + message + "\n\nDetails:\n" + details + "\n");
}

bool is_win9x() { return false; }
int hide_console_9x() { return 0; }
void install_quit_hook_9x() {}
void remove_quit_hook_9x() {}
int read_console_9x(std::string& out) {
  out.clear();
  return 0;
}
int clear_console_9x() { return 0; }

}  // namespace platform
