// The orbit camera: the wheel's distance, the mouse's turn and its signs,
// the angle limits, keeping clear of the ground, what it follows, its
// matrices and the messages it answers.
#include <cmath>
#include <cstring>
#include <functional>

#include "CameraTestSupport.h"
#include "core/MenuId.h"
#include "core/Stage.h"

namespace {

void ExpectNear(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR((actual - expected).Length(), 0.0f, 1e-4f)
        << "(" << actual.x << ", " << actual.y << ", " << actual.z << ") vs (" << expected.x << ", " << expected.y
        << ", " << expected.z << ")";
}

Vector3 Transform(const D3DXMATRIX& m, const Vector3& v)
{
    const D3DXVECTOR3 in(v.x, v.y, v.z);
    D3DXVECTOR3 out;
    D3DXVec3TransformCoord(&out, &in, &m);
    return Vector3(out.x, out.y, out.z);
}

} // namespace

using CameraTest = CameraFixture;

TEST_F(CameraTest, WheelStepsFourUnitsWithinItsLimitsAndNotInFreeLook)
{
    struct Case
    {
        const char* name;
        bool freeLook, mouseLook;
        std::vector<int> wheel;
        float distance;
    } cases[] = {
        {"three towards the player", false, true, {-120, -120, -120}, 17.0f},
        {"many towards stop at the far limit", false, true, std::vector<int>(60, -1), 200.0f},
        {"away from the start stops at the near limit", false, true, {120, 120, 120}, 5.0f},
        {"out and back in", false, true, {-1, -1, -1, -1, -1, 1, 1}, 17.0f},
        {"the wheel works with mouse look off", false, false, {-120, -120}, 13.0f},
        {"free look ignores the wheel", true, true, {-120, -120, 120}, Camera::kFreeLookDistance},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera().SetMouseLookEnabled(c.mouseLook);
        if (c.freeLook) camera->EnterFreeLook();
        for (int dz : c.wheel) Post(kMsgMouseWheel, new fMouseWheelState(dz));
        EXPECT_FLOAT_EQ(camera->GetDistance(), c.distance);
    }
}

TEST_F(CameraTest, MouseTurnsOverTheWidthWithTheOptionsSigns)
{
    // 64 pixels across a 640-wide viewport turn a tenth of a half turn; 32
    // pixels tilt half that (both measured over the width).
    struct Case
    {
        const char* name;
        bool invertX, invertY;
        float speed;
        bool freeLook;
        int topMenu, viewportWidth;
        bool mouseLook;
        float yaw, pitch; // in tenths and twentieths of pi
    } cases[] = {
        {"orbit", false, false, 1.0f, false, kMenuNone, 640, true, -1.0f, -1.0f},
        {"invert x", true, false, 1.0f, false, kMenuNone, 640, true, 1.0f, -1.0f},
        {"invert y", false, true, 1.0f, false, kMenuNone, 640, true, -1.0f, 1.0f},
        {"free look turns the other way", false, false, 1.0f, true, kMenuNone, 640, true, 1.0f, -1.0f},
        {"free look and invert x", true, false, 1.0f, true, kMenuNone, 640, true, -1.0f, -1.0f},
        {"speed scales both", false, false, 2.0f, false, kMenuOptions, 640, true, -2.0f, -2.0f},
        {"the replay controls turn at the plain rate", false, false, 2.0f, false, kMenuReplay, 640, true, -1.0f, -1.0f},
        {"mouse look off", false, false, 1.0f, false, kMenuNone, 640, false, 0.0f, 0.0f},
        {"no viewport width", false, false, 1.0f, false, kMenuNone, 0, true, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera().SetViewportSize(c.viewportWidth, 480);
        hooks.topMenu = c.topMenu;
        LoadOptionsText(OptionsText(c.invertX, c.invertY, c.speed));
        if (c.freeLook) camera->EnterFreeLook();
        camera->SetMouseLookEnabled(c.mouseLook);

        Post(kMsgMouseMove, new fMouseMoveState(64, 32));
        EXPECT_NEAR(camera->GetAngle(), c.yaw * kPi / 10.0f, 1e-5f);
        EXPECT_NEAR(camera->GetClampedAngle(), c.pitch * kPi / 20.0f, 1e-5f);
        // Whenever motion counts, the input's cursor is kept within the viewport.
        const std::vector<std::pair<int, int>> halves = {{320, 240}};
        EXPECT_EQ(hooks.clamps, (c.yaw != 0.0f ? halves : std::vector<std::pair<int, int>>()));
    }
}

TEST_F(CameraTest, PitchStopsShortOfStraightUpOrDownAndYawWraps)
{
    // One camera through the steps in order: a mouse motion, or set angles.
    struct Step
    {
        const char* name;
        int dx, dy;
        bool set;
        float setYaw, setPitch, yaw, pitch;
    } steps[] = {
        {"a push far up stops at the limit", 0, -1000, false, 0, 0, 0.0f, Camera::kPitchLimit},
        {"a pull far down stops at the other", 0, 5000, false, 0, 0, 0.0f, -Camera::kPitchLimit},
        {"set beyond the limit", 0, 0, true, 0.0f, 3.0f, 0.0f, Camera::kPitchLimit},
        {"set within", 0, 0, true, 0.0f, -1.0f, 0.0f, -1.0f},
        {"a full width turns half way round", -640, 0, false, 0, 0, kPi, -1.0f},
        {"past pi wraps", -320, 0, false, 0, 0, -kPi / 2.0f, -1.0f},
        {"set yaw wraps", 0, 0, true, 4.0f, -1.0f, 4.0f - 2.0f * kPi, -1.0f},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.set) {
            camera->SetAngle(step.setYaw);
            camera->SetClampedAngle(step.setPitch);
        } else {
            Post(kMsgMouseMove, new fMouseMoveState(step.dx, step.dy));
        }
        EXPECT_NEAR(camera->GetAngle(), step.yaw, 1e-5f);
        EXPECT_FLOAT_EQ(camera->GetClampedAngle(), step.pitch);
    }
}

