// The real WinMain under the headless host with DirectInput scheduled by
// frame: the game's own poll turns keys and mouse into messages that a
// subscriber receives in the frame they change, message by message.
#include <gtest/gtest.h>

#include <dinput.h>

#include <memory>

#include "DXUTHeadless.h"
#include "game/Input.h"
#include "game/Lumveran.h"
#include "physics/ObjectController.h"
#include "tests/game/InputRecorder.h"

namespace {

// One run of WinMain per process: it registers the exit routine.
TEST(InputEndToEnd, ScheduledKeysAndMouseArriveFrameByFrameInPostingOrder)
{
    DXUTHeadlessEnable(1.0 / 60.0, 10);
    DXUTHeadlessScheduleInputKeyHold(2, DIK_W, 3); // held in frames 2 to 4
    DXUTHeadlessScheduleMouseMotion(3, 10, -5);
    DXUTHeadlessScheduleMouseButton(3, 1, true);
    DXUTHeadlessScheduleMouseButton(5, 1, false);
    DXUTHeadlessScheduleMouseMotion(6, 0, 0, 240);
    DXUTHeadlessScheduleInputKey(7, DIK_W, true);
    DXUTHeadlessScheduleFocus(8, false); // while W is held

    std::unique_ptr<InputRecorder> recorder;
    size_t bindings = 0;
    int framesRun = 0, framesWithPushLeftOn = 0;
    DXUTHeadlessSetFrameHook([&](int frame) {
        ++framesRun;
        if (frame == 0) {
            bindings = gInput->GetBindings().size();
            recorder = std::make_unique<InputRecorder>(
                std::vector<int>{kMsgMoveForward, kMsgMouseMove, kMsgMouseButton, kMsgMouseWheel});
        }
        recorder->frame = frame + 1;
        // Nothing moves the player here, so a push left on is off after the next frame.
        if (frame > 0 && gObjectController->IsEnabled()) ++framesWithPushLeftOn;
        gObjectController->SetEnabled(true);
    });

    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    EXPECT_EQ(framesRun, 10);
    EXPECT_EQ(bindings, 25u);
    EXPECT_EQ(framesWithPushLeftOn, 0);
    ASSERT_NE(recorder, nullptr);
    const std::vector<PostedInput> expected = {
        KeyMessage(kMsgMoveForward, 2, 2),
        KeyMessage(kMsgMoveForward, 3, 3),
        MoveMessage(10, -5, 3),
        ButtonMessage(2, 1, 3),
        KeyMessage(kMsgMoveForward, 3, 4),
        ButtonMessage(3, 1, 4),
        KeyMessage(kMsgMoveForward, 1, 5),
        ButtonMessage(1, 1, 5),
        WheelMessage(240, 6),
        KeyMessage(kMsgMoveForward, 2, 7),
        KeyMessage(kMsgMoveForward, 1, 8), // focus gone: one release, then nothing
    };
    EXPECT_EQ(recorder->Take(), expected);
    recorder.reset(); // while the dispatcher lives; the exit routine deletes it
    DXUTHeadlessSetFrameHook(nullptr);
}

} // namespace
