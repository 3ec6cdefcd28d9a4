#include "Pose.h"

#include <cmath>

namespace gen {
namespace {

Quat Slerp(Quat a, Quat b, float t)
{
    float d = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    if (d < 0) {
        b = {-b.x, -b.y, -b.z, -b.w};
        d = -d;
    }
    float ka = 1 - t, kb = t;
    if (d < 0.9995f) {
        const float th = std::acos(d), s = std::sin(th);
        ka = std::sin((1 - t) * th) / s;
        kb = std::sin(t * th) / s;
    }
    Quat q = {a.x * ka + b.x * kb, a.y * ka + b.y * kb, a.z * ka + b.z * kb, a.w * ka + b.w * kb};
    const float l = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    return {q.x / l, q.y / l, q.z / l, q.w / l};
}

// The key pair and blend factor the sampler picks: the first i with p <= key[i+1].
void Find(const std::vector<PosKey>& keys, float p, size_t* i, float* t)
{
    size_t k = 0;
    while (k + 2 < keys.size() && p > keys[k + 1].time) ++k;
    *i = k;
    *t = (p - keys[k].time) / float(keys[k + 1].time - keys[k].time);
}

} // namespace

int FrameIndex(const SkinnedModel& model, const std::string& name)
{
    for (size_t i = 0; i < model.frames.size(); ++i)
        if (model.frames[i].name == name) return static_cast<int>(i);
    return -1;
}

std::vector<Mat4> SampleLocals(const SkinnedModel& model, int set, float ticks)
{
    std::vector<Mat4> locals;
    for (const FrameNode& f : model.frames) locals.push_back(f.local);
    const AnimSet& s = model.sets[set];
    const float period = static_cast<float>(s.tracks[0].keys.back().time);
    while (ticks > period) ticks -= period;
    for (const AnimTrack& track : s.tracks) {
        const int frame = FrameIndex(model, track.frame);
        if (frame < 0) continue;
        size_t i;
        float t;
        Find(track.keys, ticks, &i, &t);
        const PosKey& a = track.keys[i];
        const PosKey& b = track.keys[i + 1];
        // What the file holds is the conjugate; the sampler slerps those and inverts.
        const Quat fa = {-a.rotation.x, -a.rotation.y, -a.rotation.z, a.rotation.w};
        const Quat fb = {-b.rotation.x, -b.rotation.y, -b.rotation.z, b.rotation.w};
        const Quat q = Slerp(fa, fb, t);
        const Quat inv = {-q.x, -q.y, -q.z, q.w};
        const Vec3 tr = Lerp(a.translation, b.translation, t);
        const Vec3 sc = Lerp(a.scale, b.scale, t);
        Mat4 scale;
        scale.m[0][0] = sc.x;
        scale.m[1][1] = sc.y;
        scale.m[2][2] = sc.z;
        locals[frame] = scale * Mat4::Rotation(inv) * Mat4::Translation(tr);
    }
    return locals;
}

std::vector<Mat4> Combine(const SkinnedModel& model, const std::vector<Mat4>& locals)
{
    std::vector<Mat4> combined(model.frames.size());
    std::vector<std::pair<int, Mat4>> stack = {{0, Mat4()}};
    while (!stack.empty()) {
        const auto [index, parent] = stack.back();
        stack.pop_back();
        combined[index] = locals[index] * parent;
        for (int child : model.frames[index].children) stack.push_back({child, combined[index]});
    }
    return combined;
}

std::vector<Vec3> SkinPositions(const SkinnedModel& model, const std::vector<Mat4>& combined)
{
    std::vector<Vec3> out(model.mesh.verts.size(), Vec3(0, 0, 0));
    for (const SkinBone& b : model.bones) {
        const Mat4 m = b.offset * combined[FrameIndex(model, b.name)];
        for (size_t k = 0; k < b.vertices.size(); ++k)
            out[b.vertices[k]] += m.TransformPoint(model.mesh.verts[b.vertices[k]].p) * b.weights[k];
    }
    return out;
}

} // namespace gen
