// The jukebox: plays the music tracks the sound system loaded, one at a time
// and in load order, under the player's keys (play, next, previous, stop,
// pause, mute). A track that ends is followed by the next, the last by the
// first. It starts stopped; the sound system owns and destroys it.
#pragma once

#include <string>
#include <vector>

#include "audio/AudioController.h"
#include "core/EventObj.h"

class cJukeBox : public AudioController, public fEventObj
{
public:
    cJukeBox();
    // Leaves the dispatcher (the fEventObj part) and clears gJukeBox when it
    // is that one.
    ~cJukeBox() override;

    // From AudioSystem::RegisterController: subscribes, takes the playlist and
    // a slot for every track, each set to play once.
    void Init(FMOD::System** system_) override;
    // Refreshes `playing` and moves on when the track has ended.
    void Update() override;

    void SubscribeMessages() override;
    // Acts on a key's release only.
    void HandleMessage(int id, fMessage* msg) override;

    void Play();
    void Stop();
    void NextTrack();
    void PreviousTrack();
    void TogglePause();
    void ToggleMute();

    const std::vector<std::string>* playlist = nullptr; // the sound system's music names
    int current = 0;
    bool stopped = false;
    // Whether the current track's channel played at the last update; paused
    // counts as playing. The operations act on what the last frame saw.
    bool playing = false;

private:
    bool HasTracks() const { return playlist != nullptr && !playlist->empty(); }
    const std::string& CurrentTrack() const { return (*playlist)[static_cast<std::size_t>(current)]; }
    // Stops the track if it plays, moves by step with wrapping, and plays the
    // new one unless the jukebox is stopped.
    void MoveBy(int step);
};

extern cJukeBox* gJukeBox;
