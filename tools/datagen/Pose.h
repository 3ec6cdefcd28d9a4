// Plays the character's animation the way the game's keyframe sampler does (keys read
// back as stored, slerp, inverse, S x R x T, combined down the frame tree), for the
// preview renders and the tests.
#pragma once

#include <vector>

#include "XFile.h"

namespace gen {

// Local matrices of every frame of the model at 'ticks' into animation set 'set'.
std::vector<Mat4> SampleLocals(const SkinnedModel& model, int set, float ticks);
// World (model-space) matrices: local x parent, from the root down.
std::vector<Mat4> Combine(const SkinnedModel& model, const std::vector<Mat4>& locals);
// Skinned positions of the mesh's vertices for the given combined matrices.
std::vector<Vec3> SkinPositions(const SkinnedModel& model, const std::vector<Mat4>& combined);
int FrameIndex(const SkinnedModel& model, const std::string& name);

} // namespace gen
