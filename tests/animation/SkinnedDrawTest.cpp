// The palette draw on a windowless llvmpipe device through the game's own
// effect files and skinned techniques: the character posed by the animator
// covers exactly where the generator's own skinning puts its vertices, in
// walk and idle poses, textured and lit, with one attribute group or
// several, before and after a device reset, and after moving from a
// headless load onto the device. The same sheet drawn with each vertex's
// blend indices in the other byte order must come out wrong, so the sheet
// can tell. A small figure whose vertices hang from three bones each lands
// where its written weights put it, the last weight being one minus the
// others. An effect that gives no usable palette size means 35.
//
// Set LV_PICTURE_DIR to a folder to keep the sheets as PNGs.
#include "AnimationTestSupport.h"

#include "Pose.h"
#include "d3d9_egl.h"
#include "d3d9_host.h"
#include "render/KeyframeAnimator.h"
#include "render/Model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

// Four cells across each row: the walk from the front and from the
// character's left, then the idle from the front.
const int kCell = 160, kColumns = 4, kRows = 3;
const int kWidth = kCell * kColumns, kHeight = kCell * kRows;
// Cleared to a colour neither the texture nor the lit skin has.
const D3DCOLOR kBackground = D3DCOLOR_XRGB(255, 0, 255);
const int kBackgroundTolerance = 40;

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

// Whether drawn matches expected but for the outline (a pixel either way);
// with report set, says where it does not.
bool Matches(const Mask& drawn, const Mask& expected, size_t leastBody, bool report)
{
    const size_t body = std::count(expected.begin(), expected.end(), 1), allowed = body / 200 + 2;
    const size_t missing = Uncovered(expected, drawn), extra = Uncovered(drawn, expected);
    if (report) {
        EXPECT_GT(body, leastBody);
        EXPECT_LT(missing, allowed) << "body pixels not drawn";
        EXPECT_LT(extra, allowed) << "pixels drawn where the body is not";
    }
    return missing < allowed && extra < allowed;
}

float Period(int set)
{
    return float(Character().sets[set].tracks[0].keys.back().time);
}

