// A heavy handle pinned in space by its centre with two chains of six balls
// hanging from it. Once started it forces the handle round every sub-step
// and the chains whip about it.
//
// Ownership: the handle and links belong to the World (kept and deleted here
// when there is none); the constraints belong to the whip. See
// MachineryParts.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "objects/MachineryParts.h"
#include "physics/PhysicsController.h"

class Cylinder;
class Object;
class PhysicsWorld;

class ChainWhip : public PhysicsController
{
public:
    static constexpr int kLinksPerChain = 6;

    // The handle stands three units above position.
    ChainWhip(PhysicsWorld* world, const Vector3& position, float linkMass);
    ~ChainWhip() override;

    // While active, the handle turns at the whip vector.
    void Update(float h) override;
    void SetActive(bool on) override { active = on; }
    bool IsActive() const { return active; }

    const Vector3& GetWhipVector() const { return whipVector; }
    // The stage alternates the sense of its whips.
    void SetWhipVector(const Vector3& v) { whipVector = v; }

    Cylinder* GetHandle() const { return handle; }
    // The handle first, then the first chain's links from the handle out,
    // then the second's.
    const std::vector<Object*>& GetBodies() const { return bodies; }
    const std::vector<Constraint*>& GetConstraints() const { return parts.GetConstraints(); }
    const std::vector<MeshInstance*>& GetDrawables() const { return parts.GetDrawables(); }
    // The upright pose the handle is drawn in, whatever the body does.
    const Matrix3& GetHandleOrientation() const { return handleOrientation; }

private:
    void AddChain(const Vector3& position, float side, float linkMass);
    void LinkChain(int first, const Vector3& handleAnchor, const Vector3& firstAnchor, const Vector3& outerAnchor,
                   const Vector3& innerAnchor);

    MachineryParts parts;
    Cylinder* handle;
    std::vector<Object*> bodies;
    bool active;
    Matrix3 handleOrientation;
    Vector3 whipVector;
};
