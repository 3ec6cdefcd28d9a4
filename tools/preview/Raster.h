// A small software rasteriser for looking at the generated meshes: perspective,
// depth buffer, back faces culled by winding (so a wrongly wound face shows as a
// hole), Lambert light and nearest texture sampling with alpha test.
#pragma once

#include <vector>

#include "Image.h"
#include "Mesh.h"

namespace gen {

struct Viewport
{
    Image* target;
    int x0, y0, w, h;         // tile inside the target
    std::vector<float> depth; // w * h
    Vec3 eye, right, up, forward;
    float focal; // pixels per unit at distance 1

    Viewport(Image* img, int x, int y, int width, int height);
    void LookAt(const Vec3& eye, const Vec3& target, const Vec3& upHint, float fovDegrees);
    void Clear(const Color& c);
};

// positions override the mesh's own when not empty (skinned poses).
void DrawMesh(Viewport& vp, const Mesh& mesh, const Image* texture, const std::vector<Vec3>& positions = {});
void DrawLine3(Viewport& vp, const Vec3& a, const Vec3& b, const Color& c);

} // namespace gen
