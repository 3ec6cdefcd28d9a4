// Textures, volume textures and surfaces of the OpenGL device.
#pragma once

#include <d3d9.h>

#include "GL.h"
#include "RefCounted.h"

#include <cstdint>
#include <vector>

namespace lvd3d {

class Device;

// How a Direct3D format lives in GL. Lock and upload use Direct3D's memory
// layout (A8R8G8B8 is B,G,R,A bytes), so GL reads it with the matching order.
struct FormatInfo
{
    D3DFORMAT format;
    GLenum internalFormat;
    GLenum dataFormat;
    GLenum dataType;
    UINT bytesPerPixel;
    GLint swizzle[4];
    bool renderable;
};

const FormatInfo* FindFormat(D3DFORMAT format);
UINT FullMipCount(UINT width, UINT height, UINT depth);

// One level of a texture as a render target or the back buffer. A surface
// shares its texture's reference count; the back buffer's belongs to the device.
class Surface final : public IDirect3DSurface9
{
public:
    Surface(Device* device, IUnknown* container, UINT width, UINT height, D3DFORMAT format, DWORD usage, D3DPOOL pool);
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_SURFACE; }
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;

    GLuint Framebuffer() const { return framebuffer_; }
    GLuint ColorTexture() const { return colorTexture_; }
    void Detach() { device_ = nullptr; }
    void Attach(GLuint framebuffer, GLuint colorTexture)
    {
        framebuffer_ = framebuffer;
        colorTexture_ = colorTexture;
    }
    UINT Width() const { return width_; }
    UINT Height() const { return height_; }
    Device* OwnerDevice() const { return device_; }

private:
    Device* device_;
    IUnknown* container_;
    ULONG ownRefs_ = 1;
    UINT width_, height_;
    D3DFORMAT format_;
    DWORD usage_;
    D3DPOOL pool_;
    GLuint framebuffer_ = 0;
    GLuint colorTexture_ = 0;
};

class Texture final : public RefCounted<IDirect3DTexture9>
{
public:
    static HRESULT Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, Texture** texture);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_TEXTURE; }
    DWORD GetLevelCount() override { return levels_; }
    void GenerateMipSubLevels() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    GLuint Name() const { return name_; }
    Surface* TargetSurface() { return &surface_; }
    // For a device that goes while a caller still holds this texture: it stays a
    // valid object that no longer reports to the device.
    void Detach()
    {
        device_ = nullptr;
        surface_.Detach();
    }
    void AttachDepth(GLuint depthBuffer);

private:
    Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, const FormatInfo& format, D3DPOOL pool);
    ~Texture() override;
    bool CreateGl();
    UINT LevelWidth(UINT level) const { return width_ >> level ? width_ >> level : 1; }
    UINT LevelHeight(UINT level) const { return height_ >> level ? height_ >> level : 1; }

    Device* device_;
    UINT width_, height_, levels_;
    DWORD usage_;
    const FormatInfo& format_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    GLuint framebuffer_ = 0;
    Surface surface_;
    std::vector<std::vector<uint8_t>> shadow_; // managed levels, kept for locks
    std::vector<uint8_t> staging_;
    int lockedLevel_ = -1;
    bool lockReadOnly_ = false;
};

class VolumeTexture final : public RefCounted<IDirect3DVolumeTexture9>
{
public:
    static HRESULT Create(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, VolumeTexture** texture);

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override { return D3DRTYPE_VOLUMETEXTURE; }
    DWORD GetLevelCount() override { return levels_; }
    void GenerateMipSubLevels() override;
    HRESULT GetLevelDesc(UINT level, D3DVOLUME_DESC* desc) override;
    HRESULT LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags) override;
    HRESULT UnlockBox(UINT level) override;

    GLuint Name() const { return name_; }

private:
    VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                  const FormatInfo& format, D3DPOOL pool);
    ~VolumeTexture() override;

    Device* device_;
    UINT width_, height_, depth_, levels_;
    DWORD usage_;
    const FormatInfo& format_;
    D3DPOOL pool_;
    GLuint name_ = 0;
    std::vector<uint8_t> staging_;
    bool locked_ = false;
};

// The GL target and name behind any texture interface (0 for null).
GLuint GlTextureOf(IDirect3DBaseTexture9* texture, GLenum* target);

} // namespace lvd3d
