#include "objects/MachineryParts.h"

#include <d3dx9math.h>

#include <algorithm>

#include "objects/Chain.h"
#include "objects/Cylinder.h"
#include "objects/Object.h"
#include "objects/StageHooks.h"
#include "physics/BodyCollisionData.h"
#include "physics/Constraint.h"
#include "physics/HingeJoint.h"
#include "physics/PhysicsController.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

namespace {

const int kDrawableMaterial = 0;
const char* const kLogTechnique = "Phong1Opaque";
const int kLogSlices = 16;
const int kLogStacks = 2;
const float kLogElasticity = 1.0f;
const float kLogStaticFriction = 0.2f;
const float kLogDynamicFriction = 0.1f;

} // namespace

MachineryParts::MachineryParts(PhysicsWorld* world_) : world(world_) {}

MachineryParts::~MachineryParts()
{
    // The world must stop stepping the machine before anything it steps goes.
    if (world != nullptr) {
        for (PhysicsController* controller : controllers) world->RemoveController(controller);
    }
    for (HingeJoint* joint : joints) {
        if (world != nullptr) {
            world->RemoveController(joint);
            world->RemoveConstraint(&joint->pointJoint);
            world->RemoveConstraint(&joint->axisLinks[0]);
            world->RemoveConstraint(&joint->axisLinks[1]);
            world->RemoveConstraint(&joint->angleLimit);
        }
        delete joint;
    }
    for (Constraint* constraint : constraints) {
        if (world != nullptr) world->RemoveConstraint(constraint);
        delete constraint;
    }
    for (MeshInstance* drawable : queuedDrawables) drawable->MarkForRemoval();
    // The visuals point at the bodies' positions: they go first.
    for (NPObj* visual : keptVisuals) delete visual;
    for (Object* body : keptBodies) {
        if (world != nullptr) world->RemoveBody(body);
        delete body;
    }
}

void MachineryParts::Place(Object* body, const Vector3& position)
{
    body->SetPosition(position);
    body->SetOrientation(Matrix3::Identity());
    // Bodies that never integrate (the fixed ends, frozen logs) would
    // otherwise keep the box of where they were built, the origin.
    body->UpdateBounds();
    if (world != nullptr) world->AddBody(body);
}

void MachineryParts::AddStageBody(Object* body, const Vector3& position)
{
    Place(body, position);
    if (!StageHookSlot::Get().AddObject(body)) keptBodies.push_back(body);
}

void MachineryParts::AddOwnBody(Object* body, const Vector3& position)
{
    Place(body, position);
    keptBodies.push_back(body);
}

MeshInstance* MachineryParts::AddDrawable(Object* body, const DrawableLook& look, const Matrix3* orientation)
{
    MeshInstance* drawable = new MeshInstance(false, false, look.meshId, look.technique, kDrawableMaterial,
                                              look.textureId, true, false, false);
    D3DXMatrixScaling(&drawable->world, look.scale.x, look.scale.y, look.scale.z);
    drawable->position = &body->position;
    drawable->orientation = orientation != nullptr ? orientation : &body->GetOrientation();
    body->meshes.push_back(drawable);
    drawables.push_back(drawable);
    if (gRenderer != nullptr) {
        gRenderer->QueueInstance(drawable);
        queuedDrawables.push_back(drawable);
    }
    return drawable;
}

Cylinder* MachineryParts::NewLog(float length, float radius, float mass, int typeId)
{
    Cylinder* log = new Cylinder(world, radius, length, kLogSlices, kLogStacks, mass);
    SetSurface(log, kLogElasticity, kLogStaticFriction, kLogDynamicFriction);
    log->typeId = typeId;
    AddDrawable(log, DrawableLook{MachineryLook::kColumnMesh, kLogTechnique, MachineryLook::kLogTexture,
                                  Vector3(length / 2.0f, 2.0f * radius, 2.0f * radius)});
    return log;
}

Chain* MachineryParts::AddChain(const Vector3* anchorA, const Vector3* anchorB, int textureId, const Vector3& scale)
{
    Chain* chain = new Chain(anchorA, anchorB, true, textureId, scale);
    if (gRenderer != nullptr) gRenderer->QueueObjectInstances(chain->GetModels());
    if (!StageHookSlot::Get().AddUpdatable(chain)) keptVisuals.push_back(chain);
    return chain;
}

void MachineryParts::AddConstraint(Constraint* constraint)
{
    constraints.push_back(constraint);
    if (world != nullptr) world->AddConstraint(constraint);
}

void MachineryParts::AdoptJoint(HingeJoint* joint)
{
    joints.push_back(joint);
}

void MachineryParts::AddController(PhysicsController* controller)
{
    controllers.push_back(controller);
    if (world != nullptr) world->AddController(controller);
}

void IgnoreEachOther(RigidBody* a, RigidBody* b)
{
    BodyCollisionData* dataA = a->GetCollisionData();
    BodyCollisionData* dataB = b->GetCollisionData();
    if (dataA == nullptr || dataB == nullptr) return;
    dataA->ignoreList.push_back(dataB);
    dataB->ignoreList.push_back(dataA);
}

void SetSurface(RigidBody* body, float elasticity, float staticFriction, float dynamicFriction)
{
    body->elasticity = elasticity;
    body->staticFriction = staticFriction;
    body->dynamicFriction = dynamicFriction;
}
