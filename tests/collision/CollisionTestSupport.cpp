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
