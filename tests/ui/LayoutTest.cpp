// Layout and pointer: where the tables put the items at even and odd back
// buffers, how the pointer follows the mouse and where its hot spot counts,
// which image it shows, when a click posts, and the HUD pages' bounds.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <tuple>

#include "DXUTHeadless.h"
#include "UiTestSupport.h"
#include "core/EventDispatcher.h"
#include "render/MeshInstance.h"
#include "ui/HUD.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"

namespace {

class Layout : public UiFixture
{
};

struct Rect
{
    int x, y, w, h;
};

struct GeometryCase
{
    int width, height;
    int menu, item;
    Rect pixels;
    float centreX, centreY, sizeX, sizeY;
};

TEST_F(Layout, ItemsSitWhereTheTablesSayAtEvenAndOddBackBuffers)
{
    // The odd back buffer takes integer halves: 1023 / 2 = 511, 767 / 2 = 383.
    const GeometryCase cases[] = {
        {800, 600, 1, 3, {339, 300, 122, 30}, 0.0f, 0.05f, 0.1525f, 0.05f},                      // new game
        {800, 600, 1, 1, {0, 525, 800, 75}, 0.0f, 262.0f / 300, 1.0f, 0.125f},                   // bottom bar
        {800, 600, 2, 7, {731, 465, 32, 32}, 347.0f / 400, 181.0f / 300, 0.04f, 32.0f / 600},    // slow motion
        {800, 600, 2, 10, {60, 478, 40, 25}, -320.0f / 400, 190.0f / 300, 0.05f, 25.0f / 600},   // yes
        {800, 600, 5, 6, {324, 270, 24, 20}, -64.0f / 400, -20.0f / 300, 0.03f, 20.0f / 600},    // invert x box
        {1023, 767, 1, 3, {450, 383, 122, 30}, 0.0f, 15.0f / 383, 122.0f / 1023, 30.0f / 767},   // new game
        {1023, 767, 3, 0, {0, 0, 1023, 767}, 0.0f, 0.0f, 1.0f, 1.0f},                            // splash bar
        {1023, 767, 2, 12, {421, 632, 180, 46}, 0.0f, 272.0f / 383, 180.0f / 1023, 46.0f / 767}, // mouse hint
        {1023, 767, 7, 3, {481, 443, 60, 30}, 0.0f, 75.0f / 383, 60.0f / 1023, 30.0f / 767},     // pause quit
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " menu " << c.menu << " item " << c.item);
        StartUi(c.width, c.height);
        MenuItemHUD& item = ItemOf(c.menu, c.item);
        EXPECT_EQ(std::make_tuple(item.GetLeft(), item.GetTop(), item.GetWidth(), item.GetHeight()),
                  std::make_tuple(c.pixels.x, c.pixels.y, c.pixels.w, c.pixels.h));
        EXPECT_FLOAT_EQ(item.position.x, c.centreX);
        EXPECT_FLOAT_EQ(item.position.y, c.centreY);
        EXPECT_FLOAT_EQ(item.size.x, c.sizeX);
        EXPECT_FLOAT_EQ(item.size.y, c.sizeY);
        // The quad: scaled by the size, moved to the centre with y turned up.
        item.Update();
        const D3DXMATRIX& world = item.GetQuad()->world;
        EXPECT_FLOAT_EQ(world._11, c.sizeX);
        EXPECT_FLOAT_EQ(world._22, c.sizeY);
        EXPECT_FLOAT_EQ(world._33, 1.0f);
        EXPECT_FLOAT_EQ(world._41, c.centreX);
        EXPECT_FLOAT_EQ(world._42, -c.centreY);
        TearDown();
        SetUp();
    }
}

struct PointerStep
{
    int dx, dy;
    int x, y;
    float px, py;
};

