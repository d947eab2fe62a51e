// Hand-written simulation of a single-server queue with exponential
// arrivals (mean 1) and constant service 0.8, for 50000 customers: the
// reference the engine's run of the same model is timed against.
// Prints the time-average queue length, the mean wait and the server's
// utilisation, so a run can be checked against queueing theory.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <queue>
#include <vector>

#include "reference_stream.h"

namespace {

struct Event {
  double time;
  int kind;  // 0 arrival, 1 service end
  bool operator>(const Event& o) const { return time > o.time; }
};

}  // namespace

int main(int argc, char** argv) {
  const long customers = argc > 1 ? std::atol(argv[1]) : 50000;
  const double service = 0.8;
  Stream rn{5};
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> fec;
  std::deque<double> line;  // arrival times of the waiting customers
  double clock = 0.0;
  double queue_area = 0.0;
  double busy_area = 0.0;
  double wait_sum = 0.0;
  bool busy = false;
  long served = 0;
  long arrived = 0;
  fec.push({0.0, 0});
  while (served < customers && !fec.empty()) {
    const Event ev = fec.top();
    fec.pop();
    queue_area += static_cast<double>(line.size()) * (ev.time - clock);
    busy_area += (busy ? 1.0 : 0.0) * (ev.time - clock);
    clock = ev.time;
    if (ev.kind == 0) {
      ++arrived;
      if (arrived < customers) {
        const double u = 1.0 - rn.next();
        fec.push({clock - std::log(u < 1e-8 ? 1e-9 : u), 0});
      }
      if (busy) {
        line.push_back(clock);
      } else {
        busy = true;
        fec.push({clock + service, 1});
      }
    } else {
      ++served;
      if (line.empty()) {
        busy = false;
      } else {
        wait_sum += clock - line.front();
        line.pop_front();
        fec.push({clock + service, 1});
      }
    }
  }
  std::printf("customers %ld clock %.2f queue %.4f wait %.4f utilisation %.4f\n", served, clock,
              queue_area / clock, wait_sum / static_cast<double>(served), busy_area / clock);
  return 0;
}
