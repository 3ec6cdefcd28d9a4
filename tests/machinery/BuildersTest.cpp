// What each machine builds (its bodies by type, the pairs that never collide,
// entered both ways, what the physics world and the World are handed), that
// taking it apart leaves nothing of it in the physics world, and which joints
// a broken bridge opens.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "MachineryTestSupport.h"
#include "objects/Box.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/ChainWhip.h"
#include "objects/Object.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "physics/ConstraintPoint.h"
#include "physics/HingeJoint.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "tests/collision/CollisionTestSupport.h"

namespace {

enum MachineKind { kHingedBridge, kBallLinkBridge, kPlatform, kWhip, kSpinningLog, kSwingingLog };

// Each as the stages build it.
PhysicsController* Build(MachineKind kind, PhysicsWorld* w)
{
    switch (kind) {
    case kHingedBridge:
    case kBallLinkBridge:
        return new BoxChain(w, 20u, Vector3(-36, -42, -1.8f), Vector3(8, 5, 2), 50.0f, kind == kHingedBridge ? 0 : 1);
    case kPlatform:
        return ChainPlatform::Build(w, Vector3(-35, 40, 75), 20, 15, 70);
    case kWhip:
        return new ChainWhip(w, Vector3(-6, -20, 0), 10.0f);
    case kSpinningLog:
        return new SpinningLog(w, Vector3(16, 160, 25), 80, 15, 0.5f, 200);
    case kSwingingLog:
        return new SwingingLog(w, Vector3(-75, -127, 15), 30, 3, 200, 30);
    }
    return nullptr;
}

struct MachineCase
{
    const char* name;
    MachineKind kind;
    std::map<int, int> bodiesByType; // in the physics world
    int worldObjects;                // handed to the World
    int ignorePairs;
    int constraints; // in the physics world
    int controllers; // the machine and a bridge's hinges
    int chainVisuals;
};

const MachineCase kMachines[] = {
    {"hinged bridge", kHingedBridge, {{kBridgeBoxBodyType, 20}}, 20, 19, 19 * 4, 1 + 19, 0},
    {"bridge of ball links", kBallLinkBridge, {{kBridgeBoxBodyType, 20}}, 20, 19, 19, 1, 0},
    {"platform", kPlatform, {{kChainPlatformBodyType, 1}, {kChainPlatformLinkBodyType, 4}}, 5, 4, 8, 1, 4},
    // The handle and each link, and each pair of neighbouring links.
    {"whip", kWhip, {{kChainWhipHandleBodyType, 1}, {kChainWhipLinkBodyType, 12}}, 13, 12 + 10, 13, 1, 12},
    // The spinning log keeps its own log: the World is handed nothing.
    {"spinning log", kSpinningLog, {{kSpinningLogBodyType, 1}}, 0, 0, 2, 1, 0},
    {"swinging log", kSwingingLog, {{kSwingingLogBodyType, 1}, {kSwingingLogAnchorBodyType, 2}}, 3, 0, 4, 1, 2},
};

std::vector<Object*> ObjectsOf(const PhysicsWorld& world)
{
    std::vector<Object*> objects;
    for (RigidBody* body : world.GetBodies()) objects.push_back(dynamic_cast<Object*>(body));
    return objects;
}

} // namespace

