// The Direct3D 9 device over an OpenGL 3.3 core context.
//
// Conventions, decided once (tests in tests/d3d9 hold them):
// - Every framebuffer, the back buffer included, is stored top row first, so
//   GL window y equals Direct3D pixel y; the vertex epilogue flips clip y.
//   Present flips once more when it copies to the window.
// - Direct3D's clockwise front faces therefore arrive counter-clockwise in GL
//   window space: glFrontFace(GL_CCW); D3DCULL_CCW culls GL_BACK.
// - Clip-space depth is [0,1]: glClipControl when the context has it, else the
//   epilogue maps it.
// - States are recorded at once and given to GL lazily, at the next draw or clear.
#pragma once

#include <d3d9.h>

#include "GL.h"

#include <cstdint>
#include <map>
#include <vector>

struct LvProgram;
struct LvProgramVariant;

namespace lvd3d {

class Texture;
class Surface;
class VertexBuffer;
class IndexBuffer;
class VertexDeclaration;

constexpr int kMaxSamplers = 16;
constexpr int kMaxStreams = 4;

enum StateGroup : uint32_t {
    kStateBlend = 1u << 0,
    kStateDepth = 1u << 1,
    kStateRaster = 1u << 2,
    kStateColorMask = 1u << 3,
    kStateScissor = 1u << 4,
    kStateStencil = 1u << 5,
    kStateAll = 0xffu
};

struct StreamSource
{
    VertexBuffer* buffer = nullptr;
    UINT offset = 0;
    UINT stride = 0;
};

// What the GL attribute pointers were last aimed at, so repeated draws of the
// same buffer skip the set-up.
struct VertexSetup
{
    const VertexDeclaration* declaration = nullptr;
    GLuint buffer = 0;
    size_t byteOffset = 0;
    UINT stride = 0;
    bool valid = false;
};

struct SamplerUnit
{
    DWORD state[LV_D3DSAMP_COUNT] = {};
    GLuint sampler = 0;
    bool samplerDirty = true;
    IDirect3DBaseTexture9* texture = nullptr;
    GLenum boundTarget = 0;
    GLuint boundName = 0;
};

class Device final : public IDirect3DDevice9
{
public:
    Device(IDirect3D9* d3d, HWND window, DWORD behaviorFlags);
    bool Init(const D3DPRESENT_PARAMETERS& params);

    // IUnknown: the device lives until the caller's last reference and every
    // resource made from it are gone.
    ULONG AddRef() override;
    ULONG Release() override;

    // Set-up and frame (Device.cpp).
    HRESULT TestCooperativeLevel() override { return D3D_OK; }
    UINT GetAvailableTextureMem() override { return 512u * 1024u * 1024u; }
    HRESULT GetDirect3D(IDirect3D9** d3d) override;
    HRESULT GetDeviceCaps(D3DCAPS9* caps) override;
    HRESULT GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode) override;
    HRESULT GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* params) override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow, const void* dirtyRegion) override;
    HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE* sharedHandle) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                               HANDLE* sharedHandle) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool, IDirect3DIndexBuffer9** buffer,
                              HANDLE* sharedHandle) override;
    HRESULT CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** decl) override;

    // Targets (DeviceTargets.cpp).
    HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
    HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
    HRESULT ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color) override;
    HRESULT StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                        const RECT* destRect, D3DTEXTUREFILTERTYPE filter) override;
    HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) override;
    HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT9* viewport) override;
    HRESULT SetScissorRect(const RECT* rect) override;
    HRESULT GetScissorRect(RECT* rect) override;

    // States (DeviceStates.cpp).
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
    HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetTexture(DWORD sampler, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTexture(DWORD sampler, IDirect3DBaseTexture9** texture) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetMaterial(const D3DMATERIAL9* material) override;
    HRESULT SetVertexShader(IDirect3DVertexShader9* shader) override;
    HRESULT SetPixelShader(IDirect3DPixelShader9* shader) override;

    // Geometry and drawing (DeviceDraw.cpp).
    HRESULT SetVertexDeclaration(IDirect3DVertexDeclaration9* decl) override;
    HRESULT GetVertexDeclaration(IDirect3DVertexDeclaration9** decl) override;
    HRESULT SetFVF(DWORD fvf) override;
    HRESULT GetFVF(DWORD* fvf) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride) override;
    HRESULT GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer9* buffer) override;
    HRESULT GetIndices(IDirect3DIndexBuffer9** buffer) override;
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex, UINT numVertices,
                                 UINT startIndex, UINT primitiveCount) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                   const void* indices, D3DFORMAT indexFormat, const void* vertices,
                                   UINT stride) override;

    // For the resources and the effect layer.
    void ChildCreated() { ++children_; }
    void ChildDestroyed();
    void TrackDefaultPool(int delta) { defaultPoolResources_ += delta; }
    void ForgetTexture(IDirect3DBaseTexture9* texture);
    void ForgetSurface(Surface* surface);
    void ForgetVertexBuffer(VertexBuffer* buffer);
    void ForgetIndexBuffer(IndexBuffer* buffer);
    void ForgetDeclaration(VertexDeclaration* decl);
    GLuint DepthRenderbuffer() const { return depthBuffer_; }
    bool HasClipControl() const { return clipControl_; }
    void UseProgram(LvProgram* program);
    LvProgram* CurrentProgram() const { return program_; }
    Surface* BackBuffer() const { return backBuffer_; }
    // Rebinds the current render target after the caller used another framebuffer.
    void RestoreFramebuffer();
    // Binds a buffer for uploading without touching the vertex-array state.
    static void BindForUpload(GLuint buffer) { glBindBuffer(GL_COPY_WRITE_BUFFER, buffer); }

