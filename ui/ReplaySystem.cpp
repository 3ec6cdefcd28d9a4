#include "ui/ReplaySystem.h"

#include <algorithm>

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "objects/Object.h"
#include "objects/Ragdoll.h"
#include "render/KeyframeAnimator.h"
#include "render/Renderer.h"
#include "ui/Menu.h"
#include "ui/MenuItemHUD.h"
#include "ui/MenuMan.h"
#include "ui/ReplayHooks.h"

cReplaySystem* gReplaySystem = nullptr;

namespace {

ReplayFrame Snapshot(const Object& body)
{
    return ReplayFrame{body.position, body.linearVelocity, body.angularVelocity, body.GetOrientation()};
}

void Restore(Object& body, const ReplayFrame& frame)
{
    body.SetPosition(frame.position);
    body.linearVelocity = frame.linearVelocity;
    body.angularVelocity = frame.angularVelocity;
    body.SetOrientation(frame.orientation);
}

AnimatorState ReadAnimator()
{
    unsigned entry = 0;
    float time = 0.0f;
    gKeyframeAnimator->GetCurrent(&entry, &time);
    return AnimatorState{static_cast<int>(entry), time};
}

bool IsMenuOnTop(int id)
{
    return gMenuMan && gMenuMan->GetCurrentMenuId() == id;
}

// Controls act on a press, or on a message that is no key state at all.
bool IsControlPress(const fMessage* msg)
{
    const fInputState* input = dynamic_cast<const fInputState*>(msg);
    return !input || input->state == kPressPressed;
}

} // namespace

cReplaySystem::cReplaySystem(float seconds) : frameInterval(seconds * 1000.0f / kFrameCount)
{
    SubscribeMessages();
}

cReplaySystem::~cReplaySystem()
{
    Clear();
}

void cReplaySystem::SubscribeMessages()
{
    if (!gEventDispatcher) return;
    for (int id : {kMsgEnterReplay, kMsgReplayStop, kMsgStartDeathCountdown, kMsgReplayPlay, kMsgReplayFreeze,
                   kMsgReplayForward, kMsgReplayBack, kMsgReplaySlowMotion, kMsgRetryStage, kMsgMouseButton})
        gEventDispatcher->Subscribe(id, this);
}

void cReplaySystem::Reset(const std::vector<Object*>& objects)
{
    Clear();
    // Slow motion ends with the stage it slowed: a load from the replay's
    // "no", or a developer key during a replay, starts at full speed.
    Clock::SetTimeScale(0.0f);
    bodies = &objects;
    bodyCount = static_cast<unsigned>(objects.size());
    frames.assign(bodyCount, std::vector<ReplayFrame>());
    for (unsigned i = 0; i < bodyCount; ++i) {
        const ReplayFrame start = objects[i] ? Snapshot(*objects[i]) : ReplayFrame();
        frames[i].assign(frameCount, start);
    }
    animatorStates.assign(frameCount, AnimatorState());
    ringReady = true;
}

void cReplaySystem::Clear()
{
    if (!bodies) return;
    ringReady = false;
    frames.clear();
    accumulator = 0.0f;
    bodies = nullptr;
    bodyCount = 0;
    deathCountdown = -1.0f;
    currentFrame = -1;
    playing = false;
    recording = false;
    playerAlive = true;
    deathFrame = -1;
}

void cReplaySystem::Stop()
{
    accumulator = 0.0f;
    playing = false;
    deathCountdown = -1.0f;
    recording = true;
    frozen = false;
    slow = false;
    currentFrame = -1;
    playerAlive = true;
    deathFrame = -1;
}

void cReplaySystem::Update()
{
    if (frozen || !bodies) return;
    const float frameTime = Clock::GetFrameTime(false);

    // Running from the moment it is set, even by a frame that took no time.
    if (deathCountdown >= 0.0f && deathCountdown <= CountdownLength()) {
        deathCountdown -= frameTime;
        if (deathCountdown < 0.0f && gEventDispatcher) gEventDispatcher->PostMessage(kMsgEnterReplay, nullptr);
    }

    if (!playing && !recording) return;
    accumulator += frameTime;
    if (accumulator <= frameInterval) return;
    accumulator = 0.0f;
    if (++currentFrame >= frameCount) {
        ringReady = true;
        currentFrame = 0;
    }
    if (playing && !recording) {
        // Once round: the world goes on from the frame shown last.
        if (currentFrame == startFrame) {
            playing = false;
        } else {
            ApplyFrame();
        }
    } else if (recording && !playing) {
        RecordFrame();
    }
}

