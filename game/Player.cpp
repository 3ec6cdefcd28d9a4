#include "game/Player.h"

#include <algorithm>

#include "audio/AudioController.h"
#include "audio/AudioSystem.h"
#include "core/Clock.h"
#include "core/ConfigFile.h"
#include "core/DebugPrint.h"
#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/ObjectFactory.h"
#include "game/PlayerProbes.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/NPObj.h"
#include "objects/Polyhedron.h"
#include "objects/Ragdoll.h"
#include "objects/Vehicle.h"
#include "particles/fPartManager.h"
#include "physics/BodyCollisionData.h"
#include "physics/collision/PlayerContact.h"
#include "render/KeyframeAnimator.h"
#include "render/Renderer.h"
#include "ui/MenuMan.h"

Player* gPlayer = nullptr;

namespace {

const Vector3 kKnockOutDisplacement(100.0f, 100.0f, 100.0f);

// The shadow's cross turns with the camera; the factor is the game's own
// rounding of degrees per radian.
const float kShadowDegreesPerRadian = 57.3248405456543f;
const float kShadowTurnDegrees = 45.0f;

const char* const kOwSound = "ow";
const float kOwMinDistance = 1.0f;

// The puffs when the character stops: spread over a square 4 wide about
// World object 0, sinking slowly, of assorted sizes.
const float kDustSpread = 2.0f;
const float kDustSmallest = 0.5f;
const float kDustLargest = 1.5f;
const Vector3 kDustVelocity(0.0f, 0.0f, -3.0f);

// The detection's listener: terrain and body contacts of the walking body,
// refused on the cart stage.
class PlayerContacts : public PlayerContactListener
{
public:
    explicit PlayerContacts(Player& player_) : player(player_) {}
    bool AcceptsBodyContacts() const override
    {
        return CurrentStage() != kCartStage;
    }
    void OnTerrainContact() override { player.OnTerrainContact(); }
    void OnBodyContact(RigidBody* other) override { player.OnBodyContact(other); }

private:
    Player& player;
};

// The Player that listens; one at a time (the ramp listener is a plain function).
Player* sListener = nullptr;
PlayerContacts* sContacts = nullptr;

void OnRamp(const Vector3& faceNormal)
{
    if (sListener != nullptr) sListener->OnRampContact(faceNormal);
}

bool MenuOpen()
{
    return gMenuMan != nullptr && gMenuMan->GetCurrentMenuId() != kMenuNone;
}

void SetCharacterAnimating(bool on)
{
    if (gRenderer != nullptr) gRenderer->SetModelAnimating(on);
}

// The World's index of the body, -1 when it is none of the World's objects.
int WorldIndexOf(const RigidBody* body)
{
    if (gWorld == nullptr) return -1;
    const std::vector<Object*>& objects = gWorld->GetObjects();
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i] == body) return static_cast<int>(i);
    }
    return -1;
}

// Where the limp character lies, as a character record gives it (the soles'
// place): under its spine limb, at the highest of the terrain there, of
// whatever lies between the spine and its lowest limb (the character may be
// draped over a log), and of the bottom of that limb's bounds. A torch hand
// off its wrist is not counted: it is apart from the body and may have
// rolled away.
Vector3 LyingPlace(const Ragdoll& ragdoll)
{
    const Vector3& spine = ragdoll.GetLimb(kSpineLimb)->position;
    const bool handOff = !ragdoll.GetJoint(kTorchWristJoint).active;
    float lowest = spine.z;
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i) {
        if (i == kLeftHandLimb && handOff) continue;
        if (const BodyCollisionData* data = ragdoll.GetLimb(i)->GetCollisionData())
            lowest = std::min(lowest, data->bounds.minimum.z);
    }
    Vector3 place(spine.x, spine.y, lowest);
    Vector3 under;
    if (NearestHitPastCharacter(spine, place, under)) place.z = std::max(place.z, under.z);
    float ground = 0.0f;
    if (GroundHeightAt(spine.x, spine.y, ground)) place.z = std::max(place.z, ground);
    return place;
}

} // namespace

Player::Player()
{
    if (gWorld != nullptr && gWorld->GetPhysicsConfig() != nullptr) {
        // Any whole number: with 0 a body higher than the walking body counts as
        // ground only when it is a prism or a pyramid; any other counts every body.
        gWorld->GetPhysicsConfig()->GetChecked("physics_collision_system", collisionMode, kAnyConfigNumber<int>);
    }
    SubscribeMessages();
    delete sContacts;
    sContacts = new PlayerContacts(*this);
    sListener = this;
    gPlayerContactListener = sContacts;
    SetRampContactListener(OnRamp);
}

