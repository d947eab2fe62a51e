// Saving the model's matrix after the runs. Takes the matrix, the menu
// file written from the data lines after END and, on the console, the
// file names and rows typed; produces the matrix files (FRM, 12 values of
// F11.2 a line) and the merged files (CSV: a menu text, '",' and the
// row's values separated by commas).
#include "runtime/matrix_files.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

// A value below this magnitude counts as no value (it is written 0.00).
constexpr real4 k_used_threshold = 1.0e-5f;
// Characters of a menu text, of a matrix file line, of a merged line.
constexpr int k_menu_text = 30;
constexpr int k_matrix_line = 132;
constexpr int k_merged_line = 162;

// v to the nearest whole number, halves away from zero, saturating.
int4 whole_number(real4 v) { return v >= 0.0f ? trunc_i32(v + 0.5f) : -trunc_i32(-v + 0.5f); }

// Every line of a file, each cut to n characters; false when it cannot be read.
bool read_lines(Engine& e, int unit, std::string_view name, int n, std::vector<std::string>& lines) {
  if (!e.ch.open_read(unit, name)) return false;
  std::string line;
  while (e.ch.read_line(unit, line) == io::ReadStatus::ok) lines.push_back(line.substr(0, static_cast<std::size_t>(n)));
  e.ch.close(unit);
  return true;
}

// The model's menu file is there: the matrix files are merged with it.
bool menu_file_present(Engine& e) { return io::Channels::exists(model_file_name(e, "MNU")); }

// The merged file's name: the matrix file's with the extension CSV.
std::string merged_name(std::string_view matrix_file) {
  std::string name(matrix_file);
  const auto slash = name.find_last_of("/\\");
  const auto dot = name.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) name.resize(dot);
  return name + ".CSV";
}

// The values part of a merged line: the matrix line with a comma after
// each value (three columns after its point, or after each whole-number
// field of an integer row 1); a rule text's character fills the value
// columns instead, the blanks between them becoming commas.
std::string merged_values(std::string values, char rule, int columns, bool integer_row) {
  if (rule != ' ') {
    values.clear();
    for (int c = 0; c < columns; ++c) values += ' ' + std::string(10, rule);
    for (std::size_t i = values.find(rule) + 1; i < values.size(); ++i) {
      if (values[i] == ' ') values[i] = ',';
    }
    return values;
  }
  std::vector<std::size_t> commas;
  if (integer_row) {
    for (int c = 0; c < columns; ++c) commas.push_back(static_cast<std::size_t>(8 + 11 * c));
  } else {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (values[i] == '.') commas.push_back(i + 3);
    }
  }
  for (std::size_t p : commas) {
    if (p >= values.size()) values.resize(p + 1, ' ');
    values[p] = ',';
  }
  return values;
}

// Writes rows first to last (columns 1 to `columns`) to the file `name`
// and merges it with the menu texts; false when the save is to end.
bool save_matrix_file(Engine& e, std::string_view name, int first, int last, int columns) {
  if (last < first) {
    write_error_message(e, " Start row higher than end row");
    return false;
  }
  const int unit = e.ctl.unit_base + io::offset::matrix;
  const std::string path(trim_blanks(name));
  if (io::Channels::exists(path)) io::Channels::remove_file(path);
  if (!e.ch.open_new(unit, path)) {
    // The merged file is made from this one: it is named as not written
    // before the message, which ends the run.
    if (menu_file_present(e)) e.ch.report_not_written(merged_name(path), path);
    flag_error_without_hint(e, unopened_file_message(path));
    return false;
  }
  write_matrix_rows(e, unit, first, last, columns);
  e.ch.close(unit);
  matrix_form_merge(e, path, first, columns);
  return true;
}

// A file name typed on the console (a blank line asks again).
std::string ask_file_name(Engine& e) {
  for (;;) {
    e.ch.write(io::k_console_out, " Give name of file to write matrix into");
    const std::string name(trim_blanks(read_console_line(e)));
    if (!name.empty()) return name;
  }
}

// A row of the matrix typed on the console: 1 to matrix_rows.
int ask_row(Engine& e, std::string_view question) {
  for (;;) {
    const int row = ask_whole_number(e, question);
    if (row >= 1 && row <= e.mat.matrix_rows) return row;
    e.ch.write(io::k_console_out, " Row number outside permitted range");
  }
}

}  // namespace

int ask_whole_number(Engine& e, std::string_view question) {
  for (;;) {
    e.ch.write(io::k_console_out, question);
    const std::string line = read_console_line(e);
    long long v = 0;
    if (!trim_blanks(line).empty() && io::read_i(line, static_cast<int>(line.size()), v) && v > -1000000 && v < 1000000) {
      return static_cast<int>(v);
    }
  }
}

