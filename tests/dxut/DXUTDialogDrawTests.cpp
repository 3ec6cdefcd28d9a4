// The editor's dialog drawn on a windowless llvmpipe device and read back: the
// skin's regions where the controls are, legible text only where text goes,
// the list below the box, flat rectangles without a skin, the device's states
// given back, and drawing again after a reset.
#include "DialogUnderTest.h"

#include "Image.h" // the data generator's images and the shipped skin's painter
#include "Textures.h"

#include "d3d9_egl.h"
#include "d3d9_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

struct Rgb
{
    int r, g, b;
};

bool Near(const Rgb& a, const Rgb& b, int tolerance = 3)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << ")";
}

// The skin's regions as the generator lays them out, each filled with a colour
// of its own for the test; the scroll bar's corner splits into four parts.
struct Region
{
    RECT texels;
    Rgb colour;
};
const Region kButton = {{0, 0, 136, 54}, {200, 40, 40}};
const Region kButtonHover = {{136, 0, 252, 54}, {40, 200, 40}};
const Region kFace = {{7, 81, 247, 123}, {40, 40, 200}};
const Region kList = {{13, 123, 241, 160}, {200, 170, 40}};
const Region kSelection = {{12, 163, 239, 183}, {40, 180, 180}};
const Region kComboButton = {{98, 189, 151, 238}, {180, 40, 180}};
const Region kScrollUp = {{196, 192, 218, 212}, {120, 60, 20}};
const Region kScrollTrack = {{196, 212, 218, 223}, {20, 120, 60}};
const Region kScrollDown = {{196, 223, 218, 244}, {60, 20, 120}};
const Region kScrollThumb = {{220, 192, 238, 234}, {150, 100, 60}};

const D3DCOLOR kBackground = D3DCOLOR_XRGB(10, 20, 30);
const Rgb kBackgroundRgb = {10, 20, 30};

class DialogDrawTest : public ::testing::Test
{
protected:
    static constexpr UINT kWidth = 640;
    static constexpr UINT kHeight = 480;

    static void SetUpTestSuite()
    {
        if (!context()) context() = LvEgl_Create(true);
    }

    void SetUp() override
    {
        if (!context()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        baseline_ = LvD3D9_LiveResourceCount();
        device = LvD3D9_CreateDevice(kWidth, kHeight);
        ASSERT_NE(device, nullptr);
    }

    void TearDown() override
    {
        // The manager frees its device objects itself; nothing may be left behind.
        d.reset();
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
            EXPECT_EQ(LvD3D9_LiveResourceCount(), baseline_) << "GL objects leaked";
        }
        LvD3D9_EnableCallLog(false);
        LvD3D9_ClearCallLog();
        if (!skinFile_.empty()) std::remove(skinFile_.c_str());
    }

    static gen::Image TestSkin()
    {
        gen::Image skin(256, 256);
        for (const Region* r : {&kButton, &kButtonHover, &kFace, &kList, &kSelection, &kComboButton, &kScrollUp,
                                &kScrollTrack, &kScrollDown, &kScrollThumb}) {
            for (LONG y = r->texels.top; y < r->texels.bottom; ++y)
                for (LONG x = r->texels.left; x < r->texels.right; ++x)
                    skin.At(x, y) = gen::Color(r->colour.r / 255.f, r->colour.g / 255.f, r->colour.b / 255.f, 1.f);
        }
        return skin;
    }

    // The dialog with the given skin (written to a scratch file), on the device.
    void Make(const gen::Image* skin)
    {
        skinFile_ = ::testing::TempDir() + "lv" + std::to_string(getpid()) + "_dialog_skin.dds";
        std::remove(skinFile_.c_str());
        if (skin) {
            EXPECT_TRUE(gen::WriteDds(skinFile_, {*skin}));
        }
        d.reset(new DialogUnderTest(std::wstring(skinFile_.begin(), skinFile_.end()).c_str()));
        EXPECT_EQ(d->manager.OnD3D9CreateDevice(device), S_OK);
        EXPECT_EQ(d->manager.OnD3D9ResetDevice(), S_OK);
        EXPECT_EQ(d->manager.GetTexture(0) != nullptr, skin != nullptr);
    }