TEST_F(Layout, PointerFollowsTheMouseWithinTheBackBuffer)
{
    StartUi(800, 600);
    gHUDManager->ShowMousePointer();
    MousePointer* pointer = Pointer();
    ASSERT_NE(pointer, nullptr);
    EXPECT_EQ(pointer->GetX(), 0);
    EXPECT_FLOAT_EQ(pointer->position.x, -1.0f);
    EXPECT_FLOAT_EQ(pointer->size.x, 32.0f / 800);
    EXPECT_FLOAT_EQ(pointer->size.y, 32.0f / 600);
    const PointerStep steps[] = {
        {400, 300, 400, 300, 0.0f, 0.0f},
        {1000, 1000, 800, 600, 1.0f, 1.0f}, // W and H themselves are allowed
        {-5000, -1, 0, 599, -1.0f, 299.0f / 300},
        {INT_MAX, INT_MIN, 800, 0, 1.0f, -1.0f}, // no wrap round
        {-1, 1, 799, 1, 399.0f / 400, -299.0f / 300},
    };
    for (const PointerStep& s : steps) {
        MoveMouse(s.dx, s.dy);
        EXPECT_EQ(std::make_pair(pointer->GetX(), pointer->GetY()), std::make_pair(s.x, s.y));
        EXPECT_FLOAT_EQ(pointer->position.x, s.px);
        EXPECT_FLOAT_EQ(pointer->position.y, s.py);
    }
    // Buttons move nothing.
    LeftButton(kPressPressed);
    EXPECT_EQ(pointer->GetX(), 799);
    // Hidden, it keeps its place; shown again it is the same pointer.
    gHUDManager->HideMousePointer();
    EXPECT_FALSE(gHUDManager->IsPointerVisible());
    gHUDManager->ShowMousePointer();
    EXPECT_EQ(Pointer(), pointer);
    EXPECT_EQ(pointer->GetY(), 1);
}

TEST_F(Layout, HotSpotCountsOnlyStrictlyInside)
{
    StartUi(800, 600);
    gHUDManager->ShowMousePointer();
    MoveMouse(116, 116); // hot spot (100, 100)
    const struct
    {
        Rect rect;
        bool over;
    } cases[] = {
        {{100, 100, 1, 1}, false},
        {{99, 99, 2, 2}, true},
        {{99, 99, 1, 1}, false},
        {{99, 99, 2, 1}, false},
        {{0, 0, 800, 600}, true},
        {{101, 50, 5, 100}, false},
        {{INT_MAX - 1, 0, INT_MAX, 600}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Pointer()->IsOver(c.rect.x, c.rect.y, c.rect.w, c.rect.h), c.over)
            << c.rect.x << "," << c.rect.y << " " << c.rect.w << "x" << c.rect.h;
    }
}

TEST_F(Layout, HoverImageFollowsTheFirstItemWithAnEventUnderThePointer)
{
    StartUi(800, 600);
    gMenuMan->OpenMenu(kMenuMain);
    MousePointer* pointer = Pointer();
    ASSERT_NE(pointer, nullptr);
    // The items subscribed before the pointer: within one motion they see
    // where it was, so the move onto "new game" still shows the arrow.
    MoveMouse(400 + 16, 315 + 16);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerTexture);
    EXPECT_FALSE(pointer->IsHovering());
    // The next motion, a frame later, finds it there.
    gHUDManager->Update();
    MoveMouse(1, 0);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerHoverTexture);
    EXPECT_TRUE(pointer->IsHovering());
    // Until the frame's update forgets it, the hover stays whatever moves.
    MoveMouse(0, -60);
    MoveMouse(0, -1);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerHoverTexture);
    // Then over the title, which has no event: the arrow.
    gHUDManager->Update();
    EXPECT_FALSE(pointer->IsHovering());
    MoveMouse(0, 1);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerTexture);

    // Main's "options" button under the options menu, clear of its items:
    // the menu below does not hover.
    gMenuMan->OpenMenu(kMenuOptions);
    MoveMouse(360 + 16 - pointer->GetX(), 345 + 16 - pointer->GetY());
    gHUDManager->Update();
    MoveMouse(1, 0);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerTexture);
    gMenuMan->CloseMenu();
    gHUDManager->Update();
    MoveMouse(1, 0);
    EXPECT_EQ(pointer->GetTexture(), HUDManager::kPointerHoverTexture);
}

