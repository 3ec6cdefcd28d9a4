// Resource-name tables and global constants. Mesh and texture ids are indices
// into these tables; the renderer loads the files in table order.
//
// Everything here is constant-initialised (no constructors run), so any other
// global initialiser may read it safely.
#pragma once

#include <string>

// A data folder prefix, joined directly in front of a file name.
struct ResourceDirectory
{
    const char* path;

    const char* c_str() const { return path; }
    operator std::string() const { return path; }
};

inline std::string operator+(const ResourceDirectory& dir, const std::string& name)
{
    return std::string(dir.path) + name;
}
inline std::string operator+(const ResourceDirectory& dir, const char* name)
{
    return std::string(dir.path) + name;
}

constexpr ResourceDirectory LevelsDirectory{"../Levels/"};
constexpr ResourceDirectory ConfigDirectory{"../Config/"};
constexpr ResourceDirectory MapsDirectory{"../Maps/"};
constexpr ResourceDirectory MeshesDirectory{"../Meshes/"};
constexpr ResourceDirectory EffectsDirectory{"../Effects/"};
constexpr ResourceDirectory TexturesDirectory{"../Textures/"};

constexpr int kMeshFileCount = 25;
// Generated primitive meshes follow the files; the first is the unit quad.
constexpr int kScreenQuadMeshId = kMeshFileCount;
constexpr int kAnimatedMeshFileCount = 1;
constexpr int kTextureFileCount = 86;
// A stored texture id of one past the end means "no texture".
constexpr int kNoTexture = kTextureFileCount;
// Rows of the renderer's material table; a stored material id of one past
// the end means "no material" (the draw loops then set no colours).
constexpr int kMaterialCount = 14;
constexpr int kNoMaterial = kMaterialCount;

extern const char* const MeshFileNames[kMeshFileCount];
extern const char* const AnimatedMeshFileNames[kAnimatedMeshFileCount];
// Names with a folder part keep their backslashes.
extern const char* const TextureFileNames[kTextureFileCount];

// Draw-list presets per stage: record 0 is stage 1. Columns: pixel shaders
// 3.0 and up, 2.0 and up, below 2.0.
constexpr int kPostProcessStageCount = 4;
constexpr int kPostProcessColumnCount = 3;
extern const char* const PostProcessConfigFiles[kPostProcessStageCount][kPostProcessColumnCount];

// The preset of a 0-based stage record and column, or null when either is out
// of range (a failed first load leaves the stage at -1).
const char* GetPostProcessConfigFile(int stageIndex, int column);

// Mesh id and texture id range checks for ids read from files.
inline bool IsValidMeshFileId(int id)
{
    return id >= 0 && id < kMeshFileCount;
}
inline bool IsValidTextureId(int id)
{
    return id >= 0 && id < kTextureFileCount;
}
