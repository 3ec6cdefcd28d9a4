// Adding, removing and choosing the draw-list chains.
#include "render/DrawListStack.h"

#include "core/ErrorReport.h"
#include "core/Resources.h"
#include "core/Stage.h"

int PostProcessColumn(DWORD pixelShaderVersion)
{
    const DWORD major = (pixelShaderVersion >> 8) & 0xFF;
    if (major >= 3) return 0;
    if (major >= 2) return 1;
    return 2;
}

void DrawListStack::Add(const std::string& path)
{
    chains.emplace_back(path);
    redraw = true;
}

void DrawListStack::Pop()
{
    if (!chains.empty()) chains.pop_front();
    redraw = true;
}

void DrawListStack::Clear()
{
    if (!chains.empty()) redraw = true;
    chains.clear();
}

void DrawListStack::SelectLevel(int stage, DWORD pixelShaderVersion)
{
    const char* file = GetPostProcessConfigFile(stage - kFirstStage, PostProcessColumn(pixelShaderVersion));
    if (!file) {
        REPORT_ERROR("No draw list for stage " + std::to_string(stage) + "; the chain stays as it was");
        return;
    }
    if (!chains.empty()) {
        if (chains.front().name == kBlurDrawListName) {
            chains.erase(std::next(chains.begin()), chains.end());
        } else {
            chains.pop_front();
        }
    }
    chains.emplace_back(ConfigDirectory + file);
    redraw = true;
}
