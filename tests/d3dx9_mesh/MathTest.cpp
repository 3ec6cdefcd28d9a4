// D3DX math against the published left-handed, row-vector formulas.
#include <gtest/gtest.h>
#include <d3dx9math.h>

namespace {

void ExpectMatrixNear(const D3DXMATRIX& a, const D3DXMATRIX& b, float tol = 1e-5f)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a(r, c), b(r, c), tol) << "element " << r << "," << c;
}

D3DXVECTOR3 Transform(const D3DXVECTOR3& p, const D3DXMATRIX& m)
{
    D3DXVECTOR3 r;
    D3DXVec3TransformCoord(&r, &p, &m);
    return r;
}

} // namespace

TEST(D3DXMath, LayoutAndProductOrder)
{
    static_assert(sizeof(D3DXMATRIX) == 64, "matrix is 16 floats");
    static_assert(sizeof(D3DXVECTOR3) == 12 && sizeof(D3DXQUATERNION) == 16, "packed vectors");
    D3DXMATRIX t, s;
    D3DXMatrixTranslation(&t, 1, 2, 3);
    EXPECT_EQ(t._41, 1.0f);
    EXPECT_EQ(t.m[3][1], 2.0f);
    EXPECT_EQ(t(3, 2), 3.0f);
    D3DXMatrixScaling(&s, 2, 2, 2);
    // Row vectors: S * T scales first, then translates.
    const D3DXVECTOR3 p = Transform(D3DXVECTOR3(1, 1, 1), s * t);
    EXPECT_FLOAT_EQ(p.x, 3);
    EXPECT_FLOAT_EQ(p.y, 4);
    EXPECT_FLOAT_EQ(p.z, 5);
    const D3DXVECTOR3 q = Transform(D3DXVECTOR3(1, 1, 1), t * s);
    EXPECT_FLOAT_EQ(q.x, 4);
    D3DXMATRIX a = s;
    a *= t; // aliasing output and input
    ExpectMatrixNear(a, s * t, 0);
}

TEST(D3DXMath, RotationsFollowPublishedRows)
{
    const float ang = 0.7f, c = cosf(ang), s = sinf(ang);
    D3DXMATRIX rx, ry, rz;
    D3DXMatrixRotationX(&rx, ang);
    ExpectMatrixNear(rx, D3DXMATRIX(1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1));
    D3DXMatrixRotationY(&ry, ang);
    ExpectMatrixNear(ry, D3DXMATRIX(c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1));
    D3DXMatrixRotationZ(&rz, ang);
    ExpectMatrixNear(rz, D3DXMATRIX(c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1));
    // Left-handed: +90 degrees about z takes +x to +y.
    D3DXMatrixRotationZ(&rz, D3DX_PI / 2);
    const D3DXVECTOR3 v = Transform(D3DXVECTOR3(1, 0, 0), rz);
    EXPECT_NEAR(v.y, 1.0f, 1e-6f);

    const D3DXVECTOR3 axis(0, 0, 5); // normalised by the function
    D3DXMATRIX ra;
    D3DXMatrixRotationAxis(&ra, &axis, ang);
    D3DXMatrixRotationZ(&rz, ang);
    ExpectMatrixNear(ra, rz);
    const D3DXVECTOR3 axis2(1, 2, 3);
    D3DXMatrixRotationAxis(&ra, &axis2, ang);
    D3DXQUATERNION q;
    D3DXQuaternionRotationAxis(&q, &axis2, ang);
    D3DXMATRIX rq;
    D3DXMatrixRotationQuaternion(&rq, &q);
    ExpectMatrixNear(ra, rq);

    D3DXMATRIX ypr;
    D3DXMatrixRotationYawPitchRoll(&ypr, 0.3f, 0.5f, 0.7f);
    D3DXMatrixRotationZ(&rz, 0.7f);
    D3DXMatrixRotationX(&rx, 0.5f);
    D3DXMatrixRotationY(&ry, 0.3f);
    ExpectMatrixNear(ypr, rz * rx * ry);
    D3DXQuaternionRotationYawPitchRoll(&q, 0.3f, 0.5f, 0.7f);
    D3DXMatrixRotationQuaternion(&rq, &q);
    ExpectMatrixNear(ypr, rq);
}

