// Texture loading: one file of each format, drawn texel for pixel; paths with
// backslashes and another letter case; failures leave no texture.
#include "GlFixture.h"
#include "TempFiles.h"
#include "ImageFiles.h"

#include <d3dx9.h>
#include <stb_image_write.h>

#include "d3d9_program.h"

#include <cstdlib>
#include <filesystem>

namespace {

class TextureLoadTest : public GlTest
{
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        folder_ = ScratchPath("textures");
        const std::string command = "mkdir -p '" + folder_ + "/Sub Dir'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        GlTest::TearDown();
    }

    std::string File(const std::string& name) const { return folder_ + "/Sub Dir/" + name; }

    // The Windows spelling the game uses: backslashes, any letter case.
    std::wstring GameName(const std::string& name) const
    {
        std::string windows = folder_ + "\\SUB DIR\\" + name;
        return std::wstring(windows.begin(), windows.end());
    }

    // Draws the texture texel for pixel at the top left and checks the quadrants.
    void ExpectQuadrants(IDirect3DTexture9* texture, unsigned size, int tolerance)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.f, 0);
        device->SetRenderState(D3DRS_ZENABLE, FALSE);
        device->SetTexture(0, texture);
        TexturedRect(0, 0, float(size), float(size));
        device->SetTexture(0, nullptr);
        const int q = int(size) / 4, r = 3 * int(size) / 4;
        EXPECT_TRUE(Near(Pixel(q, q), {255, 0, 0, 255}, tolerance)) << Pixel(q, q);
        EXPECT_TRUE(Near(Pixel(r, q), {0, 255, 0, 255}, tolerance)) << Pixel(r, q);
        EXPECT_TRUE(Near(Pixel(q, r), {0, 0, 255, 255}, tolerance)) << Pixel(q, r);
        EXPECT_TRUE(Near(Pixel(r, r), {255, 255, 255, 255}, tolerance)) << Pixel(r, r);
    }

    std::string folder_;
};

TEST_F(TextureLoadTest, EachFormatLoadsTopRowFirstWithMipmaps)
{
    const std::vector<uint8_t> small = Quadrants(8);
    const std::vector<uint8_t> large = Quadrants(32);
    ASSERT_TRUE(stbi_write_png(File("quads.png").c_str(), 8, 8, 4, small.data(), 8 * 4));
    ASSERT_TRUE(stbi_write_bmp(File("quads.bmp").c_str(), 8, 8, 4, small.data()));
    ASSERT_TRUE(stbi_write_jpg(File("quads.jpg").c_str(), 32, 32, 4, large.data(), 95));
    WriteDds(File("quads.dds"), 8, 8, 1, small);
    const struct
    {
        const char* name;
        unsigned size;
        int tolerance;
    } files[] = {{"Quads.PNG", 8, 0}, {"QUADS.bmp", 8, 0}, {"quads.JPG", 32, 12}, {"Quads.dds", 8, 0}};
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(D3DXCreateTextureFromFileW(device, GameName(f.name).c_str(), &texture), D3D_OK);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetLevelCount(), f.size == 8 ? 4u : 6u);
        ExpectQuadrants(texture, f.size, f.tolerance);
        texture->Release();
    }
}

TEST_F(TextureLoadTest, MipmapsAreBuiltAndSampled)
{
    const std::vector<uint8_t> pixels = Quadrants(8);
    ASSERT_TRUE(stbi_write_png(File("mips.png").c_str(), 8, 8, 4, pixels.data(), 8 * 4));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(device, GameName("mips.png").c_str(), &texture), D3D_OK);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, texture);
    TexturedRect(0, 0, 1, 1); // 8 texels into one pixel: the 1x1 level, the mean of the four colours
    device->SetTexture(0, nullptr);
    EXPECT_TRUE(Near(Pixel(0, 0), {128, 128, 128, 255}, 2)) << Pixel(0, 0);
    texture->Release();
}

TEST_F(TextureLoadTest, VolumeDdsGivesItsFirstSliceIn2DAndAllOfItIn3D)
{
    std::vector<uint8_t> slices(4 * 4 * 2 * 4, 0);
    for (size_t i = 0; i < 16; ++i) {
        slices[i * 4 + 0] = 200; // slice 0 red
        slices[i * 4 + 3] = 255;
        slices[64 + i * 4 + 1] = 150; // slice 1 green
        slices[64 + i * 4 + 3] = 255;
    }
    WriteDds(File("Noise.dds"), 4, 4, 2, slices);
    IDirect3DTexture9* flat = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(device, GameName("noise.dds").c_str(), &flat), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, flat);
    TexturedRect(0, 0, 4, 4);
    EXPECT_TRUE(Near(Pixel(1, 1), {200, 0, 0, 255}, 0)) << Pixel(1, 1);
    flat->Release();

    IDirect3DVolumeTexture9* volume = nullptr;
    ASSERT_EQ(D3DXCreateVolumeTextureFromFileW(device, GameName("noise.dds").c_str(), &volume), D3D_OK);
    D3DVOLUME_DESC desc;
    volume->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Depth, 2u);
    std::string log;
    LvProgram* program = LvD3D9_CreateProgram(
        device, nullptr, "uniform sampler3D volume;\nvoid main() { oColor = texture(volume, vec3(uv, 0.75)); }", log);
    ASSERT_NE(program, nullptr) << log;
    device->SetTexture(0, volume);
    LvD3D9_UseProgram(device, program);
    TexturedRect(0, 0, 4, 4);
    LvD3D9_UseProgram(device, nullptr);
    device->SetTexture(0, nullptr);
    EXPECT_TRUE(Near(Pixel(1, 1), {0, 150, 0, 255}, 0)) << Pixel(1, 1);
    LvD3D9_DestroyProgram(program);
    volume->Release();
}

TEST_F(TextureLoadTest, LuminanceDdsReadsAsGrey)
{
    std::vector<uint8_t> grey(4 * 4 * 4, 77);
    WriteDds(File("grey.dds"), 4, 4, 1, grey, true);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileW(device, GameName("grey.dds").c_str(), &texture), D3D_OK);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetTexture(0, texture);
    TexturedRect(0, 0, 4, 4);
    device->SetTexture(0, nullptr);
    EXPECT_TRUE(Near(Pixel(2, 2), {77, 77, 77, 255}, 0)) << Pixel(2, 2);
    texture->Release();
}

TEST_F(TextureLoadTest, FailedLoadsLeaveNoTexture)
{
    std::ofstream(File("broken.png"), std::ios::binary) << "\x89PNG\r\n\x1a\n garbage";
    std::ofstream(File("short.dds"), std::ios::binary) << "DDS " << std::string(60, 'x');
    std::vector<uint8_t> pixels = Quadrants(8);
    WriteDds(File("cut.dds"), 8, 8, 1, pixels);
    {
        std::vector<char> whole(4 + 124 + 100);
        std::ifstream(File("cut.dds"), std::ios::binary).read(whole.data(), std::streamsize(whole.size()));
        std::ofstream(File("cut.dds"), std::ios::binary | std::ios::trunc)
            .write(whole.data(), std::streamsize(whole.size()));
    }
    const char* names[] = {"missing.png", "broken.png", "short.dds", "cut.dds"};
    for (const char* name : names) {
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
        EXPECT_TRUE(FAILED(D3DXCreateTextureFromFileW(device, GameName(name).c_str(), &texture))) << name;
        EXPECT_EQ(texture, nullptr) << name;
    }
}

} // namespace
