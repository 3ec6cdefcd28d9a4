// What the renderer loads onto the device and keeps across device changes:
// both effect files at every shader tier, the screen targets of odd and tiny
// windows, a resize that rebuilds the device side and keeps the character,
// and run trees with a mesh, a texture or the effect missing or broken.
#include "RendererRig.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Win32Host.h"
#include "d3d9_host.h"
#include "render/AnimInstance.h"
#include "render/MeshInstance.h"
#include "render/Model.h"

namespace fs = std::filesystem;

namespace {

// Every technique a drawable names and every parameter the renderer, the
// chains, the skinning and the HUD set, separated by spaces.
const char* const kTechniques =
    "Phong1Opaque PhongNoSpecOpaque PhongNoSpecTrans PhongTransNoSpecNoTex PhongTransNoTex PhongLDRnSyT "
    "MotionTexOpaqueDull XFORMTest FixedFunctionNoTexture SkinnedNoLight SkinnedNoTex HUDElement "
    "ParticleAlpha ParticleAdditive FinalScenePass FinalLDR BlurComposite DownScale4x4 BrightPass Bloom "
    "HeatMask VelocityMap";
const char* const kParameters =
    "mWorld mView mViewProjection mLastViewProjection mLastWorld mWorldViewProjection LightPos LightCol "
    "LightAtten LightDir LightDiffuse nNumLights LightAmbient OffsetScale time01 focalDist CamPos "
    "DiffCol AmbCol SpecCol EmisCol Power MeshTexture TexUVarr g_avSampleOffsets g_avSampleWeights "
    "amPalette CurNumBones MATRIX_PALETTE_SIZE";

class TierRig : public RendererRig, public ::testing::WithParamInterface<DWORD>
{
protected:
    void SetUp() override { Start(kWidth, kHeight, GetParam()); }
};

TEST_P(TierRig, TheTiersEffectDefinesEveryNameTheGameSets)
{
    const bool full = GetParam() >= D3DPS_VERSION(2, 0);
    EXPECT_EQ(renderer->GetEffectIndex(), full ? 0 : 1);
    EXPECT_EQ(renderer->GetResources().GetEffect(full ? 1 : 0), nullptr) << "only the active slot is loaded";
    ID3DXEffect* effect = Effect();
    ASSERT_NE(effect, nullptr);
    std::istringstream techniques(kTechniques), parameters(kParameters);
    for (std::string name; techniques >> name;) EXPECT_EQ(effect->ValidateTechnique(name.c_str()), D3D_OK) << name;
    for (std::string name; parameters >> name;)
        EXPECT_NE(effect->GetParameterByName(nullptr, name.c_str()), nullptr) << name;
    INT palette = 0;
    effect->GetInt("MATRIX_PALETTE_SIZE", &palette);
    EXPECT_EQ(palette, full ? 35 : 26);
    // The reduced effect's callback sets nothing: its light and time defaults hold.
    float direction[3] = {}, count = 0.0f;
    effect->GetValue("LightDir", direction, sizeof(direction));
    effect->GetFloat("nNumLights", &count);
    EXPECT_EQ(direction[2], 0.8f);
    EXPECT_EQ(count, 3.0f);

    D3DSURFACE_DESC scene = {};
    renderer->GetRenderTargets().Slot(0)->GetLevelDesc(0, &scene);
    EXPECT_EQ(scene.Format, GetParam() >= D3DPS_VERSION(3, 0) ? D3DFMT_A16B16G16R16F : D3DFMT_A8R8G8B8);
}

INSTANTIATE_TEST_SUITE_P(Renderer, TierRig,
                         ::testing::Values(D3DPS_VERSION(3, 0), D3DPS_VERSION(2, 0), D3DPS_VERSION(1, 4)));

class SizeRig : public RendererRig, public ::testing::WithParamInterface<std::pair<int, int>>
{
protected:
    void SetUp() override { Start(GetParam().first, GetParam().second); }
};

TEST_P(SizeRig, ScreenTargetsFollowTheClientAreaAndNoneIsEmpty)
{
    const UINT w = UINT(GetParam().first), h = UINT(GetParam().second);
    for (int slot = 0; slot < kRenderTargetSlotCount; ++slot) {
        IDirect3DTexture9* texture = renderer->GetRenderTargets().Slot(slot);
        UINT expectedWidth = 0, expectedHeight = 0;
        RenderTargetSize(slot, w, h, &expectedWidth, &expectedHeight);
        if (expectedWidth == 0) {
            EXPECT_EQ(texture, nullptr) << "slot " << slot;
            continue;
        }
        ASSERT_NE(texture, nullptr) << "slot " << slot;
        D3DSURFACE_DESC desc = {};
        texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, expectedWidth) << "slot " << slot;
        EXPECT_EQ(desc.Height, expectedHeight) << "slot " << slot;
    }
    UINT cropWidth = 0, cropHeight = 0;
    renderer->GetCropSize(&cropWidth, &cropHeight);
    EXPECT_EQ(cropWidth, std::max(w / 8 * 8, 1u));
    EXPECT_EQ(cropHeight, std::max(h / 8 * 8, 1u));
    // The shipped chain draws into every size without fault.
    renderer->SelectLevelDrawList(1);
    renderer->RenderFrame();
    UINT bw = 0, bh = 0;
    BackBuffer(&bw, &bh);
    EXPECT_EQ(bw, w);
}

