// The registry below HKEY_LOCAL_MACHINE on POSIX: the text file
// $SRVLAUNCH_SIM_ROOT/registry.txt, one value a line as
// key<TAB>name<TAB>type<TAB>data (data with the escapes of
// posix_text_file.h); a line with only a key makes the key. Keys and value
// names are compared without regard to case, as Windows does. A change
// rewrites the whole file in one step.
#include <algorithm>
#include <cerrno>
#include <map>

#include "platform/platform.h"
#include "platform/posix/posix_registry_file.h"
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

// A value, a key alone (no type), or a comment or empty line kept as it
// is in `data` (no key).
struct RegistryValue {
  std::string key;  // as written
  std::string name;
  std::string type;
  std::string data;
};

std::string RegistryPath() { return FacilityFilesRoot() + "/registry.txt"; }

// False when there is no root directory; a missing file is an empty registry.
bool LoadRegistry(std::vector<RegistryValue>& values) {
  if (FacilityFilesRoot().empty()) {
    errno = kErrorNoFacilityRoot;
    return false;
  }
  std::string text;
  if (!ReadTextFile(RegistryPath(), text)) return true;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '#') {
      values.push_back(RegistryValue{"", "", "", line});
      continue;
    }
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
  if (key.empty()) return false;  // a comment
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

namespace {

bool SaveRegistry(const std::vector<RegistryValue>& values) {
  std::string text;
  for (const RegistryValue& v : values) {
    text += v.key.empty() ? v.data : v.key;
    if (!v.key.empty() && !v.type.empty()) text += "\t" + v.name + "\t" + v.type + "\t" + Escape(v.data);
    text += '\n';
  }
  return ReplaceFile(RegistryPath(), text);
}

bool KeyExists(const std::vector<RegistryValue>& values, const std::string& wanted) {
  std::string rest;
  return std::any_of(values.begin(), values.end(),
                     [&](const RegistryValue& v) { return KeyUnder(v.key, wanted, rest); });
}

}  // namespace

int CreateRegistryKey(const std::string& key) {
  std::vector<RegistryValue> values;
  if (!LoadRegistry(values)) return -1;
  if (KeyExists(values, KeyForm(key))) return 0;
  RegistryValue v;
  v.key = key;
  values.push_back(std::move(v));
  return SaveRegistry(values) ? 0 : -1;
}

int WriteRegistryValue(const std::string& key, const std::string& name, const std::string& type,
                       const std::string& data) {
  std::vector<RegistryValue> values;
  if (!LoadRegistry(values)) return -1;
  const std::string wanted = KeyForm(key);
  if (!KeyExists(values, wanted)) {
    errno = ENOENT;
    return -1;
  }
  auto same = [&](const RegistryValue& v) {
    return !v.key.empty() && !v.type.empty() && KeyForm(v.key) == wanted && KeyForm(v.name) == KeyForm(name);
  };
  const auto it = std::find_if(values.begin(), values.end(), same);
  if (it != values.end()) {
    it->type = type;
    it->data = data;
  } else {
    values.push_back(RegistryValue{key, name, type, data});
  }
  return SaveRegistry(values) ? 0 : 1;
}

int WriteRegistryExpandString(const std::string& key, const std::string& name, const std::string& text) {
  return WriteRegistryValue(key, name, "REG_EXPAND_SZ", text);
}

int WriteRegistryDword(const std::string& key, const std::string& name, std::uint32_t value) {
  return WriteRegistryValue(key, name, "REG_DWORD", std::to_string(value));
}

bool DeleteRegistryTree(const std::string& key) {
  std::vector<RegistryValue> values;
  if (!LoadRegistry(values)) return false;
  const std::string wanted = KeyForm(key);
  if (!KeyExists(values, wanted)) {
    errno = ENOENT;
    return false;
  }
  std::string rest;
  values.erase(std::remove_if(values.begin(), values.end(),
                              [&](const RegistryValue& v) { return KeyUnder(v.key, wanted, rest); }),
               values.end());
  return SaveRegistry(values);
}

}  // namespace platform
