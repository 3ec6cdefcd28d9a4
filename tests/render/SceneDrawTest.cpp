// Drawing the render lists: what consecutive instances send and leave out
// (materials, textures, "no material" and "no texture" after real ones, the
// camera-facing colour), wireframe, the character through its own model, the
// indexed draw in pieces of the device's limit, and a camera-facing quad
// whose texture reads upright on screen, and the previous world a new
// instance hands the velocity pass.
#include "RendererRig.h"

#include <stb_image_write.h>

#include <algorithm>

#include "d3d9_host.h"
#include "render/MaterialTable.h"
#include "render/MeshInstance.h"

namespace {

// The per-instance sends of the log, from the transparent list's first draw on.
std::vector<std::string> InstanceSends(const std::vector<std::string>& log)
{
    std::vector<std::string> kept;
    for (const std::string& entry : log) {
        for (const char* p : {"SetValue SpecCol", "SetValue DiffCol", "SetFloat Power", "SetTexture MeshTexture",
                              "SetRenderState 8", "DrawIndexedPrimitive"}) {
            if (entry.rfind(p, 0) == 0) kept.push_back(p);
        }
    }
    return kept;
}

IDirect3DBaseTexture9* BoundTexture(ID3DXEffect* effect)
{
    IDirect3DBaseTexture9* texture = nullptr;
    effect->GetTexture("MeshTexture", &texture);
    if (texture) texture->Release();
    return texture;
}

// Transparent instances drawn back to front: the one farthest along the
// view (+x) first.
TEST_F(RendererRig, ConsecutiveInstancesSendOnlyWhatChangesAndNothingFromNoMaterialOrNoTexture)
{
    AddInstance(1, "Phong1Opaque", 1, 3, Vector3(40.0f, 0.0f, 0.0f), true);
    AddInstance(1, "Phong1Opaque", kNoMaterial, kNoTexture, Vector3(30.0f, 0.0f, 0.0f), true);
    MeshInstance* wire = AddInstance(1, "Phong1Opaque", kNoMaterial, kNoTexture, Vector3(20.0f, 0.0f, 0.0f), true);
    wire->wireframe = true;
    AddInstance(1, "Phong1Opaque", 1, 3, Vector3(10.0f, 0.0f, 0.0f), true);
    TracedFrame();
    const std::vector<std::string> expected = {
        // 1, 3: every colour and the texture
        "SetValue SpecCol", "SetValue DiffCol", "SetFloat Power", "SetTexture MeshTexture", "DrawIndexedPrimitive",
        // none, none: no colours; no texture bound
        "SetTexture MeshTexture", "DrawIndexedPrimitive",
        // the same again, wireframe
        "SetRenderState 8", "DrawIndexedPrimitive", "SetRenderState 8",
        // 1, 3 after none: sent again
        "SetValue SpecCol", "SetValue DiffCol", "SetFloat Power", "SetTexture MeshTexture", "DrawIndexedPrimitive"};
    EXPECT_EQ(InstanceSends(LvD3D9_GetCallLog()), expected);
    const std::vector<std::string> fill = Log({"SetRenderState 8 "});
    EXPECT_EQ(fill, (std::vector<std::string>{"SetRenderState 8 2", "SetRenderState 8 3"}));
    EXPECT_EQ(BoundTexture(Effect()), renderer->GetLoadedTexture(3));

    // The last instance without a texture leaves none bound for what follows.
    renderer->GetRenderLists().Get(kTransparentList).back()->MarkForRemoval();
    renderer->RenderFrame();
    EXPECT_EQ(BoundTexture(Effect()), nullptr);
}

// The velocity pass reads each instance's previous world: a new instance has
// none, so its first draw shows it standing still where it is, not moving in
// from the origin; from then on it hands over where it was.
TEST_F(RendererRig, ANewInstanceFirstDrawsWithoutMotionThenHandsOverItsLastWorld)
{
    renderer->RenderFrame();
    AddInstance(1, "Phong1Opaque", 0, 3, Vector3(300.0f, -40.0f, 12.0f));
    auto drawVelocity = [&](D3DXMATRIX& world, D3DXMATRIX& last) {
        Effect()->SetTechnique("VelocityMap");
        renderer->DrawRenderListWithStepTechnique(0);
        Effect()->GetMatrix("mWorld", &world);
        Effect()->GetMatrix("mLastWorld", &last);
    };
    D3DXMATRIX first, last;
    drawVelocity(first, last);
    EXPECT_EQ(first._41, 300.0f) << "the drawn world is the box's own";
    EXPECT_EQ(last, first);

    *positions.back() = Vector3(310.0f, -40.0f, 12.0f);
    D3DXMATRIX moved;
    drawVelocity(moved, last);
    EXPECT_EQ(last, first);
    EXPECT_EQ(moved._41, 310.0f);

    // Behind the camera the box is not sent to the device, yet it still hands
    // over where it was when it comes back into view.
    auto drawsOf = [&](const Vector3& place, D3DXMATRIX& world) {
        *positions.back() = place;
        return DrawsDuring([&] { drawVelocity(world, last); });
    };
    D3DXMATRIX behind, back;
    EXPECT_EQ(drawsOf(Vector3(-300.0f, -40.0f, 12.0f), behind), 0);
    EXPECT_EQ(last, moved);
    EXPECT_EQ(drawsOf(Vector3(300.0f, -40.0f, 12.0f), back), 1);
    EXPECT_EQ(last, behind);
}

TEST_F(RendererRig, AfterACameraFacingColourTheNextInstanceSendsItsMaterialAgain)
{
    // The sign (material 2, its own colour left zero), then a bush of material 2.
    AddInstance(25, "XFORMTest", 2, 41, Vector3(20.0f, 0.0f, 0.0f), true, true);
    AddInstance(14, "PhongNoSpecTrans", 2, 5, Vector3(10.0f, 0.0f, 0.0f), true);
    TracedFrame();
    const std::vector<std::string> diffuse = Log({"SetValue DiffCol"});
    EXPECT_EQ(diffuse.size(), 3u) << "the sign's material, its colour, the bush's material";
    float colour[4] = {};
    Effect()->GetValue("DiffCol", colour, sizeof(colour));
    EXPECT_EQ(colour[3], MaterialTable[2].diffuse[3]) << "the bush draws with its material, not the sign's colour";
}

TEST_F(RendererRig, TheCharacterDrawsThroughItsModelOncePosedThenTheDeclarationReturns)
{
    std::vector<MeshInstance*> body = {new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, false, false, false)};
    Vector3 at(12.0f, 0.0f, -3.0f);
    body[0]->position = &at;
    renderer->QueueWorldInstances(&body);
    AddInstance(1, "Phong1Opaque", 1, 3, Vector3(10.0f, 0.0f, 0.0f), true);
    // A stage load makes the model in the frame's own update, after the
    // animation step: the hierarchy still holds the last character's pose.
    TracedFrame();
    EXPECT_TRUE(Log({"BeginPass SkinnedNoLight"}).empty()) << "a model never posed is not drawn";