// The triangles' cover of one cell seen through viewProjection (pixel
// centres inside).
Mask Rasterise(const std::vector<D3DXVECTOR3>& points, const std::vector<std::array<DWORD, 3>>& triangles,
               const D3DXMATRIX& viewProjection)
{
    std::vector<D3DXVECTOR2> screen(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        D3DXVECTOR3 clip;
        D3DXVec3TransformCoord(&clip, &points[i], &viewProjection);
        screen[i] = D3DXVECTOR2((clip.x + 1.0f) * 0.5f * kCell, (1.0f - clip.y) * 0.5f * kCell);
    }
    Mask inside(kCell * kCell, 0);
    for (const auto& tri : triangles) {
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

// Each vertex's four blend-index bytes with the first and third swapped, as
// a colour read in the other channel order would give them.
void SwapBlendIndexBytes(MultiAnimMeshContainer& mc)
{
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    ASSERT_EQ(mc.workingMesh->GetDeclaration(decl), D3D_OK);
    int offset = -1;
    for (const D3DVERTEXELEMENT9* e = decl; e->Stream != 0xFF; ++e)
        if (e->Usage == D3DDECLUSAGE_BLENDINDICES) offset = e->Offset;
    ASSERT_GE(offset, 0);
    BYTE* vertices = nullptr;
    ASSERT_EQ(mc.workingMesh->LockVertexBuffer(0, reinterpret_cast<void**>(&vertices)), D3D_OK);
    const DWORD stride = mc.workingMesh->GetNumBytesPerVertex();
    for (DWORD v = 0; v < mc.workingMesh->GetNumVertices(); ++v)
        std::swap(vertices[v * stride + offset], vertices[v * stride + offset + 2]);
    mc.workingMesh->UnlockVertexBuffer();
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
        // The shipped effect files and the character's texture, beside the
        // generated model in the scratch tree.
        const std::string root = files.tree.Root();
        std::filesystem::copy(std::string(LV_RUN_TREE_DIR) + "/Effects", root + "/Effects");
        std::filesystem::create_directories(root + "/Textures");
        std::filesystem::copy(std::string(LV_RUN_TREE_DIR) + "/Textures/male.bmp", root + "/Textures/male.bmp");
        ASSERT_EQ(D3DXCreateTextureFromFileA(device, "../Textures/male.bmp", &texture), D3D_OK);
        // The front of the character (it faces -Z) and its left side (-X),
        // feet at the bottom of a cell.
        D3DXMATRIX projection;
        D3DXMatrixOrthoLH(&projection, 84, 84, 1, 400);
        const D3DXVECTOR3 at(0, 38, 0), up(0, 1, 0), eyes[] = {D3DXVECTOR3(0, 38, -200), D3DXVECTOR3(-200, 38, 0)};
        for (int i = 0; i < 2; ++i) {
            D3DXMATRIX view;
            D3DXMatrixLookAtLH(&view, &eyes[i], &at, &up);
            viewProjections[i] = view * projection;
        }
    }

    void TearDown() override
    {
        if (texture) {
            EXPECT_EQ(texture->Release(), 0u);
        }
        if (device) {
            EXPECT_EQ(device->Release(), 0u);
        }
    }

    // One of the game's effect files, with the palette size the renderer
    // passes, or none (the file's own default).
    ID3DXEffect* MakeEffect(const char* file, const char* paletteSize)
    {
        const D3DXMACRO macros[] = {{"MATRIX_PALETTE_SIZE_DEFAULT", paletteSize}, {nullptr, nullptr}};
        ID3DXEffect* effect = nullptr;
        EXPECT_EQ(D3DXCreateEffectFromFileA(device, (std::string("../Effects/") + file).c_str(),
                                            paletteSize ? macros : nullptr, nullptr, D3DXFX_NOT_CLONEABLE, nullptr,
                                            &effect, nullptr),
                  D3D_OK);
        return effect;
    }

    static int CellSet(int row) { return row < 2 ? gen::kWalkSet : gen::kIdleSet; }
    const D3DXMATRIX& CellView(int row) const { return viewProjections[row == 1 ? 1 : 0]; }
    static float CellTicks(int row, int column) { return Period(CellSet(row)) * column / kColumns; }

    void BeginDraw(ID3DXEffect* effect, const char* technique)
    {
        device->SetViewport(nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBackground, 1.0f, 0);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
        effect->SetTexture("MeshTexture", texture);
    }

    void EndDraw(const char* picture)
    {
        device->EndScene();
        UINT w = 0, h = 0;
        ASSERT_TRUE(LvD3D9_ReadBackBuffer(device, pixels, &w, &h));
        if (const char* dir = std::getenv("LV_PICTURE_DIR"))
            LvD3D9_SaveBackBufferPNG(device, (std::string(dir) + "/" + picture).c_str());
    }

    // Every pose of the sheet in its cell, posed through the Model and drawn
    // with the technique as the renderer draws the character, then read back.
    void DrawSheet(Model& drawn, ID3DXEffect* effect, const char* technique, const char* picture)
    {
        BeginDraw(effect, technique);
        // The lit technique's sky light from ahead, left and above the model.
        const float light[3] = {-0.4f, 0.6f, -0.7f};
        effect->SetValue("LightDir", light, sizeof light);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        drawn.GetInstance()->SetWorldTransform(&identity);
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column) {
                const D3DVIEWPORT9 cell = {DWORD(column * kCell), DWORD(row * kCell), kCell, kCell, 0.0f, 1.0f};
                device->SetViewport(&cell);
                effect->SetMatrix("mViewProjection", &CellView(row));
                effect->CommitChanges();
                gKeyframeAnimator->SetCurrent(CellSet(row), CellTicks(row, column));
                drawn.AdvanceTime(0.0);
                ASSERT_EQ(drawn.GetMultiAnim()->DrawAll(), S_OK);
            }
        EndDraw(picture);
    }

    Mask Drawn(int row, int column) const
    {
        const int background[3] = {int((kBackground >> 16) & 0xFF), int((kBackground >> 8) & 0xFF),
                                   int(kBackground & 0xFF)};
        Mask drawn(kCell * kCell);
        for (int y = 0; y < kCell; ++y)
            for (int x = 0; x < kCell; ++x) {
                const uint8_t* p = &pixels[(size_t(row * kCell + y) * kWidth + column * kCell + x) * 4];
                bool differs = false;
                for (int c = 0; c < 3; ++c) differs = differs || std::abs(p[c] - background[c]) > kBackgroundTolerance;
                drawn[size_t(y) * kCell + x] = differs;
            }
        return drawn;
    }

    // The generator's own skinning of the cell's pose.
    Mask Expected(int row, int column) const
    {
        const gen::SkinnedModel& character = Character();
        const std::vector<gen::Vec3> skinned = gen::SkinPositions(
            character, gen::Combine(character, gen::SampleLocals(character, CellSet(row), CellTicks(row, column))));
        std::vector<D3DXVECTOR3> points;
        for (const gen::Vec3& p : skinned) points.emplace_back(p.x, p.y, p.z);
        std::vector<std::array<DWORD, 3>> triangles;
        for (const auto& t : character.mesh.tris) triangles.push_back({t[0], t[1], t[2]});
        return Rasterise(points, triangles, CellView(row));
    }

    // How many cells of the sheet differ from the generator's silhouette of
    // their pose by more than the outline (a pixel either way).
    int CellsOffTheGenerator(bool report)
    {
        int off = 0;
        for (int row = 0; row < kRows; ++row)
            for (int column = 0; column < kColumns; ++column) {
                SCOPED_TRACE(testing::Message() << "set " << CellSet(row) << " at " << CellTicks(row, column));
                off += !Matches(Drawn(row, column), Expected(row, column), 900, report);
            }
        return off;
    }

    static LvEglContext*& context()
    {
        static LvEglContext* c = nullptr;
        return c;
    }

    CharacterTree files;
    IDirect3DDevice9* device = nullptr;
    IDirect3DTexture9* texture = nullptr;
    D3DXMATRIX viewProjections[2];
    std::vector<uint8_t> pixels;
};

} // namespace

