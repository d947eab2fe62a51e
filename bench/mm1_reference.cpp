// Hand-written simulation of the M/M/1 benchmark models: SOURCES streams
// of Poisson arrivals (each of mean SOURCES, so together of mean 1) join
// one FIFO line before one server whose service times come from the same
// 24-point inverse of the exponential distribution (mean 0.8) as the
// models. A binary heap of events ordered by time and filing order, and
// the statistics the engine reports (the line's maximum, time-average
// contents, entries, zero entries and time per customer; the server's
// utilisation and entries). The reference that bench/models/mm1.txt
// (1 source, 50000 customers) and mm1_million.txt (10 sources, 999990)
// are timed against. Usage: mm1_reference CUSTOMERS SOURCES
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <queue>
#include <vector>

#include "reference_stream.h"

namespace {

struct Event {
  double time;
  std::uint64_t order;  // filing order: first come first served at equal times
  int kind;             // 0 .. sources-1 an arrival of that source, -1 the end of a service
  bool operator>(const Event& o) const { return time != o.time ? time > o.time : order > o.order; }
};

// The inverse of the exponential distribution (mean 1) at 24 points, its
// tail cut at 0.9999, linear between the points.
struct ExponentialInverse {
  double p[24] = {0,    0.1,  0.2,  0.3,  0.4,  0.5,  0.6,   0.7,   0.75,  0.8,   0.84,  0.88,
                  0.9,  0.92, 0.94, 0.95, 0.96, 0.97, 0.98,  0.99,  0.995, 0.998, 0.999, 1.0};
  double y[24];
  ExponentialInverse() {
    for (int i = 0; i < 24; ++i) y[i] = -std::log(1.0 - std::fmin(p[i], 0.9999));
  }
  double operator()(double u) const {
    int i = 1;
    while (i < 23 && u > p[i]) ++i;
    return y[i - 1] + (y[i] - y[i - 1]) * (u - p[i - 1]) / (p[i] - p[i - 1]);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const long customers = argc > 1 ? std::atol(argv[1]) : 50000;
  const int sources = argc > 2 ? std::atoi(argv[2]) : 1;
  const long per_source = (customers + sources - 1) / sources;
  const ExponentialInverse exponential_inverse;
  Stream arrive{3}, serve{5};
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> fec;
  std::uint64_t order = 0;
  std::vector<long> made(static_cast<std::size_t>(sources), 0);
  for (int s = 0; s < sources; ++s) fec.push({-sources * std::log(1.0 - arrive.next()), order++, s});
  std::deque<double> line;  // arrival times of the waiting customers
  double clock = 0.0, line_area = 0.0, busy_area = 0.0, line_time = 0.0;
  long line_max = 0, line_entries = 0, zero_entries = 0, served = 0, server_entries = 0;
  bool busy = false;
  const auto start_service = [&] {
    busy = true;
    ++server_entries;
    fec.push({clock + 0.8 * exponential_inverse(serve.next()), order++, -1});
  };
  while (served < customers && !fec.empty()) {
    const Event ev = fec.top();
    fec.pop();
    line_area += static_cast<double>(line.size()) * (ev.time - clock);
    busy_area += (busy ? 1.0 : 0.0) * (ev.time - clock);
    clock = ev.time;
    if (ev.kind >= 0) {
      long& n = made[static_cast<std::size_t>(ev.kind)];
      if (++n < per_source) fec.push({clock - sources * std::log(1.0 - arrive.next()), order++, ev.kind});
      ++line_entries;
      if (busy) {
        line.push_back(clock);
        line_max = std::max(line_max, static_cast<long>(line.size()));
      } else {
        ++zero_entries;
        start_service();
      }
    } else {
      ++served;
      busy = false;
      if (!line.empty()) {
        line_time += clock - line.front();
        line.pop_front();
        start_service();
      }
    }
  }
  std::printf("customers %ld clock %.2f line: maximum %ld average %.4f entries %ld zero %ld time %.4f server: %.4f %ld\n",
              served, clock, line_max, line_area / clock, line_entries, zero_entries,
              line_time / static_cast<double>(line_entries), busy_area / clock, server_entries);
  return 0;
}
