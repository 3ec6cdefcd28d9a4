// One post-processing chain, loaded from a draw-list file: the render target
// the scene goes into, the steps in file order, and the closing full-screen
// pass onto the back buffer. The renderer keeps a stack of them (DrawListStack)
// and draws only the first each frame.
#pragma once

#include <string>
#include <vector>

#include "render/DrawListRecords.h"

class DrawListFrame;
class RenderTargetTable;

// A chain by this name is the menus' blur; stage selection keeps it in front.
extern const char* const kBlurDrawListName;

class DrawList
{
public:
    DrawList() = default;
    // Loads `path` (see Load).
    explicit DrawList(const std::string& path);

    // Reads a draw-list file (a Windows-style name) into this empty chain.
    // Every problem is reported and the chain keeps what could be read; a
    // missing file leaves it empty. False when the file could not be opened.
    bool Load(const std::string& path);

    // Draws the frame's scene and its post-processing onto the back buffer.
    // A chain with neither steps nor a closing technique draws the scene
    // straight onto the back buffer.
    void Execute(DrawListFrame& frame);

    // Exchanges the slots the swap's two indices name, for this and every later frame.
    static void SwapRenderTargets(const TargetSwap& swap, RenderTargetTable& targets);

    bool IsEmpty() const { return steps.empty() && closingTechnique.empty(); }

    std::string name;
    std::string closingTechnique;
    int sceneTarget = 0;
    std::vector<DrawListGroup> steps;
    std::vector<SamplerStateRecord> samplerStates; // the closing pass's samplers
    std::vector<TextureBinding> textureBindings;   // the closing pass's render targets
};
