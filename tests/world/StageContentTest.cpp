// The four shipped stage files checked against their generated terrains: the
// records every stage needs, bodies placed at their resting heights (a
// frozen body is not even tested against the ground until something wakes
// it), torches on flat ground, triggers where the character's spine (the
// cart's centre on stage 4) passes, and nothing where the stage's fixed
// set-up builds its machinery.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/Resources.h"
#include "game/LevelFile.h"
#include "render/Terrain.h"

namespace {

// The character's spine rides 4.5 above its feet; the cart's centre 2.0 above the track.
const float kSpineHeight = 4.5f;
const float kCartHeight = 2.0f;
const float kTorchHeight = 1.0f;
// A body may rest this much above the highest ground under it, never below.
const float kRestTolerance = 0.05f;
const float kSampleStep = 0.25f;

struct Box3
{
    Vector3 low, high;
    bool Overlaps(const Box3& o) const
    {
        return low.x < o.high.x && o.low.x < high.x && low.y < o.high.y && o.low.y < high.y && low.z < o.high.z &&
               o.low.z < high.z;
    }
};

Box3 Around(const Vector3& centre, const Vector3& half)
{
    return {centre - half, centre + half};
}

// What the fixed set-up builds, as boxes nothing from the file may reach into.
std::vector<Box3> SetupVolumes(int stage)
{
    switch (stage) {
    case 1: // the bridge
        return {{{-40.0f, -94.5f, -1.8f}, {-32.0f, 5.5f, 0.2f}}};
    case 2: // the whips' reach, the spinning logs and drums, the swinging logs' arcs
        return {Around({-6.0f, -20.0f, 0.0f}, {15.0f, 15.0f, 15.0f}),
                Around({-6.0f, 13.0f, 0.0f}, {15.0f, 15.0f, 15.0f}),
                Around({16.0f, 144.5f, 25.0f}, {40.0f, 30.5f, 15.0f}),
                Around({125.0f, 80.0f, 16.0f}, {20.0f, 20.0f, 15.0f}),
                Around({135.0f, 150.0f, 18.0f}, {30.0f, 30.0f, 17.5f}),
                Around({-85.0f, -127.0f, 15.0f}, {30.0f, 30.0f, 30.0f}),
                Around({125.0f, 80.0f, 35.5f}, {30.0f, 30.0f, 30.0f})};
    case 3: // the platform and its chains
        return {{{-45.0f, 32.5f, 40.0f}, {-25.0f, 47.5f, 80.0f}}};
    default:
        return {};
    }
}

// Surfaces of the set-up the character stands on: the bridge's deck and the drums' tops.
struct Deck
{
    float x0, x1, y0, y1; // a rectangle, or a disc when radius > 0
    float cx, cy, radius;
    float top;
};
std::vector<Deck> Decks(int stage)
{
    if (stage == 1) return {{-40.0f, -32.0f, -94.5f, 5.5f, 0, 0, 0, 0.2f}};
    if (stage == 2) return {{0, 0, 0, 0, 125.0f, 80.0f, 20.0f, 31.0f}, {0, 0, 0, 0, 135.0f, 150.0f, 30.0f, 35.5f}};
    return {};
}

class StageFile
{
public:
    explicit StageFile(int stage_) : stage(stage_)
    {
        const std::string name = "stage" + std::to_string(stage) + ".qvl";
        std::ifstream in(LevelsDirectory + name);
        std::ostringstream text;
        text << in.rdbuf();
        std::istringstream words(text.str());
        LevelReader reader(words, name);
        readHeader = reader.ReadHeader(header);
        for (LevelRecord r; reader.NextRecord(r);) records.push_back(r);
        failed = reader.Failed();
        terrain = std::make_unique<Terrain>(MapsDirectory + header.hmpFile, MapsDirectory + header.meshFile);
    }

