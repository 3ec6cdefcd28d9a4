// The particle systems inside the whole game under the headless framework
// host: the developer key N makes an explosion that lives, then dies and
// leaves nothing in the physics world.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "game/Lumveran.h"
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
    ASSERT_EQ(gPartManager->GetSystems().size(), 1u);
    const fParticle* explosion = gPartManager->GetSystems()[0];
    EXPECT_EQ(explosion->position.x, 173.0f);
    EXPECT_GT(explosion->CountSystems(), 50);
    EXPECT_EQ(static_cast<int>(gPhysicsWorld->GetBodies().size()), explosion->CountSystems());

    // The framework's loop has ended; the frame move goes on by hand, on the
    // same virtual clock, until well past the explosion's longest life.
    ASSERT_TRUE(Win32IsCounterVirtual());
    const double frame = 1.0 / 60.0;
    for (int i = 0; i < 600; ++i) {
        Win32AdvanceVirtualCounter(static_cast<LONGLONG>(frame * kWin32CounterFrequency));
        OnFrameMove(nullptr, 1.0 + i * frame, static_cast<float>(frame), nullptr);
    }
    EXPECT_TRUE(gPartManager->GetSystems().empty());
    EXPECT_TRUE(gPhysicsWorld->GetBodies().empty());

    // The shipped definitions read without a report.
    std::fflush(stderr);
    std::ifstream log("../Errors.txt");
    std::stringstream text;
    text << log.rdbuf();
    EXPECT_EQ(text.str().find("fPartFactory"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("fPartManager"), std::string::npos) << text.str();
}

} // namespace
