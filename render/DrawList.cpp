// A draw-list chain: loading through the configuration tokenizer and the path
// resolver, drawing through the executor, and the permanent target swaps.
#include "render/DrawList.h"

#include "core/ConfigTokenizer.h"
#include "core/ErrorReport.h"
#include "render/DrawListExecute.h"
#include "render/DrawListFrame.h"
#include "render/DrawListParser.h"

const char* const kBlurDrawListName = "Blur";

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
