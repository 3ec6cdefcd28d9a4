// What the ragdoll tests share: hooks standing in for the game (recording
// what the ragdoll asks of it), and a scene with a physics world on flat
// ground, a renderer made for the test with the generated character (or a
// variant, or none) loaded without a device, and the character placed as the
// World's factory places it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AnimationTestSupport.h"
#include "CollisionTestSupport.h"
#include "core/EventObj.h"
#include "core/Messages.h"
#include "objects/Ragdoll.h"
#include "objects/StageHooks.h"
#include "physics/ObjectController.h"
#include "render/FrameHooks.h"
#include "render/Renderer.h"

class RecordingStageHooks : public StageHooks, public fEventObj
{
public:
    struct Call
    {
        int type; // the scene object's type, or -1 for a light
        Vector3 position;
        const Vector3* follows;
        const Matrix3* turns;
        std::vector<float> values; // scene object: scale, texture; light: colour, range, flickers
    };
    bool hasParticleManager = true;
    int playerResets = 0;
    std::vector<Call> calls;
    std::vector<std::unique_ptr<fAttachSystem>> attached; // copies of what the particle manager got

    PointLight* AddLight(const Vector3* position, const Matrix3* orientation, const float* colour, float range,
                         float attenuation0, float attenuation1) override;
    void CreateSceneObject(int type, const Vector3* position, const Matrix3* orientation, float sx, float sy, float sz,
                           int texture) override;
    void ResetPlayerForNewLevel() override { ++playerResets; }
    fEventObj* GetParticleManager() const override;
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override;
};

// World object 0 is limb 0 with the skinned drawable; the test sets the idle flag.
class CharacterFrameHooks : public FrameHooks
{
public:
    const Ragdoll* ragdoll = nullptr;
    bool idle = false;
    bool GetCharacter(FrameCharacter& character) const override;
};

class RagdollScene
{
public:
    static constexpr float kSubStep = 0.01f;
    static constexpr int kWalkSet = 4;
    static constexpr int kIdleSet = 11;

    // Sets the stage, installs the hooks, writes "male.x" (the generated
    // character, or modelText; an empty text writes none) into a scratch run
    // tree, loads it into a renderer made current, and lays flat ground at
    // z 0 under a physics world whose first controller is the player's push.
    explicit RagdollScene(int stage, const std::string* modelText = nullptr);
    ~RagdollScene();
    RagdollScene(const RagdollScene&) = delete;
    RagdollScene& operator=(const RagdollScene&) = delete;

    // A new character standing with its soles on the record position (the
    // old one goes first), after one sub-step.
    Ragdoll& BuildCharacter(const Vector3& record = Vector3());
    // The physics world cleared, then the ragdoll and the bodies it kept deleted.
    void DestroyCharacter();
    void Step(int n);
    // The player's walk: the push along the direction every sub-step.
    void Walk(const Vector3& direction, int steps);
    // A short walk along +x turns the model to +x, then idle: the body plan's
    // axes are then the world's.
    Ragdoll& StandFacingForward();

    Ragdoll& Character() { return *ragdoll; }
    Renderer& GetRenderer() { return *renderer; }
    bool ModelLoaded() const { return SUCCEEDED(loadResult); }
    const std::string& LoadReport() const { return loadReport; }

    RecordingStageHooks stageHooks;
    CharacterFrameHooks frameHooks;
    CollisionTestWorld physics;
    ObjectController push{&physics.world};

private:
    std::unique_ptr<ScratchRunTree> tree;
    std::unique_ptr<Heightmap> ground;
    std::unique_ptr<Renderer> renderer;
    Renderer* previousRenderer = nullptr;
    MultiAnimAllocateHierarchy allocator;
    HRESULT loadResult = E_FAIL;
    std::string loadReport;
    std::unique_ptr<Ragdoll> ragdoll;
};

// The World's character factory on a built ragdoll, with the player's recovery.
void PlaceAsCharacter(Ragdoll& ragdoll, const Vector3& record);

// The limb's place relative to limb 0 in the body plan.
Vector3 PlanOffset(int limb);
// Every body of the character has a finite pose and motion.
bool AllFinite(const Ragdoll& ragdoll);
// How far apart a hinge's two bodies hold its hinge point.
float HingeGap(const HingeJoint& joint);
float Distance(const Vector3& a, const Vector3& b);
float MatrixDistance(const Matrix3& a, const Matrix3& b);
