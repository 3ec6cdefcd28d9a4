// The stack of open menus: the start-up order and the splash timers, what
// opening and closing does to the stack, the draw-list chains and the
// camera, the options, credits, new game and quit messages, and the toggle
// boxes.
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "core/Clock.h"
#include "render/Camera.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"
#include "ui/ScrollingCredits.h"

namespace {

class Stack : public UiFixture
{
protected:
    // One frame move of the menus: the clock, the top menu's timer, delivery.
    void Frame(float ms)
    {
        TickClock(ms);
        gMenuMan->Update();
        Deliver();
    }
    std::vector<int> OpenMenus() { return std::vector<int>(gMenuMan->GetStack().begin(), gMenuMan->GetStack().end()); }
    // The chain a stage's load selects (the same file at every stage without a device).
    std::string StageChain()
    {
        gRenderer->ClearDrawLists();
        gRenderer->SelectLevelDrawList(1);
        return ChainNames().at(0);
    }
};

TEST_F(Stack, StartUpOpensTheSplashesOverTheMainMenuAndTheirTimersRunOnGameTime)
{
    StartUi(640, 480);
    gMenuMan->OpenMenu(kMenuMain);
    gMenuMan->OpenMenu(kMenuImageSplash);
    gMenuMan->OpenMenu(kMenuLogoSplash);
    gMenuMan->GetCurrentMenu()->StartTimer();
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuMain, kMenuImageSplash, kMenuLogoSplash}));
    EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuLogoSplash));
    ASSERT_TRUE(gHUDManager->IsPointerVisible());
    EXPECT_EQ(Pointer()->GetX(), 0);
    EXPECT_EQ(Pointer()->GetY(), 0);
    EXPECT_TRUE(MenuOf(kMenuLogoSplash).IsArmed());
    EXPECT_FALSE(MenuOf(kMenuImageSplash).IsArmed());

    // At half speed 16 ms frames give 8 ms of game time: 3000 ms take 375
    // frames, and the countdown must go below 0, one frame more.
    Clock::SetTimeScale(0.5f);
    for (int i = 0; i < 375; ++i) Frame(16.0f);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuLogoSplash);
    Frame(16.0f);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuImageSplash);
    EXPECT_TRUE(MenuOf(kMenuImageSplash).IsArmed());
    EXPECT_FALSE(MenuOf(kMenuLogoSplash).IsArmed());
    EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuImageSplash));

    Clock::SetTimeScale(0.0f);
    for (int i = 0; i < 187; ++i) Frame(16.0f);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuImageSplash);
    Frame(16.0f);
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuMain}));
    // The main menu has no timer: it stays.
    for (int i = 0; i < 400; ++i) Frame(16.0f);
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuMain);
    EXPECT_TRUE(gHUDManager->IsPointerVisible());
}

TEST_F(Stack, ReopeningTheTopPushesNothingAndClosingNothingChangesNothing)
{
    StartUi(640, 480);
    gMenuMan->CloseMenu();
    gMenuMan->CloseAllMenus();
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(Pointer(), nullptr);
    EXPECT_EQ(gHUDManager->GetActiveHUD(), 0u);

    gMenuMan->OpenMenu(kMenuOptions);
    gMenuMan->OpenMenu(kMenuOptions);
    gMenuMan->OpenMenu(kMenuMain);
    gMenuMan->OpenMenu(kMenuMain);
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuOptions, kMenuMain}));
    // The main menu's chain was made again, not added twice.
    EXPECT_EQ(ChainNames(), std::vector<std::string>({"Blur"}));
    // Ids that name no menu are no menu.
    gMenuMan->OpenMenu(kMenuNone);
    gMenuMan->OpenMenu(kMenuCount + 1);
    EXPECT_EQ(OpenMenus().size(), 2u);

    GetCamera().SetMouseLookEnabled(false);
    gMenuMan->CloseAllMenus();
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_FALSE(gHUDManager->IsPointerVisible());
    EXPECT_EQ(gHUDManager->GetActiveHUD(), 0u);
    EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
    EXPECT_EQ(gMenuMan->GetCurrentMenu(), nullptr);
}

TEST_F(Stack, OptionsOverThePauseMenuAndBackThenResumeGivesTheStagesChainBack)
{
    StartUi(800, 600);
    const std::string stageChain = StageChain();

    gMenuMan->OpenMenu(kMenuPause);
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
    // The blur goes behind the stage's chain: only the first is drawn.
    EXPECT_EQ(ChainNames(), std::vector<std::string>({stageChain, "Blur"}));

    ClickItem(ItemOf(kMenuPause, 4)); // options
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuPause, kMenuOptions}));
    EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuOptions));
    EXPECT_EQ(ChainNames(), std::vector<std::string>({stageChain, "Blur"}));
    ClickItem(ItemOf(kMenuOptions, 5)); // back
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuPause}));
    EXPECT_EQ(gHUDManager->GetActiveHUD(), static_cast<unsigned>(kMenuPause));

    ClickItem(ItemOf(kMenuPause, 2)); // resume
    EXPECT_TRUE(OpenMenus().empty());
    // The chain of the stage that is loaded, stage 1 included.
    EXPECT_EQ(ChainNames(), std::vector<std::string>({stageChain}));
    EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
    EXPECT_FALSE(gHUDManager->IsPointerVisible());
}

