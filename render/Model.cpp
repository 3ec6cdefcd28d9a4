// An animated model's set-up, time and instance hand-back.
#include "render/Model.h"

#include "core/ErrorReport.h"
#include "render/MultiAnimation.h"

namespace {

// The model is scaled to a seventh of its bounding radius.
const float kRadiusDivisor = 7.0f;

} // namespace

Model::Model()
{
    D3DXMatrixIdentity(&scale);
}

Model::~Model()
{
    if (multiAnim && instance) multiAnim->DestroyInstance(instance);
}

HRESULT Model::Setup(MultiAnim* ma, double startTime)
{
    previousTime = currentTime = startTime;
    if (multiAnim && instance) multiAnim->DestroyInstance(instance);
    instance = nullptr;
    multiAnim = ma;
    DWORD index = 0;
    if (!multiAnim || FAILED(multiAnim->CreateNewInstance(&index))) {
        REPORT_ERROR("could not Create Multi Animation Instance while setting up Model");
        return E_OUTOFMEMORY;
    }
    instance = multiAnim->GetInstance(index);

    const float radius = multiAnim->GetBoundingRadius();
    if (radius > 0.0f) {
        const float s = 1.0f / radius / kRadiusDivisor;
        D3DXMatrixScaling(&scale, s, s, s);
    } else {
        D3DXMatrixIdentity(&scale);
    }

    // Track 0 alone at full speed and weight, as the controller is set up for
    // playback; the poses themselves come from the keyframe animator.
    if (ID3DXAnimationController* controller = instance->GetAnimController()) {
        controller->AdvanceTime(0.0, nullptr);
        const double now = controller->GetTime();
        controller->KeyTrackEnable(1, FALSE, now);
        controller->KeyTrackSpeed(1, 0.0f, now, 0.0, D3DXTRANSITION_LINEAR);
        controller->KeyTrackWeight(1, 0.0f, now, 0.0, D3DXTRANSITION_LINEAR);
        controller->SetTrackEnable(0, TRUE);
        controller->KeyTrackSpeed(0, 1.0f, now, 0.0, D3DXTRANSITION_LINEAR);
        controller->KeyTrackWeight(0, 1.0f, now, 0.0, D3DXTRANSITION_LINEAR);
        controller->Release();
    }
    return S_OK;
}

void Model::AdvanceTime(double dt)
{
    previousTime = currentTime;
    currentTime += dt;
    if (!instance) return;
    instance->AdvanceTime(dt, nullptr);
    posed = true;
}
