#include <gtest/gtest.h>

#include "Win32Host.h"
#include "core/Clock.h"

namespace {
constexpr long long kTicksPerMs = kWin32CounterFrequency / 1000;

class ClockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::Reset(); // the only way back to an uninitialised clock
        Win32UseVirtualCounter(12345678901LL);
    }
    void TearDown() override
    {
        Clock::Reset();
        Win32UseRealCounter();
    }

    static void Frame(long long ms)
    {
        Win32AdvanceVirtualCounter(ms * kTicksPerMs);
        Clock::Tick();
    }
};
} // namespace

TEST_F(ClockTest, InitMeasuresTheWholeCounterAndCaps)
{
    EXPECT_FALSE(Clock::Tick()); // not initialised
    EXPECT_EQ(Clock::GetFrameTime(true), 0.0f);

    ASSERT_TRUE(Clock::Init());
    EXPECT_EQ(Clock::GetFrameTime(true), 66.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 66.0f);

    // A second Init changes nothing.
    Frame(10);
    EXPECT_FALSE(Clock::Init());
    EXPECT_EQ(Clock::GetFrameTime(true), 10.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 76.0f);
}

TEST_F(ClockTest, FramesAreCappedAtSixtySix)
{
    ASSERT_TRUE(Clock::Init());
    Frame(200);
    EXPECT_EQ(Clock::GetFrameTime(true), 66.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 132.0f);
    Frame(16);
    EXPECT_EQ(Clock::GetFrameTime(false), 16.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 148.0f);
}

TEST_F(ClockTest, TimeScaleAffectsOnlyTheScaledTime)
{
    ASSERT_TRUE(Clock::Init());
    Clock::SetTimeScale(0.5f);
    Frame(30);
    EXPECT_EQ(Clock::GetFrameTime(true), 30.0f);
    EXPECT_EQ(Clock::GetFrameTime(false), 15.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 96.0f); // unscaled

    // The cap applies before scaling.
    Clock::SetTimeScale(0.1f);
    Frame(500);
    EXPECT_FLOAT_EQ(Clock::GetFrameTime(false), 6.6f);

    Clock::SetTimeScale(0.0f); // scaling off
    Frame(20);
    EXPECT_EQ(Clock::GetFrameTime(false), 20.0f);
    EXPECT_EQ(Clock::GetFrameTime(true), 20.0f);
}

TEST_F(ClockTest, HugeCounterAndBackwardStepAreSafe)
{
    // A counter near the top of its range: (count * 1000) does not fit in 64 bits.
    Win32UseVirtualCounter(9000000000000000000LL);
    ASSERT_TRUE(Clock::Init());
    EXPECT_EQ(Clock::GetFrameTime(true), 66.0f);
    Frame(5);
    EXPECT_EQ(Clock::GetFrameTime(true), 5.0f);

    // A counter that steps back gives an empty frame, never a negative one.
    Win32UseVirtualCounter(1000);
    Clock::Tick();
    EXPECT_EQ(Clock::GetFrameTime(true), 0.0f);
    EXPECT_EQ(Clock::GetTotalTime(), 71.0f);
    Frame(12);
    EXPECT_EQ(Clock::GetFrameTime(true), 12.0f);
}
