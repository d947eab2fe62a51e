// Data-driven end-to-end runner.
// A case is a folder under cases/:
//   files/            copied into a fresh scratch directory (model, work files)
//   stdin             console input; without it the engine runs as under the
//                     front end, with standard input at end of file
//   expected/NAME     the file NAME (or the captured "stdout") must equal it,
//                     line by line, trailing blanks stripped
//   expected/NAME.part  its lines must occur as one contiguous run in NAME
//   absent, present   names that must not / must exist afterwards
// The engine must end with status 0 within the time limit.
#include <gtest/gtest.h>

#include <algorithm>
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

class EndToEnd : public ::testing::TestWithParam<std::string> {};

TEST_P(EndToEnd, Case) {
  const fs::path dir = fs::path(E2E_CASES_DIR) / GetParam();
  const fs::path scratch = fs::path(E2E_SCRATCH_DIR) / GetParam();
  fs::remove_all(scratch);
  fs::create_directories(scratch);
  if (fs::exists(dir / "files")) {
    fs::copy(dir / "files", scratch, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  const fs::path out = scratch.string() + ".stdout";
  const std::string input = fs::exists(dir / "stdin") ? (dir / "stdin").string() : "/dev/null";
  const std::string cmd = "cd " + quote(scratch.string()) + " && timeout 60 " + quote(KELVO_BINARY) +
                          " < " + quote(input) + " > " + quote(out.string()) + " 2>&1";
  const int rc = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(rc)) << "engine did not exit normally";
  EXPECT_EQ(WEXITSTATUS(rc), 0) << "exit status (124 means it hung)\n" << join(read_lines(out));

  if (fs::exists(dir / "expected")) {
    for (const auto& e : fs::directory_iterator(dir / "expected")) {
      std::string name = e.path().filename().string();
      const bool part = name.size() > 5 && name.substr(name.size() - 5) == ".part";
      if (part) name.resize(name.size() - 5);
      const fs::path actual_path = name == "stdout" ? out : scratch / name;
      ASSERT_TRUE(fs::exists(actual_path)) << name << " was not written";
      const auto expected = read_lines(e.path());
      auto actual = read_lines(actual_path);
      if (!part) {
        EXPECT_EQ(join(actual), join(expected)) << "in " << name;
        continue;
      }
      bool found = expected.empty();
      for (std::size_t i = 0; !found && i + expected.size() <= actual.size(); ++i) {
        found = std::equal(expected.begin(), expected.end(), actual.begin() + static_cast<long>(i));
      }
      EXPECT_TRUE(found) << "lines of " << e.path().filename() << " not found in " << name << ":\n"
                         << join(actual);
    }
  }
  for (const char* list : {"absent", "present"}) {
    if (!fs::exists(dir / list)) continue;
    const bool want = std::string(list) == "present";
    for (const auto& name : read_lines(dir / list)) {
      if (name.empty()) continue;
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
