#include "objects/RagdollLayout.h"

namespace {

const int kAxisY = 1;
const int kAxisZ = 2;
const int kLatitudeBands = 10;
const int kLongitudeSectors = 9;

// Mesh and texture ids of the limb drawables.
const int kBoulderMesh = 2;
const int kTorsoMesh = 8;
const int kUpperArmMesh = 9;
const int kUpperLegMesh = 10;
const int kHandTorchMesh = 13;
const int kFaceMesh = 22;
const int kFeetTexture = 33;
const int kTorchTexture = 44;
const int kLeatherTexture = 75;
const int kVestTexture = 76;
const int kJeansTexture = 77;
const int kSkinTexture = 79;

// The hands and feet are the unit sphere mesh drawn at their ellipsoid sizes;
// the other limb meshes are modelled at size.
const Vector3 kUnscaled(1.0f, 1.0f, 1.0f);
const Vector3 kHandScale(0.65f, 0.65f, 0.4f);
const Vector3 kFootScale(1.5f, 0.7f, 0.6f);

} // namespace

const LimbSpec kLimbTable[kRagdollLimbCount] = {
    {"Bip01_Spine", LimbShape::Capsule, {0.7f, 2.3f, 0.0f}, kAxisZ, 20.0f, Vector3(0.0f, 0.0f, 0.0f)},
    {"Bip01_Head", LimbShape::Ellipsoid, {1.0f, 1.0f, 1.25f}, 0, 6.0f, Vector3(0.03f, 0.0f, 2.0f)},
    {"Bip01_L_UpperArm", LimbShape::Capsule, {0.3f, 1.25f, 0.0f}, kAxisY, 4.0f, Vector3(0.0f, 1.3f, 1.25f)},
    {"Bip01_R_UpperArm", LimbShape::Capsule, {0.3f, 1.25f, 0.0f}, kAxisY, 4.0f, Vector3(0.0f, -1.3f, 1.25f)},
    {"Bip01_L_Thigh", LimbShape::Capsule, {0.37f, 1.67f, 0.0f}, kAxisZ, 5.0f, Vector3(0.0f, 0.6f, -2.0f)},
    {"Bip01_R_Thigh", LimbShape::Capsule, {0.37f, 1.67f, 0.0f}, kAxisZ, 5.0f, Vector3(0.0f, -0.6f, -2.0f)},
    {"Bip01_L_Forearm", LimbShape::Capsule, {0.3f, 1.25f, 0.0f}, kAxisY, 4.0f, Vector3(0.0f, 2.5f, 1.25f)},
    {"Bip01_R_Forearm", LimbShape::Capsule, {0.3f, 1.25f, 0.0f}, kAxisY, 4.0f, Vector3(0.0f, -2.5f, 1.25f)},
    {"Bip01_L_Calf", LimbShape::Capsule, {0.37f, 1.67f, 0.0f}, kAxisZ, 6.0f, Vector3(0.0f, 0.6f, -3.5f)},
    {"Bip01_R_Calf", LimbShape::Capsule, {0.37f, 1.67f, 0.0f}, kAxisZ, 6.0f, Vector3(0.0f, -0.6f, -3.5f)},
    // The left hand is the long one: it holds the torch on the torch stages.
    {"Bip01_L_Hand", LimbShape::Ellipsoid, {0.65f, 3.0f, 0.5f}, 0, 2.0f, Vector3(0.0f, 3.25f, 1.25f)},
    {"Bip01_R_Hand", LimbShape::Ellipsoid, {0.65f, 0.65f, 0.4f}, 0, 2.0f, Vector3(0.0f, -3.25f, 1.25f)},
    {"Bip01_L_Foot", LimbShape::Ellipsoid, {1.5f, 0.7f, 0.6f}, 0, 3.0f, Vector3(0.5f, 0.6f, -4.25f)},
    {"Bip01_R_Foot", LimbShape::Ellipsoid, {1.5f, 0.7f, 0.6f}, 0, 3.0f, Vector3(0.5f, -0.6f, -4.25f)},
};

