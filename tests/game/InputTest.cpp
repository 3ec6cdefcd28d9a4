// The frame's input poll: bindings, the key and button state machines, the
// posting order, focus loss, the push controller, and devices that fail.
// Keys and the mouse come through the DirectInput stand-in's test seam;
// failures the stand-in cannot make come from a fake DirectInput.
#include <gtest/gtest.h>

#include <dinput_test.h>

#include <climits>
#include <cstring>
#include <memory>

#include "game/Input.h"
#include "physics/ObjectController.h"
#include "tests/game/InputRecorder.h"

namespace {

using Posts = std::vector<PostedInput>;

// The fake's failure points: DirectInput itself, then each device's steps.
enum { kNoFailure = -1, kCreateInput = 0, kKeyboard = 1, kMouse = 5 };
enum { kCreate = 0, kFormat = 1, kCooperation = 2, kFirstAcquire = 3 };

// Unlike the stand-in, a failed read leaves the caller's buffer as it was,
// which Windows does not promise either. Objects live until the next test,
// whatever their count, so an extra Release is counted, not a use after free.
struct FakeScript
{
    int failAt = kNoFailure;
    HRESULT readResult = DI_OK, acquireResult = DI_OK;
    BYTE keys[256] = {};
    DIMOUSESTATE2 mouse = {};
    int keyboardAcquires = 0, live = 0, overReleases = 0;
} gFake;

struct FakeCount
{
    ULONG refs = 1;
    FakeCount() { ++gFake.live; }
    ULONG Drop()
    {
        if (refs == 0) return ++gFake.overReleases, 0;
        if (--refs == 0) --gFake.live;
        return refs;
    }
};

struct FakeDevice final : IDirectInputDevice8W
{
    explicit FakeDevice(int base_) : base(base_) {}
    ULONG AddRef() override { return ++count.refs; }
    ULONG Release() override { return count.Drop(); }
    HRESULT SetDataFormat(LPCDIDATAFORMAT) override { return Step(kFormat); }
    HRESULT SetCooperativeLevel(HWND, DWORD) override { return Step(kCooperation); }
    HRESULT Acquire() override
    {
        if (base == kKeyboard) ++gFake.keyboardAcquires;
        if (std::exchange(firstAcquire, false) && FAILED(Step(kFirstAcquire))) return DIERR_OTHERAPPHASPRIO;
        acquired = gFake.acquireResult == DI_OK;
        return gFake.acquireResult;
    }
    HRESULT Unacquire() override
    {
        acquired = false;
        return DI_OK;
    }
    HRESULT GetDeviceState(DWORD size, LPVOID data) override
    {
        if (!acquired) return DIERR_NOTACQUIRED;
        if (gFake.readResult != DI_OK) {
            acquired = false;
            return gFake.readResult;
        }
        std::memcpy(data, base == kKeyboard ? static_cast<void*>(gFake.keys) : &gFake.mouse, size);
        if (base == kMouse) gFake.mouse.lX = gFake.mouse.lY = gFake.mouse.lZ = 0;
        return DI_OK;
    }
    HRESULT Step(int step) const { return gFake.failAt == base + step ? DIERR_INVALIDPARAM : DI_OK; }

    int base;
    FakeCount count;
    bool acquired = false, firstAcquire = true;
};

std::vector<std::unique_ptr<IUnknown, void (*)(IUnknown*)>> gFakeObjects;

template <typename T, typename... Args>
T* KeepFake(Args... args)
{
    T* made = new T(args...);
    gFakeObjects.emplace_back(made, [](IUnknown* p) { delete static_cast<T*>(p); });
    return made;
}

struct FakeInput final : IDirectInput8W
{
    ULONG AddRef() override { return ++count.refs; }
    ULONG Release() override { return count.Drop(); }
    HRESULT CreateDevice(REFGUID guid, LPDIRECTINPUTDEVICE8W* out, LPUNKNOWN) override
    {
        const int base = std::memcmp(&guid, &GUID_SysKeyboard, sizeof(GUID)) == 0 ? kKeyboard : kMouse;
        *out = gFake.failAt == base + kCreate ? nullptr : KeepFake<FakeDevice>(base);
        return *out ? DI_OK : DIERR_DEVICENOTREG;
    }
    FakeCount count;
};

HRESULT CreateFakeInput(HINSTANCE, DWORD version, REFIID iid, LPVOID* out, LPUNKNOWN)
{
    const bool asked = version == 0x0800 && std::memcmp(&iid, &IID_IDirectInput8W, sizeof(GUID)) == 0;
    *out = asked && gFake.failAt != kCreateInput ? static_cast<IDirectInput8W*>(KeepFake<FakeInput>()) : nullptr;
    return *out ? DI_OK : DIERR_INVALIDPARAM;
}

class InputTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TestInput::SetAlwaysFocused(false);
        TestInput::Reset();
        gEventDispatcher = new EventDispatcher();
        gObjectController = new ObjectController(nullptr);
        std::vector<int> ids;
        for (int id = 0; id <= 80; ++id) ids.push_back(id);
        recorder = std::make_unique<InputRecorder>(ids);
    }
    void TearDown() override
    {
        input.reset();
        recorder.reset();
        delete gObjectController;
        gObjectController = nullptr;
        delete gEventDispatcher;
        gEventDispatcher = nullptr;
        gFakeObjects.clear();
        gFake = FakeScript();
        TestInput::Reset();
    }
    // One frame as the frame move runs it: the poll, then the delivery pass.
    Posts Frame()
    {
        input->Update(16000);
        gEventDispatcher->ProcessQueue();
        return recorder->Take();
    }

    std::unique_ptr<Input> input = std::make_unique<Input>();
    std::unique_ptr<InputRecorder> recorder;
};

