// Extraction and removal of the embedded jar files.
#include "embedded_jars.h"

#include "launcher_config.h"
#include "launcher_state.h"
#include "messages.h"
#include "platform/platform.h"

namespace srvlaunch {

namespace {

constexpr std::size_t kFileTimeBytes = 8;
constexpr std::size_t kInt32Bytes = 4;

// Reads `width` little-endian bytes at `pos`; false when they are not all there.
bool ReadLittleEndian(std::string_view r, std::size_t& pos, std::size_t width, std::uint64_t& value) {
  if (r.size() - pos < width) return false;
  value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(r[pos + i])) << (8 * i);
  }
  pos += width;
  return true;
}

// A 32-bit field that must not be negative.
bool ReadCount(std::string_view r, std::size_t& pos, std::size_t& value) {
  std::uint64_t raw = 0;
  if (!ReadLittleEndian(r, pos, kInt32Bytes, raw) || (raw & 0x80000000u) != 0) return false;
  value = static_cast<std::size_t>(raw);
  return true;
}

// A name that stays inside the jar directory.
bool IsPlainFileName(std::string_view name) {
  return !name.empty() && name != "." && name.find_first_of("\\/:") == std::string_view::npos &&
         name.find("..") == std::string_view::npos;
}

// Writes one file unless an equal one is there or it is in use; false
// after the report when the extraction must stop.
bool ExtractFile(const std::string& path, const EmbeddedJar& file) {
  std::uint64_t size = 0;
  std::uint64_t time = 0;
  switch (platform::ReadFileStamp(path, size, time)) {
    case 1:
      if (size == file.data.size() && time == file.file_time) return true;
      break;
    case -1:
      ShowErrorWithReason(kRC000006);
      break;
    default:
      break;
  }
  switch (platform::WriteNewFile(path, std::string(file.data), file.file_time)) {
    case platform::WriteResult::kOk:
    case platform::WriteResult::kInUse:
      return true;
    case platform::WriteResult::kCreateFailed:
    case platform::WriteResult::kWriteFailed:
    case platform::WriteResult::kTimeFailed:
      break;
  }
  ShowErrorWithReason(MessageText(kMsgWriteError), {path});
  return false;
}

}  // namespace

bool ParseEmbeddedJars(std::string_view resource, std::vector<EmbeddedJar>& files) {
  files.clear();
  if (resource.size() <= 1) return true;
  std::size_t pos = 0;
  std::size_t count = 0;
  if (!ReadCount(resource, pos, count)) return false;
  // Every file takes at least 13 bytes, so the loop ends with the resource.
  for (std::size_t i = 0; i < count; ++i) {
    EmbeddedJar file;
    const std::size_t end = resource.find('\0', pos);
    if (end == std::string_view::npos) return false;
    file.name = std::string(resource.substr(pos, end - pos));
    pos = end + 1;
    if (!IsPlainFileName(file.name)) return false;
    std::size_t size = 0;
    if (!ReadLittleEndian(resource, pos, kFileTimeBytes, file.file_time)) return false;
    if (!ReadCount(resource, pos, size) || resource.size() - pos < size) return false;
    file.data = resource.substr(pos, size);
    pos += size;
    files.push_back(std::move(file));
  }
  return true;
}

std::string BuildEmbeddedJarResource(const std::vector<EmbeddedJar>& files) {
  std::string out;
  const auto AppendLittleEndian = [](std::string& to, std::uint64_t value, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) to.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
  };
  AppendLittleEndian(out, files.size(), kInt32Bytes);
  for (const EmbeddedJar& f : files) {
    out += f.name;
    out.push_back('\0');
    AppendLittleEndian(out, f.file_time, kFileTimeBytes);
    AppendLittleEndian(out, f.data.size(), kInt32Bytes);
    out += f.data;
  }
  return out;
}