    void Draw()
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, kBackground, 1.f, 0);
        ASSERT_EQ(d->dialog.OnRender(0.016f), S_OK);
        UINT w = 0, h = 0;
        ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, frame_, &w, &h));
        width_ = int(w);
        height_ = int(h);
    }

    void OpenList()
    {
        d->Down(100, 12);
        d->Up(100, 12);
        ASSERT_TRUE(d->list->IsOpened());
    }

    Rgb Pixel(int x, int y) const
    {
        const uint8_t* p = &frame_[(size_t(y) * size_t(width_) + size_t(x)) * 4];
        return {p[0], p[1], p[2]};
    }

    // Text is drawn white; no skin colour comes close.
    bool IsText(int x, int y) const
    {
        const Rgb c = Pixel(x, y);
        return c.r >= 200 && c.g >= 200 && c.b >= 200;
    }

    int TextPixels(const RECT& r, int dx = 0, int dy = 0) const
    {
        int count = 0;
        for (LONG y = r.top; y < r.bottom; ++y)
            for (LONG x = r.left; x < r.right; ++x) count += IsText(int(x) + dx, int(y) + dy);
        return count;
    }

    // Text pixels outside every rectangle given (dialog pixels, shifted by dx, dy).
    int StrayTextPixels(const std::vector<RECT>& allowed, int dx = 0, int dy = 0) const
    {
        int count = 0;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                bool inside = false;
                for (const RECT& r : allowed) {
                    inside = inside || (x >= r.left + dx && x < r.right + dx && y >= r.top + dy && y < r.bottom + dy);
                }
                if (!inside && IsText(x, y)) ++count;
            }
        }
        return count;
    }

    static LvEglContext*& context()
    {
        static LvEglContext* c = nullptr;
        return c;
    }

    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<DialogUnderTest> d;

private:
    std::vector<uint8_t> frame_;
    int width_ = 0, height_ = 0;
    int baseline_ = 0;
    std::string skinFile_;
};