TEST_F(SkinnedDraw, PosesDrawWhereTheGeneratorSkinsThem)
{
    // The effect's palette size decides how many bones one draw can use: 35
    // (the renderer's macro) and 26 (the reduced effect's own) hold all 16 in
    // one group, 6 splits the mesh into several. A hierarchy first loaded
    // without a device moves onto it, its bones staying put.
    const DWORD bones = static_cast<DWORD>(Character().bones.size());
    struct Case
    {
        const char* picture;
        const char* file;
        const char* paletteSize; // null: the file's own
        const char* technique;
        DWORD entries;
        bool headlessFirst;
    } cases[] = {
        {"character_poses.png", "FixedFunction.fx", "35", "SkinnedNoLight", bones, false},
        {"character_poses_lit.png", "effects11.fx", nullptr, "SkinnedNoTex", bones, false},
        {"character_poses_groups.png", "FixedFunction.fx", "6", "SkinnedNoLight", 6, false},
        {"character_poses_moved.png", "FixedFunction.fx", "35", "SkinnedNoTex", bones, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picture);
        ID3DXEffect* effect = MakeEffect(c.file, c.paletteSize);
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
            DrawSheet(loaded.drawn, effect, c.technique, c.picture);
            EXPECT_EQ(CellsOffTheGenerator(true), 0);
            INT curNumBones = -1;
            effect->GetInt("CurNumBones", &curNumBones);
            EXPECT_EQ(curNumBones, Character().maxWeightsPerVertex - 1);

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
            DrawSheet(loaded.drawn, effect, c.technique, c.picture);
            EXPECT_EQ(CellsOffTheGenerator(true), 0);
        }
        EXPECT_EQ(effect->Release(), 0u);
    }
}

TEST_F(SkinnedDraw, BlendIndicesInTheOtherByteOrderPutTheWalkOffTheGenerator)
{
    ID3DXEffect* effect = MakeEffect("FixedFunction.fx", "35");
    ASSERT_NE(effect, nullptr);
    {
        LoadedCharacter loaded(device, effect);
        ASSERT_TRUE(loaded.Ready());
        MultiAnimMeshContainer* mc = FirstSkinnedContainer(loaded.Anim().GetFrameRoot());
        ASSERT_NE(mc, nullptr);
        SwapBlendIndexBytes(*mc);
        DrawSheet(loaded.drawn, effect, "SkinnedNoLight", "character_poses_swapped_indices.png");
        // Every walk pose, and idle once its arms have left the bind pose.
        EXPECT_GE(CellsOffTheGenerator(false), 2 * kColumns + 1);
    }
    EXPECT_EQ(effect->Release(), 0u);
}

