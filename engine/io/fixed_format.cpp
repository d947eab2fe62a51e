// Fixed-width field writers and readers.
// Takes values and widths; produces the exact characters of the engine's
// fixed-format records (asterisks on overflow, blank padding).
#include "io/fixed_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kelvo::io {

std::string format_i(long long v, int w) {
  if (w <= 0) return {};
  char buf[32];
  const int n = std::snprintf(buf, sizeof buf, "%lld", v);
  if (n > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w - n), ' ') + buf;
}

std::string format_f(double v, int w, int d) {
  if (w <= 0) return {};
  if (!std::isfinite(v) || d < 0 || d > 30) return std::string(static_cast<std::size_t>(w), '*');
  char buf[400];
  if (std::fabs(v) >= 1e300) return std::string(static_cast<std::size_t>(w), '*');
  std::snprintf(buf, sizeof buf, "%.*f", d, v);
  std::string s = buf;
  // A value that rounds to zero shows no sign.
  if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
  if (d == 0) s += '.';
  if (static_cast<int>(s.size()) > w) {
    // Drop the leading zero of "0.xx" or "-0.xx" when that makes it fit.
    if (s.rfind("0.", 0) == 0) {
      s.erase(0, 1);
    } else if (s.rfind("-0.", 0) == 0) {
      s.erase(1, 1);
    }
  }
  if (static_cast<int>(s.size()) > w) return std::string(static_cast<std::size_t>(w), '*');
  return std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s;
}

std::string format_a(std::string_view s, int w) {
  if (w <= 0) return {};
  const auto uw = static_cast<std::size_t>(w);
  if (s.size() >= uw) return std::string(s.substr(0, uw));
  return std::string(uw - s.size(), ' ') + std::string(s);
}

void Rec::settle_skip() {
  if (blanks_owed_ > 0) text_.append(static_cast<std::size_t>(blanks_owed_), ' ');
  blanks_owed_ = 0;
}

Rec& Rec::x(int n) {
  if (n > 0) blanks_owed_ += n;
  return *this;
}

Rec& Rec::lit(std::string_view s) {
  if (s.empty()) return *this;
  settle_skip();
  text_.append(s);
  return *this;
}

Rec& Rec::i(long long v, int w) { return lit(format_i(v, w)); }
Rec& Rec::f(double v, int w, int d) { return lit(format_f(v, w, d)); }
Rec& Rec::a(std::string_view s, int w) { return lit(format_a(s, w)); }

Rec& Rec::br() {
  blanks_owed_ = 0;
  text_ += '\n';
  return *this;
}

bool read_i(std::string_view field, int w, long long& value) {
  value = 0;
  if (w < 0) return false;
  if (field.size() > static_cast<std::size_t>(w)) field = field.substr(0, static_cast<std::size_t>(w));
  bool negative = false;
  bool seen_sign = false;
  bool seen_digit = false;
  long long v = 0;
  for (char c : field) {
    if (c == ' ') continue;
    if ((c == '+' || c == '-') && !seen_sign && !seen_digit) {
      seen_sign = true;
      negative = c == '-';
      continue;
    }
    if (c < '0' || c > '9') return false;
    seen_digit = true;
    if (v > 99999999999999LL) return false;  // far beyond any field width
    v = v * 10 + (c - '0');
  }
  value = negative ? -v : v;
  return true;
}

std::string read_a(std::string_view line, int n) {
  if (n <= 0) return {};
  std::string s(line.substr(0, std::min<std::size_t>(line.size(), static_cast<std::size_t>(n))));
  s.resize(static_cast<std::size_t>(n), ' ');
  return s;
}

int read_list_reals(std::string_view text, double* out, int max) {
  int count = 0;
  std::size_t i = 0;
  while (count < max) {
    while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '\t')) ++i;
    if (i >= text.size()) break;
    std::size_t j = i;
    while (j < text.size() && text[j] != ' ' && text[j] != ',' && text[j] != '\t') ++j;
    std::string token(text.substr(i, j - i));
    char* end = nullptr;
    const double v = std::strtod(token.c_str(), &end);
    if (end == token.c_str() || *end != '\0' || !std::isfinite(v)) return -1;
    out[count++] = v;
    i = j;
  }
  return count;
}

}  // namespace kelvo::io
