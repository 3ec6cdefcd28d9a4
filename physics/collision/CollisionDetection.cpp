#include "physics/collision/CollisionDetection.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "physics/BodyCollisionData.h"
#include "physics/CollisionRecord.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/collision/PlayerContact.h"
#include "physics/collision/RowVector.h"

namespace {

// The sweep's axis, chosen from the spread of the last pass's boxes.
int gSweepAxis = 0;

bool IsAwakeMovable(const RigidBody* owner)
{
    return !owner->immovable && owner->freezeState == 0;
}

// Copies the owner's pose when something moved it since the last copy and
// tells whether it did.
bool SyncPose(BodyCollisionData* data)
{
    const RigidBody* owner = data->owner;
    if (owner == nullptr || (data->position == owner->position && data->orientation == owner->GetOrientation())) {
        return false;
    }
    data->position = owner->position;
    data->orientation = owner->GetOrientation();
    data->orientationTranspose = owner->GetOrientationTranspose();
    return true;
}

// The same as BodyCollisionData::UpdateWorldPoints, inline: this runs over
// every point of every awake body twice per sub-step.
void ToWorldPoints(const std::vector<Vector3>& body, std::vector<Vector3>& world, const Matrix3& R, const Vector3& p)
{
    world.resize(body.size());
    for (size_t i = 0; i < body.size(); ++i) {
        const Vector3 w = RowTimes(body[i], R);
        world[i] = Vector3(w.x + p.x, w.y + p.y, w.z + p.z);
    }
}

void ComputeWorldPoints(BodyCollisionData* data)
{
    ToWorldPoints(data->samplePoints, data->worldSamplePoints, data->orientation, data->position);
    ToWorldPoints(data->vertexPoints, data->worldVertexPoints, data->orientation, data->position);
}

void TerrainPass(const std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                 std::vector<CollisionRecord>& records)
{
    for (BodyCollisionData* data : bodies) {
        if (!IsAwakeMovable(data->owner)) {
            continue;
        }
        for (Heightmap* heightmap : heightmaps) {
            CollideBodyHeightmap(data, heightmap, records);
        }
    }
}

// The ignore list, the bounding spheres and each centre against the other's
// grid box: every test that needs no sample point.
bool AreClose(const BodyCollisionData* a, const BodyCollisionData* b)
{
    if (!IsNotIgnored(b, a->ignoreList)) {
        return false;
    }
    const float ra = a->mesh.GetBoundingRadius();
    const float rb = b->mesh.GetBoundingRadius();
    const Vector3 offset = a->position - b->position;
    if (!(offset.LengthSquared() < (ra + rb) * (ra + rb))) {
        return false;
    }
    if (!(b->mesh.GetBoxDistanceSquared(RowTimes(offset, b->orientationTranspose)) < ra * ra)) {
        return false;
    }
    return a->mesh.GetBoxDistanceSquared(RowTimes(-offset, a->orientationTranspose)) < rb * rb;
}

void TestPair(BodyCollisionData* a, BodyCollisionData* b, std::vector<CollisionRecord>& records)
{
    const RigidBody* ownerA = a->owner;
    const RigidBody* ownerB = b->owner;
    if (ownerA->immovable && ownerB->immovable) {
        return;
    }
    // Resting bodies leave each other alone, except that the player's frozen
    // body still learns what it stands on.
    if (ownerA->IsFrozen() && ownerB->IsFrozen() && ownerA->GetType() != kPlayerBodyType &&
        ownerB->GetType() != kPlayerBodyType) {
        return;
    }
    if (!AreClose(a, b)) {
        return;
    }
    NotifyPlayerContact(a, b);
    CollideBodies(a, b, records);
    CollideBodies(b, a, records);
}

float SortKey(const BodyCollisionData* data, int axis)
{
    const float key = data->bounds.minimum[axis];
    return std::isnan(key) ? std::numeric_limits<float>::infinity() : key;
}

// Spread of the box centres per axis; a blown-up body (NaN or infinite box)
// is left out so that it cannot pin the axis.
struct CentreSpread
{
    float sum[3] = {0.0f, 0.0f, 0.0f};
    float sumSquares[3] = {0.0f, 0.0f, 0.0f};
    int count[3] = {0, 0, 0};