TEST_F(InputTest, DefaultBindingsInTableOrderEachPostingOnlyItsOwnId)
{
    // Written out by number on purpose.
    const std::pair<int, int> table[] = {
        {18, DIK_W},       {19, DIK_S},       {20, DIK_A},       {21, DIK_D},       {22, DIK_SPACE},
        {24, DIK_K},       {26, DIK_L},       {5, DIK_C},        {28, DIK_0},       {29, DIK_NUMPAD6},
        {30, DIK_NUMPAD8}, {31, DIK_NUMPAD9}, {32, DIK_NUMPAD4}, {33, DIK_NUMPAD2}, {34, DIK_NUMPAD7},
        {43, DIK_NUMPAD5}, {45, DIK_N},       {47, DIK_G},       {12, DIK_RSHIFT},  {16, DIK_SLASH},
        {13, DIK_COMMA},   {14, DIK_PERIOD},  {58, DIK_U},       {59, DIK_Y},       {61, DIK_I},
    };
    EXPECT_EQ(Frame(), Posts{});
    const std::vector<KeyBinding>& bindings = input->GetBindings();
    ASSERT_EQ(bindings.size(), 25u);
    ASSERT_NE(input->GetMouse(), nullptr);
    for (size_t i = 0; i < bindings.size(); ++i) {
        const auto [id, key] = table[i];
        SCOPED_TRACE(id);
        EXPECT_EQ(std::tie(bindings[i].id, bindings[i].key, bindings[i].key2, bindings[i].state),
                  std::make_tuple(id, key, key, 0));
        EXPECT_TRUE(bindings[i].device == input->GetKeyboard() && bindings[i].device2 == input->GetKeyboard());
        TestInput::SetKey(key, true);
        EXPECT_EQ(Frame(), Posts{KeyMessage(id, kPressPressed)});
        TestInput::SetKey(key, false);
        EXPECT_EQ(Frame(), Posts{KeyMessage(id, kPressReleased)});
    }
}

// What changes before one poll, and every message that poll posts.
struct ScriptedFrame
{
    const char* what;
    std::vector<int> press, release, tap; // tap: down and up again before the poll
    int dx, dy, dz;
    std::vector<std::pair<int, bool>> buttons;
    Posts expected;
};