// Each machine three times: without a World (it keeps its bodies), taken
// apart mid-stage (the World keeps them) and after the World's clear. With a
// renderer every drawable is queued, the bodies' and the chain visuals';
// however the machine goes, each is given back once and the next prune
// empties the lists (a second give-back would be a double delete).
TEST(Machines, BuildTheirPartsAndLeaveNothingOfThemWhenTakenApart)
{
    enum Order { kNoWorld, kMidStage, kAfterStageClear };
    const char* const orderNames[] = {"no World", "mid-stage", "after the stage clear"};
    VideoSettings video;
    Renderer renderer(video);
    Renderer* previous = gRenderer;
    gRenderer = &renderer;
    const RenderLists& lists = renderer.GetRenderLists();
    for (const MachineCase& c : kMachines) {
        for (Order order : {kNoWorld, kMidStage, kAfterStageClear}) {
            SCOPED_TRACE(std::string(c.name) + ", " + orderNames[order]);
            CollisionTestWorld scene;
            auto ground = MakeFlatTerrain(0.0f, 256.0f);
            scene.world.AddHeightmap(ground.get());
            ProbeController playerPush;
            scene.world.AddController(&playerPush);
            TestStage stage(order != kNoWorld);
            std::unique_ptr<PhysicsController> machine(Build(c.kind, &scene.world));

            std::map<int, int> byType;
            const std::vector<Object*> bodies = ObjectsOf(scene.world);
            int drawables = 0;
            for (Object* body : bodies) {
                ASSERT_NE(body, nullptr);
                ++byType[body->typeId];
                // Each drawable follows its own body (the whip's handle keeps
                // its upright pose, so only the position is checked).
                for (MeshInstance* mesh : body->meshes) {
                    EXPECT_EQ(mesh->position, &body->position);
                    ++drawables;
                }
            }
            EXPECT_EQ(byType, c.bodiesByType);
            EXPECT_EQ(CountSymmetricIgnorePairs(bodies), c.ignorePairs);
            EXPECT_EQ(static_cast<int>(scene.world.GetConstraints().size()), c.constraints);
            EXPECT_EQ(static_cast<int>(scene.world.GetControllers().size()), 1 + c.controllers);
            EXPECT_EQ(scene.world.GetControllers().back(), machine.get()) << "the machine registers after its joints";
            // Every body but the swinging log's hidden anchor balls is drawn.
            EXPECT_EQ(drawables, static_cast<int>(bodies.size()) - byType[kSwingingLogAnchorBodyType]);
            EXPECT_EQ(lists.Count(kOpaqueList), drawables);
            EXPECT_EQ(lists.Count(kTransparentList), c.chainVisuals);
            if (order != kNoWorld) {
                EXPECT_EQ(static_cast<int>(stage.objects.size()), c.worldObjects);
                EXPECT_EQ(static_cast<int>(stage.updatables.size()), c.chainVisuals);
            }

            machine->SetActive(true);
            scene.Run(20);
            if (order == kAfterStageClear) stage.ClearLikeWorld(scene.world);
            machine.reset();
            EXPECT_TRUE(scene.world.GetConstraints().empty());
            ASSERT_EQ(scene.world.GetControllers().size(), 1u);
            EXPECT_EQ(scene.world.GetControllers()[0], &playerPush);
            // What the World holds stays until its clear; nothing else does.
            EXPECT_EQ(scene.world.GetBodies().size(), stage.objects.size());
            // Stepping on touches nothing that went with the machine.
            scene.Run(5);
            stage.ClearLikeWorld(scene.world);
            renderer.PruneRenderLists();
            EXPECT_EQ(lists.Count(kOpaqueList) + lists.Count(kTransparentList), 0);
        }
    }
    gRenderer = previous;
}

namespace {

struct BreakCase
{
    const char* name;
    unsigned boxes;
    int mode;
    unsigned seed;
    std::vector<int> opened; // joints disabled, in joint order
    int lastWoken;           // boxes 1 to this one are woken
    int thirdDraw;           // the generator's next value: both draws taken
};

} // namespace

// The draws of the game's generator for each seed (its Windows sequence):
// 1 -> 41, 18467, 6334; 2 -> 45, 29216, 24198; 5 -> 54, 28693, 12255;
// 6 -> 58, 6673, 30119; 8 -> 64, 28170, 311; 10 -> 71, 16899, 3272.
// The first gives the joints opened towards the start, the second those
// towards the end, each as draw % 3 + 1 counted from the middle joint.
TEST(BoxChain, BreakOpensThePredictedJointsAroundTheMiddle)
{
    const BreakCase cases[] = {
        {"three each side", 20, 0, 1, {7, 8, 9, 10, 11}, 17, 6334},
        {"one before, three after", 20, 0, 2, {9, 10, 11}, 17, 24198},
        {"one before, two after", 20, 0, 5, {9, 10}, 17, 12255},
        {"two before, one after", 20, 0, 8, {8, 9}, 17, 311},
        {"three before, one after", 20, 0, 10, {7, 8, 9}, 17, 3272},
        // Short bridges: the count runs past the ends and stops at the last joint.
        {"four boxes, three each side", 4, 0, 1, {0, 1, 2}, 1, 6334},
        {"two boxes, one joint", 2, 0, 6, {0}, -1, 30119},
        {"one box, no joint", 1, 0, 1, {}, -1, 6334},
        // Ball links are no joints: nothing opens, nothing wakes.
        {"ball links", 20, 1, 1, {}, -1, 6334},
    };
    for (const BreakCase& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsWorld world;
        TestStage stage(false);
        BoxChain bridge(&world, c.boxes, Vector3(), Vector3(8, 5, 2), 50.0f, c.mode);
        for (Box* box : bridge.GetBoxes()) box->SetFreezeState(1, 1.0f);

        srand(c.seed);
        bridge.Break();
        EXPECT_EQ(rand(), c.thirdDraw);

        std::vector<int> opened;
        for (size_t i = 0; i < bridge.GetJoints().size(); ++i) {
            if (!bridge.GetJoints()[i]->active) opened.push_back(static_cast<int>(i));
        }
        EXPECT_EQ(opened, c.opened);
        for (ConstraintPoint* link : bridge.GetPointLinks()) EXPECT_TRUE(link->active);
        const std::vector<Box*>& boxes = bridge.GetBoxes();
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
            const bool woken = i >= 1 && i <= c.lastWoken;
            EXPECT_EQ(boxes[i]->IsFrozen(), !woken) << "box " << i;
        }
    }
}
