// Textures and surfaces: GL storage, locks with Direct3D's memory layout,
// render-target framebuffers.
#include "Texture.h"

#include "Device.h"
#include "HostSeams.h"

#include <cstring>

namespace lvd3d {

namespace {

const FormatInfo kFormats[] = {
    {D3DFMT_A8R8G8B8, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, true},
    {D3DFMT_X8R8G8B8, GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, true},
    {D3DFMT_A8B8G8R8, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, true},
    {D3DFMT_X8B8G8R8, GL_RGB8, GL_RGBA, GL_UNSIGNED_BYTE, 4, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, true},
    {D3DFMT_A16B16G16R16F, GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, 8, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, true},
    {D3DFMT_A32B32G32R32F, GL_RGBA32F, GL_RGBA, GL_FLOAT, 16, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, true},
    {D3DFMT_G16R16F, GL_RG16F, GL_RG, GL_HALF_FLOAT, 4, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}, true},
    {D3DFMT_R16F, GL_R16F, GL_RED, GL_HALF_FLOAT, 2, {GL_RED, GL_ONE, GL_ONE, GL_ONE}, true},
    {D3DFMT_R32F, GL_R32F, GL_RED, GL_FLOAT, 4, {GL_RED, GL_ONE, GL_ONE, GL_ONE}, true},
    {D3DFMT_G32R32F, GL_RG32F, GL_RG, GL_FLOAT, 8, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}, true},
    {D3DFMT_L8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_RED, GL_RED, GL_RED, GL_ONE}, false},
    {D3DFMT_A8, GL_R8, GL_RED, GL_UNSIGNED_BYTE, 1, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, false},
    {D3DFMT_A8L8, GL_RG8, GL_RG, GL_UNSIGNED_BYTE, 2, {GL_RED, GL_RED, GL_RED, GL_GREEN}, false},
};

GLuint NewTexture(GLenum target, const FormatInfo& format, UINT width, UINT height, UINT depth, UINT levels)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glActiveTexture(GL_TEXTURE0 + kMaxSamplers); // a unit the device never samples from
    glBindTexture(target, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (UINT level = 0; level < levels; ++level) {
        const GLsizei w = GLsizei(width >> level ? width >> level : 1);
        const GLsizei h = GLsizei(height >> level ? height >> level : 1);
        const GLsizei d = GLsizei(depth >> level ? depth >> level : 1);
        if (target == GL_TEXTURE_3D) {
            glTexImage3D(target, GLint(level), GLint(format.internalFormat), w, h, d, 0, format.dataFormat,
                         format.dataType, nullptr);
        } else {
            glTexImage2D(target, GLint(level), GLint(format.internalFormat), w, h, 0, format.dataFormat,
                         format.dataType, nullptr);
        }
    }
    // Without this a one-level texture is incomplete under mip filtering and samples black.
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
    glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, format.swizzle);
    glBindTexture(target, 0);
    CountGlObjects(1);
    return name;
}

void DeleteTexture(GLuint& name)
{
    if (name) {
        glDeleteTextures(1, &name);
        CountGlObjects(-1);
        name = 0;
    }
}

} // namespace

const FormatInfo* FindFormat(D3DFORMAT format)
{
    for (const FormatInfo& info : kFormats) {
        if (info.format == format) {
            return &info;
        }
    }
    return nullptr;
}

UINT FullMipCount(UINT width, UINT height, UINT depth)
{
    UINT largest = width > height ? width : height;
    largest = largest > depth ? largest : depth;
    UINT count = 1;
    while (largest > 1) {
        largest >>= 1;
        ++count;
    }
    return count;
}

GLuint GlTextureOf(IDirect3DBaseTexture9* texture, GLenum* target)
{
    if (!texture) {
        *target = GL_TEXTURE_2D;
        return 0;
    }
    if (texture->GetType() == D3DRTYPE_VOLUMETEXTURE) {
        *target = GL_TEXTURE_3D;
        return static_cast<VolumeTexture*>(texture)->Name();
    }
    *target = GL_TEXTURE_2D;
    return static_cast<Texture*>(texture)->Name();
}

// ---------------------------------------------------------------- Surface

Surface::Surface(Device* device, IUnknown* container, UINT width, UINT height, D3DFORMAT format, DWORD usage,
                 D3DPOOL pool)
    : device_(device), container_(container), width_(width), height_(height), format_(format), usage_(usage),
      pool_(pool)
{}

ULONG Surface::AddRef()
{
    return container_ ? container_->AddRef() : ++ownRefs_;
}