const JointSpec kJointTable[kRagdollJointCount] = {
    {kSpineLimb, kHeadLimb, Vector3(0, 1, 0), Vector3(-0.05f, 0, 1.25f), 50, 20, 4.0f, 0.3f},
    {kSpineLimb, kLeftUpperArmLimb, Vector3(1, 0, 0), Vector3(0, 0.8f, 1.25f), 30, 75, 4.0f, 0.7f},
    {kSpineLimb, kRightUpperArmLimb, Vector3(1, 0, 0), Vector3(0, -0.8f, 1.25f), 75, 30, 4.0f, 0.7f},
    {kSpineLimb, kLeftThighLimb, Vector3(0, 1, 0), Vector3(0, 0.6f, -1.25f), 10, 80, 4.0f, 0.4f},
    {kSpineLimb, kRightThighLimb, Vector3(0, 1, 0), Vector3(0, -0.6f, -1.25f), 10, 80, 4.0f, 0.4f},
    {kLeftUpperArmLimb, kLeftForearmLimb, Vector3(0, 0, 1), Vector3(0, 0.65f, 0), 0, 130, 4.0f, 0.1f},
    {kRightUpperArmLimb, kRightForearmLimb, Vector3(0, 0, 1), Vector3(0, -0.65f, 0), 130, 0, 4.0f, 0.1f},
    {kLeftThighLimb, kLeftCalfLimb, Vector3(0, 1, 0), Vector3(0, 0, -0.75f), 120, 0, 4.0f, 0.1f},
    {kRightThighLimb, kRightCalfLimb, Vector3(0, 1, 0), Vector3(0, 0, -0.75f), 120, 0, 4.0f, 0.1f},
    {kLeftForearmLimb, kLeftHandLimb, Vector3(0, 0, 1), Vector3(0, 0.6f, 0), 45, 70, 4.0f, 0.01f},
    {kRightForearmLimb, kRightHandLimb, Vector3(0, 0, 1), Vector3(0, -0.6f, 0), 70, 45, 4.0f, 0.01f},
    {kLeftCalfLimb, kLeftFootLimb, Vector3(0, 1, 0), Vector3(0, 0.75f, -0.75f), 4, 30, 10.0f, 0.01f},
    {kRightCalfLimb, kRightFootLimb, Vector3(0, 1, 0), Vector3(0, -0.75f, -0.75f), 4, 30, 10.0f, 0.01f},
};

const LimbPair kNoCollisionPairs[kLimbPairCount] = {
    {kSpineLimb, kHeadLimb},
    {kHeadLimb, kLeftUpperArmLimb},
    {kHeadLimb, kRightUpperArmLimb},
    {kSpineLimb, kLeftUpperArmLimb},
    {kSpineLimb, kRightUpperArmLimb},
    {kLeftUpperArmLimb, kRightUpperArmLimb},
    {kHeadLimb, kLeftThighLimb},
    {kHeadLimb, kRightThighLimb},
    {kSpineLimb, kLeftThighLimb},
    {kSpineLimb, kRightThighLimb},
    {kLeftUpperArmLimb, kLeftForearmLimb},
    {kRightUpperArmLimb, kRightForearmLimb},
    {kLeftCalfLimb, kLeftThighLimb},
    {kHeadLimb, kLeftCalfLimb},
    {kRightCalfLimb, kRightThighLimb},
    {kHeadLimb, kRightCalfLimb},
    {kLeftForearmLimb, kLeftHandLimb},
    {kRightForearmLimb, kRightHandLimb},
    {kRightFootLimb, kRightHandLimb},
    {kLeftFootLimb, kLeftHandLimb},
    {kRightFootLimb, kHeadLimb},
    {kLeftFootLimb, kHeadLimb},
    {kRightFootLimb, kSpineLimb},
    {kLeftFootLimb, kSpineLimb},
    {kRightFootLimb, kRightCalfLimb},
    {kLeftFootLimb, kLeftCalfLimb},
    {kRightFootLimb, kRightThighLimb},
    {kLeftFootLimb, kLeftThighLimb},
    {kRightFootLimb, kRightUpperArmLimb},
    {kLeftFootLimb, kLeftUpperArmLimb},
    {kRightFootLimb, kLeftUpperArmLimb},
    {kLeftFootLimb, kRightUpperArmLimb},
};

