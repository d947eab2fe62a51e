// The launcher's configuration: every setting read from the numbered string
// resources, deciphering of the stored main class, the optional INI file
// that overrides some settings, and the process priority.
#ifndef SRVLAUNCH_LAUNCHER_CONFIG_H
#define SRVLAUNCH_LAUNCHER_CONFIG_H

#include <cstdint>
#include <string>
#include <string_view>

namespace srvlaunch {

// Ids of the string resources that hold the settings (see LauncherConfig
// for their meaning).
enum SettingId : unsigned {
  kSettingJniVersion = 1024,
  kSettingJvmPathList = 1040,
  kSettingJvmOptions = 1056,
  kSettingClassPath = 1072,
  kSettingRemoveJarsAtExit = 1088,
  kSettingJarDirMode = 1104,
  kSettingJvmSearchOrder = 1120,
  kSettingInstallOption = 1136,
  kSettingUninstallOption = 1152,
  kSettingServiceModeOption = 1168,
  kSettingWorkingDir = 1184,
  kSettingMainClass = 1200,
  kSettingAppOptions = 1216,
  kSettingIniFile = 1232,
  kSettingUseStartupDir = 1248,
  kSettingWorkingDirFirst = 1264,
  kSettingServiceName = 1280,
  kSettingServiceDescription = 1296,
  kSettingServiceStartArgs = 1312,
  kSettingServiceStopArgs = 1328,
  kSettingStopBySystemExit = 1344,
  kSettingDemandStart = 1360,
  kSettingInteractiveService = 1376,
  kSettingAllowMultipleInstances = 1392,
  kSettingStdOutMode = 1408,
  kSettingStdErrMode = 1424,
  kSettingStdOutFile = 1440,
  kSettingStdErrFile = 1456,
  kSettingSplashText = 1472,
  kSettingShowSplash = 1488,
  kSettingSplashSeconds = 1504,
  kSettingPriority = 1520,
  kSettingServiceDependencies = 1536,
  kSettingServiceOnly = 1552,
  kSettingStaticOptions = 1568,
  kSettingServiceArgsOnCommandLine = 1584,
};

// The section of the INI file that the launcher reads.
inline constexpr const char* kIniSection = "Application Configuration";

// The text of string resource `id`; the empty text when there is none.
std::string LoadResourceString(unsigned id);

// A flag is false only when its text begins with '0'.
bool ParseFlag(std::string_view text);
// Leading blanks, an optional sign and decimal digits; 0 when there are none.
std::int32_t ParseDecimal(std::string_view text);
// Leading blanks, an optional "0x" and hexadecimal digits of either case.
std::uint32_t ParseHex(std::string_view text);

// 0 to 15 for a digit '0'-'9' or 'A'-'F'; 0 for any other character.
int HexDigitValue(char c);
// The stored text read as pairs of hexadecimal digits, each byte XORed with
// the key; at most 255 bytes, ending at the first NUL.
std::string DecipherConfigValue(std::string_view stored);
// The inverse of DecipherConfigValue, for configuring a value.
std::string EncipherConfigValue(std::string_view plain);

// Fills `config` from the resources, applies the priority, reads the
// message table and the INI file, and (unless the first argument installs
// or removes the service) extracts the embedded jar files.
void LoadConfiguration();

}  // namespace srvlaunch

#endif
