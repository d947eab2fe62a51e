// FUNCTION data files and address functions. Takes an open data file or
// a data line's address name; produces the function's points (frequency
// data as a cumulative distribution) and, after translation, the block
// numbers of the addresses that the points name.
#include "translator/function_data.h"

#include <cmath>
#include <string>

#include "io/fixed_format.h"
#include "model/engine.h"
#include "support/diagnostics.h"
#include "support/output_files.h"
#include "support/packed_names.h"
#include "support/text_routines.h"

namespace kelvo {

namespace {

void data_error(Engine& e, std::string_view message) {
  flag_error_without_hint(e, message);
  const int unit = open_error_unit(e);
  e.ch.write(unit, " Error in data in or prior to this line");
  if (e.ctl.java_mode) e.ch.write(unit, io::Rec().x(6).lit(e.cs.stmt.stmt_line.cols(1, 68)));
  e.ctl.error_found = true;
}

// One pair of a data-file record: list-directed, blanks or commas between
// the values, '/' ends the record. False when the record holds no pair.
bool read_pair(std::string_view line, double& x, double& y) {
  const std::size_t slash = line.find('/');
  if (slash != std::string_view::npos) line = line.substr(0, slash);
  double v[2] = {0.0, 0.0};
  return io::read_list_reals(line, v, 2) == 2 && ((x = v[0]), (y = v[1]), true);
}

}  // namespace

bool read_function_pairs(Engine& e, int unit, int declared, int& count) {
  count = 0;
  std::string line;
  if (declared > k_function_point_limit) declared = k_function_point_limit;
  for (;;) {
    const io::ReadStatus st = e.ch.read_line(unit, line);
    if (st != io::ReadStatus::ok) break;
    if (line.find_first_not_of(' ') == std::string::npos) continue;
    double x = 0.0, y = 0.0;
    if (!read_pair(line, x, y)) {
      e.ch.close(unit);
      flag_error_without_hint(e, " Error in data in or prior to this line");
      return false;
    }
    const int k = take_slot(e, count, declared, " Too many data pairs in file", ErrorEffect::flag_without_hint);
    if (k == 0) {
      e.ch.close(unit);
      return false;
    }
    e.cs.fnread.fn_buf_x[ix(k)] = static_cast<real4>(x);
    e.cs.fnread.fn_buf_y[ix(k)] = static_cast<real4>(y);
  }
  e.ch.close(unit);
  return true;
}

bool cumulate_frequencies(Engine& e, int n) {
  auto& y = e.cs.fnread.fn_buf_y;
  real4 s = 0.0f;
  for (int k = 1; k <= n; ++k) s += y[ix(k)];
  if (!(s > 0.0f)) {
    flag_error_without_hint(e, " Division with 0");
    return false;
  }
  real4 c = 0.0f;
  for (int k = 1; k <= n; ++k) {
    c = c + y[ix(k)] / s;
    y[ix(k)] = c;
  }
  return true;
}

bool store_function_column(Engine& e, int f, int n, bool frequencies) {
  if (f < 1 || f > k_function_limit || n < 0 || n > k_function_point_limit) return false;
  if (frequencies && !cumulate_frequencies(e, n)) return false;
  auto& fn = e.ent.fn;
  for (int k = 1; k <= n; ++k) {
    fn.function_x[ix(f)][ix(k)] = e.cs.fnread.fn_buf_x[ix(k)];
    fn.function_y[ix(f)][ix(k)] = e.cs.fnread.fn_buf_y[ix(k)];
    e.ent.fn.fn_point_name[ix(f)][ix(k)] = 0;
  }
  fn.function_point_count[ix(f)] = n;
  e.ent.fn.fn_complete[ix(f)] = n >= 1 && std::fabs(e.cs.fnread.fn_buf_y[ix(n)] - 1.0f) < 1.0e-4f;
  return true;
}

int parse_address_function(Engine& e, int f, int k, int col) {
  const Line80& l = e.cs.stmt.stmt_line;
  std::string name;
  int c = col;
  for (; c < col + 3; ++c) {
    if (!is_letter(l.at(c))) {
      data_error(e, " Address must start with at least three letters");
      return 0;
    }
    name += l.at(c);
  }
  for (;; ++c) {
    const char ch = l.at(c);
    if (ch == '/' || ch == ' ') break;
    if (!is_letter(ch) && !is_digit_char(ch)) {
      data_error(e, " Illegal character.  Not digit letter . , or /");
      return 0;
    }
    if (name.size() >= 6) {
      data_error(e, " Address more than 6 characters");
      return 0;
    }
    name += ch;
  }
  if (f < 1 || f > k_function_limit || k < 1 || k > k_function_point_limit) return 0;
  name.resize(6, ' ');
  e.ent.fn.fn_point_name[ix(f)][ix(k)] = pack_symbol_name(e, name);
  e.ent.fn.address_function_defined = true;
  return c;
}

void resolve_function_addresses(Engine& e, int f) {
  auto& fn = e.ent.fn;
  const int n = std::min(fn.function_point_count[ix(f)], k_function_point_limit);
  for (int k = 1; k <= n; ++k) {
    const int4 name = e.ent.fn.fn_point_name[ix(f)][ix(k)];
    if (name == 0) continue;
    const int found = find_name(e.blocks.block_label, e.blocks.block_count, name);
    if (found > 0) {
      fn.function_y[ix(f)][ix(k)] = static_cast<real4>(found);
      continue;
    }
    const int unit = open_warning_unit(e);
    e.ch.write(unit, " WARNING");
    e.ch.write(unit, io::Rec().lit(" Address ").i(k, 3).lit(" in function nr. ").i(f, 3).lit(" possibly missing"));
  }
}

void link_function_arguments(Engine& e) {
  auto& fn = e.ent.fn;
  const int count = std::min(fn.function_count, k_function_limit);
  for (int f = 1; f <= count; ++f) {
    // An argument named by an entity name (Q$LINE, X$NAME, V$NAME ...)
    // becomes the entity's number, so that every call reads the entity as
    // it stands then (a savevalue's current value, the expression's value);
    // another function as the argument is refused.
    const int kind = fn.function_arg_class[ix(f)];
    const int ak = kind < 0 ? -kind : kind;
    int4& value = fn.function_arg_value[ix(f)];
    const bool entity = ak == opnd::queue || ak == opnd::block_count || ak == opnd::storage ||
                        ak == opnd::remaining || ak == opnd::waiting || ak == opnd::function ||
                        ak == opnd::variable || ak == opnd::savevalue;
    if (entity && (value < 1 || value > 1000)) {
      int mode = k_mode_function_definition;
      int number = value;
      const bool station = ak == opnd::storage || ak == opnd::remaining;
      find_entity_number(e, station ? k_class_station : ak, value, mode, number);
      value = number;
    }
    resolve_function_addresses(e, f);
    index_function_points(e, f);
  }
}

void index_function_points(Engine& e, int f) {
  auto& fn = e.ent.fn;
  const int n = std::min(fn.function_point_count[ix(f)], k_function_point_limit);
  const auto& xs = fn.function_x[ix(f)];
  fn.fn_part_scale[ix(f)] = 0.0;
  // Worth it from a few points on, over a range of finite width.
  if (n < 8) return;
  const real8 low = xs[1], high = xs[ix(n)];
  if (!(high > low) || !std::isfinite(low) || !std::isfinite(high)) return;
  fn.fn_part_scale[ix(f)] = k_function_parts / (high - low);
  int k = 1;
  for (int j = 0; j < k_function_parts; ++j) {
    while (k <= n && function_part(fn, f, xs[ix(k)]) < j) ++k;
    fn.fn_first_point[ix(f)][ix(j)] = static_cast<int2>(k);
  }
}

}  // namespace kelvo
