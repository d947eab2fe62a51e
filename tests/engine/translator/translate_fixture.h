// Test support: runs the translation pass in-process on a model written
// to a scratch folder, and dumps the translated tables row by row so a
// translation can be compared with rows worked out by hand.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/engine.h"

namespace kelvo::test {

// One block row: number, code, argument, operand, label text.
std::vector<std::string> dump_blocks(Engine& e);
// Stations, queues, savevalues, TERMINATE values and run steps.
std::vector<std::string> dump_entities(Engine& e);

class TranslateTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the model (lines joined with '\n') as file `name` in the scratch folder.
  void write_model(const std::string& text, const std::string& name = "m.txt");
  // Translates the model under the front end (errors to the ERR file).
  // Returns false when the engine stopped.
  bool translate_fe(const std::string& text);
  // First line of the ERR file after translating `model` under the front
  // end ("" when none).
  std::string first_error(const std::string& model);
  // Translates on the console with the given console input.
  bool translate_console(const std::string& text, const std::string& input);
  // Lines of a file in the scratch folder (trailing blanks cut); empty when absent.
  std::vector<std::string> file_lines(const std::string& name) const;
  std::vector<std::string> err_lines() const { return file_lines("m.ERR"); }
  std::vector<std::string> console_lines() const;
  std::string path(const std::string& name) const;

  std::unique_ptr<Engine> e_;
  std::string dir_;
  std::istringstream in_;
  std::ostringstream out_;
  int4 run_count_ = 0;
  bool stopped_ = false;
};

// The model every test varies: one line changed at a time.
std::string base_model();
// The base model with line `n` (1-based) replaced by `line`.
std::string base_with(int n, const std::string& line);
// The base model with `line` inserted before line `n`.
std::string base_insert(int n, const std::string& line);
// A model with `lines` (each ending in '\n') put in front of its END
// statement, and the END after them.
std::string before_end(const std::string& model, const std::string& lines);

}  // namespace kelvo::test
