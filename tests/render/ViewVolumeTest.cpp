// Culling a mesh by its bounding sphere: never a mesh any part of which is in
// view, whatever its world matrix (moved, scaled unevenly, sheared); always
// one wholly behind, beside or beyond the view; unknown or broken bounds drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "render/ViewVolume.h"
#include "TerrainCamera.h"

namespace {

// Whether some point of the ball (sampled on shells) lands inside the clip volume.
bool SomePointInView(const float centre[3], float radius, const D3DXMATRIX& world, const D3DXMATRIX& m)
{
    const int steps = 24;
    for (float shell : {0.0f, 0.5f, 1.0f}) {
        for (int i = 0; i <= steps; ++i) {
            for (int j = 0; j < 2 * steps; ++j) {
                const float a = float(M_PI) * float(i) / steps, b = float(M_PI) * float(j) / steps;
                const D3DXVECTOR3 p(centre[0] + shell * radius * std::sin(a) * std::cos(b),
                                    centre[1] + shell * radius * std::sin(a) * std::sin(b),
                                    centre[2] + shell * radius * std::cos(a));
                D3DXVECTOR4 placed;
                D3DXVec3Transform(&placed, &p, &world);
                if (PointInView(m, &placed.x)) return true;
            }
        }
    }
    return false;
}

TEST(ViewVolume, ASphereIsCulledOnlyWhenNoPartOfItCanShow)
{
    const D3DXMATRIX viewProjection = Camera({0.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 0.0f});
    const ViewVolume view(viewProjection);
    D3DXMATRIX sheared;
    D3DXMatrixIdentity(&sheared);
    sheared._21 = 3.0f; // y leans along x
    D3DXMATRIX stretched;
    D3DXMatrixScaling(&stretched, 1.0f, 40.0f, 1.0f);
    const struct
    {
        const char* what;
        float x, y, z; // the world's translation
        const D3DXMATRIX* shape;
        bool culled;
    } cases[] = {
        {"ahead", 50.0f, 0.0f, 0.0f, nullptr, false},
        {"behind the eye", -50.0f, 0.0f, 0.0f, nullptr, true},
        {"straddling the eye", 0.0f, 0.0f, 0.0f, nullptr, false},
        {"far to the side", 50.0f, 200.0f, 0.0f, nullptr, true},
        {"just past the side, reaching in", 10.0f, 5.7f, 0.0f, nullptr, false},
        {"beyond the far plane", 1020.0f, 0.0f, 0.0f, nullptr, true},
        {"stretched into view from the side", 50.0f, 60.0f, 0.0f, &stretched, false},
        {"sheared into view from the side", 50.0f, -25.0f, 0.0f, &sheared, false},
        {"sheared, still far to the side", 50.0f, 300.0f, 0.0f, &sheared, true},
    };
    const float centre[3] = {0.0f, 0.0f, 0.0f};
    for (const auto& c : cases) {
        D3DXMATRIX world;
        D3DXMatrixTranslation(&world, c.x, c.y, c.z);
        if (c.shape) D3DXMatrixMultiply(&world, c.shape, &world);
        const bool shows = MeshMayShow(centre, 1.0f, world, view);
        EXPECT_EQ(!shows, c.culled) << c.what;
        // The table agrees with the points themselves.
        EXPECT_EQ(SomePointInView(centre, 1.0f, world, viewProjection), !c.culled) << c.what;
    }

    // Unknown bounds, and a world or bounds that are not numbers, are drawn.
    D3DXMATRIX behind;
    D3DXMatrixTranslation(&behind, -50.0f, 0.0f, 0.0f);
    EXPECT_TRUE(MeshMayShow(centre, -1.0f, behind, view));
    const float broken[3] = {std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f};
    EXPECT_TRUE(MeshMayShow(broken, 1.0f, behind, view));
    behind._11 = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(MeshMayShow(centre, 1.0f, behind, view));
}

} // namespace
