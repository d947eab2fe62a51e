// Matrix programs: MATIN stores one value into the model's matrix, MATUT
// fetches one for an MX reference (reading the model's matrix file the
// first time the matrix is still empty), MATRE and STLRE read rows of
// the matrix from files named by the model or on the console. Takes the
// argument list of the call; produces the matrix and the fetched value,
// or the message and the error at the block (the stop at compile time).
#include <algorithm>
#include <array>
#include <cfloat>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "runtime/builtin_programs.h"
#include "runtime/matrix_files.h"
#include "runtime/run_errors.h"
#include "support/console_answer.h"
#include "support/diagnostics.h"
#include "support/stop.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

real4 to_real4(double v) { return static_cast<real4>(std::clamp(v, -static_cast<double>(FLT_MAX), static_cast<double>(FLT_MAX))); }

int matrix_unit(const Engine& e) { return e.ctl.unit_base + io::offset::matrix; }

// A matrix file that is not there: in a series of runs its rows first to
// last read as 0; otherwise the name and the error at the block.
void missing_matrix_file(Engine& e, std::string_view name, int first, int last) {
  if (e.run.run_count >= 1) {
    for (auto& column : e.mat.matrix_data) {
      for (int r = std::max(first, 1); r <= std::min(last, k_matrix_rows); ++r) column[ix(r)] = 0.0f;
    }
    return;
  }
  write_error_line(e, io::Rec().lit(" The following file is missing: ").lit(name).str());
  report_block_error(e);
}

// A line of a free-form matrix file made ready for counting: commas and a
// '.' after a letter become blanks; every character that cannot belong
// to a number becomes a blank. False for a rule line (a '-' followed by
// anything but a digit), which holds no data.
bool clean_free_form_line(std::string& line) {
  constexpr std::size_t k_line = 144;
  constexpr std::size_t k_examined = 11 * k_matrix_cols + 2;
  line = io::read_a(line, static_cast<int>(k_line));
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ',' || (i > 0 && line[i] == '.' && is_letter(line[i - 1]))) line[i] = ' ';
  }
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '-' && (i + 1 >= line.size() || !is_digit_char(line[i + 1]))) return false;
  }
  line.resize(k_examined);
  for (char& c : line) {
    if (!is_digit_char(c) && c != '.' && c != '-') c = ' ';
  }
  return true;
}

// How many numbers the cleaned line holds.
int count_numbers(std::string_view line) {
  int n = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != ' ' && (i == 0 || line[i - 1] == ' ')) ++n;
  }
  return n;
}

// Reads the model's matrix file in free form: every line with numbers is
// a row; the first sets the number of columns, every later one must have
// as many.
void read_free_form_matrix(Engine& e) {
  auto& m = e.mat;
  const std::string name = model_file_name(e, "FRM");
  if (!io::Channels::exists(name) || !e.ch.open_read(matrix_unit(e), name)) {
    missing_matrix_file(e, name, 1, k_matrix_rows);
    return;
  }
  int rows = 0;
  std::string line;
  while (e.ch.read_line(matrix_unit(e), line) == io::ReadStatus::ok) {
    if (!clean_free_form_line(line)) continue;
    const int n = count_numbers(line);
    if (n == 0) continue;
    if (rows == 0 && n > k_matrix_cols) {
      run_error(e, io::Rec().lit(" Number of columns exceeds maximum of ").i(k_matrix_cols, 3));
    }
    if (rows == 0) m.matrix_cols = n;
    if (n != m.matrix_cols) {
      write_error_message(e, " Error in read-in file");
      run_error(e, " Different amount of numbers on lines");
    }
    if (rows == k_matrix_rows) run_error(e, " MNU file is too long");
    std::array<double, k_matrix_cols> values{};
    if (io::read_list_reals(line, values.data(), n) != n) run_error(e, " Error in read-in file");
    ++rows;
    for (int c = 1; c <= n; ++c) m.matrix_data[ix(c)][ix(rows)] = to_real4(values[ix(c - 1)]);
  }
  e.ch.close(matrix_unit(e));
  m.matrix_rows = rows;
}

// Reads rows first to last of the matrix, `columns` numbers each (a row
// may go on over further lines), from the file `name`; skip_title skips
// the file's first line.
void read_matrix_rows(Engine& e, std::string_view name, int first, int rows, int columns, bool skip_title) {
  auto& m = e.mat;
  const int last = first + rows - 1;
  if (first < 1 || last > k_matrix_rows) run_error(e, " Row number outside of permitted range");
  m.matrix_rows = last;
  if (!io::Channels::exists(name) || !e.ch.open_read(matrix_unit(e), name)) {
    missing_matrix_file(e, name, first, last);
    return;
  }
  std::string line;
  if (skip_title) (void)e.ch.read_line(matrix_unit(e), line);
  std::array<double, k_matrix_cols> values{};
  for (int r = first; r <= last; ++r) {
    int have = 0;
    while (have < columns) {
      if (e.ch.read_line(matrix_unit(e), line) != io::ReadStatus::ok) {
        e.ch.write(io::k_console_out, " File is too short");
        stop_program(e);
      }
      const int n = io::read_list_reals(line, values.data() + have, columns - have);
      if (n < 0) run_error(e, " Error in read-in file");
      have += n;
    }
    for (int c = 1; c <= columns; ++c) m.matrix_data[ix(c)][ix(r)] = to_real4(values[ix(c - 1)]);
  }
  e.ch.close(matrix_unit(e));
}

