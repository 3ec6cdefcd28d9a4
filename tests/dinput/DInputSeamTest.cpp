// The DirectInput stand-in driven through its test seam, without SDL video.
#include "Bindings.h"

#include <dinput.h>
#include <dinput_test.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

namespace {

struct Devices
{
    IDirectInput8W* input = nullptr;
    IDirectInputDevice8W* keyboard = nullptr;
    IDirectInputDevice8W* mouse = nullptr;

    explicit Devices(DWORD mouseLevel = DISCL_EXCLUSIVE | DISCL_FOREGROUND)
    {
        TestInput::SetAlwaysFocused(false);
        TestInput::Reset();
        EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8W, reinterpret_cast<void**>(&input), nullptr),
                  DI_OK);
        EXPECT_EQ(input->CreateDevice(GUID_SysKeyboard, &keyboard, nullptr), DI_OK);
        EXPECT_EQ(keyboard->SetDataFormat(&c_dfDIKeyboard), DI_OK);
        EXPECT_EQ(keyboard->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        EXPECT_EQ(keyboard->Acquire(), DI_OK);
        EXPECT_EQ(input->CreateDevice(GUID_SysMouse, &mouse, nullptr), DI_OK);
        EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse2), DI_OK);
        EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, mouseLevel), DI_OK);
        EXPECT_EQ(mouse->Acquire(), DI_OK);
    }
    ~Devices()
    {
        SAFE_RELEASE(mouse);
        SAFE_RELEASE(keyboard);
        SAFE_RELEASE(input);
        TestInput::Reset();
    }
    std::vector<BYTE> Keys(HRESULT expected = DI_OK)
    {
        std::vector<BYTE> keys(256, 0xCD);
        EXPECT_EQ(keyboard->GetDeviceState(256, keys.data()), expected);
        return keys;
    }
    DIMOUSESTATE2 Mouse(HRESULT expected = DI_OK)
    {
        DIMOUSESTATE2 state;
        std::memset(&state, 0xCD, sizeof(state));
        EXPECT_EQ(mouse->GetDeviceState(sizeof(state), &state), expected);
        return state;
    }
};

int HeldCount(const std::vector<BYTE>& keys)
{
    int held = 0;
    for (BYTE b : keys) {
        held += b != 0;
    }
    return held;
}

