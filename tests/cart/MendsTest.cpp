// What the cart guards against: grid sizes missing from or mangled in
// "Physics.cfg", a pose set before the inertia, and carts sharing one grid
// destroyed in either order (AddressSanitizer watches the survivors).
#include <gtest/gtest.h>

#include <memory>

#include "CartTestSupport.h"

namespace {

bool HasContactInside(MineCart& cart)
{
    Vector3 normal;
    float depth = 0.0f;
    return cart.GetCollisionData()->mesh.GetContact(Vector3(-0.4f, 0.0f, 0.4f), normal, depth, false);
}

} // namespace

TEST(CartMends, GridCountsDefaultTo16AndStayWithinTwoTo64)
{
    const struct
    {
        bool config;
        const char* values[3]; // null: the key is missing
        int counts[3];
    } cases[] = {{true, {"16", "10", "6"}, {16, 10, 6}}, {true, {nullptr, "abc", "7"}, {16, 16, 7}},
                 {true, {"", "12", "-"}, {16, 12, 16}},  {true, {"1", "100", "-3"}, {2, 64, 2}},
                 {true, {"0", "2", "64"}, {16, 2, 64}},  {false, {}, {16, 16, 16}},
                 {true, {"nan", "1e99", "5abc"}, {16, 16, 16}}};
    const char* const keys[3] = {"vehicle_mesh_size_x", "vehicle_mesh_size_y", "vehicle_mesh_size_z"};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        ScopedShapeConfig::Keys values{{"box_mesh_size", "16"}};
        for (int axis = 0; axis < 3; ++axis) {
            if (c.values[axis]) {
                values[keys[axis]] = c.values[axis];
            }
        }
        std::unique_ptr<ScopedShapeConfig> config(c.config ? new ScopedShapeConfig(values) : nullptr);
        ASSERT_EQ(MineCart::GetMeshTemplate(), nullptr);
        PhysicsWorld world;
        MineCart cart(&world, true, false);
        const CollisionBodyMesh& mesh = cart.GetCollisionData()->mesh;
        EXPECT_EQ(mesh.GetCountX(), c.counts[0]);
        EXPECT_EQ(mesh.GetCountY(), c.counts[1]);
        EXPECT_EQ(mesh.GetCountZ(), c.counts[2]);
        // Two nodes on an axis are only the box's corners: too coarse to see
        // the inside, but built and looked up safely.
        EXPECT_EQ(HasContactInside(cart), c.counts[0] > 2 && c.counts[1] > 2 && c.counts[2] > 2);
    }
}

TEST(CartMends, TheFirstSubStepTurnsTheCartWhenThePoseWasSetBeforeTheInertia)
{
    PhysicsWorld world;
    MineCart cart(&world, true, false);
    // The stage's order: mass, pose, then the inertia, which on its own leaves
    // the world tensors as they were.
    cart.SetMass(MineCart::kMass);
    Matrix3 yaw;
    cart.SetOrientation(Matrix3::RotationZ(yaw, 30.0f));
    cart.SetInertia(MineCart::kInertia, MineCart::kInertia, MineCart::kInertia);
    cart.torque = Vector3(0.0f, 300.0f, 600.0f);
    cart.IntegrateVelocity(0.01f);
    ExpectNear(cart.angularVelocity, Vector3(0.0f, 0.01f, 0.02f), 1e-6f);
}

TEST(CartMends, CartsSharingTheHullGridSurviveEitherDestructionOrder)
{
    for (bool templateFirst : {true, false}) {
        SCOPED_TRACE(templateFirst ? "template destroyed first" : "template destroyed last");
        ASSERT_EQ(MineCart::GetMeshTemplate(), nullptr);
        PhysicsWorld world;
        auto first = std::make_unique<MineCart>(&world, true, false);
        auto second = std::make_unique<MineCart>(&world, true, false);
        EXPECT_EQ(MineCart::GetMeshTemplate(), first.get());
        EXPECT_EQ(&first->GetCollisionData()->mesh.GetCell(3, 3, 3),
                  &second->GetCollisionData()->mesh.GetCell(3, 3, 3));

        (templateFirst ? first : second).reset();
        MineCart& survivor = *(templateFirst ? second : first);
        EXPECT_EQ(survivor.GetCollisionData()->mesh.GetShareCount(), 1);
        EXPECT_TRUE(HasContactInside(survivor));
        EXPECT_EQ(MineCart::GetMeshTemplate(), templateFirst ? nullptr : &survivor);

        // The next cart shares the template's grid, or becomes the template.
        MineCart third(&world, true, false);
        EXPECT_EQ(third.GetCollisionData()->mesh.GetShareCount(), templateFirst ? 1 : 2);
        EXPECT_EQ(MineCart::GetMeshTemplate(), templateFirst ? &third : &survivor);
        (templateFirst ? second : first).reset();
        EXPECT_TRUE(HasContactInside(third));
    }
    EXPECT_EQ(MineCart::GetMeshTemplate(), nullptr);
}

TEST(CartMends, AFrozenCartWakesWhenGivenAThrottle)
{
    CollisionTestWorld scene;
    auto ground = MakeFlatTerrain(0.0f);
    scene.world.AddHeightmap(ground.get());
    Object::ResetIdCounter();
    Object character; // object 0, which never freezes; the cart may
    MineCart cart(&scene.world, true, false);
    cart.SetPosition(Vector3(0.0f, 0.0f, 2.0f));
    scene.world.AddBody(&cart);
    scene.Run(2000);
    ASSERT_TRUE(cart.IsFrozen());
    cart.SetThrottle(1.0f);
    scene.Run(200);
    EXPECT_FALSE(cart.IsFrozen());
    EXPECT_GT(cart.position.x, 0.5f);
    scene.world.Clear();
}