    void Add(const Bounds& box)
    {
        for (int k = 0; k < 3; ++k) {
            const float c = 0.5f * (box.minimum[k] + box.maximum[k]);
            if (std::isfinite(c)) {
                sum[k] += c;
                sumSquares[k] += c * c;
                ++count[k];
            }
        }
    }
};

void ChooseNextAxis(const CentreSpread& spread)
{
    float variance[3];
    for (int k = 0; k < 3; ++k) {
        if (spread.count[k] == 0) {
            return;
        }
        variance[k] = spread.sumSquares[k] - spread.sum[k] * spread.sum[k] / static_cast<float>(spread.count[k]);
    }
    int axis = 0;
    if (variance[0] < variance[1]) {
        axis = 1;
    }
    if (variance[axis] < variance[2]) {
        axis = 2;
    }
    gSweepAxis = axis;
}

// What lets the sweep end a row early. Two bodies whose centres lie further
// apart along one axis than their two bounding radii fail the sphere test of
// AreClose, so the pair makes no record and tells nobody. Once even the lowest
// centre among the bodies still ahead in the sorted list is that far above
// body i's, the rest of the row is skipped: the pairs that are tested, and so
// the records and their order, are the ones a full row would give. The test
// is conservative in float: a skipped pair's computed offset squared is never
// below its computed radius sum squared.
struct SweepReach
{
    bool usable = true;
    float largestRadius = 0.0f;
    // lowestCentreFrom[j]: the lowest centre along the axis of bodies j and on.
    std::vector<float> lowestCentreFrom;

    float Of(const BodyCollisionData* data) const { return data->mesh.GetBoundingRadius() + largestRadius; }
};

SweepReach& MeasureSweepReach(const std::vector<BodyCollisionData*>& bodies, int axis)
{
    // Kept between passes, so that a steady scene allocates nothing here.
    static SweepReach reach;
    reach.usable = true;
    reach.largestRadius = 0.0f;
    reach.lowestCentreFrom.resize(bodies.size());
    float lowest = std::numeric_limits<float>::infinity();
    for (size_t k = bodies.size(); k-- > 0;) {
        const float radius = bodies[k]->mesh.GetBoundingRadius();
        if (!(radius >= 0.0f) || !std::isfinite(radius)) {
            reach.usable = false;
        } else if (radius > reach.largestRadius) {
            reach.largestRadius = radius;
        }
        // A body with no number for a centre passes no sphere test.
        const float centre = bodies[k]->position[axis];
        if (centre < lowest) {
            lowest = centre;
        }
        reach.lowestCentreFrom[k] = lowest;
    }
    return reach;
}

// A stable sort that reuses its buffer: the sweep sorts its list twice every
// sub-step, and a library stable sort takes fresh memory each time. Short
// runs are sorted in place, then merged pairwise through the buffer; a
// stable sort has only one possible result, so the order is the library's.
template <typename T, typename Less>
void StableSortWithBuffer(std::vector<T>& items, std::vector<T>& buffer, Less less)
{
    const size_t kRun = 16;
    const size_t n = items.size();
    if (buffer.size() < n) buffer.resize(n);
    for (size_t start = 0; start < n; start += kRun) {
        const size_t end = std::min(n, start + kRun);
        for (size_t i = start + 1; i < end; ++i) {
            const T value = items[i];
            size_t j = i;
            for (; j > start && less(value, items[j - 1]); --j) items[j] = items[j - 1];
            items[j] = value;
        }
    }
    T* from = items.data();
    T* to = buffer.data();
    for (size_t width = kRun; width < n; width *= 2) {
        for (size_t left = 0; left < n; left += 2 * width) {
            const size_t middle = std::min(n, left + width);
            const size_t right = std::min(n, left + 2 * width);
            // Ties take the left run's element first: stable.
            std::merge(from + left, from + middle, from + middle, from + right, to + left, less);
        }
        std::swap(from, to);
    }
    if (from != items.data()) std::copy(from, from + n, items.data());
}

// Grows to the largest body count seen, then never again.
std::vector<BodyCollisionData*> sSweepSortBuffer;

} // namespace

