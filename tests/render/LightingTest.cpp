// The World's point lights on a lit terrain: a torch brightens the ground
// around it and not the ground far from it, its range is where its light
// ends, the first three lights of the list reach the effect in order,
// frames with fewer lights (or none) draw without fault, and ground no light
// reaches, drawn without the point lights, looks the same to the bit.
#include "PassTriangles.h"
#include "RendererRig.h"

#include <cmath>
#include <map>
#include <string>

#include "render/PointLight.h"

namespace {

const float kTorchColour[4] = {1.0f, 0.8f, 0.2f, 1.0f};
const float kSunColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
const float kFlareColour[4] = {8.0f, 8.0f, 8.0f, 1.0f};

class LitTerrain : public RendererRig
{
protected:
    void SetUp() override { StartOver(D3DPS_VERSION(3, 0), 1, nullptr); }

    // Ground at z = -4, 128 units wide (33 nodes, flat at mesh height -1 or
    // at these heights), seen from straight above in a picture `scale` times
    // the rig's size, at a pixel-shader tier.
    void StartOver(DWORD tier, int scale, const std::vector<float>* heights)
    {
        Stop();
        Start(scale * kWidth, scale * kHeight, tier);
        if (heights) {
            AddTerrain(*heights, 33, 4.0f, "Phong1Opaque", 2, 2);
        } else {
            AddFlatTerrain(33, -1.0f, 4.0f, "Phong1Opaque", 2, 2);
        }
        AimCamera(Vector3(0.0f, 0.0f, -4.0f), 60.0f, 0.0f, -1.5f);
        hooks.lights = &lights;
    }

    // A light whose owner stands `offset` short of where the light sits
    // (lights sit 4 units along their owner's x axis).
    PointLight* AddLight(const Vector3& at, const float* colour, float range)
    {
        owners.push_back(std::make_unique<Vector3>(at - Vector3(PointLight::kDefaultOffsetX, 0.0f, 0.0f)));
        store.push_back(
            std::make_unique<PointLight>(owners.back().get(), &Matrix3::Identity(), colour, range, 0.0f, 0.0f));
        store.back()->Update(0.0f);
        lights.push_back(store.back().get());
        return store.back().get();
    }

    // The mean of a channel over a small square around the ground point's
    // place on screen.
    double ChannelAround(const Vector3& ground, int channel)
    {
        UINT w = 0, h = 0;
        const std::vector<uint8_t> image = BackBuffer(&w, &h);
        const D3DXMATRIX& vp = renderer->GetLastViewProjection();
        const D3DXVECTOR4 p(ground.x, ground.y, ground.z, 1.0f);
        D3DXVECTOR4 clip;
        D3DXVec4Transform(&clip, &p, &vp);
        const int x = int((clip.x / clip.w + 1.0f) * 0.5f * float(w));
        const int y = int((1.0f - clip.y / clip.w) * 0.5f * float(h));
        double sum = 0;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= int(w) || py >= int(h)) continue;
                sum += image[(size_t(py) * w + size_t(px)) * 4 + size_t(channel)];
                ++count;
            }
        return count ? sum / count : -1.0;
    }
    double RedAround(const Vector3& ground) { return ChannelAround(ground, 0); }
    double GreenAround(const Vector3& ground) { return ChannelAround(ground, 1); }

    std::vector<std::unique_ptr<Vector3>> owners;
    std::vector<std::unique_ptr<PointLight>> store;
    std::vector<PointLight*> lights;
};

// At every tier: below pixel shaders 2.0 the ground is lit at its vertices,
// so flat ground far enough for coarse levels would lose the glow between them.
TEST_F(LitTerrain, ATorchBrightensTheGroundWithinItsRangeOnly)
{
    for (DWORD tier : {D3DPS_VERSION(3, 0), D3DPS_VERSION(2, 0), D3DPS_VERSION(1, 4)}) {
        StartOver(tier, 1, nullptr);
        lights.clear();
        renderer->RenderFrame();
        const double darkNear = RedAround(Vector3(-10.0f, 0.0f, -4.0f));
        const double darkFar = RedAround(Vector3(15.0f, 10.0f, -4.0f));
        AddLight(Vector3(-10.0f, 0.0f, -2.0f), kTorchColour, 12.0f);
        renderer->RenderFrame();
        const double litNear = RedAround(Vector3(-10.0f, 0.0f, -4.0f));
        const double litEdge = RedAround(Vector3(-10.0f, 8.0f, -4.0f));
        const double litFar = RedAround(Vector3(15.0f, 10.0f, -4.0f));
        EXPECT_GT(litNear, darkNear + 40.0) << "the ground under the torch, tier " << std::hex << tier;
        EXPECT_GT(litNear, litEdge) << "the light falls off with distance, tier " << std::hex << tier;
        EXPECT_GT(litEdge, darkNear) << "still within its range, tier " << std::hex << tier;
        EXPECT_NEAR(litFar, darkFar, 2.0) << "beyond its range the torch adds nothing, tier " << std::hex << tier;
    }
}