TEST_F(DialogDrawTest, SkinRegionsTextAndTheListBelowTheBox)
{
    const gen::Image skin = TestSkin();
    Make(&skin);
    for (const POINT origin : {POINT{0, 0}, POINT{40, 60}}) {
        SCOPED_TRACE("dialog at " + std::to_string(origin.x) + "," + std::to_string(origin.y));
        const int ox = origin.x, oy = origin.y;
        d->dialog.SetLocation(ox, oy);
        d->Move(ox + 500, oy + 400);
        d->list->CloseList();
        const CDXUTComboBox::Layout closed = d->list->GetLayout();
        Draw();

        // Closed and idle: the box dimmed, its drop-down button, the button's own face.
        const Rgb idleFace = Pixel(ox + 172, oy + 12);
        EXPECT_TRUE(idleFace.b > 100 && idleFace.b < kFace.colour.b - 10 && idleFace.r < 60) << idleFace;
        EXPECT_TRUE(Near(Pixel(ox + 244, oy + 4), kButton.colour)) << Pixel(ox + 244, oy + 4);
        EXPECT_TRUE(Near(Pixel(ox + 317, oy + 32), kButton.colour));
        EXPECT_TRUE(Near(Pixel(ox + 100, oy + 60), kBackgroundRgb)) << "no list while closed";
        EXPECT_TRUE(Near(Pixel(ox + 230, oy + 10), kBackgroundRgb)) << "nothing between the controls";
        // Legible text in the box and on the button, and nowhere else.
        EXPECT_GT(TextPixels(closed.text, ox, oy), 60);
        EXPECT_GT(TextPixels(d->button->GetRect(), ox, oy), 25);
        EXPECT_EQ(StrayTextPixels({closed.text, d->button->GetRect()}, ox, oy), 0);

        // Hovered: the box at full brightness, the button's hover layer.
        d->Move(ox + 100, oy + 12);
        Draw();
        EXPECT_TRUE(Near(Pixel(ox + 172, oy + 12), kFace.colour)) << Pixel(ox + 172, oy + 12);
        EXPECT_TRUE(Near(Pixel(ox + 188, oy + 12), kComboButton.colour)) << Pixel(ox + 188, oy + 12);
        d->Move(ox + 280, oy + 17);
        Draw();
        EXPECT_TRUE(Near(Pixel(ox + 244, oy + 4), kButtonHover.colour)) << Pixel(ox + 244, oy + 4);

        // Open: the list fills the 100 pixels below the box, the selected row
        // lit, the scroll bar's parts down its right side, a line of text per row.
        d->Move(ox + 500, oy + 400);
        d->Down(ox + 100, oy + 12);
        d->Up(ox + 100, oy + 12);
        ASSERT_TRUE(d->list->IsOpened());
        const CDXUTComboBox::Layout open = d->list->GetLayout();
        Draw();
        EXPECT_TRUE(Near(Pixel(ox + 1, oy + 25), kList.colour)) << Pixel(ox + 1, oy + 25);
        EXPECT_TRUE(Near(Pixel(ox + 1, oy + 122), kList.colour));
        EXPECT_TRUE(Near(Pixel(ox + 198, oy + 123), kList.colour));
        EXPECT_TRUE(Near(Pixel(ox + 100, oy + 125), kBackgroundRgb)) << "the list ends 100 pixels below the box";
        const int rowY = oy + int(open.items.top) + open.itemHeight / 2;
        const int rowX = ox + int(open.items.right) - 3; // right of the text
        EXPECT_TRUE(Near(Pixel(rowX, rowY), kSelection.colour)) << Pixel(rowX, rowY);
        EXPECT_TRUE(Near(Pixel(rowX, rowY + open.itemHeight), kList.colour));
        EXPECT_TRUE(Near(Pixel(ox + int(open.up.left) + 1, oy + int(open.up.top) + 1), kScrollUp.colour));
        EXPECT_TRUE(Near(Pixel(ox + int(open.down.left) + 1, oy + int(open.down.bottom) - 2), kScrollDown.colour));
        EXPECT_TRUE(Near(Pixel(ox + int(open.thumb.left) + 8, oy + int(open.thumb.top) + 8), kScrollThumb.colour));
        EXPECT_TRUE(Near(Pixel(ox + int(open.track.left) + 8, oy + int(open.track.bottom) - 3), kScrollTrack.colour));
        for (int row = 0; row < open.visibleItems; ++row) {
            const LONG top = open.items.top + row * open.itemHeight;
            EXPECT_GT(TextPixels(RECT{open.items.left, top, open.items.right, top + open.itemHeight}, ox, oy), 40)
                << "row " << row;
        }
        EXPECT_EQ(StrayTextPixels({open.text, d->button->GetRect(), open.items, open.up, open.down}, ox, oy), 0);
        d->Down(ox + 500, oy + 400);
        d->Up(ox + 500, oy + 400);
    }
}

TEST_F(DialogDrawTest, FlatRectanglesWithoutTheSkin)
{
    Make(nullptr);
    d->Move(500, 400);
    Draw();
    // Each control a rectangle of one colour, away from its text.
    const Rgb face = Pixel(172, 3);
    EXPECT_FALSE(Near(face, kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(2, 21), face));
    EXPECT_TRUE(Near(Pixel(150, 22), face));
    const Rgb button = Pixel(244, 4);
    EXPECT_FALSE(Near(button, kBackgroundRgb));
    EXPECT_FALSE(Near(button, face, 10));
    EXPECT_TRUE(Near(Pixel(317, 32), button));
    EXPECT_TRUE(Near(Pixel(244, 31), button));
    // The drop-down arrow, drawn by hand without the skin's.
    const RECT arrow = d->list->GetLayout().button;
    EXPECT_GT(TextPixels(arrow), 12);
    EXPECT_GT(TextPixels(d->list->GetLayout().text), 60);
    EXPECT_GT(TextPixels(d->button->GetRect()), 25);

    d->Move(280, 17);
    Draw();
    EXPECT_FALSE(Near(Pixel(244, 4), button, 10)) << "the button's hover shows";
    EXPECT_TRUE(Near(Pixel(244, 4), Pixel(317, 32)));

    OpenList();
    Draw();
    const CDXUTComboBox::Layout open = d->list->GetLayout();
    const Rgb list = Pixel(1, 60);
    EXPECT_FALSE(Near(list, kBackgroundRgb));
    EXPECT_TRUE(Near(Pixel(1, 123), list));
    EXPECT_TRUE(Near(Pixel(100, 125), kBackgroundRgb));
    const Rgb lit = Pixel(int(open.items.right) - 3, int(open.items.top) + 2);
    EXPECT_FALSE(Near(lit, list, 10)) << "the selected row stands out";
    EXPECT_GT(TextPixels(open.items), 5 * 40);
}