TEST_F(CameraTest, GroundLiftsTheEyeAlongTheOrbitKeepingTheDistance)
{
    const Vector3 followed(0.0f, 0.0f, 10.0f);
    struct Case
    {
        const char* name;
        bool hasGround;
        float groundHeight;
        bool freeLook, editor;
        float eyeHeight;
    } cases[] = {
        {"ground just under the eye lifts it", true, 9.5f, false, false, 11.5f},
        {"ground far below leaves it", true, 0.0f, false, false, 10.0f},
        {"no heightmap, no ground test", false, 0.0f, false, false, 10.0f},
        {"free look is not lifted", true, 9.5f, true, false, 10.0f},
        {"the editor's camera is not lifted", true, 9.5f, false, true, 10.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera();
        hooks.objects = {followed};
        hooks.editorEnabled = c.editor;
        gPhysicsWorld = nullptr;
        if (c.hasGround) AddFlatGround(c.groundHeight);
        camera->SetTargetObject(0);
        camera->SetDistance(10.0f);
        if (c.freeLook) camera->EnterFreeLook();
        camera->Update();

        const Vector3 eye = camera->GetPosition();
        EXPECT_NEAR(eye.z, c.eyeHeight, 1e-4f);
        // Still on the orbit: behind the point along forward, at the distance.
        ExpectNear(eye, followed - camera->GetForward() * camera->GetDistance());
        EXPECT_NEAR(std::sin(camera->GetClampedAngle()), (followed.z - c.eyeHeight) / camera->GetDistance(), 1e-5f);
    }
}

TEST_F(CameraTest, FollowsTheCharacterTheCartOrItsOwnPoint)
{
    const Vector3 body(1.0f, 2.0f, 3.0f), cart(-4.0f, 5.0f, 6.0f), other(7.0f, 8.0f, 9.0f), own(0.0f, 0.0f, 5.0f);
    struct Case
    {
        const char* name;
        int stage;
        bool hasBody;
        std::vector<Vector3> objects;
        int index; // SetTargetObject, or -1 for ResetTarget
        Vector3 followed;
    } cases[] = {
        {"the character on a walking stage", 2, true, {cart, other}, -1, body},
        {"the cart on the cart stage", 4, true, {cart, other}, -1, cart},
        {"object 0 without a character", 1, false, {cart, other}, -1, cart},
        {"an empty World", 1, false, {}, -1, own},
        {"an empty World on the cart stage", 4, true, {}, -1, own},
        {"an object by index", 1, true, {cart, other}, 1, other},
        {"an index past the objects", 1, true, {cart, other}, 2, own},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera();
        SetCurrentStage(c.stage);
        hooks.hasPlayerBody = c.hasBody;
        hooks.playerBody = body;
        hooks.objects = c.objects;
        if (c.index < 0) {
            camera->ResetTarget();
        } else {
            camera->SetTargetObject(static_cast<unsigned>(c.index));
        }
        camera->Update();
        const bool own = c.followed == Vector3(0.0f, 0.0f, 5.0f);
        EXPECT_EQ(camera->IsFollowingOwnPoint(), own);
        ExpectNear(camera->GetTargetPosition(), c.followed);
        // On its own point the camera keeps the eye and matrices it was built with.
        ExpectNear(camera->GetPosition(), own ? Vector3() : c.followed - Vector3(Camera::kStartDistance, 0.0f, 0.0f));
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        EXPECT_EQ(std::memcmp(&identity, &camera->GetView(), sizeof identity) == 0, own);
    }
}

TEST_F(CameraTest, AsksForTheFollowedPointEveryFrameAndSurvivesAnEmptiedWorld)
{
    hooks.objects = {Vector3(1.0f, 2.0f, 3.0f)};
    camera->ResetTarget();
    camera->Update();
    hooks.objects[0].x += 10.0f;
    camera->Update();
    ExpectNear(camera->GetPosition(), Vector3(6.0f, 2.0f, 3.0f));
    const D3DXMATRIX view = camera->GetView();

    // The World let its objects go: the camera holds still until told again.
    hooks.objects.clear();
    camera->Update();
    ExpectNear(camera->GetPosition(), Vector3(6.0f, 2.0f, 3.0f));
    EXPECT_EQ(0, std::memcmp(&view, &camera->GetView(), sizeof view));

    // Free look in an empty World changes the mode only; orbiting still turns.
    camera->SetAutoRotate(true);
    camera->EnterFreeLook();
    EXPECT_TRUE(camera->IsFreeLook());
    EXPECT_FLOAT_EQ(camera->GetDistance(), Camera::kStartDistance);
    camera->Update();
    EXPECT_FLOAT_EQ(camera->GetAngle(), -Camera::kAutoRotateStep);
}

TEST_F(CameraTest, ViewAndFacingMatricesFollowTheOrbit)
{
    const Vector3 followed(10.0f, 20.0f, 3.0f);
    hooks.objects = {followed};
    camera->SetTargetObject(0);
    camera->SetAngle(0.7f);
    camera->SetClampedAngle(-0.3f);
    camera->SetDistance(10.0f);
    camera->Update();

    const Vector3 forward(std::cos(0.7f) * std::cos(0.3f), std::sin(0.7f) * std::cos(0.3f), -std::sin(0.3f));
    Vector3 side(-forward.y, forward.x, 0.0f), up;
    Vector3::Cross(up, forward, side.Normalize());
    ExpectNear(camera->GetForward(), forward);
    ExpectNear(camera->GetSide(), side);
    ExpectNear(camera->GetUp(), up);
    ExpectNear(camera->GetPosition(), followed - forward * 10.0f);
    // Left-handed view: the eye at the origin, the followed point straight
    // ahead along +z, the world's up above the centre.
    const D3DXMATRIX& view = camera->GetView();
    ExpectNear(Transform(view, camera->GetPosition()), Vector3(0.0f, 0.0f, 0.0f));
    ExpectNear(Transform(view, followed), Vector3(0.0f, 0.0f, 10.0f));
    const Vector3 above = Transform(view, camera->GetPosition() + Vector3(0.0f, 0.0f, 1.0f));
    EXPECT_NEAR(above.x, 0.0f, 1e-4f);
    EXPECT_GT(above.y, 0.0f);
    // The facing matrix's rows are forward, side and up.
    const D3DXMATRIX expected(forward.x, forward.y, forward.z, 0, side.x, side.y, side.z, 0, up.x, up.y, up.z, 0, 0, 0,
                              0, 1);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR((&camera->GetFacing()._11)[i], (&expected._11)[i], 1e-5f) << i;
}

TEST_F(CameraTest, MessagesSwitchMouseLookFreeLookAndTheInvertOptions)
{
    // Each case posts one message to a fresh camera; state -1 posts none at
    // all, state -2 a message of the wrong class.
    struct Case
    {
        const char* name;
        int topMenu;
        bool mouseLook;
        int id, state, button;
        const char* after; // mouse look, free look, invert x, invert y as 0/1
        std::vector<std::pair<int, bool>> shown;
    } cases[] = {
        {"C pressed switches mouse look off", kMenuNone, true, kMsgToggleMouseLook, kPressPressed, 0, "0000", {}},
        {"C pressed switches it back on", kMenuNone, false, kMsgToggleMouseLook, kPressPressed, 0, "1000", {}},
        {"C held does nothing", kMenuNone, true, kMsgToggleMouseLook, kPressHeld, 0, "1000", {}},
        {"a message of another class does nothing", kMenuNone, true, kMsgToggleMouseLook, -2, 0, "1000", {}},
        {"invert x on the options menu", kMenuOptions, true, kMsgToggleInvertX, kPressPressed, 0, "1010", {{6, true}}},
        {"invert y with mouse look off", kMenuOptions, false, kMsgToggleInvertY, kPressPressed, 0, "0001", {{7, true}}},
        {"invert x on another menu", kMenuPause, true, kMsgToggleInvertX, kPressPressed, 0, "1000", {}},
        {"invert y without a message", kMenuOptions, true, kMsgToggleInvertY, -1, 0, "1000", {}},
        {"button 1 pressed enters free look", kMenuNone, true, kMsgMouseButton, kPressPressed, 1, "1100", {}},
        {"button 1 held does not", kMenuNone, true, kMsgMouseButton, kPressHeld, 1, "1000", {}},
        {"button 0 does not", kMenuNone, true, kMsgMouseButton, kPressPressed, 0, "1000", {}},
        {"button 1 without mouse look does not", kMenuNone, false, kMsgMouseButton, kPressPressed, 1, "0000", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshCamera().SetMouseLookEnabled(c.mouseLook);
        hooks.topMenu = c.topMenu;
        fMessage* msg = nullptr;
        if (c.state == -2) {
            msg = new fMouseMoveState(1, 1);
        } else if (c.state >= 0) {
            msg = c.id == kMsgMouseButton ? static_cast<fMessage*>(new fMouseButtonState(c.state, c.button))
                                          : new fInputState(c.id, c.state);
        }
        Post(c.id, msg);
        const std::string after = {char('0' + camera->IsMouseLookEnabled()), char('0' + camera->IsFreeLook()),
                                   char('0' + camera->GetInvertX()), char('0' + camera->GetInvertY())};
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(hooks.shown, c.shown);
    }

    // A second press leaves free look at the start distance, still on object 0;
    // a second toggle unchecks the box.
    FreshCamera();
    hooks.topMenu = kMenuOptions;
    Post(kMsgMouseButton, new fMouseButtonState(kPressPressed, 1));
    EXPECT_FLOAT_EQ(camera->GetDistance(), Camera::kFreeLookDistance);
    Post(kMsgMouseButton, new fMouseButtonState(kPressPressed, 1));
    EXPECT_FALSE(camera->IsFreeLook());
    EXPECT_FLOAT_EQ(camera->GetDistance(), Camera::kStartDistance);
    EXPECT_FALSE(camera->IsFollowingOwnPoint());
    Post(kMsgToggleInvertX, new fInputState(kMsgToggleInvertX, kPressPressed));
    Post(kMsgToggleInvertX, new fInputState(kMsgToggleInvertX, kPressPressed));
    EXPECT_EQ(hooks.shown, (std::vector<std::pair<int, bool>>{{6, true}, {6, false}}));
}
