// Vector functions of the D3DX math stand-in.
#include <d3dx9math.h>

D3DXVECTOR2* D3DXVec2Normalize(D3DXVECTOR2* out, const D3DXVECTOR2* v)
{
    const FLOAT len = D3DXVec2Length(v);
    *out = len > 0.0f ? *v / len : D3DXVECTOR2(0.0f, 0.0f);
    return out;
}

D3DXVECTOR3* D3DXVec3Normalize(D3DXVECTOR3* out, const D3DXVECTOR3* v)
{
    const FLOAT len = D3DXVec3Length(v);
    *out = len > 0.0f ? *v / len : D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return out;
}

D3DXVECTOR4* D3DXVec4Normalize(D3DXVECTOR4* out, const D3DXVECTOR4* v)
{
    const FLOAT len = D3DXVec4Length(v);
    *out = len > 0.0f ? *v / len : D3DXVECTOR4(0.0f, 0.0f, 0.0f, 0.0f);
    return out;
}

D3DXVECTOR4* D3DXVec4Transform(D3DXVECTOR4* out, const D3DXVECTOR4* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31 + v->w * m->_41,
                        v->x * m->_12 + v->y * m->_22 + v->z * m->_32 + v->w * m->_42,
                        v->x * m->_13 + v->y * m->_23 + v->z * m->_33 + v->w * m->_43,
                        v->x * m->_14 + v->y * m->_24 + v->z * m->_34 + v->w * m->_44);
    *out = r;
    return out;
}

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR4 p(*v, 1.0f);
    return D3DXVec4Transform(out, &p, m);
}

D3DXVECTOR3* D3DXVec3TransformCoord(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    D3DXVECTOR4 r;
    D3DXVec3Transform(&r, v, m);
    *out = D3DXVECTOR3(r.x / r.w, r.y / r.w, r.z / r.w);
    return out;
}

D3DXVECTOR3* D3DXVec3TransformNormal(D3DXVECTOR3* out, const D3DXVECTOR3* v, const D3DXMATRIX* m)
{
    const D3DXVECTOR3 r(v->x * m->_11 + v->y * m->_21 + v->z * m->_31, v->x * m->_12 + v->y * m->_22 + v->z * m->_32,
                        v->x * m->_13 + v->y * m->_23 + v->z * m->_33);
    *out = r;
    return out;
}
