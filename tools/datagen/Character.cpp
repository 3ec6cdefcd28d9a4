#include "Character.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace gen {
namespace {

struct JointDef
{
    const char* name;
    const char* parent;
    Vec3 pos; // character space, bind pose
};

// First child first: the ragdoll lays each limb from a bone towards its first child.
const JointDef kJoints[] = {
    {"Bip01", nullptr, {0, 0, 0}},
    {"Bip01_Pelvis", "Bip01", {0, 0, 3.4f}},
    {"Bip01_Spine", "Bip01_Pelvis", {0, 0, 3.4f}},
    {"Bip01_Neck", "Bip01_Spine", {0, -0.05f, 5.6f}},
    {"Bip01_Head", "Bip01_Neck", {0, -0.03f, 5.9f}},
    {"Bip01_HeadNub", "Bip01_Head", {0.03f, -0.06f, 7.1f}},
    {"Bip01_L_Clavicle", "Bip01_Neck", {0, 0.12f, 5.65f}},
    {"Bip01_L_UpperArm", "Bip01_L_Clavicle", {0, 0.65f, 5.75f}},
    {"Bip01_L_Forearm", "Bip01_L_UpperArm", {0, 1.95f, 5.75f}},
    {"Bip01_L_Hand", "Bip01_L_Forearm", {0, 3.05f, 5.75f}},
    {"Bip01_L_Finger0", "Bip01_L_Hand", {0, 3.45f, 5.75f}},
    {"Bip01_R_Clavicle", "Bip01_Neck", {0, -0.12f, 5.65f}},
    {"Bip01_R_UpperArm", "Bip01_R_Clavicle", {0, -0.65f, 5.75f}},
    {"Bip01_R_Forearm", "Bip01_R_UpperArm", {0, -1.95f, 5.75f}},
    {"Bip01_R_Hand", "Bip01_R_Forearm", {0, -3.05f, 5.75f}},
    {"Bip01_R_Finger0", "Bip01_R_Hand", {0, -3.45f, 5.75f}},
    // Both legs lean a little to the character's left so no leg bone is ever exactly
    // vertical (the ragdoll's limb frame would spin).
    {"Bip01_L_Thigh", "Bip01_Pelvis", {0, 0.6f, 3.25f}},
    {"Bip01_L_Calf", "Bip01_L_Thigh", {0, 0.62f, 1.75f}},
    {"Bip01_L_Foot", "Bip01_L_Calf", {0, 0.64f, 0.25f}},
    {"Bip01_L_Toe0", "Bip01_L_Foot", {1.0f, 0.64f, 0.25f}},
    {"Bip01_R_Thigh", "Bip01_Pelvis", {0, -0.6f, 3.25f}},
    {"Bip01_R_Calf", "Bip01_R_Thigh", {0, -0.58f, 1.75f}},
    {"Bip01_R_Foot", "Bip01_R_Calf", {0, -0.56f, 0.25f}},
    {"Bip01_R_Toe0", "Bip01_R_Foot", {1.0f, -0.56f, 0.25f}},
    {"Body", "Bip01", {0, 0, 0}},
};
constexpr int kJointCount = sizeof kJoints / sizeof kJoints[0];

int JointIndex(const std::string& name)
{
    for (int i = 0; i < kJointCount; ++i)
        if (name == kJoints[i].name) return i;
    return -1;
}

Vec3 LocalOffset(int i)
{
    const int p = kJoints[i].parent ? JointIndex(kJoints[i].parent) : -1;
    if (p < 0) return kJoints[i].pos;
    return kJoints[i].pos - kJoints[p].pos;
}

// Quaternion of a character-space rotation expressed in model space: the vector part
// turns like any vector under the proper rotation between the two spaces.
Quat ToModel(const Quat& q)
{
    return {-q.y, q.z, -q.x, q.w};
}

// Texture atlas of male.bmp (u0, v0, u1, v1), v = 0 at the top.
struct Region
{
    float u0, v0, u1, v1;
};
const Region kFace = {0.0f, 0.0f, 0.5f, 0.5f};
const Region kShirt = {0.5f, 0.0f, 1.0f, 0.5f};
const Region kJeans = {0.0f, 0.5f, 0.5f, 1.0f};
const Region kSkin = {0.5f, 0.5f, 0.75f, 0.75f};
const Region kShoe = {0.75f, 0.5f, 1.0f, 0.75f};
const Region kBelt = {0.5f, 0.75f, 1.0f, 1.0f};
const Region kSleeve = {0.54f, 0.2f, 0.68f, 0.45f}; // plain cloth beside the buttons

struct Part
{
    Mesh mesh;
    std::string bone;                  // rigid bone
    std::string blendBone;             // bone blended in towards the part's lower end, or empty
    float blendLow = 0, blendHigh = 0; // character z range over which the blend fades out
};

void MapRegion(Mesh& m, const Region& r)
{
    const float inset = 1.0f / 256.0f;
    for (Vertex& v : m.verts) {
        v.u = r.u0 + inset + v.u * (r.u1 - r.u0 - 2 * inset);
        v.v = r.v0 + inset + v.v * (r.v1 - r.v0 - 2 * inset);
    }
}

// A tapered capsule from a to b (character space) with the texture seam at the back.
Mesh Segment(const Vec3& a, const Vec3& b, float ra, float rb, const Region& region)
{
    const float len = Length(b - a);
    std::vector<ProfilePoint> p;
    const int cap = 5;
    for (int i = 0; i <= cap; ++i) {
        const float t = -0.5f * kPi + 0.5f * kPi * i / cap;
        p.push_back({i == 0 ? 0.0f : ra * std::cos(t), ra * std::sin(t)});
    }
    for (int i = 0; i <= cap; ++i) {
        const float t = 0.5f * kPi * i / cap;
        p.push_back({i == cap ? 0.0f : rb * std::cos(t), len + rb * std::sin(t)});
    }
    Mesh m = MakeLathe(p, 12, true);
    m.Transform(RotationAxis({0, 0, 1}, kPi)); // seam at -x, the back
    MapRegion(m, region);
    // Lay +z along a -> b.
    const Vec3 d = Normalize(b - a);
    const Vec3 z(0, 0, 1);
    const Vec3 axis = Cross(z, d);
    const float s = Length(axis), c = Dot(z, d);
    Mat4 r;
    if (s > 1e-6f)
        r = RotationAxis(axis, std::atan2(s, c));
    else if (c < 0)
        r = RotationAxis({1, 0, 0}, kPi);
    m.Transform(r * Mat4::Translation(a));
    return m;
}

Mesh Ellipsoid(const Vec3& centre, const Vec3& radii, const Region& region)
{
    Mesh m = MakeSphere(1.0f, 16, 10);
    m.Transform(RotationAxis({0, 0, 1}, kPi));
    MapRegion(m, region);
    m.Transform(Scaling(radii) * Mat4::Translation(centre));
    return m;
}

Vec3 J(const char* name)
{
    return kJoints[JointIndex(name)].pos;
}

std::vector<Part> BodyParts()
{
    std::vector<Part> parts;
    // Torso: hips to shoulders, blended into the pelvis at the bottom so it bends.
    {
        Mesh t = MakeLathe({{0, 3.1f},
                            {0.5f, 3.15f},
                            {0.62f, 3.45f},
                            {0.6f, 4.0f},
                            {0.66f, 4.6f},
                            {0.74f, 5.2f},
                            {0.7f, 5.6f},
                            {0.45f, 5.85f},
                            {0, 5.9f}},
                           24, true);
        t.Transform(RotationAxis({0, 0, 1}, kPi));
        MapRegion(t, kShirt);
        t.Transform(Scaling({0.68f, 1.0f, 1.0f}));
        parts.push_back({t, "Bip01_Spine", "Bip01_Pelvis", 3.4f, 4.2f});
    }
    parts.push_back({Ellipsoid({0, 0, 3.2f}, {0.44f, 0.86f, 0.46f}, kJeans), "Bip01_Pelvis", "", 0, 0});
    parts.push_back({Ellipsoid({0, 0, 3.45f}, {0.44f, 0.64f, 0.12f}, kBelt), "Bip01_Pelvis", "", 0, 0});
    parts.push_back({Segment({0, -0.04f, 5.45f}, {0, -0.04f, 6.05f}, 0.22f, 0.2f, kSkin), "Bip01_Neck", "", 0, 0});
    // The head lies inside the ragdoll's head drawable (an ellipsoid reaching
    // 0.46 out at its narrowest and 0.625 up from the midpoint of Head and
    // HeadNub), so the mask worn over it covers it however that drawable turns
    // about the bone.
    parts.push_back({Ellipsoid({0.015f, -0.045f, 6.5f}, {0.42f, 0.4f, 0.57f}, kFace), "Bip01_Head", "", 0, 0});
    for (int side = 0; side < 2; ++side) {
        const char* s = side == 0 ? "L" : "R";
        const float sy = side == 0 ? 1.0f : -1.0f;
        auto name = [&](const char* b) { return std::string("Bip01_") + s + "_" + b; };
        const Vec3 sh = J(name("UpperArm").c_str()), el = J(name("Forearm").c_str());
        const Vec3 wr = J(name("Hand").c_str());
        parts.push_back(
            {Segment(sh - Vec3(0, 0.05f * sy, 0.03f), el, 0.27f, 0.23f, kSleeve), name("UpperArm"), "", 0, 0});
        parts.push_back({Segment(el, wr, 0.22f, 0.17f, kSkin), name("Forearm"), "", 0, 0});
        parts.push_back({Ellipsoid(wr + Vec3(0, 0.28f * sy, 0), {0.26f, 0.32f, 0.12f}, kSkin), name("Hand"), "", 0, 0});
        const Vec3 hip = J(name("Thigh").c_str()), knee = J(name("Calf").c_str());
        const Vec3 ankle = J(name("Foot").c_str());
        parts.push_back(
            {Segment(hip - Vec3(0, 0.06f * sy, 0.1f), knee, 0.36f, 0.27f, kJeans), name("Thigh"), "", 0, 0});
        parts.push_back({Segment(knee, ankle + Vec3(0, 0, 0.1f), 0.28f, 0.2f, kJeans), name("Calf"), "", 0, 0});
        parts.push_back(
            {Ellipsoid(ankle + Vec3(0.32f, 0, -0.05f), {0.6f, 0.26f, 0.2f}, kShoe), name("Foot"), "", 0, 0});
    }
    return parts;
}

// ---------------------------------------------------------------------------------------
// Poses: rotations per joint in character space as functions of the phase.

using Pose = std::map<std::string, Quat>;

Quat Rx(float a)
{
    return AxisAngle({1, 0, 0}, a);
}
Quat Ry(float a)
{
    return AxisAngle({0, 1, 0}, a);
}
Quat Rz(float a)
{
    return AxisAngle({0, 0, 1}, a);
}

// Arms hang a little away from the body so no arm bone is ever vertical.
const float kArmDrop = 1.33f;

void Arms(Pose& pose, float swingL, float swingR, float elbowL, float elbowR)
{
    // Lower from the bind T-pose, then swing forward (+) or back about the shoulder.
    pose["Bip01_L_UpperArm"] = Then(Rx(-kArmDrop), Ry(swingL));
    pose["Bip01_R_UpperArm"] = Then(Rx(kArmDrop), Ry(swingR));
    pose["Bip01_L_Forearm"] = Rz(-elbowL); // bend forward
    pose["Bip01_R_Forearm"] = Rz(elbowR);
}

Pose WalkPose(float phase, Vec3* pelvisShift)
{
    Pose pose;
    const float s = std::sin(phase), c = std::cos(phase);
    const float fwdL = 0.5f * s, fwdR = -0.5f * s; // thigh forward swing, radians
    auto knee = [](float cosPhase) {
        const float k = std::max(0.0f, cosPhase);
        return 0.1f + 0.85f * k * k;
    };
    const float kneeL = knee(c), kneeR = knee(-c);
    pose["Bip01_L_Thigh"] = Ry(-fwdL);
    pose["Bip01_R_Thigh"] = Ry(-fwdR);
    pose["Bip01_L_Calf"] = Ry(kneeL);
    pose["Bip01_R_Calf"] = Ry(kneeR);
    pose["Bip01_L_Foot"] = Ry(0.7f * (fwdL - kneeL));
    pose["Bip01_R_Foot"] = Ry(0.7f * (fwdR - kneeR));
    pose["Bip01_Pelvis"] = Rz(0.08f * s);
    pose["Bip01_Spine"] = Then(Rz(-0.14f * s), Ry(0.06f));
    pose["Bip01_Head"] = Rz(0.06f * s);
    Arms(pose, 0.4f * s, -0.4f * s, 0.3f + 0.2f * std::max(0.0f, s), 0.3f + 0.2f * std::max(0.0f, -s));
    // Lower the hips by the lift of the standing leg so its foot stays on the ground.
    auto lift = [](float thigh, float kneeBend) {
        return 1.5f * (1 - std::cos(thigh)) + 1.5f * (1 - std::cos(kneeBend - thigh));
    };
    *pelvisShift = {0, 0.04f * s, -std::min(lift(fwdL, kneeL), lift(fwdR, kneeR))};
    return pose;
}

Pose IdlePose(float phase, Vec3* pelvisShift)
{
    Pose pose;
    const float s = std::sin(phase);
    pose["Bip01_Spine"] = Ry(0.02f + 0.015f * s);
    pose["Bip01_Head"] = Then(Ry(-0.03f * s), Rz(0.05f * std::sin(0.5f * phase)));
    Arms(pose, 0.05f + 0.02f * s, 0.05f - 0.02f * s, 0.18f, 0.18f);
    *pelvisShift = {0, 0, 0.01f * s};
    return pose;
}

AnimSet MakeSet(const std::string& name, int period, int keyCount, bool walk)
{
    AnimSet set;
    set.name = name;
    for (int j = 0; j < kJointCount; ++j) {
        AnimTrack track;
        track.frame = kJoints[j].name;
        set.tracks.push_back(track);
    }
    for (int k = 0; k <= keyCount; ++k) {
        const int time = period * k / keyCount;
        // The last key equals the first, so the loop closes.
        const float phase = 2.0f * kPi * (k == keyCount ? 0 : k) / keyCount;
        Vec3 shift;
        const Pose pose = walk ? WalkPose(phase, &shift) : IdlePose(phase, &shift);
        for (int j = 0; j < kJointCount; ++j) {
            PosKey key;
            key.time = time;
            const auto it = pose.find(kJoints[j].name);
            key.rotation = ToModel(it == pose.end() ? Quat() : it->second);
            Vec3 offset = LocalOffset(j);
            if (std::string(kJoints[j].name) == "Bip01_Pelvis") offset += shift;
            key.translation = CharacterToModel(offset);
            key.scale = {1, 1, 1};
            set.tracks[j].keys.push_back(key);
        }
    }
    return set;
}

} // namespace

