// Data-driven end-to-end runner.
// A case is a folder under cases/:
//   files/            copied into a fresh scratch directory (model, work files)
//   stdin             console input; without it the engine runs as under the
//                     front end, with standard input at end of file
//   expected/NAME     the file NAME (or the captured "stdout") must equal it,
//                     line by line, trailing blanks stripped; NAME may lie in
//                     a sub-folder (expected/sub.d/m.ERR is compared with
//                     sub.d/m.ERR)
//   expected/NAME.part  its lines must occur as one contiguous run in NAME
//   In an expected line, "{directory in the way}" stands for the system's
//   reason when a file cannot be written because a directory has its name:
//   "Is a directory" on Linux, "Permission denied" on Windows (the engine
//   under test is the Windows one when KELVO_E2E_PLATFORM is "windows").
//   absent, present   names that must not / must exist afterwards
//   status            the exit status the engine must end with (0 without it)
// The engine must end within 60 seconds, and a case whose zwxyq.jav gives
// a shorter run-time limit within that limit plus one second (the
// sanitized engine, slower to start and end, two seconds more, and an
// engine under a wrapper KELVO_E2E_EXTRA_SECONDS more); no file
// it writes may grow above 1 MB.
// Every case must be able to fail against an engine that simulates nothing:
// it needs an expected file with a line of content that files/ does not
// already supply. A "present" name alone does not count, since an engine
// that writes the file empty passes it. A case without one is rejected.
#include "engine_under_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> read_lines(const fs::path& p) {
  std::vector<std::string> lines;
  std::ifstream in(p, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

std::string join(const std::vector<std::string>& lines) {
  std::ostringstream os;
  for (const auto& l : lines) os << l << "\n";
  return os.str();
}

std::vector<std::string> case_names() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(E2E_CASES_DIR)) {
    if (e.is_directory()) names.push_back(e.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// One file under expected/: the written file it names and how it is compared.
struct Expected {
  fs::path path;     // the file under expected/
  std::string name;  // the written file, relative to the scratch directory, or "stdout"
  bool part;         // its lines need only occur as one contiguous run
};

std::vector<Expected> expected_files(const fs::path& dir) {
  std::vector<Expected> list;
  if (!fs::exists(dir)) return list;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (!e.is_regular_file()) continue;
    std::string name = e.path().lexically_relative(dir).generic_string();
    const bool part = name.size() > 5 && name.substr(name.size() - 5) == ".part";
    if (part) name.resize(name.size() - 5);
    list.push_back({e.path(), name, part});
  }
  std::sort(list.begin(), list.end(), [](const Expected& a, const Expected& b) { return a.path < b.path; });
  return list;
}

std::vector<std::string> listed_names(const fs::path& list) {
  std::vector<std::string> names;
  if (!fs::exists(list)) return names;
  for (auto& name : read_lines(list)) {
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

// True when the case expects a line of content that an engine writing
// nothing, or writing its files empty, would not give.
bool makes_positive_assertion(const fs::path& dir, const std::vector<Expected>& expected) {
  const fs::path supplied = dir / "files";
  for (const auto& x : expected) {
    const auto lines = read_lines(x.path);
    if (std::all_of(lines.begin(), lines.end(), [](const std::string& l) { return l.empty(); })) continue;
    if (x.name == "stdout" || !fs::exists(supplied / x.name)) return true;
    if (x.part || read_lines(supplied / x.name) != lines) return true;
  }
  return false;
}

#ifdef E2E_SANITIZED_ENGINE
constexpr int k_slow_start_and_end = 2;
#else
constexpr int k_slow_start_and_end = 0;
#endif

// Seconds an engine started through a wrapper (the Windows engine under
// wine) needs beyond its own run to start and end: KELVO_E2E_EXTRA_SECONDS.
int extra_seconds() {
  const char* v = std::getenv("KELVO_E2E_EXTRA_SECONDS");
  return v ? std::clamp(std::atoi(v), 0, 10) : 0;
}

// Seconds the engine may take: the run-time limit of the case's zwxyq.jav
// (columns 1-7 of its second line) plus one, at most 60.
int seconds_allowed(const fs::path& files) {
  constexpr int most = 60;
  const auto lines = read_lines(files / "zwxyq.jav");
  if (lines.size() < 2) return most;
  try {
    std::size_t used = 0;
    const std::string field = lines[1].substr(0, 7);
    const int limit = std::stoi(field, &used);
    if (limit < 1 || field.find_first_not_of(' ', used) != std::string::npos) return most;
    return std::min(most, limit + 1 + k_slow_start_and_end + extra_seconds());
  } catch (const std::exception&) {
    return most;
  }
}

// The system's own reason for a file that cannot be written because a
// directory has its name, on the platform of the engine under test.
std::string directory_in_the_way_reason() {
  const char* v = std::getenv("KELVO_E2E_PLATFORM");
  return v != nullptr && std::string(v) == "windows" ? "Permission denied" : "Is a directory";
}

// The expected lines with the placeholder for that reason filled in.
std::vector<std::string> expected_lines(const fs::path& p) {
  static const std::string placeholder = "{directory in the way}";
  auto lines = read_lines(p);
  for (auto& l : lines) {
    // One platform's own words would pass there and fail on the other.
    EXPECT_EQ(l.find(": Is a directory"), std::string::npos) << p << ": write " << placeholder;
    for (auto at = l.find(placeholder); at != std::string::npos; at = l.find(placeholder, at)) {
      l.replace(at, placeholder.size(), directory_in_the_way_reason());
    }
  }
  return lines;
}

constexpr std::uintmax_t k_largest_output = 1 << 20;

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, Case) {
  const fs::path dir = fs::path(E2E_CASES_DIR) / GetParam();
  const auto expected = expected_files(dir / "expected");
  ASSERT_TRUE(makes_positive_assertion(dir, expected))
      << GetParam() << " asserts nothing that an engine writing its files empty would break: give it an "
      << "expected file with a line of content that files/ does not already supply";

  const fs::path scratch = e2e::scratch_root() / GetParam();
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  if (fs::exists(dir / "files")) {
    fs::copy(dir / "files", scratch, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  const fs::path out = scratch.string() + ".stdout";
  const std::string input = fs::exists(dir / "stdin") ? (dir / "stdin").string() : "/dev/null";
  const std::string cmd = "cd " + quote(scratch.string()) + " && timeout " + std::to_string(seconds_allowed(dir / "files")) + " " +
                          quote(e2e::engine_binary()) +
                          " < " + quote(input) + " > " + quote(out.string()) + " 2>&1";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc)) << "engine did not exit normally";
  int status = 0;
  if (fs::exists(dir / "status")) std::ifstream(dir / "status") >> status;
  EXPECT_EQ(WEXITSTATUS(rc), status) << "exit status (124 means it hung)\n" << join(read_lines(out));

  for (const auto& x : expected) {
    const fs::path actual_path = x.name == "stdout" ? out : scratch / x.name;
    if (!fs::is_regular_file(actual_path)) {
      ADD_FAILURE() << x.name << " was not written";
      continue;
    }
    const auto want = expected_lines(x.path);
    const auto actual = read_lines(actual_path);
    if (!x.part) {
      EXPECT_EQ(join(actual), join(want)) << "in " << x.name;
      continue;
    }
    bool found = want.empty();
    for (std::size_t i = 0; !found && i + want.size() <= actual.size(); ++i) {
      found = std::equal(want.begin(), want.end(), actual.begin() + static_cast<long>(i));
    }
    EXPECT_TRUE(found) << "lines of " << x.name << ".part not found in " << x.name << ":\n" << join(actual);
  }
  for (const auto& f : fs::recursive_directory_iterator(scratch)) {
    if (f.is_regular_file()) {
      EXPECT_LE(f.file_size(), k_largest_output) << f.path().filename() << " is above 1 MB";
    }
  }
  for (const char* list : {"absent", "present"}) {
    const bool want = std::string(list) == "present";
    for (const auto& name : listed_names(dir / list)) {
      EXPECT_EQ(fs::exists(scratch / name), want) << name << (want ? " is missing" : " should not exist");
    }
  }
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(EndToEnd);

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, ::testing::ValuesIn(case_names()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string n = info.param;
                           for (char& c : n) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });

}  // namespace
