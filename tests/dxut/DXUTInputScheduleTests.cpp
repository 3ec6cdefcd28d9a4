// The headless host's scheduled DirectInput and its hook between frames: what
// each frame's poll reads, beside the window messages of the same frames.
#include "DXUTTestLog.h"

#include <dinput.h>
#include <dinput_test.h>

namespace {

struct Poller
{
    ScriptedGame* game;
    IDirectInput8W* input = nullptr;
    IDirectInputDevice8W* devices[2] = {};
};

// The game's side: one read of both devices per frame move, into the log.
void CALLBACK PollInFrameMove(IDirect3DDevice9*, double, float, void* user)
{
    Poller& poller = *static_cast<Poller*>(user);
    std::string line = "frame " + std::to_string(DXUTGetFrameCount());
    BYTE keys[256];
    DIMOUSESTATE2 mouse;
    if (FAILED(poller.devices[0]->GetDeviceState(sizeof(keys), keys)) ||
        FAILED(poller.devices[1]->GetDeviceState(sizeof(mouse), &mouse))) {
        for (IDirectInputDevice8W* device : poller.devices) device->Acquire();
        poller.game->log.push_back(line + " read failed");
        return;
    }
    for (const auto& [dik, name] : {std::pair<int, const char*>{DIK_W, " W"}, {DIK_S, " S"}, {DIK_A, " A"}})
        if (keys[dik] & 0x80) line += name;
    if (mouse.lX || mouse.lY || mouse.lZ)
        line += " motion " + std::to_string(mouse.lX) + " " + std::to_string(mouse.lY) + " " + std::to_string(mouse.lZ);
    for (int button = 0; button < 8; ++button)
        if (mouse.rgbButtons[button] & 0x80) line += " button " + std::to_string(button);
    poller.game->log.push_back(line);
}

TEST_F(FrameworkTest, ScheduledInputIsWhatEachFramesPollReadsAndResetDropsIt)
{
    TestInput::SetFocus(false); // left so by someone else: a headless host gives it back
    StartHeadless();
    Poller poller{&game};
    ASSERT_EQ(DirectInput8Create(nullptr, 0x0800, IID_IDirectInput8W, reinterpret_cast<void**>(&poller.input), nullptr),
              DI_OK);
    const std::pair<const GUID*, const DIDATAFORMAT*> kinds[] = {{&GUID_SysKeyboard, &c_dfDIKeyboard},
                                                                 {&GUID_SysMouse, &c_dfDIMouse2}};
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(poller.input->CreateDevice(*kinds[i].first, &poller.devices[i], nullptr), DI_OK);
        poller.devices[i]->SetDataFormat(kinds[i].second);
        poller.devices[i]->SetCooperativeLevel(DXUTGetHWND(), DISCL_NONEXCLUSIVE | DISCL_FOREGROUND);
        EXPECT_EQ(poller.devices[i]->Acquire(), DI_OK);
    }
    DXUTSetCallbackFrameMove(PollInFrameMove, &poller);

    DXUTHeadlessScheduleInputKey(0, DIK_S, true);
    DXUTHeadlessScheduleInputKeyHold(1, DIK_W, 2);
    DXUTHeadlessScheduleMouseMotion(1, 3, -2);
    DXUTHeadlessScheduleMouseMotion(1, 4, 0, 120); // adds up until read
    DXUTHeadlessScheduleMouseButton(2, 0, true);
    DXUTHeadlessScheduleMouseButton(3, 0, false);
    DXUTHeadlessScheduleInputKey(3, DIK_S, false);
    DXUTHeadlessScheduleFocus(4, false);
    DXUTHeadlessScheduleFocus(5, true);
    DXUTHeadlessSetFrameHook([&](int frame) {
        game.log.push_back("hook " + std::to_string(frame));
        if (frame == 6) DXUTHeadlessScheduleInputKey(2, DIK_A, true); // a frame already run: before the next one
        if (frame == 7)
            DXUTHeadlessSetFrameHook([&](int later) { game.log.push_back("next " + std::to_string(later)); });
    });
    ASSERT_EQ(DXUTHeadlessRunFrames(9), 9);
    const std::vector<std::string> expected = {"frame 0 S",
                                               "render",
                                               "hook 0",
                                               "frame 1 W S motion 7 -2 120",
                                               "render",
                                               "hook 1",
                                               "frame 2 W S button 0",
                                               "render",
                                               "hook 2",
                                               "frame 3",
                                               "render",
                                               "hook 3",
                                               "msg 0x1c 0 was-up",
                                               "frame 4 read failed",
                                               "render",
                                               "hook 4",
                                               "msg 0x1c 1 was-up",
                                               "frame 5 read failed",
                                               "render",
                                               "hook 5",
                                               "frame 6",
                                               "render",
                                               "hook 6",
                                               "frame 7 A",
                                               "render",
                                               "hook 7",
                                               "frame 8 A",
                                               "render",
                                               "next 8"};
    EXPECT_EQ(game.log, expected);

    // A fresh framework: no held key, no input or hook left from the last run.
    DXUTHeadlessScheduleInputKey(9, DIK_W, true);
    DXUTHeadlessReset();
    StartHeadless();
    DXUTSetCallbackFrameMove(PollInFrameMove, &poller);
    ASSERT_EQ(DXUTHeadlessRunFrames(10), 10);
    EXPECT_EQ(game.log[18], "frame 9");
    EXPECT_EQ(game.log.size(), 20u);
    for (IDirectInputDevice8W*& device : poller.devices) SAFE_RELEASE(device);
    SAFE_RELEASE(poller.input);
}

} // namespace
