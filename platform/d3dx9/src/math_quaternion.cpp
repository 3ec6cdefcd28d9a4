// Quaternion functions of the D3DX math stand-in. Products follow the D3DX
// order: q1 * q2 rotates by q1 first, then by q2.
#include <d3dx9math.h>

D3DXQUATERNION* D3DXQuaternionMultiply(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2)
{
    // Hamilton product q2 (x) q1.
    const D3DXQUATERNION r(q2->w * q1->x + q1->w * q2->x + (q2->y * q1->z - q2->z * q1->y),
                           q2->w * q1->y + q1->w * q2->y + (q2->z * q1->x - q2->x * q1->z),
                           q2->w * q1->z + q1->w * q2->z + (q2->x * q1->y - q2->y * q1->x),
                           q2->w * q1->w - (q2->x * q1->x + q2->y * q1->y + q2->z * q1->z));
    *out = r;
    return out;
}

D3DXQUATERNION* D3DXQuaternionNormalize(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const FLOAT len = D3DXQuaternionLength(q);
    *out = len > 0.0f ? *q / len : D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
    return out;
}

D3DXQUATERNION* D3DXQuaternionInverse(D3DXQUATERNION* out, const D3DXQUATERNION* q)
{
    const FLOAT norm = D3DXQuaternionLengthSq(q);
    if (!(norm > 0.0f)) {
        *out = D3DXQUATERNION(0.0f, 0.0f, 0.0f, 0.0f);
        return out;
    }
    *out = D3DXQUATERNION(-q->x / norm, -q->y / norm, -q->z / norm, q->w / norm);
    return out;
}

D3DXQUATERNION* D3DXQuaternionSlerp(D3DXQUATERNION* out, const D3DXQUATERNION* q1, const D3DXQUATERNION* q2, FLOAT t)
{
    FLOAT cosTheta = D3DXQuaternionDot(q1, q2);
    FLOAT sign = 1.0f;
    if (cosTheta < 0.0f) { // take the shorter way round
        cosTheta = -cosTheta;
        sign = -1.0f;
    }
    FLOAT a = 1.0f - t, b = t;
    // Nearly parallel keys: sin(theta) vanishes, so blend linearly.
    if (1.0f - cosTheta > 0.001f) {
        const FLOAT theta = acosf(cosTheta);
        const FLOAT sinTheta = sinf(theta);
        a = sinf((1.0f - t) * theta) / sinTheta;
        b = sinf(t * theta) / sinTheta;
    }
    b *= sign;
    *out = D3DXQUATERNION(a * q1->x + b * q2->x, a * q1->y + b * q2->y, a * q1->z + b * q2->z, a * q1->w + b * q2->w);
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationMatrix(D3DXQUATERNION* out, const D3DXMATRIX* m)
{
    const FLOAT trace = m->_11 + m->_22 + m->_33;
    D3DXQUATERNION q;
    if (trace > 0.0f) {
        const FLOAT s = sqrtf(trace + 1.0f) * 2.0f; // 4w
        q = D3DXQUATERNION((m->_23 - m->_32) / s, (m->_31 - m->_13) / s, (m->_12 - m->_21) / s, 0.25f * s);
    } else if (m->_11 >= m->_22 && m->_11 >= m->_33) {
        const FLOAT s = sqrtf(1.0f + m->_11 - m->_22 - m->_33) * 2.0f; // 4x
        q = D3DXQUATERNION(0.25f * s, (m->_12 + m->_21) / s, (m->_13 + m->_31) / s, (m->_23 - m->_32) / s);
    } else if (m->_22 >= m->_33) {
        const FLOAT s = sqrtf(1.0f + m->_22 - m->_11 - m->_33) * 2.0f; // 4y
        q = D3DXQUATERNION((m->_12 + m->_21) / s, 0.25f * s, (m->_23 + m->_32) / s, (m->_31 - m->_13) / s);
    } else {
        const FLOAT s = sqrtf(1.0f + m->_33 - m->_11 - m->_22) * 2.0f; // 4z
        q = D3DXQUATERNION((m->_13 + m->_31) / s, (m->_23 + m->_32) / s, 0.25f * s, (m->_12 - m->_21) / s);
    }
    *out = q;
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationAxis(D3DXQUATERNION* out, const D3DXVECTOR3* axis, FLOAT angle)
{
    D3DXVECTOR3 v;
    D3DXVec3Normalize(&v, axis);
    const FLOAT s = sinf(angle * 0.5f);
    *out = D3DXQUATERNION(v.x * s, v.y * s, v.z * s, cosf(angle * 0.5f));
    return out;
}

D3DXQUATERNION* D3DXQuaternionRotationYawPitchRoll(D3DXQUATERNION* out, FLOAT yaw, FLOAT pitch, FLOAT roll)
{
    const D3DXVECTOR3 ax(1, 0, 0), ay(0, 1, 0), az(0, 0, 1);
    D3DXQUATERNION qRoll, qPitch, qYaw;
    D3DXQuaternionRotationAxis(&qRoll, &az, roll);
    D3DXQuaternionRotationAxis(&qPitch, &ax, pitch);
    D3DXQuaternionRotationAxis(&qYaw, &ay, yaw);
    *out = qRoll * qPitch * qYaw;
    return out;
}
