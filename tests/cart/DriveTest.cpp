// Whole carts driven headless through their own controls, on level ground built
// here and on the generated stage 4 track: the cart settles where the static
// balance puts it, drives, brakes, steers, and goes over the kicker into the pit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

#include "CartTestSupport.h"
#include "render/Terrain.h"

namespace {

const int kSecond = 100; // sub-steps of 0.01 s
// The track's middle line and level, and a stretch of it clear of the map's
// border and of the kicker.
const float kTrackY = -150.0f;
const float kTrackLevel = 10.5f;
const float kTrackStartX = -150.0f;

// A front-driven cart as the stage builds it: object 0 (never frozen), the
// shipped "vehicle_*" material, at its rest height 2 above the ground at
// (x, y), facing +x.
struct CartScene
{
    CartScene(std::unique_ptr<Heightmap> terrain, float x, float y) : ground(std::move(terrain))
    {
        scene.world.AddHeightmap(ground.get());
        Object::ResetIdCounter();
        cart = std::make_unique<MineCart>(&scene.world, true, false);
        float h = 0.0f;
        Vector3 n;
        ground->GetHeight(x, y, h, n);
        cart->SetPosition(Vector3(x, y, h + 2.0f));
        cart->staticFriction = 0.3f;
        cart->dynamicFriction = 0.2f;
        scene.world.AddBody(cart.get());
    }
    // Runs n sub-steps, calling perStep after each.
    template <typename F>
    void Run(int steps, F perStep)
    {
        for (int i = 0; i < steps; ++i) {
            scene.Run(1);
            perStep();
        }
    }
    void Run(int steps) { scene.Run(steps); }

    CollisionTestWorld scene;
    std::unique_ptr<Heightmap> ground;
    std::unique_ptr<MineCart> cart; // goes first; nothing steps the world after
};

std::unique_ptr<Heightmap> LoadStage4Terrain()
{
    const char* const hmp = "../Maps/stage4.hmp";
    const char* const mesh = "../Maps/stage4.x";
    if (!std::ifstream(hmp).good() || !std::ifstream(mesh).good()) {
        return nullptr;
    }
    Terrain loaded(hmp, mesh);
    auto terrain = std::make_unique<Heightmap>(std::move(loaded.GetGround()));
    return terrain->GetGrid().IsBuilt() ? std::move(terrain) : nullptr;
}

// The level ground, then the stage when the run tree has it.
template <typename F>
void OnEachGround(F test)
{
    test("level", MakeFlatTerrain(kTrackLevel, 256.0f));
    if (auto stage = LoadStage4Terrain()) {
        test("stage4", std::move(stage));
    }
}

float ForwardSpeed(const RigidBody& body)
{
    Vector3 forward;
    return Vector3::Dot(body.linearVelocity, body.GetOrientation().GetRow0(forward));
}

float HeadingDegrees(const RigidBody& body)
{
    return static_cast<float>(std::atan2(body.GetOrientation()(0, 1), body.GetOrientation()(0, 0)) * 57.29577951308232);
}

} // namespace