// Everything the device can be asked about, named, for comparing before and after.
std::map<std::string, uintptr_t> DeviceStates(IDirect3DDevice9* device)
{
    std::map<std::string, uintptr_t> states;
    for (DWORD s = 0; s < LV_D3DRS_COUNT; ++s) {
        DWORD value = 0xDEADBEEFu;
        device->GetRenderState(D3DRENDERSTATETYPE(s), &value);
        states["render state " + std::to_string(s)] = value;
    }
    for (DWORD unit = 0; unit < 4; ++unit) {
        const std::string name = "sampler " + std::to_string(unit);
        for (DWORD s = 0; s < LV_D3DSAMP_COUNT; ++s) {
            DWORD value = 0xDEADBEEFu;
            device->GetSamplerState(unit, D3DSAMPLERSTATETYPE(s), &value);
            states[name + " state " + std::to_string(s)] = value;
        }
        IDirect3DBaseTexture9* texture = nullptr;
        device->GetTexture(unit, &texture);
        states[name + " texture"] = reinterpret_cast<uintptr_t>(texture); // compared by identity
        if (texture) texture->Release();
    }
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    states["fvf"] = fvf;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    device->GetVertexDeclaration(&declaration);
    states["declaration"] = reinterpret_cast<uintptr_t>(declaration);
    if (declaration) declaration->Release();
    RECT r = {};
    device->GetScissorRect(&r);
    states["scissor"] =
        uintptr_t(r.left) | uintptr_t(r.top) << 16 | uintptr_t(r.right) << 32 | uintptr_t(r.bottom) << 48;
    D3DVIEWPORT9 v = {};
    device->GetViewport(&v);
    states["viewport"] = uintptr_t(v.X) | uintptr_t(v.Y) << 16 | uintptr_t(v.Width) << 32 | uintptr_t(v.Height) << 48;
    states["depth range"] = uintptr_t(v.MinZ * 1000.f) | uintptr_t(v.MaxZ * 1000.f) << 16;
    return states;
}

