// A camera over a test terrain: z up, a 0.8 radian field of view at 4:3,
// mesh units to clip space as the scene draws them.
#pragma once

#include <d3dx9math.h>

inline D3DXMATRIX Camera(const D3DXVECTOR3& eye, const D3DXVECTOR3& at)
{
    D3DXMATRIX view, projection, viewProjection;
    const D3DXVECTOR3 up(0.0f, 0.0f, 1.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 4.0f / 3.0f, 1.0f, 1000.0f);
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    return viewProjection;
}
