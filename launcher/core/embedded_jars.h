// Jar files carried inside the launcher (RCDATA resource 16000): the check
// of the resource, their extraction into the jar directory before the
// virtual machine starts and the class path that names them, and their
// removal after the launcher has ended, done by a copy of the launcher.
#ifndef SRVLAUNCH_EMBEDDED_JARS_H
#define SRVLAUNCH_EMBEDDED_JARS_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace srvlaunch {

// The resource of the embedded jar files; 1 byte or less holds none.
constexpr unsigned kEmbeddedJarResource = 16000;

// The option word that starts the clean-up copy, followed by the process id
// of the launcher that extracted the files.
inline constexpr const char* kCleanupOption = "-wdremovetemporaryjarfiles";

// How long the clean-up copy waits for the launcher to end.
constexpr unsigned kCleanupWaitMs = 30000;

// Where the files go (jar_dir_mode): the current directory ".", its
// sub-directory named by the stored main class, or that sub-directory of
// the user's temporary directory.
enum JarDirMode : std::int32_t { kJarDirCurrent = 0, kJarDirSubDirectory = 1, kJarDirTemporary = 2 };

// One file of the resource.
struct EmbeddedJar {
  std::string name;             // a plain file name
  std::uint64_t file_time = 0;  // last-write time, a Windows FILETIME
  std::string_view data;        // the contents, inside the resource
};

// The files of a resource, little-endian and unpadded: a 32-bit count, then
// per file its NUL-terminated name, 8 bytes of FILETIME, a 32-bit size and
// that many bytes. Every field is checked against the resource's size.
// False for a malformed resource: a negative count or size, a field past
// the end, a name that is empty, "." or holds '\', '/', ':' or "..".
bool ParseEmbeddedJars(std::string_view resource, std::vector<EmbeddedJar>& files);
// The resource that holds `files` (the inverse of ParseEmbeddedJars).
std::string BuildEmbeddedJarResource(const std::vector<EmbeddedJar>& files);

// The jar directory of a mode and the stored main class; false after the
// report when the temporary directory cannot be had.
bool JarDirectory(std::int32_t mode, const std::string& main_class_stored, std::string& dir);

// The configured class path followed by the ';'-ended list of jar paths:
// the separator is not doubled, none follows an empty class path, and one
// trailing ';' goes.
std::string JoinClassPath(const std::string& configured, const std::string& jar_list);

// Extracts the files of `resource` into the jar directory of the
// configuration, records their paths and appends them to class_path. A file
// of the same size and time is left as it is, and so is one in use. A
// malformed resource is reported and nothing is written, and so is a jar
// sub-directory that is a link or not the user's own; an extraction that
// stops early leaves class_path unchanged.
void ExtractJars(std::string_view resource);
// ExtractJars with the launcher's own resource.
void ExtractEmbeddedJars();

// Deletes the files that `resource` names from `jar_dir` (failures are
// ignored) and then the directory, when it is empty. Nothing outside the
// directory is touched: a malformed resource deletes nothing.
void RemoveJarFiles(std::string_view resource, const std::string& jar_dir);
// The clean-up copy: waits for process `pid` to end, then removes the jar
// files by the mode, the stored main class and the resource, read straight
// from the resources; a jar sub-directory that is a link or not the user's
// own is left alone.
void RemoveTemporaryJarFiles(unsigned long pid);
// Starts the clean-up copy once, when jar files were extracted and their
// removal at exit is configured. It runs in the directory of the
// extraction, so that a relative jar directory is the one written to.
void StartJarCleanup();

}  // namespace srvlaunch

#endif
