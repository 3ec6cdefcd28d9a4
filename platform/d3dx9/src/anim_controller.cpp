// ID3DXAnimationController as a holder of animation sets with a clock and
// track settings. Track events take effect at once; nothing is posed here.
#include "AnimInternal.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace {

struct Track
{
    D3DXTRACK_DESC desc{D3DXPRIORITY_LOW, 1.0f, 1.0f, 0.0, FALSE};
    ID3DXAnimationSet* set = nullptr;
};

class Controller final : public ID3DXAnimationController
{
public:
    Controller(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents)
        : mMaxOutputs(maxOutputs), mMaxSets(maxSets), mMaxEvents(maxEvents), mTracks(maxTracks)
    {}

    ULONG AddRef() override { return ++mRefs; }
    ULONG Release() override
    {
        const ULONG refs = --mRefs;
        if (refs == 0) delete this;
        return refs;
    }

    UINT GetMaxNumAnimationOutputs() override { return mMaxOutputs; }
    UINT GetMaxNumAnimationSets() override { return mMaxSets; }
    UINT GetMaxNumTracks() override { return (UINT)mTracks.size(); }
    UINT GetMaxNumEvents() override { return mMaxEvents; }

    HRESULT RegisterAnimationSet(LPD3DXANIMATIONSET set) override
    {
        if (!set || mSets.size() >= mMaxSets || std::find(mSets.begin(), mSets.end(), set) != mSets.end())
            return D3DERR_INVALIDCALL;
        set->AddRef();
        mSets.push_back(set);
        return S_OK;
    }
    HRESULT UnregisterAnimationSet(LPD3DXANIMATIONSET set) override
    {
        const auto it = std::find(mSets.begin(), mSets.end(), set);
        if (it == mSets.end()) return D3DERR_INVALIDCALL;
        for (Track& t : mTracks)
            if (t.set == set) SetTrackAnimationSet((UINT)(&t - mTracks.data()), nullptr);
        mSets.erase(it);
        set->Release();
        return S_OK;
    }
    UINT GetNumAnimationSets() override { return (UINT)mSets.size(); }
    HRESULT GetAnimationSet(UINT index, LPD3DXANIMATIONSET* set) override
    {
        if (!set) return D3DERR_INVALIDCALL;
        *set = index < mSets.size() ? mSets[index] : nullptr;
        if (!*set) return D3DERR_INVALIDCALL;
        (*set)->AddRef();
        return S_OK;
    }
    HRESULT GetAnimationSetByName(LPCSTR name, LPD3DXANIMATIONSET* set) override
    {
        if (!name || !set) return D3DERR_INVALIDCALL;
        *set = nullptr;
        for (ID3DXAnimationSet* s : mSets)
            if (std::strcmp(s->GetName(), name) == 0) {
                s->AddRef();
                *set = s;
                return S_OK;
            }
        return D3DERR_NOTFOUND;
    }

    HRESULT AdvanceTime(double timeDelta, LPD3DXANIMATIONCALLBACKHANDLER) override
    {
        mTime += timeDelta;
        for (Track& t : mTracks)
            if (t.desc.Enable) t.desc.Position += timeDelta * t.desc.Speed;
        return S_OK;
    }
    HRESULT ResetTime() override
    {
        mTime = 0.0;
        return S_OK;
    }
    double GetTime() override { return mTime; }

