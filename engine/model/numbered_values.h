// Values that a shared WAITIF test may read (station contents, queue
// contents, savevalues), each with the number of its latest change. A
// test taken at change number n reads the same values until one of them
// takes a later number, so the test need not be taken again before. The
// tables can be read as arrays but changed only through set(), add() and
// fill(), which number the change: no writer can forget it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvo {

// The change numbers given so far: they only grow, and are never reset.
struct ChangeStamps {
  std::int64_t last = 0;  // the latest number given

  std::int64_t next() { return ++last; }
};

template <typename T, std::size_t N>
class NumberedValues {
 public:
  const T& operator[](std::size_t i) const { return values_[i]; }
  static constexpr std::size_t size() { return N; }
  // The number of the latest change of value i (0: none).
  std::int64_t changed_at(std::size_t i) const { return changed_[i]; }

  void set(std::size_t i, T v, ChangeStamps& c) {
    values_[i] = v;
    changed_[i] = c.next();
  }
  void add(std::size_t i, T d, ChangeStamps& c) { set(i, values_[i] + d, c); }
  // Every value at once, under one number.
  void fill(T v, ChangeStamps& c) {
    values_.fill(v);
    changed_.fill(c.next());
  }

 private:
  std::array<T, N> values_{};
  std::array<std::int64_t, N> changed_{};
};

}  // namespace kelvo
