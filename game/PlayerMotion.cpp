// The Player's movement rules: walking and jumping through the push
// controller, driving the cart, holding a stopped character, the ground,
// landings, falls and impacts, and the mask's ray.
#include "game/Player.h"

#include "core/Angle.h"
#include "core/Clock.h"
#include "core/DebugPrint.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/LevelLoader.h"
#include "game/ObjectFactory.h"
#include "game/PlayerProbes.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Object.h"
#include "objects/Vehicle.h"
#include "particles/fPartManager.h"
#include "physics/BodyCollisionData.h"
#include "physics/BodyTypes.h"
#include "physics/CollisionRecord.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "render/Renderer.h"

namespace {

// The cart's controls while a key is held.
const float kFullThrottle = 1.0f;
const float kSteerLock = 0.3f;
const float kFullBrake = 1.0f;

// The stages' fall limits for an upright character (the cart stage has its own).
struct FallLimit
{
    int stage;
    float z;
};
const FallLimit kFallLimits[] = {{kFirstStage, -18.0f}, {kWhipStage, -10.0f}, {kLavaStage, 5.0f}};

// The last measured impact speed: it stands while the walking body touches
// nothing, across stages too.
float sImpactSpeed = 0.0f;

Angle CameraYaw()
{
    return gRenderer != nullptr ? gRenderer->GetCamera()->GetAngleObject() : Angle();
}

Vehicle* FirstVehicle()
{
    return gWorld != nullptr && !gWorld->GetVehicles().empty() ? gWorld->GetVehicles().front() : nullptr;
}

// Bodies that knock the character out whatever the speed: the whips' links,
// the swinging logs, the falling blocks.
bool KnocksOutOnContact(const BodyCollisionData* data)
{
    if (data == nullptr || data->owner == nullptr) return false;
    const int type = data->owner->GetType();
    return type == kChainWhipLinkBodyType || type == kSwingingLogBodyType || type == kFallingBlockType;
}

// A point's velocity on the record's body (a terrain stands still).
Vector3 PointVelocity(const BodyCollisionData* data, const Vector3& arm)
{
    if (data == nullptr || data->owner == nullptr) return Vector3();
    const RigidBody* body = data->owner;
    Vector3 spin;
    Vector3::Cross(spin, body->angularVelocity, arm);
    return body->linearVelocity + spin;
}

} // namespace

Vector3 Player::KeyDirection(int id)
{
    float first = 0.0f;
    float second = 0.0f;
    CameraYaw().SinCos(first, second);
    switch (id) {
    case kMsgMoveForward:
        return Vector3(first, second, 0.0f);
    case kMsgMoveBack:
        return Vector3(-first, -second, 0.0f);
    case kMsgMoveLeft:
        return Vector3(second, -first, 0.0f);
    case kMsgMoveRight:
        return Vector3(-second, first, 0.0f);
    default:
        return Vector3();
    }
}

void Player::Move(int id)
{
    if (upright) {
        const Vector3 key = KeyDirection(id);
        moveDirection += key;
        moveDirection.z = 0.0f;
        // A key straight against the heading cancels it; normalising nothing
        // would head along +x, which at yaw 0 is the very heading the player
        // turned from, so the walk would never come round. Face the key.
        if (moveDirection.LengthSquared() == 0.0f) moveDirection = key;
        moveDirection.Normalize();
    }
    const bool grounded = touching || CheckGround();
    const float strength = airTime > 0.0f || !grounded ? kAirPush : kGroundPush;
    if (onRamp && airTime <= 0.0f && grounded) {
        Vector3 across;
        Vector3::Cross(across, moveDirection, contactNormal);
        Vector3::Cross(moveDirection, contactNormal, across);
        moveDirection.Normalize();
        DebugPrint("climbing ramp");
    }
    RigidBody* pushed = GetPushedBody();
    if (pushed == nullptr || gObjectController == nullptr) return;
    if (pushed->linearVelocity.LengthSquared() < kMaxSpeedSquared) {
        gObjectController->SetEnabled(true);
        gObjectController->SetObject(pushed);
        gObjectController->AddDirection(moveDirection * (strength * GameFrameSeconds()));
    }
}

void Player::Jump()
{
    const float dt = GameFrameSeconds();
    jumpTime += dt;
    jumpForce -= 2.0f * kJumpForce * dt;
    if (jumpTime > kJumpSeconds || jumpForce <= 0.0f) return;
    onGround = false;
    // Without a character the push goes to World object 0, as walking's does.
    if (RigidBody* pushed = GetPushedBody()) {
        pushed->SetFreezeState(0, 1.0f);
        if (gObjectController != nullptr) {
            gObjectController->SetEnabled(true);
            gObjectController->SetObject(pushed);
            gObjectController->AddDirection(Vector3(0.0f, 0.0f, 1.0f) * (jumpForce * dt));
        }
    }
    airTime = kAirSeconds;
}

