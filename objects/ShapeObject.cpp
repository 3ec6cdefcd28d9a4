#include "objects/ShapeObject.h"

ShapeObject::ShapeObject() : collisionData(this) {}

ShapeObject::ShapeObject(int typeId_) : Object(typeId_), collisionData(this) {}

Bounds& ShapeObject::ResetBounds()
{
    collisionData.bounds.Reset();
    return collisionData.bounds;
}

Vector3 ShapeObject::ToWorld(const Vector3& bodyPoint) const
{
    Vector3 w;
    Vector3::TimesMatrix3(w, GetOrientation(), bodyPoint);
    return w + position;
}

Vector3 ShapeObject::ToBody(const Vector3& worldPoint) const
{
    Vector3 b;
    Vector3::TimesMatrix3(b, GetOrientationTranspose(), worldPoint - position);
    return b;
}

namespace {

Vector3 CornerToWorld(const Vector3& corner, const RigidBody& body)
{
    Vector3 w;
    Vector3::TimesMatrix3(w, body.GetOrientation(), corner);
    return w + body.position;
}

} // namespace

Vector3 TriangleWorldNormal(const SurfaceTriangle& t, const RigidBody& body)
{
    SurfaceTriangle w{CornerToWorld(t.a, body), CornerToWorld(t.b, body), CornerToWorld(t.c, body)};
    return TriangleNormal(w);
}

bool ClipSegmentByFaces(const TriangleList& triangles, int stride, const RigidBody& body, const Vector3& start,
                        const Vector3& end, float& tEnter, float& tExit, Vector3& point, int* enterFace)
{
    const Vector3 d = end - start;
    tEnter = 0.0f;
    tExit = 1.0f;
    int entering = -1;
    for (size_t i = 0; i < triangles.size(); i += static_cast<size_t>(stride)) {
        const Vector3 a = CornerToWorld(triangles[i].a, body);
        const Vector3 n = TriangleWorldNormal(triangles[i], body);
        const float den = Vector3::Dot(n, d);
        const float num = Vector3::Dot(n, a - start);
        if (den == 0.0f) {
            if (num < 0.0f) {
                return false;
            }
            continue;
        }
        const float t = num / den;
        if (den < 0.0f) {
            if (t > tEnter) {
                tEnter = t;
                entering = static_cast<int>(i);
            }
        } else if (t < tExit) {
            tExit = t;
        }
        if (tExit < tEnter) {
            return false;
        }
    }
    point = start + d * tEnter;
    if (enterFace) {
        *enterFace = entering;
    }
    return true;
}
