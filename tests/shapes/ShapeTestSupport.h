// Helpers of the shape tests: deterministic random points, a scratch
// "Physics.cfg" handed to the shapes, and reference geometry.
#pragma once

#include <map>
#include <memory>
#include <random>
#include <string>

#include "core/ConfigFile.h"
#include "core/Vector3.h"
#include "physics/shapes/SurfaceTriangle.h"

class RigidBody;

// Uniform points in the box [-extent, extent].
class PointSource
{
public:
    explicit PointSource(unsigned int seed = 12345u) : engine(seed) {}
    Vector3 Next(const Vector3& extent);
    float Uniform(float lo, float hi);

private:
    std::mt19937 engine;
};

// Writes the keys to a scratch file and makes it the shapes' config for the
// object's lifetime.
class ScopedShapeConfig
{
public:
    typedef std::map<std::string, std::string> Keys;
    explicit ScopedShapeConfig(const std::map<std::string, std::string>& keys);
    ScopedShapeConfig(const char* key, const char* value) : ScopedShapeConfig(Keys{{key, value}}) {}
    ScopedShapeConfig(const ScopedShapeConfig&) = delete;
    ScopedShapeConfig& operator=(const ScopedShapeConfig&) = delete;
    ~ScopedShapeConfig();

private:
    std::string path;
    std::unique_ptr<ConfigFile> config;
};

// Inside the convex hull (every face plane, with a tolerance outward).
bool IsInsideConvexHull(const TriangleList& triangles, const Vector3& p, float tolerance = 0.0f);
// Exact distance to the hull surface (closest point over all triangles).
float DistanceToHull(const TriangleList& triangles, const Vector3& p);

Vector3 BodyToWorld(const RigidBody& body, const Vector3& p);
