// The logs' poses against results worked out by hand: a spinning log turned
// by PlaceEnds, swinging logs swung and turned before release, and the
// spinning log's hazard line with its strict boundary. No physics world: the
// poses need none.
#include <gtest/gtest.h>

#include <vector>

#include "MachineryTestSupport.h"
#include "core/Matrix3.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "physics/ConstraintWorldPoint.h"

namespace {

const float kTolerance = 1e-4f;

Matrix3 TurnY(float degrees)
{
    Matrix3 m;
    return Matrix3::RotationY(m, degrees);
}

Matrix3 TurnZ(float degrees)
{
    Matrix3 m;
    return Matrix3::RotationZ(m, degrees);
}

void ExpectRows(const Matrix3& m, const Vector3 (&rows)[3])
{
    for (int i = 0; i < 3; ++i) {
        Vector3 row;
        ExpectNear(m.GetRow(row, i), rows[i], kTolerance);
    }
}

const Vector3& PinPoint(const std::vector<Constraint*>& constraints, int k)
{
    return dynamic_cast<const ConstraintWorldPoint&>(*constraints[k]).worldPoint;
}

} // namespace

TEST(SpinningLog, PlaceEndsTurnsTheLogThenMovesItsPinsAndAxis)
{
    struct Case
    {
        const char* name;
        std::vector<Matrix3> turns;
        Vector3 rows[3];
    };
    const float h = 0.70710678f;
    const Case cases[] = {
        {"stood on end", {TurnY(90)}, {{0, 0, -1}, {0, 1, 0}, {1, 0, 0}}},
        {"turned across", {TurnZ(90)}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}},
        {"half way round", {TurnZ(45)}, {{h, h, 0}, {-h, h, 0}, {0, 0, 1}}},
        // The second turn is about the world's axes, after the first.
        {"across then on end", {TurnZ(90), TurnY(90)}, {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}},
    };
    const Vector3 centre(16, 160, 25);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestStage stage(false);
        SpinningLog log(nullptr, centre, 80, 15, 0.5f, 200);
        for (const Matrix3& turn : c.turns) log.PlaceEnds(turn);
        ExpectRows(log.GetLog()->GetOrientation(), c.rows);
        ExpectNear(log.GetAxis(), c.rows[0], kTolerance);
        // The pin at -length/2 first, then the one at +length/2.
        ExpectNear(PinPoint(log.GetConstraints(), 0), centre - c.rows[0] * 40.0f, 1e-3f);
        ExpectNear(PinPoint(log.GetConstraints(), 1), centre + c.rows[0] * 40.0f, 1e-3f);
    }
}

