// Present into a real window (run under Xvfb): the back buffer reaches the
// window upright and scaled, and the host's swap hook runs. Skips without a display.
#include <d3d9.h>
#include <gtest/gtest.h>

#include "d3d9_host.h"

#include <SDL.h>
#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>
#include <stb_image_write.h>

#include <cstdlib>
#include <vector>

// The X11, D-Bus and driver libraries behind an SDL window keep allocations to
// process exit, which leak checking would report; the device's own leaks are
// checked by the windowless test binaries.
extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

namespace {

constexpr int kWindowW = 96, kWindowH = 64;

struct Capture
{
    SDL_Window* window = nullptr;
    std::vector<uint8_t> pixels; // the window's framebuffer, bottom row first as GL reads it
    int presents = 0;
};

void CaptureAndSwap(void* user)
{
    Capture* c = static_cast<Capture*>(user);
    c->pixels.resize(size_t(kWindowW) * kWindowH * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowW, kWindowH, GL_RGBA, GL_UNSIGNED_BYTE, c->pixels.data());
    ++c->presents;
    SDL_GL_SwapWindow(c->window);
}

TEST(PresentWindowTest, BackBufferReachesTheWindowUprightAndScaled)
{
    if (!std::getenv("DISPLAY") || SDL_Init(SDL_INIT_VIDEO) != 0) GTEST_SKIP() << "no display (run under xvfb-run)";
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Capture capture;
    capture.window = SDL_CreateWindow("d3d9 present", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kWindowW,
                                      kWindowH, SDL_WINDOW_OPENGL);
    ASSERT_NE(capture.window, nullptr) << SDL_GetError();
    SDL_GLContext gl = SDL_GL_CreateContext(capture.window);
    ASSERT_NE(gl, nullptr) << SDL_GetError();
    int drawableW = 0, drawableH = 0;
    SDL_GL_GetDrawableSize(capture.window, &drawableW, &drawableH);
    ASSERT_EQ(drawableW, kWindowW);

    LvD3D9_SetDrawableSize(UINT(drawableW), UINT(drawableH));
    LvD3D9_SetPresentHook(CaptureAndSwap, &capture);
    IDirect3DDevice9* device = LvD3D9_CreateDevice(kWindowW / 2, kWindowH / 2); // scaled up 2x at present
    ASSERT_NE(device, nullptr);
    struct V
    {
        float x, y, z, rhw;
        D3DCOLOR c;
    };
    const D3DCOLOR red = D3DCOLOR_XRGB(255, 0, 0);
    const V quad[4] = {{-0.5f, -0.5f, 0.5f, 1, red},
                       {7.5f, -0.5f, 0.5f, 1, red},
                       {-0.5f, 3.5f, 0.5f, 1, red},
                       {7.5f, 3.5f, 0.5f, 1, red}}; // the top-left 8x4 pixels
    device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.f, 0);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(V));
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(capture.presents, 1);

    auto windowPixel = [&](int x, int yFromTop) {
        return &capture.pixels[(size_t(kWindowH - 1 - yFromTop) * kWindowW + size_t(x)) * 4];
    };
    EXPECT_EQ(windowPixel(2, 2)[0], 255);  // red at the top left of the window
    EXPECT_EQ(windowPixel(14, 6)[0], 255); // 8x4 pixels became 16x8
    EXPECT_EQ(windowPixel(18, 2)[0], 0);
    EXPECT_EQ(windowPixel(2, 10)[2], 255);         // blue below
    EXPECT_EQ(windowPixel(2, kWindowH - 3)[0], 0); // and not at the bottom left

    std::vector<uint8_t> upright(capture.pixels.size());
    for (int y = 0; y < kWindowH; ++y) {
        std::copy_n(windowPixel(0, y), size_t(kWindowW) * 4, &upright[size_t(y) * kWindowW * 4]);
    }
    const std::string path = ::testing::TempDir() + "d3d9_window_present.png";
    stbi_write_png(path.c_str(), kWindowW, kWindowH, 4, upright.data(), kWindowW * 4);
    std::printf("window capture saved to %s\n", path.c_str());

    EXPECT_EQ(device->Release(), 0u);
    LvD3D9_SetPresentHook(nullptr, nullptr);
    LvD3D9_SetDrawableSize(0, 0);
    SDL_GL_DeleteContext(gl);
    SDL_DestroyWindow(capture.window);
    SDL_Quit();
}

} // namespace
