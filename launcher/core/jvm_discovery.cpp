// The search for the Java runtime library.
#include "jvm_discovery.h"

#include <algorithm>
#include <iterator>

#include "launcher_config.h"
#include "launcher_state.h"
#include "messages.h"
#include "platform/platform.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

constexpr std::size_t kMaxPath = 259;        // candidate paths live in 260-byte buffers
constexpr std::size_t kMaxVersionName = 255;  // registry names and versions: 256 bytes

// The registry keys below HKEY_LOCAL_MACHINE, index 0 to 5.
constexpr const char* kJavaRegistryKeys[6] = {
    "Software\\JavaSoft\\Java Runtime Environment", "Software\\IBM\\Java2 Runtime Environment",
    "Software\\JRockit\\Java Runtime Environment",  "Software\\JavaSoft\\Java Development Kit",
    "Software\\IBM\\Java Development Kit",          "Software\\JRockit\\Java Development Kit",
};
constexpr int kFirstRuntimeKey = 0;  // three runtime keys from here
constexpr int kRuntimeKeyCount = 3;
constexpr int kJavaSoftJdkKey = 3;   // the IBM development kit follows it
constexpr int kJrockitJdkKey = 5;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The first present entry of jvm_path_list.
bool FindConfiguredJvm(std::string& out) {
  for (const std::string& entry : SplitList(config.jvm_path_list, ";")) {
    if (platform::FilePresent(entry)) {
      out = entry;
      return true;
    }
  }
  return false;
}

// JAVA_HOME and the runtime library below it; the candidate is shown to
// the user whether it is there or not.
bool FindJvmFromJavaHome(std::string& out) {
  std::string home;
  if (!platform::GetEnv("JAVA_HOME", home)) home.clear();
  std::string cleaned;
  for (char c : home) {
    if (c != '"') cleaned.push_back(c);
  }
  if (cleaned.size() > kMaxPath) cleaned.resize(kMaxPath);
  const std::string candidate = cleaned + platform::kJavaHomeJvmSubPath;
  // The candidate is a path: it is an argument, never a format.
  ShowInfoMessage("%s", {platform::NativePath(candidate)});
  if (!platform::FilePresent(candidate)) return false;
  out = candidate;
  return true;
}

}  // namespace

bool CheckRegistryJavaVersion(const std::string& key_path, const std::string& version,
                              std::string& out, const std::string& jdk_sub_path) {
  // Major number: character 1; minor number: character 3. A name too short
  // or without digits there is no version.
  if (version.size() < 3 || !IsDigit(version[0]) || !IsDigit(version[2])) return false;
  const int major = version[0] - '0';
  const int minor = version[2] - '0';
  const std::uint32_t required = ParseHex(config.jni_version_text);
  const int required_major = static_cast<int>(required >> 16);
  const int required_minor = static_cast<int>(required & 0xF);
  // Compared separately, as the version test has always done.
  if (major < required_major || minor < required_minor) return false;

  const std::string key = key_path + "\\" + version;
  state.registry_java_home.clear();
  if (platform::ReadRegistryString(key, "JavaHome", state.registry_java_home, kMaxPath) != 0) {
    state.registry_java_home.clear();
  }
  out.clear();
  if (platform::ReadRegistryString(key, "RuntimeLib", out, kMaxPath) != 0) out.clear();
  if (!out.empty() && platform::FilePresent(out)) return true;

  if (state.registry_java_home.empty()) return false;
  const std::vector<std::string> list = SplitList(config.jvm_path_list, ";");
  if (!list.empty()) {
    out = state.registry_java_home + "\\" + list.front();
    if (platform::FilePresent(out)) return true;
  }
  if (!jdk_sub_path.empty()) {
    out = state.registry_java_home + "\\" + jdk_sub_path;
    if (platform::FilePresent(out)) return true;
  }
  out.clear();
  return false;
}

bool FindJvmInRegistry(std::string& out, int first, int count, const std::string& jdk_sub_path) {
  const int end = std::min(first + count, static_cast<int>(std::size(kJavaRegistryKeys)));
  for (int index = first; index < end; ++index) {
    const std::string key = kJavaRegistryKeys[index];
    std::string current;
    if (platform::ReadRegistryString(key, "CurrentVersion", current, kMaxVersionName) == 0 &&
        CheckRegistryJavaVersion(key, current, out, jdk_sub_path)) {
      return true;
    }
    std::vector<std::string> versions;
    if (!platform::RegistrySubKeys(key, versions)) continue;
    for (std::string& version : versions) {
      if (version.size() > kMaxVersionName) version.resize(kMaxVersionName);
      if (CheckRegistryJavaVersion(key, version, out, jdk_sub_path)) return true;
    }
  }
  return false;
}

bool FindJvmLibrary(std::string& out) {
  for (char method : config.jvm_search_order) {
    bool found = false;
    switch (method) {
      case '0':  // the configured list
        found = FindConfiguredJvm(out);
        break;
      case '1':  // the runtime keys
        found = FindJvmInRegistry(out, kFirstRuntimeKey, kRuntimeKeyCount, "");
        break;
      case '2':  // the client library of a development kit
        found = FindJvmInRegistry(out, kJavaSoftJdkKey, 1, platform::kJdkClientSubPath) ||
                FindJvmInRegistry(out, kJrockitJdkKey, 1, platform::kJdkJrockitSubPath);
        break;
      case '3':  // the server library of a development kit
        found = FindJvmInRegistry(out, kJavaSoftJdkKey, 1, platform::kJdkServerSubPath);
        break;
      case '4':  // the classic library of a development kit, also IBM's
        found = FindJvmInRegistry(out, kJavaSoftJdkKey, 2, platform::kJdkClassicSubPath);
        break;
      case '5':  // JAVA_HOME
        found = FindJvmFromJavaHome(out);
        break;
      default:
        break;  // not a method: skipped
    }
    if (found) return true;
  }
  return false;
}

std::string ExtendedPathValue(const std::string& path_value, const std::string& library_path) {
  std::string value = path_value;
  const char sep = platform::kClassPathSeparator;
  if (!value.empty() && value.back() != sep) value.push_back(sep);
  std::string path = library_path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  const std::size_t last = path.rfind('\\');
  if (last != std::string::npos && last >= 1) {
    value += platform::NativePath(path.substr(0, last));
    value.push_back(sep);
  }
  return value;
}

}  // namespace srvlaunch
