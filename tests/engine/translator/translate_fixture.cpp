// Test support for the translator: scratch folder, in-process translation
// and a row-by-row dump of the translated tables.
#include "translate_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "../engine_fixture.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/statement_reader.h"
#include "support/stop.h"
#include "support/text_routines.h"
#include "driver/engine_entry.h"
#include "translator/translator.h"

namespace fs = std::filesystem;

namespace kelvo::test {

namespace {
std::string name_text(Engine& e, int4 code) {
  if (code == 0) return "-";
  return std::string(trim_blanks(unpack_name_chars(e, code).view()));
}

}  // namespace

std::vector<std::string> dump_blocks(Engine& e) {
  std::vector<std::string> rows;
  const auto& b = e.blocks;
  for (int i = 1; i <= b.block_count; ++i) {
    std::ostringstream os;
    os << i << " op=" << b.block_op[i] << " arg=" << b.block_arg[i] << " opnd=" << b.block_opnd[i]
       << " label=" << name_text(e, b.block_label[i]);
    rows.push_back(os.str());
  }
  return rows;
}

std::vector<std::string> dump_entities(Engine& e) {
  std::vector<std::string> rows;
  const auto& st = e.ent.st;
  for (int s = 1; s <= st.station_name_count; ++s) {
    std::ostringstream os;
    os << "station " << s << " " << name_text(e, st.station_name[s]) << " cap=" << st.station_capacity[s];
    rows.push_back(os.str());
  }
  const auto& q = e.ent.q;
  for (int i = 1; i <= q.queue_count; ++i) rows.push_back("queue " + std::to_string(i) + " " + name_text(e, q.queue_name[i]));
  const auto& sv = e.ent.sv;
  for (int i = 1; i <= sv.savevalue_count; ++i) {
    std::ostringstream os;
    os << "savevalue " << i << " " << name_text(e, sv.savevalue_name[i]) << " init=" << sv.savevalue_init[i];
    rows.push_back(os.str());
  }
  const auto& t = e.ent.term;
  for (int i = 1; i <= t.terminate_count; ++i) rows.push_back("terminate " + std::to_string(i) + " " + std::to_string(t.terminate_value[i]));
  const auto& run = e.ent.steps;
  std::string steps = "steps";
  for (int i = 1; i <= run.run_step_count; ++i) steps += " " + std::to_string(run.run_steps[i]);
  rows.push_back(steps);
  return rows;
}

void TranslateTest::SetUp() {
  // A parameterised test's name holds a '/': one folder per case all the same.
  std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(test.begin(), test.end(), '/', '_');
  dir_ = (fs::temp_directory_path() / ("kelvo_tr_" + std::to_string(::getpid()) + "_" + test)).string();
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  e_ = std::make_unique<Engine>();
  install_engine_hooks(*e_);
  e_->ch.attach_console(&in_, &out_);
  reset_compile_state(*e_);
  // As the run cycle leaves it: the model name is known.
  e_->ctl.name_from_cycle = true;
  e_->ctl.translate_needed = true;
}

void TranslateTest::TearDown() {
  e_->ch.close_all();
  fs::remove_all(dir_);
}

std::string TranslateTest::path(const std::string& name) const { return dir_ + "/" + name; }

void TranslateTest::write_model(const std::string& text, const std::string& name) {
  std::ofstream(path(name), std::ios::binary) << text;
  e_->ctl.program_file_name.assign(path(name));
}

static bool run_translation(Engine& e, int4& run_count) {
  try {
    translate_program(e, run_count);
  } catch (const EngineStop&) {
    e.ch.close_all();
    return false;
  }
  e.ch.flush_all();
  return true;
}

bool TranslateTest::translate_fe(const std::string& text) {
  write_model(text);
  e_->ctl.java_mode = true;
  stopped_ = !run_translation(*e_, run_count_);
  e_->ch.close_all();
  return !stopped_;
}

std::string TranslateTest::first_error(const std::string& model) {
  // As a run cycle starts: no error and no ERR file of an earlier translation.
  fs::remove(path("m.ERR"));
  e_->ctl.error_found = false;
  translate_fe(model);
  const auto lines = err_lines();
  return lines.empty() ? std::string() : lines[0];
}

bool TranslateTest::translate_console(const std::string& text, const std::string& input) {
  write_model(text);
  in_.str(input);
  in_.clear();
  e_->ctl.java_mode = false;
  stopped_ = !run_translation(*e_, run_count_);
  e_->ch.flush_all();
  return !stopped_;
}

std::vector<std::string> TranslateTest::file_lines(const std::string& name) const {
  std::ifstream in(path(name), std::ios::binary);
  if (!in) return {};
  std::stringstream ss;
  ss << in.rdbuf();
  return testing::stripped_lines(ss.str());
}

std::vector<std::string> TranslateTest::console_lines() const { return testing::stripped_lines(out_.str()); }

std::string base_model() {
  return "       SIMULATE\n"
         "       GENERATE  10,4\n"
         "       ARRIVE    LINE\n"
         "       SEIZE     MACH\n"
         "       DEPART    LINE\n"
         "       ADVANCE   8,3\n"
         "       RELEASE   MACH\n"
         "       TERMINATE 1\n"
         "       START     50\n"
         "       END\n";
}

std::string base_with(int n, const std::string& line) {
  auto lines = testing::stripped_lines(base_model());
  lines[n - 1] = line;
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

std::string base_insert(int n, const std::string& line) {
  auto lines = testing::stripped_lines(base_model());
  lines.insert(lines.begin() + (n - 1), line);
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

std::string before_end(const std::string& model, const std::string& lines) {
  return model.substr(0, model.rfind("       END")) + lines + "       END\n";
}

}  // namespace kelvo::test