TEST_F(Layout, ClickPostsOnlyOnAnEventItemOfTheTopMenuUnderTheHotSpot)
{
    StartUi(800, 600);
    Watch({kMsgCloseMenu, kMsgOpenOptions, kMsgQuitGame, kMsgOpenCredits});
    gMenuMan->OpenMenu(kMenuMain);
    // The full-screen splash with the pointer at its start, (0, 0): the hot
    // spot (-16, -16) is off the screen, so a click does nothing.
    gMenuMan->OpenMenu(kMenuLogoSplash);
    LeftButton(kPressPressed);
    EXPECT_TRUE(Seen().empty());
    gMenuMan->CloseMenu();
    gMenuMan->OpenMenu(kMenuOptions);
    // Main's "new game" lies under options' "invert y" picture: nothing.
    ClickItem(ItemOf(kMenuMain, 3));
    EXPECT_TRUE(Seen().empty());
    // Held and released states are no click.
    LeftButton(kPressHeld);
    LeftButton(kPressReleased);
    EXPECT_TRUE(Seen().empty());
    // Another button is no click either.
    Post(kMsgMouseButton, new fMouseButtonState(kPressPressed, 1));
    EXPECT_TRUE(Seen().empty());
    // "back" closes the options; then "new game" answers.
    ClickItem(ItemOf(kMenuOptions, 5));
    EXPECT_EQ(Seen(), std::vector<int>({kMsgCloseMenu}));
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuMain);
    ClickItem(ItemOf(kMenuMain, 3));
    EXPECT_EQ(Seen(), std::vector<int>({kMsgCloseMenu, kMsgCloseMenu}));
    EXPECT_EQ(gMenuMan->GetCurrentMenuId(), kMenuNone);
}

TEST_F(Layout, PagesOutOfRangeOrClearedAreReportedAndShowTheEmptyPage)
{
    StartUi(800, 600);
    EXPECT_EQ(gHUDManager->GetPageCount(), 8u);
    gHUDManager->SetActiveHUD(kMenuOptions);
    testing::internal::CaptureStderr();
    gHUDManager->SetActiveHUD(8);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Invalid input to SetActiveHUD\nFailed in file: HUDManager\nOn line: 90\n");
    EXPECT_EQ(gHUDManager->GetActiveHUD(), 0u);

    // A cleared page leaves its slot: updating or drawing it does nothing,
    // and it cannot be made active.
    gHUDManager->SetActiveHUD(kMenuCredits);
    gHUDManager->ClearHUD(kMenuCredits);
    EXPECT_EQ(gHUDManager->GetPage(kMenuCredits), nullptr);
    EXPECT_EQ(gHUDManager->GetPageCount(), 8u);
    gHUDManager->Update();
    gHUDManager->Render();
    testing::internal::CaptureStderr();
    gHUDManager->SetActiveHUD(kMenuCredits);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Invalid input to SetActiveHUD"), std::string::npos);
    EXPECT_EQ(gHUDManager->GetActiveHUD(), 0u);
}

TEST_F(Layout, ABackBufferWithoutSizeLaysOutWithoutDividingByZero)
{
    // No window and no device: the framework describes a 0 x 0 back buffer.
    gEventDispatcher = new EventDispatcher();
    gHUDManager = new HUDManager();
    gMenuMan = new MenuMan();
    gMenuMan->Init();
    gMenuMan->OpenMenu(kMenuMain);
    MoveMouse(5, 5);
    for (int i = 0; i < MenuOf(kMenuMain).GetItemCount(); ++i) {
        const MenuItemHUD& item = ItemOf(kMenuMain, i);
        EXPECT_TRUE(std::isfinite(item.position.x) && std::isfinite(item.position.y)) << "item " << i;
        EXPECT_TRUE(std::isfinite(item.size.x) && std::isfinite(item.size.y)) << "item " << i;
    }
    EXPECT_TRUE(std::isfinite(Pointer()->position.x) && std::isfinite(Pointer()->position.y));
    EXPECT_EQ(Pointer()->GetX(), 1);
}

} // namespace
