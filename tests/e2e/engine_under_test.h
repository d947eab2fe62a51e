// Where the end-to-end checks find the engine and their scratch space,
// and how they read the files it writes.
// KELVO_E2E_BINARY names another engine binary to run instead of the built
// kelvo (the suite is also run against one that does nothing, and then every
// check must fail); KELVO_E2E_SCRATCH names another scratch directory so
// that such a run does not share folders with the normal one.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace e2e {

inline std::string engine_binary() {
  const char* v = std::getenv("KELVO_E2E_BINARY");
  return v != nullptr && *v != '\0' ? std::string(v) : std::string(KELVO_BINARY);
}

inline std::filesystem::path scratch_root() {
  const char* v = std::getenv("KELVO_E2E_SCRATCH");
  return v != nullptr && *v != '\0' ? std::filesystem::path(v) : std::filesystem::path(E2E_SCRATCH_DIR);
}

// Runs `model` as M.TXT in a fresh scratch folder `dir`: under the front
// end, or on the console (the model name typed, then `answers`); its
// output goes to `dir`/stdout. False when the engine failed.
inline bool run_model(const std::filesystem::path& dir, const std::string& model, bool console,
                      const std::string& answers = "") {
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "M.TXT") << model;
  std::string input = "/dev/null";
  if (console) {
    std::ofstream(dir / "stdin") << "M.TXT\n" << answers;
    input = "stdin";
  } else {
    std::ofstream(dir / "zwxyq.jav") << "M.TXT\n     600\n";
  }
  const std::string cmd = "cd '" + dir.string() + "' && '" + engine_binary() + "' <" + input + " >stdout 2>&1";
  return std::system(cmd.c_str()) == 0 && !std::filesystem::exists(dir / "M.ERR");
}

// The lines of a file the engine wrote (none when it is missing).
inline std::vector<std::string> lines_of_file(const std::filesystem::path& p) {
  std::vector<std::string> lines;
  std::ifstream in(p);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace e2e
