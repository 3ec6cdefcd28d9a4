// The same scene in Bullet: a heightfield with the same heights and diagonal,
// the same shapes, masses and materials (friction combines by product there,
// so the terrain gets 1.0 and the bodies this engine's mean), 10 solver
// iterations, sleeping thresholds and deactivation time matching freezing.
#include "EngineQuarry.h"

#include <cmath>
#include <memory>

#include <btBulletDynamicsCommon.h>
#include <BulletCollision/CollisionShapes/btHeightfieldTerrainShape.h>

#include "BenchTiming.h"

extern btScalar gDeactivationTime;

namespace {

using bench::Clock;

btCollisionShape* MakeShape(BodyShape shape)
{
    switch (shape) {
    case BodyShape::Box:
        return new btBoxShape(btVector3(1, 1, 1));
    case BodyShape::Capsule:
        return new btCapsuleShapeZ(0.5f, 2.0f);
    case BodyShape::Sphere:
        return new btSphereShape(0.75f);
    case BodyShape::Cylinder:
        return new btCylinderShapeX(btVector3(1.25f, 0.6f, 0.6f));
    }
    return nullptr;
}

} // namespace

RunFigures RunBulletQuarry(const QuarryTerrain& terrain, const std::vector<QuarryBody>& bodies, const RunPlan& plan,
                           double* buildMs)
{
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    world.setGravity(btVector3(0, 0, -9.81f));
    world.getSolverInfo().m_numIterations = 10;
    gDeactivationTime = 1.0f;

    std::vector<float> heights(terrain.heights);
    btHeightfieldTerrainShape field(QuarryTerrain::kNodes, QuarryTerrain::kNodes, heights.data(), 1.0f,
                                    terrain.minHeight, terrain.maxHeight, 2, PHY_FLOAT, false);
    field.setLocalScaling(btVector3(QuarryTerrain::kDiff, QuarryTerrain::kDiff, 1.0f));
    // Bullet centres the field on its box; move it so node (0,0) sits at the origin corner.
    btTransform groundPose;
    groundPose.setIdentity();
    groundPose.setOrigin(btVector3(0.0f, 0.0f, 0.5f * (terrain.minHeight + terrain.maxHeight)));
    btRigidBody::btRigidBodyConstructionInfo groundInfo(0.0f, nullptr, &field);
    btRigidBody ground(groundInfo);
    ground.setWorldTransform(groundPose);
    ground.setFriction(1.0f);
    ground.setRestitution(1.0f);
    world.addRigidBody(&ground);

    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btDefaultMotionState>> states;
    std::vector<std::unique_ptr<btRigidBody>> rigid;
    // Every dynamic body gets the same material and sleep settings.
    auto addBody = [&](btCollisionShape* shape, float mass, const btVector3& origin,
                       const btQuaternion& rotation = btQuaternion::getIdentity()) {
        shapes.emplace_back(shape);
        btVector3 inertia(0, 0, 0);
        shape->calculateLocalInertia(mass, inertia);
        btTransform pose;
        pose.setIdentity();
        pose.setOrigin(origin);
        pose.setRotation(rotation);
        states.emplace_back(new btDefaultMotionState(pose));
        btRigidBody::btRigidBodyConstructionInfo info(mass, states.back().get(), shape, inertia);
        rigid.emplace_back(new btRigidBody(info));
        btRigidBody& body = *rigid.back();
        body.setFriction(0.5f * (QuarryMaterial::kStaticFriction + QuarryMaterial::kDynamicFriction));
        body.setRestitution(QuarryMaterial::kElasticity * QuarryMaterial::kElasticity);
        body.setSleepingThresholds(0.3f, 0.349f);
        if (!plan.freezing) body.setActivationState(DISABLE_DEACTIVATION);
        world.addRigidBody(&body);
        return &body;
    };

    const Clock::time_point buildStart = Clock::now();
    for (const QuarryBody& q : bodies) {
        // This engine's orientation rows are body axes (row vectors): the
        // column-vector rotation is the same axis and angle.
        addBody(MakeShape(q.shape), BodyMass(q.shape), btVector3(q.position[0], q.position[1], q.position[2]),
                btQuaternion(btVector3(q.axis[0], q.axis[1], q.axis[2]), q.angleDegrees * 3.14159265f / 180.0f));
    }
    if (buildMs != nullptr) {
        *buildMs = bench::Milliseconds(buildStart, Clock::now());
    }

    // The chain and the pushed capsule.
    const float half = 0.5f * QuarryChain::kPitch;
    std::vector<btRigidBody*> links;
    for (int k = 0; k < QuarryChain::kLinks; ++k) {
        links.push_back(addBody(new btSphereShape(0.5f * QuarryChain::kDiameter), QuarryChain::kMass,
                                btVector3(QuarryChain::CentreX(k), QuarryChain::kPin[1], QuarryChain::kPin[2])));
    }
    std::vector<std::unique_ptr<btTypedConstraint>> joints;
    joints.emplace_back(new btPoint2PointConstraint(*links[0], btVector3(-half, 0, 0)));
    for (int k = 0; k + 1 < QuarryChain::kLinks; ++k) {
        joints.emplace_back(
            new btPoint2PointConstraint(*links[k], *links[k + 1], btVector3(half, 0, 0), btVector3(-half, 0, 0)));
    }
    for (auto& j : joints) world.addConstraint(j.get(), true);
    const float px = QuarryPusher::kStart[0];
    const float py = QuarryPusher::kStart[1];
    btRigidBody* pusher = addBody(
        new btCapsuleShapeZ(QuarryPusher::kRadius, QuarryPusher::kLength - 2.0f * QuarryPusher::kRadius),
        QuarryPusher::kMass, btVector3(px, py, QuarryHeight(terrain, px, py) + 0.5f * QuarryPusher::kLength + 0.1f));
    pusher->setActivationState(DISABLE_DEACTIVATION);

    // The bridge: fixed end boxes (mass 0), hinges about x limited to +-45 degrees.
    const float* size = QuarryBridge::kSize;
    const float centreZ = QuarryBridge::CentreZ(terrain);
    std::vector<btRigidBody*> bridge;
    for (int i = 0; i < QuarryBridge::kBoxes; ++i) {
        const bool end = i == 0 || i == QuarryBridge::kBoxes - 1;
        bridge.push_back(addBody(new btBoxShape(btVector3(0.5f * size[0], 0.5f * size[1], 0.5f * size[2])),
                                 end ? 0.0f : QuarryBridge::kMass,
                                 btVector3(QuarryBridge::kStart[0], QuarryBridge::BoxY(i), centreZ)));
        bridge.back()->setFriction(0.85f);
        bridge.back()->setRestitution(0.0f);
    }
    const btVector3 endStart[2] = {bridge.front()->getWorldTransform().getOrigin(),
                                   bridge.back()->getWorldTransform().getOrigin()};
    const btVector3 pivotA(0, 0.5f * size[1], 0);
    const btVector3 pivotB(0, -0.5f * size[1], 0);
    for (int i = 0; i + 1 < QuarryBridge::kBoxes; ++i) {
        auto* hinge =
            new btHingeConstraint(*bridge[i], *bridge[i + 1], pivotA, pivotB, btVector3(1, 0, 0), btVector3(1, 0, 0));
        hinge->setLimit(-0.25f * SIMD_PI, 0.25f * SIMD_PI);
        joints.emplace_back(hinge);
        world.addConstraint(hinge, true);
    }
    std::vector<btRigidBody*> dropped;
    auto drop = [&]() {
        const float half = 0.5f * QuarryBridge::kDropEdge;
        for (int k = 0; k < QuarryBridge::kDropped; ++k) {
            float at[3];
            QuarryBridge::DropPosition(k, centreZ, at);
            dropped.push_back(addBody(new btBoxShape(btVector3(half, half, half)), QuarryBridge::kDropMass,
                                      btVector3(at[0], at[1], at[2])));
        }
    };
    auto countAwake = [&]() {
        int awake = 0;
        for (const auto& b : rigid) {
            if (b.get() != pusher && !b->isStaticObject() && b->isActive()) ++awake;
        }
        return awake;
    };

    RunFigures figures;
    const float frame = plan.frameSeconds;
    const int total = plan.warmupSteps + plan.timedSteps;
    for (int step = 0; step < total; ++step) {
        const float t = frame * static_cast<float>(step);
        if (dropped.empty() && t >= QuarryBridge::kDropTime - 1e-4f) drop();
        pusher->applyCentralForce(btVector3(std::cos(t), std::sin(t), 0.0f) *
                                  (QuarryPusher::kStrength * QuarryPusher::kMass));
        const Clock::time_point start = Clock::now();
        world.stepSimulation(frame, 1, frame);
        const double ms = bench::Milliseconds(start, Clock::now());
        if (step >= plan.warmupSteps) figures.stepMs.push_back(ms);
        const float after = frame * static_cast<float>(step + 1);
        for (int k = 0; k < RunFigures::kAwakeSamples; ++k) {
            if (figures.awakeAt[k] < 0 && after >= RunFigures::kAwakeTimes[k] - 1e-4f)
                figures.awakeAt[k] = countAwake();
        }
        double energy = 0.0;
        for (size_t k = 0; k < bodies.size(); ++k) {
            energy += 0.5 * rigid[k]->getMass() * rigid[k]->getLinearVelocity().length2();
        }
        figures.peakEnergy = std::fmax(figures.peakEnergy, energy);
        figures.endEnergy = energy;
    }
    // Every body counts for NaN and terrain; the awake figure at the end
    // covers the pile and the tower, as on the engine side.
    for (size_t k = 0; k < rigid.size(); ++k) {
        const btRigidBody* b = rigid[k].get();
        const btVector3 p = b->getCenterOfMassPosition();
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z())) {
            figures.anyNaN = true;
            continue;
        }
        if (p.z() < QuarryHeight(terrain, p.x(), p.y()) - 0.1f) ++figures.belowTerrain;
        if (k < bodies.size() && b->isActive()) ++figures.awakeAtEnd;
    }
    figures.bridgeEndMove = std::fmax((bridge.front()->getWorldTransform().getOrigin() - endStart[0]).length(),
                                      (bridge.back()->getWorldTransform().getOrigin() - endStart[1]).length());
    for (const btRigidBody* b : bridge) {
        figures.bridgeSag = std::fmax(figures.bridgeSag, centreZ - b->getWorldTransform().getOrigin().z());
    }
    if (!dropped.empty()) {
        figures.droppedOnBridge = 0;
        for (const btRigidBody* b : dropped) {
            const btVector3 p = b->getWorldTransform().getOrigin();
            if (QuarryBridge::IsOnBridge(p.x(), p.z(), centreZ)) ++figures.droppedOnBridge;
        }
    }
    for (size_t i = 0; i + 1 < bridge.size(); ++i) {
        const btVector3 a = bridge[i]->getWorldTransform() * pivotA;
        const btVector3 b = bridge[i + 1]->getWorldTransform() * pivotB;
        figures.bridgePivotGap = std::fmax(figures.bridgePivotGap, (a - b).length());
    }
    const btVector3 top = rigid[bodies.size() - 1]->getCenterOfMassPosition();
    figures.towerDrift = std::hypot(top.x() - bodies.back().position[0], top.y() - bodies.back().position[1]);
    const btVector3 pin(QuarryChain::kPin[0], QuarryChain::kPin[1], QuarryChain::kPin[2]);
    figures.chainGap = (links[0]->getWorldTransform() * btVector3(-half, 0, 0) - pin).length();
    for (size_t k = 0; k + 1 < links.size(); ++k) {
        const btVector3 a = links[k]->getWorldTransform() * btVector3(half, 0, 0);
        const btVector3 b = links[k + 1]->getWorldTransform() * btVector3(-half, 0, 0);
        figures.chainGap = std::fmax(figures.chainGap, (a - b).length());
    }
    for (auto& j : joints) world.removeConstraint(j.get());
    for (auto& b : rigid) world.removeRigidBody(b.get());
    world.removeRigidBody(&ground);
    return figures;
}
