// The renderer's frame on the headless device, read through the device's
// call log: its steps in order with the parameters' names and sizes, the
// values they carry, the previous view-projection, the HUD drawn without
// depth, the chain or the straight scene in between, and the frames that
// must not draw.
#include "RendererRig.h"

#include <algorithm>
#include <cstring>

#include "d3d9_host.h"
#include "render/MeshInstance.h"

namespace {

std::string State(D3DRENDERSTATETYPE state, DWORD value)
{
    return "SetRenderState " + std::to_string(int(state)) + " " + std::to_string(value);
}

std::string Sampler(D3DSAMPLERSTATETYPE type)
{
    return "SetSamplerState 0 " + std::to_string(int(type)) + " " + std::to_string(int(D3DTEXF_LINEAR));
}

// The log from the first entry equal to `from` (inclusive) to the first
// equal to `to` after it (exclusive).
std::vector<std::string> Between(const std::vector<std::string>& log, const std::string& from, const std::string& to)
{
    auto first = std::find(log.begin(), log.end(), from);
    auto last = std::find(first, log.end(), to);
    return std::vector<std::string>(first, last);
}

bool Identity(const D3DXMATRIX& m)
{
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    return m == identity;
}

// What the frame sends before it clears: declaration, scene begin, the
// camera's matrices, the three light arrays, focal distance, eye, the heat
// mask's level, samplers.
const std::vector<std::string>& FrameHead()
{
    static const std::vector<std::string> head = {"SetVertexDeclaration",
                                                  "BeginScene",
                                                  "SetMatrix mView",
                                                  "SetMatrix mViewProjection",
                                                  "SetMatrix mLastViewProjection",
                                                  "SetValue LightAtten 32",
                                                  "SetValue LightPos 96",
                                                  "SetValue LightCol 128",
                                                  "SetFloat focalDist",
                                                  "SetValue CamPos 16",
                                                  "SetFloat HeatLevel",
                                                  Sampler(D3DSAMP_MINFILTER),
                                                  Sampler(D3DSAMP_MAGFILTER),
                                                  Sampler(D3DSAMP_MIPFILTER)};
    return head;
}

// What follows the scene: the editor's dialog, then the HUD with depth off.
const std::vector<std::string>& FrameTail()
{
    static const std::vector<std::string> tail = {"EditorDialog",
                                                  State(D3DRS_ZENABLE, FALSE),
                                                  Sampler(D3DSAMP_MAGFILTER),
                                                  Sampler(D3DSAMP_MINFILTER),
                                                  "SetVertexDeclaration",
                                                  "Hud",
                                                  State(D3DRS_ZENABLE, TRUE),
                                                  "EndScene"};
    return tail;
}

TEST_F(RendererRig, FrameRunsItsStepsInOrderAroundTheStraightScene)
{
    AddFlatTerrain(9, -1.0f, 4.0f, "Phong1Opaque", 2, 2);
    renderer->Update(0.25f);
    TracedFrame();
    const std::vector<std::string>& log = LvD3D9_GetCallLog();

    const std::vector<std::string> head(log.begin(), std::find(log.begin(), log.end(), "Clear"));
    EXPECT_EQ(head, FrameHead());
    const std::vector<std::string> tail(std::find(log.begin(), log.end(), "EditorDialog"), log.end());
    EXPECT_EQ(tail, FrameTail());
    EXPECT_EQ(hooks.hudDepthTest, FALSE);
    DWORD depth = 0;
    Device()->GetRenderState(D3DRS_ZENABLE, &depth);
    EXPECT_EQ(depth, DWORD(TRUE)) << "depth is on again for the next frame";

    // No chain: the heightmap first, switching onto the effect once (its
    // light callback), then its material, texture, technique and world. Its
    // material has no highlights: it draws with the highlight-free twin, and
    // with no point light in the frame, with that twin's sky-lit one.
    std::vector<std::string> terrain;
    for (const std::string& entry : Between(log, "Clear", "End PhongNoSpecOpaqueSkyLit")) {
        if (entry.rfind("Set", 0) == 0 && entry.rfind("SetRenderState", 0) != 0 &&
            entry.rfind("SetSamplerState", 0) != 0 && entry != "SetVertexDeclaration")
            terrain.push_back(entry);
    }
    const std::vector<std::string> expected = {"SetTechnique PhongNoSpecOpaque",
                                               "SetValue LightDir 12",
                                               "SetValue LightDiffuse 16",
                                               "SetFloat nNumLights",
                                               "SetValue LightAmbient 16",
                                               "SetFloat OffsetScale",
                                               "SetFloat time01",
                                               "SetValue SpecCol 16",
                                               "SetValue EmisCol 16",
                                               "SetValue DiffCol 16",
                                               "SetValue AmbCol 16",
                                               "SetFloat Power",
                                               "SetTexture MeshTexture",
                                               "SetTechnique PhongNoSpecOpaque",
                                               "SetMatrix mWorld",
                                               "SetTechnique PhongNoSpecOpaqueSkyLit"};
    EXPECT_EQ(terrain, expected);

    // The values the effect holds after the frame.
    float lightDir[3] = {}, ambient[4] = {}, attenuation[8] = {1}, camPos[4] = {}, time = 0, lights = 0;
    ASSERT_EQ(Effect()->GetValue("LightDir", lightDir, sizeof(lightDir)), D3D_OK);
    EXPECT_EQ(lightDir[1], 0.8f);
    EXPECT_EQ(lightDir[2], 0.8f);
    Effect()->GetValue("LightAmbient", ambient, sizeof(ambient));
    EXPECT_EQ(ambient[3], 0.3f);
    Effect()->GetFloat("nNumLights", &lights);
    EXPECT_EQ(lights, 3.0f);
    Effect()->GetFloat("time01", &time);
    EXPECT_EQ(time, 0.25f);
    Effect()->GetValue("LightAtten", attenuation, sizeof(attenuation));
    EXPECT_TRUE(std::all_of(attenuation, attenuation + 8, [](float a) { return a == 0.0f; }))
        << "no lights: every range is zero, which the effect reads as no light";
    Effect()->GetValue("CamPos", camPos, sizeof(camPos));
    const Vector3 eye = renderer->GetCamera()->GetPosition();
    EXPECT_EQ(camPos[0], eye.x);
    EXPECT_EQ(camPos[2], eye.z);
    EXPECT_EQ(camPos[3], 1.0f);
    D3DXMATRIX world;
    Effect()->GetMatrix("mWorld", &world);
    EXPECT_EQ(world._11, 4.0f) << "a terrain is drawn at its DIFF scale";
    EXPECT_EQ(world._41, 0.0f);
}

// The heat mask's level is the height of the lava plane queued in the opaque
// list; without one (or once it is given up) it lies far below any ground.
TEST_F(RendererRig, HeatLevelFollowsTheQueuedLavaPlane)
{
    constexpr int kLava = 8, kOther = 2;
    auto heatLevel = [&] {
        renderer->RenderFrame();
        float level = 0.0f;
        Effect()->GetFloat("HeatLevel", &level);
        return level;
    };
    EXPECT_LT(heatLevel(), -1000.0f) << "no lava";

    auto queued = [&](int material, float height) {
        MeshInstance* plane = new MeshInstance(false, false, 1, "PhongNoSpecTrans", material, 0, false, false, false);
        D3DXMatrixTranslation(&plane->world, 3.0f, 4.0f, height);
        renderer->QueueInstance(plane);
        return plane;
    };
    MeshInstance* other = queued(kOther, 9.0f);
    EXPECT_LT(heatLevel(), -1000.0f) << "a plane of another material is not lava";
    MeshInstance* lava = queued(kLava, -2.5f);
    EXPECT_EQ(heatLevel(), -2.5f);
    lava->MarkForRemoval();
    other->MarkForRemoval();
    EXPECT_LT(heatLevel(), -1000.0f) << "the lava given up";
}

// Only what may reach within "HeatBand" of the lava can be hot: a heat-mask
// step leaves out the instances wholly above or below that band, and every
// other step draws them.
TEST_F(RendererRig, TheHeatMaskLeavesOutWhatLiesWhollyOutsideItsBand)
{
    MeshInstance* lava = new MeshInstance(false, false, 1, "PhongNoSpecTrans", 8, 0, false, false, false);
    D3DXMatrixTranslation(&lava->world, 40.0f, 0.0f, -2.5f);
    renderer->QueueInstance(lava);
    AddInstance(1, "Phong1Opaque", 0, 3, Vector3(40.0f, 2.0f, -1.5f)); // reaches into the band
    AddInstance(1, "Phong1Opaque", 0, 3, Vector3(40.0f, -2.0f, 5.0f)); // above it
    AddInstance(1, "Phong1Opaque", 0, 3, Vector3(40.0f, 0.0f, -8.0f)); // below it
    renderer->RenderFrame();
    auto drawsWith = [&](const char* technique) {
        Effect()->SetTechnique(technique);
        return DrawsDuring([&] { renderer->DrawRenderListWithStepTechnique(kOpaqueList); });
    };
    EXPECT_EQ(drawsWith("HeatMask"), 2) << "the lava and the box reaching into its band";
    EXPECT_EQ(drawsWith("VelocityMap"), 4);
}

TEST_F(RendererRig, LastViewProjectionIsIdentityFirstThenThePreviousFrames)
{
    renderer->RenderFrame();
    D3DXMATRIX last;
    Effect()->GetMatrix("mLastViewProjection", &last);
    EXPECT_TRUE(Identity(last));
    const D3DXMATRIX first = renderer->GetLastViewProjection();
    D3DXMATRIX expected;
    D3DXMatrixMultiply(&expected, &renderer->GetCamera()->GetView(), &renderer->GetCamera()->GetProjection());
    EXPECT_EQ(first, expected);

    // The camera turns: the next frame hands over the view it had before.
    AimCamera(Vector3(5.0f, 0.0f, 0.0f), 5.0f, 0.5f);
    renderer->RenderFrame();
    Effect()->GetMatrix("mLastViewProjection", &last);
    EXPECT_EQ(last, first);
    D3DXMATRIX now;
    Effect()->GetMatrix("mViewProjection", &now);
    EXPECT_NE(now, first);
}

// A stage load resets the camera's target: the jump to the new view is no
// motion, so that frame's previous view-projection is its own, once.
TEST_F(RendererRig, AfterATargetResetTheFrameMovesFromItsOwnViewOnce)
{
    renderer->RenderFrame();
    AimCamera(Vector3(300.0f, -200.0f, 40.0f), 25.0f, 2.0f, 0.3f);
    renderer->GetCamera()->ResetTarget();
    renderer->RenderFrame();
    D3DXMATRIX last, now;
    Effect()->GetMatrix("mLastViewProjection", &last);
    Effect()->GetMatrix("mViewProjection", &now);
    EXPECT_EQ(last, now);
    EXPECT_FALSE(renderer->GetCamera()->TakeCut()) << "the frame took the cut";

    // Without a reset the camera's turns are motion again.
    const D3DXMATRIX before = now;
    AimCamera(Vector3(300.0f, -200.0f, 40.0f), 25.0f, 2.5f, 0.3f);
    renderer->RenderFrame();
    Effect()->GetMatrix("mLastViewProjection", &last);
    Effect()->GetMatrix("mViewProjection", &now);
    EXPECT_EQ(last, before);
    EXPECT_NE(now, before);
}

TEST_F(RendererRig, ChainDrawsBetweenTheClearAndTheDialogAndItsFiltersBuildOnce)
{
    renderer->SelectLevelDrawList(1);
    ASSERT_TRUE(renderer->IsRedrawFrame());
    TracedFrame(false);
    const std::vector<std::string> scene = Between(LvD3D9_GetCallLog(), "Clear", "EditorDialog");
    EXPECT_NE(std::find(scene.begin(), scene.end(), "BeginPass FinalScenePass.P0"), scene.end());
    EXPECT_GT(std::count_if(scene.begin(), scene.end(),
                            [](const std::string& e) { return e.rfind("SetRenderTarget", 0) == 0; }),
              2);
    EXPECT_FALSE(renderer->IsRedrawFrame()) << "a frame that drew the chain built its filters";
}

TEST_F(RendererRig, WithoutAnEffectTheFramePrunesButDrawsNothingAndKeepsRedraw)
{
    MeshInstance* gone = AddInstance(1, "Phong1Opaque", 0, 3, Vector3(10.0f, 0.0f, 0.0f));
    gone->MarkForRemoval();
    renderer->AddDrawList("../Config/2_0.cfg");
    // As between a failed effect load and the quit it posts.
    renderer->ReleaseDeviceResources();
    ASSERT_EQ(renderer->GetEffect(), nullptr);
    TracedFrame(false);
    EXPECT_TRUE(Log({"BeginScene", "Clear", "EndScene"}).empty());
    EXPECT_EQ(renderer->GetRenderLists().Count(kOpaqueList), 0);
    EXPECT_TRUE(renderer->IsRedrawFrame());
}

} // namespace
