// A log hung from two pinned anchor balls by two ropes. It is built frozen
// and posed at its starting angle (SwingTo, SwingBy, Rotate); a trigger
// wakes it and it swings down.
//
// Ownership: the log and its balls belong to the World (kept and deleted
// here when there is none); the pins and ropes belong to the swinging log.
// See MachineryParts.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "objects/MachineryParts.h"
#include "physics/PhysicsController.h"

class ConstraintWorldPoint;
class Cylinder;
class Ellipsoid;
class Object;
class PhysicsWorld;

class SwingingLog : public PhysicsController
{
public:
    static constexpr int kRopeCount = 2;

    // Lying along x, centred on position, each rope end hanging ropeLength
    // straight below its ball.
    SwingingLog(PhysicsWorld* world, const Vector3& position, float length, float radius, float mass, float ropeLength);
    ~SwingingLog() override;

    // Keeps the rope ends the rope visuals hang from.
    void Update(float h) override;
    // Wakes (on) or freezes (off) the log and both balls.
    void SetActive(bool on) override;

    // Swings the log's centre about the middle of the balls by degrees, about
    // the level line square to the balls' line; only the position changes.
    void SwingTo(float degrees);
    // Swings the log, position and orientation, by degrees about the line
    // through the balls.
    void SwingBy(float degrees);
    // Turns the log by m (applied after its orientation) about its centre,
    // carrying the balls and their pins round with it.
    void Rotate(const Matrix3& m);

    Cylinder* GetLog() const { return log; }
    Ellipsoid* GetBall(int k) const { return balls[k]; }
    // The log, then the two balls.
    const std::vector<Object*>& GetBodies() const { return bodies; }
    const std::vector<Constraint*>& GetConstraints() const { return parts.GetConstraints(); }
    const std::vector<MeshInstance*>& GetDrawables() const { return parts.GetDrawables(); }
    const Vector3& GetAttachOffset(int k) const { return attachOffsets[k]; }
    const Vector3& GetAttachPoint(int k) const { return attachPoints[k]; }
    float GetRopeLength() const { return ropeLength; }

private:
    // The middle of the two balls and the unit direction from the second to
    // the first.
    void GetBallLine(Vector3& middle, Vector3& direction) const;
    void RefreshAttachPoints();

    MachineryParts parts;
    float ropeLength;
    float length;
    float radius;
    Cylinder* log;
    Ellipsoid* balls[kRopeCount];
    ConstraintWorldPoint* pins[kRopeCount];
    std::vector<Object*> bodies;
    Vector3 attachOffsets[kRopeCount];
    Vector3 attachPoints[kRopeCount];
};
