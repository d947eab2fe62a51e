// Hand-written simulation of the WAITIF gate benchmark model
// (bench/models/waitif_gate.txt): ten streams of Poisson arrivals (mean 10
// each, at most 99999 each) reach a gate that is shut but for 0.5 time
// units every 10000; a customer who finds it shut waits in a FIFO line.
// When the gate opens, the waiters pass at that time, in line order. A
// binary heap of events ordered by time and filing order; the run ends
// when 900000 customers have passed. Prints the clock, the customers
// passed and their mean wait. Usage: gate_reference
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <queue>
#include <vector>

#include "reference_stream.h"

namespace {

struct Event {
  double time;
  std::uint64_t order;  // filing order: first come first served at equal times
  int kind;             // 0 .. 9 an arrival of that source, -1 the gate opens, -2 it shuts
  bool operator>(const Event& o) const { return time != o.time ? time > o.time : order > o.order; }
};

constexpr int k_sources = 10;
constexpr long k_per_source = 99999;
constexpr long k_customers = 900000;
constexpr double k_period = 10000.0;
constexpr double k_open_for = 0.5;

}  // namespace

int main() {
  Stream arrive{3};
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> fec;
  std::uint64_t order = 0;
  long made[k_sources] = {};
  for (int s = 0; s < k_sources; ++s) fec.push({-k_sources * std::log(1.0 - arrive.next()), order++, s});
  fec.push({k_period, order++, -1});
  std::deque<double> line;  // arrival times of the waiters
  bool shut = true;
  double clock = 0.0, wait_sum = 0.0;
  long passed = 0;
  while (passed < k_customers && !fec.empty()) {
    const Event ev = fec.top();
    fec.pop();
    clock = ev.time;
    if (ev.kind >= 0) {
      if (++made[ev.kind] < k_per_source) fec.push({clock - k_sources * std::log(1.0 - arrive.next()), order++, ev.kind});
      if (shut) {
        line.push_back(clock);
      } else {
        ++passed;
      }
    } else if (ev.kind == -1) {
      shut = false;
      // The waiters pass in line order, up to the last customer the run counts.
      while (!line.empty() && passed < k_customers) {
        wait_sum += clock - line.front();
        line.pop_front();
        ++passed;
      }
      fec.push({clock + k_open_for, order++, -2});
      fec.push({clock + k_period, order++, -1});
    } else {
      shut = true;
    }
  }
  std::printf("clock %.2f passed %ld waiting %zu mean wait %.2f\n", clock, passed, line.size(),
              wait_sum / static_cast<double>(passed));
  return 0;
}
