#include "UiTestSupport.h"

#include "DXUT.h"
#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "core/EventObj.h"
#include "core/Stage.h"
#include "render/Renderer.h"
#include "render/DrawListStack.h"
#include "ui/HUDManager.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/MousePointer.h"
#include "ui/ReplaySystem.h"

class MessageLog : public fEventObj
{
public:
    explicit MessageLog(std::initializer_list<int> ids_) : ids(ids_) { SubscribeMessages(); }
    void SubscribeMessages() override
    {
        for (int id : ids) gEventDispatcher->Subscribe(id, this);
    }
    void HandleMessage(int id, fMessage*) override { seen.push_back(id); }

    std::vector<int> ids;
    std::vector<int> seen;
};

namespace {
template <typename T>
void Release(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

DXUTDeviceSettings WindowedSettings()
{
    DXUTDeviceSettings settings = {};
    settings.DeviceType = D3DDEVTYPE_HAL;
    settings.AdapterFormat = D3DFMT_X8R8G8B8;
    settings.pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    settings.pp.BackBufferCount = 1;
    settings.pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    settings.pp.Windowed = TRUE; // a zero size takes the window's client size
    return settings;
}
} // namespace

void UiFixture::SetUp()
{
    DXUTHeadlessReset();
    MenuHookSlot::Install(&hooks);
    SetCurrentStage(kFirstStage);
}

void UiFixture::TearDown()
{
    // The menu manager is never deleted in the game; its menus are pages of
    // the HUD and go with it. The dispatcher goes last, as at exit.
    Release(gMenuMan);
    Release(gReplaySystem);
    Release(gHUDManager);
    Release(log);
    Release(gRenderer);
    Release(gEventDispatcher);
    MenuHookSlot::Install(nullptr);
    SetCurrentStage(kNoStage);
    Clock::SetTimeScale(0.0f);
    DXUTHeadlessReset();
}

void UiFixture::StartUi(int width_, int height_, bool buildMenus)
{
    width = width_;
    height = height_;
    DXUTHeadlessEnable();
    ASSERT_EQ(DXUTInit(false, true, false, true), S_OK);
    ASSERT_EQ(DXUTCreateWindow(L"menus", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, width, height), S_OK);
    DXUTDeviceSettings settings = WindowedSettings();
    ASSERT_EQ(DXUTCreateDeviceFromSettings(&settings), S_OK);

    Win32UseVirtualCounter(0);
    Clock::Reset();
    Clock::Init();
    gEventDispatcher = new EventDispatcher();
    gRenderer = new Renderer(VideoSettings());
    gHUDManager = new HUDManager();
    if (!buildMenus) return;
    gMenuMan = new MenuMan();
    gMenuMan->Init();
}

void UiFixture::Deliver()
{
    gEventDispatcher->ProcessQueue();
}

void UiFixture::Post(int id, fMessage* msg)
{
    gEventDispatcher->PostMessage(id, msg);
    Deliver();
}

void UiFixture::MoveMouse(int dx, int dy)
{
    Post(kMsgMouseMove, new fMouseMoveState(dx, dy));
}

void UiFixture::LeftButton(int state)
{
    Post(kMsgMouseButton, new fMouseButtonState(state, 0));
}

void UiFixture::ClickAt(int x, int y)
{
    MousePointer* pointer = Pointer();
    ASSERT_NE(pointer, nullptr);
    const int targetX = x + MousePointer::kHotSpotOffset;
    const int targetY = y + MousePointer::kHotSpotOffset;
    MoveMouse(targetX - pointer->GetX(), targetY - pointer->GetY());
    LeftButton(kPressPressed);
}

void UiFixture::ClickItem(const MenuItemHUD& item)
{
    ClickAt(item.GetLeft() + item.GetWidth() / 2, item.GetTop() + item.GetHeight() / 2);
}

void UiFixture::TickClock(float ms)
{
    Win32AdvanceVirtualCounter(static_cast<LONGLONG>(ms * kWin32CounterFrequency / 1000.0));
    Clock::Tick();
}

Menu& UiFixture::MenuOf(int id)
{
    Menu* menu = gMenuMan->GetMenu(id);
    EXPECT_NE(menu, nullptr) << "menu " << id;
    return *menu;
}

MenuItemHUD& UiFixture::ItemOf(int menuId, int index)
{
    MenuItemHUD* item = MenuOf(menuId).GetItem(index);
    EXPECT_NE(item, nullptr) << "menu " << menuId << " item " << index;
    return *item;
}

MousePointer* UiFixture::Pointer()
{
    return gHUDManager->GetPointer();
}

Camera& UiFixture::GetCamera()
{
    return *gRenderer->GetCamera();
}

std::vector<std::string> UiFixture::ChainNames()
{
    std::vector<std::string> names;
    for (const DrawList& chain : gRenderer->GetDrawLists().Chains()) names.push_back(chain.name);
    return names;
}

void UiFixture::Watch(std::initializer_list<int> ids)
{
    delete log;
    log = new MessageLog(ids);
}

const std::vector<int>& UiFixture::Seen() const
{
    static const std::vector<int> none;
    return log ? log->seen : none;
}
