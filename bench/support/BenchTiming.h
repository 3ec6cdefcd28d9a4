// Wall-clock timings for the benchmarks: a span in seconds, milliseconds or
// microseconds, the mean, median and percentiles of a run of timings, and the
// median of a run taken after a warm-up.
#pragma once

#include <algorithm>
#include <chrono>
#include <numeric>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

inline double Milliseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

inline double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

inline double Milliseconds(Clock::time_point from, Clock::time_point to)
{
    return Milliseconds(to - from);
}

inline double Mean(const std::vector<double>& values)
{
    if (values.empty()) return 0.0;
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
}

// The value percent of the way up the sorted run (the last one at 100):
// index size * percent / 100, held to the last.
inline double Percentile(std::vector<double> values, int percent)
{
    if (values.empty()) return 0.0;
    const std::size_t index = std::min(values.size() - 1, values.size() * percent / 100);
    std::nth_element(values.begin(), values.begin() + index, values.end());
    return values[index];
}

// The upper median: the middle value, or the higher of the middle two.
inline double Median(std::vector<double> values)
{
    return Percentile(std::move(values), 50);
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
