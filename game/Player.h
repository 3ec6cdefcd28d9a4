// The player's controller: held keys push the character's walking body (or
// drive the mine cart on stage 4), Space jumps, K knocks the character out
// and stands it up again, L and the mouse work the mask. It keeps the stage
// and total scores, the shadow and the sky box with the character, and picks
// the idle or walking animation.
//
// The character is the ragdoll the World's factory builds (SetBody); the
// World owns it and its bodies, the Player only points at it until the next
// stage clear (ResetForNewLevel). The Player owns its sound controller.
//
// Contacts: the Player listens to the collision detection (terrain and body
// contacts of the walking body) and to every prism's segment test (ramps).
// What they report during the physics step (and the frame's scene update) is
// read by the next Update, which clears it.
#pragma once

#include "core/EventObj.h"
#include "core/Vector3.h"

class AudioController;
class Capsule;
class NPObj;
class Object;
class Ragdoll;
class RigidBody;

class Player : public fEventObj
{
public:
    // Tuning the rules below are written in.
    static constexpr float kGroundPush = 400.0f;
    static constexpr float kAirPush = 150.0f;
    static constexpr float kMaxSpeedSquared = 400.0f; // the push stops at speed 20
    static constexpr float kJumpForce = 1400.0f;
    static constexpr float kJumpSeconds = 0.5f;
    static constexpr float kAirSeconds = 1.0f;
    static constexpr float kIdleSpeedClamp = 3.0f;
    static constexpr float kHardLandingSpeed = -24.0f;
    static constexpr float kImpactLow = 25.0f; // above this and at most kImpactHigh knocks out
    static constexpr float kImpactHigh = 30.0f;
    static constexpr float kCartFallLimit = -400.0f;
    static constexpr float kMaskRayNear = 5.0f;
    static constexpr float kMaskRayFar = 200.0f;
    static constexpr int kDustPuffs = 20;
    static constexpr unsigned kIdleAnimation = 11;
    static constexpr unsigned kWalkAnimation = 4;

    // Reads "physics_collision_system" from the World's "Physics.cfg",
    // subscribes, and starts listening to contacts.
    Player();
    // Stops listening and frees its sound controller (the sound system may be
    // gone already: the exit routine deletes it first).
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;
    // Once a frame move, before the physics step.
    void Update();

    // One held movement key (18 to 21) this frame.
    void Move(int id);
    // Space held while allowed: a force that falls to nothing within half a second.
    void Jump();
    // A held key on the cart stage: throttle, steering or brake.
    void DriveCart(int id);
    // No movement key held: the cart's throttle and steering go back, the
    // character's slide is held to a walk.
    void Idle();
    // The brake follows Space alone: it comes off in every frame Space is not
    // held, whatever else is (Idle does not run while a driving key steers).
    void ReleaseBrake();
    // The walking body reaches into the terrain.
    bool CheckGround() const;
    void CheckLanding();
    void CheckFall();
    void KnockOut();
    void Recover();
    void UpdateAnimation();
    // With the mask: a dust burst on the nearest object ahead of the character.
    void CastMaskRay();

    // The normal of the ramp face under the character; kept only when it faces up.
    void SetContactVector(const Vector3& normal);
    // Whether a contact of the walking body with that body counts as standing
    // on or touching something.
    bool CheckContactObject(const RigidBody* other) const;
    void SetBody(Ragdoll* ragdoll);
    // First step of every stage clear: the character is forgotten, the stage
    // score goes, the total stays.
    void ResetForNewLevel();

    // What the collision detection and the prisms report (see the contact listeners).
    void OnTerrainContact();
    void OnBodyContact(RigidBody* other);
    void OnRampContact(const Vector3& normal);

    // The shadow the scene factory made for the character.
    void SetShadow(NPObj* shadowObject) { shadow = shadowObject; }
    NPObj* GetShadow() const { return shadow; }

    Ragdoll* GetBody() const { return body; }
    // The ragdoll's walking body (type 22); null without a character.
    Capsule* GetWalkingBody() const;
    // Limb 0 (the spine), the character's first body; null without a character.
    Object* GetFirstLimb() const;
    // What the movement pushes: the walking body, or World object 0 without a character.
    RigidBody* GetPushedBody() const;

    int GetStageScore() const { return stageScore; }
    int GetTotalScore() const { return totalScore; }
    void AddToStageScore(int points) { stageScore += points; }
    // The stage exit banks the stage's score.
    void BankStageScore() { totalScore += stageScore; }
    bool HasMask() const { return hasMask; }
    // Puts the mask on the character's head, or takes it off; nothing
    // without a character.
    void WearMask(bool on);

    bool IsUpright() const { return upright; }
    // True while the idle animation plays (the animated model keeps its facing).
    bool IsIdleAnimation() const { return idleAnimation; }
    bool IsOnGround() const { return onGround; }
    bool IsTouching() const { return touching; }
    bool IsOnRamp() const { return onRamp; }
    int GetStandingOn() const { return standingOn; }
    float GetAirTime() const { return airTime; }
    float GetJumpTime() const { return jumpTime; }
    float GetJumpForce() const { return jumpForce; }
    bool IsJumpReleased() const { return jumpReleased; }
    const Vector3& GetContactNormal() const { return contactNormal; }
    const Vector3& GetMoveDirection() const { return moveDirection; }
    int GetCollisionMode() const { return collisionMode; }
    AudioController* GetSounds() const { return sounds; }

private:
    void PrintDebugInfo() const;
    void CheckImpacts(const Capsule& walking);
    // Each key's walking direction from the camera's yaw.
    static Vector3 KeyDirection(int id);
    // "DustKickupBlur" puffs round the character's feet when it stops.
    void KickUpDust() const;

    bool hasMask = false;
    int standingOn = -1;
    // Per frame, cleared at the end of Update.
    bool onRamp = false;
    bool touching = false;
    bool moving = false;
    bool acting = false;
    bool steering = false;
    bool braking = false; // Space held on the cart stage
    bool jumpReleased = true;
    bool onGround = true;
    int stageScore = 0;
    int totalScore = 0;
    float airTime = 0.0f;
    float jumpTime = 0.0f;
    float jumpForce = kJumpForce;
    Ragdoll* body = nullptr;
    bool upright = true;
    bool idleAnimation = true;
    NPObj* shadow = nullptr;
    Vector3 contactNormal;
    Vector3 moveDirection;
    AudioController* sounds = nullptr;
    int collisionMode = 0;
};

extern Player* gPlayer;