    hooks.hasCharacter = true;
    hooks.character.position = &at;
    hooks.character.instance = body[0];
    ASSERT_TRUE(renderer->AdvanceModels(0.0f));
    TracedFrame();
    const std::vector<std::string> log =
        Log({"End SkinnedNoLight", "SetVertexDeclaration", "Begin Phong1Opaque", "BeginPass SkinnedNoLight"});
    auto lastSkinned = std::find(log.rbegin(), log.rend(), "End SkinnedNoLight");
    ASSERT_NE(lastSkinned, log.rend()) << "the character was drawn";
    auto next = std::find(log.begin() + (log.rend() - lastSkinned), log.end(), "Begin Phong1Opaque");
    EXPECT_NE(std::find(log.begin() + (log.rend() - lastSkinned), next, "SetVertexDeclaration"), next)
        << "the next instance draws with the renderer's declaration again";
}

// (triangles, the device's limit) -> the draws.
struct ChunkCase
{
    DWORD limit;
    std::vector<std::string> draws;
};

TEST_F(RendererRig, IndexedDrawsComeInPiecesOfTheDevicesLimit)
{
    Terrain* terrain = AddFlatTerrain(9, -1.0f, 4.0f, "Phong1Opaque", 2, 2); // 128 triangles
    const MeshBuffers& geometry = terrain->GetMesh().PrepareBuffers(Device());
    ASSERT_EQ(geometry.triangleCount, 128);
    const ChunkCase cases[] = {
        {50, {"DrawIndexedPrimitive 4 50", "DrawIndexedPrimitive 4 50", "DrawIndexedPrimitive 4 28"}},
        {64, {"DrawIndexedPrimitive 4 64", "DrawIndexedPrimitive 4 64"}},
        {128, {"DrawIndexedPrimitive 4 128"}},
        {1000, {"DrawIndexedPrimitive 4 128"}},
        {0, {"DrawIndexedPrimitive 4 128"}}, // no limit
    };
    for (const ChunkCase& c : cases) {
        LvD3D9_SetMaxPrimitiveCount(c.limit);
        LvD3D9_ClearCallLog();
        LvD3D9_EnableCallLog(true);
        geometry.Draw(c.limit);
        LvD3D9_EnableCallLog(false);
        EXPECT_EQ(LvD3D9_GetCallLog(), c.draws) << "limit " << c.limit;
    }
}

