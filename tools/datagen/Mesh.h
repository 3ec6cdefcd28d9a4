// Triangle meshes as the game loads them: position, normal and one texture
// coordinate per vertex, triangles wound so that (b - a) x (c - a) points out.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "Math.h"

namespace gen {

struct Vertex
{
    Vec3 p;
    Vec3 n;
    float u = 0, v = 0;
};

struct Mesh
{
    std::vector<Vertex> verts;
    std::vector<std::array<uint32_t, 3>> tris;

    uint32_t AddVertex(const Vec3& p, const Vec3& n, float u, float v);
    void AddTri(uint32_t a, uint32_t b, uint32_t c) { tris.push_back({a, b, c}); }
    void Append(const Mesh& other);
    void Transform(const Mat4& m); // positions and normals (normals renormalised)
    void FlipWinding();            // also flips the normals
    // Drops vertices no triangle uses (the loader assigns normals through the faces, so an
    // unused vertex would read back differently) and renumbers the rest in order.
    void RemoveUnused();
};

// One point of a lathe profile: distance from the axis and height along it.
struct ProfilePoint
{
    float r;
    float h;
};

// Solids and surfaces. Axis-aligned, centred at the origin unless noted.
Mesh MakeBox(const Vec3& half, float uvScale = 1.0f);
// The same box with every face split into cells x cells quads (big inward sky boxes
// need the finer triangles for per-vertex lighting).
Mesh MakeBoxGrid(const Vec3& half, int cells, float uvScale);
// Revolves a profile about +z. The profile runs from bottom to top; when it starts
// and ends on the axis the result is closed. smooth = normals averaged along the
// profile; otherwise every profile segment is a band with its own normals.
Mesh MakeLathe(const std::vector<ProfilePoint>& profile, int segments, bool smooth, float uRepeat = 1.0f);
// A closed loop profile revolved about +z (tires, rings): first point repeated at the end.
Mesh MakeLatheLoop(const std::vector<ProfilePoint>& loop, int segments, float uRepeat = 1.0f);
Mesh MakeSphere(float radius, int segments, int rings);
Mesh MakeCapsule(float radius, float cylinderLength, int segments, int capRings);
Mesh MakeCylinder(float radius, float length, int segments); // along z, flat caps
// Flat-shaded closed polyhedron from corners and outward-wound triangles.
Mesh MakePolyhedron(const std::vector<Vec3>& corners, const std::vector<std::array<int, 3>>& tris);
// A regular grid in x-y at z = 0 facing +z, corners (-0.5,-0.5)..(0.5,0.5).
Mesh MakeQuad(int cells);

// Displaces every vertex along its normal by f(position), then recomputes smooth
// normals over welded positions.
void Displace(Mesh& mesh, const std::function<float(const Vec3&)>& f);
void RecomputeSmoothNormals(Mesh& mesh);

Mat4 RotationAxis(const Vec3& axis, float radians);
Mat4 Scaling(const Vec3& s);

} // namespace gen
