// Each stage loaded and run for five seconds of game time, then drawn from
// above into a PNG to look at (the terrain shaded by height, every body's
// hull outlined: frozen bodies grey, awake ones red). What a stage's file
// places must stay put while nobody plays: frozen bodies do not move at all,
// and what starts awake (torches, the cart) settles where it stands.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "Image.h"
#include "StageTestSupport.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/MineCart.h"
#include "objects/Object.h"
#include "objects/ShapeObject.h"
#include "physics/BodyTypes.h"
#include "physics/PhysicsWorld.h"
#include "render/Terrain.h"

namespace {

const int kImageSize = 1024;
const float kWorldHalf = 256.0f;
const float kRunSeconds = 5.0f;
// How far a body that starts awake may move while it settles.
const float kSettleDistance = 0.5f;

struct Pixel
{
    float x, y;
};

bool IsMachineBody(const Object* object)
{
    switch (object->GetType()) {
    case kBridgeBoxBodyType:
    case kChainWhipHandleBodyType:
    case kChainWhipLinkBodyType:
    case kChainPlatformBodyType:
    case kChainPlatformLinkBodyType:
    case kSwingingLogBodyType:
    case kSwingingLogAnchorBodyType:
    // The character's limbs follow its animation; its walking body drops
    // from where it is built onto its feet.
    case kRagdollLimbBodyType:
    case kPlayerBodyType:
        return true;
    default:
        return false;
    }
}

Pixel ToImage(float x, float y)
{
    const float scale = kImageSize / (2.0f * kWorldHalf);
    // North (+y) up.
    return {(x + kWorldHalf) * scale, (kWorldHalf - y) * scale};
}

void DrawLine(gen::Image& image, Pixel a, Pixel b, const gen::Color& colour)
{
    const int steps = static_cast<int>(std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y))) + 1;
    for (int i = 0; i <= steps; ++i) {
        const float t = static_cast<float>(i) / steps;
        const int x = static_cast<int>(a.x + (b.x - a.x) * t);
        const int y = static_cast<int>(a.y + (b.y - a.y) * t);
        if (x >= 0 && y >= 0 && x < image.w && y < image.h) image.At(x, y) = colour;
    }
}

// Colours spread over the heights most of the map has (a lone peak would
// flatten the rest into one shade), lit from the north-west, with a contour
// line every few units.
void DrawTerrain(gen::Image& image, const Terrain& terrain)
{
    const float kContourStep = 4.0f;
    std::vector<float> heights(static_cast<size_t>(kImageSize) * kImageSize);
    std::vector<Vector3> normals(heights.size());
    for (int py = 0; py < kImageSize; ++py) {
        for (int px = 0; px < kImageSize; ++px) {
            const float x = (px + 0.5f) / kImageSize * 2.0f * kWorldHalf - kWorldHalf;
            const float y = kWorldHalf - (py + 0.5f) / kImageSize * 2.0f * kWorldHalf;
            const size_t i = static_cast<size_t>(py) * kImageSize + px;
            terrain.GetGround().GetHeight(x, y, heights[i], normals[i]);
        }
    }
    std::vector<float> sorted = heights;
    std::sort(sorted.begin(), sorted.end());
    const float low = sorted[sorted.size() / 50];
    const float high = sorted[sorted.size() - 1 - sorted.size() / 50];
    const gen::Color deep(0.10f, 0.12f, 0.45f);
    const gen::Color mid(0.30f, 0.60f, 0.25f);
    const gen::Color peak(0.95f, 0.90f, 0.80f);
    const Vector3 sun(-0.5f, 0.5f, 0.7f);
    for (int py = 0; py < kImageSize; ++py) {
        for (int px = 0; px < kImageSize; ++px) {
            const size_t i = static_cast<size_t>(py) * kImageSize + px;
            const float t = high > low ? std::min(1.0f, std::max(0.0f, (heights[i] - low) / (high - low))) : 0.5f;
            const gen::Color c = t < 0.5f ? gen::Mix(deep, mid, t * 2.0f) : gen::Mix(mid, peak, (t - 0.5f) * 2.0f);
            float light = 0.55f + 0.45f * std::max(0.0f, Vector3::Dot(normals[i], sun) / sun.Length());
            const bool contour = px + 1 < kImageSize &&
                                 std::floor(heights[i] / kContourStep) != std::floor(heights[i + 1] / kContourStep);
            if (contour) light *= 0.6f;
            image.px[i] = gen::Color(c.r * light, c.g * light, c.b * light);
        }
    }
}

// The hull of a body as the collision code sees it, in world coordinates.
void DrawBody(gen::Image& image, Object* object)
{
    const TriangleList* triangles = nullptr;
    if (const ShapeObject* shape = dynamic_cast<const ShapeObject*>(object)) triangles = &shape->GetTriangles();
    if (const MineCart* cart = dynamic_cast<const MineCart*>(object)) triangles = &cart->GetTriangles();
    const gen::Color colour = object->IsFrozen() ? gen::Color(0.6f, 0.6f, 0.6f) : gen::Color(0.9f, 0.1f, 0.1f);
    if (triangles == nullptr || triangles->empty()) {
        const Pixel p = ToImage(object->position.x, object->position.y);
        DrawLine(image, {p.x - 2, p.y}, {p.x + 2, p.y}, colour);
        return;
    }
    for (const SurfaceTriangle& t : *triangles) {
        const Vector3 corners[3] = {t.a, t.b, t.c};
        Pixel projected[3];
        for (int i = 0; i < 3; ++i) {
            Vector3 world;
            Vector3::TimesMatrix3(world, object->GetOrientation(), corners[i]);
            world += object->position;
            projected[i] = ToImage(world.x, world.y);
        }
        for (int i = 0; i < 3; ++i) DrawLine(image, projected[i], projected[(i + 1) % 3], colour);
    }
}

TEST(StageView, EachStageAfterFiveSecondsSeenFromAbove)
{
    ScratchRunTree tree;
    StageRig rig;
    const std::filesystem::path folder = LV_STAGE_VIEW_DIR;
    std::filesystem::create_directories(folder);
    for (int stage = 1; stage <= 4; ++stage) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        gLevelLoader->LoadLevel("stage" + std::to_string(stage) + ".qvl");
        std::map<Object*, Vector3> start;
        std::map<Object*, bool> frozen;
        for (Object* object : gWorld->GetObjects()) {
            start[object] = object->position;
            frozen[object] = object->IsFrozen();
        }
        rig.RunSeconds(kRunSeconds);

        for (Object* object : gWorld->GetObjects()) {
            // The machines' own bodies sag, drop onto chains and swing as they
            // should; the character moves on its own.
            if (IsMachineBody(object)) continue;
            const float moved = (object->position - start[object]).Length();
            if (frozen[object]) {
                EXPECT_EQ(moved, 0.0f) << "type " << object->GetType();
            } else {
                EXPECT_LT(moved, kSettleDistance) << "type " << object->GetType() << " from " << start[object].x << ", "
                                                  << start[object].y << ", " << start[object].z;
            }
        }

        gen::Image image(kImageSize, kImageSize);
        ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);
        DrawTerrain(image, *gWorld->GetHeightmaps()[0]);
        // Every body of the physics world: the spinning logs belong to their machines, not the World.
        for (RigidBody* body : gPhysicsWorld->GetBodies()) {
            if (Object* object = dynamic_cast<Object*>(body)) DrawBody(image, object);
        }
        const std::string path = (folder / ("stage" + std::to_string(stage) + ".png")).string();
        EXPECT_TRUE(gen::WritePng(path, image)) << path;
    }
}

} // namespace