INSTANTIATE_TEST_SUITE_P(Renderer, SizeRig,
                         ::testing::Values(std::make_pair(803, 601), std::make_pair(5, 3), std::make_pair(1, 1)));

TEST_F(RendererRig, ResizeRebuildsTheDeviceSideAndKeepsModelsAndInstances)
{
    std::vector<MeshInstance*> body = {new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, false, false, false)};
    Vector3 at(12.0f, 0.0f, -3.0f);
    body[0]->position = &at;
    renderer->QueueWorldInstances(&body);
    ASSERT_EQ(renderer->GetModelCount(), 1);
    Model* model = renderer->GetModel(0);
    AnimInstance* anim = model->GetInstance();
    ASSERT_NE(anim, nullptr);
    // Posed, as the animation step does before the character is drawn.
    hooks.hasCharacter = true;
    hooks.character.position = &at;
    hooks.character.instance = body[0];
    ASSERT_TRUE(renderer->AdvanceModels(0.0f));
    renderer->RenderFrame();
    const int live = LvD3D9_LiveResourceCount();
    // Held here, the old declaration shows whether the reset let go of it.
    IDirect3DVertexDeclaration9* oldDeclaration = renderer->GetVertexDeclaration();
    oldDeclaration->AddRef();

    Resize(200, 150);
    EXPECT_NE(renderer->GetVertexDeclaration(), oldDeclaration);
    EXPECT_EQ(oldDeclaration->Release(), 0u) << "the declaration made before the reset was released";
    EXPECT_NE(Effect(), nullptr);
    EXPECT_EQ(renderer->GetModel(0), model);
    EXPECT_EQ(model->GetInstance(), anim);
    EXPECT_EQ(renderer->GetRenderLists().Count(kSkinnedList), 1);
    EXPECT_EQ(body[0]->meshId, 0);
    EXPECT_NE(renderer->FindFrame("Bip01_Spine"), nullptr);
    D3DSURFACE_DESC desc = {};
    renderer->GetRenderTargets().Slot(0)->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 200u);
    EXPECT_EQ(LvD3D9_LiveResourceCount(), live) << "the release gave back what the load takes again";

    // The character still draws, through its own model, on the new device side.
    TracedFrame(false);
    EXPECT_FALSE(Log({"BeginPass SkinnedNoLight"}).empty());
    Resize(kWidth, kHeight);
    EXPECT_EQ(LvD3D9_LiveResourceCount(), live);
}

// A mesh of 20-byte vertices (position and one texture pair, no normals),
// one of whose four vertices no triangle uses.
TEST_F(RendererRig, ProcessingTakesAnyVertexLayoutAndDefinesEveryVertex)
{
    ID3DXMesh* source = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(1, 4, D3DXMESH_MANAGED, D3DFVF_XYZ | D3DFVF_TEX1, Device(), &source), D3D_OK);
    const float vertices[4][5] = {{0, 0, 0, 0, 0}, {1, 0, 0, 1, 0}, {0, 1, 0, 0, 1}, {5, 6, 7, 0.5f, 0.5f}};
    const uint16_t face[3] = {0, 2, 1};
    void* data = nullptr;
    source->LockVertexBuffer(0, &data);
    std::memcpy(data, vertices, sizeof(vertices));
    source->UnlockVertexBuffer();
    source->LockIndexBuffer(0, &data);
    std::memcpy(data, face, sizeof(face));
    source->UnlockIndexBuffer();
    ASSERT_EQ(source->GetNumBytesPerVertex(), 20u);

    MeshBuffers processed = RenderResources::ProcessMesh(source, Device());
    source->Release();
    ASSERT_FALSE(processed.IsEmpty());
    EXPECT_EQ(processed.vertexCount, 4);
    EXPECT_EQ(processed.triangleCount, 1);
    TangentVertex out[4];
    ASSERT_EQ(processed.vertexBuffer->Lock(0, 0, &data, D3DLOCK_READONLY), D3D_OK);
    std::memcpy(out, data, sizeof(out));
    processed.vertexBuffer->Unlock();
    ReleaseMeshBuffers(processed);
    // The triangle's tangent frame follows its texture mapping; its normal was made.
    EXPECT_EQ(out[1].tangent[0], 1.0f);
    EXPECT_EQ(out[2].binormal[1], 1.0f);
    EXPECT_NEAR(std::fabs(out[0].normal[2]), 1.0f, 1e-5f);
    // The vertex no triangle uses keeps its place and texture pair, and no tangent.
    EXPECT_EQ(out[3].position[2], 7.0f);
    EXPECT_EQ(out[3].u, 0.5f);
    EXPECT_EQ(out[3].tangent[0], 0.0f);
    EXPECT_EQ(out[3].binormal[1], 0.0f);
}

