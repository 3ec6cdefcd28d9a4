#include "objects/Object.h"

#include "audio/AudioController.h"
#include "audio/AudioSystem.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "render/MeshInstance.h"

namespace {

int objectIdCounter = 0;

const char* const kThud = "thud";
const float kThudMinDistance = 5.0f;
// Only a real fall makes a sound, not a body settling.
const float kThudFallSpeed = -5.0f;

} // namespace

Object::Object() : audio(nullptr), typeId(kDefaultType)
{
    Construct(false);
}

Object::Object(int typeId_) : audio(nullptr), typeId(typeId_)
{
    Construct(true);
}

void Object::Construct(bool tieSoundToBody)
{
    objectId = objectIdCounter++;
    SubscribeMessages();
    // Physics tests, tools and the early start-up build objects before any
    // sound system exists; the object then simply stays silent.
    if (gAudioSystem == nullptr) {
        return;
    }
    // The sound system owns the controller: the object hands it back through
    // AudioSystem::DeleteController, and a system released first has freed it.
    audio = new AudioController(true);
    gAudioSystem->RegisterController(audio);
    audio->AddSound(kThud, true, kThudMinDistance, tieSoundToBody ? &position : nullptr,
                    tieSoundToBody ? &linearVelocity : nullptr);
    audio->Stop(kThud);
}

Object::~Object()
{
    for (MeshInstance* mesh : meshes) ReleaseMeshInstance(mesh);
    if (gAudioSystem != nullptr) {
        gAudioSystem->DeleteController(audio);
    }
    audio = nullptr;
}

void Object::SubscribeMessages()
{
    if (gEventDispatcher == nullptr) {
        return;
    }
    gEventDispatcher->Subscribe(kMsgSetVelocity, this);
    gEventDispatcher->Subscribe(kMsgPlaySound, this);
}

void Object::HandleMessage(int id, fMessage* msg)
{
    if (id == kMsgSetVelocity) {
        if (const fSetVelocity* set = dynamic_cast<const fSetVelocity*>(msg)) {
            linearVelocity += set->velocity;
        }
        return;
    }
    if (id == kMsgPlaySound) {
        if (dynamic_cast<const fPlaySound*>(msg) && audio && objectId != 0 && linearVelocity.z < kThudFallSpeed &&
            !audio->IsPlaying(kThud)) {
            audio->Play(kThud);
        }
        return;
    }
    ReportError(kUnknownMessageReport, "Object", 145);
}

void Object::EnableTextures(bool on)
{
    for (MeshInstance* mesh : meshes) {
        if (mesh) {
            mesh->EnableTexture(on);
        }
    }
}

void Object::ResetIdCounter()
{
    objectIdCounter = 0;
}

int Object::GetIdCounter()
{
    return objectIdCounter;
}
