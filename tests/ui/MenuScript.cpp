#include "MenuScript.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <dinput_test.h>

#include "DXUTHeadless.h"
#include "Win32Host.h"
#include "ui/HUDManager.h"
#include "ui/MousePointer.h"

namespace {
// Every frame lasts a 60th of a second: the same script gives the same run.
const char* const kFrameTime = "-constantframetime:0.0166667";
} // namespace

MenuScript::MenuScript(int width_, int height_, int maxFrames_) : width(width_), height(height_), maxFrames(maxFrames_)
{}

void MenuScript::Start(bool withDevice)
{
    static std::string args[6];
    args[0] = "Lumveran";
    args[1] = "-windowed";
    args[2] = "-width:" + std::to_string(width);
    args[3] = "-height:" + std::to_string(height);
    args[4] = kFrameTime;
    args[5] = "-quitafterframe:" + std::to_string(maxFrames);
    static char* argv[6];
    for (int i = 0; i < 6; ++i) argv[i] = &args[i][0];
    Win32SetCommandLine(6, argv);
    // No window manager gives an offscreen window the focus.
    TestInput::SetAlwaysFocused(true);
    DXUTHeadlessEnable(1.0 / 60.0, maxFrames);
    if (withDevice) DXUTHeadlessEnableDevice();
    DXUTHeadlessSetFrameHook([this](int f) { OnFrame(f); });
}

void MenuScript::Add(const std::string& name, Ready ready, Act act, int budgetFrames)
{
    steps.push_back({name, std::move(ready), std::move(act), budgetFrames});
}

void MenuScript::OnFrame(int frame_)
{
    frame = frame_;
    cursor = std::max(cursor, frame + 1);
    if (everyFrame) everyFrame(frame);
    if (Finished()) return;
    Step& step = steps[next];
    if (!step.ready()) {
        if (frame - waitingSince > step.budget) {
            ADD_FAILURE() << "step \"" << step.name << "\" never came (" << Progress() << ")";
            next = steps.size();
            PostQuitMessage(1);
        }
        return;
    }
    if (onStep) onStep(step.name);
    if (step.act) step.act();
    ++next;
    waitingSince = frame;
    if (Finished()) PostQuitMessage(0);
}

void MenuScript::MoveHotSpotTo(int x, int y)
{
    const MousePointer* pointer = gHUDManager ? gHUDManager->GetPointer() : nullptr;
    const int fromX = pointer ? pointer->GetX() : 0;
    const int fromY = pointer ? pointer->GetY() : 0;
    DXUTHeadlessScheduleMouseMotion(TakeFrame(), x + MousePointer::kHotSpotOffset - fromX,
                                    y + MousePointer::kHotSpotOffset - fromY);
}

void MenuScript::Click()
{
    // Held for one whole frame: a press and release within one poll is never seen.
    DXUTHeadlessScheduleMouseButton(TakeFrame(), 0, true);
    DXUTHeadlessScheduleMouseButton(TakeFrame(), 0, false);
}

void MenuScript::ClickAt(int x, int y)
{
    MoveHotSpotTo(x, y);
    Click();
}

void MenuScript::PressKey(UINT virtualKey)
{
    const int down = TakeFrame();
    DXUTHeadlessScheduleKey(down, virtualKey, true);
    DXUTHeadlessScheduleKey(TakeFrame(), virtualKey, false);
}

void MenuScript::PressInputKey(int dik)
{
    const int down = TakeFrame();
    DXUTHeadlessScheduleInputKey(down, dik, true);
    DXUTHeadlessScheduleInputKey(TakeFrame(), dik, false);
}

std::string MenuScript::Progress() const
{
    std::string text = "passed:";
    for (std::size_t i = 0; i < next && i < steps.size(); ++i) text += " " + steps[i].name;
    return text;
}
