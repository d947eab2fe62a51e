// Helpers of the launcher tests: scratch directories, small files, and
// running a program with a changed environment while capturing its output.
#ifndef SRVLAUNCH_TEST_SUPPORT_H
#define SRVLAUNCH_TEST_SUPPORT_H

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace launcher_test {

namespace fs = std::filesystem;

// A fresh directory below the system's temporary directory, removed at the end.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

void WriteFile(const fs::path& path, const std::string& text);
std::string ReadFile(const fs::path& path);

struct RunResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// Runs `program` with `args`; `env` entries replace or add variables, an
// entry without a value (nullopt) removes one.
RunResult Run(const fs::path& program, const std::vector<std::string>& args,
              const std::map<std::string, std::optional<std::string>>& env,
              const fs::path& cwd);

// Starts `program` with its output going to `log`; returns its process id.
int Spawn(const fs::path& program, const std::vector<std::string>& args,
          const std::map<std::string, std::optional<std::string>>& env, const fs::path& cwd,
          const fs::path& log);
// Waits for a started program; its exit status, or 128 + signal.
int Wait(int pid);

}  // namespace launcher_test

#endif