TEST_F(RendererRig, TheFrameDrawsWithinTheLimitTheDeviceReports)
{
    Stop();
    LvD3D9_SetMaxPrimitiveCount(100);
    Start(kWidth, kHeight);
    AddFlatTerrain(9, -1.0f, 4.0f, "Phong1Opaque", 2, 2);
    TracedFrame(false);
    EXPECT_EQ(Log({"DrawIndexedPrimitive"}),
              (std::vector<std::string>{"DrawIndexedPrimitive 4 100", "DrawIndexedPrimitive 4 28"}));
}

class SignRig : public RendererRig
{
protected:
    void SetUp() override {}
    ScratchRunTree tree;
};

// The exit sign faces the camera through the quarter-turned quad mapping;
// its technique turns the texture back, so the image's corners land on the
// screen's corners.
TEST_F(SignRig, ACameraFacingSignReadsUpright)
{
    // Red top left, green top right, blue bottom left, white bottom right.
    const uint8_t corners[2][2][3] = {{{255, 0, 0}, {0, 255, 0}}, {{0, 0, 255}, {255, 255, 255}}};
    std::vector<uint8_t> quadrants(16 * 16 * 4);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = &quadrants[size_t(y * 16 + x) * 4];
            for (int c = 0; c < 3; ++c) p[c] = corners[y / 8][x / 8][c];
            p[3] = 255;
        }
    ASSERT_TRUE(stbi_write_png(tree.Path("Textures/Exit.png").c_str(), 16, 16, 4, quadrants.data(), 16 * 4));
    Start(kWidth, kHeight);
    MeshInstance* sign = AddInstance(kScreenQuadMeshId, "XFORMTest", 2, 41, Vector3(10.0f, 0.0f, 0.0f), true, true);
    D3DXMatrixScaling(&sign->world, 6.0f, 6.0f, 6.0f);
    renderer->RenderFrame();
    UINT w = 0, h = 0;
    const std::vector<uint8_t> image = BackBuffer(&w, &h);
    auto at = [&](int dx, int dy) {
        const uint8_t* p = &image[(size_t(int(h) / 2 + dy) * w + size_t(int(w) / 2 + dx)) * 4];
        return std::vector<int>{p[0] > 128, p[1] > 128, p[2] > 128};
    };
    EXPECT_EQ(at(-20, -20), (std::vector<int>{1, 0, 0})) << "top left";
    EXPECT_EQ(at(20, -20), (std::vector<int>{0, 1, 0})) << "top right";
    EXPECT_EQ(at(-20, 20), (std::vector<int>{0, 0, 1})) << "bottom left";
    EXPECT_EQ(at(20, 20), (std::vector<int>{1, 1, 1})) << "bottom right";
}

} // namespace
