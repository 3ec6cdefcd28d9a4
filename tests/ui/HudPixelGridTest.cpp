// The HUD on the device's pixel grid: the main menu's bars, built from the
// menu table and drawn as the HUD draws them (the shipped effect's HUD
// technique over the renderer's quad), cover exactly the pixel rows their
// layout gives them, on the back buffer at two sizes, in a render target of
// another size and in a viewport inside the back buffer. Pixel centres lie on
// whole coordinates, so a bar of odd height, whose edges fall on half pixels,
// covers its rows y to y + h - 1 and no row more.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sstream>

#include "RendererRig.h"
#include "d3d9_host.h"
#include "ui/HUD.h"
#include "ui/HUDManager.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuTables.h"

namespace {

const int kBackdrop[3] = {20, 140, 230};

// An offscreen target or a viewport; zero size: the back buffer, whole.
struct Area
{
    int x, y, width, height;
};

struct GridCase
{
    const char* what;
    int width, height; // the back buffer, which the layout reads
    Area target;       // a render target of this size (x, y unused)
    Area viewport;     // a viewport of the back buffer
    int item;          // index in the main menu's table
    // The pixels the bar must cover, in what it is drawn into.
    int firstRow, lastRow, firstColumn, lastColumn;
};

D3DCOLOR Backdrop()
{
    return D3DCOLOR_XRGB(kBackdrop[0], kBackdrop[1], kBackdrop[2]);
}

// The frame's HUD step, run by the test.
class HudHooks : public TestFrameHooks
{
public:
    void DrawHud() override
    {
        if (draw) draw();
    }
    std::function<void()> draw;
};

class HudPixelGrid : public RendererRig
{
protected:
    // Started per back-buffer size by the test.
    void SetUp() override {}

    // The table's item at the current back buffer, the only element of the
    // active page.
    void ShowItem(int index)
    {
        const MenuSpec& spec = GetMenuSpec(kMenuMain);
        ASSERT_LT(static_cast<std::size_t>(index), spec.itemCount);
        const MenuItemSpec& s = spec.items[index];
        hud = std::make_unique<HUDManager>();
        gHUDManager = hud.get();
        HUD* page = new HUD();
        page->AddElement(new MenuItemHUD(s.texture, s.x.Resolve(width), s.y.Resolve(height), s.w.Resolve(width),
                                         s.h.Resolve(height), s.event));
        hud->SetActiveHUD(hud->AddHUD(page));
        hud->Update();
    }

    void Hide()
    {
        gHUDManager = nullptr;
        hud.reset();
    }

    // The renderer's frame, whose HUD step clears to the backdrop and draws
    // the page into the case's target or viewport; what it drew as RGBA
    // bytes, top row first.
    std::vector<uint8_t> DrawInto(const GridCase& c, UINT& w, UINT& h)
    {
        IDirect3DDevice9* device = Device();
        IDirect3DTexture9* texture = nullptr;
        IDirect3DSurface9* surface = nullptr;
        if (c.target.width > 0) {
            EXPECT_EQ(device->CreateTexture(c.target.width, c.target.height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                            D3DPOOL_DEFAULT, &texture, nullptr),
                      D3D_OK);
            if (texture) texture->GetSurfaceLevel(0, &surface);
        }
        hudHooks.draw = [&] {
            IDirect3DSurface9* backBuffer = nullptr;
            device->GetRenderTarget(0, &backBuffer);
            D3DVIEWPORT9 whole = {};
            device->GetViewport(&whole);
            if (surface) device->SetRenderTarget(0, surface);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, Backdrop(), 1.0f, 0);
            if (c.viewport.width > 0) {
                const D3DVIEWPORT9 inside = {DWORD(c.viewport.x),
                                             DWORD(c.viewport.y),
                                             DWORD(c.viewport.width),
                                             DWORD(c.viewport.height),
                                             0.0f,
                                             1.0f};
                device->SetViewport(&inside);
            }
            gHUDManager->Render();
            device->SetRenderTarget(0, backBuffer);
            device->SetViewport(&whole);
            backBuffer->Release();
        };
        renderer->RenderFrame();
        hudHooks.draw = nullptr;
        std::vector<uint8_t> rgba;
        if (surface) {
            std::vector<float> values;
            EXPECT_TRUE(LvD3D9_ReadSurface(surface, values, &w, &h));
            for (float v : values) rgba.push_back(static_cast<uint8_t>(v * 255.0f + 0.5f));
            surface->Release();
            texture->Release();
        } else {
            rgba = BackBuffer(&w, &h);
        }
        return rgba;
    }

    std::unique_ptr<HUDManager> hud;
    HudHooks hudHooks;
    int width = 0, height = 0;
};

TEST_F(HudPixelGrid, BarsCoverExactlyTheirLayoutRows)
{
    const GridCase cases[] = {
        {"640x480 top bar", 640, 480, {}, {}, 0, 0, 74, 0, 639},
        {"640x480 bottom bar", 640, 480, {}, {}, 1, 405, 479, 0, 639},
        {"800x600 top bar", 800, 600, {}, {}, 0, 0, 74, 0, 799},
        {"800x600 bottom bar", 800, 600, {}, {}, 1, 525, 599, 0, 799},
        // Laid out for 800 x 600, drawn at half the size: the edges fall on
        // quarter pixels, y -0.25 to 37.25 and 262.25 to 299.75.
        {"top bar in a 400x300 target", 800, 600, {0, 0, 400, 300}, {}, 0, 0, 37, 0, 399},
        {"bottom bar in a 400x300 target", 800, 600, {0, 0, 400, 300}, {}, 1, 263, 299, 0, 399},
        {"top bar in a 400x300 viewport at (100, 50)", 800, 600, {}, {100, 50, 400, 300}, 0, 50, 87, 100, 499},
        {"bottom bar in a 400x300 viewport at (100, 50)", 800, 600, {}, {100, 50, 400, 300}, 1, 313, 349, 100, 499},
    };
    for (const GridCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (!started || width != c.width || height != c.height) {
            Hide();
            Stop();
            Start(c.width, c.height);
            if (IsSkipped()) return;
            FrameHookSlot::Install(&hudHooks);
            width = c.width;
            height = c.height;
        }
        ShowItem(c.item);
        UINT w = 0, h = 0;
        const std::vector<uint8_t> rgba = DrawInto(c, w, h);
        ASSERT_EQ(rgba.size(), size_t(w) * h * 4);
        // Every pixel of the bar's rows and columns, and the ring just outside.
        std::ostringstream wrong;
        int wrongCount = 0;
        for (int y = c.firstRow - 1; y <= c.lastRow + 1; ++y) {
            for (int x = c.firstColumn - 1; x <= c.lastColumn + 1; ++x) {
                if (x < 0 || y < 0 || x >= int(w) || y >= int(h)) continue;
                const uint8_t* p = &rgba[(size_t(y) * w + size_t(x)) * 4];
                const bool backdrop = p[0] == kBackdrop[0] && p[1] == kBackdrop[1] && p[2] == kBackdrop[2];
                const bool inside = y >= c.firstRow && y <= c.lastRow && x >= c.firstColumn && x <= c.lastColumn;
                if (backdrop == inside && wrongCount++ < 4)
                    wrong << " (" << x << ", " << y << ") " << (inside ? "shows the backdrop" : "shows the bar");
            }
        }
        EXPECT_EQ(wrongCount, 0) << wrong.str();
        Hide();
    }
    Hide();
}

} // namespace
