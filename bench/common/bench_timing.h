// Clocks and medians shared by the benchmarks that time whole program actions.
#pragma once
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace bench {

inline double NowMs(clockid_t clock = CLOCK_MONOTONIC) {
  timespec t{};
  clock_gettime(clock, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// Elapsed and processor milliseconds.
struct Timing {
  double wall, cpu;
};

// The median of a list of timings in milliseconds (0 for none).
inline double MedianOf(std::vector<double> ms) {
  if (ms.empty()) return 0;
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// The medians of `runs` timings of f, elapsed and on the processor clock `cpuClock` (this
// thread's by default: the other work on a busy machine does not lengthen it).
inline Timing Median(int runs, const std::function<void()>& f, clockid_t cpuClock = CLOCK_THREAD_CPUTIME_ID) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < runs; ++i) {
    const double w = NowMs(CLOCK_MONOTONIC), c = NowMs(cpuClock);
    f();
    cpu.push_back(NowMs(cpuClock) - c);
    wall.push_back(NowMs(CLOCK_MONOTONIC) - w);
  }
  return {MedianOf(wall), MedianOf(cpu)};
}

// Steps timed as one action; while `record` is set, each step's processor time (this thread's)
// is kept, so that the medians show where the action's time goes.
class Steps {
 public:
  explicit Steps(std::vector<std::function<void()>> steps) : steps_(std::move(steps)), ms_(steps_.size()) {}
  void operator()() {
    double t = NowMs(CLOCK_THREAD_CPUTIME_ID);
    for (size_t i = 0; i < steps_.size(); ++i) {
      steps_[i]();
      const double now = NowMs(CLOCK_THREAD_CPUTIME_ID);
      if (record) ms_[i].push_back(now - t);
      t = now;
    }
  }
  double MedianMs(size_t i) const { return MedianOf(ms_[i]); }
  bool record = false;

 private:
  std::vector<std::function<void()>> steps_;
  std::vector<std::vector<double>> ms_;
};

// "what: t ms (on the processor c ms)", then its ratios to a reference and the goal.
inline void Report(const char* what, Timing t, Timing ref, const char* refName, double goal, int decimals = 3) {
  std::printf("%s: %.*f ms (on the processor %.*f ms)\n", what, decimals, t.wall, decimals, t.cpu);
  std::printf("  / %s: %.2f, on the processor %.2f (goal: within %g)\n", refName, t.wall / ref.wall, t.cpu / ref.cpu,
              goal);
}

}  // namespace bench