ULONG Surface::Release()
{
    if (container_) {
        return container_->Release();
    }
    return ownRefs_ > 1 ? --ownRefs_ : 1; // the device's back buffer outlives its users
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device)
{
    if (!device || !device_) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = {};
    desc->Format = format_;
    desc->Type = D3DRTYPE_SURFACE;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Width = width_;
    desc->Height = height_;
    return D3D_OK;
}

// ---------------------------------------------------------------- Texture

Texture::Texture(Device* device, UINT width, UINT height, UINT levels, DWORD usage, const FormatInfo& format,
                 D3DPOOL pool)
    : device_(device), width_(width), height_(height), levels_(levels), usage_(usage), format_(format), pool_(pool),
      surface_(device, this, width, height, format.format, usage, pool)
{
    device_->ChildCreated();
    if (pool_ == D3DPOOL_DEFAULT) device_->TrackDefaultPool(1);
}

Texture::~Texture()
{
    if (device_) device_->ForgetTexture(this);
    if (framebuffer_) {
        if (device_) device_->ForgetSurface(&surface_);
        glDeleteFramebuffers(1, &framebuffer_);
        CountGlObjects(-1);
    }
    DeleteTexture(name_);
    if (!device_) return;
    if (pool_ == D3DPOOL_DEFAULT) device_->TrackDefaultPool(-1);
    device_->ChildDestroyed(); // last: it may end the device
}

HRESULT Texture::Create(Device* device, UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, Texture** texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (!info || width == 0 || height == 0 || width > 16384 || height > 16384) return D3DERR_INVALIDCALL;
    const bool target = (usage & D3DUSAGE_RENDERTARGET) != 0;
    if (target && (!info->renderable || pool != D3DPOOL_DEFAULT)) return D3DERR_INVALIDCALL;
    const UINT full = FullMipCount(width, height, 1);
    if (levels == 0 || levels > full) levels = full;
    if (usage & D3DUSAGE_AUTOGENMIPMAP) levels = full;
    Texture* t = new Texture(device, width, height, levels, usage, *info, pool);
    if (!t->CreateGl()) {
        t->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *texture = t;
    return D3D_OK;
}

bool Texture::CreateGl()
{
    name_ = NewTexture(GL_TEXTURE_2D, format_, width_, height_, 1, levels_);
    if (!(usage_ & D3DUSAGE_RENDERTARGET)) {
        return name_ != 0;
    }
    glGenFramebuffers(1, &framebuffer_);
    CountGlObjects(1);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, name_, 0);
    AttachDepth(device_->DepthRenderbuffer());
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    surface_.Attach(framebuffer_, name_);
    device_->RestoreFramebuffer();
    return complete;
}

void Texture::AttachDepth(GLuint depthBuffer)
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
}

HRESULT Texture::GetDevice(IDirect3DDevice9** device)
{
    if (!device || !device_) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

void Texture::GenerateMipSubLevels()
{
    if (levels_ < 2) return;
    glActiveTexture(GL_TEXTURE0 + kMaxSamplers);
    glBindTexture(GL_TEXTURE_2D, name_);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
    surface_.GetDesc(desc);
    desc->Type = D3DRTYPE_SURFACE;
    desc->Width = LevelWidth(level);
    desc->Height = LevelHeight(level);
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level != 0) return D3DERR_INVALIDCALL; // targets have one level; other levels are reached by LockRect
    surface_.AddRef();
    *surface = &surface_;
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags)
{
    if (!locked || level >= levels_ || lockedLevel_ >= 0 || (usage_ & D3DUSAGE_RENDERTARGET)) {
        return D3DERR_INVALIDCALL;
    }
    const UINT pitch = LevelWidth(level) * format_.bytesPerPixel;
    const size_t size = size_t(pitch) * LevelHeight(level);
    std::vector<uint8_t>* store = &staging_;
    if (pool_ == D3DPOOL_MANAGED) {
        if (shadow_.size() < levels_) shadow_.resize(levels_);
        store = &shadow_[level];
    }
    if (store->size() != size) store->assign(size, 0);
    lockedLevel_ = int(level);
    lockReadOnly_ = (flags & D3DLOCK_READONLY) != 0;
    size_t offset = 0;
    if (rect && rect->left >= 0 && rect->top >= 0 && UINT(rect->left) < LevelWidth(level) &&
        UINT(rect->top) < LevelHeight(level)) {
        offset = size_t(rect->top) * pitch + size_t(rect->left) * format_.bytesPerPixel;
    }
    locked->Pitch = INT(pitch);
    locked->pBits = store->data() + offset;
    return D3D_OK;
}

