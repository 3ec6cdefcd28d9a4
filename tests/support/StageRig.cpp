#include "StageRig.h"

#include "core/EventDispatcher.h"
#include "core/Stage.h"
#include "game/GameHooks.h"
#include "game/LevelLoader.h"
#include "game/Player.h"
#include "game/World.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "physics/RigidBody.h"
#include "physics/collision/CollisionDetection.h"
#include "render/Renderer.h"
#include "ui/MenuMan.h"
#include "ui/ReplaySystem.h"

StageRig::StageRig(const StageOptions& options)
{
    // As WinMain does first: the machines hand their bodies to the World
    // through the hooks.
    InstallGameHooks();
    gEventDispatcher = new EventDispatcher();
    gWorld = new World();
    if (options.renderer) {
        gRenderer = new Renderer(VideoSettings());
        // As the device's first reset does: the character's hierarchy, which
        // loads without a device.
        gRenderer->LoadResources();
    }
    gPhysicsWorld = new PhysicsWorld();
    gPhysicsWorld->LoadConfig(*gWorld->GetPhysicsConfig());
    InstallCollisionDetection(*gPhysicsWorld);
    gObjectController = new ObjectController(gPhysicsWorld);
    gPhysicsWorld->AddController(gObjectController);
    gPlayer = new Player();
    gLevelLoader = new LevelLoader();
    if (options.particles) {
        gPartFactory = new fPartFactory();
        gPartFactory->RegisterBehaviours();
        gPartFactory->LoadDefinitions();
        gPartManager = new fPartManager();
    }
    gReplaySystem = new cReplaySystem(3.0f);
}

template <typename T>
static void Delete(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

StageRig::~StageRig()
{
    Delete(gPartManager);
    Delete(gPartFactory);
    Delete(gWorld);
    Delete(gRenderer);
    Delete(gPhysicsWorld);
    Delete(gObjectController);
    Delete(gPlayer);
    Delete(gLevelLoader);
    Delete(gReplaySystem);
    Delete(gEventDispatcher);
    RemoveGameHooks();
}

void StageRig::RunFrame(float dt)
{
    time += dt;
    if (gPartManager != nullptr) gPartManager->Update(&dt);
    gPhysicsWorld->Update(dt);
    gWorld->Update(time);
    if (gRenderer != nullptr) gRenderer->PruneRenderLists();
}

void StageRig::RunSeconds(float seconds, float dt)
{
    const int frames = static_cast<int>(seconds / dt + 0.5f);
    for (int i = 0; i < frames; ++i) RunFrame(dt);
}

std::uint64_t HashGameState()
{
    std::uint64_t hash = 1469598103934665603ull;
    const auto mix = [&hash](const void* data, std::size_t size) {
        const unsigned char* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    };
    if (gPhysicsWorld) {
        for (const RigidBody* body : gPhysicsWorld->GetBodies()) {
            for (const Vector3* v : {&body->position, &body->linearVelocity, &body->angularVelocity})
                mix(v, sizeof(*v));
            for (int i = 0; i < 9; ++i) {
                const float f = body->GetOrientation()[i];
                mix(&f, sizeof f);
            }
        }
    }
    const int numbers[] = {CurrentStage(), gPlayer ? gPlayer->GetStageScore() : -1,
                           gPlayer ? gPlayer->GetTotalScore() : -1};
    mix(numbers, sizeof numbers);
    if (gMenuMan)
        for (int menu : gMenuMan->GetStack()) mix(&menu, sizeof menu);
    return hash;
}
