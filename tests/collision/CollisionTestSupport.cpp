#include "CollisionTestSupport.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "physics/collision/CollisionDetection.h"

std::unique_ptr<Heightmap> MakeTerrain(int rows, int columns, float diff, float x0, float y0,
                                       const MeshHeightFunction& height)
{
    auto terrain = std::make_unique<Heightmap>();
    terrain->ROWS = rows;
    terrain->COLUMNS = columns;
    terrain->DIFF = diff;
    std::vector<float> heights;
    for (int j = 0; j < columns; ++j) {
        for (int i = 0; i < rows; ++i) {
            heights.push_back(height(i, j));
        }
    }
    terrain->BuildFromHeights(heights, x0, y0);
    return terrain;
}

std::unique_ptr<Heightmap> MakeFlatTerrain(float z, float extent)
{
    const float diff = 4.0f;
    const int n = static_cast<int>(2.0f * extent / diff) + 1;
    return MakeTerrain(n, n, diff, -extent / diff, -extent / diff, [z, diff](int, int) { return z / diff; });
}

std::string GridMeshText(int rows, int columns, float x0, float y0, const MeshHeightFunction& height)
{
    std::ostringstream out;
    out << "xof 0303txt 0032\nMesh Terrain {\n " << rows * columns << ";\n";
    const int count = rows * columns;
    for (int v = 0; v < count; ++v) {
        const int i = v % rows;
        const int j = v / rows;
        out << " " << x0 + i << ";" << y0 + j << ";" << height(i, j) << ";" << (v + 1 < count ? "," : ";") << "\n";
    }
    const int faces = 2 * (rows - 1) * (columns - 1);
    std::ostringstream faceList;
    faceList << " " << faces << ";\n";
    int written = 0;
    for (int j = 0; j + 1 < columns; ++j) {
        for (int i = 0; i + 1 < rows; ++i) {
            const int v00 = j * rows + i;
            const int v10 = v00 + 1;
            const int v11 = v00 + rows + 1;
            const int v01 = v00 + rows;
            written += 2;
            faceList << " 3;" << v00 << "," << v10 << "," << v11 << ";,\n";
            faceList << " 3;" << v00 << "," << v11 << "," << v01 << ";" << (written == faces ? ";" : ",") << "\n";
        }
    }
    out << faceList.str();
    out << " MeshNormals {\n " << count << ";\n";
    for (int v = 0; v < count; ++v) {
        out << " 0.0;0.0;1.0;" << (v + 1 < count ? "," : ";") << "\n";
    }
    out << faceList.str() << " }\n";
    out << " MeshTextureCoords {\n " << count << ";\n";
    for (int v = 0; v < count; ++v) {
        out << " " << 0.25f * static_cast<float>(v % rows) << ";" << 0.25f * static_cast<float>(v / rows) << ";"
            << (v + 1 < count ? "," : ";") << "\n";
    }
    out << " }\n}\n";
    return out.str();
}

std::string HmpText(int rows, int columns, float diff)
{
    std::ostringstream out;
    out << "# test terrain\nTECHNIQUE Phong1Opaque\nMATERIAL 2\nTEXTURE 2\nELASTIC 1.0\nSTATIC_FRIC 0.5\n"
        << "DYNAMIC_FRIC 0.5\nROWS " << rows << "\nCOLUMNS " << columns << "\nDIFF " << diff << "\n";
    return out.str();
}

std::string WriteScratchFile(const std::string& name, const std::string& text)
{
    const std::string dir = "/tmp/lv_collision_tests_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0755);
    const std::string path = dir + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

CollisionTestWorld::CollisionTestWorld()
{
    InstallCollisionDetection(world);
}

void CollisionTestWorld::Run(int steps, float h)
{
    for (int i = 0; i < steps; ++i) {
        world.Step(h);
    }
}

struct ErrorCapture::Impl
{
    std::ostringstream text;
    std::streambuf* previous = nullptr;
};

ErrorCapture::ErrorCapture() : impl(std::make_unique<Impl>())
{
    impl->previous = std::cerr.rdbuf(impl->text.rdbuf());
}

ErrorCapture::~ErrorCapture()
{
    std::cerr.rdbuf(impl->previous);
}

std::string ErrorCapture::Text() const
{
    return impl->text.str();
}