TEST_F(SkinnedDraw, AnEffectWithoutAPositivePaletteSizeMeansThirtyFive)
{
    const char* const body = R"(
technique Plain {
    pass P0 {
        vertex { void main() { gl_Position = vec4(iPosition.xyz, 1.0); } }
        fragment { void main() { oColor = vec4(1.0); } }
    }
}
)";
    struct Case
    {
        const char* declaration;
        DWORD setting;
    } cases[] = {{"", kDefaultPaletteSize},
                 {"int MATRIX_PALETTE_SIZE = 0;", kDefaultPaletteSize},
                 {"int MATRIX_PALETTE_SIZE = -4;", kDefaultPaletteSize},
                 {"int MATRIX_PALETTE_SIZE = 20;", 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.declaration);
        const std::string text = std::string(c.declaration) + body;
        ID3DXEffect* effect = nullptr;
        ASSERT_EQ(D3DXCreateEffect(device, text.data(), UINT(text.size()), nullptr, nullptr, D3DXFX_NOT_CLONEABLE,
                                   nullptr, &effect, nullptr),
                  D3D_OK);
        {
            LoadedModel model("male.x", device, effect);
            ASSERT_EQ(model.hr, S_OK);
            EXPECT_EQ(model.anim.GetPaletteSizeSetting(), c.setting);
            EXPECT_EQ(FirstSkinnedContainer(model.anim.GetFrameRoot())->paletteEntries,
                      std::min<DWORD>(c.setting, DWORD(Character().bones.size())));
        }
        EXPECT_EQ(effect->Release(), 0u);
    }
}

TEST_F(SkinnedDraw, ThreeWeightsBlendWithTheLastOneMinusTheOthers)
{
    // A column whose every vertex hangs from two or three bones pulled far
    // apart by the pose: any other reading of the weights moves it.
    const xtest::Scene scene = xtest::MakeSkinnedFigure(1);
    files.tree.WriteMesh("figure.x", xtest::Write(scene));
    ID3DXEffect* effect = MakeEffect("FixedFunction.fx", "35");
    ASSERT_NE(effect, nullptr);
    {
        LoadedModel model("figure.x", device, effect);
        ASSERT_EQ(model.hr, S_OK);
        Model drawn;
        ASSERT_EQ(drawn.Setup(&model.anim, 0.0), S_OK);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        drawn.GetInstance()->SetWorldTransform(&identity);
        gKeyframeAnimator->SetCurrent(0, 2400.0f);
        drawn.AdvanceTime(0.0);
        const MultiAnimMeshContainer* mc = FirstSkinnedContainer(model.anim.GetFrameRoot());
        ASSERT_NE(mc, nullptr);
        EXPECT_EQ(mc->maxFaceInfluences, 3u);

        // Where the written weights put every vertex under the game's posed frames.
        const xtest::Mesh& mesh = scene.frames[0].children.back().meshes[0];
        std::vector<D3DXVECTOR3> points(mesh.positions.size(), D3DXVECTOR3(0, 0, 0));
        for (const xtest::Bone& bone : mesh.bones) {
            D3DXMATRIX m;
            D3DXMatrixMultiply(&m, &bone.offset, &model.anim.FindFrame(bone.name.c_str())->TransformationMatrix);
            for (size_t i = 0; i < bone.vertices.size(); ++i) {
                D3DXVECTOR3 moved;
                D3DXVec3TransformCoord(&moved, &mesh.positions[bone.vertices[i]], &m);
                points[bone.vertices[i]] += moved * bone.weights[i];
            }
        }
        std::vector<std::array<DWORD, 3>> triangles;
        for (const xtest::Face& f : mesh.faces) triangles.push_back({f.a, f.b, f.c});
        // Framed to fill the first cell.
        D3DXVECTOR3 low(1e9f, 1e9f, 1e9f), high(-1e9f, -1e9f, -1e9f);
        for (const D3DXVECTOR3& p : points) {
            D3DXVec3Minimize(&low, &low, &p);
            D3DXVec3Maximize(&high, &high, &p);
        }
        const D3DXVECTOR3 centre = (low + high) * 0.5f, eye = centre + D3DXVECTOR3(0, 0, -100), up(0, 1, 0);
        const float size = 1.2f * std::max(high.x - low.x, high.y - low.y);
        D3DXMATRIX view, projection;
        D3DXMatrixLookAtLH(&view, &eye, &centre, &up);
        D3DXMatrixOrthoLH(&projection, size, size, 1, 400);
        const D3DXMATRIX viewProjection = view * projection;

        BeginDraw(effect, "SkinnedNoLight");
        effect->SetMatrix("mViewProjection", &viewProjection);
        const D3DVIEWPORT9 cell = {0, 0, kCell, kCell, 0.0f, 1.0f};
        device->SetViewport(&cell);
        ASSERT_EQ(model.anim.DrawAll(), S_OK);
        EndDraw("figure_three_weights.png");

        INT curNumBones = -1;
        effect->GetInt("CurNumBones", &curNumBones);
        EXPECT_EQ(curNumBones, 2);
        Matches(Drawn(0, 0), Rasterise(points, triangles, viewProjection), 2000, true);
    }
    EXPECT_EQ(effect->Release(), 0u);
}