Player::~Player()
{
    if (sListener == this) {
        if (gPlayerContactListener == sContacts) gPlayerContactListener = nullptr;
        delete sContacts;
        sContacts = nullptr;
        sListener = nullptr;
        SetRampContactListener(nullptr);
    }
    // The sound system never owned the controller. At exit it is gone
    // already; while it lives it must forget the controller first.
    if (gAudioSystem != nullptr) {
        std::vector<AudioController*>& registered = gAudioSystem->controllers;
        registered.erase(std::remove(registered.begin(), registered.end(), sounds), registered.end());
    }
    delete sounds;
}

void Player::SubscribeMessages()
{
    if (gEventDispatcher == nullptr) return;
    for (int id : {kMsgMoveForward, kMsgMoveBack, kMsgMoveLeft, kMsgMoveRight, kMsgJump, kMsgKnockOut, kMsgRecover,
                   kMsgToggleMask, kMsgPlaySound, kMsgMouseButton}) {
        gEventDispatcher->Subscribe(id, this);
    }
}

void Player::HandleMessage(int id, fMessage* msg)
{
    if (id == kMsgPlaySound) {
        const fPlaySound* play = dynamic_cast<const fPlaySound*>(msg);
        if (play != nullptr && sounds != nullptr && !sounds->IsPlaying(play->name)) sounds->Play(play->name);
        return;
    }
    if (id == kMsgRecover) {
        if (!upright) Recover();
        return;
    }
    if (MenuOpen()) return;
    const bool driving = gWorld != nullptr && !gWorld->GetVehicles().empty();

    if (const fInputState* input = dynamic_cast<const fInputState*>(msg)) {
        if (input->state == kPressHeld) {
            switch (id) {
            case kMsgMoveForward:
            case kMsgMoveBack:
            case kMsgMoveLeft:
            case kMsgMoveRight:
                moving = true;
                acting = true;
                if (driving) {
                    if (id == kMsgMoveLeft || id == kMsgMoveRight) steering = true;
                    DriveCart(id);
                } else {
                    Move(id);
                }
                break;
            case kMsgJump:
                acting = true;
                if (driving) {
                    DriveCart(id);
                } else if (onGround || jumpTime > 0.0f) {
                    Jump();
                }
                jumpReleased = false;
                break;
            default:
                break;
            }
        } else if (input->state == kPressReleased) {
            switch (id) {
            case kMsgJump:
                jumpForce = kJumpForce;
                jumpTime = 0.0f;
                jumpReleased = true;
                break;
            case kMsgKnockOut:
                if (upright) {
                    KnockOut();
                } else {
                    Recover();
                }
                break;
            case kMsgToggleMask:
                WearMask(!hasMask);
                break;
            default:
                break;
            }
        }
    }
    if (id == kMsgMouseButton && dynamic_cast<const fMouseButtonState*>(msg) != nullptr && upright && hasMask) {
        CastMaskRay();
    }
}

void Player::Update()
{
    PrintDebugInfo();
    CheckLanding();
    if (NPObj* skyBox = gWorld != nullptr ? gWorld->GetSkyBox() : nullptr) {
        if (const RigidBody* followed = GetPushedBody()) skyBox->position = followed->position;
    }
    CheckFall();
    UpdateAnimation();
    if (shadow != nullptr) {
        const float yaw = gRenderer != nullptr ? gRenderer->GetCamera()->GetAngle() : 0.0f;
        Matrix3::RotationZ(shadow->orientation, yaw * kShadowDegreesPerRadian + kShadowTurnDegrees);
    }
    if (!(moving && steering)) Idle();
    ReleaseBrake();
    const float dt = GameFrameSeconds();
    if (airTime > 0.0f) airTime -= dt;
    if (airTime <= 0.0f && (touching || CheckGround())) onGround = true;
    if (hasMask) DebugPrint("Vivuzuz has the mask");
    moving = false;
    steering = false;
    acting = false;
    braking = false;
    onRamp = false;
    touching = false;
    standingOn = -1;
}

void Player::PrintDebugInfo() const
{
    const Capsule* walking = GetWalkingBody();
    if (walking == nullptr) return;
    DebugPrint("Player %.2f %.2f %.2f upright %d ground %d", walking->position.x, walking->position.y,
               walking->position.z, upright ? 1 : 0, onGround ? 1 : 0);
}

