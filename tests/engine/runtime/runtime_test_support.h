// Helpers of the run-time unit tests: a fresh engine on string console
// streams, a packed-name helper, hand-filled models, and a scratch
// working directory for the tests that write files.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "driver/engine_entry.h"
#include "model/engine.h"

namespace kelvo::test {

// Packs up to six characters in base 40, three per 16-bit word.
inline int4 pack6(const std::string& name) {
  static const std::string alphabet = " 0123456789.$ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::uint32_t words[2] = {0, 0};
  for (int w = 0; w < 2; ++w) {
    for (int i = 0; i < 3; ++i) {
      const std::size_t pos = static_cast<std::size_t>(w * 3 + i);
      const char c = pos < name.size() ? name[pos] : ' ';
      words[w] = words[w] * 40 + static_cast<std::uint32_t>(alphabet.find(c));
    }
  }
  return static_cast<int4>((words[0] << 16) | words[1]);
}

// Runs f and tells whether it ended through the engine's stop.
template <class F>
bool stops(F&& f) {
  try {
    f();
  } catch (...) {
    return true;
  }
  return false;
}

inline std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

inline std::string read_file(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class RuntimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    e = std::make_unique<Engine>();
    install_engine_hooks(*e);
    e->ch.attach_console(&in, &out);
  }
  void console_input(const std::string& text) {
    in.str(text);
    in.clear();
  }
  // The GENERATE 10,4,0 / ADVANCE 5 / TERMINATE 1 model, START count n.
  void fill_gat_model(int n) {
    auto& b = e->blocks;
    b.block_count = 3;
    b.block_op[1] = bc::generate;
    b.block_arg[1] = 1;
    b.generate_limit[1] = 100000;
    b.block_op[2] = bc::advance;
    b.block_opnd[2] = 1;
    b.block_op[3] = bc::terminate;
    b.block_arg[3] = 1;
    auto& g = e->ent.gen;
    g.generate_count = 1;
    g.generate_time_table[1] = {0.0f, 6.0f, 8.0f, -1.0f, 0.0f};
    g.generate_first_time[1] = 0;
    g.advance_count = 1;
    g.advance_time_table[1] = {0.0f, 5.0f, 0.0f, -1.0f, 0.0f};
    e->ent.term.terminate_count = 1;
    e->ent.term.terminate_value[1] = 1;
    e->ent.steps.termination_count[1] = n;
    e->opnames.block_op_names[bc::advance] = pack6("ADVANC");
    e->opnames.block_op_names[bc::generate] = pack6("GENERA");
    e->opnames.block_op_names[bc::terminate] = pack6("TERMIN");
    e->run.run_number = 1;
    for (int j = 1; j <= k_rn_stream_max; ++j) e->rn.seed[static_cast<std::size_t>(j)] = 2 * j + 1;
  }

  std::istringstream in;
  std::ostringstream out;
  std::unique_ptr<Engine> e;
};

// A scratch directory that is the working directory for one test.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& name) {
    old_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() / ("kelvo_rt_" + name + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
  }
  ~ScratchDir() {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

 private:
  std::filesystem::path old_;
  std::filesystem::path dir_;
};

}  // namespace kelvo::test
