// ID3DXKeyframedAnimationSet over the keys as the file wrote them.
#include "AnimInternal.h"

#include <cmath>
#include <cstring>
#include <new>
#include <utility>

// Our own identity for the keyframed set interface.
const IID IID_ID3DXKeyframedAnimationSet = {
    0x6c3e1a52, 0x7b0d, 0x4f1e, {0x9a, 0x41, 0x2d, 0x5c, 0x8e, 0x13, 0x70, 0xb6}};

namespace {

class KeyframedSet final : public ID3DXKeyframedAnimationSet
{
public:
    KeyframedSet(XAnimationSetData data, double ticksPerSecond)
        : mData(std::move(data)), mTicksPerSecond(ticksPerSecond)
    {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (std::memcmp(&riid, &IID_ID3DXKeyframedAnimationSet, sizeof(IID)) != 0) return E_NOINTERFACE;
        AddRef();
        *ppv = static_cast<ID3DXKeyframedAnimationSet*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++mRefs; }
    ULONG Release() override
    {
        const ULONG refs = --mRefs;
        if (refs == 0) delete this;
        return refs;
    }

    LPCSTR GetName() override { return mData.name.c_str(); }
    double GetPeriod() override { return LastKeyTime() / mTicksPerSecond; }
    double GetPeriodicPosition(double position) override
    {
        const double period = GetPeriod();
        if (!(period > 0.0)) return 0.0;
        const double p = std::fmod(position, period);
        return p < 0.0 ? p + period : p;
    }
    UINT GetNumAnimations() override { return (UINT)mData.animations.size(); }
    HRESULT GetAnimationNameByIndex(UINT index, LPCSTR* name) override
    {
        if (!name || index >= mData.animations.size()) return D3DERR_INVALIDCALL;
        *name = mData.animations[index].frameName.c_str();
        return S_OK;
    }
    HRESULT GetAnimationIndexByName(LPCSTR name, UINT* index) override
    {
        if (!name || !index) return D3DERR_INVALIDCALL;
        for (UINT i = 0; i < mData.animations.size(); ++i)
            if (mData.animations[i].frameName == name) {
                *index = i;
                return S_OK;
            }
        return D3DERR_NOTFOUND;
    }

    D3DXPLAYBACK_TYPE GetPlaybackType() override { return D3DXPLAY_LOOP; }
    double GetSourceTicksPerSecond() override { return mTicksPerSecond; }
    UINT GetNumScaleKeys(UINT a) override { return a < Count() ? (UINT)mData.animations[a].scales.size() : 0; }
    HRESULT GetScaleKeys(UINT a, LPD3DXKEY_VECTOR3 keys) override
    {
        return a < Count() ? CopyAll(mData.animations[a].scales, keys) : D3DERR_INVALIDCALL;
    }
    HRESULT GetScaleKey(UINT a, UINT k, LPD3DXKEY_VECTOR3 key) override
    {
        return a < Count() ? CopyOne(mData.animations[a].scales, k, key) : D3DERR_INVALIDCALL;
    }
    UINT GetNumRotationKeys(UINT a) override { return a < Count() ? (UINT)mData.animations[a].rotations.size() : 0; }
    HRESULT GetRotationKeys(UINT a, LPD3DXKEY_QUATERNION keys) override
    {
        return a < Count() ? CopyAll(mData.animations[a].rotations, keys) : D3DERR_INVALIDCALL;
    }
    HRESULT GetRotationKey(UINT a, UINT k, LPD3DXKEY_QUATERNION key) override
    {
        return a < Count() ? CopyOne(mData.animations[a].rotations, k, key) : D3DERR_INVALIDCALL;
    }
    UINT GetNumTranslationKeys(UINT a) override
    {
        return a < Count() ? (UINT)mData.animations[a].translations.size() : 0;
    }
    HRESULT GetTranslationKeys(UINT a, LPD3DXKEY_VECTOR3 keys) override
    {
        return a < Count() ? CopyAll(mData.animations[a].translations, keys) : D3DERR_INVALIDCALL;
    }
    HRESULT GetTranslationKey(UINT a, UINT k, LPD3DXKEY_VECTOR3 key) override
    {
        return a < Count() ? CopyOne(mData.animations[a].translations, k, key) : D3DERR_INVALIDCALL;
    }

private:
    ~KeyframedSet() override = default;
    UINT Count() const { return (UINT)mData.animations.size(); }

    // The reader's key records have the same layout as the D3DX ones.
    template <class Src, class Dst>
    static HRESULT CopyAll(const std::vector<Src>& src, Dst* dst)
    {
        static_assert(sizeof(Src) == sizeof(Dst), "key layouts match");
        if (!dst) return D3DERR_INVALIDCALL;
        if (!src.empty()) std::memcpy(dst, src.data(), src.size() * sizeof(Src));
        return S_OK;
    }
    template <class Src, class Dst>
    static HRESULT CopyOne(const std::vector<Src>& src, UINT k, Dst* dst)
    {
        if (!dst || k >= src.size()) return D3DERR_INVALIDCALL;
        std::memcpy(dst, &src[k], sizeof(Src));
        return S_OK;
    }

    double LastKeyTime() const
    {
        double last = 0.0;
        for (const XAnimationData& a : mData.animations) {
            if (!a.rotations.empty()) last = std::fmax(last, a.rotations.back().time);
            if (!a.scales.empty()) last = std::fmax(last, a.scales.back().time);
            if (!a.translations.empty()) last = std::fmax(last, a.translations.back().time);
        }
        return last;
    }

    ULONG mRefs = 1;
    XAnimationSetData mData;
    double mTicksPerSecond;
};

} // namespace

HRESULT LvCreateKeyframedSet(XAnimationSetData data, double ticksPerSecond, ID3DXKeyframedAnimationSet** set)
{
    if (!set || !(ticksPerSecond > 0.0)) return D3DERR_INVALIDCALL;
    *set = new (std::nothrow) KeyframedSet(std::move(data), ticksPerSecond);
    return *set ? S_OK : E_OUTOFMEMORY;
}
