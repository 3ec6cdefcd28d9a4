// The HUD on the device's pixel grid: the main menu's bars, built from the
// menu table and drawn as the HUD draws them (the shipped effect's HUD
// technique over the renderer's quad), cover exactly the pixel rows their
// layout gives them. Pixel centres lie on whole coordinates, so a bar whose
// edges fall on half pixels covers its rows y to y + h - 1 and no row more.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "RendererRig.h"
#include "ui/HUD.h"
#include "ui/HUDManager.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuTables.h"

namespace {

const uint8_t kBackdrop[3] = {20, 140, 230};

// The frame's HUD step: the backdrop, then the HUD.
class HudOnBackdrop : public TestFrameHooks
{
public:
    void DrawHud() override
    {
        gRenderer->GetDevice()->Clear(0, nullptr, D3DCLEAR_TARGET,
                                      D3DCOLOR_XRGB(kBackdrop[0], kBackdrop[1], kBackdrop[2]), 1.0f, 0);
        gHUDManager->Render();
    }
};

class HudPixelGrid : public RendererRig
{
protected:
    // Started per back-buffer size by the test.
    void SetUp() override {}
};

TEST_F(HudPixelGrid, MenuBarsCoverExactlyTheirLayoutRows)
{
    struct Case
    {
        int width, height;
        int item; // in the main menu's table: 0 the top bar, 1 the bottom one
        int firstRow, lastRow;
    };
    const Case cases[] = {{640, 480, 0, 0, 74}, {640, 480, 1, 405, 479}, {800, 600, 0, 0, 74}, {800, 600, 1, 525, 599}};
    HudOnBackdrop hudHooks;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " item " << c.item);
        Start(c.width, c.height);
        if (IsSkipped()) return;
        FrameHookSlot::Install(&hudHooks);
        const MenuItemSpec& s = GetMenuSpec(kMenuMain).items[c.item];
        auto hud = std::make_unique<HUDManager>();
        gHUDManager = hud.get();
        HUD* page = new HUD();
        page->AddElement(new MenuItemHUD(s.texture, s.x.Resolve(c.width), s.y.Resolve(c.height), s.w.Resolve(c.width),
                                         s.h.Resolve(c.height), s.event));
        hud->SetActiveHUD(hud->AddHUD(page));
        hud->Update();
        renderer->RenderFrame();
        UINT w = 0, h = 0;
        const std::vector<uint8_t> rgba = BackBuffer(&w, &h);
        ASSERT_EQ(rgba.size(), size_t(c.width) * c.height * 4);
        // Every pixel of the bar's rows, and of the rows just outside it.
        std::ostringstream wrong;
        int wrongCount = 0;
        for (int y = std::max(c.firstRow - 1, 0); y <= std::min(c.lastRow + 1, c.height - 1); ++y) {
            for (int x = 0; x < c.width; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * w + size_t(x)) * 4];
                const bool backdrop = p[0] == kBackdrop[0] && p[1] == kBackdrop[1] && p[2] == kBackdrop[2];
                const bool inside = y >= c.firstRow && y <= c.lastRow;
                if (backdrop == inside && wrongCount++ < 4)
                    wrong << " (" << x << ", " << y << ") " << (inside ? "shows the backdrop" : "shows the bar");
            }
        }
        EXPECT_EQ(wrongCount, 0) << wrong.str();
        gHUDManager = nullptr;
        Stop();
    }
}

} // namespace