TEST_F(DialogDrawTest, DeviceStatesAreGivenBack)
{
    const gen::Image skin = TestSkin();
    Make(&skin);
    IDirect3DTexture9* sceneTexture = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &sceneTexture, nullptr), D3D_OK);
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    IDirect3DVertexDeclaration9* sceneDeclaration = nullptr;
    ASSERT_EQ(device->CreateVertexDeclaration(elements, &sceneDeclaration), D3D_OK);

    // What a frame may leave behind before the dialog: blending off, depth on,
    // a scissor and a viewport of part of the target, point sampling, the
    // scene's texture, and its vertices set either way.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    const RECT scissor = {5, 5, 600, 400};
    device->SetScissorRect(&scissor);
    const D3DVIEWPORT9 viewport = {10, 10, 300, 200, 0.f, 1.f};
    device->SetViewport(&viewport);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTexture(0, sceneTexture);

    d->Move(280, 17);
    OpenList();
    for (bool byFvf : {true, false}) {
        SCOPED_TRACE(byFvf ? "vertices by FVF" : "vertices by declaration");
        if (byFvf)
            device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
        else
            device->SetVertexDeclaration(sceneDeclaration);
        const std::map<std::string, uintptr_t> before = DeviceStates(device);
        LvD3D9_EnableCallLog(true);
        LvD3D9_ClearCallLog();
        ASSERT_EQ(d->dialog.OnRender(0.016f), S_OK);
        LvD3D9_EnableCallLog(false);
        const std::map<std::string, uintptr_t> after = DeviceStates(device);
        for (const auto& state : before) EXPECT_EQ(state.second, after.at(state.first)) << state.first;
        // The dialog only draws: no clears, no target changes, no presents.
        const std::vector<std::string>& log = LvD3D9_GetCallLog();
        EXPECT_GE(log.size(), 3u);
        for (const std::string& entry : log) EXPECT_EQ(entry.rfind("DrawPrimitiveUP ", 0), 0u) << entry;
    }

    // Drawn over the whole target, whatever viewport and scissor the frame left.
    UINT w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, rgba, &w, &h));
    const uint8_t* corner = &rgba[(size_t(2) * w + 2) * 4];
    EXPECT_TRUE(Near(Rgb{corner[0], corner[1], corner[2]}, kFace.colour)) << "the box's corner, outside the viewport";

    device->SetTexture(0, nullptr);
    device->SetVertexDeclaration(nullptr);
    sceneDeclaration->Release();
    sceneTexture->Release();
}

TEST_F(DialogDrawTest, StillDrawsAfterADeviceReset)
{
    const gen::Image skin = TestSkin();
    Make(&skin);
    d->Move(100, 12);
    Draw();
    ASSERT_TRUE(Near(Pixel(172, 12), kFace.colour));
    const int live = LvD3D9_LiveResourceCount();

    D3DPRESENT_PARAMETERS params = {};
    params.BackBufferWidth = 320;
    params.BackBufferHeight = 240;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    ASSERT_EQ(device->Reset(&params), D3D_OK) << "the dialog holds nothing a reset refuses";
    EXPECT_EQ(d->manager.OnD3D9ResetDevice(), S_OK);
    EXPECT_EQ(LvD3D9_LiveResourceCount(), live) << "a reset keeps the dialog's objects and makes no more";
    OpenList();
    Draw();
    EXPECT_TRUE(Near(Pixel(172, 12), kFace.colour)) << Pixel(172, 12);
    EXPECT_TRUE(Near(Pixel(1, 60), kList.colour));
    EXPECT_GT(TextPixels(d->list->GetLayout().text), 60);
    EXPECT_GT(TextPixels(d->list->GetLayout().items), 5 * 40);

    // Made again on a device created anew: the old objects go, as many come back.
    ASSERT_EQ(d->manager.OnD3D9CreateDevice(device), S_OK);
    EXPECT_EQ(LvD3D9_LiveResourceCount(), live);
    Draw();
    EXPECT_TRUE(Near(Pixel(1, 60), kList.colour));
}

// The shipped skin, drawn for a person to look at: the list open over a
// scene-coloured frame and the button under the mouse.
TEST_F(DialogDrawTest, PictureOfTheOpenListWithTheHoveredButton)
{
    const gen::Image skin = gen::DialogSkin();
    Make(&skin);
    OpenList();
    d->Move(280, 17);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(70, 110, 150), 1.f, 0);
    ASSERT_EQ(d->dialog.OnRender(0.016f), S_OK);
    const std::string picture = std::string(LV_TEST_PICTURES) + "/dialog_list_open.png";
    EXPECT_TRUE(LvD3D9_SaveBackBufferPNG(device, picture.c_str()));
    std::printf("dialog picture: %s\n", picture.c_str());

    UINT w = 0, h = 0;
    std::vector<uint8_t> rgba;
    ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, rgba, &w, &h));
    int lit = 0;
    for (int y = 0; y < 124; ++y)
        for (int x = 0; x < 320; ++x) lit += rgba[(size_t(y) * w + size_t(x)) * 4 + 1] != 110;
    EXPECT_GT(lit, 22000) << "the box, the list and the button cover their rectangles";
}

} // namespace
