// bench_editor [--quick]: what the level editor's file work costs.
//
// In a scratch copy of the run tree (the shipped levels are never written):
// - the save of each stage as the editor's "Save current level" runs it
//   (every line printed to standard output as the game does, here sent to
//   /dev/null, and the file written through its temporary), median and worst
//   of 20 saves;
// - the import of a 1024 x 1024 bitmap: reading it and writing its heightmap
//   file (too large for a terrain, so no grid mesh), median of 5;
// - the drop of a 255 x 255 bitmap, the largest square a terrain holds: the import
//   with its grid mesh, the terrain built from the pair and put in place of
//   the stage's, median of 5.
// Target: a save within 50 ms, so the editor never seems to stall.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "ScratchRunTree.h"
#include "StageRig.h"
#include "core/Messages.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "tests/game/BitmapWriter.h"

namespace {

typedef std::chrono::steady_clock Clock;

const double kSaveTargetMs = 50.0;

// Standard output and the error stream go to /dev/null while it lives: the
// save prints the whole file, and the import reports why a bitmap that large
// is no terrain.
class Quiet
{
public:
    Quiet()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        savedOut = dup(1);
        savedErr = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(null);
    }
    ~Quiet()
    {
        std::fflush(stdout);
        std::fflush(stderr);
        dup2(savedOut, 1);
        dup2(savedErr, 2);
        close(savedOut);
        close(savedErr);
    }

private:
    int savedOut;
    int savedErr;
};

struct Timing
{
    double median;
    double worst;
};

Timing Measure(int runs, const std::function<void()>& run)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const Clock::time_point start = Clock::now();
        run();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// A picture with some relief: a slope and ripples, every byte used.
std::vector<std::vector<uint8_t>> Relief(int side)
{
    std::vector<std::vector<uint8_t>> rows(side);
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            const uint8_t v = static_cast<uint8_t>((r + c + (r * c) % 17) & 0xFF);
            rows[r].insert(rows[r].end(), {v, static_cast<uint8_t>(v ^ 0x55), static_cast<uint8_t>(255 - v)});
        }
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int saves = quick ? 3 : 20;
    const int imports = quick ? 1 : 5;

    ScratchRunTree tree;
    StageRig rig;
    gInGameLevelEditor = new InGameLevelEditor();
    gInGameLevelEditor->Toggle(); // saving works only while the editor is on

    std::printf("Level editor file work, in a scratch run tree\n");
    std::printf("  %-34s %10s %10s %8s\n", "save", "median ms", "worst ms", "bytes");
    bool withinTarget = true;
    for (int stage = 1; stage <= 4; ++stage) {
        const std::string name = "stage" + std::to_string(stage) + ".qvl";
        Timing t;
        {
            Quiet quiet;
            gLevelLoader->LoadLevel(name);
            t = Measure(saves, [] { OnEditorGUIEvent(kMsgEditorSaveLevel); });
        }
        withinTarget = withinTarget && t.median <= kSaveTargetMs;
        std::printf("  %-34s %10.3f %10.3f %8zu\n", name.c_str(), t.median, t.worst,
                    tree.Read("Levels/" + name).size());
    }

    const std::string big = tree.Root() + "/relief1024.bmp";
    const std::string fits = tree.Root() + "/relief255.bmp";
    WriteBitmap(big, 1024, Relief(1024));
    WriteBitmap(fits, 255, Relief(255));
    Timing importBig;
    Timing dropFits;
    bool dropped = true;
    {
        Quiet quiet;
        importBig = Measure(imports, [&] { gWorld->ConvertBitmapToHeightmap(big); });
        dropFits = Measure(imports, [&] {
            std::string mesh;
            const std::string hmp = gWorld->ConvertBitmapToHeightmap(fits, &mesh);
            dropped = dropped && !mesh.empty() && gWorld->ReplaceHeightmaps(mesh, hmp);
        });
    }
    std::printf("  %-34s %10.3f %10.3f %8zu\n", "import 1024 x 1024 (heightmap only)", importBig.median,
                importBig.worst, tree.Read("relief1024.hmp").size());
    std::printf("  %-34s %10.3f %10.3f %8zu\n", "drop 255 x 255 (file, mesh, terrain)", dropFits.median, dropFits.worst,
                tree.Read("relief255.x").size());
    std::printf("  saves within %.0f ms: %s; the drop became the terrain: %s\n", kSaveTargetMs,
                withinTarget ? "yes" : "NO", dropped ? "yes" : "NO");

    delete gInGameLevelEditor;
    gInGameLevelEditor = nullptr;
    return dropped ? 0 : 1;
}
