// The editor's dialog drawn into 640 x 480 frames on a windowless llvmpipe
// context: a frame that only clears and presents, then the same frame with the
// dialog closed, with its list open and the button hovered, and the same
// without a skin. Each frame ends with glFinish so the rasteriser's work is
// counted, not just its submission. Prints the median milliseconds per frame
// and what the dialog adds to the bare frame.
#include "BenchTiming.h"
#include "DialogUnderTest.h"

#include "Image.h"
#include "Textures.h"

#include "d3d9_egl.h"
#include "d3d9_host.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

constexpr UINT kWidth = 640;
constexpr UINT kHeight = 480;
constexpr int kWarmUpFrames = 20;
constexpr int kFrames = 100;
constexpr int kRounds = 5;

// The editor's dialog, made on the device; open: the list open and the mouse on the button.
struct EditorDialog : DialogUnderTest
{
    EditorDialog(IDirect3DDevice9* device, const std::wstring& skin, bool open) : DialogUnderTest(skin.c_str())
    {
        manager.OnD3D9CreateDevice(device);
        manager.OnD3D9ResetDevice();
        if (!open) return;
        Down(100, 12);
        Up(100, 12);
        Move(280, 17);
    }
};

// Median milliseconds of one frame: clear, the dialog when given, present, finish.
double MedianFrame(IDirect3DDevice9* device, CDXUTDialog* dialog)
{
    return bench::MedianMs(kWarmUpFrames, kFrames, [device, dialog] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(70, 110, 150), 1.f, 0);
        device->BeginScene();
        if (dialog) dialog->OnRender(1.f / 60.f);
        device->EndScene();
        device->Present(nullptr, nullptr, nullptr, nullptr);
        glFinish();
    });
}

} // namespace

int main()
{
    LvEglContext* context = LvEgl_Create(true);
    if (!context) {
        std::fprintf(stderr, "no OpenGL 3.3 context: nothing measured\n");
        return 1;
    }
    IDirect3DDevice9* device = LvD3D9_CreateDevice(kWidth, kHeight);
    if (!device) {
        std::fprintf(stderr, "no device: nothing measured\n");
        return 1;
    }
    const std::string skinFile = "/tmp/lv_bench_dialog_skin_" + std::to_string(getpid()) + ".dds";
    if (!gen::WriteDds(skinFile, {gen::DialogSkin()})) {
        std::fprintf(stderr, "could not write the skin %s\n", skinFile.c_str());
        return 1;
    }
    const std::wstring skin(skinFile.begin(), skinFile.end());

    std::printf("Editor dialog at %u x %u on llvmpipe, best median of %d rounds of %d frames (each ends in glFinish)\n",
                kWidth, kHeight, kRounds, kFrames);
    std::fflush(stdout);
    {
        EditorDialog closed(device, skin, false), open(device, skin, true),
            flat(device, L"/nonexistent/skin.dds", true);
        struct Case
        {
            const char* name;
            CDXUTDialog* dialog;
            double best;
        } cases[] = {{"clear + present", nullptr, 1e9},
                     {"+ dialog, list closed", &closed.dialog, 1e9},
                     {"+ dialog, list open, button hovered", &open.dialog, 1e9},
                     {"+ dialog without skin, list open", &flat.dialog, 1e9}};
        // Rounds taken in turn, keeping each case's best median: other work on
        // the machine then weighs on every case alike.
        for (int round = 0; round < kRounds; ++round) {
            for (Case& c : cases) c.best = std::min(c.best, MedianFrame(device, c.dialog));
        }
        const double bare = cases[0].best;
        std::printf("  %-40s %8.3f ms\n", cases[0].name, bare);
        for (const Case& c : cases) {
            if (!c.dialog) continue;
            std::printf("  %-40s %8.3f ms   dialog %6.3f ms = %5.2f x the bare frame\n", c.name, c.best, c.best - bare,
                        (c.best - bare) / bare);
        }
    }
    std::remove(skinFile.c_str());
    device->Release();
    LvEgl_Destroy(context);
    return 0;
}