TEST(D3DXMath, QuaternionMatrixFormulaAndRoundTrip)
{
    D3DXQUATERNION q(0.1f, 0.2f, 0.3f, 0.9f);
    D3DXQuaternionNormalize(&q, &q);
    const float x = q.x, y = q.y, z = q.z, w = q.w;
    D3DXMATRIX m;
    D3DXMatrixRotationQuaternion(&m, &q);
    ExpectMatrixNear(m, D3DXMATRIX(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y), 0,
                                   2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x), 0,
                                   2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y), 0, 0, 0, 0, 1));
    // Every branch of the matrix-to-quaternion conversion.
    const D3DXQUATERNION samples[] = {q, {0.9f, 0.1f, 0.1f, 0.1f}, {0.1f, 0.9f, 0.2f, 0.1f}, {0.1f, 0.2f, 0.9f, 0.1f}};
    for (D3DXQUATERNION s : samples) {
        D3DXQuaternionNormalize(&s, &s);
        D3DXMatrixRotationQuaternion(&m, &s);
        D3DXQUATERNION back;
        D3DXQuaternionRotationMatrix(&back, &m);
        const float sign = D3DXQuaternionDot(&back, &s) < 0 ? -1.0f : 1.0f;
        EXPECT_NEAR(back.x * sign, s.x, 1e-5f);
        EXPECT_NEAR(back.y * sign, s.y, 1e-5f);
        EXPECT_NEAR(back.z * sign, s.z, 1e-5f);
        EXPECT_NEAR(back.w * sign, s.w, 1e-5f);
    }
    // Product order: q1 * q2 rotates by q1 first, like the matrices.
    D3DXQUATERNION a, b;
    const D3DXVECTOR3 ax(1, 0, 0), ay(0, 1, 0);
    D3DXQuaternionRotationAxis(&a, &ax, 0.4f);
    D3DXQuaternionRotationAxis(&b, &ay, 0.9f);
    D3DXMATRIX ma, mb, mab;
    D3DXMatrixRotationQuaternion(&ma, &a);
    D3DXMatrixRotationQuaternion(&mb, &b);
    const D3DXQUATERNION ab = a * b;
    D3DXMatrixRotationQuaternion(&mab, &ab);
    ExpectMatrixNear(mab, ma * mb);
}

TEST(D3DXMath, QuaternionInverseAndSlerp)
{
    const D3DXQUATERNION q(1, 2, 3, 4);
    D3DXQUATERNION inv;
    D3DXQuaternionInverse(&inv, &q);
    EXPECT_FLOAT_EQ(inv.x, -1.0f / 30);
    EXPECT_FLOAT_EQ(inv.w, 4.0f / 30);
    const D3DXQUATERNION zero(0, 0, 0, 0);
    D3DXQuaternionInverse(&inv, &zero);
    EXPECT_EQ(inv, zero);

    const D3DXVECTOR3 az(0, 0, 1);
    D3DXQUATERNION a, b, r, expect;
    D3DXQuaternionRotationAxis(&a, &az, 0.2f);
    D3DXQuaternionRotationAxis(&b, &az, 1.0f);
    D3DXQuaternionSlerp(&r, &a, &b, 0.25f);
    D3DXQuaternionRotationAxis(&expect, &az, 0.4f);
    EXPECT_NEAR(r.z, expect.z, 1e-6f);
    EXPECT_NEAR(r.w, expect.w, 1e-6f);
    // t < 0 extrapolates along the same arc.
    D3DXQuaternionSlerp(&r, &a, &b, -0.25f);
    D3DXQuaternionRotationAxis(&expect, &az, 0.0f);
    EXPECT_NEAR(r.z, expect.z, 1e-6f);
    // Shortest arc: the negated end key gives the same rotation.
    const D3DXQUATERNION negB = -b;
    D3DXQUATERNION r2;
    D3DXQuaternionSlerp(&r, &a, &b, 0.5f);
    D3DXQuaternionSlerp(&r2, &a, &negB, 0.5f);
    EXPECT_NEAR(r.z, r2.z, 1e-6f);
    EXPECT_NEAR(r.w, r2.w, 1e-6f);
    // Nearly equal keys blend linearly instead of dividing by sin(0).
    D3DXQuaternionSlerp(&r, &a, &a, 0.5f);
    EXPECT_FALSE(std::isnan(r.w));
    EXPECT_NEAR(r.w, a.w, 1e-6f);
}

TEST(D3DXMath, InverseTransposeDeterminantDecompose)
{
    D3DXMATRIX s, r, t;
    D3DXMatrixScaling(&s, 2, 3, 4);
    D3DXMatrixRotationYawPitchRoll(&r, 0.3f, -0.4f, 1.1f);
    D3DXMatrixTranslation(&t, 5, -6, 7);
    const D3DXMATRIX m = s * r * t;
    D3DXMATRIX inv, id, ident;
    float det = 0;
    ASSERT_NE(D3DXMatrixInverse(&inv, &det, &m), nullptr);
    EXPECT_NEAR(det, 24.0f, 1e-3f);
    EXPECT_NEAR(D3DXMatrixDeterminant(&m), 24.0f, 1e-3f);
    id = m * inv;
    ExpectMatrixNear(id, *D3DXMatrixIdentity(&ident));
    D3DXMATRIX singular;
    D3DXMatrixScaling(&singular, 1, 0, 1);
    EXPECT_EQ(D3DXMatrixInverse(&inv, nullptr, &singular), nullptr);

    D3DXMATRIX tr;
    D3DXMatrixTranspose(&tr, &m);
    EXPECT_EQ(tr._12, m._21);
    EXPECT_EQ(tr._43, m._34);

    D3DXVECTOR3 scale, trans;
    D3DXQUATERNION rot;
    ASSERT_EQ(D3DXMatrixDecompose(&scale, &rot, &trans, &m), S_OK);
    EXPECT_NEAR(scale.x, 2, 1e-5f);
    EXPECT_NEAR(scale.y, 3, 1e-5f);
    EXPECT_NEAR(scale.z, 4, 1e-5f);
    EXPECT_EQ(trans, D3DXVECTOR3(5, -6, 7));
    D3DXMATRIX rq;
    D3DXMatrixRotationQuaternion(&rq, &rot);
    ExpectMatrixNear(rq, r);
    EXPECT_TRUE(FAILED(D3DXMatrixDecompose(&scale, &rot, &trans, &singular)));
}

