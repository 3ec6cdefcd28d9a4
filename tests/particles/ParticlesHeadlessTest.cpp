// The particle systems inside the whole game under the headless framework
// host: the developer key N makes an explosion that lives beside the stage's
// own systems, then dies and leaves nothing in the physics world.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "game/Lumveran.h"
#include "game/World.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/PhysicsWorld.h"

namespace {

// One run of WinMain per process: it registers the exit routine.
TEST(ParticlesInTheGame, KeyNMakesAnExplosionThatLivesAndDies)
{
    DXUTHeadlessEnable(1.0 / 60.0, 12);
    DXUTHeadlessScheduleKey(4, 'N', true);
    DXUTHeadlessScheduleKey(5, 'N', false);
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);

    ASSERT_NE(gPartFactory, nullptr);
    EXPECT_NE(gPartFactory->FindDefinition("Explosion"), nullptr);
    ASSERT_NE(gPartManager, nullptr);
    // The stage's own systems (torch flames, mist) run beside it.
    const auto isExplosion = [](const fParticle* system) { return system->position.x == 173.0f; };
    const auto& systems = gPartManager->GetSystems();
    ASSERT_EQ(std::count_if(systems.begin(), systems.end(), isExplosion), 1);
    const fParticle* explosion = *std::find_if(systems.begin(), systems.end(), isExplosion);
    EXPECT_GT(explosion->CountSystems(), 50);
    // Every particle is a body of the physics world beside the stage's objects.
    const auto particleBodies = [] {
        int live = 0;
        for (const fParticle* system : gPartManager->GetSystems()) live += system->CountSystems();
        return live;
    };
    EXPECT_EQ(static_cast<int>(gPhysicsWorld->GetBodies().size()), gWorld->GetNumObjects() + particleBodies());

    // The framework's loop has ended; the frame move goes on by hand, on the
    // same virtual clock, until well past the explosion's longest life.
    ASSERT_TRUE(Win32IsCounterVirtual());
    const double frame = 1.0 / 60.0;
    for (int i = 0; i < 600; ++i) {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(frame * kWin32CounterFrequency));
        OnFrameMove(nullptr, 1.0 + i * frame, static_cast<float>(frame), nullptr);
    }
    EXPECT_EQ(std::count_if(systems.begin(), systems.end(), isExplosion), 0);
    EXPECT_EQ(static_cast<int>(gPhysicsWorld->GetBodies().size()), gWorld->GetNumObjects() + particleBodies());

    // The shipped definitions read without a report.
    std::fflush(stderr);
    std::ifstream log("../Errors.txt");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str().find("fPartFactory"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("fPartManager"), std::string::npos) << text.str();
}

} // namespace
