#include "particles/ParticleHooks.h"

namespace {

// Without a camera, quads turn about the y axis: the view of a camera at the
// origin looking along +y with z up.
constexpr Vector3 kDefaultCameraForward(0.0f, 1.0f, 0.0f);

} // namespace

bool ParticleHooks::GetPlayerState(ParticlePlayerState&) const
{
    return false;
}

bool ParticleHooks::IsPlayerOnGround() const
{
    return false;
}

Vector3 ParticleHooks::GetCameraForward() const
{
    return kDefaultCameraForward;
}

bool ParticleHooks::QueueInstance(MeshInstance*)
{
    return false;
}

const char* ParticleHooks::InternTechnique(const std::string& name)
{
    return name.c_str();
}
