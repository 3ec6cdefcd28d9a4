#include "core/Messages.h"

namespace {
template <typename T>
T ValueOrDefault(const T* value)
{
    return value ? *value : T();
}
} // namespace

fCreateSystem::fCreateSystem(const char* name_, const Vector3* position_, const Vector3* velocity_, const float* scale_)
    : name(name_ ? name_ : ""), position(ValueOrDefault(position_)), velocity(ValueOrDefault(velocity_)),
      scale(ValueOrDefault(scale_))
{
    type = kMsgCreateSystem;
}

fAttachSystem::fAttachSystem(const char* name_, const Vector3* offset_, const Vector3* parentPosition_,
                             const Matrix3* parentOrientation_, const Vector3* parentVelocity_, const float* scale_)
    : name(name_ ? name_ : ""), offset(ValueOrDefault(offset_)), parentPosition(parentPosition_),
      parentOrientation(parentOrientation_), parentVelocity(parentVelocity_), scale(ValueOrDefault(scale_))
{
    type = kMsgAttachSystem;
}
