// The sound system: owns the FMOD system, loads every sound file of the game at
// start-up and keeps the sounds by name, places the one 3D listener at the
// camera every frame, updates the registered controllers and FMOD, and
// releases everything at exit. One instance, reached through gAudioSystem.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/Vector3.h"
#include "fmod.hpp"

class AudioController;
class Camera;

// Sound folders, beside the working directory as the other data folders are.
constexpr const char* SfxDirectory = "../sounds/sfx/";
constexpr const char* BgmDirectory = "../sounds/bgm/";
constexpr const char* kSfxPattern = "*.wav";
constexpr const char* kBgmPattern = "*.mp3";

// Effects: one-shot 3D samples that fade linearly with distance. Music: 2D
// streams, looping until the jukebox turns each to play once.
constexpr FMOD_MODE kSfxMode = FMOD_LOOP_OFF | FMOD_3D | FMOD_HARDWARE | FMOD_3D_LINEARROLLOFF;
constexpr FMOD_MODE kBgmMode = FMOD_LOOP_NORMAL | FMOD_2D | FMOD_HARDWARE;
// The oldest sound library release that has every call the game makes; with
// an older one Init prints an error and returns false.
constexpr unsigned int kRequiredFmodVersion = 0x40430;
constexpr int kMaxChannels = 1000;

// Where the listener stands and looks, in game coordinates.
struct ListenerPose
{
    Vector3 position;
    Vector3 forward;
    Vector3 up;
};

// The camera belongs to the renderer, which sits beside this library rather
// than below it; the game installs the function that reads it.
typedef ListenerPose (*CameraPoseReader)(const Camera* camera);

class AudioSystem
{
public:
    AudioSystem() = default;
    // Runs Release.
    ~AudioSystem();

    AudioSystem(const AudioSystem&) = delete;
    AudioSystem& operator=(const AudioSystem&) = delete;

    // Creates and starts FMOD with one listener. False when the library is too
    // old or the last step failed; the game goes on silent either way.
    bool Init();
    void LoadAllSounds();
    void LoadSfxFolder();
    void LoadBgmFolder();
    // One file, known by its name less the folder and the last four characters.
    // A file that fails to load keeps its name with a null sound.
    void LoadSfx(const std::string& path);
    void LoadBgm(const std::string& path);
    // Null for an absent name and for one whose file failed to load.
    FMOD::Sound* FindSfx(const std::string& name) const;
    FMOD::Sound* FindBgm(const std::string& name) const;

    void SetListenerCamera(Camera* camera);
    void SetCameraPoseReader(CameraPoseReader reader);

    // Hands the controller the system and keeps it in registration order.
    // Null is ignored.
    void RegisterController(AudioController* controller);
    // Destroys a registered controller and forgets it; one never registered,
    // or already freed by Release, is left alone.
    void DeleteController(AudioController* controller);

    // Once per frame move, after the physics step and the replay.
    void Update();
    // Releases the sounds, destroys the controllers the system owns, then
    // closes FMOD. Safe to run again.
    void Release();

    std::map<std::string, FMOD::Sound*> sfx;
    std::map<std::string, FMOD::Sound*> bgm;
    std::vector<std::string> bgmNames; // load order: the jukebox's playlist
    std::vector<std::string> sfxNames;
    std::vector<AudioController*> controllers;
    Camera* listener = nullptr;
    FMOD::System* system = nullptr; // controllers keep the address of this field

private:
    typedef void (AudioSystem::*FileLoader)(const std::string& path);
    void LoadFolder(const char* folder, const char* pattern, FileLoader load);
    void LoadInto(std::map<std::string, FMOD::Sound*>& table, std::vector<std::string>& names, const std::string& path,
                  FMOD_MODE mode, bool stream);
    void ReleaseSounds(std::map<std::string, FMOD::Sound*>& table);
    void PlaceListener();

    CameraPoseReader poseReader = nullptr;
};

extern AudioSystem* gAudioSystem;