unsigned cReplaySystem::AddressableBodies() const
{
    if (!bodies) return 0;
    return std::min({bodyCount, static_cast<unsigned>(bodies->size()), static_cast<unsigned>(frames.size())});
}

bool cReplaySystem::CanAddressFrame() const
{
    return bodies && ringReady && currentFrame >= 0 && currentFrame < frameCount;
}

void cReplaySystem::RecordFrame()
{
    if (CanAddressFrame()) {
        const unsigned count = AddressableBodies();
        for (unsigned i = 0; i < count; ++i) {
            if (const Object* body = (*bodies)[i]) frames[i][currentFrame] = Snapshot(*body);
        }
        animatorStates[currentFrame] = ReadAnimator();
    }
    if (playerAlive) {
        playerAlive = ReplayHookSlot::Get().IsPlayerUpright();
        if (!playerAlive) deathFrame = currentFrame;
    }
}

void cReplaySystem::ApplyFrame()
{
    if (!CanAddressFrame()) return;
    const unsigned count = AddressableBodies();
    for (unsigned i = 0; i < count; ++i) {
        if (Object* body = (*bodies)[i]) Restore(*body, frames[i][currentFrame]);
    }
    const AnimatorState& state = animatorStates[currentFrame];
    gKeyframeAnimator->SetCurrent(static_cast<unsigned>(state.entry), state.time);
    if (currentFrame == deathFrame) FlipPlayer();
}

void cReplaySystem::ShowPlayerLimp(bool limp)
{
    if (Ragdoll* ragdoll = ReplayHookSlot::Get().GetPlayerRagdoll()) {
        if (limp) {
            ragdoll->Enable();
        } else {
            ragdoll->Disable();
        }
    }
    if (gRenderer) gRenderer->SetModelAnimating(!limp);
    playerAlive = !limp;
}

void cReplaySystem::FlipPlayer()
{
    ShowPlayerLimp(playerAlive);
}

void cReplaySystem::ResetLookAtStart()
{
    if (currentFrame == startFrame) ShowPlayerLimp(false);
}

void cReplaySystem::Play()
{
    if (recording) {
        // Before the first snapshot of a stage the newest one is the ring's
        // last slot; starting there plays the ring once round, as from any
        // other start.
        startFrame = currentFrame >= 0 ? currentFrame : frameCount - 1;
    }
    recording = false;
    accumulator = 0.0f;
    frozen = false;
    slow = false;
    deathCountdown = -1.0f;
    playing = true;
    currentFrame = startFrame;
    ShowPlayerLimp(false);
}

void cReplaySystem::SlowMotion()
{
    accumulator = 0.0f;
    slow = true;
    frozen = false;
    playing = true;
    ResetLookAtStart();
    Clock::SetTimeScale(kSlowMotionScale);
}

void cReplaySystem::PlayNormalSpeed()
{
    frozen = false;
    ResetLookAtStart();
    playing = true;
    slow = false;
    Clock::SetTimeScale(0.0f);
    accumulator = 0.0f;
}

void cReplaySystem::StepForward()
{
    accumulator = 0.0f;
    frozen = true;
    playing = true;
    if (currentFrame == startFrame) FlipPlayer();
    if (++currentFrame >= frameCount) currentFrame = 0;
    ApplyFrame();
    if (gRenderer) gRenderer->AdvanceModels(Clock::GetFrameTime(true) / 1000.0f);
}

void cReplaySystem::StepBackward()
{
    accumulator = 0.0f;
    if (--currentFrame < 0) currentFrame = frameCount - 1;
    frozen = true;
    playing = true;
    if (currentFrame == startFrame) FlipPlayer();
    ApplyFrame();
    if (gRenderer) gRenderer->AdvanceModels(Clock::GetFrameTime(true) / 1000.0f);
}

