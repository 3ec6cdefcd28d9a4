// The signed-distance grid: agreement with the exact point query at its
// nodes, lookups in both modes, bounds, ownership, the ray-parity fill of the
// polyhedra, and the clamping of sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <type_traits>

#include "ShapeTestSupport.h"
#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/Polyhedron.h"
#include "physics/PhysicsSettings.h"

namespace {

static_assert(!std::is_copy_constructible<CollisionBodyMesh>::value, "grids are never copied");
static_assert(!std::is_copy_assignable<CollisionBodyMesh>::value, "grids are never copied");

class InterpolationGuard
{
public:
    explicit InterpolationGuard(bool on) : saved(gPhysicsSettings.interpolateCollisionMesh)
    {
        gPhysicsSettings.interpolateCollisionMesh = on;
    }
    ~InterpolationGuard() { gPhysicsSettings.interpolateCollisionMesh = saved; }

private:
    bool saved;
};

template <typename Shape>
void ExpectGridMatchesQuery(Shape& shape, int expectedCount)
{
    const CollisionBodyMesh& mesh = shape.GetCollisionData()->mesh;
    ASSERT_EQ(mesh.GetCountX(), expectedCount);
    ASSERT_EQ(mesh.GetCountZ(), expectedCount);
    InterpolationGuard nearest(false);
    for (int i = 0; i < mesh.GetCountX(); ++i) {
        for (int j = 0; j < mesh.GetCountY(); ++j) {
            for (int k = 0; k < mesh.GetCountZ(); ++k) {
                const Vector3 p = mesh.GetNodePosition(i, j, k);
                bool inside = false;
                Vector3 v;
                shape.GetMeshInfo(p, inside, v);
                const GridCell& cell = mesh.GetCell(i, j, k);
                const float d = v.Length();
                if (d <= 1e-5f) {
                    EXPECT_EQ(cell.distance, 1e-5f);
                    continue;
                }
                ASSERT_NEAR(cell.distance, inside ? d : -d, 1e-6f);
                ASSERT_NEAR(Vector3::Dot(cell.direction, v) / d, inside ? 1.0f : -1.0f, 1e-5f);
                // The nearest-node lookup at the node reads the cell back.
                Vector3 normal;
                float depth = 0.0f;
                EXPECT_EQ(mesh.GetContact(p, normal, depth, false), cell.distance > 0.0f);
                EXPECT_NEAR(depth, cell.distance, 1e-5f);
            }
        }
    }
}

TriangleList UnitCube()
{
    Box box(nullptr, 2.0f, 2.0f, 2.0f, 1.0f);
    return box.GetTriangles();
}

} // namespace

TEST(Grid, PrimitiveGridsAgreeWithTheirPointQueryAtEveryNode)
{
    Box box(nullptr, 2.0f, 3.0f, 4.0f, 1.0f);
    ExpectGridMatchesQuery(box, 16);
    Capsule capsule(nullptr, 0.5f, 3.0f, 1.0f, 2);
    ExpectGridMatchesQuery(capsule, 10);
    Cylinder cylinder(nullptr, 0.5f, 4.0f, 32, 16, 1.0f);
    ExpectGridMatchesQuery(cylinder, 16);
    Ellipsoid ellipsoid(nullptr, 3.0f, 2.0f, 1.5f, 8, 8, 1.0f);
    ExpectGridMatchesQuery(ellipsoid, 10);
    // An odd size puts nodes on the cylinder's axis.
    ScopedShapeConfig config("cylinder_mesh_size", "9");
    Cylinder log(nullptr, 0.5f, 8.0f, 16, 2, 1.0f);
    ExpectGridMatchesQuery(log, 9);
}

