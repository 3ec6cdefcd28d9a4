// The renderer without a device: the effect clock, the screen-target table,
// the lights a frame hands over, the headless load the ragdoll relies on, and
// the character's model posed from object 0.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/MeshImportTransform.h"
#include "render/AnimInstance.h"
#include "render/FrameHooks.h"
#include "render/FrameLights.h"
#include "render/MaterialTable.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/Renderer.h"

namespace {

TEST(Renderer, EffectTimeWrapsOnlyPastOne)
{
    // (start, step) -> time after the step.
    const struct
    {
        float start, step, after;
    } cases[] = {
        {0.95f, 0.1f, 0.05f}, {0.9f, 0.25f, 0.15f}, {0.75f, 0.25f, 1.0f}, {1.0f, 0.1f, 0.1f}, {0.5f, 2.25f, 0.75f},
    };
    for (const auto& c : cases) {
        Renderer renderer{VideoSettings()};
        renderer.Update(c.start);
        renderer.Update(c.step);
        EXPECT_NEAR(renderer.GetTime01(), c.after, 1e-6f) << c.start << " + " << c.step;
    }
}

TEST(Renderer, ScreenTargetsOfTheClientArea)
{
    // slot -> (width, height) of an 803 x 601 and of a 5 x 3 client area.
    const struct
    {
        int slot;
        UINT w, h, tinyW, tinyH;
    } cases[] = {
        {0, 803, 601, 5, 3},  {1, 200, 150, 1, 1},  {8, 202, 152, 2, 2}, {9, 102, 77, 2, 2}, {12, 102, 77, 2, 2},
        {13, 803, 601, 5, 3}, {15, 803, 601, 5, 3}, {2, 0, 0, 0, 0},     {7, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        UINT w = 9, h = 9;
        RenderTargetSize(c.slot, 803, 601, &w, &h);
        EXPECT_EQ(w, c.w) << "slot " << c.slot;
        EXPECT_EQ(h, c.h) << "slot " << c.slot;
        RenderTargetSize(c.slot, 5, 3, &w, &h);
        EXPECT_EQ(w, c.tinyW) << "slot " << c.slot;
        EXPECT_EQ(h, c.tinyH) << "slot " << c.slot;
    }
    // Float targets only where pixel shaders 3.0 run the HDR chains; slot 1
    // (the luminance) always.
    EXPECT_EQ(RenderTargetFormat(0, D3DPS_VERSION(3, 0)), D3DFMT_A16B16G16R16F);
    EXPECT_EQ(RenderTargetFormat(14, D3DPS_VERSION(2, 0)), D3DFMT_A8R8G8B8);
    EXPECT_EQ(RenderTargetFormat(1, D3DPS_VERSION(1, 4)), D3DFMT_A16B16G16R16F);
    EXPECT_EQ(RenderTargetFormat(8, D3DPS_VERSION(3, 0)), D3DFMT_A8R8G8B8);
}

struct TestLight
{
    Vector3 position;
    float colour[4];
    float attenuation;
};

TEST(Renderer, TheFirstThreeLightsGoToTheEffectAndMissingOnesAreDark)
{
    std::vector<TestLight> store = {{Vector3(1, 2, 3), {1.0f, 0.8f, 0.2f, 1.0f}, 12.0f},
                                    {Vector3(4, 5, 6), {1, 1, 1, 1}, 1000.0f},
                                    {Vector3(7, 8, 9), {0.5f, 0.5f, 0.5f, 1.0f}, 10.0f},
                                    {Vector3(9, 9, 9), {1, 1, 1, 1}, 99.0f}};
    for (size_t count : {size_t(0), size_t(1), size_t(3), size_t(4)}) {
        std::vector<TestLight*> lights;
        for (size_t i = 0; i < count; ++i) lights.push_back(&store[i]);
        LightArrays arrays;
        std::memset(&arrays, 0x7F, sizeof(arrays));
        EXPECT_EQ(FillLightArrays(&lights, arrays), int(std::min<size_t>(count, 3)));
        for (int i = 0; i < kLightArraySize; ++i) {
            const bool lit = size_t(i) < std::min<size_t>(count, 3);
            EXPECT_EQ(arrays.attenuation[i], lit ? store[size_t(i)].attenuation : 0.0f) << count << " lights, " << i;
            EXPECT_EQ(arrays.position[i][2], lit ? store[size_t(i)].position.z : 0.0f);
            EXPECT_EQ(arrays.colour[i][0], lit ? store[size_t(i)].colour[0] : 0.0f);
        }
    }
    LightArrays none;
    EXPECT_EQ(FillLightArrays<TestLight>(nullptr, none), 0);
    EXPECT_EQ(none.attenuation[0], 0.0f);
}

TEST(Renderer, MaterialIdsOutsideTheTableSetNothing)
{
    EXPECT_EQ(FindMaterial(kNoMaterial), nullptr);
    EXPECT_EQ(FindMaterial(-1), nullptr);
    EXPECT_EQ(FindMaterial(99), nullptr);
    ASSERT_NE(FindMaterial(8), nullptr);
    EXPECT_EQ(FindMaterial(8)->diffuse[0], 30.0f) << "lava's colour reaches the effect unclamped";
}

// Object 0 as the test places it.
class CharacterHooks : public FrameHooks
{
public:
    bool GetCharacter(FrameCharacter& out) const override
    {
        if (!present) return false;
        out = character;
        return true;
    }
    bool present = true;
    FrameCharacter character;
};

class HeadlessRenderer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gRenderer = &renderer;
        FrameHookSlot::Install(&hooks);
    }
    void TearDown() override
    {
        FrameHookSlot::Install(nullptr);
        gRenderer = nullptr;
    }
    // The character's drawable, queued as the World queues an object's and
    // handed over as object 0's while `hooks.present` holds.
    MeshInstance* AddCharacter()
    {
        instances.push_back(new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, false, false, false));
        instances.back()->position = &position;
        instances.back()->offset = Vector3(0.0f, 0.0f, -4.5f);
        renderer.QueueWorldInstances(&instances);
        hooks.character.instance = instances.back();
        hooks.character.position = &position;
        return instances.back();
    }

    Renderer renderer{VideoSettings()};
    CharacterHooks hooks;
    Vector3 position{10.0f, 20.0f, 5.0f};
    std::vector<MeshInstance*> instances;
};