void cReplaySystem::SetPlayPauseChecked(bool checked) const
{
    // Only the replay menu has the toggle at that place.
    if (!IsMenuOnTop(kMenuReplay)) return;
    ToggleBoxItemHUD* toggle = dynamic_cast<ToggleBoxItemHUD*>(gMenuMan->GetCurrentMenu()->GetItem(kPlayPauseItem));
    if (!toggle) return;
    if (checked) {
        toggle->SetChecked();
    } else {
        toggle->SetUnchecked();
    }
}

void cReplaySystem::ShowPauseButton()
{
    SetPlayPauseChecked(true);
}

void cReplaySystem::ShowPlayButton()
{
    SetPlayPauseChecked(false);
}

void cReplaySystem::SetMouseLook(bool on) const
{
    if (gRenderer) gRenderer->GetCamera()->SetMouseLookEnabled(on);
}

const ReplayFrame* cReplaySystem::GetFrame(unsigned body, int frame) const
{
    if (body >= frames.size() || frame < 0 || frame >= static_cast<int>(frames[body].size())) return nullptr;
    return &frames[body][frame];
}

const AnimatorState* cReplaySystem::GetAnimatorState(int frame) const
{
    if (frame < 0 || frame >= static_cast<int>(animatorStates.size())) return nullptr;
    return &animatorStates[frame];
}

void cReplaySystem::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgEnterReplay:
        if (IsMenuOnTop(kMenuReplay)) break;
        if (gMenuMan) gMenuMan->OpenMenu(kMenuReplay);
        SetMouseLook(false);
        Play();
        break;
    case kMsgStartDeathCountdown:
        if (deathCountdown < 0.0f) deathCountdown = CountdownLength() - Clock::GetFrameTime(false);
        break;
    case kMsgRetryStage:
        // The level loader has had this message first and reloaded the stage.
        SetMouseLook(true);
        frozen = false;
        slow = false;
        playing = false;
        Clock::SetTimeScale(0.0f);
        Stop();
        break;
    case kMsgMouseButton:
        // Holding the left button over the replay turns the camera.
        if (const fMouseButtonState* button = dynamic_cast<const fMouseButtonState*>(msg)) {
            if (!IsMenuOnTop(kMenuReplay) || button->button != 0) break;
            if (button->state == kPressHeld) SetMouseLook(true);
            if (button->state == kPressReleased) SetMouseLook(false);
        }
        break;
    default:
        if (!HandleControl(id, msg)) REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}

bool cReplaySystem::HandleControl(int id, fMessage* msg)
{
    // The keys Y and I and the replay menu's buttons: what each does, then
    // the image the play/pause toggle shows.
    enum class Shows { Nothing, Pause, Play };
    struct Control
    {
        int id;
        void (cReplaySystem::*act)();
        Shows shows;
    };
    static const Control kControls[] = {
        {kMsgReplayStop, &cReplaySystem::Stop, Shows::Nothing},
        {kMsgReplayPlay, &cReplaySystem::PlayNormalSpeed, Shows::Pause},
        {kMsgReplayFreeze, &cReplaySystem::ToggleFreeze, Shows::Play},
        {kMsgReplayForward, &cReplaySystem::StepForward, Shows::Play},
        {kMsgReplayBack, &cReplaySystem::StepBackward, Shows::Play},
        {kMsgReplaySlowMotion, &cReplaySystem::SlowMotion, Shows::Pause},
    };
    for (const Control& control : kControls) {
        if (control.id != id) continue;
        if (!IsControlPress(msg)) return true;
        (this->*control.act)();
        if (control.shows == Shows::Pause) ShowPauseButton();
        if (control.shows == Shows::Play) ShowPlayButton();
        return true;
    }
    return false;
}

void cReplaySystem::ToggleFreeze()
{
    // Only over the replay: a freeze during play would leave the ring both
    // playing and recording, and it would stop recording.
    if (!IsMenuOnTop(kMenuReplay)) return;
    accumulator = 0.0f;
    frozen = !frozen;
    playing = true;
}