TEST_F(InputTest, KeyAndButtonStateMachinesPostInTheirOrder)
{
    const int W = kMsgMoveForward, Y = kMsgReplayStop;
    const ScriptedFrame script[] = {
        {"first frame of a press", {DIK_W}, {}, {}, 0, 0, 0, {}, {KeyMessage(W, 2)}},
        {"held", {}, {}, {}, 0, 0, 0, {}, {KeyMessage(W, 3)}},
        {"still held", {}, {}, {}, 0, 0, 0, {}, {KeyMessage(W, 3)}},
        {"released once", {}, {DIK_W}, {}, 0, 0, 0, {}, {KeyMessage(W, 1)}},
        {"then nothing", {}, {}, {}, 0, 0, 0, {}, {}},
        {"binding order, not press order", {DIK_Y, DIK_W}, {}, {}, 0, 0, 0, {}, {KeyMessage(W, 2), KeyMessage(Y, 2)}},
        {"both released", {}, {DIK_W, DIK_Y}, {}, 0, 0, 0, {}, {KeyMessage(W, 1), KeyMessage(Y, 1)}},
        {"a press between two polls is never seen", {}, {}, {DIK_W}, 0, 0, 0, {}, {}},
        {"a wheel turn alone posts only the wheel", {}, {}, {}, 0, 0, 120, {}, {WheelMessage(120)}},
        {"keys, then wheel, motion and buttons",
         {DIK_W},
         {},
         {},
         3,
         -4,
         -120,
         {{1, true}},
         {KeyMessage(W, 2), WheelMessage(-120), MoveMessage(3, -4), ButtonMessage(2, 1)}},
        {"buttons in index order, every frame while down",
         {},
         {},
         {},
         0,
         0,
         0,
         {{0, true}},
         {KeyMessage(W, 3), ButtonMessage(2, 0), ButtonMessage(3, 1)}},
        {"motion on one axis",
         {},
         {DIK_W},
         {},
         0,
         7,
         0,
         {{7, true}, {0, false}, {1, false}},
         {KeyMessage(W, 1), MoveMessage(0, 7), ButtonMessage(1, 0), ButtonMessage(1, 1), ButtonMessage(2, 7)}},
        {"last button released", {}, {}, {}, 0, 0, 0, {{7, false}}, {ButtonMessage(1, 7)}},
        {"quiet", {}, {}, {}, 0, 0, 0, {}, {}},
    };
    Frame();
    for (const ScriptedFrame& step : script) {
        SCOPED_TRACE(step.what);
        for (int key : step.press) TestInput::SetKey(key, true);
        for (int key : step.release) TestInput::SetKey(key, false);
        for (int key : step.tap) TestInput::SetKey(key, true), TestInput::SetKey(key, false);
        TestInput::MoveMouse(step.dx, step.dy, step.dz);
        for (const auto& [button, down] : step.buttons) TestInput::SetButton(button, down);
        EXPECT_EQ(Frame(), step.expected);
    }
}

TEST_F(InputTest, BindKeyReplacesASlotOrAppends)
{
    Frame();
    IDirectInputDevice8W* keyboard = input->GetKeyboard();
    input->BindKey(18, DIK_S, false, nullptr); // the second slot is never polled
    input->BindKey(18, DIK_K, true, keyboard); // two bindings on K now
    input->BindKey(70, DIK_K, true, keyboard); // a new id goes last
    input->BindKey(19, DIK_A, true, nullptr);  // S no longer, and off the keyboard
    TestInput::SetKey(DIK_K, true);
    TestInput::SetKey(DIK_S, true);
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 2), KeyMessage(24, 2), KeyMessage(70, 2)}));
    ASSERT_EQ(input->GetBindings().size(), 26u);
    EXPECT_EQ(input->GetBindings()[0].key2, DIK_S);
}

TEST_F(InputTest, FocusLostWhileHoldingPostsOneReleaseThenNothing)
{
    Frame();
    TestInput::SetKey(DIK_W, true);
    TestInput::SetButton(0, true);
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 2), ButtonMessage(2, 0)}));
    TestInput::SetFocus(false);
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 1), ButtonMessage(1, 0)}));
    for (int frame = 0; frame < 5; ++frame) EXPECT_EQ(Frame(), Posts{});
    // Back in front: the poll that finds the devices lost gets them back,
    // the next one reads.
    TestInput::SetFocus(true);
    TestInput::SetKey(DIK_W, true);
    EXPECT_EQ(Frame(), Posts{});
    EXPECT_EQ(Frame(), Posts{KeyMessage(18, 2)});
}

TEST_F(InputTest, PushIsOffInEveryFrameWithoutMovement)
{
    // The player's part: a held movement key turns the push on.
    struct Mover : fEventObj
    {
        Mover() { SubscribeMessages(); }
        void SubscribeMessages() override { gEventDispatcher->Subscribe(kMsgMoveForward, this); }
        void HandleMessage(int, fMessage* msg) override
        {
            auto* key = dynamic_cast<fInputState*>(msg);
            if (key && key->state == kPressHeld) gObjectController->SetEnabled(true);
        }
    } mover;
    const bool held[] = {false, true, true, false, false};
    const bool pushOn[] = {false, false, true, false, false};
    for (int frame = 0; frame < 5; ++frame) {
        gObjectController->SetEnabled(true); // whatever the last frame left
        TestInput::SetKey(DIK_W, held[frame]);
        Frame();
        EXPECT_EQ(gObjectController->IsEnabled(), pushOn[frame]) << frame;
    }
    // Without a push controller the poll goes on.
    delete gObjectController;
    gObjectController = nullptr;
    TestInput::SetKey(DIK_W, true);
    EXPECT_EQ(Frame(), Posts{KeyMessage(18, 2)});
}

