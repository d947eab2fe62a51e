// Fixed-width output records and field readers.
// Every report, trace and message line of the engine is built with Rec:
// literal text, blank skips, right-justified integers and fixed-point
// reals that fill their field with asterisks when the value is too wide,
// and character fields. A record break (`br`) starts a new line inside
// one record, so a layout with leading or trailing empty lines is one Rec.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvo::io {

class Rec {
 public:
  // A skip of n columns. It becomes blanks only when more characters
  // follow in the same line, so a trailing skip writes nothing.
  Rec& x(int n);
  // Literal text, always written.
  Rec& lit(std::string_view s);
  // Characters written as they are (the same as lit; reads better for
  // values taken from tables).
  Rec& chars(std::string_view s) { return lit(s); }
  Rec& ch(char c) { return lit(std::string_view(&c, 1)); }
  // Iw: right-justified; w asterisks when the value does not fit.
  Rec& i(long long v, int w);
  // Fw.d: fixed point, rounded to d decimals; the leading zero of a value
  // below 1 is dropped only when it would not fit; d = 0 ends in '.';
  // w asterisks when the value does not fit (or is not finite).
  Rec& f(double v, int w, int d);
  // Aw: a shorter value is right-justified, a longer one keeps its
  // leftmost w characters.
  Rec& a(std::string_view s, int w);
  // Record break: ends the current line and starts a new one.
  Rec& br();

  const std::string& str() const { return text_; }

 private:
  void settle_skip();
  std::string text_;
  int blanks_owed_ = 0;
};

// Formatting of single fields, shared by Rec and by code that builds
// columns by hand.
std::string format_i(long long v, int w);
std::string format_f(double v, int w, int d);
std::string format_a(std::string_view s, int w);

// Iw input: columns 1..w of the field; blanks are ignored, an optional
// sign may lead, anything else is an error. An all-blank field reads 0.
// Returns false on an error (value then left 0).
bool read_i(std::string_view field, int w, long long& value);

// A line cut or padded with blanks to n characters (An input).
std::string read_a(std::string_view line, int n);

// List-directed input of reals: values separated by blanks or commas.
// Reads up to `max` values from text; returns how many were read, or -1
// when a value is malformed.
int read_list_reals(std::string_view text, double* out, int max);

}  // namespace kelvo::io
