// Writers for the text .x files the game loads: static meshes, terrain grids and
// the skinned, animated character hierarchy.
#pragma once

#include <string>
#include <vector>

#include "Mesh.h"

namespace gen {

// A whole static mesh file: header and one top-level Mesh.
std::string StaticMeshText(const Mesh& mesh, const std::string& name);

struct SkinBone
{
    std::string name;               // frame name
    std::vector<uint32_t> vertices; // influenced vertices
    std::vector<float> weights;
    Mat4 offset; // inverse of the bone's bind-pose combined matrix
};

struct FrameNode
{
    std::string name;
    Mat4 local;                // bind-pose local matrix
    std::vector<int> children; // indices into the frame list, first child first
    bool holdsMesh = false;
};

struct PosKey
{
    int time;
    Quat rotation; // the local rotation the frame should get (the file stores its inverse)
    Vec3 translation;
    Vec3 scale;
};

struct AnimTrack
{
    std::string frame;
    std::vector<PosKey> keys;
};

struct AnimSet
{
    std::string name;
    std::vector<AnimTrack> tracks;
};

struct SkinnedModel
{
    std::vector<FrameNode> frames; // frame 0 is the root
    Mesh mesh;
    std::vector<SkinBone> bones;
    int maxWeightsPerVertex = 0;
    int maxWeightsPerFace = 0;
    std::vector<AnimSet> sets; // controller index = file order
    int ticksPerSecond = 5000;
};

std::string SkinnedModelText(const SkinnedModel& model);

} // namespace gen
