// The class-path option and the expansion of %NAME% references.
#include "class_path.h"

#include <vector>

#include "launcher_state.h"
#include "messages.h"
#include "platform/platform.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

// Deeper directory trees are not searched for archives.
constexpr int kMaxDirectoryDepth = 32;

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool HasArchiveExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext;
  for (std::size_t i = name.size() - 4; i < name.size(); ++i) ext.push_back(Upper(name[i]));
  return ext == ".JAR" || ext == ".ZIP";
}

// A class-path entry in the form used to compare entries: separators as
// '\', a leading ".\" removed, upper case.
std::string ComparableEntry(std::string_view entry) {
  std::string out;
  for (char c : entry) out.push_back(c == '/' ? '\\' : Upper(c));
  while (out.size() > 2 && out[0] == '.' && out[1] == '\\') out.erase(0, 2);
  return out;
}

bool ListContains(const std::string& list, const std::string& entry) {
  const std::string wanted = ComparableEntry(entry);
  for (const std::string& e : SplitList(list, ";")) {
    if (ComparableEntry(e) == wanted) return true;
  }
  return false;
}

// Appends "dir\name;" to `text` for every archive in `dir` and its
// sub-directories that is not on the list yet; false after the report when
// a directory cannot be listed.
bool ExpandClassPathDirectory(std::string& text, std::string dir, int depth) {
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  std::vector<platform::DirEntry> entries;
  switch (platform::ListDirectory(dir.empty() ? "." : dir, entries)) {
    case platform::ListResult::kStartFailed:
      ShowErrorWithReason(kRC000001);
      return false;
    case platform::ListResult::kNextFailed:
      ShowErrorWithReason(kRC000002);
      return false;
    case platform::ListResult::kOk:
      break;
  }
  for (const platform::DirEntry& e : entries) {
    const std::string path = dir + "\\" + e.name;
    if (e.directory) {
      // Links could lead back up the tree: they are not followed.
      if (e.link || depth >= kMaxDirectoryDepth) continue;
      if (!ExpandClassPathDirectory(text, path, depth + 1)) return false;
    } else if (HasArchiveExtension(e.name) && !ListContains(text, path)) {
      text += path;
      text += ';';
    }
  }
  return true;
}

// -1 when nothing of that name exists; 1 for a directory; 0 for a file or
// an entry that holds a '%' reference.
int ClassPathEntryKind(const std::string& entry) {
  if (entry.find('%') != std::string::npos) return 0;
  return platform::PathKind(entry);
}

}  // namespace

bool BuildClassPathOption() {
  std::string options = config.jvm_options;
  std::string class_path;
  for (const std::string& entry : SplitList(config.class_path, ";")) {
    class_path += entry;
    class_path += ';';
    if (ClassPathEntryKind(entry) == 1) {
      if (!ExpandClassPathDirectory(class_path, entry, 0)) return false;
    }
  }
  if (!class_path.empty()) {
    if (class_path.back() == ';') class_path.pop_back();
    // The list in the platform's own form: its separator and its paths.
    std::string native;
    for (const std::string& e : SplitList(class_path, ";")) {
      if (!native.empty()) native.push_back(platform::kClassPathSeparator);
      native += platform::NativePath(e);
    }
    options += " \"-Djava.class.path=";
    options += native;
    options += '"';
  }
  config.jvm_options = ExpandEnvironmentReferences(options);
  return true;
}

std::string ExpandEnvironmentReferences(std::string_view text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c != '%') {
      out.push_back(c);
      ++i;
      continue;
    }
    const std::size_t close = text.find('%', i + 1);
    if (close == std::string_view::npos) {
      ++i;  // an unpaired '%' is dropped
      continue;
    }
    const std::string name(text.substr(i + 1, close - i - 1));
    if (name == "JAVA_HOME") {
      out += state.registry_java_home;
    } else {
      std::string value;
      if (!name.empty() && platform::GetEnv(name, value)) {
        if (!value.empty() && value.front() == '"') value.erase(0, 1);
        if (!value.empty() && value.back() == '"') value.pop_back();
        out += value;
      }
    }
    i = close + 1;
  }
  return out;
}

}  // namespace srvlaunch