TEST(Grid, BoundsRadiusAndCellSize)
{
    Box box(nullptr, 2.0f, 4.0f, 6.0f, 1.0f);
    const CollisionBodyMesh& mesh = box.GetCollisionData()->mesh;
    EXPECT_NEAR(mesh.GetMaximum().x, 1.1f, 1e-6f);
    EXPECT_NEAR(mesh.GetMinimum().z, -3.3f, 1e-6f);
    EXPECT_NEAR(mesh.GetCellSize().y, 4.4f / 15.0f, 1e-6f);
    EXPECT_NEAR(mesh.GetBoundingRadius(), std::sqrt(1.1f * 1.1f + 2.2f * 2.2f + 3.3f * 3.3f), 1e-5f);
    EXPECT_EQ(mesh.GetBoxDistanceSquared(Vector3(0.5f, 0.5f, 0.5f)), 0.0f);
    EXPECT_NEAR(mesh.GetBoxDistanceSquared(Vector3(2.1f, 0.0f, 4.3f)), 2.0f, 1e-5f);

    // The maximum corner passes the bounds test; a hair beyond fails it and
    // leaves the depth untouched.
    Vector3 normal;
    float depth = -123.0f;
    mesh.GetContact(mesh.GetMaximum(), normal, depth, false);
    EXPECT_NE(depth, -123.0f);
    depth = -123.0f;
    const Vector3 beyond(std::nextafter(mesh.GetMaximum().x, 10.0f), 0.0f, 0.0f);
    EXPECT_FALSE(mesh.GetContact(beyond, normal, depth, false));
    EXPECT_EQ(depth, -123.0f);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(mesh.GetContact(Vector3(nan, 0.0f, 0.0f), normal, depth, false));
    EXPECT_FALSE(mesh.GetContact(Vector3(nan, 0.0f, 0.0f), normal, depth, true));
    // Far outside with the bounds test skipped: clamped, no overflow.
    EXPECT_FALSE(mesh.GetContact(Vector3(1e30f, -1e30f, 0.0f), normal, depth, true));
}

TEST(Grid, LookupModes)
{
    Box box(nullptr, 4.0f, 4.0f, 4.0f, 1.0f);
    const CollisionBodyMesh& mesh = box.GetCollisionData()->mesh;
    {
        // Nearest node: a point 0.1 further out along the node's direction
        // loses 0.1 of depth.
        InterpolationGuard nearest(false);
        const Vector3 node = mesh.GetNodePosition(10, 8, 7);
        const GridCell& cell = mesh.GetCell(10, 8, 7);
        ASSERT_GT(cell.distance, 0.2f);
        Vector3 normal;
        float depth = 0.0f;
        EXPECT_TRUE(mesh.GetContact(node + cell.direction * 0.1f, normal, depth, false));
        EXPECT_NEAR(depth, cell.distance - 0.1f, 1e-5f);
        EXPECT_EQ(normal, cell.direction);
    }
    {
        // Interpolated: near the +x face the field is linear, so the blend is
        // exact; outside the depth comes back positive with false.
        InterpolationGuard blend(true);
        Vector3 normal;
        float depth = 0.0f;
        EXPECT_TRUE(mesh.GetContact(Vector3(1.83f, 0.1f, -0.2f), normal, depth, false));
        EXPECT_NEAR(depth, 0.17f, 1e-4f);
        EXPECT_NEAR(normal.x, 1.0f, 1e-5f);
        EXPECT_FALSE(mesh.GetContact(Vector3(2.1f, 0.1f, -0.2f), normal, depth, false));
        EXPECT_NEAR(depth, 0.1f, 1e-3f);
    }
}

TEST(Grid, EmptyMeshNeverReportsContact)
{
    CollisionBodyMesh mesh;
    EXPECT_TRUE(mesh.IsEmpty());
    Vector3 normal;
    float depth = 0.0f;
    EXPECT_FALSE(mesh.GetContact(Vector3(), normal, depth, false));
    EXPECT_FALSE(mesh.GetContact(Vector3(), normal, depth, true));
    EXPECT_GT(mesh.GetBoxDistanceSquared(Vector3()), 1e20f);
    mesh.Build(16, 16, 16, 1.1f, TriangleList(), nullptr);
    EXPECT_TRUE(mesh.IsEmpty());
    EXPECT_FALSE(mesh.GetContact(Vector3(), normal, depth, true));
    EXPECT_GT(mesh.GetMinimum().x, mesh.GetMaximum().x);
}