bool ask_y_or_n(Engine& e, std::string_view question) {
  for (;;) {
    e.ch.write(io::k_console_out, question);
    const std::string line = read_console_line(e);
    const char c = line.empty() ? ' ' : upcased(line[0]);
    if (c == 'Y' || c == 'N') return c == 'Y';
  }
}

void write_matrix_rows(Engine& e, int unit, int first, int last, int columns) {
  const auto& m = e.mat;
  first = std::max(first, 1);
  last = std::min(last, k_matrix_rows);
  columns = std::clamp(columns, 0, k_matrix_cols);
  for (int r = first; r <= last; ++r) {
    io::Rec line;
    for (int c = 1; c <= columns; ++c) {
      const real4 v = m.matrix_data[ix(c)][ix(r)];
      if (r == 1 && m.integer_first_row) line.i(whole_number(v), c == 1 ? 8 : 11);
      else line.f(v, 11, 2);
    }
    e.ch.write(unit, line);
  }
}

int last_used_column(const Engine& e, int first, int last) {
  int used = 1;
  for (int c = 2; c <= k_matrix_cols; ++c) {
    for (int r = std::max(first, 1); r <= std::min(last, k_matrix_rows); ++r) {
      if (std::fabs(e.mat.matrix_data[ix(c)][ix(r)]) > k_used_threshold) used = c;
    }
  }
  return used;
}

void matrix_form_merge(Engine& e, std::string_view matrix_file, int first_row, int columns) {
  const std::string menu_name = model_file_name(e, "MNU");
  if (!menu_file_present(e)) {
    // Only a model that reads its matrix expects a menu file.
    if (e.mat.menu_file_wanted) write_error_line(e, " No file with name " + menu_name);
    return;
  }
  // The merged file is made from the matrix file: lost with it.
  if (e.ch.lost(trim_blanks(matrix_file))) {
    e.ch.report_not_written(merged_name(matrix_file), trim_blanks(matrix_file));
    return;
  }
  std::vector<std::string> menu, matrix;
  if (!read_lines(e, e.ctl.unit_base + io::offset::menu, menu_name, k_menu_text, menu) ||
      !read_lines(e, e.ctl.unit_base + io::offset::matrix, matrix_file, k_matrix_line, matrix)) {
    return;
  }
  if (menu.size() < matrix.size()) {
    const std::string_view message = " File.MNU shorter than file.FRM";
    if (e.ctl.java_mode) write_error_message(e, message);
    else e.ch.write(io::k_console_out, message);
    stop_program(e);
  }
  // The model's MATRIX texts, when it has some, name every merged row.
  const int texts = e.flow.frame.frame_count;
  if (texts > 0 && texts < static_cast<int>(matrix.size())) write_error_message(e, " Not enough MATIN statements with text");
  // The texts are as wide as the longest MATRIX text, or the longest menu text.
  std::size_t width = static_cast<std::size_t>(std::max(e.flow.frame.frame_longest, 0));
  if (width == 0) {
    for (std::size_t i = 0; i < matrix.size(); ++i) width = std::max(width, trim_right(menu[i]).size());
  }
  const int unit = e.ctl.unit_base + io::offset::merged;
  if (!open_or_delete_file(e, unit, merged_name(matrix_file))) return;
  for (std::size_t i = 0; i < matrix.size(); ++i) {
    const std::string text = io::read_a(menu[i], static_cast<int>(width));
    const char first = text.empty() ? ' ' : text[0];
    const char rule = first == '_' || first == '-' || first == '=' ? first : ' ';
    const bool integer_row = e.mat.integer_first_row && first_row + static_cast<int>(i) == 1;
    std::string line = text + "\"," + merged_values(matrix[i], rule, columns, integer_row);
    if (line.size() > static_cast<std::size_t>(k_merged_line)) line.resize(k_merged_line);
    e.ch.write(unit, trim_right(line));
  }
  e.ch.close(unit);
}

void matrix_save_dialog(Engine& e) {
  const auto& m = e.mat;
  if (e.ctl.java_mode) {
    save_matrix_file(e, model_file_name(e, "FRM"), 1, m.matrix_rows, m.matrix_cols);
    return;
  }
  const std::string name = ask_file_name(e);
  if (!save_matrix_file(e, name, 1, m.matrix_rows, last_used_column(e, 1, m.matrix_rows))) return;
  while (ask_y_or_n(e, " Do you want to save in an other file? (Y/N)")) {
    const std::string next = ask_file_name(e);
    const int first = ask_row(e, " Give start row in matrix  ");
    const int last = ask_row(e, " Give last row in matrix  ");
    if (!save_matrix_file(e, next, first, last, last_used_column(e, first, last))) return;
  }
}

}  // namespace kelvo
