#include "particles/fPartManager.h"

#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "particles/ParticleRandom.h"
#include "particles/fPartFactory.h"
#include "particles/fParticle.h"

fPartManager* gPartManager = nullptr;

void SendToParticles(int id, fMessage* message)
{
    EventDispatcher::SendMessage(gPartManager, id, message);
}

namespace {

const char* const kSource = "fPartManager";
const int kLineConservation = 115;
const int kLineUnknownMessage = 160;

const unsigned int kDefaultSystemLimit = 1000;

// On the lava stage, a fountain and a "dolphin" leap every two seconds somewhere
// in the square of +-120 around the origin, at the lava's surface.
const float kLavaInterval = 2.0f;
const float kLavaHalfExtent = 120.0f;
const float kLavaHeight = 4.0f;

Vector3 LavaSpot(float rx, float ry)
{
    return Vector3(2.0f * kLavaHalfExtent * rx - kLavaHalfExtent, 2.0f * kLavaHalfExtent * ry - kLavaHalfExtent,
                   kLavaHeight);
}

} // namespace

fPartManager::fPartManager() : limit(kDefaultSystemLimit), conservation(0), lava_timer(0.0f)
{
    SubscribeMessages();
}

fPartManager::~fPartManager()
{
    DestroyAll();
}

void fPartManager::SubscribeMessages()
{
    if (gEventDispatcher) {
        gEventDispatcher->Subscribe(kMsgCreateSystem, this);
        gEventDispatcher->Subscribe(kMsgAttachSystem, this);
    }
}

void fPartManager::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgCreateSystem:
        if (const fCreateSystem* create = dynamic_cast<const fCreateSystem*>(msg)) {
            if (gPartFactory) {
                AddSystem(
                    gPartFactory->CreateSystem(create->name, &create->position, &create->scale, &create->velocity));
            }
        }
        break;
    case kMsgAttachSystem:
        if (const fAttachSystem* attach = dynamic_cast<const fAttachSystem*>(msg)) {
            const Vector3 still;
            fParticle* particle =
                gPartFactory ? gPartFactory->CreateSystem(attach->name, attach->parentPosition, &attach->scale, &still)
                             : nullptr;
            if (particle) {
                particle->AttachTo(attach->offset, attach->parentPosition, attach->parentOrientation,
                                   attach->parentVelocity);
                AddSystem(particle);
            }
        }
        break;
    default:
        ReportError("Unknown message sent to particle manager", kSource, kLineUnknownMessage);
        break;
    }
}

void fPartManager::AddSystem(fParticle* particle)
{
    if (!particle) {
        return;
    }
    if (conservation && systems.size() >= limit) {
        ReportError("Particle System conservation enabled. Default system limit already reached.", kSource,
                    kLineConservation);
        ParticleRemovalBatch::Dispose(particle);
        return;
    }
    systems.push_back(particle);
}

// Walked by index with a separate write index, as a particle walks its
// children: the order holds and systems added meanwhile are kept.
void fPartManager::Update(const float* dt)
{
    const ParticleRemovalBatch batch;
    size_t kept = 0;
    for (size_t i = 0; i < systems.size(); ++i) {
        fParticle* system = systems[i];
        if (system->finished && system->CountSystems() == 1) {
            ParticleRemovalBatch::Dispose(system);
            continue;
        }
        system->Update(dt);
        systems[kept++] = system;
    }
    systems.resize(kept);
}

void fPartManager::SpawnLavaSystems(const float* dt)
{
    lava_timer += dt ? *dt : 0.0f;
    if (CurrentStage() != kLavaStage || lava_timer < kLavaInterval) {
        return;
    }
    const float r1 = ParticleRandom();
    const float r2 = ParticleRandom();
    const float r3 = ParticleRandom();
    const float r4 = ParticleRandom();
    const Vector3 still;
    const float scale = 1.0f;
    const Vector3 fountain = LavaSpot(r2, r1);
    const Vector3 dolphin = LavaSpot(r4, r3);
    EventDispatcher::SendMessage(this, kMsgCreateSystem, new fCreateSystem("LavaFountain", &fountain, &still, &scale));
    EventDispatcher::SendMessage(this, kMsgCreateSystem, new fCreateSystem("LavaDolphin", &dolphin, &still, &scale));
    lava_timer = 0.0f;
}

void fPartManager::DestroyAll()
{
    const ParticleRemovalBatch batch;
    std::vector<fParticle*> doomed;
    doomed.swap(systems);
    for (fParticle* system : doomed) {
        ParticleRemovalBatch::Dispose(system);
    }
    lava_timer = 0.0f;
}
