// Prints ms per file and MB/s of text for the two kinds of .x file the game
// loads on the stage-load path, and the ratio against a baseline that only
// converts every number of the file with strtod (no structure at all).
#include <d3dx9anim.h>

#include "TestHierarchyAllocator.h"
#include "XTestWriter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

// Best of several rounds, in seconds per call.
double Time(const std::function<void()>& f)
{
    double best = 1e30;
    for (int round = 0; round < 5; ++round) {
        const int reps = 10;
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < reps; ++i) f();
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / reps;
        if (s < best) best = s;
    }
    return best;
}

volatile double gSink;

void StrtodBaseline(const std::string& text)
{
    double sum = 0;
    const char* p = text.c_str();
    while (*p) {
        if ((*p >= '0' && *p <= '9') || *p == '-' || *p == '.') {
            char* end = nullptr;
            sum += std::strtod(p, &end);
            p = end > p ? end : p + 1;
        } else {
            ++p;
        }
    }
    gSink = sum;
}

void Report(const char* name, const std::string& text, double seconds, double baseline)
{
    const double mb = text.size() / 1e6;
    std::printf("%-34s %8.2f KB  %8.3f ms/file  %7.1f MB/s  (strtod-only scan %7.1f MB/s, ratio %.2f)\n", name,
                text.size() / 1e3, seconds * 1e3, mb / seconds, mb / baseline, baseline / seconds);
}

} // namespace

int main()
{
    const std::string dir = "/tmp/lv_bench_xfile_" + std::to_string(std::rand() % 100000);
    if (std::system(("mkdir -p " + dir).c_str()) != 0) return 1;
    const std::string gridText = xtest::WriteMesh(xtest::MakeGrid(129, 129, -64, -64));
    const std::string figureText = xtest::Write(xtest::MakeSkinnedFigure(12));
    const std::string gridPath = dir + "/stage.x", figurePath = dir + "/male.x";
    xtest::WriteFile(gridPath, gridText);
    xtest::WriteFile(figurePath, figureText);

    const double gridTime = Time([&] {
        ID3DXMesh* mesh = nullptr;
        if (FAILED(D3DXLoadMeshFromXA(gridPath.c_str(), D3DXMESH_MANAGED, nullptr, nullptr, nullptr, nullptr, nullptr,
                                      &mesh)))
            std::abort();
        mesh->Release();
    });
    const double figureTime = Time([&] {
        TestHierarchyAllocator alloc;
        D3DXFRAME* root = nullptr;
        ID3DXAnimationController* ac = nullptr;
        if (FAILED(D3DXLoadMeshHierarchyFromXA(figurePath.c_str(), 0, nullptr, &alloc, nullptr, &root, &ac)))
            std::abort();
        ac->Release();
        D3DXFrameDestroy(root, &alloc);
    });
    Report("129x129 grid (D3DXLoadMeshFromX)", gridText, gridTime, Time([&] { StrtodBaseline(gridText); }));
    Report("figure, 12 sets (hierarchy)", figureText, figureTime, Time([&] { StrtodBaseline(figureText); }));
    std::remove(gridPath.c_str());
    std::remove(figurePath.c_str());
    std::system(("rmdir " + dir).c_str());
    return 0;
}