TEST_F(LitTerrain, TheFirstThreeLightsReachTheEffectInOrder)
{
    AddLight(Vector3(300.0f, -300.0f, 800.0f), kSunColour, 1000.0f);
    AddLight(Vector3(-10.0f, 0.0f, -2.0f), kTorchColour, 12.0f);
    renderer->RenderFrame();
    float atten[8] = {}, positions[8][3] = {}, colours[8][4] = {};
    Effect()->GetValue("LightAtten", atten, sizeof(atten));
    Effect()->GetValue("LightPos", positions, sizeof(positions));
    Effect()->GetValue("LightCol", colours, sizeof(colours));
    EXPECT_EQ(atten[0], 1000.0f);
    EXPECT_EQ(atten[1], 12.0f);
    EXPECT_EQ(atten[2], 0.0f) << "two lights: the third is no light";
    EXPECT_EQ(positions[1][0], -10.0f);
    EXPECT_EQ(positions[1][2], -2.0f);
    EXPECT_EQ(colours[1][2], 0.2f);
    EXPECT_EQ(colours[2][0], 0.0f);

    for (int i = 0; i < 3; ++i) AddLight(Vector3(float(i), 0.0f, 0.0f), kTorchColour, 10.0f + float(i));
    renderer->RenderFrame();
    Effect()->GetValue("LightAtten", atten, sizeof(atten));
    EXPECT_EQ(atten[2], 10.0f);
    EXPECT_EQ(atten[3], 0.0f) << "lights past the third are not handed over";
}

// Ground 33 nodes square at mesh height -1, rippled enough that every tile
// keeps its full detail in a 320 x 240 picture: the lights are then seen at
// every vertex, also at the tier that lights the vertices only.
std::vector<float> RippledGround()
{
    constexpr int kNodes = 33;
    constexpr float kRipple = 0.25f;
    std::vector<float> heights;
    for (int row = 0; row < kNodes; ++row)
        for (int column = 0; column < kNodes; ++column)
            heights.push_back(-1.0f + kRipple * std::sin(2.1f * float(column)) * std::sin(1.9f * float(row)));
    return heights;
}

// Ground out of every light's range is drawn with the terrain technique's
// twin that leaves the point lights out; the picture is the same to the bit
// as when the whole ground is drawn with them, at every effect tier, and
// each tile keeps the triangles it has without the split.
TEST_F(LitTerrain, GroundNoLightReachesDrawsWithoutPointLightsToTheSamePicture)
{
    // Four 64-unit tiles meeting under the camera at x = y = 0. The flare
    // stands over the -x -y tile, 12.5 units short of the +x -y one, and its
    // range reaches a sliver of that one too: the tile's bounds are 0.84 of
    // its range away, so a choice that took the lights' reach a fifth shorter
    // would draw the sliver unlit. The second light has no range.
    AddLight(Vector3(-12.5f, -24.0f, 2.0f), kFlareColour, 16.0f);
    AddLight(Vector3(10.0f, 10.0f, -2.0f), kSunColour, 0.0f);
    const Vector3 underFlare(-12.5f, -24.0f, -4.0f), inSliver(0.75f, -24.0f, -4.0f);
    const std::vector<float> rippled = RippledGround();
    for (DWORD tier : {D3DPS_VERSION(3, 0), D3DPS_VERSION(2, 0), D3DPS_VERSION(1, 4)}) {
        StartOver(tier, 2, &rippled);
        hooks.lights = nullptr;
        renderer->RenderFrame();
        const double darkUnder = RedAround(underFlare), darkSliver = GreenAround(inSliver);

        hooks.lights = &lights;
        renderer->SetTerrainLightSplit(false);
        TracedFrame(false);
        const std::vector<uint8_t> whole = BackBuffer();
        const std::map<std::string, int> wholeTriangles = TrianglesByPass(Log({"BeginPass", "End ", "Draw"}));
        renderer->SetTerrainLightSplit(true);
        TracedFrame(false);
        const std::vector<uint8_t> split = BackBuffer();
        const std::map<std::string, int> triangles = TrianglesByPass(Log({"BeginPass", "End ", "Draw"}));

        ASSERT_EQ(split.size(), whole.size());
        size_t differing = 0;
        for (size_t i = 0; i < split.size(); ++i) differing += split[i] != whole[i];
        EXPECT_EQ(differing, 0u) << "tier " << std::hex << tier;
        EXPECT_GT(RedAround(underFlare), darkUnder + 40.0) << "the flare lights its tile";
        EXPECT_GT(GreenAround(inSliver), darkSliver + 8.0) << "and the sliver of the next one";

        // Two tiles of 512 triangles drawn with the lights, two without.
        EXPECT_EQ(wholeTriangles.at("PhongNoSpecOpaque.P0"), 4 * 512);
        EXPECT_EQ(triangles.at("PhongNoSpecOpaque.P0"), 2 * 512) << "tier " << std::hex << tier;
        EXPECT_EQ(triangles.at("PhongNoSpecOpaqueSkyLit.P0"), 2 * 512);
    }
}

} // namespace
