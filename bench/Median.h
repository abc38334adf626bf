#pragma once
// The timing harnesses' one measure: the median of repeated runs, which
// shrugs off the odd slow run a busy machine or Wine throws in.
#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace orbiform::bench {

// Runs `work` `runs` times (at least 1) and returns the median in milliseconds.
inline double MedianMilliseconds(const std::function<void()>& work, int runs = 21) {
  runs = std::max(runs, 1);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[runs / 2];
}

}  // namespace orbiform::bench