HRESULT Texture::UnlockRect(UINT level)
{
    if (lockedLevel_ < 0 || UINT(lockedLevel_) != level) return D3DERR_INVALIDCALL;
    lockedLevel_ = -1;
    if (lockReadOnly_) return D3D_OK;
    const std::vector<uint8_t>& store = pool_ == D3DPOOL_MANAGED ? shadow_[level] : staging_;
    glActiveTexture(GL_TEXTURE0 + kMaxSamplers);
    glBindTexture(GL_TEXTURE_2D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, GLsizei(LevelWidth(level)), GLsizei(LevelHeight(level)),
                    format_.dataFormat, format_.dataType, store.data());
    if (level == 0 && (usage_ & D3DUSAGE_AUTOGENMIPMAP)) glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (pool_ != D3DPOOL_MANAGED) std::vector<uint8_t>().swap(staging_);
    return D3D_OK;
}

// ---------------------------------------------------------------- VolumeTexture

VolumeTexture::VolumeTexture(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                             const FormatInfo& format, D3DPOOL pool)
    : device_(device), width_(width), height_(height), depth_(depth), levels_(levels), usage_(usage), format_(format),
      pool_(pool)
{
    device_->ChildCreated();
    if (pool_ == D3DPOOL_DEFAULT) device_->TrackDefaultPool(1);
}

VolumeTexture::~VolumeTexture()
{
    device_->ForgetTexture(this);
    DeleteTexture(name_);
    if (pool_ == D3DPOOL_DEFAULT) device_->TrackDefaultPool(-1);
    device_->ChildDestroyed();
}

HRESULT VolumeTexture::Create(Device* device, UINT width, UINT height, UINT depth, UINT levels, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, VolumeTexture** texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    const FormatInfo* info = FindFormat(format);
    if (!info || width == 0 || height == 0 || depth == 0 || width > 2048 || height > 2048 || depth > 2048 ||
        (usage & D3DUSAGE_RENDERTARGET)) {
        return D3DERR_INVALIDCALL;
    }
    const UINT full = FullMipCount(width, height, depth);
    if (levels == 0 || levels > full) levels = full;
    VolumeTexture* t = new VolumeTexture(device, width, height, depth, levels, usage, *info, pool);
    t->name_ = NewTexture(GL_TEXTURE_3D, *info, width, height, depth, levels);
    *texture = t;
    return D3D_OK;
}

HRESULT VolumeTexture::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

void VolumeTexture::GenerateMipSubLevels()
{
    if (levels_ < 2) return;
    glActiveTexture(GL_TEXTURE0 + kMaxSamplers);
    glBindTexture(GL_TEXTURE_3D, name_);
    glGenerateMipmap(GL_TEXTURE_3D);
    glBindTexture(GL_TEXTURE_3D, 0);
}

HRESULT VolumeTexture::GetLevelDesc(UINT level, D3DVOLUME_DESC* desc)
{
    if (!desc || level >= levels_) return D3DERR_INVALIDCALL;
    desc->Format = format_.format;
    desc->Type = D3DRTYPE_VOLUME;
    desc->Usage = usage_;
    desc->Pool = pool_;
    desc->Width = width_ >> level ? width_ >> level : 1;
    desc->Height = height_ >> level ? height_ >> level : 1;
    desc->Depth = depth_ >> level ? depth_ >> level : 1;
    return D3D_OK;
}

HRESULT VolumeTexture::LockBox(UINT level, D3DLOCKED_BOX* locked, const D3DBOX* box, DWORD flags)
{
    (void)box;
    (void)flags;
    if (!locked || level != 0 || locked_) return D3DERR_INVALIDCALL;
    const UINT rowPitch = width_ * format_.bytesPerPixel;
    staging_.assign(size_t(rowPitch) * height_ * depth_, 0);
    locked_ = true;
    locked->RowPitch = INT(rowPitch);
    locked->SlicePitch = INT(rowPitch * height_);
    locked->pBits = staging_.data();
    return D3D_OK;
}

HRESULT VolumeTexture::UnlockBox(UINT level)
{
    if (!locked_ || level != 0) return D3DERR_INVALIDCALL;
    locked_ = false;
    glActiveTexture(GL_TEXTURE0 + kMaxSamplers);
    glBindTexture(GL_TEXTURE_3D, name_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage3D(GL_TEXTURE_3D, 0, 0, 0, 0, GLsizei(width_), GLsizei(height_), GLsizei(depth_), format_.dataFormat,
                    format_.dataType, staging_.data());
    glBindTexture(GL_TEXTURE_3D, 0);
    std::vector<uint8_t>().swap(staging_);
    return D3D_OK;
}

} // namespace lvd3d

unsigned LvD3D9_TextureName(IDirect3DBaseTexture9* texture, unsigned* target)
{
    GLenum t = 0;
    const GLuint name = lvd3d::GlTextureOf(texture, &t);
    if (target) *target = t;
    return name;
}
