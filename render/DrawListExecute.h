// Drawing one frame of a draw-list chain through the renderer's frame context.
#pragma once

class DrawList;
class DrawListFrame;

// The chain's frame: the heightmaps and the steps into the render targets,
// then the closing pass onto the back buffer. The passes' filters and
// rectangles are rebuilt on redraw frames only, so `list` changes then.
void ExecuteDrawList(DrawList& list, DrawListFrame& frame);

// The scene in its usual order (heightmaps; lists 0, 2, 1 without depth
// writes, 3 added) straight into the device's current render target: a frame
// without a chain, or with an empty one.
void DrawSceneStraight(DrawListFrame& frame);