bool JarDirectory(std::int32_t mode, const std::string& main_class_stored, std::string& dir) {
  switch (mode) {
    case kJarDirSubDirectory:
      dir.assign(".\\").append(main_class_stored);
      return true;
    case kJarDirTemporary: {
      std::string temp;
      if (!platform::TempPath(temp)) {
        // Read straight from the resources: the clean-up copy has no message table.
        ShowErrorWithReason(LoadResourceString(kMsgAccessError), {"TEMP_PATH"});
        return false;
      }
      dir = temp + main_class_stored;
      return true;
    }
    default:
      dir.assign(1, '.');
      return true;
  }
}

std::string JoinClassPath(const std::string& configured, const std::string& jar_list) {
  std::string path = configured;
  if (!path.empty() && path.back() != ';') path.push_back(';');
  path += jar_list;
  if (!path.empty() && path.back() == ';') path.pop_back();
  return path;
}

void ExtractJars(std::string_view resource) {
  std::vector<EmbeddedJar> files;
  if (!ParseEmbeddedJars(resource, files)) {
    ShowErrorMessage(kRC000007);
    return;
  }
  if (files.empty()) return;
  std::string dir;
  if (!JarDirectory(config.jar_dir_mode, config.main_class_stored, dir)) return;
  if (config.jar_dir_mode == kJarDirSubDirectory || config.jar_dir_mode == kJarDirTemporary) {
    // It may exist already, but only as a directory of the user's own: a
    // link planted in its place would lead the files elsewhere.
    platform::MakeDirectory(dir);
    if (!platform::OwnDirectory(dir)) {
      ShowErrorWithReason(MessageText(kMsgWriteError), {dir});
      return;
    }
  }
  // Every file of the resource is recorded first, so that the clean-up
  // copy also removes what an extraction that stopped early has written.
  std::string jar_list;
  state.extracted_jar_paths.clear();
  for (const EmbeddedJar& f : files) {
    const std::string path = dir + "\\" + f.name;
    state.extracted_jar_paths.push_back(path);
    jar_list += path;
    jar_list += ';';
  }
  if (!platform::CurrentDirectory(state.jar_base_dir)) state.jar_base_dir.clear();
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!ExtractFile(state.extracted_jar_paths[i], files[i])) return;
  }
  config.class_path = JoinClassPath(config.class_path, jar_list);
}

void ExtractEmbeddedJars() {
  std::string resource;
  if (!platform::ResourceData(kEmbeddedJarResource, resource)) return;
  ExtractJars(resource);
}

void RemoveJarFiles(std::string_view resource, const std::string& jar_dir) {
  std::vector<EmbeddedJar> files;
  if (!ParseEmbeddedJars(resource, files) || files.empty()) return;
  for (const EmbeddedJar& f : files) platform::RemoveFile(jar_dir + "\\" + f.name);
  platform::RemoveEmptyDirectory(jar_dir);  // fails harmlessly for "." or a directory not empty
}

void RemoveTemporaryJarFiles(unsigned long pid) {
  platform::WaitForProcessEnd(pid, kCleanupWaitMs);
  const std::int32_t mode = ParseDecimal(LoadResourceString(kSettingJarDirMode));
  std::string stored;
  if (mode == kJarDirSubDirectory || mode == kJarDirTemporary) stored = LoadResourceString(kSettingMainClass);
  std::string resource;
  if (!platform::ResourceData(kEmbeddedJarResource, resource) || resource.size() <= 1) return;
  std::string dir;
  if (!JarDirectory(mode, stored, dir)) return;
  // Only the directory that an extraction could have written to.
  if ((mode == kJarDirSubDirectory || mode == kJarDirTemporary) && !platform::OwnDirectory(dir)) return;
  RemoveJarFiles(resource, dir);
}

void StartJarCleanup() {
  if (state.extracted_jar_paths.empty() || !config.remove_jars_at_exit) return;
  if (state.jar_cleanup_started.exchange(true)) return;
  std::string exe;
  if (!platform::ExePath(exe)) return;
  const std::string command_line =
      "\"" + exe + "\" " + kCleanupOption + " " + std::to_string(platform::CurrentProcessId());
  platform::StartDetachedProcess(exe, command_line, state.jar_base_dir);
}

}  // namespace srvlaunch
