// Point-sampled contacts: a body's world sample points and edge samples
// against the terrain height and against another body's distance grid.
#include <algorithm>
#include <cmath>
#include <limits>

#include "physics/BodyCollisionData.h"
#include "physics/CollisionRecord.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsSettings.h"
#include "physics/RigidBody.h"
#include "physics/collision/CollisionDetection.h"
#include "physics/collision/PlayerContact.h"
#include "physics/collision/RowVector.h"

namespace {

// Start of the deepest-sample search: below any real depth, so the first
// sample always replaces it and only a strictly deeper one after that.
constexpr float kNoDepth = -1000.0f;

bool IsEdgeUsable(const SampledEdge& edge, const std::vector<Vector3>& vertices)
{
    return edge.first >= 0 && edge.second >= 0 && static_cast<size_t>(edge.first) < vertices.size() &&
           static_cast<size_t>(edge.second) < vertices.size() && edge.count > 0;
}

Vector3 EdgeSample(const Vector3& a, const Vector3& e, int i, int count)
{
    return a + e * (static_cast<float>(i) / static_cast<float>(count));
}

CollisionRecord TerrainRecord(BodyCollisionData* data, Heightmap* heightmap, const Vector3& normal,
                              const Vector3& point, float depth)
{
    CollisionRecord record;
    record.dataA = data;
    record.heightmap = heightmap;
    record.normal = normal;
    record.point = point;
    record.depth = depth;
    return record;
}

// A point's contact with a grid, in world space.
struct GridContact
{
    Vector3 normal; // out of the grid owner
    Vector3 point;
    float depth = 0.0f;
};

bool FindGridContact(const BodyCollisionData* grid, const Vector3& p, float radiusSquared, GridContact& out)
{
    const Vector3 offset = p - grid->position;
    if (!(offset.LengthSquared() < radiusSquared)) {
        return false;
    }
    const Vector3 local = RowTimes(offset, grid->orientationTranspose);
    // The grid's own bounds test, done here first: most points near a body
    // lie outside its grid box, and this saves the lookup call for them.
    const Vector3& low = grid->mesh.GetMinimum();
    const Vector3& high = grid->mesh.GetMaximum();
    if (!(local.x >= low.x && local.x <= high.x && local.y >= low.y && local.y <= high.y && local.z >= low.z &&
          local.z <= high.z)) {
        return false;
    }
    Vector3 localNormal;
    float depth = 0.0f;
    // The bounds were tested just above, with the same comparisons.
    if (!grid->mesh.GetContact(local, localNormal, depth, true)) {
        return false;
    }
    out.normal = RowTimes(localNormal, grid->orientation);
    out.point = p + out.normal * (depth * 0.5f);
    out.depth = depth;
    return true;
}

void AppendGridRecord(BodyCollisionData* grid, BodyCollisionData* samples, const GridContact& contact,
                      std::vector<CollisionRecord>& records)
{
    CollisionRecord record;
    record.dataA = grid;
    record.dataB = samples;
    record.normal = -contact.normal;
    record.point = contact.point;
    record.depth = contact.depth;
    AppendCollisionRecord(record, records);
}

} // namespace

void AppendCollisionRecord(const CollisionRecord& record, std::vector<CollisionRecord>& records)
{
    const int index = static_cast<int>(records.size());
    records.push_back(record);
    record.dataA->recordIndices.push_back(index);
    if (record.dataB != nullptr) {
        record.dataB->recordIndices.push_back(index);
    }
}

namespace {

// How high the ground can reach under the body's points. A point above it
// cannot touch the ground, so its height is not looked up. The edge samples
// lie between the vertices, up to rounding, which the margin on the
// rectangle covers.
float GroundCeiling(const BodyCollisionData* data, const HeightGrid& grid)
{
    float x0 = std::numeric_limits<float>::infinity();
    float y0 = x0;
    float x1 = -x0;
    float y1 = -x0;
    for (const std::vector<Vector3>* points : {&data->worldSamplePoints, &data->worldVertexPoints}) {
        for (const Vector3& p : *points) {
            // A point off the map reads flat ground at 0 wherever it is.
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                return std::numeric_limits<float>::infinity();
            }
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
    }
    const float margin =
        1.0e-3f * (1.0f + std::max(std::max(std::fabs(x0), std::fabs(x1)), std::max(std::fabs(y0), std::fabs(y1))));
    return grid.GetCeilingOver(x0 - margin, x1 + margin, y0 - margin, y1 + margin);
}

} // namespace

