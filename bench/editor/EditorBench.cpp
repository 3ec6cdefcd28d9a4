// bench_editor [--quick]: what the level editor costs.
//
// The frame: the whole game under the headless framework host, drawing on a
// windowless llvmpipe context at 640 x 480 (-windowed -width:640
// -height:480), stage 1 loaded by its developer key and left to settle; then
// its frame is drawn again and again from the framework's frame hook, the
// world standing still, each frame to glFinish: with the editor off, and on
// with its dialog drawn, the list open and "Go (X)" hovered. Rounds taken in
// turn, each case keeping its best median. The dialog's share of the frame
// is the difference over the frame with it; target: at most 5 %.
//
// The file work, in a scratch copy of the run tree (the shipped levels are
// never written):
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

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include "DXUTHeadless.h"
#include "DXUTgui.h"
#include "ScratchRunTree.h"
#include "Win32Host.h"
#include "game/Lumveran.h"
#include "render/Renderer.h"
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
const double kDialogShareTarget = 0.05;
const int kSettleFrames = 120;
const int kWarmUpFrames = 10;

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

struct FrameFigures
{
    double off = 1e9; // ms, best median
    double on = 1e9;
    bool measured = false;
};

FrameFigures gFrame;
int gTimedFrames = 120;
int gRounds = 5;

double MedianFrameMs()
{
    for (int i = 0; i < kWarmUpFrames; ++i) gRenderer->RenderFrame();
    glFinish();
    std::vector<double> ms;
    for (int i = 0; i < gTimedFrames; ++i) {
        const Clock::time_point start = Clock::now();
        gRenderer->RenderFrame();
        glFinish();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void SendToDialog(UINT message, WPARAM wParam, int x, int y)
{
    gEditorDialog->MsgProc(nullptr, message, wParam, MAKELPARAM(x, y));
}

// Once stage 1 has settled: the frame with the editor off and on, in turn.
void OnFrame(int frame)
{
    if (frame != kSettleFrames) return;
    if (gRenderer != nullptr && gInGameLevelEditor != nullptr && gEditorDialog != nullptr) {
        gInGameLevelEditor->Toggle();
        SendToDialog(WM_LBUTTONDOWN, MK_LBUTTON, 100, 12);
        SendToDialog(WM_LBUTTONUP, 0, 100, 12);
        SendToDialog(WM_MOUSEMOVE, 0, 280, 17);
        gInGameLevelEditor->Toggle();
        for (int round = 0; round < gRounds; ++round) {
            gFrame.off = std::min(gFrame.off, MedianFrameMs());
            gInGameLevelEditor->Toggle();
            gFrame.on = std::min(gFrame.on, MedianFrameMs());
            gInGameLevelEditor->Toggle();
        }
        gFrame.measured = gEditorDialog->GetComboBox(9)->IsOpened();
    }
    PostQuitMessage(0);
}

// The whole game in a scratch run tree of its own (it writes its error log).
void MeasureFrames()
{
    ScratchRunTree tree(true);
    const char* argv[] = {"Lumveran", "-windowed", "-width:640", "-height:480"};
    Win32SetCommandLine(4, const_cast<char**>(argv));
    DXUTHeadlessEnable(1.0 / 60.0, 0);
    DXUTHeadlessEnableDevice();
    DXUTHeadlessScheduleKey(0, '1', true);
    DXUTHeadlessScheduleKey(1, '1', false);
    DXUTHeadlessSetFrameHook(OnFrame);
    Quiet quiet; // the game's console lines
    WinMain(nullptr, nullptr, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    const int saves = quick ? 3 : 20;
    const int imports = quick ? 1 : 5;
    if (quick) {
        gTimedFrames = 20;
        gRounds = 1;
    }

    bool dropped = true;
    {
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
        std::printf("  %-34s %10.3f %10.3f %8zu\n", "drop 255 x 255 (file, mesh, terrain)", dropFits.median,
                    dropFits.worst, tree.Read("relief255.x").size());
        std::printf("  saves within %.0f ms: %s; the drop became the terrain: %s\n", kSaveTargetMs,
                    withinTarget ? "yes" : "NO", dropped ? "yes" : "NO");

        delete gInGameLevelEditor;
        gInGameLevelEditor = nullptr;
    }

    MeasureFrames();
    if (!gFrame.measured) {
        std::printf("Stage 1 frame: no device or no dialog, nothing measured\n");
        return dropped ? 0 : 1;
    }
    const double share = (gFrame.on - gFrame.off) / gFrame.on;
    std::printf("Stage 1 frame at 640 x 480 on llvmpipe, best median of %d rounds of %d frames (each to glFinish)\n",
                gRounds, gTimedFrames);
    std::printf("  editor off %8.3f ms\n  editor on  %8.3f ms (dialog drawn, list open, \"Go (X)\" hovered)\n",
                gFrame.off, gFrame.on);
    std::printf("  the dialog: %.3f ms, %.1f %% of the frame (target at most %.0f %%): %s\n", gFrame.on - gFrame.off,
                100.0 * share, 100.0 * kDialogShareTarget, share <= kDialogShareTarget ? "yes" : "NO");
    return dropped ? 0 : 1;
}
