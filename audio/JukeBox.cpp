#include "audio/JukeBox.h"

#include "audio/AudioSystem.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"

cJukeBox* gJukeBox = nullptr;

cJukeBox::cJukeBox() : AudioController(true) {}

cJukeBox::~cJukeBox()
{
    if (gJukeBox == this) {
        gJukeBox = nullptr;
    }
}

void cJukeBox::Init(FMOD::System** system_)
{
    SubscribeMessages();
    AudioController::Init(system_);
    playlist = gAudioSystem ? &gAudioSystem->bgmNames : nullptr;
    if (playlist == nullptr) {
        return;
    }
    for (const std::string& name : *playlist) {
        AddSound(name, false, 0.0f, nullptr, nullptr);
    }
    // Every track keeps a slot, a failed one with no sound; it is skipped when
    // its turn comes.
    for (const std::string& name : *playlist) {
        FMOD::Sound* sound = slots[name].sound;
        if (sound != nullptr) {
            sound->setMode(FMOD_LOOP_OFF);
        }
    }
}

void cJukeBox::SubscribeMessages()
{
    if (gEventDispatcher == nullptr) {
        return;
    }
    static const int kIds[] = {kMsgJukeBoxNext, kMsgJukeBoxPrevious, kMsgJukeBoxPlay,
                               kMsgJukeBoxStop, kMsgJukeBoxPause,    kMsgJukeBoxMute};
    for (int id : kIds) {
        gEventDispatcher->Subscribe(id, this);
    }
}

void cJukeBox::HandleMessage(int id, fMessage* msg)
{
    const fInputState* input = dynamic_cast<const fInputState*>(msg);
    if (input == nullptr || input->state != kPressReleased) {
        return;
    }
    switch (id) {
    case kMsgJukeBoxPlay:
        Play();
        break;
    case kMsgJukeBoxNext:
        NextTrack();
        break;
    case kMsgJukeBoxPrevious:
        PreviousTrack();
        break;
    case kMsgJukeBoxStop:
        Stop();
        break;
    case kMsgJukeBoxPause:
        TogglePause();
        break;
    case kMsgJukeBoxMute:
        ToggleMute();
        break;
    default:
        REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}

void cJukeBox::Play()
{
    if (!HasTracks()) {
        return;
    }
    if (playing) {
        AudioController::Stop(CurrentTrack());
    }
    AudioController::Play(CurrentTrack());
    stopped = false;
}

void cJukeBox::Stop()
{
    if (!HasTracks()) {
        return;
    }
    if (playing) {
        AudioController::Stop(CurrentTrack());
    }
    stopped = true;
}

void cJukeBox::MoveBy(int step)
{
    if (playing) {
        AudioController::Stop(CurrentTrack());
    }
    const int count = static_cast<int>(playlist->size());
    current += step;
    if (current >= count) {
        current = 0;
    } else if (current < 0) {
        current = count - 1;
    }
    if (!stopped) {
        AudioController::Play(CurrentTrack());
    }
}

void cJukeBox::NextTrack()
{
    if (HasTracks()) {
        MoveBy(1);
    }
}

void cJukeBox::PreviousTrack()
{
    if (HasTracks()) {
        MoveBy(-1);
    }
}

void cJukeBox::TogglePause()
{
    if (HasTracks() && playing) {
        AudioController::TogglePause(CurrentTrack());
    }
}

void cJukeBox::ToggleMute()
{
    if (HasTracks() && playing) {
        AudioController::ToggleMute(CurrentTrack());
    }
}

void cJukeBox::Update()
{
    if (!HasTracks()) {
        return;
    }
    playing = IsPlaying(CurrentTrack());
    if (!playing && !stopped) {
        NextTrack();
    }
}
