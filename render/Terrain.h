// A stage's ground as the World owns it: the height field the physics world
// collides with and the mesh the renderer draws, both built from one ".hmp"
// file (material and grid keys) and one grid mesh loaded through D3DX. The
// World registers GetGround() with the physics world and hands the terrain
// list to the renderer's frame.
#pragma once

#include <string>

#include "physics/Heightmap.h"
#include "render/TerrainMesh.h"

struct ID3DXMesh;
struct IDirect3DDevice9;

// A plain ground's look and surface: the developer key's terrain has them,
// and a heightmap file's refused value falls back to them.
constexpr const char* kDefaultGroundTechnique = "Phong1Opaque";
constexpr int kDefaultGroundTexture = 2;
constexpr int kDefaultGroundMaterial = 2;
constexpr float kDefaultGroundElasticity = 1.0f; // bouncy
constexpr float kDefaultGroundFriction = 0.5f;   // fairly rough, static and dynamic alike

class Terrain
{
public:
    // The ".hmp" keys (LoadConfig), then the grid mesh (Load). Without a
    // device the mesh loads headless: height field and kept vertices only.
    Terrain(const std::string& hmpFile, const std::string& meshFile, IDirect3DDevice9* device = nullptr);
    // The values given directly, then the grid mesh.
    Terrain(const char* meshFile, int rows, int columns, const char* technique, int texture, int material, float diff,
            float elasticity, float staticFriction, float dynamicFriction, IDirect3DDevice9* device = nullptr);
    // Flat ground, nothing to draw; LoadConfig and Load fill it.
    explicit Terrain(IDirect3DDevice9* device = nullptr);

    Terrain(const Terrain&) = delete;
    Terrain& operator=(const Terrain&) = delete;

    // Reads TECHNIQUE .. DIFF in order; a missing key leaves it and every later
    // key unassigned. False when the file cannot be opened or a key is missing.
    bool LoadConfig(const char* path);
    // Loads the grid mesh and rebuilds the ground and the drawn mesh from it.
    bool Load(const std::string& meshFile);
    // The same from a mesh already in memory (ROWS x COLUMNS vertices).
    bool BuildBuffers(ID3DXMesh* mesh);
    // Both halves from vertex and index arrays; the drawn mesh changes only
    // when the ground accepted them.
    bool BuildFromArrays(const TerrainSourceVertex* vertices, int vertexCount, const uint16_t* indices, int indexCount);

    Heightmap& GetGround() { return ground; }
    const Heightmap& GetGround() const { return ground; }
    TerrainMesh& GetMesh() { return mesh; }
    const TerrainMesh& GetMesh() const { return mesh; }

private:
    Heightmap ground;
    TerrainMesh mesh;
    // The renderer's device the mesh loads on; not owned, null when headless.
    IDirect3DDevice9* device;
};
