#include "core/Vector3.h"

#include <cmath>

#include "core/DebugPrint.h"

Vector3& Vector3::Normalize()
{
    const float lengthSquared = x * x + y * y + z * z;
    if (lengthSquared > 0.0f) {
        *this *= 1.0f / std::sqrt(lengthSquared);
    } else {
        DebugPrint("Magnitude = %f in Normalize()\n", static_cast<double>(std::sqrt(lengthSquared)));
        *this = Vector3(1.0f, 0.0f, 0.0f);
    }
    return *this;
}

float Vector3::Length() const
{
    return std::sqrt(LengthSquared());
}

Vector3& MultiplyScalarVector3(Vector3& out, float s, const Vector3& v)
{
    out = Vector3(s * v.x, s * v.y, s * v.z);
    return out;
}
