#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Win32Host.h"
#include "core/Clock.h"
#include "core/ScreenText.h"
#include "core/ScreenTextDrawer.h"

namespace {
struct Drawn
{
    std::wstring text;
    float x;
    float y;
    unsigned int colour;
};

std::vector<Drawn> gDrawn;

void RecordText(const wchar_t* text, float x, float y, unsigned int colour)
{
    gDrawn.push_back(Drawn{text, x, y, colour});
}

class ScreenTextTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gDrawn.clear();
        ClearScreenMessages();
        SetScreenTextDrawer(&RecordText);
        Clock::Reset();
        Win32UseVirtualCounter(50000000);
        Clock::Init();
    }
    void TearDown() override
    {
        SetScreenTextDrawer(nullptr);
        ClearScreenMessages();
        Clock::Reset();
        Win32UseRealCounter();
    }

    // One frame of 30 ms, then the renderer's call.
    static void Frame()
    {
        Win32AdvanceVirtualCounter(30 * 10000);
        Clock::Tick();
        gDrawn.clear();
        DrawScreenMessages();
    }
};
} // namespace

TEST_F(ScreenTextTest, LinesAreDrawnForOneFrame)
{
    ScreenTextLines = {"one", "two", "three"};
    Frame();
    ASSERT_EQ(gDrawn.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(gDrawn[i].x, 15.0f);
        EXPECT_EQ(gDrawn[i].y, 15.0f + 15.0f * i);
        EXPECT_EQ(gDrawn[i].colour, 0xFFFFFFFFu);
    }
    EXPECT_EQ(gDrawn[2].text, L"three");
    Frame();
    EXPECT_TRUE(gDrawn.empty());
}

TEST_F(ScreenTextTest, TimedMessagesAndTheOneRemovalPerFrameRule)
{
    ScreenMessages.push_back(ScreenMessage{"short", 0.05f});
    ScreenMessages.push_back(ScreenMessage{"after", 1.0f});

    Frame(); // 0.05 -> 0.02
    ASSERT_EQ(gDrawn.size(), 2u);
    EXPECT_EQ(gDrawn[0].x, 300.0f);
    EXPECT_EQ(gDrawn[0].y, 15.0f);
    EXPECT_EQ(gDrawn[1].y, 30.0f);

    Frame(); // 0.02 -> below 0: removed, and the pass ends there
    ASSERT_EQ(gDrawn.size(), 1u);
    EXPECT_EQ(gDrawn[0].text, L"short");
    ASSERT_EQ(ScreenMessages.size(), 1u);

    Frame(); // the next message moves up to the first row
    ASSERT_EQ(gDrawn.size(), 1u);
    EXPECT_EQ(gDrawn[0].text, L"after");
    EXPECT_EQ(gDrawn[0].y, 15.0f);
}

TEST_F(ScreenTextTest, ExactlyZeroIsDrawnOnceMore)
{
    ScreenMessages.push_back(ScreenMessage{"edge", 0.03f});
    Frame(); // 0.03 - 0.03 = 0: kept
    EXPECT_EQ(ScreenMessages.size(), 1u);
    Frame();
    EXPECT_EQ(gDrawn.size(), 1u);
    EXPECT_TRUE(ScreenMessages.empty());
}

TEST_F(ScreenTextTest, NoFontDrawsNothingAndClearEmptiesBoth)
{
    SetScreenTextDrawer(nullptr);
    DrawScreenText("headless", 1.0f, 2.0f);
    DrawScreenText(nullptr, 1.0f, 2.0f);
    EXPECT_TRUE(gDrawn.empty());

    ScreenTextLines.push_back("a");
    ScreenMessages.push_back(ScreenMessage{"b", 5.0f});
    ClearScreenMessages();
    EXPECT_TRUE(ScreenTextLines.empty());
    EXPECT_TRUE(ScreenMessages.empty());
}
