// The device benchmark's reference frame: 300 lit cube instances drawn with
// one effect, then a chain of ten full-screen filter passes, through the
// Direct3D 9 stand-in; and the pieces the plain OpenGL version of the same
// frame shares with it. Other benchmarks time their frames against it.
#pragma once

#include <d3d9.h>
#include <d3dx9.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr int kInstances = 300;
constexpr int kPasses = 10;

struct Vertex
{
    float x, y, z, nx, ny, nz;
};

struct Mesh
{
    std::vector<Vertex> vertices;
    std::vector<uint16_t> indices;
};

Mesh Cube();
// Instance i's world matrix: a grid of cubes, each turned a little.
void InstanceWorld(int i, float* m);

extern const char* const kMeshVertex;
extern const char* const kMeshFragment;
extern const char* const kPassFragment;
std::string StandInEffect();

// The frame on its own stand-in device of width x height, made on the
// current OpenGL context.
class StandInFrame
{
public:
    StandInFrame(UINT width, UINT height);
    bool Init();
    // One whole frame, presented.
    void Frame();
    void Release();

private:
    UINT width_, height_;
    IDirect3DDevice9* device_ = nullptr;
    LPD3DXEFFECT effect_ = nullptr;
    IDirect3DVertexBuffer9* vb_ = nullptr;
    IDirect3DIndexBuffer9* ib_ = nullptr;
    IDirect3DTexture9* targets_[2] = {};
    IDirect3DSurface9* surfaces_[2] = {};
    IDirect3DSurface9* backBuffer_ = nullptr;
    D3DXHANDLE mWorld_ = nullptr;
    UINT indexCount_ = 0, vertexCount_ = 0;
    D3DXMATRIX worlds_[kInstances];
};