TEST_F(HeadlessRenderer, LoadsTheCharacterHierarchyWithoutADeviceSilently)
{
    testing::internal::CaptureStderr();
    renderer.LoadResources();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(renderer.FindFrame("Bip01_Spine"), nullptr);
    EXPECT_EQ(renderer.FindFrame("NoSuchBone"), nullptr);
    EXPECT_EQ(renderer.GetEffect(), nullptr);
    // Without a device the frame still frees what its owners gave up.
    MeshInstance* gone = new MeshInstance(false, false, 1, "Phong1Opaque", 0, 0, false, false, false);
    renderer.QueueInstance(gone);
    gone->MarkForRemoval();
    renderer.RenderFrame();
    EXPECT_EQ(renderer.GetRenderLists().Count(kOpaqueList), 0);
}

TEST_F(HeadlessRenderer, WithoutAModelOrObjectZeroNothingAnimates)
{
    EXPECT_EQ(renderer.SetModelAnimating(false), nullptr);
    renderer.UpdateAnimatedModels(0.1f); // no model: nothing to do
    renderer.LoadResources();
    MeshInstance* character = AddCharacter();
    hooks.present = false;
    const double before = character->model->GetTime();
    renderer.AdvanceModels(0.1f);
    EXPECT_EQ(character->model->GetTime(), before) << "no object 0: nothing moves";
    hooks.present = true;
    EXPECT_EQ(renderer.SetModelAnimating(false), character->model);
    renderer.AdvanceModels(0.1f);
    EXPECT_EQ(character->model->GetTime(), before) << "an inactive model freezes its pose";
    renderer.SetModelAnimating(true);
    EXPECT_TRUE(renderer.AdvanceModels(0.1f));
    EXPECT_NEAR(character->model->GetTime(), before + 0.1, 1e-6);
}

TEST_F(HeadlessRenderer, TheModelFacesAlongObjectZerosVelocityAndKeepsItWhileIdle)
{
    renderer.LoadResources();
    MeshInstance* character = AddCharacter();
    // Moving along +x: the model's forward row is that turned a quarter, to +y.
    hooks.character.linearVelocity = Vector3(3.0f, 0.0f, 2.0f);
    renderer.AdvanceModels(0.0f);
    const D3DXMATRIX facing(0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    D3DXMATRIX place, offset, step, expected;
    D3DXMatrixTranslation(&offset, 0.0f, 0.0f, -4.5f);
    D3DXMatrixTranslation(&place, position.x, position.y, position.z);
    D3DXMatrixMultiply(&step, &MeshImportTransform, &facing);
    D3DXMatrixMultiply(&expected, &step, &offset);
    D3DXMatrixMultiply(&step, &expected, &place);
    const D3DXMATRIX& world = character->model->GetInstance()->GetWorldTransform();
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&world._11)[i], (&step._11)[i], 1e-5f) << i;

    // Idle: another velocity changes nothing; walking again turns it.
    hooks.character.idleAnimation = true;
    hooks.character.linearVelocity = Vector3(0.0f, -1.0f, 0.0f);
    renderer.AdvanceModels(0.0f);
    EXPECT_NEAR(character->model->GetInstance()->GetWorldTransform()._11, world._11, 1e-6f);
    const float idleM11 = world._11, idleM12 = world._12;
    hooks.character.idleAnimation = false;
    renderer.AdvanceModels(0.0f);
    const D3DXMATRIX& turned = character->model->GetInstance()->GetWorldTransform();
    EXPECT_FALSE(std::fabs(turned._11 - idleM11) < 1e-4f && std::fabs(turned._12 - idleM12) < 1e-4f);

    // Once its owner gave it up (a stage change), its model stays as it is.
    character->MarkForRemoval();
    const double time = character->model->GetTime();
    EXPECT_FALSE(renderer.AdvanceModels(0.1f));
    EXPECT_EQ(character->model->GetTime(), time);
}

} // namespace