Vec3 CharacterToModel(const Vec3& p)
{
    return {-10.0f * p.y, 10.0f * p.z, -10.0f * p.x};
}

const std::vector<std::string>& RagdollBoneNames()
{
    static const std::vector<std::string> names = {
        "Bip01_Spine",   "Bip01_Head",      "Bip01_L_UpperArm", "Bip01_R_UpperArm", "Bip01_L_Thigh",
        "Bip01_R_Thigh", "Bip01_L_Forearm", "Bip01_R_Forearm",  "Bip01_L_Calf",     "Bip01_R_Calf",
        "Bip01_L_Hand",  "Bip01_R_Hand",    "Bip01_L_Foot",     "Bip01_R_Foot"};
    return names;
}

SkinnedModel BuildCharacter()
{
    SkinnedModel model;
    for (int i = 0; i < kJointCount; ++i) {
        FrameNode f;
        f.name = kJoints[i].name;
        f.local = Mat4::Translation(CharacterToModel(LocalOffset(i)));
        f.holdsMesh = f.name == "Body";
        model.frames.push_back(f);
    }
    for (int i = 1; i < kJointCount; ++i) model.frames[JointIndex(kJoints[i].parent)].children.push_back(i);

    // Skin: every part is bound to its bone; the torso blends into the pelvis.
    std::map<std::string, int> boneIndex;
    auto bone = [&](const std::string& name) {
        auto it = boneIndex.find(name);
        if (it != boneIndex.end()) return it->second;
        SkinBone b;
        b.name = name;
        // Bind frames only translate, so the offset is the inverse translation.
        b.offset = Mat4::Translation(-CharacterToModel(J(name.c_str())));
        model.bones.push_back(b);
        boneIndex[name] = static_cast<int>(model.bones.size() - 1);
        return boneIndex[name];
    };
    Mat4 toModel;
    toModel.m[0][0] = 0;
    toModel.m[0][2] = -10;
    toModel.m[1][1] = 0;
    toModel.m[1][0] = -10;
    toModel.m[2][2] = 0;
    toModel.m[2][1] = 10;
    model.maxWeightsPerVertex = 1;
    for (Part& part : BodyParts()) {
        part.mesh.RemoveUnused();
        const uint32_t base = static_cast<uint32_t>(model.mesh.verts.size());
        const int main = bone(part.bone);
        const int blend = part.blendBone.empty() ? -1 : bone(part.blendBone);
        for (uint32_t i = 0; i < part.mesh.verts.size(); ++i) {
            const float z = part.mesh.verts[i].p.z;
            float w = 1.0f;
            if (blend >= 0) {
                const float t = std::min(1.0f, std::max(0.0f, (z - part.blendLow) / (part.blendHigh - part.blendLow)));
                w = 0.5f + 0.5f * t;
            }
            if (w < 1.0f) {
                model.bones[blend].vertices.push_back(base + i);
                model.bones[blend].weights.push_back(1.0f - w);
                model.maxWeightsPerVertex = 2;
            }
            model.bones[main].vertices.push_back(base + i);
            model.bones[main].weights.push_back(w);
        }
        part.mesh.Transform(toModel);
        model.mesh.Append(part.mesh);
    }
    // The most distinct bones any one face is influenced by.
    std::vector<std::set<int>> vertexBones(model.mesh.verts.size());
    for (size_t b = 0; b < model.bones.size(); ++b)
        for (uint32_t v : model.bones[b].vertices) vertexBones[v].insert(static_cast<int>(b));
    model.maxWeightsPerFace = 0;
    for (const auto& t : model.mesh.tris) {
        std::set<int> face;
        for (uint32_t v : t) face.insert(vertexBones[v].begin(), vertexBones[v].end());
        model.maxWeightsPerFace = std::max(model.maxWeightsPerFace, static_cast<int>(face.size()));
    }

    for (int s = 0; s < kSetCount; ++s) {
        char name[16];
        snprintf(name, sizeof name, "Anim%02d", s);
        if (s == kWalkSet)
            model.sets.push_back(MakeSet(name, kWalkPeriod, 20, true));
        else
            model.sets.push_back(MakeSet(name, kIdlePeriod, 8, false));
    }
    return model;
}

} // namespace gen
