// A camera over a test scene: z up, a 0.8 radian field of view at 4:3,
// world units to clip space as the scene draws them; and whether a point
// lands inside its view.
#pragma once

#include <cmath>

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

// True when the point lies inside the clip volume of `m`, its faces included.
inline bool PointInView(const D3DXMATRIX& m, const float p[3])
{
    D3DXVECTOR4 clip;
    const D3DXVECTOR4 v(p[0], p[1], p[2], 1.0f);
    D3DXVec4Transform(&clip, &v, &m);
    return clip.w > 0.0f && std::abs(clip.x) <= clip.w && std::abs(clip.y) <= clip.w && clip.z >= 0.0f &&
           clip.z <= clip.w;
}
