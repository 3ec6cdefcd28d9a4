// The palette draw on a windowless llvmpipe device: the character posed by
// the animator and drawn through a skinned technique covers exactly where
// the generator's own skinning puts its vertices, in walk and idle poses,
// with one attribute group or several, before and after a device reset, and
// after moving from a headless load onto the device.
//
// The game's effect files come with the renderer; this test carries its own
// small effect with the technique name, palette and bone count the draw
// uses, written into its scratch run tree as Effects/skinned_test.fx.
#include "AnimationTestSupport.h"

#include "Pose.h"
#include "d3d9_egl.h"
#include "d3d9_host.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

const char* const kSkinnedEffect = R"(
// Test-only stand-in for the game's skinned technique: the palette skinning
// of up to four weights, the last one implied, lit by one fixed direction.
float4x4 mViewProjection;
int MATRIX_PALETTE_SIZE = MATRIX_PALETTE_SIZE_DEFAULT;
float4x4 amPalette[MATRIX_PALETTE_SIZE_DEFAULT];
int CurNumBones = 0;

vertex SkinnedVS {
    out float vShade;
    void main()
    {
        vec4 position = vec4(iPosition.xyz, 1.0);
        vec3 skinned = vec3(0.0);
        vec3 normal = vec3(0.0);
        float last = 1.0;
        for (int i = 0; i < CurNumBones; ++i) {
            skinned += (amPalette[iBlendIndices[i]] * position).xyz * iBlendWeight[i];
            normal += mat3(amPalette[iBlendIndices[i]]) * iNormal * iBlendWeight[i];
            last -= iBlendWeight[i];
        }
        skinned += (amPalette[iBlendIndices[CurNumBones]] * position).xyz * last;
        normal += mat3(amPalette[iBlendIndices[CurNumBones]]) * iNormal * last;
        vShade = 0.35 + 0.65 * abs(dot(normalize(normal), normalize(vec3(0.4, 0.6, -0.7))));
        gl_Position = mViewProjection * vec4(skinned, 1.0);
    }
}

technique SkinnedNoLight {
    pass P0 {
        ZEnable = true;
        ZWriteEnable = true;
        CullMode = None;
        AlphaBlendEnable = false;
        vertex = SkinnedVS;
        fragment { in float vShade; void main() { oColor = vec4(vShade, vShade * 0.9, vShade * 0.8, 1.0); } }
    }
}
)";

// Four cells across, two down: walk on top, idle below.
const int kCell = 128, kColumns = 4, kRows = 2;
const int kWidth = kCell * kColumns, kHeight = kCell * kRows;

// One cell's pixels, row by row.
using Mask = std::vector<char>;

// Pixels set in a with no set pixel of b within one pixel.
size_t Uncovered(const Mask& a, const Mask& b)
{
    size_t count = 0;
    for (int y = 0; y < kCell; ++y)
        for (int x = 0; x < kCell; ++x) {
            if (!a[size_t(y) * kCell + x]) continue;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int cx = x + dx, cy = y + dy;
                    near = near || (cx >= 0 && cy >= 0 && cx < kCell && cy < kCell && b[size_t(cy) * kCell + cx]);
                }
            count += !near;
        }
    return count;
}

float Period(int set)
{
    return float(Character().sets[set].tracks[0].keys.back().time);
}

