#include "audio/AudioSystem.h"

#include <algorithm>
#include <cstdio>

#include <windows.h>

#include "audio/AudioController.h"
#include "audio/FmodErrCheck.h"

AudioSystem* gAudioSystem = nullptr;

namespace {

// Whole names both ways: a long file name must keep its folder and its end.
std::wstring Widen(const std::string& text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(static_cast<std::size_t>(length) - 1);
    return wide;
}

std::string Narrow(const wchar_t* text)
{
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], bytes, nullptr, nullptr);
    narrow.resize(static_cast<std::size_t>(bytes) - 1);
    return narrow;
}

// The file name less its folder and its extension's four characters (".wav").
std::string SoundName(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t kExtensionLength = 4;
    return file.size() > kExtensionLength ? file.substr(0, file.size() - kExtensionLength) : std::string();
}

FMOD_VECTOR ToFmod(const Vector3& v)
{
    FMOD_VECTOR out = {v.x, v.y, v.z};
    return out;
}

} // namespace

AudioSystem::~AudioSystem()
{
    Release();
}

bool AudioSystem::Init()
{
    FmodErrCheck(FMOD_System_Create(&system));
    if (system == nullptr) {
        return false;
    }
    unsigned int version = 0;
    FmodErrCheck(system->getVersion(&version));
    if (version < kRequiredFmodVersion) {
        std::printf("Error!  You are using an old version of FMOD %08x.  This program requires %08x\n", version,
                    kRequiredFmodVersion);
        std::fflush(stdout);
        return false;
    }
    FmodErrCheck(system->init(kMaxChannels, FMOD_INIT_NORMAL, nullptr));
    const FMOD_RESULT listeners = system->set3DNumListeners(1);
    FmodErrCheck(listeners);
    return listeners == FMOD_OK;
}

void AudioSystem::LoadAllSounds()
{
    LoadSfxFolder();
    LoadBgmFolder();
}

void AudioSystem::LoadSfxFolder()
{
    LoadFolder(SfxDirectory, kSfxPattern, &AudioSystem::LoadSfx);
}

void AudioSystem::LoadBgmFolder()
{
    LoadFolder(BgmDirectory, kBgmPattern, &AudioSystem::LoadBgm);
}

void AudioSystem::LoadFolder(const char* folder, const char* pattern, FileLoader load)
{
    if (system == nullptr) {
        return;
    }
    const std::wstring search = Widen(std::string(folder) + pattern);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(search.c_str(), &found);
    // No folder or no matching file: an empty table, and nothing to say.
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    // The listing's order is the playlist's order.
    do {
        (this->*load)(std::string(folder) + Narrow(found.cFileName));
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

void AudioSystem::LoadSfx(const std::string& path)
{
    LoadInto(sfx, sfxNames, path, kSfxMode, false);
}

void AudioSystem::LoadBgm(const std::string& path)
{
    LoadInto(bgm, bgmNames, path, kBgmMode, true);
}

void AudioSystem::LoadInto(std::map<std::string, FMOD::Sound*>& table, std::vector<std::string>& names,
                           const std::string& path, FMOD_MODE mode, bool stream)
{
    if (system == nullptr) {
        return;
    }
    const std::string name = SoundName(path);
    // The entry exists before the load, so a file that fails keeps its name.
    FMOD::Sound*& entry = table[name];
    entry = nullptr;
    FmodErrCheck(stream ? system->createStream(path.c_str(), mode, nullptr, &entry)
                        : system->createSound(path.c_str(), mode, nullptr, &entry));
    // Looping is off for effects whatever the file says; a failed load has no
    // sound to set, and its error is already on the console.
    if (!stream && entry != nullptr) {
        FmodErrCheck(entry->setMode(FMOD_LOOP_OFF));
    }
    names.push_back(name);
}

FMOD::Sound* AudioSystem::FindSfx(const std::string& name) const
{
    const auto it = sfx.find(name);
    return it == sfx.end() ? nullptr : it->second;
}

FMOD::Sound* AudioSystem::FindBgm(const std::string& name) const
{
    const auto it = bgm.find(name);
    return it == bgm.end() ? nullptr : it->second;
}

void AudioSystem::SetListenerCamera(Camera* camera)
{
    listener = camera;
}

void AudioSystem::SetCameraPoseReader(CameraPoseReader reader)
{
    poseReader = reader;
}

void AudioSystem::RegisterController(AudioController* controller)
{
    if (controller == nullptr) {
        return;
    }
    controller->Init(&system);
    controllers.push_back(controller);
}

void AudioSystem::DeleteController(AudioController* controller)
{
    if (controller == nullptr) {
        return;
    }
    const auto it = std::find(controllers.begin(), controllers.end(), controller);
    if (it == controllers.end()) {
        return;
    }
    controllers.erase(it);
    delete controller;
}

void AudioSystem::PlaceListener()
{
    if (listener == nullptr || poseReader == nullptr) {
        return;
    }
    // Game coordinates as they are; FMOD's handedness matches the game's.
    const ListenerPose pose = poseReader(listener);
    const FMOD_VECTOR position = ToFmod(pose.position);
    const FMOD_VECTOR forward = ToFmod(pose.forward);
    const FMOD_VECTOR up = ToFmod(pose.up);
    system->set3DListenerAttributes(0, &position, nullptr, &forward, &up);
}

void AudioSystem::Update()
{
    if (system == nullptr) {
        return;
    }
    PlaceListener();
    // By index: a controller's update may register another.
    for (std::size_t i = 0; i < controllers.size(); ++i) {
        if (controllers[i] != nullptr) {
            controllers[i]->Update();
        }
    }
    system->update();
}

void AudioSystem::ReleaseSounds(std::map<std::string, FMOD::Sound*>& table)
{
    for (auto& entry : table) {
        if (entry.second != nullptr) {
            FmodErrCheck(entry.second->release());
            entry.second = nullptr;
        }
    }
}

void AudioSystem::Release()
{
    ReleaseSounds(sfx);
    ReleaseSounds(bgm);
    // Ownership is decided here: the system frees the controllers it owns; the
    // others stay with their owners (the player frees its own, after the
    // system is gone), and with no system left they do nothing.
    const std::vector<AudioController*> registered = controllers;
    controllers.clear();
    for (AudioController* controller : registered) {
        if (controller != nullptr && controller->ownedBySystem) {
            delete controller;
        }
    }
    if (system != nullptr) {
        FmodErrCheck(system->close());
        FmodErrCheck(system->release());
        system = nullptr;
    }
}