TEST_F(Stack, MainMenuBlursInFrontAndGivesTheStagesChainAndItsAnglesBackOnClose)
{
    StartUi(800, 600);
    const std::string stageChain = StageChain();
    gMenuMan->OpenMenu(kMenuMain);
    EXPECT_EQ(ChainNames(), std::vector<std::string>({"Blur"}));
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
    EXPECT_TRUE(GetCamera().IsAutoRotating());

    // Stages loaded under the main menu (start-up, then a developer key):
    // each chain takes the place behind the blur.
    gRenderer->SelectLevelDrawList(1);
    gRenderer->SelectLevelDrawList(3);
    EXPECT_EQ(ChainNames(), std::vector<std::string>({"Blur", stageChain}));
    gHUDManager->savedYaw = 0.5f;
    gHUDManager->savedPitch = -0.25f;
    GetCamera().SetAngle(2.0f);
    GetCamera().SetClampedAngle(1.0f);

    ClickItem(ItemOf(kMenuMain, 3)); // new game
    EXPECT_TRUE(OpenMenus().empty());
    EXPECT_EQ(ChainNames(), std::vector<std::string>({stageChain}));
    EXPECT_FLOAT_EQ(GetCamera().GetAngle(), 0.5f);
    EXPECT_FLOAT_EQ(GetCamera().GetClampedAngle(), -0.25f);
    EXPECT_TRUE(GetCamera().IsMouseLookEnabled());
    EXPECT_FALSE(GetCamera().IsAutoRotating());
}

TEST_F(Stack, CreditsRiseWrapAndCloseOnAnyClick)
{
    StartUi(800, 600);
    gMenuMan->OpenMenu(kMenuMain);
    ClickItem(ItemOf(kMenuMain, 6));
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuMain, kMenuCredits}));
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
    ScrollingCredits* credits = dynamic_cast<ScrollingCredits*>(&ItemOf(kMenuCredits, 0));
    ASSERT_NE(credits, nullptr);
    EXPECT_FLOAT_EQ(credits->GetOffset(), ScrollingCredits::kStartOffset);

    // 60 ms frames: a hundredth of the screen per frame, half the screen in 100.
    auto frame = [&] {
        TickClock(60.0f);
        gHUDManager->Update();
    };
    for (int i = 0; i < 200; ++i) frame();
    EXPECT_NEAR(credits->GetOffset(), 0.0f, 1e-3f);
    EXPECT_FLOAT_EQ(credits->GetQuad()->world._42, credits->GetOffset());
    EXPECT_FLOAT_EQ(credits->GetQuad()->world._11, 1.0f);
    int wrappedAt = -1;
    for (int i = 200; i < 450 && wrappedAt < 0; ++i) {
        frame();
        if (credits->GetOffset() == ScrollingCredits::kStartOffset) wrappedAt = i;
    }
    EXPECT_NEAR(wrappedAt, 400, 2);

    // Anywhere, even with the hot spot off the screen.
    MoveMouse(-10000, -10000);
    LeftButton(kPressPressed);
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuMain}));
}

TEST_F(Stack, NoStartsOverOnStageOneBehindTheMainMenusBlur)
{
    StartUi(800, 600);
    std::vector<std::string> chainsAtLoad;
    hooks.onLoad = [&] { chainsAtLoad = ChainNames(); };
    StageChain();
    gMenuMan->OpenMenu(kMenuReplay);
    ClickItem(ItemOf(kMenuReplay, 11)); // "no"
    EXPECT_EQ(OpenMenus(), std::vector<int>({kMenuMain}));
    EXPECT_EQ(hooks.loads, std::vector<std::string>({"stage1.qvl"}));
    // The load comes after the blur went in front, so its chain goes behind it.
    EXPECT_EQ(chainsAtLoad, std::vector<std::string>({"Blur"}));
    EXPECT_FALSE(GetCamera().IsMouseLookEnabled());
    EXPECT_TRUE(GetCamera().IsAutoRotating());
}

TEST_F(Stack, ToggleBoxesPostTheirEventAndShowWhatTheReceiverDecides)
{
    StartUi(800, 600);
    Watch({kMsgToggleInvertX, kMsgReplayPlay, kMsgReplayFreeze});
    gMenuMan->OpenMenu(kMenuOptions);
    ToggleBoxItemHUD* box = dynamic_cast<ToggleBoxItemHUD*>(&ItemOf(kMenuOptions, 6));
    ASSERT_NE(box, nullptr);
    // The box posts the same id in either state; the camera decides.
    ClickItem(*box);
    EXPECT_EQ(Seen(), std::vector<int>({kMsgToggleInvertX}));
    EXPECT_FALSE(box->GetFlag());
    box->SetChecked();
    EXPECT_EQ(box->GetTexture(), 64);
    ClickItem(*box);
    EXPECT_EQ(Seen(), std::vector<int>({kMsgToggleInvertX, kMsgToggleInvertX}));
    EXPECT_EQ(box->GetTexture(), 64);
    box->SetUnchecked();
    EXPECT_EQ(box->GetTexture(), 63);
    EXPECT_TRUE(box->GetFlag());

    // The replay's toggle: pause first (freeze), then play.
    gMenuMan->CloseMenu();
    gMenuMan->OpenMenu(kMenuReplay);
    ToggleBoxItemHUD* playPause = dynamic_cast<ToggleBoxItemHUD*>(&ItemOf(kMenuReplay, 5));
    ASSERT_NE(playPause, nullptr);
    ClickItem(*playPause);
    EXPECT_EQ(playPause->GetTexture(), 23);
    ClickItem(*playPause);
    EXPECT_EQ(playPause->GetTexture(), 22);
    EXPECT_EQ(Seen(), std::vector<int>({kMsgToggleInvertX, kMsgToggleInvertX, kMsgReplayFreeze, kMsgReplayPlay}));
}

} // namespace
