// The bitmap font: text lands where asked, in the colour asked, and the
// device states it borrows are given back.
#include "GlFixture.h"

#include "d3dfont.h"

namespace {

class FontTest : public GlTest
{
protected:
    // Pixels in the rectangle whose colour is close to the given one.
    int Count(int x0, int y0, int x1, int y1, Rgba colour)
    {
        int count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) count += Near(Pixel(x, y), colour, 40);
        return count;
    }
};

TEST_F(FontTest, DrawsTextAndRestoresTheStates)
{
    CD3DFont font(L"Arial", 10, 0);
    ASSERT_EQ(font.InitDeviceObjects(device), S_OK);
    ASSERT_EQ(font.RestoreDeviceObjects(), S_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    ASSERT_EQ(font.DrawText(2, 2, D3DCOLOR_XRGB(255, 0, 255), L"Hi!"), S_OK);
    Drew();
    EXPECT_GT(Count(0, 0, 40, 20, {255, 0, 255, 255}), 20);
    EXPECT_EQ(Count(0, 24, 64, 64, {255, 0, 255, 255}), 0); // nothing below the line
    DWORD value = 0;
    device->GetRenderState(D3DRS_ALPHABLENDENABLE, &value);
    EXPECT_EQ(value, DWORD(FALSE));
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(value, DWORD(D3DCULL_CW));
    device->GetSamplerState(0, D3DSAMP_MINFILTER, &value);
    EXPECT_EQ(value, DWORD(D3DTEXF_LINEAR));

    SIZE one, two;
    ASSERT_EQ(font.GetTextExtent(L"Hi", &one), S_OK);
    ASSERT_EQ(font.GetTextExtent(L"Hi\nHi", &two), S_OK);
    EXPECT_EQ(one.cx, two.cx);
    EXPECT_GT(two.cy, one.cy);
    EXPECT_GT(one.cx, 5);

    // Centred text sits in the middle of the viewport; characters outside Latin-1 draw as '?'.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
    font.DrawText(0, 0, D3DCOLOR_XRGB(0, 255, 0), L"\x4E2D\x4E2D", D3DFONT_CENTERED_X | D3DFONT_CENTERED_Y);
    Drew();
    EXPECT_GT(Count(16, 20, 48, 44, {0, 255, 0, 255}), 4);
    EXPECT_EQ(Count(0, 0, 16, 16, {0, 255, 0, 255}), 0);

    font.InvalidateDeviceObjects();
    font.DeleteDeviceObjects();
    EXPECT_EQ(font.DrawText(2, 2, 0xFFFFFFFFu, L"gone"), E_FAIL);
}

} // namespace
