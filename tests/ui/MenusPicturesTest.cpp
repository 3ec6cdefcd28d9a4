// The menus drawn: the whole script on a windowless llvmpipe device, the back
// buffer saved as a picture at each step (the splash, the main menu over the
// blurred stage, the options with a checked box, the pause menu, the replay
// menu with the pointer hovering, the stage after "yes" with no HUD). The
// run tree's HUD images are replaced by flat colours, one per texture, so the
// pixels show which image is drawn where, the pointer over everything.
// With LV_MENU_PICTURES_AS_SHIPPED set the shipped images stay (pictures to
// look at) and the pixel checks are left out.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "DXUT.h"
#include "Image.h"
#include "MenuSteps.h"
#include "ScratchGameTree.h"
#include "core/Resources.h"
#include "d3d9_host.h"
#include "ui/HUDManager.h"
#include "ui/MousePointer.h"

namespace {

// Every image the menus and the pointer show.
const int kHudTextures[] = {1,  15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 27, 30,
                            31, 32, 48, 49, 59, 63, 64, 65, 66, 67, 68, 83, 84, 85};

struct Rgb
{
    int r, g, b;
};

// Distinct, fully opaque colours.
Rgb FlatColour(int texture)
{
    return {(texture * 53 + 40) % 256, (texture * 97 + 90) % 256, (texture * 29 + 150) % 256};
}

void WriteFlatTextures(const ScratchGameTree& tree)
{
    for (int id : kHudTextures) {
        const Rgb c = FlatColour(id);
        gen::Image image(8, 8, gen::Color(c.r / 255.0f, c.g / 255.0f, c.b / 255.0f, 1.0f));
        ASSERT_TRUE(gen::WritePng(tree.Path(std::string("Textures/") + TextureFileNames[id]), image));
    }
}

class Picture
{
public:
    bool Read() { return LvD3D9_ReadBackBuffer(DXUTGetD3D9Device(), rgba, &width, &height); }
    Rgb At(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
        return {rgba[i], rgba[i + 1], rgba[i + 2]};
    }

private:
    std::vector<uint8_t> rgba;
    UINT width = 0;
    UINT height = 0;
};

bool Near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

testing::AssertionResult ShowsTexture(const Picture& picture, int x, int y, int texture)
{
    const Rgb seen = picture.At(x, y);
    const Rgb wanted = FlatColour(texture);
    if (Near(seen, wanted)) return testing::AssertionSuccess();
    return testing::AssertionFailure() << "at (" << x << ", " << y << "): " << seen.r << "," << seen.g << "," << seen.b
                                       << " instead of texture " << texture << "'s " << wanted.r << "," << wanted.g
                                       << "," << wanted.b;
}

int PointerTexture()
{
    return gHUDManager->GetPointer()->GetTexture();
}

// One run of WinMain per process: it registers the exit routine.
TEST(MenusPictures, EachStepDrawsItsImagesWithThePointerOnTop)
{
    const bool asShipped = std::getenv("LV_MENU_PICTURES_AS_SHIPPED") != nullptr;
    const std::string folder = std::string(LV_TEST_PICTURES) + "/menu_pictures";
    std::filesystem::create_directories(folder);
    ScratchGameTree tree("menus_pictures");
    if (!asShipped) WriteFlatTextures(tree);

    MenuScript script(640, 480);
    const int W = 640, H = 480;
    MenuRun run(script);
    script.everyFrame = [&run](int frame) { run.WatchReplay(frame); };
    AddOpeningSteps(run);
    AddOptionsOverPauseSteps(run);
    AddReplaySteps(run);
    // The pointer over the forward button: the hover image.
    script.Add(
        "hover", [] { return true; }, [&script] { script.MoveHotSpotTo(640 - 88, 480 - 119); });
    script.Add(
        "hovering", [] { return PointerTexture() == HUDManager::kPointerHoverTexture; }, [] {});
    AddTryAgainSteps(run);

    // Pictures at these steps, and what their pixels must show.
    std::map<std::string, std::function<void(const Picture&)>> checks = {
        {"start",
         [&](const Picture& p) {
             EXPECT_TRUE(ShowsTexture(p, W / 2, H / 2, 49)); // the logo
             EXPECT_TRUE(ShowsTexture(p, W - 5, H - 5, 18)); // the full-screen bar behind it
             EXPECT_TRUE(ShowsTexture(p, 5, 5, PointerTexture()));
         }},
        {"main menu",
         [&](const Picture& p) {
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 40, H / 2 + 15, 16)); // new game
             EXPECT_TRUE(ShowsTexture(p, W / 2, H / 2 - 42, 15));      // title
             EXPECT_TRUE(ShowsTexture(p, W / 2, 30, 18));              // top bar
             EXPECT_TRUE(ShowsTexture(p, W / 2 + 10, H / 2 + 10, PointerTexture()));
         }},
        {"invert x checked",
         [&](const Picture& p) {
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 72, H / 2 - 26, 64)); // the checked box
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 72, H / 2 + 4, 63));  // invert y's empty box
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 10, H / 2 - 20, 65)); // "invert x"
         }},
        {"pause",
         [&](const Picture& p) {
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 50, H / 2 + 5, 85));  // resume
             EXPECT_TRUE(ShowsTexture(p, W / 2 - 20, H / 2 + 75, 17)); // quit
             EXPECT_TRUE(ShowsTexture(p, W / 2, H - 30, 18));          // bottom bar
         }},
        {"hovering",
         [&](const Picture& p) {
             EXPECT_TRUE(ShowsTexture(p, W - 80, H - 110, HUDManager::kPointerHoverTexture));
             EXPECT_TRUE(ShowsTexture(p, W - 135, H - 105, 22)); // the toggle shows "play" while paused
             EXPECT_TRUE(ShowsTexture(p, 70, H - 110, 31));      // yes
             EXPECT_TRUE(ShowsTexture(p, 120, H - 110, 32));     // no
         }},
        {"recording again",
         [&](const Picture& p) {
             // No HUD: nothing of the bars, the buttons or the pointer.
             for (const auto& [x, y, texture] :
                  {std::tuple<int, int, int>{W / 2, 30, 18}, {70, H - 110, 31}, {W - 80, H - 110, 48}}) {
                 EXPECT_FALSE(ShowsTexture(p, x, y, texture));
             }
         }},
    };
    int pictures = 0;
    script.onStep = [&](const std::string& step) {
        const auto check = checks.find(step);
        if (check == checks.end()) return;
        Picture picture;
        ASSERT_TRUE(picture.Read()) << step;
        std::string file = step;
        for (char& c : file)
            if (c == ' ') c = '_';
        EXPECT_TRUE(LvD3D9_SaveBackBufferPNG(DXUTGetD3D9Device(), (folder + "/" + file + ".png").c_str()));
        ++pictures;
        if (!asShipped) check->second(picture);
    };

    EXPECT_EQ(RunGame(run, true), 0);
    EXPECT_EQ(pictures, static_cast<int>(checks.size()));
    EXPECT_EQ(run.mismatches, 0);
}

} // namespace
