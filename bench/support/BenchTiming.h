// Wall-clock timings for the benchmarks: milliseconds between two moments,
// and the median of a run of timings after a warm-up.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double Median(std::vector<double> values)
{
    if (values.empty()) return 0.0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Runs f warmUp times untimed, then runs times timed; the median in ms.
template <typename F>
double MedianMs(int warmUp, int runs, F f)
{
    for (int i = 0; i < warmUp; ++i) f();
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        f();
        times.push_back(Milliseconds(start, Clock::now()));
    }
    return Median(times);
}

} // namespace bench