    float Ground(float x, float y) const
    {
        float height = 0.0f;
        Vector3 normal;
        terrain->GetGround().GetHeight(x, y, height, normal);
        return height;
    }
    // Lowest and highest ground over the rectangle.
    std::pair<float, float> GroundRange(float x, float y, float hx, float hy) const
    {
        float low = 1e30f;
        float high = -1e30f;
        for (float a = -hx; a <= hx + 1e-4f; a += kSampleStep) {
            for (float b = -hy; b <= hy + 1e-4f; b += kSampleStep) {
                const float h = Ground(x + a, y + b);
                low = std::min(low, h);
                high = std::max(high, h);
            }
        }
        return {low, high};
    }
    float Standing(float x, float y) const
    {
        float h = Ground(x, y);
        for (const Deck& d : Decks(stage)) {
            const bool on = d.radius > 0.0f ? std::hypot(x - d.cx, y - d.cy) <= d.radius
                                            : x >= d.x0 && x <= d.x1 && y >= d.y0 && y <= d.y1;
            if (on) h = std::max(h, d.top);
        }
        return h;
    }
    std::vector<LevelRecord> Of(LevelRecordKind kind, int type) const
    {
        std::vector<LevelRecord> out;
        for (const LevelRecord& r : records) {
            if (r.kind == kind && r.type == type) out.push_back(r);
        }
        return out;
    }

