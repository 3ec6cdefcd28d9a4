#include "AnimationTestSupport.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "render/KeyframeAnimator.h"

ScratchRunTree::ScratchRunTree()
{
    std::string pattern = testing::TempDir() + "animation_XXXXXX";
    const char* made = mkdtemp(&pattern[0]);
    EXPECT_NE(made, nullptr);
    root = made ? made : testing::TempDir();
    std::filesystem::create_directories(root + "/bin");
    std::filesystem::create_directories(root + "/Meshes");
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(root + "/bin");
}

ScratchRunTree::~ScratchRunTree()
{
    std::error_code ignored;
    std::filesystem::current_path(previous, ignored);
    std::filesystem::remove_all(root, ignored);
}

void ScratchRunTree::WriteMesh(const std::string& name, const std::string& text) const
{
    xtest::WriteFile(root + "/Meshes/" + name, text);
}

const gen::SkinnedModel& Character()
{
    static const gen::SkinnedModel model = gen::BuildCharacter();
    return model;
}

std::string CharacterText(const std::function<void(gen::SkinnedModel&)>& change)
{
    gen::SkinnedModel model = Character();
    change(model);
    return gen::SkinnedModelText(model);
}

MultiAnimMeshContainer* FirstSkinnedContainer(D3DXFRAME* frame)
{
    for (; frame; frame = frame->pFrameSibling) {
        for (D3DXMESHCONTAINER* mc = frame->pMeshContainer; mc; mc = mc->pNextMeshContainer)
            if (mc->pSkinInfo) return static_cast<MultiAnimMeshContainer*>(mc);
        if (MultiAnimMeshContainer* found = FirstSkinnedContainer(frame->pFrameFirstChild)) return found;
    }
    return nullptr;
}

xtest::QuatKey RotationKey(DWORD time, const D3DXQUATERNION& q)
{
    return xtest::QuatKey{time, D3DXQUATERNION(-q.x, -q.y, -q.z, q.w)};
}

xtest::Vec3Key VectorKey(DWORD time, float x, float y, float z)
{
    return xtest::Vec3Key{time, D3DXVECTOR3(x, y, z)};
}

xtest::Scene BoneScene(const std::vector<xtest::Animation>& animations)
{
    D3DXMATRIX identity, tip;
    D3DXMatrixIdentity(&identity);
    D3DXMatrixTranslation(&tip, 0, 5, 0);
    xtest::Scene scene;
    scene.frames.push_back(xtest::Frame{"Bone", identity, {}, {xtest::Frame{"Tip", tip, {}, {}}}});
    scene.sets.push_back(xtest::AnimationSet{"Only", animations});
    return scene;
}

D3DXQUATERNION AxisRotation(float x, float y, float z, float radians)
{
    D3DXQUATERNION q;
    const D3DXVECTOR3 axis(x, y, z);
    D3DXQuaternionRotationAxis(&q, &axis, radians);
    return q;
}

float MatrixDistance(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    float worst = 0.0f;
    for (int i = 0; i < 16; ++i) worst = std::fmax(worst, std::fabs((&a._11)[i] - (&b._11)[i]));
    return worst;
}

AnimatorPlace CurrentAnimation()
{
    AnimatorPlace place(99, -1.0f);
    gKeyframeAnimator->GetCurrent(&place.first, &place.second);
    return place;
}

bool AllFinite(const D3DXMATRIX& m)
{
    for (int i = 0; i < 16; ++i)
        if (!std::isfinite((&m._11)[i])) return false;
    return true;
}
