// Keyframe sampling: linear key search per track and kind, slerp then inverse
// for rotations, linear blends for translation and scale.
#include "render/KeyframeAnimator.h"

#include <algorithm>
#include <cmath>

namespace {

// Hard limits on what a model file can make the animator hold.
const unsigned kMaxEntries = 64;
const unsigned kMaxTracksPerEntry = 1024;
const unsigned kMaxKeysPerKind = 65536;

KeyframeAnimator gAnimatorInstance;

// Two keys and the blend between them.
struct KeyPair
{
    size_t from, to;
    float t;
};

// The first pair whose second key is not before p. Past the last key the
// last key is held; before the first key t goes negative, so the first two
// keys' motion runs on backwards. A single key is held; keys at equal times
// blend with t = 0.
template <class Key>
KeyPair FindKeys(const std::vector<Key>& keys, float p)
{
    const size_t last = keys.size() - 1;
    if (p > keys[last].Time) return {last, last, 0.0f};
    size_t i = 0;
    while (i + 1 < last && p > keys[i + 1].Time) ++i;
    const size_t j = std::min(i + 1, last);
    const float span = keys[j].Time - keys[i].Time;
    return {i, j, span != 0.0f ? (p - keys[i].Time) / span : 0.0f};
}

D3DXVECTOR3 BlendKeys(const std::vector<D3DXKEY_VECTOR3>& keys, float p, const D3DXVECTOR3& none)
{
    if (keys.empty()) return none;
    const KeyPair k = FindKeys(keys, p);
    const D3DXVECTOR3& a = keys[k.from].Value;
    const D3DXVECTOR3& b = keys[k.to].Value;
    return D3DXVECTOR3(a.x + (b.x - a.x) * k.t, a.y + (b.y - a.y) * k.t, a.z + (b.z - a.z) * k.t);
}

// The frame's local matrix S x R x T, written straight into the frame.
void SampleTrack(const AnimationTrack& track, float p)
{
    if (!track.frame) return;
    D3DXQUATERNION q(0.0f, 0.0f, 0.0f, 1.0f);
    if (!track.rotationKeys.empty()) {
        const KeyPair k = FindKeys(track.rotationKeys, p);
        D3DXQuaternionSlerp(&q, &track.rotationKeys[k.from].Value, &track.rotationKeys[k.to].Value, k.t);
        // The file stores the inverse of each local rotation.
        D3DXQuaternionInverse(&q, &q);
    }
    const D3DXVECTOR3 t = BlendKeys(track.translationKeys, p, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    const D3DXVECTOR3 s = BlendKeys(track.scaleKeys, p, D3DXVECTOR3(1.0f, 1.0f, 1.0f));
    D3DXMATRIX& m = track.frame->TransformationMatrix;
    D3DXMatrixRotationQuaternion(&m, &q);
    const float scale[3] = {s.x, s.y, s.z};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col) m.m[row][col] *= scale[row];
    m._41 = t.x;
    m._42 = t.y;
    m._43 = t.z;
}

// The play position after a step: an entry without a positive period stays
// at 0; past the period it wraps (a position exactly on the period stays).
float WrapPosition(float p, float period)
{
    if (!(period > 0.0f) || !std::isfinite(p)) return 0.0f;
    if (p > period) {
        p = std::fmod(p, period);
        if (p == 0.0f) p = period;
    }
    return p;
}

template <class Key>
float LastTime(const std::vector<Key>& keys)
{
    return keys.empty() ? 0.0f : keys.back().Time;
}

// The loop length: the last scale key of track 0, or, when there is none,
// the latest key of the entry.
float EntryPeriod(const AnimationEntry& entry)
{
    if (!entry.tracks.empty() && !entry.tracks[0].scaleKeys.empty()) return entry.tracks[0].scaleKeys.back().Time;
    float latest = 0.0f;
    for (const AnimationTrack& t : entry.tracks)
        latest = std::max({latest, LastTime(t.rotationKeys), LastTime(t.translationKeys), LastTime(t.scaleKeys)});
    return latest;
}

// Copies one animation's keys. False when a kind holds more keys than the
// limit: the track is then left out.
bool CopyTrack(ID3DXKeyframedAnimationSet* set, UINT animation, AnimationTrack* track)
{
    const UINT rotations = set->GetNumRotationKeys(animation);
    const UINT translations = set->GetNumTranslationKeys(animation);
    const UINT scales = set->GetNumScaleKeys(animation);
    if (rotations > kMaxKeysPerKind || translations > kMaxKeysPerKind || scales > kMaxKeysPerKind) return false;
    track->rotationKeys.resize(rotations);
    track->translationKeys.resize(translations);
    track->scaleKeys.resize(scales);
    if ((rotations && FAILED(set->GetRotationKeys(animation, track->rotationKeys.data()))) ||
        (translations && FAILED(set->GetTranslationKeys(animation, track->translationKeys.data()))) ||
        (scales && FAILED(set->GetScaleKeys(animation, track->scaleKeys.data()))))
        return false;
    return true;
}

void BuildEntry(ID3DXAnimationController* controller, UINT index, D3DXFRAME* frameRoot, AnimationEntry* entry)
{
    ID3DXAnimationSet* set = nullptr;
    ID3DXKeyframedAnimationSet* keyed = nullptr;
    if (SUCCEEDED(controller->GetAnimationSet(index, &set)) && set)
        set->QueryInterface(IID_ID3DXKeyframedAnimationSet, reinterpret_cast<void**>(&keyed));
    if (keyed) {
        entry->tracks.resize(std::min(keyed->GetNumAnimations(), kMaxTracksPerEntry));
        for (UINT a = 0; a < entry->tracks.size(); ++a) {
            AnimationTrack& track = entry->tracks[a];
            LPCSTR name = nullptr;
            if (FAILED(keyed->GetAnimationNameByIndex(a, &name)) || !name || !CopyTrack(keyed, a, &track)) {
                track = AnimationTrack();
                continue;
            }
            track.frame = D3DXFrameFind(frameRoot, name);
        }
        keyed->Release();
    }
    if (set) set->Release();
    entry->position = 0.0f;
    entry->period = EntryPeriod(*entry);
}

} // namespace

KeyframeAnimator* const gKeyframeAnimator = &gAnimatorInstance;

void KeyframeAnimator::Build(ID3DXAnimationController* controller, D3DXFRAME* root)
{
    Clear();
    if (!controller) return;
    frameRoot = root;
    entries.resize(std::min(controller->GetNumAnimationSets(), kMaxEntries));
    for (UINT s = 0; s < entries.size(); ++s) BuildEntry(controller, s, root, &entries[s]);
}

void KeyframeAnimator::Clear()
{
    entries.clear();
    current = 0;
    frameRoot = nullptr;
}

void KeyframeAnimator::Advance(float dt)
{
    if (current >= entries.size()) return;
    AnimationEntry& e = entries[current];
    e.position = WrapPosition(e.position + dt * kTicksPerSecond, e.period);
    for (const AnimationTrack& track : e.tracks) SampleTrack(track, e.position);
}

void KeyframeAnimator::SwitchTo(unsigned index)
{
    if (index >= entries.size()) return;
    entries[current].position = 0.0f;
    current = index;
}

void KeyframeAnimator::SetCurrent(unsigned index, float position)
{
    if (index >= entries.size()) return;
    SwitchTo(index);
    entries[current].position = WrapPosition(position, entries[current].period);
}

void KeyframeAnimator::GetCurrent(unsigned* index, float* position) const
{
    if (index) *index = current;
    if (position) *position = current < entries.size() ? entries[current].position : 0.0f;
}
