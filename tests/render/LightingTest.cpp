// The World's point lights on a lit terrain: a torch brightens the ground
// around it and not the ground far from it, its range is where its light
// ends, the first three lights of the list reach the effect in order, and
// frames with fewer lights (or none) draw without fault.
#include "RendererRig.h"

#include <cmath>

#include "render/PointLight.h"

namespace {

const float kTorchColour[4] = {1.0f, 0.8f, 0.2f, 1.0f};
const float kSunColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};

class LitTerrain : public RendererRig
{
protected:
    void SetUp() override
    {
        Start(kWidth, kHeight);
        // Ground at z = -4, 128 units wide, seen from straight above.
        AddFlatTerrain(33, -1.0f, 4.0f, "Phong1Opaque", 2, 2);
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

    // The mean of the red channel over a small square around the ground
    // point's place on screen.
    double RedAround(const Vector3& ground)
    {
        const D3DXMATRIX& vp = renderer->GetLastViewProjection();
        const D3DXVECTOR4 p(ground.x, ground.y, ground.z, 1.0f);
        D3DXVECTOR4 clip;
        D3DXVec4Transform(&clip, &p, &vp);
        const int x = int((clip.x / clip.w + 1.0f) * 0.5f * kWidth);
        const int y = int((1.0f - clip.y / clip.w) * 0.5f * kHeight);
        UINT w = 0, h = 0;
        const std::vector<uint8_t> image = BackBuffer(&w, &h);
        double sum = 0;
        int count = 0;
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx) {
                const int px = x + dx, py = y + dy;
                if (px < 0 || py < 0 || px >= int(w) || py >= int(h)) continue;
                sum += image[(size_t(py) * w + size_t(px)) * 4];
                ++count;
            }
        return count ? sum / count : -1.0;
    }

    std::vector<std::unique_ptr<Vector3>> owners;
    std::vector<std::unique_ptr<PointLight>> store;
    std::vector<PointLight*> lights;
};

TEST_F(LitTerrain, ATorchBrightensTheGroundWithinItsRangeOnly)
{
    renderer->RenderFrame();
    const double darkNear = RedAround(Vector3(-10.0f, 0.0f, -4.0f));
    const double darkFar = RedAround(Vector3(15.0f, 10.0f, -4.0f));
    AddLight(Vector3(-10.0f, 0.0f, -2.0f), kTorchColour, 12.0f);
    renderer->RenderFrame();
    const double litNear = RedAround(Vector3(-10.0f, 0.0f, -4.0f));
    const double litEdge = RedAround(Vector3(-10.0f, 8.0f, -4.0f));
    const double litFar = RedAround(Vector3(15.0f, 10.0f, -4.0f));
    EXPECT_GT(litNear, darkNear + 40.0) << "the ground under the torch";
    EXPECT_GT(litNear, litEdge) << "the light falls off with distance";
    EXPECT_GT(litEdge, darkNear) << "still within its range";
    EXPECT_NEAR(litFar, darkFar, 2.0) << "beyond its range the torch adds nothing";
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

} // namespace