private:
    ~Device() override;
    void DestroyGl();
    bool CreateBackBuffer(UINT width, UINT height);
    void DestroyBackBuffer();
    void ResetStates();

    // DeviceStates.cpp
    void ApplyStates();
    void ApplySamplers();
    void ApplyBlend();
    void ApplyDepthStencil();
    void ApplyRaster();

    // DeviceDraw.cpp
    HRESULT DrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount, GLsizei* vertexCount, GLenum* mode);
    bool PrepareDraw(bool pretransformed);
    void SetupVertices(GLuint buffer, size_t byteOffset, UINT stride);
    void UploadBuiltinUniforms(LvProgramVariant& variant);
    const VertexDeclaration* DeclarationForFvf(DWORD fvf);
    void StreamUpload(GLenum target, GLuint buffer, const void* data, size_t size);
    // Counts a draw's primitives towards the next hand-over (Submitted).
    void Submitted(UINT primitiveCount);

    // DeviceTargets.cpp
    void BindTarget(Surface* surface);
    void ApplyViewport();

    ULONG refs_ = 1;
    int children_ = 0;
    int defaultPoolResources_ = 0;
    IDirect3D9* d3d_;
    HWND window_;
    DWORD behaviorFlags_;
    D3DPRESENT_PARAMETERS params_ = {};
    bool clipControl_ = false;
    bool inScene_ = false;

    GLuint vertexArray_ = 0;
    GLuint streamVertexBuffer_ = 0;
    GLuint streamIndexBuffer_ = 0;
    GLuint depthBuffer_ = 0;
    Surface* backBuffer_ = nullptr;
    Texture* backBufferTexture_ = nullptr;
    Surface* renderTarget_ = nullptr;

    DWORD renderStates_[LV_D3DRS_COUNT] = {};
    uint32_t dirtyStates_ = kStateAll;
    DWORD stageStates_[8][LV_D3DTSS_COUNT] = {};
    SamplerUnit samplers_[kMaxSamplers];
    bool samplersDirty_ = true;
    D3DVIEWPORT9 viewport_ = {};
    bool viewportDirty_ = true;
    RECT scissor_ = {};
    D3DMATRIX world_ = {}, view_ = {}, projection_ = {};
    unsigned transformsSerial_ = 1;

    StreamSource streams_[kMaxStreams];
    IndexBuffer* indices_ = nullptr;
    VertexDeclaration* declaration_ = nullptr;
    DWORD fvf_ = 0;
    std::map<DWORD, VertexDeclaration*> fvfDeclarations_;
    VertexSetup setup_;
    GLuint boundElementBuffer_ = 0;
    // Primitives drawn since the work was last handed to the rasteriser.
    UINT primitivesSinceFlush_ = 0;
    uint32_t enabledAttributes_ = 0;

    LvProgram* program_ = nullptr;
    LvProgram* builtinPretransformed_ = nullptr;
    LvProgram* builtinTransformed_ = nullptr;
    GLuint glProgram_ = 0;
};

// The capabilities a device reports (with the host's overrides), also before one exists.
void FillDeviceCaps(D3DCAPS9& caps);

// Mapping of Direct3D enumerations to GL, shared by the device files.
GLenum GlPrimitive(D3DPRIMITIVETYPE type);
GLsizei VertexCountFor(D3DPRIMITIVETYPE type, UINT primitiveCount);

} // namespace lvd3d
