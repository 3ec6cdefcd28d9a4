// The character's body plan: its fourteen limbs (bone, collision shape, place
// around the spine), the thirteen hinges between them, the pairs of bodies
// that never collide, and what each limb is drawn with. Also the rule that
// lays a limb along its animated bone. Plain data, read by the Ragdoll.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"

enum RagdollLimb : int {
    kSpineLimb = 0,
    kHeadLimb,
    kLeftUpperArmLimb,
    kRightUpperArmLimb,
    kLeftThighLimb,
    kRightThighLimb,
    kLeftForearmLimb,
    kRightForearmLimb,
    kLeftCalfLimb,
    kRightCalfLimb,
    kLeftHandLimb,
    kRightHandLimb,
    kLeftFootLimb,
    kRightFootLimb,
    kRagdollLimbCount
};

constexpr int kRagdollJointCount = 13;
// The left wrist: on the torch stages it lets go when the character falls,
// so the torch drops away from the hand.
constexpr int kTorchWristJoint = 9;

enum class LimbShape { Capsule, Ellipsoid };

struct LimbSpec
{
    const char* bone; // the skeleton frame the limb follows while animated
    LimbShape shape;
    // Capsule: radius, length, unused. Ellipsoid: the three full sizes.
    float size[3];
    int capsuleAxis;
    float mass;
    Vector3 start; // place around the spine limb when built
};

struct JointSpec
{
    int bodyA;
    int bodyB;
    Vector3 axis;
    Vector3 hingeOffset; // from A's position
    float maxAngle;
    float minAngle;
    float armLength;
    float armSlackFactor;
};

struct LimbPair
{
    int a;
    int b;
};

// What a limb drawable shows while the character stands. Its skinned model
// is its body then, so the body parts are hidden (they would poke through
// it); the head shows only to wear the mask over the model's head, and the
// torch, which the model does not carry, always.
enum class UprightLook { Hidden, MaskOnly, Shown };

struct LimbDrawableSpec
{
    int limb;
    int mesh;
    int texture;
    Vector3 scale; // written into the drawable's world matrix
    UprightLook upright;
};

extern const LimbSpec kLimbTable[kRagdollLimbCount];
extern const JointSpec kJointTable[kRagdollJointCount];

// Limb pairs that never collide, in the order they are entered. The walking
// body ignores every limb as well (kWalkingBodyIgnoreOrder).
constexpr int kLimbPairCount = 32;
extern const LimbPair kNoCollisionPairs[kLimbPairCount];
extern const int kWalkingBodyIgnoreOrder[kRagdollLimbCount];

// The drawables in creation order; the left hand comes last, by stage.
constexpr int kFixedLimbDrawableCount = 13;
extern const LimbDrawableSpec kLimbDrawables[kFixedLimbDrawableCount];
// The left hand: a bare hand on the first stage, the torch elsewhere.
extern const LimbDrawableSpec kLeftHandDrawable;
extern const LimbDrawableSpec kTorchDrawable;
// The head drawable's two textures: the bare head, and the mask worn over it.
constexpr int kBareHeadTexture = 78;
constexpr int kMaskedHeadTexture = 71;

// The walking body: a capsule along z.
constexpr float kWalkingBodyRadius = 1.5f;
constexpr float kWalkingBodyLength = 7.0f;
constexpr float kWalkingBodyMass = 50.0f;

// The orientation of a limb laid along the unit bone direction u (world
// space): s1 = normalize(u x z), s2 = normalize(s1 x u), rows by limb group.
// The row holding u (or -u) is the limb shape's long axis. A bone along z
// gets s1 = (1, 0, 0) from Normalize's zero rule, so the frame stays proper.
Matrix3 LimbFrameAlong(int limb, const Vector3& u);
