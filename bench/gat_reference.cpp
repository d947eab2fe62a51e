// Hand-written simulation of the benchmark model GENERATE 10,4 / ADVANCE 5
// / TERMINATE 1 for 100000 arrivals: a binary-heap event list over plain
// floats and the engine's 69069 generator. The reference the engine's
// whole run of bench/models/gat100k.txt is timed against. Prints the end
// clock.
#include <cstdint>
#include <cstdio>
#include <queue>
#include <vector>

namespace {

struct Event {
  float time;
  std::uint64_t order;  // filing order: first come first served at equal times
  int kind;             // 0 arrival, 1 end of the delay
  bool operator>(const Event& o) const { return time != o.time ? time > o.time : order > o.order; }
};

struct Stream {
  std::uint32_t seed = 3;
  float next() {
    seed = static_cast<std::uint32_t>((69069ull * seed) & 0x7FFFFFFFu);
    return static_cast<float>(seed) / 2147483648.0f;
  }
};

}  // namespace

int main() {
  std::priority_queue<Event, std::vector<Event>, std::greater<Event>> events;
  Stream rn;
  std::uint64_t order = 0;
  int created = 0;
  int terminated = 0;
  float clock = 0.0f;
  events.push({0.0f, order++, 0});
  while (!events.empty() && terminated < 100000) {
    const Event ev = events.top();
    events.pop();
    clock = ev.time;
    if (ev.kind == 0) {
      if (created == 100000) continue;
      ++created;
      events.push({clock + (6.0f + 8.0f * rn.next()), order++, 0});
      events.push({clock + 5.0f, order++, 1});
    } else {
      ++terminated;
    }
  }
  std::printf("clock %.2f after %d terminations\n", static_cast<double>(clock), terminated);
  return 0;
}
