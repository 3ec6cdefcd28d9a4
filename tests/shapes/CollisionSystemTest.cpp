// The pair systems and their rules, checked on records directly.
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "objects/Box.h"
#include "objects/Capsule.h"
#include "objects/Ellipsoid.h"
#include "physics/BodyCollisionData.h"
#include "physics/PhysicsSettings.h"
#include "physics/collision/CollisionDetection.h"
#include "physics/collision/PlayerContact.h"
#include "tests/collision/CollisionTestSupport.h"

namespace {

using Bodies = std::vector<BodyCollisionData*>;
using Records = std::vector<CollisionRecord>;

void Place(ShapeObject& body, const Vector3& position, const Matrix3& orientation = Matrix3::Identity())
{
    body.SetPosition(position);
    body.SetOrientation(orientation);
    body.UpdateBounds();
}

typedef std::tuple<const void*, const void*, const void*, float, float, float, float, float, float, float> RecordKey;

std::vector<RecordKey> SortedKeys(const Records& records)
{
    std::vector<RecordKey> keys;
    for (const CollisionRecord& r : records) {
        keys.emplace_back(r.dataA, r.dataB, r.heightmap, r.normal.x, r.normal.y, r.normal.z, r.point.x, r.point.y,
                          r.point.z, r.depth);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

int CountWith(const Records& records, const BodyCollisionData* a, const BodyCollisionData* b)
{
    int n = 0;
    for (const CollisionRecord& r : records) {
        if ((r.dataA == a && r.dataB == b) || (r.dataA == b && r.dataB == a)) {
            ++n;
        }
    }
    return n;
}

void ClearIndices(const Bodies& bodies)
{
    for (BodyCollisionData* d : bodies) {
        d->recordIndices.clear();
    }
}

// One sweep pass over a copy of the list, from a fresh start on axis x.
Records SweepFromAxisX(Bodies& bodies, const std::vector<Heightmap*>& terrain)
{
    ClearIndices(bodies);
    SetSweepAxis(0);
    Bodies order = bodies;
    Records records;
    CollideSweepAndPrune(order, terrain, records);
    return records;
}

class RecordingListener : public PlayerContactListener
{
public:
    bool AcceptsBodyContacts() const override { return accepts; }
    void OnTerrainContact() override { ++terrainContacts; }
    void OnBodyContact(RigidBody* other) override { touched.push_back(other); }

    bool accepts = true;
    int terrainContacts = 0;
    std::vector<RigidBody*> touched;
};

} // namespace

TEST(CollisionSystems, AllPairsAndSweepFindTheSameRecordsOnARandomScene)
{
    PhysicsWorld world;
    auto ground = MakeFlatTerrain(0.0f);
    std::vector<Heightmap*> terrain{ground.get()};
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-6.0f, 6.0f);
    std::uniform_real_distribution<float> angle(0.0f, 360.0f);
    std::vector<std::unique_ptr<ShapeObject>> shapes;
    for (int k = 0; k < 30; ++k) {
        if (k % 3 == 0) {
            shapes.push_back(std::make_unique<Box>(&world, 2.0f, 2.0f, 2.0f, 10.0f));
        } else if (k % 3 == 1) {
            shapes.push_back(std::make_unique<Capsule>(&world, 0.5f, 3.0f, 5.0f, 2));
        } else {
            shapes.push_back(std::make_unique<Ellipsoid>(&world, 1.5f, 1.5f, 1.5f, 10, 9, 3.0f));
        }
        Matrix3 r;
        Matrix3::FromAxisAngle(r, angle(random), Vector3(0.3f, 0.5f, 0.8f));
        Place(*shapes.back(), Vector3(spread(random), spread(random), 0.5f + 0.5f * spread(random)), r);
        if (k % 7 == 3) shapes.back()->SetFreezeState(1, 1.0f);
        if (k % 11 == 5) shapes.back()->SetImmovable(true);
    }
    Bodies bodies;
    for (auto& s : shapes) bodies.push_back(s->GetCollisionData());
    // Symmetric ignore entries, as every builder makes them.
    for (int k = 0; k + 1 < 30; k += 4) {
        bodies[k]->ignoreList.push_back(bodies[k + 1]);
        bodies[k + 1]->ignoreList.push_back(bodies[k]);
    }
    Bodies pairsOrder = bodies;
    Records allPairs;
    CollideAllPairs(pairsOrder, terrain, allPairs);
    std::vector<size_t> indexCounts;
    for (BodyCollisionData* d : bodies) indexCounts.push_back(d->recordIndices.size());
    ClearIndices(bodies);

    Bodies sweepOrder = bodies;
    Records sweep;
    CollideSweepAndPrune(sweepOrder, terrain, sweep);
    ASSERT_GT(allPairs.size(), 100u);
    EXPECT_EQ(SortedKeys(allPairs), SortedKeys(sweep));
    for (size_t k = 0; k < bodies.size(); ++k) {
        EXPECT_EQ(bodies[k]->recordIndices.size(), indexCounts[k]) << "body " << k;
        for (int index : bodies[k]->recordIndices) {
            const CollisionRecord& r = sweep[static_cast<size_t>(index)];
            EXPECT_TRUE(r.dataA == bodies[k] || r.dataB == bodies[k]);
        }
    }
    // The sweep really reordered the list, and a second pass from the same
    // start repeats itself record for record.
    EXPECT_NE(sweepOrder, bodies);
    const Records firstRecords = SweepFromAxisX(bodies, terrain);
    const Records repeat = SweepFromAxisX(bodies, terrain);
    ASSERT_EQ(firstRecords.size(), repeat.size());
    for (size_t k = 0; k < repeat.size(); ++k) {
        EXPECT_EQ(firstRecords[k].dataA, repeat[k].dataA);
        EXPECT_EQ(firstRecords[k].point, repeat[k].point);
    }
}

TEST(CollisionSystems, SweepKeepsPairsThatTouchAtTheFarthestReach)
{
    // Long capsules end to end along the sweep axis: their centres lie almost
    // as far apart as their two bounding radii, the farthest a touching pair
    // can be, with small boxes between them in the sorted list.
    PhysicsWorld world;
    std::vector<Heightmap*> noTerrain;
    std::vector<std::unique_ptr<ShapeObject>> shapes;
    const float length = 8.0f;
    for (int k = 0; k < 6; ++k) {
        shapes.push_back(std::make_unique<Capsule>(&world, 0.5f, length, 5.0f, 0));
        Place(*shapes.back(), Vector3(static_cast<float>(k) * (length - 0.1f), 0.0f, 10.0f));
        shapes.push_back(std::make_unique<Box>(&world, 0.5f, 0.5f, 0.5f, 1.0f));
        Place(*shapes.back(), Vector3(static_cast<float>(k) * (length - 0.1f) + 1.0f, 3.0f, 10.0f));
    }
    Bodies bodies;
    for (auto& s : shapes) bodies.push_back(s->GetCollisionData());
    Bodies pairsOrder = bodies;
    Records allPairs;
    CollideAllPairs(pairsOrder, noTerrain, allPairs);
    const Records sweep = SweepFromAxisX(bodies, noTerrain);
    // Every neighbouring pair of capsules touches at its tips.
    for (int k = 0; k + 1 < 6; ++k) {
        EXPECT_GT(CountWith(allPairs, bodies[2 * k], bodies[2 * k + 2]), 0) << k;
    }
    EXPECT_EQ(SortedKeys(allPairs), SortedKeys(sweep));
}

TEST(CollisionSystems, FrozenImmovableAndIgnoredPairsFollowThePairRules)
{
    PhysicsWorld world;
    std::vector<Heightmap*> noTerrain;
    Box a(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Box b(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(a, Vector3(0.0f, 0.0f, 5.0f));
    Place(b, Vector3(0.0f, 0.0f, 6.8f));
    BodyCollisionData* da = a.GetCollisionData();
    BodyCollisionData* db = b.GetCollisionData();
    auto pass = [&](Bodies order) {
        ClearIndices({da, db});
        Records records;
        CollideAllPairs(order, noTerrain, records);
        return CountWith(records, da, db);
    };
    EXPECT_GT(pass({da, db}), 0);

    a.SetFreezeState(1, 1.0f);
    b.SetFreezeState(1, 1.0f);
    EXPECT_EQ(pass({da, db}), 0);
    b.typeId = kPlayerBodyType; // a frozen player body still collides
    EXPECT_GT(pass({da, db}), 0);
    b.typeId = Box::kType;
    a.SetFreezeState(0, 1.0f);
    b.SetFreezeState(0, 1.0f);

    a.SetImmovable(true);
    b.SetImmovable(true);
    EXPECT_EQ(pass({da, db}), 0);
    a.SetImmovable(false);
    b.SetImmovable(false);

    // Only the first body of a pair (A: the later one in all pairs) has its
    // list consulted.
    da->ignoreList.push_back(db);
    EXPECT_EQ(pass({db, da}), 0);
    EXPECT_GT(pass({da, db}), 0);
}

TEST(CollisionSystems, FrozenBodiesMovedFromOutsideAreTestedWhereTheyAre)
{
    PhysicsWorld world;
    std::vector<Heightmap*> noTerrain;
    // Placed after construction, frozen, never stepped: its points were built
    // at the origin.
    Box resting(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(resting, Vector3(10.0f, 0.0f, 1.0f));
    resting.SetFreezeState(1, 1.0f);
    Box falling(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(falling, Vector3(10.0f, 0.0f, 2.9f));
    Box atOrigin(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(atOrigin, Vector3(0.0f, 0.0f, 0.5f));
    Bodies bodies{resting.GetCollisionData(), falling.GetCollisionData(), atOrigin.GetCollisionData()};
    Records records;
    CollideAllPairs(bodies, noTerrain, records);
    EXPECT_GT(CountWith(records, resting.GetCollisionData(), falling.GetCollisionData()), 0);
    EXPECT_EQ(CountWith(records, resting.GetCollisionData(), atOrigin.GetCollisionData()), 0);
    EXPECT_EQ(resting.GetCollisionData()->worldVertexPoints[0].x, 11.0f);
}

TEST(CollisionSystems, SweepSortIsStableNaNSafeAndPicksTheWidestAxis)
{
    PhysicsWorld world;
    std::vector<Heightmap*> noTerrain;
    std::vector<std::unique_ptr<Box>> boxes;
    Bodies bodies;
    for (int k = 0; k < 12; ++k) {
        boxes.push_back(std::make_unique<Box>(&world, 1.0f, 1.0f, 1.0f, 1.0f));
        Place(*boxes.back(), Vector3(0.0f, 3.0f * static_cast<float>(k % 6), 50.0f));
        bodies.push_back(boxes.back()->GetCollisionData());
    }
    const float nan = std::numeric_limits<float>::quiet_NaN();
    bodies[2]->bounds.minimum = Vector3(nan, nan, nan);
    SetSweepAxis(1);
    Bodies order = bodies;
    Records records;
    CollideSweepAndPrune(order, noTerrain, records);
    EXPECT_EQ(order.back(), bodies[2]);
    // Equal minima keep their list order: bodies k and k + 6 share a place.
    for (int k = 0; k < 6; ++k) {
        if (k == 2) continue;
        const auto first = std::find(order.begin(), order.end(), bodies[static_cast<size_t>(k)]);
        const auto second = std::find(order.begin(), order.end(), bodies[static_cast<size_t>(k + 6)]);
        EXPECT_LT(first, second) << k;
    }
    EXPECT_EQ(GetSweepAxis(), 1);

    Bodies none;
    SetSweepAxis(2);
    CollideSweepAndPrune(none, noTerrain, records);
    EXPECT_EQ(GetSweepAxis(), 2);
    SetSweepAxis(0);
}

TEST(CollisionSystems, PlayerContactNamesTheOtherBodyItself)
{
    PhysicsWorld world;
    auto ground = MakeFlatTerrain(0.0f);
    std::vector<Heightmap*> terrain{ground.get()};
    Box player(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    player.typeId = kPlayerBodyType;
    Box crate(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Box farAway(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(player, Vector3(0.0f, 0.0f, 0.9f));
    Place(crate, Vector3(1.9f, 0.0f, 0.9f));
    Place(farAway, Vector3(30.0f, 0.0f, 0.9f));
    RecordingListener listener;
    gPlayerContactListener = &listener;
    for (unsigned system : {0u, 1u}) {
        gPhysicsSettings.collisionSystem = system;
        for (Bodies order : {Bodies{player.GetCollisionData(), crate.GetCollisionData(), farAway.GetCollisionData()},
                             Bodies{farAway.GetCollisionData(), crate.GetCollisionData(), player.GetCollisionData()}}) {
            listener.touched.clear();
            listener.terrainContacts = 0;
            ClearIndices(order);
            Records records;
            CollideSelectedSystem(order, terrain, records);
            ASSERT_EQ(listener.touched.size(), 1u);
            EXPECT_EQ(listener.touched[0], &crate);
            EXPECT_GT(listener.terrainContacts, 0);
        }
    }
    listener.accepts = false; // the mine-cart stage
    listener.touched.clear();
    Bodies order{player.GetCollisionData(), crate.GetCollisionData()};
    Records records;
    CollideSelectedSystem(order, terrain, records);
    EXPECT_TRUE(listener.touched.empty());
    gPlayerContactListener = nullptr;
    gPhysicsSettings.collisionSystem = 1;
}

TEST(CollisionSystems, OneEdgeTerrainSwitchKeepsOnlyTheDeepestSample)
{
    PhysicsWorld world;
    auto ground = MakeFlatTerrain(0.0f);
    Box box(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(box, Vector3(0.0f, 0.0f, 0.99f));
    BodyCollisionData* data = box.GetCollisionData();
    data->position = box.position;
    data->UpdateWorldPoints();
    auto count = [&](bool oneEdge) {
        gPhysicsSettings.useOneEdgeCollisionForHeightmap = oneEdge;
        data->recordIndices.clear();
        Records records;
        CollideBodyHeightmap(data, ground.get(), records);
        return static_cast<int>(records.size());
    };
    const int perEdge = count(true);
    const int perSample = count(false);
    gPhysicsSettings.useOneEdgeCollisionForHeightmap = true;
    // Four bottom edges lie 0.01 under the surface: with the switch on each
    // gives one record, off one per sample.
    int samplesPerEdge = data->edges.front().count;
    EXPECT_EQ(perSample - perEdge, 4 * (samplesPerEdge - 1));
    EXPECT_GT(perEdge, 4);
}

namespace {

// What the terrain pass must find, point by point, with every height looked up.
Records ReferenceTerrainRecords(BodyCollisionData* data, Heightmap* ground)
{
    Records expected;
    float h = 0.0f;
    Vector3 n;
    for (const Vector3& p : data->worldSamplePoints) {
        ground->GetHeight(p.x, p.y, h, n);
        if (p.z < h) {
            CollisionRecord r;
            r.point = p;
            r.normal = n;
            r.depth = (h - p.z) * n.z;
            expected.push_back(r);
        }
    }
    for (const SampledEdge& edge : data->edges) {
        const Vector3& a = data->worldVertexPoints[static_cast<size_t>(edge.first)];
        const Vector3 e = data->worldVertexPoints[static_cast<size_t>(edge.second)] - a;
        CollisionRecord best;
        best.depth = -1000.0f;
        for (int i = 0; i < edge.count; ++i) {
            const Vector3 q = a + e * (static_cast<float>(i) / static_cast<float>(edge.count));
            ground->GetHeight(q.x, q.y, h, n);
            const float depth = (h - q.z) * n.z;
            if (depth > best.depth) {
                best.point = q;
                best.normal = n;
                best.depth = depth;
            }
        }
        if (best.depth >= 0.0f) expected.push_back(best);
    }
    return expected;
}

} // namespace

TEST(CollisionSystems, TerrainPassOnRoughGroundMatchesALookupAtEveryPoint)
{
    PhysicsWorld world;
    auto rough = MakeTerrain(33, 33, 1.0f, -16.0f, -16.0f, [](int i, int j) {
        return 0.6f * std::sin(0.9f * static_cast<float>(i)) + 0.8f * std::cos(1.3f * static_cast<float>(j)) +
               static_cast<float>((i * 5 + j * 3) % 4) * 0.7f;
    });
    ASSERT_TRUE(gPhysicsSettings.useOneEdgeCollisionForHeightmap);
    std::mt19937 random(5);
    std::uniform_real_distribution<float> spread(-12.0f, 12.0f);
    std::uniform_real_distribution<float> angle(0.0f, 360.0f);
    std::vector<std::unique_ptr<ShapeObject>> shapes;
    shapes.push_back(std::make_unique<Box>(&world, 2.0f, 3.0f, 1.0f, 10.0f));
    shapes.push_back(std::make_unique<Capsule>(&world, 0.5f, 3.0f, 5.0f, 2));
    shapes.push_back(std::make_unique<Ellipsoid>(&world, 1.5f, 1.0f, 2.0f, 10, 9, 3.0f));
    int withRecords = 0;
    int withoutRecords = 0;
    for (int trial = 0; trial < 120; ++trial) {
        ShapeObject& s = *shapes[static_cast<size_t>(trial) % shapes.size()];
        const float x = spread(random);
        const float y = spread(random);
        float h = 0.0f;
        Vector3 n;
        rough->GetHeight(x, y, h, n);
        Matrix3 r;
        Matrix3::FromAxisAngle(r, angle(random), Vector3(0.2f, 0.7f, 0.4f));
        // From deep in the ground to just clear of it.
        Place(s, Vector3(x, y, h + spread(random) * 0.15f), r);
        BodyCollisionData* data = s.GetCollisionData();
        data->position = s.position;
        data->orientation = s.GetOrientation();
        data->orientationTranspose = s.GetOrientationTranspose();
        data->UpdateWorldPoints();
        data->recordIndices.clear();
        Records records;
        CollideBodyHeightmap(data, rough.get(), records);
        const Records expected = ReferenceTerrainRecords(data, rough.get());
        ASSERT_EQ(records.size(), expected.size()) << "trial " << trial;
        for (size_t k = 0; k < records.size(); ++k) {
            EXPECT_EQ(records[k].point, expected[k].point);
            EXPECT_EQ(records[k].normal, expected[k].normal);
            EXPECT_EQ(records[k].depth, expected[k].depth);
            EXPECT_EQ(records[k].heightmap, rough.get());
        }
        (records.empty() ? withoutRecords : withRecords) += 1;
    }
    // Both kinds of placement were met.
    EXPECT_GT(withRecords, 40);
    EXPECT_GT(withoutRecords, 5);
}

TEST(CollisionSystems, SingleBodyPassSkipsAwakeImmovableBodiesAndImmovableCallers)
{
    PhysicsWorld world;
    auto ground = MakeFlatTerrain(0.0f);
    std::vector<Heightmap*> terrain{ground.get()};
    Box body(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Box wall(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Box resting(&world, 2.0f, 2.0f, 2.0f, 10.0f);
    Place(body, Vector3(0.0f, 0.0f, 0.95f));
    Place(wall, Vector3(1.9f, 0.0f, 0.95f));
    Place(resting, Vector3(-1.9f, 0.0f, 0.95f));
    wall.SetImmovable(true);
    resting.SetFreezeState(1, 1.0f);
    Bodies bodies{body.GetCollisionData(), wall.GetCollisionData(), resting.GetCollisionData()};
    Records records;
    CollideOneBody(body.GetCollisionData(), bodies, terrain, records);
    EXPECT_GT(CountWith(records, body.GetCollisionData(), resting.GetCollisionData()), 0);
    EXPECT_EQ(CountWith(records, body.GetCollisionData(), wall.GetCollisionData()), 0);
    int terrainRecords = 0;
    for (const CollisionRecord& r : records) terrainRecords += r.heightmap == ground.get() ? 1 : 0;
    EXPECT_GT(terrainRecords, 0);

    Records none;
    ClearIndices(bodies);
    CollideOneBody(wall.GetCollisionData(), bodies, terrain, none);
    EXPECT_TRUE(none.empty());
}
