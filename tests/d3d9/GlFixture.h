// A device on a windowless llvmpipe context for each test; tests skip when no
// such context can be made on the machine.
#pragma once

#include <d3d9.h>
#include <gtest/gtest.h>

#include "d3d9_egl.h"
#include "d3d9_host.h"

#include <cstdint>
#include <vector>

struct Rgba
{
    int r, g, b, a;
};

class GlTest : public ::testing::Test
{
protected:
    static constexpr UINT kWidth = 64;
    static constexpr UINT kHeight = 64;

    static void SetUpTestSuite()
    {
        if (!context()) context() = LvEgl_Create(true);
    }

    void SetUp() override
    {
        if (!context()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        LvD3D9_SetMaxPrimitiveCount(0);
        LvD3D9_SetPixelShaderVersion(0);
        baseline_ = LvD3D9_LiveResourceCount();
        device = LvD3D9_CreateDevice(kWidth, kHeight);
        ASSERT_NE(device, nullptr);
    }

    void TearDown() override
    {
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
            EXPECT_EQ(LvD3D9_LiveResourceCount(), baseline_) << "GL objects leaked";
        }
        LvD3D9_EnableCallLog(false);
        LvD3D9_ClearCallLog();
    }

    Rgba Pixel(int x, int y)
    {
        if (frame_.empty() || frameStale_) ReadBack();
        const uint8_t* p = &frame_[(size_t(y) * kWidth + size_t(x)) * 4];
        return {p[0], p[1], p[2], p[3]};
    }

    void ReadBack()
    {
        UINT w = 0, h = 0;
        ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, frame_, &w, &h));
        frameStale_ = false;
    }

    // Marks the read-back stale after drawing.
    void Drew() { frameStale_ = true; }

    struct ScreenVertex
    {
        float x, y, z, rhw;
        D3DCOLOR colour;
    };

    struct TexturedVertex
    {
        float x, y, z, rhw;
        float u, v;
    };

    // A pre-transformed rectangle [x0,x1) x [y0,y1) in pixels, with Direct3D's -0.5 offset.
    void FillRect(float x0, float y0, float x1, float y1, D3DCOLOR colour, float z = 0.5f)
    {
        const ScreenVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, z, 1.f, colour},
                                   {x1 - 0.5f, y0 - 0.5f, z, 1.f, colour},
                                   {x0 - 0.5f, y1 - 0.5f, z, 1.f, colour},
                                   {x1 - 0.5f, y1 - 0.5f, z, 1.f, colour}};
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)), D3D_OK);
        Drew();
    }

    void TexturedRect(float x0, float y0, float x1, float y1)
    {
        const TexturedVertex v[4] = {{x0 - 0.5f, y0 - 0.5f, 0.5f, 1.f, 0.f, 0.f},
                                     {x1 - 0.5f, y0 - 0.5f, 0.5f, 1.f, 1.f, 0.f},
                                     {x0 - 0.5f, y1 - 0.5f, 0.5f, 1.f, 0.f, 1.f},
                                     {x1 - 0.5f, y1 - 0.5f, 0.5f, 1.f, 1.f, 1.f}};
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TexturedVertex)), D3D_OK);
        Drew();
    }

    static LvEglContext*& context()
    {
        static LvEglContext* c = nullptr;
        return c;
    }

    IDirect3DDevice9* device = nullptr;

private:
    std::vector<uint8_t> frame_;
    bool frameStale_ = true;
    int baseline_ = 0;
};

inline bool Near(const Rgba& a, const Rgba& b, int tolerance = 1)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance &&
           std::abs(a.a - b.a) <= tolerance;
}

inline std::ostream& operator<<(std::ostream& os, const Rgba& c)
{
    return os << "(" << c.r << "," << c.g << "," << c.b << "," << c.a << ")";
}
