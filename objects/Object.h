// A physical game object: a rigid body that also receives messages, with a
// stage-wide object id, a type id of the world factory, its own impact sound
// and the mesh instances that draw it. Every shape derives from it.
#pragma once

#include <vector>

#include "core/EventObj.h"
#include "physics/BodyTypes.h"
#include "physics/RigidBody.h"

class AudioController;
struct MeshInstance;

class Object : public RigidBody, public fEventObj
{
public:
    static constexpr int kDefaultType = kObjectBodyType;

    Object();
    explicit Object(int typeId_);
    ~Object() override;

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    int* GetObjectId() override { return &objectId; }
    int GetType() const override { return typeId; }

    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;

    // The editor's texture switch.
    void EnableTextures(bool on);
    std::vector<MeshInstance*>* GetModels() { return &meshes; }

    // The world restarts the numbering at every stage clear, so the player's
    // character, built first, is object 0.
    static void ResetIdCounter();
    static int GetIdCounter();

    int objectId;
    AudioController* audio; // owned by the sound system once registered; null when there is none
    int typeId;
    std::vector<MeshInstance*> meshes;
    // The mass the World's factory built the object with. The level writer
    // saves this one: an immovable body's own mass reads as almost nothing.
    float creationMass = 0.0f;

private:
    void Construct(bool tieSoundToBody);
};