TEST(DInputSeam, CreationRejectsWhatWindowsRejects)
{
    IDirectInput8W* input = nullptr;
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0700, IID_IDirectInput8W, reinterpret_cast<void**>(&input), nullptr),
              DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(input, nullptr);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, GUID_SysMouse, reinterpret_cast<void**>(&input), nullptr),
              DIERR_NOINTERFACE);
    EXPECT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8W, nullptr, nullptr), DIERR_INVALIDPARAM);
    ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8, reinterpret_cast<void**>(&input), nullptr), DI_OK);

    IDirectInputDevice8W* device = reinterpret_cast<IDirectInputDevice8W*>(0x1);
    EXPECT_EQ(input->CreateDevice(IID_IDirectInput8W, &device, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(device, nullptr);

    ASSERT_EQ(input->CreateDevice(GUID_SysMouse, &device, nullptr), DI_OK);
    DIMOUSESTATE2 state;
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(device->SetDataFormat(&c_dfDIKeyboard), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetDataFormat(&c_dfDIMouse2), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    EXPECT_EQ(device->GetDeviceState(16, &state), DIERR_INVALIDPARAM) << "the 4-button state's size, not this format's";
    std::memset(&state, 0xCD, sizeof(state));
    EXPECT_EQ(device->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.rgbButtons[7], 0);
    EXPECT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DIERR_ACQUIRED);

    // COM reference counts: the device lives until its last reference goes.
    EXPECT_EQ(device->AddRef(), 2u);
    EXPECT_EQ(device->Release(), 1u);
    EXPECT_TRUE(TestInput::MouseIsExclusive());
    EXPECT_EQ(device->Release(), 0u);
    EXPECT_FALSE(TestInput::MouseIsExclusive()) << "releasing an exclusive mouse gives the cursor back";
    EXPECT_EQ(input->Release(), 0u);
}

TEST(DInputSeam, EveryDefaultBindingReachesItsCode)
{
    Devices devices;
    EXPECT_EQ(HeldCount(devices.Keys()), 0);
    for (const BoundKey& key : kDefaultBindings) {
        TestInput::SetKey(key.dik, true);
        std::vector<BYTE> keys = devices.Keys();
        EXPECT_EQ(keys[key.dik], 0x80) << key.keysym;
        EXPECT_EQ(HeldCount(keys), 1) << key.keysym;
        TestInput::SetKey(key.dik, false);
        EXPECT_EQ(devices.Keys()[key.dik], 0) << key.keysym;
    }
    // Several held at once, as when running and jumping.
    TestInput::SetKey(DIK_W, true);
    TestInput::SetKey(DIK_A, true);
    TestInput::SetKey(DIK_SPACE, true);
    std::vector<BYTE> keys = devices.Keys();
    EXPECT_EQ(HeldCount(keys), 3);
    EXPECT_EQ(keys[DIK_W] & keys[DIK_A] & keys[DIK_SPACE], 0x80);
}

TEST(DInputSeam, ScancodeTableMatchesPhysicalKeys)
{
    for (const BoundKey& key : kDefaultBindings) {
        EXPECT_EQ(TestInput::DikFromScancode(key.scancode), key.dik) << key.keysym;
    }
    for (const BoundKey& key : kDeveloperKeys) {
        EXPECT_EQ(TestInput::DikFromScancode(key.scancode), key.dik) << key.keysym;
    }
    // Left and right modifiers stay apart; the numeric pad is not the main row.
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_LSHIFT), DIK_LSHIFT);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_LCTRL), DIK_LCONTROL);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_RCTRL), DIK_RCONTROL);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_LALT), DIK_LMENU);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_RALT), DIK_RMENU);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_KP_0), DIK_NUMPAD0);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_ESCAPE), DIK_ESCAPE);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_RETURN), DIK_RETURN);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_SCANCODE_F12), DIK_F12);
    EXPECT_EQ(TestInput::DikFromScancode(-1), 0);
    EXPECT_EQ(TestInput::DikFromScancode(SDL_NUM_SCANCODES), 0);

    // No two keys share a code: a typo in the table would make two keys one.
    std::set<int> seen;
    int mapped = 0;
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode) {
        const int dik = TestInput::DikFromScancode(scancode);
        if (dik != 0) {
            ++mapped;
            EXPECT_TRUE(seen.insert(dik).second) << "scancode " << scancode << " repeats DIK " << dik;
        }
    }
    EXPECT_GE(mapped, 100);
}

TEST(DInputSeam, MouseDeltasAndWheelSumExactlyUntilRead)
{
    Devices devices;
    TestInput::MoveMouse(3, -4, 0);
    TestInput::MoveMouse(-10, 7, 120);
    TestInput::MoveMouse(1, 1, 240);
    DIMOUSESTATE2 state = devices.Mouse();
    EXPECT_EQ(state.lX, -6);
    EXPECT_EQ(state.lY, 4);
    EXPECT_EQ(state.lZ, 360);
    state = devices.Mouse();
    EXPECT_EQ(state.lX, 0) << "motion is reported once";
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.lZ, 0);

    TestInput::MoveMouse(0, 0, -120);
    EXPECT_EQ(devices.Mouse().lZ, -120);

    TestInput::SetButton(0, true);
    TestInput::SetButton(4, true);
    state = devices.Mouse();
    const BYTE expected[8] = {0x80, 0, 0, 0, 0x80, 0, 0, 0};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(state.rgbButtons[i], expected[i]) << i;
    }
    EXPECT_EQ(devices.Mouse().rgbButtons[0], 0x80) << "buttons are a state, not an event";
    TestInput::SetButton(0, false);
    EXPECT_EQ(devices.Mouse().rgbButtons[0], 0);

    // Motion made while nobody holds the mouse is not delivered later.
    EXPECT_EQ(devices.mouse->Unacquire(), DI_OK);
    TestInput::MoveMouse(50, 50, 120);
    EXPECT_EQ(devices.mouse->Acquire(), DI_OK);
    state = devices.Mouse();
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lZ, 0);
}

