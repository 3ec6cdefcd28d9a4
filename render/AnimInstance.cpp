// Posing and drawing one copy of the character hierarchy.
#include "render/AnimInstance.h"

#include "render/KeyframeAnimator.h"
#include "render/MultiAnimation.h"

namespace {

// A bone id of the all-ones value names no bone.
const DWORD kNoBone = 0xFFFFFFFFu;

} // namespace

AnimInstance::AnimInstance(MultiAnim* owner) : multiAnim(owner)
{
    D3DXMatrixIdentity(&world);
}

AnimInstance::~AnimInstance()
{
    Cleanup();
}

HRESULT AnimInstance::Setup(ID3DXAnimationController* newController)
{
    if (newController) newController->AddRef();
    Cleanup();
    controller = newController;
    if (controller)
        for (UINT track = 0; track < controller->GetMaxNumTracks(); ++track) controller->SetTrackEnable(track, FALSE);
    return S_OK;
}

void AnimInstance::UpdateFrames(D3DXFRAME* frame, const D3DXMATRIX* parent)
{
    for (; frame; frame = frame->pFrameSibling) {
        D3DXMatrixMultiply(&frame->TransformationMatrix, &frame->TransformationMatrix, parent);
        UpdateFrames(frame->pFrameFirstChild, &frame->TransformationMatrix);
    }
}

void AnimInstance::DrawFrames(D3DXFRAME* frame)
{
    for (; frame; frame = frame->pFrameSibling) {
        if (frame->pMeshContainer) DrawMeshFrame(frame);
        DrawFrames(frame->pFrameFirstChild);
    }
}

void FillBonePalette(const MultiAnimMeshContainer& mc, DWORD group, D3DXMATRIX* palette)
{
    const D3DXBONECOMBINATION* combos =
        static_cast<const D3DXBONECOMBINATION*>(mc.boneCombinations->GetBufferPointer());
    const DWORD bones = mc.pSkinInfo->GetNumBones();
    for (DWORD i = 0; i < mc.paletteEntries; ++i) {
        const DWORD bone = combos[group].BoneId[i];
        if (bone == kNoBone || bone >= bones || !mc.boneMatrices[bone]) continue;
        D3DXMatrixMultiply(&palette[i], &mc.boneOffsets[bone], mc.boneMatrices[bone]);
    }
}

void AnimInstance::DrawMeshFrame(D3DXFRAME* frame)
{
    ID3DXEffect* effect = multiAnim->GetEffect();
    D3DXMATRIX* palette = multiAnim->GetWorkingPalette();
    for (D3DXMESHCONTAINER* base = frame->pMeshContainer; base; base = base->pNextMeshContainer) {
        MultiAnimMeshContainer* mc = static_cast<MultiAnimMeshContainer*>(base);
        if (!mc->pSkinInfo || !mc->workingMesh || !mc->boneCombinations || !mc->boneMatrices || !effect ||
            multiAnim->GetWorkingPaletteSize() < mc->paletteEntries)
            continue;
        for (DWORD group = 0; group < mc->numAttributeGroups; ++group) {
            FillBonePalette(*mc, group, palette);
            effect->SetMatrixArray("amPalette", palette, mc->paletteEntries);
            effect->SetInt("CurNumBones", static_cast<INT>(mc->maxFaceInfluences) - 1);
            UINT passes = 0;
            if (FAILED(effect->Begin(&passes, 0))) continue;
            for (UINT pass = 0; pass < passes; ++pass) {
                effect->BeginPass(pass);
                mc->workingMesh->DrawSubset(group);
                effect->EndPass();
            }
            effect->End();
        }
    }
}

void AnimInstance::Cleanup()
{
    if (controller) controller->Release();
    controller = nullptr;
}

HRESULT AnimInstance::AdvanceTime(double dt, ID3DXAnimationCallbackHandler*)
{
    D3DXFRAME* root = multiAnim->GetFrameRoot();
    if (!root) return S_OK;
    // The last step left combined matrices in the frames; every frame starts
    // again from its own, so frames no track writes do not pile up.
    multiAnim->RestoreBindPose();
    gKeyframeAnimator->Advance(static_cast<float>(dt));
    UpdateFrames(root, &world);
    return S_OK;
}

HRESULT AnimInstance::ResetTime()
{
    return controller ? controller->ResetTime() : S_OK;
}

HRESULT AnimInstance::Draw()
{
    DrawFrames(multiAnim->GetFrameRoot());
    return S_OK;
}

ID3DXAnimationController* AnimInstance::GetAnimController()
{
    if (controller) controller->AddRef();
    return controller;
}

void AnimInstance::SetWorldTransform(const D3DXMATRIX* newWorld)
{
    if (newWorld) world = *newWorld;
}