TEST(D3DXMath, CameraMatrices)
{
    const D3DXVECTOR3 eye(1, 2, -5), at(1, 2, 0), up(0, 1, 0);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    // Looking down +z from z = -5: the target lands 5 units ahead, centred.
    const D3DXVECTOR3 p = Transform(at, view);
    EXPECT_NEAR(p.x, 0, 1e-6f);
    EXPECT_NEAR(p.y, 0, 1e-6f);
    EXPECT_NEAR(p.z, 5, 1e-6f);
    const D3DXVECTOR3 right = Transform(D3DXVECTOR3(2, 2, 0), view);
    EXPECT_NEAR(right.x, 1, 1e-6f); // +x stays to the right in a left-handed view

    D3DXMATRIX proj;
    const float fov = D3DX_PI / 4, aspect = 4.0f / 3, zn = 1, zf = 100;
    D3DXMatrixPerspectiveFovLH(&proj, fov, aspect, zn, zf);
    const float ys = 1.0f / tanf(fov / 2);
    EXPECT_FLOAT_EQ(proj._11, ys / aspect);
    EXPECT_FLOAT_EQ(proj._22, ys);
    EXPECT_FLOAT_EQ(proj._33, zf / (zf - zn));
    EXPECT_FLOAT_EQ(proj._34, 1);
    EXPECT_FLOAT_EQ(proj._43, -zn * zf / (zf - zn));
    EXPECT_FLOAT_EQ(proj._44, 0);
    EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, zn), proj).z, 0, 1e-6f);
    EXPECT_NEAR(Transform(D3DXVECTOR3(0, 0, zf), proj).z, 1, 1e-6f);

    D3DXMATRIX ortho;
    D3DXMatrixOrthoLH(&ortho, 800, 600, 0, 10);
    EXPECT_FLOAT_EQ(ortho._11, 2.0f / 800);
    EXPECT_FLOAT_EQ(ortho._33, 0.1f);
    EXPECT_NEAR(Transform(D3DXVECTOR3(400, -300, 10), ortho).x, 1, 1e-6f);
    EXPECT_NEAR(Transform(D3DXVECTOR3(400, -300, 10), ortho).y, -1, 1e-6f);
    EXPECT_NEAR(Transform(D3DXVECTOR3(400, -300, 10), ortho).z, 1, 1e-6f);
}

TEST(D3DXMath, VectorHelpers)
{
    D3DXVECTOR3 n;
    const D3DXVECTOR3 zero(0, 0, 0), v(3, 0, 4);
    D3DXVec3Normalize(&n, &zero);
    EXPECT_EQ(n, zero);
    D3DXVec3Normalize(&n, &v);
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(D3DXVec3Length(&v), 5);
    const D3DXVECTOR3 ax(1, 0, 0), ay(0, 1, 0);
    D3DXVECTOR3 c;
    D3DXVec3Cross(&c, &ax, &ay);
    EXPECT_EQ(c, D3DXVECTOR3(0, 0, 1));
    EXPECT_EQ(D3DXVec3Dot(&v, &v), 25);

    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, 1, 2, 3);
    m._14 = 1; // w picks up x, so TransformCoord divides
    D3DXVECTOR4 h;
    D3DXVec3Transform(&h, &ax, &m);
    EXPECT_EQ(h, D3DXVECTOR4(2, 2, 3, 2));
    D3DXVECTOR3 coord;
    D3DXVec3TransformCoord(&coord, &ax, &m);
    EXPECT_EQ(coord, D3DXVECTOR3(1, 1, 1.5f));
    D3DXVec3TransformNormal(&coord, &ax, &m);
    EXPECT_EQ(coord, ax); // no translation for directions
    const D3DXVECTOR4 v4(1, 2, 3, 0);
    D3DXVec4Transform(&h, &v4, &m);
    EXPECT_EQ(h, D3DXVECTOR4(1, 2, 3, 1));

    const D3DXCOLOR col(0xFF804020u);
    EXPECT_EQ((DWORD)col, 0xFF804020u);
}