const int kWalkingBodyIgnoreOrder[kRagdollLimbCount] = {
    kHeadLimb,      kSpineLimb,     kLeftUpperArmLimb, kRightUpperArmLimb, kLeftHandLimb,
    kRightHandLimb, kLeftThighLimb, kRightThighLimb,   kLeftForearmLimb,   kRightForearmLimb,
    kLeftCalfLimb,  kRightCalfLimb, kLeftFootLimb,     kRightFootLimb};

const LimbDrawableSpec kLimbDrawables[kFixedLimbDrawableCount] = {
    {kSpineLimb, kTorsoMesh, kVestTexture, kUnscaled, UprightLook::Hidden},
    {kHeadLimb, kFaceMesh, kBareHeadTexture, kUnscaled, UprightLook::MaskOnly},
    {kLeftUpperArmLimb, kUpperArmMesh, kLeatherTexture, kUnscaled, UprightLook::Hidden},
    {kRightUpperArmLimb, kUpperArmMesh, kLeatherTexture, kUnscaled, UprightLook::Hidden},
    {kLeftForearmLimb, kUpperArmMesh, kLeatherTexture, kUnscaled, UprightLook::Hidden},
    {kRightForearmLimb, kUpperArmMesh, kLeatherTexture, kUnscaled, UprightLook::Hidden},
    {kLeftThighLimb, kUpperLegMesh, kJeansTexture, kUnscaled, UprightLook::Hidden},
    {kRightThighLimb, kUpperLegMesh, kJeansTexture, kUnscaled, UprightLook::Hidden},
    {kLeftCalfLimb, kUpperLegMesh, kJeansTexture, kUnscaled, UprightLook::Hidden},
    {kRightCalfLimb, kUpperLegMesh, kJeansTexture, kUnscaled, UprightLook::Hidden},
    {kRightHandLimb, kBoulderMesh, kSkinTexture, kHandScale, UprightLook::Hidden},
    {kLeftFootLimb, kBoulderMesh, kFeetTexture, kFootScale, UprightLook::Hidden},
    {kRightFootLimb, kBoulderMesh, kFeetTexture, kFootScale, UprightLook::Hidden},
};

// The bare left hand is drawn at the right hand's size, not at its own long
// collision shape, which is sized for the torch.
const LimbDrawableSpec kLeftHandDrawable = {kLeftHandLimb, kBoulderMesh, kSkinTexture, kHandScale, UprightLook::Hidden};
const LimbDrawableSpec kTorchDrawable = {kLeftHandLimb, kHandTorchMesh, kTorchTexture, kUnscaled, UprightLook::Shown};

Matrix3 LimbFrameAlong(int limb, const Vector3& u)
{
    Vector3 s1, s2;
    Vector3::Cross(s1, u, Vector3(0.0f, 0.0f, 1.0f));
    s1.Normalize();
    Vector3::Cross(s2, s1, u);
    s2.Normalize();

    Matrix3 frame;
    switch (limb) {
    case kLeftUpperArmLimb:
    case kLeftForearmLimb:
        frame.SetRow(0, s1);
        frame.SetRow(1, u);
        frame.SetRow(2, s2);
        break;
    case kRightUpperArmLimb:
    case kRightForearmLimb:
        frame.SetRow(0, -s1);
        frame.SetRow(1, -u);
        frame.SetRow(2, s2);
        break;
    case kSpineLimb:
    case kHeadLimb:
        frame.SetRow(0, -s1);
        frame.SetRow(1, s2);
        frame.SetRow(2, u);
        break;
    case kLeftFootLimb:
    case kRightFootLimb:
        frame.SetRow(0, u);
        frame.SetRow(1, s2);
        frame.SetRow(2, s1);
        break;
    default:
        frame.SetRow(0, s1);
        frame.SetRow(1, s2);
        frame.SetRow(2, -u);
        break;
    }
    return frame;
}
