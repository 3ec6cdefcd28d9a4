// The particle definition reader, and what its definitions do once alive: the
// input is the only file of a particle folder read as the game reads its own,
// then a few of the types it defined are started and run for some frames of
// the physics world, with time held, short steps and long ones. Afterwards
// every particle is gone from the world with its body.
#include "FuzzSupport.h"

#include <string>

#include "core/Vector3.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/PhysicsWorld.h"

namespace {

// Types started per input, and the frames they run (seconds; 0 holds time).
const size_t kTypesStarted = 6;
const float kFrameSteps[] = {0.0f, 0.02f, 0.05f, 0.1f, 0.25f, 0.5f};
// The physics step costs time with every body; a family beyond this many is
// left to the particle layer alone (the live limit holds it), so a run stays short.
const int kStepPhysicsUpTo = 2000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static PhysicsWorld* const world = gPhysicsWorld = new PhysicsWorld();
    static const std::string folder = FuzzScratchFolder("Particles");
    WriteFuzzFile("Particles/input.xml", data, size);

    gPartFactory = new fPartFactory();
    gPartFactory->RegisterBehaviours();
    gPartFactory->LoadDefinitionsFrom(folder);
    gPartManager = new fPartManager();

    size_t started = 0;
    for (const auto& entry : gPartFactory->GetDefinitions()) {
        if (started++ == kTypesStarted) break;
        const Vector3 position(1.0f, 2.0f, 3.0f), velocity(0.0f, 0.0f, 1.0f);
        const float scale = 1.0f;
        gPartManager->AddSystem(gPartFactory->CreateSystem(entry.first, &position, &scale, &velocity));
    }
    for (float step : kFrameSteps) {
        gPartManager->Update(&step);
        if (fParticle::GetLiveCount() <= kStepPhysicsUpTo) world->Update(step);
    }

    delete gPartManager;
    gPartManager = nullptr;
    FUZZ_REQUIRE(world->GetBodies().empty() && fParticle::GetLiveCount() == 0);
    delete gPartFactory;
    gPartFactory = nullptr;
    return 0;
}