TEST(CartDrive, SettlesAtTheStaticBalanceThenDrivesBrakesAndTurnsLeft)
{
    OnEachGround([](const char* name, std::unique_ptr<Heightmap> terrain) {
        SCOPED_TRACE(name);
        CartScene s(std::move(terrain), kTrackStartX, kTrackY);
        const Vector3 start = s.cart->position;
        s.Run(15 * kSecond);
        float lowest = 1e9f;
        float highest = -1e9f;
        s.Run(kSecond, [&] {
            lowest = std::min(lowest, s.cart->position.z);
            highest = std::max(highest, s.cart->position.z);
        });
        EXPECT_EQ(s.cart->CountWheelsOnGround(), 4);
        EXPECT_LT(highest - lowest, 0.002f) << "still bouncing";

        // Loads from the balance of forces and of moments about the centre of
        // mass over the wheel offsets; compression = load / stiffness.
        const float weight = MineCart::kMass * 9.81f;
        const float k = s.cart->GetWheel(0)->stiffness;
        const float xFront = s.cart->GetWheel(MineCart::kFrontLeft)->offset.x;
        const float xRear = s.cart->GetWheel(MineCart::kRearLeft)->offset.x;
        const float front = 0.5f * weight * -xRear / (xFront - xRear) / k;
        const float rear = 0.5f * weight * xFront / (xFront - xRear) / k;
        for (int i = 0; i < MineCart::kWheelCount; ++i) {
            const bool isFront = i == MineCart::kFrontLeft || i == MineCart::kFrontRight;
            EXPECT_NEAR(s.cart->GetWheel(i)->compression, isFront ? front : rear, 0.003f) << i;
        }
        // The hull's floor a wheel radius above the ground, less the
        // compression under the centre of mass, between the axles' own.
        const float underCentre = (rear * xFront - front * xRear) / (xFront - xRear);
        EXPECT_NEAR(s.cart->position.z - kTrackLevel, 0.8f + 1.6f - underCentre, 0.002f);
        // A parked cart on level ground stays parked.
        EXPECT_LT((s.cart->position - start).Length(), 0.05f);
        EXPECT_LT(s.cart->linearVelocity.Length(), 0.01f);

        // Full throttle: faster every second, straight along its own x row.
        MineCart& cart = *s.cart;
        cart.SetThrottle(1.0f);
        for (int second = 0; second < 4; ++second) {
            const float before = ForwardSpeed(cart);
            s.Run(kSecond);
            EXPECT_GT(ForwardSpeed(cart), before + 0.3f) << "second " << second;
        }
        EXPECT_GT(cart.position.x - start.x, 4.0f);
        EXPECT_NEAR(cart.position.y, start.y, 0.01f);
        EXPECT_NEAR(HeadingDegrees(cart), 0.0f, 0.05f);

        // Brake: the rear wheels locked on every sub-step (their spin stops
        // from the next one on); the cart comes nearly to rest.
        cart.SetThrottle(0.0f);
        cart.SetBrake(1.0f);
        EXPECT_GT(ForwardSpeed(cart), 2.0f);
        int unlocked = 0;
        int spinning = 0;
        s.Run(10 * kSecond, [&] {
            for (int i : {MineCart::kRearLeft, MineCart::kRearRight}) {
                unlocked += cart.GetWheel(i)->braked ? 0 : 1;
                spinning += cart.GetWheel(i)->spinRate == 0.0f ? 0 : 1;
            }
        });
        EXPECT_EQ(unlocked, 0);
        EXPECT_EQ(spinning, 2) << "only the first braked sub-step keeps its spin";
        EXPECT_LT(std::fabs(ForwardSpeed(cart)), 0.02f);

        // Positive steering under throttle bends heading and path towards +y.
        cart.SetBrake(0.0f);
        cart.SetThrottle(1.0f);
        cart.SetSteering(0.3f);
        const float y = cart.position.y;
        s.Run(4 * kSecond);
        EXPECT_GT(HeadingDegrees(cart), 5.0f);
        EXPECT_GT(cart.position.y - y, 0.5f);
        EXPECT_EQ(cart.CountWheelsOnGround(), 4);
        cart.ResetWheels();
        for (int i = 0; i < MineCart::kWheelCount; ++i) {
            EXPECT_EQ(cart.GetWheel(i)->spinRate, 0.0f);
        }
    });
}

TEST(CartDrive, DrivenAtTheKickerItGoesOverTheEdgeIntoThePit)
{
    auto terrain = LoadStage4Terrain();
    if (!terrain) {
        GTEST_SKIP() << "no generated stage 4 in this run tree";
    }
    // Far enough back to crest the kicker, too close to clear the pit.
    CartScene s(std::move(terrain), 0.0f, kTrackY);
    s.cart->SetThrottle(1.0f);
    bool crested = false;
    for (int step = 0; step < 40 * kSecond && s.cart->position.z > -100.0f; ++step) {
        s.Run(1);
        crested = crested || s.cart->position.z > kTrackLevel + 7.0f;
    }
    EXPECT_TRUE(crested);
    EXPECT_LT(s.cart->position.z, -100.0f);
    // In the pit, short of its far wall.
    EXPECT_GT(s.cart->position.x, 150.0f);
    EXPECT_LT(s.cart->position.x, 195.0f);
    EXPECT_EQ(s.cart->CountWheelsOnGround(), 0);
}
