// A log held on fixed points at both ends that, once switched on, spins about
// its axis at a set speed whatever hits it, and knocks the character over
// when it comes close to a line along the log's side.
//
// Ownership: unlike the other machines' bodies, the log never joins the
// World's objects: the spinning log owns and deletes it, with its two pins.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "objects/MachineryParts.h"
#include "physics/PhysicsController.h"

class ConstraintWorldPoint;
class Cylinder;
class PhysicsWorld;

class SpinningLog : public PhysicsController
{
public:
    // Lying along x, centred on position; speed in radians per second.
    SpinningLog(PhysicsWorld* world, const Vector3& position, float length, float radius, float speed, float mass);
    ~SpinningLog() override;

    // Forces the spin while switched on, then checks the character.
    void Update(float h) override;
    void SetActive(bool on) override { spinning = on; }

    // Turns the log by rotation (applied after its present orientation) and
    // moves its end pins and spin axis with it.
    void PlaceEnds(const Matrix3& rotation);

    void SetHazard(bool on) { hazard = on; }
    bool IsHazard() const { return hazard; }
    bool IsSpinning() const { return spinning; }
    float GetSpeed() const { return speed; }
    float GetLength() const { return length; }
    float GetRadius() const { return radius; }
    const Vector3& GetAxis() const { return axis; }
    Cylinder* GetLog() const { return log; }
    const std::vector<Constraint*>& GetConstraints() const { return parts.GetConstraints(); }
    const std::vector<MeshInstance*>& GetDrawables() const { return parts.GetDrawables(); }

    // The two ends, -length/2 then +length/2 along the log, in the world.
    void GetEnds(Vector3& a, Vector3& b) const;
    // The character's squared distance below which it is knocked over.
    static constexpr float kHazardDistanceSquared = 8.0f;

private:
    void CheckHazard();

    MachineryParts parts;
    float length;
    float radius;
    float speed;
    Vector3 axis;
    Cylinder* log;
    std::vector<ConstraintWorldPoint*> pins; // the -length/2 end first
    bool spinning;
    bool hazard;
};
