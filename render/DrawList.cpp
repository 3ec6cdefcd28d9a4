// A draw-list chain: loading through the configuration tokenizer and the path
// resolver, drawing through the executor, and the permanent target swaps.
#include "render/DrawList.h"

#include "core/ConfigTokenizer.h"
#include "core/ErrorReport.h"
#include "render/DrawListExecute.h"
#include "render/DrawListFrame.h"
#include "render/DrawListParser.h"

const char* const kBlurDrawListName = "Blur";

namespace {

// "..\Config\Blur.cfg" -> "Blur".
std::string FileStem(const std::string& path)
{
    const std::size_t slash = path.find_last_of("/\\");
    std::string stem = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos) stem.erase(dot);
    return stem;
}

} // namespace

DrawList::DrawList(const std::string& path)
{
    Load(path);
}

bool DrawList::Load(const std::string& path)
{
    *this = DrawList();
    bool ok = false;
    ConfigTokenizer input(path, &ok);
    if (!ok) {
        REPORT_ERROR("Could not open draw-list file: " + path);
        // The empty chain keeps its file's name, so a missing "Blur.cfg" still
        // stands in front as the menus' blur and their add and pop stay paired
        // with the stage chain behind it.
        name = FileStem(path);
        return false;
    }
    ParseDrawList(input, path, *this);
    return true;
}

void DrawList::Execute(DrawListFrame& frame)
{
    ExecuteDrawList(*this, frame);
}

void DrawList::SwapRenderTargets(const TargetSwap& swap, RenderTargetTable& targets)
{
    targets.Swap(swap.first, swap.second);
}