class BrokenTreeRig : public RendererRig
{
protected:
    void SetUp() override {}
    // Starts the renderer on the broken tree, the error stream captured.
    std::vector<std::string> StartAndReport()
    {
        testing::internal::CaptureStderr();
        Start(kWidth, kHeight);
        // The renderer's own reports; the stand-ins' loaders add their details.
        return ReportedMessages(testing::internal::GetCapturedStderr(), "/render/");
    }
    void TearDown() override
    {
        Stop();
        Win32ClearQuit();
    }
    ScratchRunTree tree;
};

TEST_F(BrokenTreeRig, AMissingMeshStopsTheMeshesWithItsReportsAndAMissingTextureKeepsTheIds)
{
    fs::remove(tree.Path("Meshes/spike.x"));
    fs::remove(tree.Path("Textures/Exit.png"));
    const std::vector<std::string> reports = StartAndReport();
    const std::vector<std::string> expected = {"Could not load mesh: spike.x", "Could not load Static Meshes",
                                               "Could not load meshes", "Could not load texture: Exit.png"};
    EXPECT_EQ(reports, expected);
    const RenderResources& resources = renderer->GetResources();
    EXPECT_TRUE(resources.IsStaticMeshLoaded(20));
    EXPECT_FALSE(resources.IsStaticMeshLoaded(21));
    EXPECT_EQ(resources.GetMesh(22), nullptr) << "meshes behind the missing one stay empty";
    EXPECT_NE(resources.GetMesh(kScreenQuadMeshId), nullptr) << "the quad comes from no file";
    EXPECT_EQ(resources.GetTexture(41), nullptr);
    EXPECT_NE(resources.GetTexture(40), nullptr);
    EXPECT_NE(resources.GetTexture(42), nullptr) << "a texture behind the failed one keeps its id";
    EXPECT_NE(renderer->GetRenderTargets().Slot(0), nullptr) << "targets load after the meshes failed";
    EXPECT_NE(gDebugFont, nullptr);
    EXPECT_FALSE(Win32QuitRequested()) << "the game goes on";

    // An instance of the missing mesh draws nothing; the frame goes on.
    AddInstance(21, "Phong1Opaque", 0, 3, Vector3(10.0f, 0.0f, 0.0f));
    AddInstance(1, "Phong1Opaque", 0, 41, Vector3(10.0f, 2.0f, 0.0f));
    TracedFrame(false);
    EXPECT_EQ(Log({"DrawIndexedPrimitive"}).size(), 1u);
    EXPECT_EQ(Log({"EndScene"}).size(), 1u);
}

TEST_F(BrokenTreeRig, ABrokenEffectEndsTheLoadAndAsksToQuit)
{
    std::ofstream(tree.Path("Effects/FixedFunction.fx")) << "technique Broken { pass P0 { vertex = Nowhere; } }\n";
    const std::vector<std::string> reports = StartAndReport();
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports[reports.size() - 2], "Could not load effect from file: FixedFunction.fx");
    EXPECT_EQ(reports.back(), "Could not load effects");
    EXPECT_TRUE(Win32QuitRequested());
    EXPECT_EQ(Effect(), nullptr);
    EXPECT_EQ(renderer->GetRenderTargets().Slot(0), nullptr) << "nothing after the effect is loaded";
    TracedFrame(false);
    EXPECT_TRUE(Log({"BeginScene"}).empty());
}

} // namespace