void Player::DriveCart(int id)
{
    Vehicle* cart = FirstVehicle();
    if (cart == nullptr) return;
    cart->SetFreezeState(0, 1.0f);
    switch (id) {
    case kMsgMoveForward:
        cart->SetThrottle(kFullThrottle);
        break;
    case kMsgMoveBack:
        cart->SetThrottle(-kFullThrottle);
        break;
    case kMsgMoveLeft:
        cart->SetSteering(-kSteerLock);
        break;
    case kMsgMoveRight:
        cart->SetSteering(kSteerLock);
        break;
    case kMsgJump:
        cart->SetBrake(kFullBrake);
        braking = true;
        break;
    default:
        break;
    }
}

void Player::Idle()
{
    if (Vehicle* cart = FirstVehicle()) {
        if (!moving) cart->SetThrottle(0.0f);
        cart->SetSteering(0.0f);
        return;
    }
    Capsule* walking = GetWalkingBody();
    if (walking == nullptr || moving || !(touching || CheckGround())) return;
    Vector3& v = walking->linearVelocity;
    v.x = v.x < -kIdleSpeedClamp ? -kIdleSpeedClamp : (v.x > kIdleSpeedClamp ? kIdleSpeedClamp : v.x);
    v.y = v.y < -kIdleSpeedClamp ? -kIdleSpeedClamp : (v.y > kIdleSpeedClamp ? kIdleSpeedClamp : v.y);
}

void Player::ReleaseBrake()
{
    Vehicle* cart = FirstVehicle();
    if (cart != nullptr && !braking) cart->SetBrake(0.0f);
}

bool Player::CheckGround() const
{
    const Capsule* walking = GetWalkingBody();
    float height = 0.0f;
    if (walking == nullptr || !GroundHeightAt(walking->position.x, walking->position.y, height)) return false;
    return walking->position.z < height + 0.5f * walking->GetLength();
}

void Player::CheckLanding()
{
    Capsule* walking = GetWalkingBody();
    if (walking == nullptr) return;
    if (CheckGround() && walking->linearVelocity.z < kHardLandingSpeed) {
        const int stage = CurrentStage();
        // Dust on the first stage's grass, a splash on the lava.
        if (stage == kFirstStage) CreateEffectNow("DustEmitter", walking->position);
        if (stage == kLavaStage) CreateEffectNow("LavaSplash", walking->position);
        KnockOut();
    }
    CheckImpacts(*walking);
}

void Player::CheckImpacts(const Capsule& walking)
{
    BodyCollisionData* own = const_cast<Capsule&>(walking).GetCollisionData();
    if (own == nullptr || gPhysicsWorld == nullptr) return;
    const std::vector<CollisionRecord>& records = gPhysicsWorld->GetRecords();
    float speedSum = 0.0f;
    int counted = 0;
    for (int index : own->recordIndices) {
        if (index < 0 || index >= static_cast<int>(records.size())) continue;
        const CollisionRecord& r = records[static_cast<size_t>(index)];
        if (r.dataA != own && r.dataB != own) continue;
        if (KnocksOutOnContact(r.dataA) || KnocksOutOnContact(r.dataB)) {
            KnockOut();
            return;
        }
        const Vector3 relative = PointVelocity(r.dataA, r.armA) - PointVelocity(r.dataB, r.armB);
        speedSum += relative.Length();
        ++counted;
    }
    if (counted > 0) sImpactSpeed = speedSum / static_cast<float>(counted);
    if (sImpactSpeed > kImpactLow && sImpactSpeed <= kImpactHigh) {
        if (upright) CreateEffectNow("DustEmitter", walking.position);
        KnockOut();
        sImpactSpeed = 0.0f;
    }
}

void Player::CheckFall()
{
    if (!upright || body == nullptr) return;
    const int stage = CurrentStage();
    if (stage == kCartStage) {
        Vehicle* cart = FirstVehicle();
        if (cart != nullptr && cart->position.z <= kCartFallLimit && gLevelLoader != nullptr) {
            gLevelLoader->LoadLevel(StageFileName(kCartStage));
            // The stage is new from here: the cart, the character, this rule's inputs.
            if (Vehicle* fresh = FirstVehicle()) fresh->ResetWheels();
        }
        return;
    }
    const Capsule* walking = GetWalkingBody();
    for (const FallLimit& limit : kFallLimits) {
        if (limit.stage == stage && walking->position.z <= limit.z) {
            KnockOut();
            return;
        }
    }
}

void Player::CastMaskRay()
{
    const Object* character = gWorld != nullptr ? gWorld->GetObject(0) : nullptr;
    if (character == nullptr) return;
    Vector3 ahead = KeyDirection(kMsgMoveForward);
    ahead.Normalize();
    const Vector3 start = character->position + ahead * kMaskRayNear;
    const Vector3 end = character->position + ahead * kMaskRayFar;
    Vector3 hit;
    if (NearestHitPastCharacter(start, end, hit)) CreateEffectNow("DustEmitter", hit);
}
