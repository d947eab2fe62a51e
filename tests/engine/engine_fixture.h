// A fresh engine per test, run in its own scratch directory with the
// console attached to string streams.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/stop.h"
#include "driver/engine_entry.h"
#include "model/engine.h"

namespace kelvo::testing {

// The skeleton model: SIMULATE / GENERATE 1,0,,1 / blocks / TERMINATE 1 /
// START 1 / END, with `before` in front of the GENERATE (lines ending in
// '\n').
inline std::string skeleton_model(const std::string& blocks, const std::string& before = "") {
  return "       SIMULATE\n" + before + "       GENERATE  1,0,,1\n" + blocks +
         "       TERMINATE 1\n       START     1\n       END\n";
}

// The lines of a text with their trailing blanks stripped, as the files
// the engine writes are compared.
inline std::vector<std::string> stripped_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    old_dir_ = std::filesystem::current_path();
    dir_ = std::filesystem::temp_directory_path() /
           ("kelvo_test_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::current_path(dir_);
    e_ = std::make_unique<Engine>();
    install_engine_hooks(*e_);
    e_->ch.attach_console(&in_, &out_);
  }
  void TearDown() override {
    e_.reset();
    std::filesystem::current_path(old_dir_);
    std::filesystem::remove_all(dir_);
  }
  void console_input(const std::string& text) {
    in_.str(text);
    in_.clear();
  }
  static void write_file(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  static std::string read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Runs f and reports whether it ended in the engine's stop.
  template <class F>
  bool stops(F&& f) {
    try {
      f();
    } catch (const EngineStop&) {
      return true;
    }
    return false;
  }
  Engine& e() { return *e_; }
  std::string console_output() const { return out_.str(); }

 private:
  std::filesystem::path old_dir_;
  std::filesystem::path dir_;
  std::istringstream in_;
  std::ostringstream out_;
  std::unique_ptr<Engine> e_;
};

}  // namespace kelvo::testing