class SkinnedDraw : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        if (!context()) context() = LvEgl_Create(true);
    }

    void SetUp() override
    {
        if (!context()) GTEST_SKIP() << "no OpenGL 3.3 context on this machine";
        device = LvD3D9_CreateDevice(kWidth, kHeight);
        ASSERT_NE(device, nullptr);
        std::filesystem::create_directories(files.tree.Root() + "/Effects");
        std::ofstream(files.tree.Root() + "/Effects/skinned_test.fx") << kSkinnedEffect;
        // The front of the character (it faces -Z), feet at the bottom of a cell.
        D3DXMATRIX view, projection;
        const D3DXVECTOR3 eye(0, 38, -200), at(0, 38, 0), up(0, 1, 0);
        D3DXMatrixLookAtLH(&view, &eye, &at, &up);
        D3DXMatrixOrthoLH(&projection, 84, 84, 1, 400);
        viewProjection = view * projection;
    }

    void TearDown() override
    {
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }

    ID3DXEffect* MakeEffect(const char* paletteSize)
    {
        const D3DXMACRO macros[] = {{"MATRIX_PALETTE_SIZE_DEFAULT", paletteSize}, {nullptr, nullptr}};
        ID3DXEffect* effect = nullptr;
        EXPECT_EQ(D3DXCreateEffectFromFileA(device, "../Effects/skinned_test.fx", macros, nullptr, D3DXFX_NOT_CLONEABLE,
                                            nullptr, &effect, nullptr),
                  D3D_OK);
        return effect;
    }

    static int CellSet(int row) { return row == 0 ? gen::kWalkSet : gen::kIdleSet; }
    static float CellTicks(int row, int column) { return Period(CellSet(row)) * column / kColumns; }

    // Every pose of the sheet in its cell, posed through the Model, then read back.
    void DrawSheet(Model& drawn, ID3DXEffect* effect)
    {
        device->SetViewport(nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(30, 34, 40), 1.0f, 0);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        effect->SetTechnique("SkinnedNoLight");
        effect->SetMatrix("mViewProjection", &viewProjection);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        drawn.GetInstance()->SetWorldTransform(&identity);
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column) {
                const D3DVIEWPORT9 cell = {DWORD(column * kCell), DWORD(row * kCell), kCell, kCell, 0.0f, 1.0f};
                device->SetViewport(&cell);
                gKeyframeAnimator->SetCurrent(CellSet(row), CellTicks(row, column));
                drawn.AdvanceTime(0.0);
                ASSERT_EQ(drawn.GetMultiAnim()->DrawAll(), S_OK);
            }
        device->EndScene();
        UINT w = 0, h = 0;
        ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, pixels, &w, &h));
    }

    Mask Drawn(int row, int column) const
    {
        Mask lit(kCell * kCell);
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x)
                lit[size_t(y) * kCell + x] =
                    pixels[(size_t(row * kCell + y) * kWidth + column * kCell + x) * 4 + 1] > 60;
        return lit;
    }

    // The generator's own skinning of the cell's pose, its triangles
    // rasterised (pixel centres inside).
    Mask Expected(int row, int column) const
    {
        const gen::SkinnedModel& character = Character();
        const std::vector<gen::Vec3> skinned = gen::SkinPositions(
            character, gen::Combine(character, gen::SampleLocals(character, CellSet(row), CellTicks(row, column))));
        std::vector<D3DXVECTOR2> screen(skinned.size());
        for (size_t i = 0; i < skinned.size(); ++i) {
            D3DXVECTOR3 clip;
            const D3DXVECTOR3 p(skinned[i].x, skinned[i].y, skinned[i].z);
            D3DXVec3TransformCoord(&clip, &p, &viewProjection);
            screen[i] = D3DXVECTOR2((clip.x + 1.0f) * 0.5f * kCell, (1.0f - clip.y) * 0.5f * kCell);
        }
        Mask inside(kCell * kCell, 0);
        for (const auto& tri : character.mesh.tris) {
            const D3DXVECTOR2 &a = screen[tri[0]], &b = screen[tri[1]], &c = screen[tri[2]];
            const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            if (area == 0.0f) continue;
            for (int y = std::max(0, int(std::min({a.y, b.y, c.y})));
                 y <= std::min(kCell - 1, int(std::max({a.y, b.y, c.y}))); ++y)
                for (int x = std::max(0, int(std::min({a.x, b.x, c.x})));
                     x <= std::min(kCell - 1, int(std::max({a.x, b.x, c.x}))); ++x) {
                    const float px = x + 0.5f, py = y + 0.5f;
                    const float u = ((b.x - px) * (c.y - py) - (b.y - py) * (c.x - px)) / area;
                    const float v = ((c.x - px) * (a.y - py) - (c.y - py) * (a.x - px)) / area;
                    if (u >= 0 && v >= 0 && u + v <= 1) inside[size_t(y) * kCell + x] = 1;
                }
        }
        return inside;
    }

    // Every drawn cell against the generator's silhouette of its pose: only
    // the outline may differ, by a pixel.
    void ExpectSheetMatchesTheGenerator()
    {
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column) {
                SCOPED_TRACE(testing::Message() << "set " << CellSet(row) << " at " << CellTicks(row, column));
                const Mask drawn = Drawn(row, column), expected = Expected(row, column);
                const size_t body = std::count(expected.begin(), expected.end(), 1);
                EXPECT_GT(body, 600u);
                EXPECT_LT(Uncovered(expected, drawn), body / 200 + 2) << "body pixels not drawn";
                EXPECT_LT(Uncovered(drawn, expected), body / 200 + 2) << "pixels drawn where the body is not";
            }
    }

    static LvEglContext*& context()
    {
        static LvEglContext* c = nullptr;
        return c;
    }

    CharacterTree files;
    IDirect3DDevice9* device = nullptr;
    D3DXMATRIX viewProjection;
    std::vector<uint8_t> pixels;
};

} // namespace