TEST_F(InputTest, CreationStopsAtAFailedStepButNotAtARefusedAcquire)
{
    struct Case
    {
        int failAt;
        bool keyboard, mouse;
        int framesUntilW; // 0: never
    };
    const Case cases[] = {
        {kNoFailure, true, true, 1},
        {kCreateInput, false, false, 0},
        {kKeyboard + kCreate, false, false, 0},
        {kKeyboard + kFormat, false, false, 0},
        {kKeyboard + kCooperation, false, false, 0},
        {kKeyboard + kFirstAcquire, true, true, 2},
        {kMouse + kCreate, true, false, 1},
        {kMouse + kFormat, true, false, 1},
        {kMouse + kCooperation, true, false, 1},
        {kMouse + kFirstAcquire, true, true, 1},
    };
    STICKYKEYS sticky = {sizeof(STICKYKEYS), 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(sticky), &sticky, 0));
    ASSERT_NE(sticky.dwFlags, 0u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.failAt);
        gFake = FakeScript();
        gFake.failAt = c.failAt;
        gFake.keys[DIK_W] = 0x80;
        gFake.mouse.rgbButtons[2] = 0x80;
        input = std::make_unique<Input>(CreateFakeInput);
        int framesUntilW = 0;
        bool buttonSeen = false;
        for (int frame = 1; frame <= 3; ++frame) {
            for (const PostedInput& posted : Frame()) {
                if (posted == KeyMessage(18, 2)) framesUntilW = frame;
                buttonSeen = buttonSeen || posted == ButtonMessage(2, 2);
            }
        }
        EXPECT_EQ(input->GetBindings().size(), c.keyboard ? 25u : 0u);
        EXPECT_EQ(framesUntilW, c.framesUntilW);
        EXPECT_EQ(input->GetMouse() != nullptr, c.mouse);
        EXPECT_EQ(buttonSeen, c.mouse);
        STICKYKEYS now = {sizeof(STICKYKEYS), 1};
        SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(now), &now, 0);
        EXPECT_EQ(now.dwFlags, 0u) << "the accessibility hot keys are off while the game runs";

        // The editor's swaps: a mouse wherever DirectInput lets one be made,
        // the one it replaces released first, nothing without DirectInput.
        input->SetMouseShared();
        input->SetMouseExclusive();
        const bool mouseMade = c.failAt != kCreateInput && (c.failAt < kMouse || c.failAt == kMouse + kFirstAcquire);
        EXPECT_EQ(input->GetMouse() != nullptr, mouseMade);
        EXPECT_EQ(gFake.live, (c.failAt != kCreateInput) + c.keyboard + mouseMade);
        input.reset();
        EXPECT_EQ(gFake.live, 0);
        EXPECT_EQ(gFake.overReleases, 0);
        SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(now), &now, 0);
        EXPECT_EQ(now.dwFlags, sticky.dwFlags) << "given back at exit";
    }
}

TEST_F(InputTest, AFailedReadReleasesWhatWasHeldAndReacquiringIsBounded)
{
    gFake.keys[DIK_W] = 0x80;
    gFake.mouse.rgbButtons[0] = 0x80;
    input = std::make_unique<Input>(CreateFakeInput);
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 2), ButtonMessage(2, 0)}));
    // Lost for good: the failed reads leave last frame's bytes in the buffers.
    gFake.readResult = gFake.acquireResult = DIERR_INPUTLOST;
    gFake.keyboardAcquires = 0;
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 1), ButtonMessage(1, 0)}));
    EXPECT_GT(gFake.keyboardAcquires, 1) << "retried while input is lost";
    EXPECT_LE(gFake.keyboardAcquires, 8);
    EXPECT_EQ(Frame(), Posts{});
    // Any other refusal is not retried within the frame.
    gFake.acquireResult = DIERR_OTHERAPPHASPRIO;
    gFake.keyboardAcquires = 0;
    EXPECT_EQ(Frame(), Posts{});
    EXPECT_EQ(gFake.keyboardAcquires, 1);
    gFake.readResult = gFake.acquireResult = DI_OK;
    EXPECT_EQ(Frame(), Posts{}) << "acquired again";
    EXPECT_EQ(Frame(), (Posts{KeyMessage(18, 2), ButtonMessage(2, 0)}));
}

TEST_F(InputTest, CursorSumsTheMotionWithoutOverflowAndKeepsItsClamp)
{
    const struct
    {
        int dx, dy, half, x, y;
    } steps[] = {
        {5, -3, 0, 5, -3},
        {100, -100, 50, 50, -50},
        {10, 10, 0, 60, -40},
        {INT_MAX, 0, 0, INT_MAX, -40},
    };
    Frame();
    for (const auto& step : steps) {
        TestInput::MoveMouse(step.dx, step.dy, 0);
        Frame();
        if (step.half) input->ClampCursor(step.half, step.half);
        EXPECT_EQ(std::make_pair(input->GetCursor().x, input->GetCursor().y), std::make_pair(step.x, step.y));
    }
}

} // namespace