TEST(Grid, OwnershipUnderMoveAndShare)
{
    CollisionBodyMesh original;
    original.Build(8, 8, 8, 1.1f, UnitCube(), nullptr);
    ASSERT_FALSE(original.IsEmpty());
    const float centreDepth = original.GetCell(4, 4, 4).distance;

    CollisionBodyMesh moved(std::move(original));
    EXPECT_TRUE(original.IsEmpty());
    EXPECT_EQ(moved.GetShareCount(), 1);
    Vector3 normal;
    float depth = 0.0f;
    EXPECT_FALSE(original.GetContact(Vector3(), normal, depth, true));

    CollisionBodyMesh assigned;
    assigned.Build(4, 4, 4, 1.1f, UnitCube(), nullptr); // its own cells are released
    assigned = std::move(moved);
    EXPECT_TRUE(moved.IsEmpty());
    CollisionBodyMesh& alias = assigned;
    assigned = std::move(alias); // self-move keeps the cells
    ASSERT_FALSE(assigned.IsEmpty());
    EXPECT_EQ(assigned.GetCell(4, 4, 4).distance, centreDepth);

    // A shared mesh keeps the cells alive after the first owner is gone.
    CollisionBodyMesh shared;
    {
        CollisionBodyMesh owner = std::move(assigned);
        shared = owner.Share();
        EXPECT_EQ(shared.GetShareCount(), 2);
    }
    EXPECT_EQ(shared.GetShareCount(), 1);
    EXPECT_EQ(shared.GetCell(4, 4, 4).distance, centreDepth);

    // Handing a prepared mesh to a body's record.
    BodyCollisionData first(nullptr);
    BodyCollisionData second(nullptr);
    first.Build(shared.Share(), {Vector3(1.0f, 0.0f, 0.0f)}, {}, {});
    second.Build(std::move(shared), {}, {}, {});
    EXPECT_TRUE(shared.IsEmpty());
    EXPECT_EQ(first.mesh.GetShareCount(), 2);
    EXPECT_EQ(second.mesh.GetCell(4, 4, 4).distance, centreDepth);
    EXPECT_EQ(first.worldSamplePoints.size(), 1u);
}

TEST(Grid, SizesAreClamped)
{
    struct Case
    {
        const char* value;
        int count;
    };
    for (const Case c : {Case{"0", 2}, Case{"1", 2}, Case{"-5", 2}, Case{"3", 3}, Case{"100000", 64}}) {
        ScopedShapeConfig config({{"box_mesh_size", c.value}, {"tetrahedron_mesh_size", c.value}});
        Box box(nullptr, 1.0f, 1.0f, 1.0f, 1.0f);
        EXPECT_EQ(box.GetCollisionData()->mesh.GetCountY(), c.count);
        Tetrahedron tetrahedron(nullptr, 1.0f, 1.0f);
        EXPECT_EQ(tetrahedron.GetCollisionData()->mesh.GetCountZ(), c.count);
    }
    // Direct requests are clamped as well.
    CollisionBodyMesh mesh;
    mesh.Build(1, 0, 1000, 1.1f, UnitCube(), nullptr);
    EXPECT_EQ(mesh.GetCountX(), 2);
    EXPECT_EQ(mesh.GetCountY(), 2);
    EXPECT_EQ(mesh.GetCountZ(), 64);
}

TEST(Grid, FlatBodyGetsAThinGridWithFiniteCells)
{
    Box sheet(nullptr, 2.0f, 2.0f, 0.0f, 1.0f);
    const CollisionBodyMesh& mesh = sheet.GetCollisionData()->mesh;
    EXPECT_GT(mesh.GetCellSize().z, 0.0f);
    Prism flat(nullptr, 0.0f, 0.0f, 0.0f, 1.0f);
    const CollisionBodyMesh& point = flat.GetCollisionData()->mesh;
    EXPECT_GT(point.GetCellSize().x, 0.0f);
    Vector3 normal;
    float depth = 0.0f;
    point.GetContact(Vector3(), normal, depth, false);
    EXPECT_TRUE(std::isfinite(depth));
}