TEST(SwingingLog, PosesMatchTheirHandResults)
{
    // A log of length 30 and radius 3 on ropes of 30 hangs 34 below the
    // middle of its balls, which stand 15 to either side along x.
    struct Case
    {
        const char* name;
        float turnZ; // turned first, when not 0
        bool swingTo;
        float degrees;
        Vector3 log; // where its centre ends, from where it was built
        Vector3 rows[3];
        Vector3 ball; // the first ball, from where the log was built
        Vector3 rope; // the first rope's end on the log, likewise
    };
    const float c30 = 0.866025f, c80 = 0.173648f, s80 = 0.984808f;
    const Case cases[] = {
        // A point 31 below the balls swings 60 degrees along the log and
        // the centre goes where that point went.
        {"swung to 60",
         0,
         true,
         60,
         {26.846788f, 0, 18.5f},
         {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
         {15, 0, 34},
         {41.846788f, 0, 21.5f}},
        {"swung to -60",
         0,
         true,
         -60,
         {-26.846788f, 0, 18.5f},
         {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
         {15, 0, 34},
         {-11.846788f, 0, 21.5f}},
        // About the balls' line (x): the centre, 34 below it, turns towards +y.
        {"swung by 30",
         0,
         false,
         30,
         {0, 17, 4.555136f},
         {{1, 0, 0}, {0, c30, 0.5f}, {0, -0.5f, c30}},
         {15, 0, 34},
         {15, 15.5f, 7.153211f}},
        // Turned to lie along y with its balls carried round, then swung up
        // 80 degrees about their line, now along y.
        {"turned and swung by -80",
         90,
         false,
         -80,
         {33.483461f, 0, 28.095967f},
         {{0, 1, 0}, {-c80, 0, -s80}, {-s80, 0, c80}},
         {0, 15, 34},
         {30.529038f, 15, 28.616912f}},
    };
    const Vector3 built(125, 80, 35.5f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestStage stage(false);
        SwingingLog swing(nullptr, built, 30, 3, 200, 30);
        // Filled before any pose or update.
        ExpectNear(swing.GetAttachPoint(0), built + Vector3(15, 0, 3), kTolerance);
        ExpectNear(swing.GetAttachPoint(1), built + Vector3(-15, 0, 3), kTolerance);

        if (c.turnZ != 0) swing.Rotate(TurnZ(c.turnZ));
        c.swingTo ? swing.SwingTo(c.degrees) : swing.SwingBy(c.degrees);
        ExpectNear(swing.GetLog()->position, built + c.log, 1e-3f);
        ExpectRows(swing.GetLog()->GetOrientation(), c.rows);
        // The balls stand opposite each other about the log's first centre.
        const Vector3 balls[2] = {built + c.ball, built + Vector3(-c.ball.x, -c.ball.y, c.ball.z)};
        for (int k = 0; k < 2; ++k) {
            ExpectNear(swing.GetBall(k)->position, balls[k], 1e-3f);
            ExpectNear(PinPoint(swing.GetConstraints(), k), balls[k], 1e-3f);
        }
        ExpectNear(swing.GetAttachPoint(0), built + c.rope, 1e-3f);
    }
}

TEST(SpinningLog, HazardKnocksOutOnlyStrictlyInsideItsSideLine)
{
    struct Case
    {
        const char* name;
        Vector3 character;
        bool hasCharacter;
        bool hazard;
        std::vector<Matrix3> turns;
        int knockOuts;
    };
    // A log of length 10 and radius 2 along x at the origin: its hazard
    // line runs from (-5, 2, 1) to (5, 2, 1), on the +y side.
    const Case cases[] = {
        {"exactly at the boundary", {0, 4, 3}, true, true, {}, 0},
        {"just inside", {0, 3.99f, 3}, true, true, {}, 1},
        {"on the line", {0, 2, 1}, true, true, {}, 1},
        {"past an end, at the boundary", {-7, 4, 1}, true, true, {}, 0},
        {"past an end, inside", {-6.9f, 4, 1}, true, true, {}, 1},
        {"by the other side", {0, -2, 1}, true, true, {}, 0},
        {"hazard cleared", {0, 2, 1}, true, false, {}, 0},
        {"no character", {0, 2, 1}, false, true, {}, 0},
        // Stood on end, the log is no hazard even right on its side.
        {"stood on end", {2, 0, 1}, true, true, {TurnY(90)}, 0},
        // Turned 45 degrees, the line moves to the new +side.
        {"turned, on the new line", {-1.414214f, 1.414214f, 1}, true, true, {TurnZ(45)}, 1},
        {"turned, where the old line ended", {5, 2, 1}, true, true, {TurnZ(45)}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TestStage stage(false);
        RigidBody character;
        character.position = c.character;
        stage.player = c.hasCharacter ? &character : nullptr;
        SpinningLog log(nullptr, Vector3(), 10, 2, 0.5f, 200);
        log.SetHazard(c.hazard);
        for (const Matrix3& turn : c.turns) log.PlaceEnds(turn);
        log.Update(0.01f);
        EXPECT_EQ(stage.knockOuts, c.knockOuts);
    }
}
