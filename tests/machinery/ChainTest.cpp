// The chain visual: where it sits, how it turns to the camera about its own
// line, how far it stretches, and the frame it builds for any direction and
// view (without a renderer the camera looks along +x).
#include <gtest/gtest.h>

#include "MachineryTestSupport.h"
#include "core/Matrix3.h"
#include "objects/Chain.h"
#include "render/MeshInstance.h"

namespace {

const float kTolerance = 1e-5f;

Vector3 Row(const Matrix3& m, int i)
{
    Vector3 row;
    return m.GetRow(row, i);
}

} // namespace

TEST(Chain, SitsMidwayRunsAlongItsAnchorsAndFacesTheCamera)
{
    struct Case
    {
        const char* name;
        Vector3 a;
        Vector3 b;
        bool stretch;
        Vector3 position;
        Vector3 across; // row 0
        Vector3 along;  // row 1, from b to a
        Vector3 facing; // row 2
        float length;   // the drawable's y scale
    };
    const Case cases[] = {
        // A rope hanging straight down shows its face to a camera looking along +x.
        {"hanging", {0, 0, 10}, {0, 0, 0}, true, {0, 0, 5}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 6.0f},
        {"level across the view", {0, 4, 2}, {0, 0, 2}, true, {0, 2, 2}, {0, 0, -1}, {0, 1, 0}, {1, 0, 0}, 3.0f},
        // Along the view there is no face to show: the chain lies flat.
        {"along the view", {3, 0, 0}, {0, 0, 0}, true, {1.5f, 0, 0}, {0, -1, 0}, {1, 0, 0}, {0, 0, 1}, 2.5f},
        {"not stretched", {0, 0, 10}, {0, 0, 0}, false, {0, 0, 5}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0}, 0.6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Vector3 a = c.a;
        Vector3 b = c.b;
        // Right from construction, before any update.
        Chain chain(&a, &b, c.stretch, 62, Vector3(0.25f, 0.6f, 0.25f));
        ASSERT_EQ(chain.models.size(), 1u);
        const MeshInstance& link = *chain.models[0];
        EXPECT_FALSE(link.faceCamera) << "the chain turns itself; the renderer must not turn it again";
        ExpectNear(chain.position, c.position, kTolerance);
        ExpectNear(Row(chain.orientation, 0), c.across, kTolerance);
        ExpectNear(Row(chain.orientation, 1), c.along, kTolerance);
        ExpectNear(Row(chain.orientation, 2), c.facing, kTolerance);
        EXPECT_FLOAT_EQ(link.world._11, 0.25f);
        EXPECT_FLOAT_EQ(link.world._22, c.length);

        // Anchors that meet keep the last frame; the chain shrinks to its overlap.
        const Matrix3 before = chain.orientation;
        a = Vector3(7, 7, 7);
        b = a;
        chain.Update();
        ExpectNear(chain.position, a, kTolerance);
        EXPECT_EQ(chain.orientation, before);
        EXPECT_FLOAT_EQ(link.world._22, c.stretch ? 1.0f : 0.6f);
    }
}

TEST(Chain, FrameIsARotationAlongTheChainTurnedTowardsTheView)
{
    for (const Vector3& direction : {Vector3(0, 0, -3), Vector3(1, 2, 3), Vector3(2, -2, 0.01f)}) {
        for (const Vector3& view : {Vector3(0, 0.6f, -0.8f), Vector3(-0.48f, 0.6f, 0.64f)}) {
            Matrix3 frame;
            ASSERT_TRUE(BuildChainFrame(direction, view, frame));
            Vector3 along = direction;
            along.Normalize();
            ExpectNear(Row(frame, 1), along, kTolerance);
            // Row 0 x row 1 is row 2 (a rotation, not a mirror), and row 2 is
            // the view's part square to the chain, made unit.
            Vector3 normal, square = view - along * Vector3::Dot(view, along);
            Vector3::Cross(normal, Row(frame, 0), Row(frame, 1));
            ExpectNear(Row(frame, 2), normal, kTolerance);
            ExpectNear(Row(frame, 2), square * (1.0f / square.Length()), kTolerance);
        }
    }
    Matrix3 untouched = Matrix3::Identity();
    EXPECT_FALSE(BuildChainFrame(Vector3(), Vector3(1, 0, 0), untouched));
    EXPECT_EQ(untouched, Matrix3::Identity());
}