TEST_F(SkinnedDraw, PosesDrawWhereTheGeneratorSkinsThem)
{
    // The effect's palette size decides how many bones one draw can use: 35
    // holds all 16 in one group, 6 splits the mesh into several. A hierarchy
    // first loaded without a device moves onto it, its bones staying put.
    const DWORD bones = static_cast<DWORD>(Character().bones.size());
    struct Case
    {
        const char* paletteSize;
        DWORD entries;
        bool headlessFirst;
    } cases[] = {{"35", bones, false}, {"6", 6, false}, {"35", bones, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "palette " << c.paletteSize << (c.headlessFirst ? ", headless first" : ""));
        ID3DXEffect* effect = MakeEffect(c.paletteSize);
        ASSERT_NE(effect, nullptr);
        {
            LoadedCharacter loaded(c.headlessFirst ? nullptr : device, c.headlessFirst ? nullptr : effect);
            ASSERT_TRUE(loaded.Ready());
            const D3DXFRAME* hand = loaded.Anim().FindFrame("Bip01_L_Hand");
            ASSERT_EQ(loaded.model.Load("male.x", device, effect), S_OK);
            EXPECT_EQ(loaded.Anim().FindFrame("Bip01_L_Hand"), hand);
            const MultiAnimMeshContainer* mc = FirstSkinnedContainer(loaded.Anim().GetFrameRoot());
            EXPECT_EQ(mc->paletteEntries, c.entries);
            EXPECT_EQ(mc->numAttributeGroups > 1, c.entries < bones);
            DrawSheet(loaded.drawn, effect);
            ExpectSheetMatchesTheGenerator();
            INT curNumBones = -1;
            effect->GetInt("CurNumBones", &curNumBones);
            EXPECT_EQ(curNumBones, Character().maxWeightsPerVertex - 1);
            const char* dir = std::getenv("LV_PICTURE_DIR");
            if (dir && &c == cases)
                LvD3D9_SaveBackBufferPNG(device, (std::string(dir) + "/character_poses.png").c_str());

            // A reset with the hierarchy loaded: its buffers are managed, so the
            // reset goes through, and a set-up with the reset device draws the same.
            D3DPRESENT_PARAMETERS pp = {};
            pp.BackBufferWidth = kWidth;
            pp.BackBufferHeight = kHeight;
            pp.Windowed = TRUE;
            pp.EnableAutoDepthStencil = TRUE;
            pp.AutoDepthStencilFormat = D3DFMT_D16;
            ASSERT_EQ(device->Reset(&pp), D3D_OK);
            ASSERT_EQ(loaded.model.Load("male.x", device, effect), S_OK);
            DrawSheet(loaded.drawn, effect);
            ExpectSheetMatchesTheGenerator();
        }
        EXPECT_EQ(effect->Release(), 0u);
    }
}
