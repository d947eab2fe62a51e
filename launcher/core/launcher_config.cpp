// Reading of the launcher's configuration.
#include "launcher_config.h"

#include <algorithm>
#include <climits>

#include "embedded_jars.h"
#include "launcher_state.h"
#include "messages.h"
#include "platform/platform.h"
#include "text/command_line.h"

namespace srvlaunch {

namespace {

// The key of the stored values: 16 characters and a NUL, so every
// seventeenth byte stays as it is.
constexpr char kCipherKey[17] = {'Q', 'b', '7', 't', 'K', 'w', '4', '1', 'R',
                                 'z', 'p', '0', 'H', 'x', '9', '3', '\0'};
constexpr std::size_t kDecipherBuffer = 256;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string LoadResourceString(unsigned id) { return platform::ResourceString(id); }

bool ParseFlag(std::string_view text) { return text.empty() || text.front() != '0'; }

std::int32_t ParseDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > INT32_MAX) value = static_cast<std::int64_t>(INT32_MAX) + 1;  // saturate
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<std::int32_t>(value);
}

std::uint32_t ParseHex(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
  std::uint32_t value = 0;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    const bool digit = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (!digit) break;
    value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(c));
  }
  return value;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

std::string DecipherConfigValue(std::string_view stored) {
  // At most 255 bytes, so the text and its end always fit the 256-byte
  // buffer of the stored format; an odd last digit is ignored.
  const std::size_t bytes = std::min(stored.size() / 2, kDecipherBuffer - 1);
  std::string out;
  for (std::size_t k = 0; k < bytes; ++k) {
    const int value = HexDigitValue(stored[2 * k]) * 16 + HexDigitValue(stored[2 * k + 1]);
    const char c = static_cast<char>(value ^ static_cast<unsigned char>(kCipherKey[k % 17]));
    if (c == '\0') break;
    out.push_back(c);
  }
  return out;
}

std::string EncipherConfigValue(std::string_view plain) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t k = 0; k < plain.size(); ++k) {
    const unsigned value = static_cast<unsigned char>(plain[k]) ^
                           static_cast<unsigned char>(kCipherKey[k % 17]);
    out.push_back(digits[value >> 4]);
    out.push_back(digits[value & 15]);
  }
  return out;
}

namespace {

void ApplyPriority(std::int32_t index) {
  // Compared as an unsigned number: negative values are out of range.
  if (static_cast<std::uint32_t>(index) <= 5) platform::SetPriorityIndex(index);
}

void ReadIniFile() {
  LauncherConfig& c = config;
  if (c.ini_file.empty() || !platform::FilePresent(c.ini_file)) return;
  std::string dir;
  if (!platform::CurrentDirectory(dir)) return;
  const std::string path = dir + "\\" + c.ini_file;
  auto value = [&path](const char* key) { return platform::IniValue(path, kIniSection, key); };

  if (std::string v = value("JvmOptions"); !v.empty()) c.jvm_options = v;
  if (std::string v = value("AppOptions"); !v.empty()) c.app_options = v;
  if (std::string v = value("StaticOptions"); !v.empty()) c.static_options = v;
  if (std::string v = value("StdOutFile"); !v.empty()) {
    c.stdout_file = v;
    c.stdout_mode = kOutputToFile;
  }
  if (std::string v = value("StdErrFile"); !v.empty()) {
    c.stderr_file = v;
    c.stderr_mode = kOutputToFile;
  }
  if (std::string v = value("ShowConsole"); !v.empty()) {
    c.show_console = v == "1";
    if (c.show_console) {
      c.stdout_mode = kOutputUnchanged;
      c.stderr_mode = kOutputUnchanged;
    }
  }
}

}  // namespace

void LoadConfiguration() {
  LauncherConfig& c = config;
  auto text = [](unsigned id) { return LoadResourceString(id); };
  auto flag = [](unsigned id) { return ParseFlag(LoadResourceString(id)); };
  auto number = [](unsigned id) { return ParseDecimal(LoadResourceString(id)); };

  c.main_class_stored = text(kSettingMainClass);
  c.main_class = DecipherConfigValue(c.main_class_stored);

  c.jvm_path_list = text(kSettingJvmPathList);
  c.class_path = text(kSettingClassPath);
  c.jvm_options = text(kSettingJvmOptions);
  c.install_option = text(kSettingInstallOption);
  c.uninstall_option = text(kSettingUninstallOption);
  c.service_mode_option = text(kSettingServiceModeOption);
  c.service_name = text(kSettingServiceName);
  c.service_description = text(kSettingServiceDescription);
  c.working_dir = text(kSettingWorkingDir);
  c.app_options = text(kSettingAppOptions);
  c.static_options = text(kSettingStaticOptions);
  c.service_start_args = text(kSettingServiceStartArgs);
  c.service_stop_args = text(kSettingServiceStopArgs);
  c.service_dependencies = text(kSettingServiceDependencies);
  c.stdout_file = text(kSettingStdOutFile);
  c.stderr_file = text(kSettingStdErrFile);
  c.splash_text = text(kSettingSplashText);
  c.ini_file = text(kSettingIniFile);
  c.jvm_search_order = text(kSettingJvmSearchOrder);

  c.working_dir_first = flag(kSettingWorkingDirFirst);
  c.allow_multiple_instances = flag(kSettingAllowMultipleInstances);
  c.show_splash = flag(kSettingShowSplash);
  c.demand_start = flag(kSettingDemandStart);
  c.stop_by_system_exit = flag(kSettingStopBySystemExit);
  c.use_startup_dir = flag(kSettingUseStartupDir);
  c.interactive_service = flag(kSettingInteractiveService);
  c.remove_jars_at_exit = flag(kSettingRemoveJarsAtExit);
  c.service_args_on_command_line = flag(kSettingServiceArgsOnCommandLine);

  c.jar_dir_mode = number(kSettingJarDirMode);
  c.splash_seconds = number(kSettingSplashSeconds);
  ApplyPriority(number(kSettingPriority));
  c.stdout_mode = number(kSettingStdOutMode);
  c.stderr_mode = number(kSettingStdErrMode);
  c.service_only = flag(kSettingServiceOnly);

  c.jni_version_text = text(kSettingJniVersion);
  c.jni_version = static_cast<std::int32_t>(ParseHex(c.jni_version_text));

  for (char& ch : c.main_class) {
    if (ch == '.') ch = '/';
  }

  LoadMessageTable();
  ReadIniFile();

  // No jar files for an installation or removal of the service.
  const std::optional<std::string>& first = state.first_argument;
  if (first && (*first == c.install_option || *first == c.uninstall_option)) return;
  ExtractEmbeddedJars();
}

}  // namespace srvlaunch
