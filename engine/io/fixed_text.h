// Fixed-length character values: blank padded, 1-based column access,
// comparisons that treat a shorter value as padded with blanks.
// Used for statement lines (80), names (6, 9), messages (50, 129) and
// file names (125).
#pragma once

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace kelvo {

// A string_view compared as if blank padded to the longer length.
inline bool padded_equal(std::string_view a, std::string_view b) {
  const std::size_t n = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char ca = i < a.size() ? a[i] : ' ';
    const char cb = i < b.size() ? b[i] : ' ';
    if (ca != cb) return false;
  }
  return true;
}

// Text without leading and trailing blanks (used where a field is a path).
inline std::string_view trim_blanks(std::string_view s) {
  const auto first = s.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

inline std::string_view trim_right(std::string_view s) {
  const auto last = s.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string_view{} : s.substr(0, last + 1);
}

template <int N>
struct FixedText {
  static constexpr int size = N;
  std::array<char, N> c;

  FixedText() { c.fill(' '); }
  explicit FixedText(std::string_view s) { assign(s); }

  // Copies s, cut to N characters or padded with blanks.
  void assign(std::string_view s) {
    const int n = static_cast<int>(std::min<std::size_t>(s.size(), N));
    std::copy_n(s.data(), n, c.begin());
    std::fill(c.begin() + n, c.end(), ' ');
  }
  void clear() { c.fill(' '); }

  // 1-based column; columns outside 1..N read as blank and writes to
  // them are dropped, so column arithmetic can never leave the field.
  char at(int col) const { return col >= 1 && col <= N ? c[col - 1] : ' '; }
  void set(int col, char ch) {
    if (col >= 1 && col <= N) c[col - 1] = ch;
  }

  std::string_view view() const { return {c.data(), static_cast<std::size_t>(N)}; }
  // Columns from..to (1-based, inclusive), clamped to the field.
  std::string_view cols(int from, int to) const {
    from = std::max(from, 1);
    to = std::min(to, N);
    if (to < from) return {};
    return {c.data() + from - 1, static_cast<std::size_t>(to - from + 1)};
  }
  std::string_view trimmed() const { return trim_blanks(view()); }
  std::string_view trimmed_right() const { return trim_right(view()); }
  bool is_blank() const { return trimmed_right().empty(); }

  bool operator==(std::string_view s) const { return padded_equal(view(), s); }
  template <int M>
  bool operator==(const FixedText<M>& o) const { return padded_equal(view(), o.view()); }
};

using Text6 = FixedText<6>;
using Text9 = FixedText<9>;
using Text50 = FixedText<50>;
using Line80 = FixedText<80>;
using Text125 = FixedText<125>;
using Text129 = FixedText<129>;

}  // namespace kelvo
