// v times m with v a row vector, written out in the operation order of
// Vector3::TimesMatrix3 so that results match it bit for bit. Inline because
// detection runs it for every sample point of every pass.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"

inline Vector3 RowTimes(const Vector3& v, const Matrix3& m)
{
    return Vector3(v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                   v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                   v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]);
}
