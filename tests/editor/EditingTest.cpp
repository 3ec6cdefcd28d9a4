// The editor on a loaded stage, driven the way the game drives it: bound keys
// through the real input poll, the unbound turn ids as posted messages, the
// dialog's actions through OnEditorGUIEvent.
#include <gtest/gtest.h>

#include <dinput.h>
#include <dinput_test.h>

#include <cmath>

#include "EditorRig.h"
#include "core/EventDispatcher.h"
#include "core/Matrix3.h"
#include "core/Messages.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "physics/PhysicsSettings.h"
#include "render/Camera.h"
#include "render/Renderer.h"

namespace {

class EditingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gLevelLoader->LoadLevel("stage1.qvl");
        ASSERT_GT(gWorld->GetNumObjects(), 0);
    }

    InGameLevelEditor& Editor() { return *gInGameLevelEditor; }
    // Cycles on to the first object of the type (stage 1 has one of each used here).
    Object* Select(int type)
    {
        for (int i = 0; i < gWorld->GetNumObjects() && Active()->GetType() != type; ++i)
            OnEditorGUIEvent(kMsgEditorNext);
        return Active()->GetType() == type ? Active() : nullptr;
    }
    Object* Active() { return Editor().GetActiveObject(); }
    Camera* GameCamera() { return gRenderer->GetCamera(); }
    void Post(int id, int state)
    {
        gEventDispatcher->PostMessage(id, new fInputState(id, state));
        gEventDispatcher->ProcessQueue();
    }

    EditorRig rig;
};

bool Near(const Vector3& a, const Vector3& b, float tolerance = 1e-4f)
{
    return std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance && std::fabs(a.z - b.z) <= tolerance;
}

bool Near(const Matrix3& a, const Matrix3& b)
{
    for (int i = 0; i < 9; ++i) {
        if (std::fabs(a[i] - b[i]) > 1e-5f) return false;
    }
    return true;
}

TEST_F(EditingTest, ReleasedKeyZeroTogglesTheMouseAndTheActiveObjectsLook)
{
    rig.Frame(); // the first poll makes the devices: the game holds the mouse
    ASSERT_TRUE(TestInput::MouseIsExclusive());
    ASSERT_EQ(rig.CountUntextured(), 0);

    // Pressed and held do nothing; the release switches the editor on.
    TestInput::SetKey(DIK_0, true);
    rig.Frame();
    rig.Frame();
    EXPECT_FALSE(Editor().IsEnabled());
    TestInput::SetKey(DIK_0, false);
    rig.Frame();
    EXPECT_TRUE(Editor().IsEnabled());
    EXPECT_FALSE(TestInput::MouseIsExclusive());
    EXPECT_TRUE(IsUntextured(Active()));
    EXPECT_EQ(rig.CountUntextured(), 1);

    rig.TapKey(DIK_0);
    EXPECT_FALSE(Editor().IsEnabled());
    EXPECT_TRUE(TestInput::MouseIsExclusive());
    EXPECT_EQ(rig.CountUntextured(), 0);
}