    int stage;
    LevelHeader header;
    bool readHeader = false;
    bool failed = false;
    std::vector<LevelRecord> records;
    std::unique_ptr<Terrain> terrain;
};

// A body's lowest point below its centre and the half size of the ground
// under it, for the upright poses the stages use.
struct Footing
{
    float below, halfX, halfY;
};
bool FootingOf(const LevelRecord& r, Footing& f)
{
    const Vector3& s = r.scale;
    switch (r.type) {
    case 1:
    case 3:
    case 6:
    case 16:
    case 36:
        f = {0.5f * s.z, 0.5f * s.x, 0.5f * s.y};
        return true;
    case 2: // a boulder touches at its lowest point
        f = {0.5f * s.z, 0.0f, 0.0f};
        return true;
    case 5: // a column stood on its end
        f = {s.x, 0.5f * s.z, 0.5f * s.z};
        return true;
    case 7: // the tetrahedron on its base, 2.5 from centre to corner
        f = {0.8346f, 2.36f, 2.36f};
        return true;
    case 39:
        f = {0.25f * s.z, 0.5f * s.x, 0.5f * s.x};
        return true;
    default:
        return false;
    }
}

TEST(StageContent, EveryStageHasWhatItNeedsWhereItCanStand)
{
    int masks = 0;
    int spawners = 0;
    int hazards = 0;
    int stagesWithFallingBlocks = 0;
    for (int stage = 1; stage <= 4; ++stage) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        const StageFile file(stage);
        ASSERT_TRUE(file.readHeader);
        EXPECT_FALSE(file.failed);
        EXPECT_EQ(file.header.stage, stage);
        ASSERT_TRUE(file.terrain->GetGround().GetGrid().IsBuilt());
        ASSERT_GE(file.records.size(), 2u);
        const LevelRecord& first = file.records[0];
        const float lift = stage == 4 ? kCartHeight : kSpineHeight;

        // The character first; on stage 4 the cart first, on the track at rest, facing +x.
        if (stage == 4) {
            EXPECT_EQ(first.type, 8);
            EXPECT_NEAR(first.position.z, file.Ground(first.position.x, first.position.y) + kCartHeight, 1e-3f);
            EXPECT_EQ(first.orientation, Matrix3::Identity());
            EXPECT_EQ(file.records[1].type, 15);
            EXPECT_EQ(file.records[1].position, first.position);
        } else {
            EXPECT_EQ(first.type, 15);
            EXPECT_NEAR(first.position.z, file.Ground(first.position.x, first.position.y), 1e-3f);
        }
        EXPECT_EQ(file.Of(LevelRecordKind::Object, 15).size(), 1u);

        const auto torches = file.Of(LevelRecordKind::Object, 24);
        EXPECT_GE(torches.size(), 2u);
        for (const LevelRecord& t : torches) {
            const auto range = file.GroundRange(t.position.x, t.position.y, 4.5f, 1.0f);
            EXPECT_EQ(range.first, range.second) << "torch at " << t.position.x << ", " << t.position.y;
            EXPECT_FLOAT_EQ(t.position.z, range.first + kTorchHeight);
            EXPECT_EQ(t.orientation, Matrix3::Identity());
        }
        int skies = 0;
        for (const int sky : {18, 21, 45}) skies += static_cast<int>(file.Of(LevelRecordKind::SceneObject, sky).size());
        EXPECT_EQ(skies, 1);
        EXPECT_GE(file.Of(LevelRecordKind::Trigger, 37).size(), 1u);
        EXPECT_GE(file.Of(LevelRecordKind::Trigger, 11).size(), 1u);

        for (const LevelRecord& r : file.records) {
            const Vector3& p = r.position;
            EXPECT_LT(std::max(std::fabs(p.x), std::fabs(p.y)), 250.0f) << "type " << r.type;
            if (r.kind == LevelRecordKind::Trigger) {
                EXPECT_NEAR(p.z, file.Standing(p.x, p.y) + lift, 0.01f)
                    << "trigger " << r.type << " at " << p.x << ", " << p.y;
                continue;
            }
            if (r.kind != LevelRecordKind::Object) continue;
            Footing f;
            if (FootingOf(r, f)) {
                const float bottom = p.z - f.below;
                // On the ground, or on another body's top (a stack).
                float support = file.GroundRange(p.x, p.y, f.halfX, f.halfY).second;
                for (const LevelRecord& o : file.records) {
                    Footing g;
                    if (&o == &r || o.kind != LevelRecordKind::Object || !FootingOf(o, g)) continue;
                    const float top = o.position.z + g.below; // stacks are of boxes
                    const bool under = std::fabs(o.position.x - p.x) < g.halfX + f.halfX &&
                                       std::fabs(o.position.y - p.y) < g.halfY + f.halfY && top <= bottom + 0.01f;
                    if (under) support = std::max(support, top);
                }
                const float gap = bottom - support;
                EXPECT_GE(gap, -0.01f) << "type " << r.type << " at " << p.x << ", " << p.y << " sinks";
                EXPECT_LE(gap, kRestTolerance) << "type " << r.type << " at " << p.x << ", " << p.y << " floats";
            }
            const float reach = std::max({r.scale.x, r.scale.y, r.scale.z, 4.5f});
            const Box3 body = Around(p, Vector3(reach, reach, reach) * 0.5f);
            for (const Box3& v : SetupVolumes(stage)) {
                EXPECT_FALSE(body.Overlaps(v)) << "type " << r.type << " at " << p.x << ", " << p.y << ", " << p.z;
            }
        }

        // Stage 2's swinging-log triggers let go of logs 0, 1 and 2 in that order, and no others exist.
        const auto logTriggers = file.Of(LevelRecordKind::Trigger, 49);
        if (stage == 2) {
            ASSERT_EQ(logTriggers.size(), 3u);
            const float expected[3][2] = {{-75.0f, -127.0f}, {-95.0f, -127.0f}, {125.0f, 80.0f}};
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(logTriggers[i].position.x, expected[i][0]);
                EXPECT_EQ(logTriggers[i].position.y, expected[i][1]);
            }
            EXPECT_EQ(file.Of(LevelRecordKind::Trigger, 46).size(), 1u);
        } else {
            EXPECT_TRUE(logTriggers.empty());
            EXPECT_TRUE(file.Of(LevelRecordKind::Trigger, 46).empty());
        }
        // The bridge trigger on stage 1, by its middle joint; boosts only on the cart stage.
        const auto bridge = file.Of(LevelRecordKind::Trigger, 27);
        EXPECT_EQ(bridge.size(), stage == 1 ? 1u : 0u);
        if (stage == 1 && !bridge.empty()) {
            EXPECT_LT(std::hypot(bridge[0].position.x + 36.0f, bridge[0].position.y + 44.5f), 1.0f);
        }
        EXPECT_EQ(file.Of(LevelRecordKind::Trigger, 50).empty(), stage != 4);

        const auto blocks = file.Of(LevelRecordKind::Object, 51);
        const auto blockTriggers = file.Of(LevelRecordKind::Trigger, 52);
        if (!blocks.empty() || !blockTriggers.empty()) {
            EXPECT_EQ(blocks.size(), 4u);
            EXPECT_EQ(blockTriggers.size(), 1u);
            for (const LevelRecord& b : blocks) EXPECT_FALSE(b.immovable);
            ++stagesWithFallingBlocks;
        }
        masks += static_cast<int>(file.Of(LevelRecordKind::Trigger, 38).size());
        spawners += static_cast<int>(file.Of(LevelRecordKind::Trigger, 13).size());
        hazards += static_cast<int>(file.Of(LevelRecordKind::Trigger, 40).size());
    }
    // Across the ring.
    EXPECT_EQ(masks, 1);
    EXPECT_EQ(stagesWithFallingBlocks, 1);
    EXPECT_GE(spawners, 1);
    EXPECT_GE(hazards, 1);
}

} // namespace