// Further files of a MATRE dialogue, each with its rows, columns and
// start row asked on the console.
void read_further_files(Engine& e, bool skip_title) {
  auto& m = e.mat;
  while (ask_y_or_n(e, " Do you want to read another file? (Y/N)")) {
    e.ch.write(io::k_console_out, " Give name of file to be read by MATRE");
    const std::string name(trim_blanks(read_console_line(e)));
    int rows = 0;
    while (rows < 1) rows = ask_whole_number(e, " Give number of rows in file");
    int columns = ask_whole_number(e, " Give number of columns in file");
    while (columns < 1 || columns > k_matrix_cols) {
      e.ch.write(io::k_console_out, io::Rec().lit(" Column number above maximum of ").i(k_matrix_cols, 3));
      columns = ask_whole_number(e, " Give number of columns in file");
    }
    int first = ask_whole_number(e, " Give start row in matrix");
    while (first < 1 || first + rows - 1 > k_matrix_rows) {
      e.ch.write(io::k_console_out, " Row number outside of permitted range");
      first = ask_whole_number(e, " Give start row in matrix");
    }
    const int rows_before = m.matrix_rows;
    read_matrix_rows(e, name, first, rows, columns, skip_title);
    // The rows and columns read before stay part of the matrix.
    m.matrix_rows = std::max(rows_before, m.matrix_rows);
    m.matrix_cols = std::max(m.matrix_cols, columns);
  }
}

}  // namespace

void check_matrix_dimensions(Engine& e, ProgramArgs& args) {
  auto& m = e.mat;
  e.run.matrix_output_wanted = true;
  const int4 r = trunc_i32(args.value(1));
  const int4 c = trunc_i32(args.value(2));
  if (c > k_matrix_cols) run_error(e, io::Rec().lit(" Column number of matrix exceeds ").i(k_matrix_cols, 3));
  if (r > k_matrix_rows) run_error(e, io::Rec().lit(" Number of rows of matrix exceeds ").i(k_matrix_rows, 4));
  if (c > 0 && r > m.matrix_rows) m.matrix_rows = r;
  if (c > m.matrix_cols) m.matrix_cols = c;
  // A row or column below 1 stores nothing.
  if (r < 1 || c < 1) return;
  m.matrix_data[ix(c)][ix(r)] = args.value(3);
}

void check_mx_row_column(Engine& e, ProgramArgs& args) {
  auto& m = e.mat;
  const int4 r = trunc_i32(args.value(1));
  const int4 c = trunc_i32(args.value(2));
  if (c > m.matrix_cols && m.matrix_cols == 0 && c <= k_matrix_cols) {
    // The first reference to an empty matrix reads the model's matrix file.
    m.matrix_cols = c;
    read_free_form_matrix(e);
  }
  if (c > m.matrix_cols) run_error(e, " Illegal value on column in MX matrix");
  if (r > k_matrix_rows) run_error(e, " Illegal value on row in MX matrix");
  args.set_value(3, r >= 1 && c >= 1 ? m.matrix_data[ix(c)][ix(r)] : 0.0f);
}

void matrix_read_dialog(Engine& e, ProgramArgs& args, bool structured) {
  auto& m = e.mat;
  const int4 rows = trunc_i32(args.value(1));
  const int4 columns = trunc_i32(args.value(2));
  if (rows < 1 || rows > k_matrix_rows) run_error(e, " Illegal row value in B operand");
  if (columns < 1 || columns > k_matrix_cols) run_error(e, " Illegal column value in B operand");
  m.matrix_rows = rows;
  m.matrix_cols = columns;
  const real4 source = args.value(3);
  if (source > 0.0f) {
    e.ch.write(io::k_console_out, " Give name of file to be read by MATRE");
    const std::string name(trim_blanks(read_console_line(e)));
    read_matrix_rows(e, name, trunc_i32(source), rows, columns, structured);
    read_further_files(e, structured);
  } else {
    // 0: the model's matrix file; below 0: no file.
    const std::string name = source == 0.0f ? model_file_name(e, "FRM") : std::string();
    read_matrix_rows(e, name, 1, rows, columns, structured);
  }
}

}  // namespace kelvo
