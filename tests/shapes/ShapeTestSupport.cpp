#include "ShapeTestSupport.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "objects/ShapeSettings.h"
#include "physics/RigidBody.h"

Vector3 PointSource::Next(const Vector3& extent)
{
    return Vector3(Uniform(-extent.x, extent.x), Uniform(-extent.y, extent.y), Uniform(-extent.z, extent.z));
}

float PointSource::Uniform(float lo, float hi)
{
    std::uniform_real_distribution<float> d(lo, hi);
    return d(engine);
}

ScopedShapeConfig::ScopedShapeConfig(const std::map<std::string, std::string>& keys)
{
    char name[] = "/tmp/shapes_cfg_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) {
        close(fd);
    }
    path = name;
    std::ofstream out(path);
    out << "# scratch physics config\n";
    for (const auto& key : keys) {
        out << key.first << " " << key.second << "\n";
    }
    out.close();
    bool ok = false;
    config.reset(new ConfigFile(path, &ok));
    SetShapeConfig(config.get());
}

ScopedShapeConfig::~ScopedShapeConfig()
{
    SetShapeConfig(nullptr);
    config.reset();
    std::remove(path.c_str());
}

bool IsInsideConvexHull(const TriangleList& triangles, const Vector3& p, float tolerance)
{
    for (const SurfaceTriangle& t : triangles) {
        if (Vector3::Dot(TriangleNormal(t), p - t.a) > tolerance) {
            return false;
        }
    }
    return true;
}

float DistanceToHull(const TriangleList& triangles, const Vector3& p)
{
    int index = 0;
    Vector3 q;
    ClosestPointOnTriangles(p, triangles, index, q);
    // From the point itself: the squared distance returned carries rounding
    // that its square root magnifies near the surface.
    return (q - p).Length();
}

Vector3 BodyToWorld(const RigidBody& body, const Vector3& p)
{
    Vector3 w;
    Vector3::TimesMatrix3(w, body.GetOrientation(), p);
    return w + body.position;
}