void InstallCollisionDetection(PhysicsWorld& world)
{
    world.SetCollisionSystem(CollideSelectedSystem, CollideOneBody);
}

void CollideSelectedSystem(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                           std::vector<CollisionRecord>& records)
{
    if (gPhysicsSettings.collisionSystem == 0) {
        CollideAllPairs(bodies, heightmaps, records);
    } else {
        CollideSweepAndPrune(bodies, heightmaps, records);
    }
}

void RefreshCollisionPoints(const std::vector<BodyCollisionData*>& bodies)
{
    for (BodyCollisionData* data : bodies) {
        const bool moved = SyncPose(data);
        if (moved || IsAwakeMovable(data->owner)) {
            ComputeWorldPoints(data);
        }
    }
}

void CollideAllPairs(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                     std::vector<CollisionRecord>& records)
{
    RefreshCollisionPoints(bodies);
    TerrainPass(bodies, heightmaps, records);
    for (size_t i = 0; i < bodies.size(); ++i) {
        for (size_t j = 0; j < i; ++j) {
            TestPair(bodies[i], bodies[j], records);
        }
    }
}

void CollideSweepAndPrune(std::vector<BodyCollisionData*>& bodies, const std::vector<Heightmap*>& heightmaps,
                          std::vector<CollisionRecord>& records)
{
    RefreshCollisionPoints(bodies);
    TerrainPass(bodies, heightmaps, records);
    // Stable, so equal minima keep the list order and the records come out
    // the same on every run.
    StableSortWithBuffer(bodies, sSweepSortBuffer, [](const BodyCollisionData* a, const BodyCollisionData* b) {
        return CompareBoundsMinimum(a, b) < 0;
    });
    const SweepReach& reach = MeasureSweepReach(bodies, gSweepAxis);
    CentreSpread spread;
    for (size_t i = 0; i < bodies.size(); ++i) {
        spread.Add(bodies[i]->bounds);
        const float ahead = reach.Of(bodies[i]);
        const float centre = bodies[i]->position[gSweepAxis];
        for (size_t j = i + 1; j < bodies.size(); ++j) {
            if (reach.usable && reach.lowestCentreFrom[j] - centre > ahead) {
                break;
            }
            TestPair(bodies[i], bodies[j], records);
        }
    }
    ChooseNextAxis(spread);
}

void CollideOneBody(BodyCollisionData* data, std::vector<BodyCollisionData*>& bodies,
                    const std::vector<Heightmap*>& heightmaps, std::vector<CollisionRecord>& records)
{
    if (data == nullptr || data->owner == nullptr || data->owner->immovable) {
        return;
    }
    SyncPose(data);
    ComputeWorldPoints(data);
    for (Heightmap* heightmap : heightmaps) {
        CollideBodyHeightmap(data, heightmap, records);
    }
    for (BodyCollisionData* other : bodies) {
        if (other->owner == data->owner || (other->owner->immovable && other->owner->freezeState == 0)) {
            continue;
        }
        if (!AreClose(data, other)) {
            continue;
        }
        CollideBodies(data, other, records);
        CollideBodies(other, data, records);
    }
}

bool IsNotIgnored(const BodyCollisionData* other, const std::vector<BodyCollisionData*>& ignoreList)
{
    return std::find(ignoreList.begin(), ignoreList.end(), other) == ignoreList.end();
}

int CompareBoundsMinimum(const BodyCollisionData* a, const BodyCollisionData* b)
{
    const float ka = SortKey(a, gSweepAxis);
    const float kb = SortKey(b, gSweepAxis);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

int GetSweepAxis()
{
    return gSweepAxis;
}

void SetSweepAxis(int axis)
{
    gSweepAxis = axis >= 0 && axis <= 2 ? axis : 0;
}
