#include "core/MeshImportTransform.h"

#include <cmath>

#include "core/MathConstants.h"

namespace {
// The same float operations as the D3DX builders, so the entries match a
// matrix made with them bit for bit; done here so the core needs no D3DX code.
D3DXMATRIX Product(const D3DXMATRIX& a, const D3DXMATRIX& b)
{
    D3DXMATRIX r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

D3DXMATRIX BuildMeshImportTransform()
{
    const D3DXMATRIX scaling(0.1f, 0, 0, 0, 0, 0.1f, 0, 0, 0, 0, 0.1f, 0, 0, 0, 0, 1);
    const float cx = std::cos(kHalfPi);
    const float sx = std::sin(kHalfPi);
    const D3DXMATRIX rotationX(1, 0, 0, 0, 0, cx, sx, 0, 0, -sx, cx, 0, 0, 0, 0, 1);
    const float cz = std::cos(kPi);
    const float sz = std::sin(kPi);
    const D3DXMATRIX rotationZ(cz, sz, 0, 0, -sz, cz, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    return Product(Product(scaling, rotationX), rotationZ);
}
} // namespace

const D3DXMATRIX MeshImportTransform = BuildMeshImportTransform();