void CollideBodyHeightmap(BodyCollisionData* data, Heightmap* heightmap, std::vector<CollisionRecord>& records)
{
    const HeightGrid& ground = heightmap->GetGrid();
    float h = 0.0f;
    Vector3 n;
    ground.GetHeight(data->position.x, data->position.y, h, n);
    if (!(data->position.z - h <= data->mesh.GetBoundingRadius() / n.z)) {
        return;
    }
    // A point above the ceiling is above the ground: no record, and on an
    // edge a depth below zero, which never beats a record-making one.
    const float ceiling = GroundCeiling(data, ground);
    const bool isPlayerBody = data->owner != nullptr && data->owner->GetType() == kPlayerBodyType;
    for (const Vector3& p : data->worldSamplePoints) {
        if (p.z > ceiling) {
            continue;
        }
        ground.GetHeight(p.x, p.y, h, n);
        if (p.z < h) {
            AppendCollisionRecord(TerrainRecord(data, heightmap, n, p, (h - p.z) * n.z), records);
            if (isPlayerBody && gPlayerContactListener != nullptr) {
                gPlayerContactListener->OnTerrainContact();
            }
        }
    }
    const bool oneRecordPerEdge = gPhysicsSettings.useOneEdgeCollisionForHeightmap;
    const std::vector<Vector3>& vertices = data->worldVertexPoints;
    for (const SampledEdge& edge : data->edges) {
        if (!IsEdgeUsable(edge, vertices)) {
            continue;
        }
        const Vector3& a = vertices[static_cast<size_t>(edge.first)];
        const Vector3 e = vertices[static_cast<size_t>(edge.second)] - a;
        float bestDepth = kNoDepth;
        Vector3 bestPoint;
        Vector3 bestNormal;
        for (int i = 0; i < edge.count; ++i) {
            const Vector3 q = EdgeSample(a, e, i, edge.count);
            if (q.z > ceiling) {
                continue;
            }
            ground.GetHeight(q.x, q.y, h, n);
            const float depth = (h - q.z) * n.z;
            if (!oneRecordPerEdge) {
                if (depth >= 0.0f) {
                    AppendCollisionRecord(TerrainRecord(data, heightmap, n, q, depth), records);
                }
            } else if (depth > bestDepth) {
                bestDepth = depth;
                bestPoint = q;
                bestNormal = n;
            }
        }
        if (oneRecordPerEdge && bestDepth >= 0.0f) {
            AppendCollisionRecord(TerrainRecord(data, heightmap, bestNormal, bestPoint, bestDepth), records);
        }
    }
}

void CollideBodies(BodyCollisionData* gridOwner, BodyCollisionData* sampleOwner, std::vector<CollisionRecord>& records)
{
    const float radius = gridOwner->mesh.GetBoundingRadius();
    const float radiusSquared = radius * radius;
    GridContact contact;
    for (const Vector3& p : sampleOwner->worldSamplePoints) {
        if (FindGridContact(gridOwner, p, radiusSquared, contact)) {
            AppendGridRecord(gridOwner, sampleOwner, contact, records);
        }
    }
    const bool oneRecordPerEdge = gPhysicsSettings.useOneEdgeCollisionForBody;
    const std::vector<Vector3>& vertices = sampleOwner->worldVertexPoints;
    for (const SampledEdge& edge : sampleOwner->edges) {
        if (!IsEdgeUsable(edge, vertices)) {
            continue;
        }
        const Vector3& a = vertices[static_cast<size_t>(edge.first)];
        const Vector3 e = vertices[static_cast<size_t>(edge.second)] - a;
        GridContact best;
        best.depth = kNoDepth;
        bool found = false;
        for (int i = 0; i < edge.count; ++i) {
            if (!FindGridContact(gridOwner, EdgeSample(a, e, i, edge.count), radiusSquared, contact)) {
                continue;
            }
            if (!oneRecordPerEdge) {
                AppendGridRecord(gridOwner, sampleOwner, contact, records);
            } else if (contact.depth > best.depth) {
                best = contact;
                found = true;
            }
        }
        if (found) {
            AppendGridRecord(gridOwner, sampleOwner, best, records);
        }
    }
}

void NotifyPlayerContact(BodyCollisionData* a, BodyCollisionData* b)
{
    PlayerContactListener* listener = gPlayerContactListener;
    if (listener == nullptr || !listener->AcceptsBodyContacts()) {
        return;
    }
    RigidBody* candidate = nullptr;
    if (a->owner->GetType() == kPlayerBodyType && IsNotIgnored(b, a->ignoreList)) {
        candidate = b->owner;
    } else if (b->owner->GetType() == kPlayerBodyType && IsNotIgnored(a, b->ignoreList)) {
        candidate = a->owner;
    }
    if (candidate != nullptr) {
        listener->OnBodyContact(candidate);
    }
}
