// The stage flow: stages loaded again and again with frames between them give
// back everything they built (the sanitizer build runs this too), a stage
// clear leaves the physics world with the player's push alone, a load asked
// for from inside the World's update runs once that update is over, the
// try-again reload, and the hooks through which the layers below reach the
// World.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StageTestSupport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/GameHooks.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/Box.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "objects/StageHooks.h"
#include "particles/fPartManager.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "render/Camera.h"
#include "render/FrameHooks.h"
#include "render/PointLight.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/MenuMan.h"

namespace {

class StageFlowTest : public ::testing::Test
{
protected:
    ScratchRunTree tree;
    StageRig rig;
};

std::string StageName(int stage)
{
    return "stage" + std::to_string(stage) + ".qvl";
}

TEST_F(StageFlowTest, StagesReloadedManyTimesHoldTheSameEachTime)
{
    const int kRounds = 3;
    const int kFramesBetween = 20;
    std::vector<StageCounts> first(5);
    for (int round = 0; round < kRounds; ++round) {
        for (int stage = 1; stage <= 4; ++stage) {
            SCOPED_TRACE("round " + std::to_string(round) + ", stage " + std::to_string(stage));
            gLevelLoader->LoadLevel(StageName(stage));
            ASSERT_EQ(CurrentStage(), stage);
            // Counted after a frame, once the last stage's drawables are pruned.
            rig.RunFrame();
            const StageCounts counts = CountStage();
            EXPECT_GT(counts.objects, 0);
            EXPECT_GE(counts.lights, 2);
            EXPECT_EQ(counts.heightmaps, 1);
            if (round == 0) {
                first[stage] = counts;
            } else {
                EXPECT_TRUE(counts == first[stage]) << Describe(counts) << "\nfirst time: " << Describe(first[stage]);
            }
            rig.RunSeconds(kFramesBetween / 60.0f);
        }
    }
}

TEST_F(StageFlowTest, ClearLeavesThePlayersPushAloneAndNumbersObjectsFromZero)
{
    gLevelLoader->LoadLevel(StageName(4));
    rig.RunSeconds(0.5f);
    ASSERT_GT(gPhysicsWorld->GetControllers().size(), 1u); // the cart steps as a controller
    ASSERT_FALSE(gPartManager->GetSystems().empty());      // torch flames

    gWorld->Clear(true);
    EXPECT_EQ(gWorld->GetNumObjects(), 0);
    EXPECT_TRUE(gWorld->GetUpdatables().empty());
    EXPECT_TRUE(gWorld->GetLights().empty());
    EXPECT_TRUE(gWorld->GetHeightmaps().empty());
    EXPECT_TRUE(gWorld->GetVehicles().empty());
    EXPECT_TRUE(gWorld->GetNPObjects().empty());
    EXPECT_EQ(gWorld->GetSkyBox(), nullptr);
    EXPECT_TRUE(gPhysicsWorld->GetBodies().empty());
    EXPECT_TRUE(gPhysicsWorld->GetHeightmaps().empty());
    EXPECT_TRUE(gPhysicsWorld->GetConstraints().empty());
    ASSERT_EQ(gPhysicsWorld->GetControllers().size(), 1u);
    EXPECT_EQ(gPhysicsWorld->GetControllers()[0], gObjectController);
    EXPECT_EQ(Object::GetIdCounter(), 0);
    // Kept on request; a load's clear takes them too.
    EXPECT_FALSE(gPartManager->GetSystems().empty());
    gWorld->Clear(false);
    EXPECT_TRUE(gPartManager->GetSystems().empty());

    Box* box = new Box(gPhysicsWorld, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(box->objectId, 0);
    gWorld->AddObject(box);
    rig.RunFrame();
}

TEST_F(StageFlowTest, ALoadAskedForDuringTheWorldsUpdateRunsRightAfterItInTheSameFrame)
{
    gLevelLoader->LoadLevel(StageName(1));
    int firstUpdates = 0;
    int secondUpdates = 0;
    bool sawPending = false;
    AddLoadingUpdatable("stage3.qvl", &firstUpdates, &sawPending);
    // Updated after the one that asks: the loop runs on to its end first.
    bool unused = false;
    AddLoadingUpdatable("", &secondUpdates, &unused);

    gWorld->Update(1.0f);
    EXPECT_EQ(firstUpdates, 1);
    EXPECT_EQ(secondUpdates, 1);
    EXPECT_TRUE(sawPending);
    EXPECT_FALSE(gLevelLoader->HasPendingLoad());
    EXPECT_EQ(CurrentStage(), 3);
    // Both went with stage 1; stage 3 runs on its own.
    rig.RunFrame();
    EXPECT_EQ(firstUpdates, 1);
    EXPECT_EQ(secondUpdates, 1);
    EXPECT_EQ(CurrentStage(), 3);
}

TEST_F(StageFlowTest, TryAgainReloadsTheStageOnlyFromTheReplayMenu)
{
    // The menus are pages of the HUD.
    HUDManager hud;
    gHUDManager = &hud;
    MenuMan menus;
    gMenuMan = &menus;
    menus.Init();
    gLevelLoader->LoadLevel(StageName(2));
    const Vector3 start = gWorld->GetObject(0)->position;
    const Vector3 away(0.0f, 0.0f, 1000.0f);
    gWorld->GetObject(0)->SetPosition(away);

    menus.OpenMenu(kMenuPause);
    EventDispatcher::SendMessage(gLevelLoader, kMsgRetryStage, nullptr);
    EXPECT_EQ(gWorld->GetObject(0)->position, away);
    EXPECT_EQ(menus.GetCurrentMenuId(), kMenuPause);

    gRenderer->GetCamera()->SetMouseLookEnabled(false);
    menus.OpenMenu(kMenuReplay);
    gEventDispatcher->PostMessage(kMsgRetryStage, nullptr);
    gEventDispatcher->ProcessQueue();
    EXPECT_EQ(menus.GetCurrentMenuId(), kMenuPause);
    EXPECT_TRUE(gRenderer->GetCamera()->IsMouseLookEnabled());
    EXPECT_EQ(CurrentStage(), 2);
    // The stage anew: its bodies stand where the file puts them.
    EXPECT_EQ(gWorld->GetObject(0)->position, start);
    gMenuMan = nullptr;
    gHUDManager = nullptr;
}

TEST_F(StageFlowTest, TheCameraTakesTheStagesViewAndFollowsObjectZero)
{
    gLevelLoader->LoadLevel(StageName(4));
    const Camera* camera = gRenderer->GetCamera();
    EXPECT_FLOAT_EQ(camera->GetClampedAngle(), -0.3f);
    EXPECT_FLOAT_EQ(camera->GetAngle(), 0.0f);
    EXPECT_FLOAT_EQ(camera->GetDistance(), 40.0f);
    // On the cart stage the camera follows object 0, the cart.
    const Vector3 target = camera->GetTargetPosition();
    EXPECT_EQ(target, gWorld->GetObject(0)->position);
}

TEST_F(StageFlowTest, TheLayersBelowReachTheWorldThroughTheHooks)
{
    gLevelLoader->LoadLevel(StageName(1));
    StageHooks& stage = StageHookSlot::Get();
    FrameHooks& frame = FrameHookSlot::Get();

    Box* box = new Box(gPhysicsWorld, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_TRUE(stage.AddObject(box));
    EXPECT_EQ(gWorld->GetObjects().back(), box);
    NPObj* scenery = new NPObj();
    EXPECT_TRUE(stage.AddUpdatable(scenery));
    EXPECT_EQ(gWorld->GetUpdatables().back(), scenery);
    const float colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    PointLight* light = stage.AddLight(&box->position, &box->GetOrientation(), colour, 10.0f, 0.2f, 0.15f);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(gWorld->GetLights().back(), light);
    EXPECT_EQ(light->baseAttenuation, 10.0f);
    const Vector3 at(0.0f, 0.0f, 0.0f);
    stage.CreateSceneObject(25, &at, &Matrix3::Identity(), 1.0f, 1.0f, 1.0f, 5);
    EXPECT_EQ(gWorld->GetNPObjects().back()->GetType(), 25);

    EXPECT_EQ(frame.GetLights(), &gWorld->GetLights());
    EXPECT_EQ(frame.GetTerrains(), &gWorld->GetHeightmaps());
    FrameCharacter character;
    ASSERT_TRUE(frame.GetCharacter(character));
    Object* first = gWorld->GetObject(0);
    EXPECT_EQ(character.position, &first->position);
    EXPECT_EQ(character.instance, first->meshes.front());
    EXPECT_TRUE(character.idleAnimation);

    gWorld->Clear(true);
    EXPECT_FALSE(frame.GetCharacter(character));
    RemoveGameHooks();
    // Without the game, a builder keeps what it made.
    Box* kept = new Box(gPhysicsWorld, 1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(StageHookSlot::Get().AddObject(kept));
    delete kept;
    InstallGameHooks();
}

} // namespace
