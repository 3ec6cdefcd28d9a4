// A small writer of text .x files for the tests and the benchmark: grids,
// boxes and a skinned figure with animation sets, kept as plain data so that
// a test can compare every value the loader returns with what was written.
#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

namespace xtest {

struct Face
{
    DWORD a, b, c;
};

struct Material
{
    float rgba[4];
    float power;
    float specular[3];
    float emissive[3];
    std::string texture; // empty: no TextureFilename
};

struct Bone
{
    std::string name;
    std::vector<DWORD> vertices;
    std::vector<float> weights;
    D3DXMATRIX offset;
};

struct Mesh
{
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals; // written when not empty, indexed like the faces
    std::vector<D3DXVECTOR2> uvs;     // written when not empty
    std::vector<Face> faces;
    std::vector<DWORD> faceMaterials; // written with the materials when materials is not empty
    std::vector<Material> materials;
    std::vector<Bone> bones;
};

struct Frame
{
    std::string name;
    D3DXMATRIX transform;
    std::vector<Mesh> meshes;
    std::vector<Frame> children;
};

struct QuatKey
{
    DWORD time;
    D3DXQUATERNION value; // written as w, x, y, z
};
struct Vec3Key
{
    DWORD time;
    D3DXVECTOR3 value;
};

struct Animation
{
    std::string frame;
    std::vector<QuatKey> rotations;
    std::vector<Vec3Key> scales;
    std::vector<Vec3Key> translations;
};

struct AnimationSet
{
    std::string name;
    std::vector<Animation> animations;
};

struct Scene
{
    std::vector<Mesh> topMeshes; // written before the frames
    std::vector<Frame> frames;
    std::vector<AnimationSet> sets;
    DWORD ticksPerSecond = 0; // 0: no AnimTicksPerSecond
};

std::string Write(const Scene& scene);
std::string WriteMesh(const Mesh& mesh);

// A rows x columns grid, vertex j*rows + i at (x0 + i, y0 + j, height), two
// triangles per cell wound upwards, normals and texture coordinates per vertex.
Mesh MakeGrid(DWORD rows, DWORD columns, float x0, float y0);
// A unit box with 24 vertices, two materials (sides and caps) and a texture.
Mesh MakeBox();
// A small skinned figure: a root, a pelvis, spine and head, two legs and a
// "Body" frame with a mesh skinned to every bone; numSets animation sets.
Scene MakeSkinnedFigure(DWORD numSets);

void WriteFile(const std::string& path, const std::string& text);

} // namespace xtest
