// The content of a text .x file as plain data, after the standard templates
// have been interpreted: frames with their meshes, skin weights and animation
// keys, all in file order. The D3DX objects are built from this.
#pragma once

#include <d3dx9math.h>

#include <string>
#include <vector>

class XDocument;

struct XLoadError
{
    std::string message;
    int line = 0;
};

struct XMaterialData
{
    D3DMATERIAL9 material{};
    std::string textureFile; // empty when the material names none
};

struct XBoneData
{
    std::string name;
    std::vector<DWORD> vertices; // output vertex indices
    std::vector<float> weights;
    D3DXMATRIX offset;
};

// One mesh with one normal and one texture coordinate per vertex. Vertices are
// those of the file in file order; a vertex that the file gives several normals
// is repeated after them, once per extra normal.
struct XMeshData
{
    std::string name;
    int line = 0;
    std::vector<D3DXVECTOR3> positions;
    std::vector<D3DXVECTOR3> normals; // (0, 0, 1) when the file has none
    std::vector<D3DXVECTOR2> uvs;     // (0, 0) when the file has none
    std::vector<DWORD> indices;       // three per triangle; polygons are fanned
    std::vector<DWORD> attributes;    // material index per triangle
    std::vector<XMaterialData> materials;
    std::vector<XBoneData> bones; // SkinWeights order
    bool hasNormals = false;
    bool hasSkinHeader = false;
    DWORD maxVertexInfluences = 0; // from the skin header, informational
};

struct XFrameData
{
    std::string name; // empty when the file names none
    D3DXMATRIX transform;
    std::vector<XMeshData> meshes;
    std::vector<XFrameData> children;
};

struct XQuatKey
{
    float time;
    D3DXQUATERNION value;
};
struct XVec3Key
{
    float time;
    D3DXVECTOR3 value;
};

struct XAnimationData
{
    std::string frameName;
    std::vector<XQuatKey> rotations;
    std::vector<XVec3Key> scales;
    std::vector<XVec3Key> translations;
};

struct XAnimationSetData
{
    std::string name;
    std::vector<XAnimationData> animations;
};

struct XSceneData
{
    // The file's top-level frames in order; a top-level mesh outside any frame
    // becomes an unnamed frame with an identity matrix in its place.
    std::vector<XFrameData> roots;
    std::vector<XAnimationSetData> animationSets; // file order
    double ticksPerSecond = 4800.0;
};

// The largest vertex count a mesh with 16-bit indices can address.
const DWORD kXMaxVertices = 65535;

bool XReadMesh(const XDocument& doc, const struct XNode& node, XMeshData* out, XLoadError* error);
bool XReadScene(const XDocument& doc, XSceneData* out, XLoadError* error);
// Collapses every mesh of the scene into one, with each frame's combined
// transform applied to its meshes' positions and normals.
bool XCollapseScene(const XSceneData& scene, XMeshData* out, XLoadError* error);