TEST(DInputSeam, FocusLossReleasesEveryKeyAndReacquires)
{
    Devices devices;
    for (const BoundKey& key : kDefaultBindings) {
        TestInput::SetKey(key.dik, true);
    }
    TestInput::SetButton(1, true);
    EXPECT_EQ(HeldCount(devices.Keys()), 25);
    EXPECT_TRUE(TestInput::MouseIsExclusive());

    TestInput::SetFocus(false);
    EXPECT_FALSE(TestInput::MouseIsExclusive()) << "the cursor comes back when the game loses focus";
    std::vector<BYTE> keys = devices.Keys(DIERR_INPUTLOST);
    EXPECT_EQ(HeldCount(keys), 0) << "a lost read zeroes the buffer";
    EXPECT_EQ(HeldCount(devices.Keys(DIERR_NOTACQUIRED)), 0);
    DIMOUSESTATE2 state = devices.Mouse(DIERR_INPUTLOST);
    EXPECT_EQ(state.rgbButtons[1], 0);

    // The game's recovery: acquire again for as long as it says input is lost.
    // Acquire must never say so, or that loop would spin while in the background.
    int attempts = 0;
    HRESULT hr = devices.keyboard->Acquire();
    while (hr == DIERR_INPUTLOST && attempts < 1000) {
        hr = devices.keyboard->Acquire();
        ++attempts;
    }
    EXPECT_EQ(hr, DIERR_OTHERAPPHASPRIO);
    EXPECT_EQ(attempts, 0);

    TestInput::SetFocus(true);
    EXPECT_EQ(devices.keyboard->Acquire(), DI_OK);
    EXPECT_EQ(devices.mouse->Acquire(), DI_OK);
    EXPECT_TRUE(TestInput::MouseIsExclusive());
    EXPECT_EQ(HeldCount(devices.Keys()), 0) << "keys held before the loss do not come back held";
    EXPECT_EQ(devices.Mouse().rgbButtons[1], 0);
    TestInput::SetKey(DIK_K, true);
    EXPECT_EQ(devices.Keys()[DIK_K], 0x80);
}

TEST(DInputSeam, BackgroundDevicesAndAlwaysFocusedSwitchIgnoreFocus)
{
    Devices devices(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    EXPECT_FALSE(TestInput::MouseIsExclusive()) << "a shared mouse keeps the cursor";
    TestInput::SetFocus(false);
    TestInput::MoveMouse(5, 0, 0);
    EXPECT_EQ(devices.Mouse().lX, 5) << "a background device keeps reading";
    devices.Keys(DIERR_INPUTLOST);
    TestInput::SetFocus(true);
    EXPECT_EQ(devices.keyboard->Acquire(), DI_OK);

    TestInput::SetAlwaysFocused(true);
    TestInput::SetKey(DIK_W, true);
    TestInput::SetFocus(false);
    EXPECT_EQ(devices.Keys()[DIK_W], 0x80);
    TestInput::SetAlwaysFocused(false);
}

TEST(DInputSeam, EditorSwapsTheMouseBetweenExclusiveAndShared)
{
    Devices devices;
    EXPECT_TRUE(TestInput::MouseIsExclusive());
    // As the editor does: unacquire, create anew, shared.
    EXPECT_EQ(devices.mouse->Unacquire(), DI_OK);
    EXPECT_FALSE(TestInput::MouseIsExclusive());
    devices.mouse->Release();
    ASSERT_EQ(devices.input->CreateDevice(GUID_SysMouse, &devices.mouse, nullptr), DI_OK);
    EXPECT_EQ(devices.mouse->SetDataFormat(&c_dfDIMouse2), DI_OK);
    EXPECT_EQ(devices.mouse->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    EXPECT_EQ(devices.mouse->Acquire(), DI_OK);
    EXPECT_FALSE(TestInput::MouseIsExclusive());
    TestInput::MoveMouse(2, 3, 0);
    DIMOUSESTATE2 state = devices.Mouse();
    EXPECT_EQ(state.lX, 2);
    EXPECT_EQ(state.lY, 3);
}

} // namespace
