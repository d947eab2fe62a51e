// The registry below HKEY_LOCAL_MACHINE on POSIX: the text file
// $SRVLAUNCH_SIM_ROOT/registry.txt, one value a line as
// key<TAB>name<TAB>type<TAB>data (data with the escapes of
// posix_text_file.h); a line with only a key makes the key. Keys and value
// names are compared without regard to case, as Windows does.
#include <algorithm>
#include <map>

#include "platform/platform.h"
#include "platform/posix/posix_text_file.h"

namespace platform {

namespace {

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
  const std::string root = FacilityFilesRoot();
  if (root.empty()) return false;
  std::string text;
  if (!ReadTextFile(root + "/registry.txt", text)) return false;
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

}  // namespace

int ReadRegistryString(const std::string& key, const std::string& name, std::string& out,
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

bool RegistrySubKeys(const std::string& key, std::vector<std::string>& names) {
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

}  // namespace platform
