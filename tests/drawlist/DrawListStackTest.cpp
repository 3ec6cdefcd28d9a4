// The renderer's stack of chains: the preset each stage gets at each tier, the
// menus' blur in front, and what stays unchanged when a stage is unknown.
#include "DrawListTestFiles.h"

#include "render/DrawListStack.h"

namespace {

std::vector<std::string> Names(const DrawListStack& stack)
{
    std::vector<std::string> names;
    for (const DrawList& chain : stack.Chains()) names.push_back(chain.name);
    return names;
}

TEST(DrawListStack, EachStageGetsItsPresetAtEachTier)
{
    struct Tier
    {
        DWORD version;
        const char* names[4];
    };
    const Tier tiers[] = {
        {D3DPS_VERSION(3, 0), {"HDR", "HDR", "HeatandHDR", "MotionBlur"}},
        {D3DPS_VERSION(2, 0), {"2_0", "2_0", "Heat2_0", "2_0"}},
        {D3DPS_VERSION(2, 0b1), {"2_0", "2_0", "Heat2_0", "2_0"}},
        {D3DPS_VERSION(1, 4), {"2_0", "2_0", "2_0", "2_0"}},
    };
    for (const Tier& tier : tiers) {
        DrawListStack stack;
        for (int stage = 1; stage <= 4; ++stage) {
            SCOPED_TRACE(testing::Message() << std::hex << tier.version << std::dec << " stage " << stage);
            stack.SetRedraw(false);
            const Reports r = CaptureReports([&] { stack.SelectLevel(stage, tier.version); });
            EXPECT_EQ(r.count, 0) << r.text;
            EXPECT_EQ(Names(stack), std::vector<std::string>{tier.names[stage - 1]});
            EXPECT_TRUE(stack.IsRedraw());
        }
    }
}

TEST(DrawListStack, TheBlurStaysInFrontAndStageChangesBehindItDoNotPileUp)
{
    const DWORD ps3 = D3DPS_VERSION(3, 0);
    DrawListStack stack;
    stack.SelectLevel(1, ps3);
    // The main menu opens: every chain goes, the blur comes.
    stack.Clear();
    stack.Add(ShippedDrawList("Blur.cfg"));
    EXPECT_EQ(Names(stack), std::vector<std::string>{"Blur"});
    stack.SelectLevel(1, ps3);
    EXPECT_EQ(Names(stack), (std::vector<std::string>{"Blur", "HDR"}));
    EXPECT_EQ(stack.First()->name, "Blur");
    // A developer key loads stage 3 behind the menu: its chain replaces stage 1's.
    stack.SetRedraw(false);
    stack.SelectLevel(3, ps3);
    EXPECT_EQ(Names(stack), (std::vector<std::string>{"Blur", "HeatandHDR"}));
    EXPECT_TRUE(stack.IsRedraw());
    // The menu closes: the stage's own chain is drawn from the next frame, rebuilt there.
    stack.SetRedraw(false);
    stack.Pop();
    EXPECT_EQ(Names(stack), std::vector<std::string>{"HeatandHDR"});
    EXPECT_TRUE(stack.IsRedraw());
    stack.SelectLevel(4, ps3);
    EXPECT_EQ(Names(stack), std::vector<std::string>{"MotionBlur"});
    // The pause menu puts the blur behind the stage's chain, which stays first.
    stack.Add(ShippedDrawList("Blur.cfg"));
    EXPECT_EQ(Names(stack), (std::vector<std::string>{"MotionBlur", "Blur"}));
    stack.Pop();
    stack.Pop();
    stack.SetRedraw(false);
    stack.Pop(); // nothing left: still a redraw
    EXPECT_TRUE(stack.IsRedraw());
    EXPECT_EQ(stack.First(), nullptr);
    stack.SetRedraw(false);
    stack.Clear();
    EXPECT_FALSE(stack.IsRedraw()); // clearing nothing changes nothing
}

TEST(DrawListStack, UnknownStagesAndMissingFilesKeepTheStackUsable)
{
    DrawListStack stack;
    stack.SelectLevel(2, D3DPS_VERSION(3, 0));
    for (int stage : {0, 5, -1}) {
        SCOPED_TRACE(stage);
        stack.SetRedraw(false);
        const Reports r = CaptureReports([&] { stack.SelectLevel(stage, D3DPS_VERSION(3, 0)); });
        EXPECT_EQ(r.count, 1);
        EXPECT_EQ(Names(stack), std::vector<std::string>{"HDR"});
        EXPECT_FALSE(stack.IsRedraw());
    }
    // A missing blur file still gives the menu a chain to pop.
    const Reports r = CaptureReports([&] { stack.Add("../Config/NoBlurHere.cfg"); });
    EXPECT_EQ(r.count, 1);
    ASSERT_EQ(stack.Chains().size(), 2u);
    EXPECT_TRUE(stack.Chains().back().IsEmpty());
    stack.Pop();
    EXPECT_TRUE(stack.First()->IsEmpty());
    // A missing blur file's empty chain keeps the blur's place in front, so a
    // stage chosen under the menu waits behind it for the menu to close.
    stack.Clear();
    CaptureReports([&] { stack.Add("..\\NoSuchFolder\\Blur.cfg"); });
    stack.SelectLevel(1, D3DPS_VERSION(3, 0));
    EXPECT_EQ(Names(stack), (std::vector<std::string>{"Blur", "HDR"}));
    stack.Pop();
    EXPECT_EQ(Names(stack), std::vector<std::string>{"HDR"});
    EXPECT_EQ(PostProcessColumn(D3DPS_VERSION(3, 0)), 0);
    EXPECT_EQ(PostProcessColumn(D3DPS_VERSION(2, 0)), 1);
    EXPECT_EQ(PostProcessColumn(D3DPS_VERSION(1, 4)), 2);
}

} // namespace