void Player::KnockOut()
{
    if (CurrentStage() == kCartStage || MenuOpen() || body == nullptr) return;
    SetCharacterAnimating(false);
    body->Enable();
    upright = false;
    if (gEventDispatcher != nullptr) gEventDispatcher->PostMessage(kMsgStartDeathCountdown, nullptr);
    Capsule* walking = body->GetMainBody();
    walking->SetPosition(walking->position + kKnockOutDisplacement);
    stageScore = 0;
}

void Player::Recover()
{
    if (CurrentStage() == kCartStage || body == nullptr) return;
    Capsule* walking = body->GetMainBody();
    // Knocked out, the walking body is away from the limp limbs: the
    // character stands up where they lie, raised as a stage load raises it.
    if (body->IsLimp()) walking->SetPosition(LyingPlace(*body) + kCharacterAboveRecord);
    walking->SetOrientation(Matrix3::Identity());
    walking->angularVelocity = Vector3();
    walking->linearVelocity = Vector3();
    walking->SetFreezeState(0, 1.0f);
    SetCharacterAnimating(true);
    body->Disable();
    upright = true;
    idleAnimation = true;
    moving = false;
    gKeyframeAnimator->SwitchTo(kIdleAnimation);
}

void Player::UpdateAnimation()
{
    if (!idleAnimation && !moving) {
        idleAnimation = true;
        gKeyframeAnimator->SwitchTo(kIdleAnimation);
        if (touching || CheckGround()) KickUpDust();
    } else if (idleAnimation && moving) {
        idleAnimation = false;
        gKeyframeAnimator->SwitchTo(kWalkAnimation);
    }
}

void Player::KickUpDust() const
{
    const Object* character = gWorld != nullptr ? gWorld->GetObject(0) : nullptr;
    if (character == nullptr) return;
    for (int i = 0; i < kDustPuffs; ++i) {
        const float dx = RandomBetween(-kDustSpread, kDustSpread);
        const float dy = RandomBetween(-kDustSpread, kDustSpread);
        const float scale = RandomBetween(kDustSmallest, kDustLargest);
        const Vector3 where = character->position + Vector3(dx, dy, 0.0f);
        SendToParticles(kMsgCreateSystem, new fCreateSystem("DustKickupBlur", &where, &kDustVelocity, &scale));
    }
}

void Player::SetContactVector(const Vector3& normal)
{
    if (normal.z > 0.0f) contactNormal = normal;
}

bool Player::CheckContactObject(const RigidBody* other) const
{
    const Capsule* walking = GetWalkingBody();
    if (other == nullptr || walking == nullptr) return false;
    if (collisionMode != 0) return true;
    if (walking->position.z >= other->position.z) return true;
    const int type = other->GetType();
    // Spikes, like ramps, count as stood on from any height.
    return type == kPrismBodyType || type == kSpikeType;
}

void Player::OnTerrainContact()
{
    touching = true;
    standingOn = 0;
}

void Player::OnBodyContact(RigidBody* other)
{
    if (!CheckContactObject(other)) return;
    touching = true;
    standingOn = WorldIndexOf(other);
}

void Player::OnRampContact(const Vector3& normal)
{
    onRamp = true;
    SetContactVector(normal);
}

void Player::SetBody(Ragdoll* ragdoll)
{
    body = ragdoll;
    if (sounds != nullptr || gAudioSystem == nullptr || body == nullptr) return;
    sounds = new AudioController(false);
    gAudioSystem->RegisterController(sounds);
    Capsule* walking = body->GetMainBody();
    sounds->AddSound(kOwSound, true, kOwMinDistance, &walking->position, &walking->linearVelocity);
}

void Player::ResetForNewLevel()
{
    if (body != nullptr) body->Disable();
    body = nullptr;
    // The shadow goes with the stage's scene objects.
    shadow = nullptr;
    stageScore = 0;
    airTime = 0.0f;
    upright = true;
    // A stage entered knocked out would keep a frozen character otherwise.
    SetCharacterAnimating(true);
    gKeyframeAnimator->SwitchTo(kIdleAnimation);
}

Capsule* Player::GetWalkingBody() const
{
    return body != nullptr ? body->GetMainBody() : nullptr;
}

Object* Player::GetFirstLimb() const
{
    return body != nullptr ? body->GetLimb(kSpineLimb) : nullptr;
}

RigidBody* Player::GetPushedBody() const
{
    if (body != nullptr) return body->GetMainBody();
    return gWorld != nullptr ? gWorld->GetObject(0) : nullptr;
}

void Player::WearMask(bool on)
{
    if (body == nullptr) return;
    body->SetLimbState(on);
    hasMask = on;
}
