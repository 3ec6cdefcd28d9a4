// The benchmarks' shared helpers: the statistics their figures are read
// from, the command line of the longer runs, and the allocation count that
// their "no allocation per frame" targets rest on.
#include <gtest/gtest.h>

#include <new>
#include <string>
#include <vector>

#include "AllocationCount.h"
#include "BenchOptions.h"
#include "BenchTiming.h"

namespace {

TEST(BenchStatistics, PercentilesMediansAndMeans)
{
    struct Case
    {
        std::vector<double> values;
        int percent;
        double percentile;
        double median;
        double mean;
    };
    const Case cases[] = {
        {{}, 50, 0.0, 0.0, 0.0},
        {{7.0}, 95, 7.0, 7.0, 7.0},
        // Even counts take the higher of the middle two.
        {{4.0, 1.0, 3.0, 2.0}, 0, 1.0, 3.0, 2.5},
        {{5.0, 1.0, 4.0, 2.0, 3.0}, 100, 5.0, 3.0, 3.0},
        // 20 values: the 95th percentile is the 20th smallest (index 19).
        {{20, 19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 95, 20.0, 11.0, 10.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.values));
        EXPECT_DOUBLE_EQ(bench::Percentile(c.values, c.percent), c.percentile);
        EXPECT_DOUBLE_EQ(bench::Median(c.values), c.median);
        EXPECT_DOUBLE_EQ(bench::Mean(c.values), c.mean);
    }
}

TEST(BenchStatistics, SpansInEachUnit)
{
    const bench::Clock::duration span = std::chrono::microseconds(2500);
    EXPECT_DOUBLE_EQ(bench::Seconds(span), 0.0025);
    EXPECT_DOUBLE_EQ(bench::Milliseconds(span), 2.5);
    EXPECT_DOUBLE_EQ(bench::Microseconds(span), 2500.0);
    const bench::Clock::time_point t0{};
    EXPECT_DOUBLE_EQ(bench::Milliseconds(t0, t0 + span), 2.5);
}

TEST(BenchStatistics, MedianMsRunsTheWarmUpUntimed)
{
    int calls = 0;
    const double ms = bench::MedianMs(3, 5, [&calls] { ++calls; });
    EXPECT_EQ(calls, 8);
    EXPECT_GE(ms, 0.0);
}

TEST(BenchOptions, QuickAndRepeat)
{
    struct Case
    {
        std::vector<std::string> args;
        int defaultRepeat;
        bool quick;
        int repeat;
    };
    const Case cases[] = {
        {{}, 3, false, 3},
        {{"--quick"}, 3, true, 3},
        {{"--repeat", "5", "--quick"}, 3, true, 5},
        {{"--repeat", "0"}, 3, false, 1},
        {{"--repeat", "-4"}, 3, false, 1},
        {{"--repeat"}, 3, false, 3}, // no count follows: the default stays
        {{"--sizes", "32,64", "--quick"}, 0, true, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> storage = {"bench"};
        storage.insert(storage.end(), c.args.begin(), c.args.end());
        std::vector<char*> argv;
        for (std::string& a : storage) argv.push_back(&a[0]);
        const bench::RunOptions options =
            bench::ParseRunOptions(static_cast<int>(argv.size()), argv.data(), c.defaultRepeat);
        SCOPED_TRACE(::testing::PrintToString(c.args));
        EXPECT_EQ(options.quick, c.quick);
        EXPECT_EQ(options.repeat, c.repeat);
    }
}

TEST(BenchAllocations, CountsOnlyWhileCounting)
{
    // Calls of the operator itself: a new-expression's allocation may be elided.
    void* before = ::operator new(16);
    bench::StartCountingAllocations();
    void* a = ::operator new(16);
    void* b = ::operator new(0);
    const long counted = bench::StopCountingAllocations();
    void* after = ::operator new(16);
    ::operator delete(a);
    ::operator delete(b);
    ::operator delete(before);
    ::operator delete(after);
    EXPECT_EQ(counted, 2);
    // A fresh count starts from nothing.
    bench::StartCountingAllocations();
    EXPECT_EQ(bench::StopCountingAllocations(), 0);
}

} // namespace