TEST(Grid, PolyhedronGridsVoteInsideAndOutside)
{
    Prism prism(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
    Pyramid pyramid(nullptr, 2.0f, 3.0f, 1.0f);
    Tetrahedron tetrahedron(nullptr, 2.5f, 1.0f);
    for (ShapeObject* shape : {static_cast<ShapeObject*>(&prism), static_cast<ShapeObject*>(&pyramid),
                               static_cast<ShapeObject*>(&tetrahedron)}) {
        const CollisionBodyMesh& mesh = shape->GetCollisionData()->mesh;
        const TriangleList& hull = shape->GetTriangles();
        int checked = 0;
        for (int i = 0; i < mesh.GetCountX(); ++i) {
            for (int j = 0; j < mesh.GetCountY(); ++j) {
                for (int k = 0; k < mesh.GetCountZ(); ++k) {
                    const Vector3 p = mesh.GetNodePosition(i, j, k);
                    const float d = DistanceToHull(hull, p);
                    const GridCell& cell = mesh.GetCell(i, j, k);
                    if (d < 1e-3f) {
                        continue;
                    }
                    ++checked;
                    ASSERT_EQ(cell.distance > 0.0f, IsInsideConvexHull(hull, p));
                    ASSERT_NEAR(std::fabs(cell.distance), d, 1e-5f);
                    ASSERT_NEAR(cell.direction.Length(), 1.0f, 1e-5f);
                }
            }
        }
        EXPECT_GT(checked, 500);
    }
}

TEST(Grid, BuildingDoesNotMoveTheGamesRandomSequence)
{
    std::srand(7u);
    const int first = std::rand();
    std::srand(7u);
    Prism prism(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
    EXPECT_EQ(std::rand(), first);
    // And the same hull always gets the same grid.
    Prism again(nullptr, 4.0f, 2.0f, 3.0f, 1.0f);
    const CollisionBodyMesh& a = prism.GetCollisionData()->mesh;
    const CollisionBodyMesh& b = again.GetCollisionData()->mesh;
    for (int i = 0; i < a.GetCountX(); ++i) {
        EXPECT_EQ(a.GetCell(i, 3, 5).distance, b.GetCell(i, 3, 5).distance);
    }
}

TEST(Grid, TriangleQueries)
{
    const TriangleList cube = UnitCube();
    // Through one face, through two, and stopping on a plane (strict sides).
    EXPECT_EQ(CountSegmentCrossings(Vector3(0.1f, 0.2f, 0.0f), Vector3(0.0f, 0.0f, 5.0f), cube), 1);
    EXPECT_EQ(CountSegmentCrossings(Vector3(0.1f, 0.2f, -5.0f), Vector3(0.0f, 0.0f, 10.0f), cube), 2);
    EXPECT_EQ(CountSegmentCrossings(Vector3(0.1f, 0.2f, 0.0f), Vector3(0.0f, 0.0f, 1.0f), cube), 0);
    EXPECT_EQ(CountSegmentCrossings(Vector3(3.0f, 0.2f, -5.0f), Vector3(0.0f, 0.0f, 10.0f), cube), 0);
    int index = 7;
    Vector3 closest;
    EXPECT_NEAR(ClosestPointOnTriangles(Vector3(0.2f, 0.1f, 3.0f), cube, index, closest), 4.0f, 1e-5f);
    EXPECT_LT(index, 2); // a top triangle
    EXPECT_NEAR(closest.z, 1.0f, 1e-6f);
    EXPECT_EQ(ClosestPointOnTriangles(Vector3(), TriangleList(), index, closest), 1e10f);
    EXPECT_EQ(index, -1);
}

namespace {

// A point query that answers "on the surface" everywhere, or fails, or
// returns garbage, to drive the fill's special cases.
class ScriptedShape : public CollisionMeshObject
{
public:
    enum Mode { OnSurface, Fails, NotANumber };
    explicit ScriptedShape(Mode mode_) : mode(mode_) {}
    bool GetMeshInfo(const Vector3&, bool& inside, Vector3& toSurface) const override
    {
        inside = true;
        toSurface = mode == NotANumber ? Vector3(std::nanf(""), 0.0f, 0.0f) : Vector3();
        return mode != Fails;
    }

private:
    Mode mode;
};

} // namespace

TEST(Grid, ShapeFillSpecialCases)
{
    CollisionBodyMesh mesh;
    ScriptedShape surface(ScriptedShape::OnSurface);
    mesh.Build(3, 3, 3, 1.0f, UnitCube(), &surface);
    // Surface nodes point away from the body origin; the origin itself gets x.
    EXPECT_EQ(mesh.GetCell(1, 1, 1).direction, Vector3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(mesh.GetCell(1, 1, 1).distance, 1e-5f);
    EXPECT_NEAR(mesh.GetCell(2, 2, 0).direction.z, -0.57735f, 1e-5f);
    for (ScriptedShape::Mode mode : {ScriptedShape::Fails, ScriptedShape::NotANumber}) {
        ScriptedShape broken(mode);
        mesh.Build(3, 3, 3, 1.0f, UnitCube(), &broken);
        // The cells stay unset (no contact) rather than poisoned.
        EXPECT_EQ(mesh.GetCell(1, 1, 1).distance, 0.0f);
        Vector3 normal;
        float depth = 0.0f;
        EXPECT_FALSE(mesh.GetContact(Vector3(0.1f, 0.2f, 0.3f), normal, depth, false));
        EXPECT_TRUE(std::isfinite(depth));
    }
}
