// What one piece of stage machinery (a bridge, a hung platform, a whip, a
// log) builds besides itself, and how each part goes back when it is taken
// apart. Every machine holds one of these and builds through it, so the rules
// below are written once:
//
// - Bodies join the physics world and are offered to the World
//   (StageHooks::AddObject). The World owns the ones it takes and deletes
//   them at the stage clear; the ones it does not take (no World: tests and
//   tools) are kept and deleted here.
// - A drawable follows its body, sits in the body's model vector and is
//   queued with the renderer when there is one. The body gives it back when
//   it goes (Object's destructor); the parts mark the queued ones again, so a
//   machine taken apart before its bodies stops drawing them at once.
// - Chain visuals are offered to the World's updatables in the same way.
// - Constraints and hinge joints are owned here: taken out of the physics
//   world and deleted.
//
// Order the World relies on: it deletes its objects and updatables before
// the machines (same frame, no renderer prune in between) and the machines
// before the physics world itself.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"

class Chain;
class Constraint;
class Cylinder;
class HingeJoint;
class NPObj;
class Object;
class PhysicsController;
class PhysicsWorld;
class RigidBody;
struct MeshInstance;

// What the machines are drawn with: indices of the mesh and texture tables.
namespace MachineryLook {
constexpr int kCubeMesh = 1;        // "cube.x": bridge boxes, the platform
constexpr int kLinkMesh = 2;        // "boulder1.x": chain links
constexpr int kColumnMesh = 4;      // "column1.x": logs, the whip's handle
constexpr int kLogTexture = 5;      // "column1.png"
constexpr int kPlankTexture = 8;    // "minecart.png": bridge boxes, the platform
constexpr int kLinkTexture = 60;    // "steel.png"
constexpr int kHandleTexture = 61;  // "marble.png"
constexpr int kChainTexture = 62;   // "chain.png"
constexpr int kRopeTexture = 73;    // "rope.png"
constexpr float kRopeWidth = 0.25f; // the scale across a chain or rope visual
} // namespace MachineryLook

// Ball links between two bodies (the whip's chains, a bridge of ball links)
// close any gap over one sub-step. Asking for it "at once" (a relaxation of
// 0) sets the anchors rushing at each other far faster than the gap, and the
// chain never comes to rest.
constexpr float kBallLinkSlack = 0.0f;
constexpr float kBallLinkRelaxation = -1.0f;

// The arguments in which the machines' drawables differ. All of them are
// opaque, material 0, face the camera and are queued on their own.
struct DrawableLook
{
    int meshId;
    const char* technique;
    int textureId;
    Vector3 scale;
};

class MachineryParts
{
public:
    // world may be null: nothing is then registered or removed.
    explicit MachineryParts(PhysicsWorld* world);
    ~MachineryParts();
    MachineryParts(const MachineryParts&) = delete;
    MachineryParts& operator=(const MachineryParts&) = delete;

    PhysicsWorld* GetWorld() const { return world; }

    // Places the body (identity orientation), registers it with the physics
    // world and offers it to the World.
    void AddStageBody(Object* body, const Vector3& position);
    // Places and registers the body; it is never offered to the World and is
    // always deleted here.
    void AddOwnBody(Object* body, const Vector3& position);

    // A drawable following the body's position and, unless another is given,
    // its orientation.
    MeshInstance* AddDrawable(Object* body, const DrawableLook& look, const Matrix3* orientation = nullptr);
    // A log of either kind: a column along x with the logs' surface and
    // look, its drawable added; the caller places and registers it.
    Cylinder* NewLog(float length, float radius, float mass, int typeId);
    // A chain visual between two positions, stretched between them.
    Chain* AddChain(const Vector3* anchorA, const Vector3* anchorB, int textureId, const Vector3& scale);

    // Registers the constraint; it is owned here from now on.
    void AddConstraint(Constraint* constraint);
    // A joint already set up (it registered its own constraints and itself).
    void AdoptJoint(HingeJoint* joint);
    // Registers the machine itself; taken back out when the parts go.
    void AddController(PhysicsController* controller);

    const std::vector<MeshInstance*>& GetDrawables() const { return drawables; }
    const std::vector<Constraint*>& GetConstraints() const { return constraints; }

private:
    void Place(Object* body, const Vector3& position);

    PhysicsWorld* world;
    std::vector<Constraint*> constraints;
    std::vector<HingeJoint*> joints;
    std::vector<PhysicsController*> controllers;
    std::vector<MeshInstance*> drawables;
    // The drawables handed to the renderer: only these are marked here, the
    // others are deleted with their bodies.
    std::vector<MeshInstance*> queuedDrawables;
    std::vector<Object*> keptBodies;
    std::vector<NPObj*> keptVisuals;
};

// The two bodies never collide: each enters the other's ignore list.
void IgnoreEachOther(RigidBody* a, RigidBody* b);
// Elasticity, then the static and dynamic friction.
void SetSurface(RigidBody* body, float elasticity, float staticFriction, float dynamicFriction);
