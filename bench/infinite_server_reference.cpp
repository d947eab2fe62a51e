// Hand-written simulation of the infinite-server benchmark model: Poisson
// arrivals (mean 1) stay an exponential time, drawn from the same
// 24-point inverse of the distribution as the model, and leave. The
// future events are a binary heap, so its cost per event does not grow
// with the number in flight: the reference the engine's run of the same
// model is timed against. Usage: infinite_server_reference MEAN [ARRIVALS]
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <queue>
#include <vector>

#include "reference_stream.h"

namespace {

// The inverse of the exponential distribution (mean 1) at 24 points, its
// tail cut at 0.9999, linear between the points.
double exponential_inverse(double u) {
  static const double p[] = {0,    0.1,  0.2,  0.3,  0.4,  0.5,  0.6,   0.7,   0.75,  0.8,   0.84,  0.88,
                             0.9,  0.92, 0.94, 0.95, 0.96, 0.97, 0.98,  0.99,  0.995, 0.998, 0.999, 1.0};
  for (int i = 1; i < 24; ++i) {
    if (u <= p[i]) {
      const double y0 = -std::log(1.0 - std::fmin(p[i - 1], 0.9999));
      const double y1 = -std::log(1.0 - std::fmin(p[i], 0.9999));
      return y0 + (y1 - y0) * (u - p[i - 1]) / (p[i] - p[i - 1]);
    }
  }
  return -std::log(0.0001);
}

}  // namespace

int main(int argc, char** argv) {
  const double mean = argc > 1 ? std::atof(argv[1]) : 100.0;
  const long arrivals = argc > 2 ? std::atol(argv[2]) : 100000;
  Stream arrive{3}, stay{5};
  std::priority_queue<double, std::vector<double>, std::greater<double>> departures;
  double clock = 0.0, next_arrival = -std::log(1.0 - arrive.next());
  long arrived = 0, left = 0;
  double in_flight_area = 0.0;
  while (left < arrivals) {
    const bool arrival = arrived < arrivals && (departures.empty() || next_arrival < departures.top());
    const double t = arrival ? next_arrival : departures.top();
    in_flight_area += static_cast<double>(departures.size()) * (t - clock);
    clock = t;
    if (arrival) {
      ++arrived;
      departures.push(clock + mean * exponential_inverse(stay.next()));
      next_arrival = clock - std::log(1.0 - arrive.next());
    } else {
      departures.pop();
      ++left;
    }
  }
  std::printf("clock %.2f  average in flight %.1f\n", clock, in_flight_area / clock);
  return 0;
}
