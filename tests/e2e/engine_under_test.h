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

// The lines of a file the engine wrote (none when it is missing).
inline std::vector<std::string> lines_of_file(const std::filesystem::path& p) {
  std::vector<std::string> lines;
  std::ifstream in(p);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace e2e