TEST_F(EditingTest, HeldKeysPushTheActiveObjectEveryFrameButTheFirstRelativeToTheCamera)
{
    rig.TapKey(DIK_0);
    Object* object = Select(3); // a box, frozen as every body a level file builds
    ASSERT_NE(object, nullptr);
    ASSERT_TRUE(object->IsFrozen());
    const float kHalfTurn = 1.5707964f;
    const struct
    {
        int key;
        float yaw;
        Vector3 direction;
    } cases[] = {
        {DIK_NUMPAD8, 0.0f, {1, 0, 0}},      {DIK_NUMPAD2, 0.0f, {-1, 0, 0}},     {DIK_NUMPAD4, 0.0f, {0, -1, 0}},
        {DIK_NUMPAD6, 0.0f, {0, 1, 0}},      {DIK_NUMPAD9, 0.0f, {0, 0, 1}},      {DIK_NUMPAD7, 0.0f, {0, 0, -1}},
        {DIK_NUMPAD8, kHalfTurn, {0, 1, 0}}, {DIK_NUMPAD4, kHalfTurn, {1, 0, 0}}, {DIK_NUMPAD9, kHalfTurn, {0, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + " yaw " + std::to_string(c.yaw));
        GameCamera()->SetAngle(c.yaw);
        object->linearVelocity = Vector3();
        // Three frames down (pressed, held, held) and the release: two pushes
        // of 0.1 x 50000 x 0.02 s over the mass.
        rig.HoldKey(c.key, 3);
        EXPECT_TRUE(Near(object->linearVelocity, c.direction * (2.0f * 100.0f * object->GetInverseMass())))
            << object->linearVelocity.x << " " << object->linearVelocity.y << " " << object->linearVelocity.z;
        EXPECT_FALSE(object->IsFrozen());
    }

    // Numeric-pad 5 stops it, spin included.
    object->angularVelocity = Vector3(1, 2, 3);
    rig.TapKey(DIK_NUMPAD5);
    EXPECT_TRUE(Near(object->linearVelocity, Vector3(), 0.0f));
    EXPECT_TRUE(Near(object->angularVelocity, Vector3(), 0.0f));

    // Off, the same keys do nothing.
    rig.TapKey(DIK_0);
    rig.HoldKey(DIK_NUMPAD8, 3);
    EXPECT_TRUE(Near(object->linearVelocity, Vector3(), 0.0f));
}

TEST_F(EditingTest, TurnsShareOneAngleAndReplaceTheOrientation)
{
    rig.TapKey(DIK_0);
    Object* object = Active();
    ASSERT_NE(object, nullptr);
    const Vector3 x(1, 0, 0), y(0, 1, 0), z(0, 0, 1);
    enum By { kHeldKey, kCommand, kDialog };
    // The object takes the shared angle as it stands; the angle then moves on.
    const struct
    {
        By by;
        int id;
        Vector3 axis;
        float degrees; // of the orientation the step leaves
        float angle;   // the shared angle after it
    } steps[] = {
        {kHeldKey, 35, x, 0, 90},    {kHeldKey, 35, x, 90, 180},  {kHeldKey, 36, y, 180, 270},
        {kHeldKey, 37, z, 270, 360}, {kDialog, 37, z, 360, 0},    {kHeldKey, 38, x, 0, 360},
        {kDialog, 42, z, 360, 359},  {kDialog, 41, z, 359, 360},  {kCommand, 41, z, 360, 359},
        {kCommand, 42, z, 359, 358}, {kHeldKey, 40, z, 358, 268}, {kHeldKey, 39, y, 268, 178},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const auto& s = steps[i];
        SCOPED_TRACE("step " + std::to_string(i));
        if (s.by == kHeldKey) Post(s.id, kPressHeld);
        if (s.by == kCommand) Editor().ProcessMessage(s.id);
        if (s.by == kDialog) OnEditorGUIEvent(s.id);
        Matrix3 expected;
        Matrix3::FromAxisAngle(expected, s.degrees, s.axis);
        EXPECT_TRUE(Near(object->GetOrientation(), expected));
        EXPECT_FLOAT_EQ(Editor().GetAngle(), s.angle);
        if (i == 2) {
            // Two turns about x and one about y: a half turn about y.
            EXPECT_TRUE(Near(object->GetOrientation(), Matrix3(-1, 0, 0, 0, 1, 0, 0, 0, -1)));
        }
    }
    // A turn key pressed or released turns nothing.
    const Matrix3 before = object->GetOrientation();
    Post(35, kPressPressed);
    Post(35, kPressReleased);
    EXPECT_TRUE(before == object->GetOrientation());
}

TEST_F(EditingTest, GravityGoesOffAndComesBackAsTheEditorsOwnWhateverWasConfigured)
{
    const Vector3 configured = gPhysicsSettings.gravity;
    gPhysicsSettings.gravity = Vector3(0, 0, -20);
    rig.TapKey(DIK_G); // off: nothing
    EXPECT_TRUE(Near(gPhysicsSettings.gravity, Vector3(0, 0, -20), 0.0f));
    rig.TapKey(DIK_0);
    rig.TapKey(DIK_G);
    EXPECT_FALSE(Editor().IsGravityOn());
    EXPECT_TRUE(Near(gPhysicsSettings.gravity, Vector3(), 0.0f));
    OnEditorGUIEvent(kMsgEditorGravity);
    EXPECT_TRUE(Editor().IsGravityOn());
    EXPECT_TRUE(Near(gPhysicsSettings.gravity, Vector3(0, 0, -9.8f), 0.0f));
    gPhysicsSettings.gravity = configured;
}

TEST_F(EditingTest, ImmovableAndBackRestoresMassAndInertia)
{
    rig.TapKey(DIK_0);
    Object* object = Active();
    ASSERT_NE(object, nullptr);
    ASSERT_FALSE(object->immovable);
    const float mass = object->GetMass();
    const float inverseMass = object->GetInverseMass();
    const Matrix3 inertia = object->GetInertia();
    const Matrix3 inverseInertia = object->GetInverseInertia();
    ASSERT_GT(inverseMass, 0.0f);

    OnEditorGUIEvent(kMsgEditorImmovable);
    EXPECT_TRUE(object->immovable);
    EXPECT_EQ(object->GetInverseMass(), 0.0f);
    EXPECT_TRUE(object->GetInverseInertia() == Matrix3());
    EXPECT_TRUE(object->GetWorldInverseInertia() == Matrix3());

    Editor().ProcessMessage(kMsgEditorImmovable);
    EXPECT_FALSE(object->immovable);
    EXPECT_EQ(object->GetMass(), mass);
    EXPECT_EQ(object->GetInverseMass(), inverseMass);
    EXPECT_TRUE(object->GetInertia() == inertia);
    EXPECT_TRUE(object->GetInverseInertia() == inverseInertia);
}

TEST_F(EditingTest, CyclingSkipsWhatTheWriterLeavesOutWrapsBothWaysAndTheCameraFollows)
{
    gWorld->Clear(false);
    const int types[] = {26, 2, 23, 26, 5, 47};
    for (int i = 0; i < 6; ++i) AddObject(types[i])->position = Vector3(float(i), 10.0f * i, 0.0f);
    rig.TapKey(DIK_0);
    ASSERT_EQ(Editor().GetObjectIndex(), 0);

    enum By { kKey, kDialog };
    const struct
    {
        By by;
        int action;
        int index;
    } steps[] = {
        {kKey, 45, 1}, {kKey, 45, 4}, {kDialog, 45, 1}, {kDialog, 44, 4}, {kDialog, 44, 1}, {kDialog, 44, 4},
    };
    for (const auto& s : steps) {
        if (s.by == kKey) rig.TapKey(DIK_N);
        if (s.by == kDialog) OnEditorGUIEvent(s.action);
        ASSERT_EQ(Editor().GetObjectIndex(), s.index);
        EXPECT_TRUE(Near(GameCamera()->GetTargetPosition(), gWorld->GetObject(s.index)->position, 0.0f));
        // Only the active object shows untextured.
        EXPECT_TRUE(IsUntextured(gWorld->GetObject(s.index)));
        EXPECT_EQ(rig.CountUntextured(), 1);
    }

    // A stage with nothing the writer saves (its file failed; only its
    // set-up stands): the index stays and the call returns.
    gWorld->Clear(false);
    for (const int type : {23, 29, 42, 47, 26}) AddObject(type);
    const int before = Editor().GetObjectIndex();
    Editor().CycleActiveObject(1);
    Editor().CycleActiveObject(-1);
    EXPECT_EQ(Editor().GetObjectIndex(), before);
    // And no triggers: the trigger cycle has nothing to divide by.
    Editor().NextMode();
    rig.TapKey(DIK_N);
    Editor().CycleActiveTrigger(-1);
    EXPECT_EQ(Editor().GetTriggerIndex(), 0);
}

TEST_F(EditingTest, IndicesLeftPastTheEndByAStageLoadSelectNothing)
{
    // The last savable object of stage 1, then a stage with two bodies.
    rig.TapKey(DIK_0);
    OnEditorGUIEvent(kMsgEditorPrevious);
    ASSERT_GE(Editor().GetObjectIndex(), 2);
    gWorld->Clear(false);
    Object* a = AddObject(2);
    Object* b = AddObject(5);
    ASSERT_EQ(Editor().GetActiveObject(), nullptr);
    rig.TapKey(DIK_0); // off
    rig.TapKey(DIK_0); // on
    rig.HoldKey(DIK_NUMPAD8, 3);
    rig.TapKey(DIK_NUMPAD5);
    Post(kMsgEditorRotateXPlus, kPressHeld);
    Editor().ToggleImmovable();
    Editor().PrintHelp();
    Editor().NextMode();
    Editor().MoveActiveObject(Vector3(1, 0, 0));
    Editor().PrintHelp();
    for (Object* o : {a, b}) {
        EXPECT_FALSE(IsUntextured(o));
        EXPECT_FALSE(o->immovable);
        EXPECT_TRUE(o->GetOrientation() == Matrix3::Identity());
        EXPECT_TRUE(Near(o->linearVelocity, Vector3(), 0.0f));
    }
    // The angle did not move either: nothing was turned.
    EXPECT_EQ(Editor().GetAngle(), 0.0f);
}

TEST_F(EditingTest, OnlyTheActiveItemShowsUntexturedWhileOnAndNothingAfter)
{
    // What may show untextured: the active object in mode 0 or the active
    // trigger in mode 1, when it has drawables (the character's walking body
    // has none); nothing in mode 2 or with the editor off.
    auto check = [&](const char* what) {
        const Object* object = Editor().GetActiveObject();
        const NPObj* trigger = Editor().GetActiveTrigger();
        const bool on = Editor().IsEnabled();
        const bool objectShows = on && Editor().GetMode() == 0 && object != nullptr && !object->meshes.empty();
        const bool triggerShows = on && Editor().GetMode() == 1 && trigger != nullptr && !trigger->models.empty();
        EXPECT_EQ(rig.CountUntextured(), objectShows || triggerShows ? 1 : 0) << what;
        if (objectShows) {
            EXPECT_TRUE(IsUntextured(object)) << what;
        }
        if (triggerShows) {
            EXPECT_TRUE(IsUntextured(trigger)) << what;
        }
    };
    int withDrawables = 0;
    rig.TapKey(DIK_0);
    check("on");
    for (int i = 0; i < 6; ++i) {
        rig.TapKey(DIK_N);
        check("next");
        withDrawables += Active()->meshes.empty() ? 0 : 1;
    }
    EXPECT_GE(withDrawables, 4);
    OnEditorGUIEvent(kMsgEditorPrevious);
    check("previous");
    OnEditorGUIEvent(kMsgEditorNextMode);
    check("mode 1");
    ASSERT_FALSE(gWorld->GetTriggers().empty());
    rig.TapKey(DIK_N);
    check("next trigger");
    OnEditorGUIEvent(kMsgEditorPrevious);
    OnEditorGUIEvent(kMsgEditorPrevious);
    check("previous trigger, past the first");
    OnEditorGUIEvent(kMsgEditorNextMode);
    check("mode 2");
    OnEditorGUIEvent(kMsgEditorNextMode);
    check("mode 0");
    rig.TapKey(DIK_N);
    check("next again");
    rig.TapKey(DIK_0);
    check("off");
    EXPECT_EQ(Editor().GetMode(), 0);
}

TEST_F(EditingTest, InTriggerModeHeldKeysMoveTheActiveTriggerAQuarterPerFrameAndNCyclesTheTriggers)
{
    const std::vector<Trigger*>& triggers = gWorld->GetTriggers();
    ASSERT_GE(triggers.size(), 2u);
    rig.TapKey(DIK_0);
    OnEditorGUIEvent(kMsgEditorNextMode);
    ASSERT_EQ(Editor().GetMode(), 1);
    ASSERT_EQ(Editor().GetActiveTrigger(), triggers[0]);
    const Vector3 objectBefore = Active()->linearVelocity;
    const float kHalfTurn = 1.5707964f;
    // Pressed, held, held, released: two moves of a quarter along the key's
    // direction, relative to the camera as the pushes are.
    const struct
    {
        int key;
        float yaw;
        Vector3 direction;
    } cases[] = {
        {DIK_NUMPAD8, 0.0f, {1, 0, 0}},       {DIK_NUMPAD6, 0.0f, {0, 1, 0}},       {DIK_NUMPAD9, 0.0f, {0, 0, 1}},
        {DIK_NUMPAD2, kHalfTurn, {0, -1, 0}}, {DIK_NUMPAD7, kHalfTurn, {0, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("key " + std::to_string(c.key) + " yaw " + std::to_string(c.yaw));
        GameCamera()->SetAngle(c.yaw);
        const Vector3 start = triggers[0]->position;
        rig.HoldKey(c.key, 3);
        EXPECT_TRUE(Near(triggers[0]->position, start + c.direction * 0.5f));
    }
    // The active object was not pushed meanwhile.
    EXPECT_TRUE(Near(Active()->linearVelocity, objectBefore, 0.0f));

    // N steps through the triggers and wraps; the camera stays where it looked.
    const Vector3 target = GameCamera()->GetTargetPosition();
    for (size_t i = 1; i <= triggers.size(); ++i) {
        rig.TapKey(DIK_N);
        EXPECT_EQ(Editor().GetTriggerIndex(), int(i % triggers.size()));
    }
    OnEditorGUIEvent(kMsgEditorPrevious);
    EXPECT_EQ(Editor().GetTriggerIndex(), int(triggers.size()) - 1);
    EXPECT_TRUE(Near(GameCamera()->GetTargetPosition(), target, 0.0f));
}

} // namespace