    HRESULT SetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET set) override
    {
        if (track >= mTracks.size()) return D3DERR_INVALIDCALL;
        if (set) set->AddRef();
        if (mTracks[track].set) mTracks[track].set->Release();
        mTracks[track].set = set;
        return S_OK;
    }
    HRESULT GetTrackAnimationSet(UINT track, LPD3DXANIMATIONSET* set) override
    {
        if (track >= mTracks.size() || !set) return D3DERR_INVALIDCALL;
        *set = mTracks[track].set;
        if (*set) (*set)->AddRef();
        return S_OK;
    }
    HRESULT SetTrackPriority(UINT track, D3DXPRIORITY_TYPE priority) override
    {
        return Edit(track, [&](D3DXTRACK_DESC& d) { d.Priority = priority; });
    }
    HRESULT SetTrackSpeed(UINT track, FLOAT speed) override
    {
        return Edit(track, [&](D3DXTRACK_DESC& d) { d.Speed = speed; });
    }
    HRESULT SetTrackWeight(UINT track, FLOAT weight) override
    {
        return Edit(track, [&](D3DXTRACK_DESC& d) { d.Weight = weight; });
    }
    HRESULT SetTrackPosition(UINT track, double position) override
    {
        return Edit(track, [&](D3DXTRACK_DESC& d) { d.Position = position; });
    }
    HRESULT SetTrackEnable(UINT track, BOOL enable) override
    {
        return Edit(track, [&](D3DXTRACK_DESC& d) { d.Enable = enable; });
    }
    HRESULT SetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) override
    {
        if (!desc) return D3DERR_INVALIDCALL;
        return Edit(track, [&](D3DXTRACK_DESC& d) { d = *desc; });
    }
    HRESULT GetTrackDesc(UINT track, LPD3DXTRACK_DESC desc) override
    {
        if (track >= mTracks.size() || !desc) return D3DERR_INVALIDCALL;
        *desc = mTracks[track].desc;
        return S_OK;
    }
    D3DXEVENTHANDLE KeyTrackSpeed(UINT track, FLOAT speed, double, double, D3DXTRANSITION_TYPE) override
    {
        return Key(SetTrackSpeed(track, speed));
    }
    D3DXEVENTHANDLE KeyTrackWeight(UINT track, FLOAT weight, double, double, D3DXTRANSITION_TYPE) override
    {
        return Key(SetTrackWeight(track, weight));
    }
    D3DXEVENTHANDLE KeyTrackPosition(UINT track, double position, double) override
    {
        return Key(SetTrackPosition(track, position));
    }
    D3DXEVENTHANDLE KeyTrackEnable(UINT track, BOOL enable, double) override
    {
        return Key(SetTrackEnable(track, enable));
    }
    HRESULT UnkeyAllTrackEvents(UINT track) override { return track < mTracks.size() ? S_OK : D3DERR_INVALIDCALL; }

    HRESULT CloneAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                     LPD3DXANIMATIONCONTROLLER* out) override
    {
        if (!out || maxSets < mSets.size()) return D3DERR_INVALIDCALL;
        Controller* c = new (std::nothrow) Controller(maxOutputs, maxSets, maxTracks, maxEvents);
        if (!c) return E_OUTOFMEMORY;
        for (ID3DXAnimationSet* s : mSets) c->RegisterAnimationSet(s);
        for (UINT t = 0; t < std::min<size_t>(maxTracks, mTracks.size()); ++t) {
            c->mTracks[t].desc = mTracks[t].desc;
            c->SetTrackAnimationSet(t, mTracks[t].set);
        }
        c->mTime = mTime;
        *out = c;
        return S_OK;
    }

private:
    ~Controller() override
    {
        for (Track& t : mTracks)
            if (t.set) t.set->Release();
        for (ID3DXAnimationSet* s : mSets) s->Release();
    }
    template <class F>
    HRESULT Edit(UINT track, F change)
    {
        if (track >= mTracks.size()) return D3DERR_INVALIDCALL;
        change(mTracks[track].desc);
        return S_OK;
    }
    D3DXEVENTHANDLE Key(HRESULT hr) { return FAILED(hr) ? 0xFFFFFFFFu : mNextEvent++; }

    ULONG mRefs = 1;
    UINT mMaxOutputs, mMaxSets, mMaxEvents;
    std::vector<Track> mTracks;
    std::vector<ID3DXAnimationSet*> mSets;
    double mTime = 0.0;
    D3DXEVENTHANDLE mNextEvent = 0;
};

} // namespace

HRESULT LvCreateAnimationController(UINT maxOutputs, UINT maxSets, UINT maxTracks, UINT maxEvents,
                                    ID3DXAnimationController** controller)
{
    if (!controller) return D3DERR_INVALIDCALL;
    *controller = new (std::nothrow) Controller(maxOutputs, maxSets, maxTracks, maxEvents);
    return *controller ? S_OK : E_OUTOFMEMORY;
}
