// Device lifetime, caps, reset, present and resource creation.
#include "Device.h"

#include "Buffers.h"
#include "HostSeams.h"
#include "Program.h"
#include "Texture.h"
#include "VertexDeclaration.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace lvd3d {

namespace {

bool ContextClipsZeroToOne()
{
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major > 4 || (major == 4 && minor >= 5)) return true;
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
        if (name && std::strcmp(name, "GL_ARB_clip_control") == 0) return true;
    }
    return false;
}

// LV_GL_DEBUG=1 prints every GL error as it happens, to find the call that made it.
void APIENTRY PrintGlMessage(GLenum, GLenum type, GLuint, GLenum, GLsizei, const GLchar* message, const void*)
{
    if (type == GL_DEBUG_TYPE_ERROR) {
        std::fprintf(stderr, "GL error: %s\n", message);
        std::fflush(stderr);
    }
}

DWORD FloatBits(float f)
{
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

} // namespace

void FillDeviceCaps(D3DCAPS9& caps)
{
    caps = {};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.AdapterOrdinal = 0;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.ZCmpCaps = caps.AlphaCmpCaps = 0xFF;
    caps.SrcBlendCaps = caps.DestBlendCaps = 0x3FFF;
    caps.MaxTextureWidth = caps.MaxTextureHeight = 16384;
    caps.MaxVolumeExtent = 2048;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 16384;
    caps.MaxAnisotropy = 16;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = caps.GuardBandTop = -32768.f;
    caps.GuardBandRight = caps.GuardBandBottom = 32768.f;
    caps.FVFCaps = 8;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxActiveLights = 8;
    caps.MaxUserClipPlanes = 6;
    caps.MaxVertexBlendMatrices = 4;
    caps.MaxVertexBlendMatrixIndex = 255;
    caps.MaxPointSize = 64.f;
    caps.MaxPrimitiveCount = Host().maxPrimitiveCount ? Host().maxPrimitiveCount : kDefaultMaxPrimitiveCount;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = kMaxStreams;
    caps.MaxStreamStride = 255;
    caps.PixelShaderVersion = Host().pixelShaderVersion ? Host().pixelShaderVersion : kDefaultPixelShaderVersion;
    caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
    caps.MaxVertexShaderConst = 256;
    caps.PixelShader1xMaxValue = 65504.f;
    caps.NumberOfAdaptersInGroup = 1;
    caps.DeclTypes = 0x3FF;
    caps.NumSimultaneousRTs = 1;
    caps.MaxVShaderInstructionsExecuted = caps.MaxPShaderInstructionsExecuted = 65535;
    caps.MaxVertexShader30InstructionSlots = caps.MaxPixelShader30InstructionSlots = 32768;
}

Device::Device(IDirect3D9* d3d, HWND window, DWORD behaviorFlags)
    : d3d_(d3d), window_(window), behaviorFlags_(behaviorFlags)
{
    d3d_->AddRef();
}

bool Device::Init(const D3DPRESENT_PARAMETERS& params)
{
    while (glGetError() != GL_NO_ERROR) {
        // errors the host left behind are not ours
    }
    GLint major = 0, minor = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    if (major < 3 || (major == 3 && minor < 3)) {
        std::fprintf(stderr, "No OpenGL 3.3 context is current; the device cannot be made\n");
        std::fflush(stderr);
        return false;
    }
    if (std::getenv("LV_GL_DEBUG") && major >= 4) {
        glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
        glDebugMessageCallback(PrintGlMessage, nullptr);
    }
    clipControl_ = ContextClipsZeroToOne();
    if (clipControl_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    glFrontFace(GL_CCW);
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glVertexAttrib4f(7, 1.f, 1.f, 1.f, 1.f); // no diffuse colour in the vertex reads as white
    glGenBuffers(1, &streamVertexBuffer_);
    glGenBuffers(1, &streamIndexBuffer_);
    CountGlObjects(3);
    for (int i = 0; i < kMaxSamplers; ++i) {
        glGenSamplers(1, &samplers_[i].sampler);
        glBindSampler(GLuint(i), samplers_[i].sampler);
    }
    CountGlObjects(kMaxSamplers);
    builtinPretransformed_ = CompileBuiltinProgram(clipControl_, true);
    builtinTransformed_ = CompileBuiltinProgram(clipControl_, false);
    if (!builtinPretransformed_ || !builtinTransformed_) return false;
    params_ = params;
    if (params_.BackBufferFormat == D3DFMT_UNKNOWN) params_.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!CreateBackBuffer(params_.BackBufferWidth, params_.BackBufferHeight)) return false;
    ResetStates();
    return true;
}

Device::~Device()
{
    DestroyGl();
    d3d_->Release();
}

void Device::DestroyGl()
{
    for (auto& entry : fvfDeclarations_) entry.second->Release();
    fvfDeclarations_.clear();
    DestroyBackBuffer();
    DestroyProgram(builtinPretransformed_);
    DestroyProgram(builtinTransformed_);
    builtinPretransformed_ = builtinTransformed_ = nullptr;
    for (SamplerUnit& unit : samplers_) {
        if (unit.sampler) {
            glDeleteSamplers(1, &unit.sampler);
            CountGlObjects(-1);
        }
        unit.sampler = 0;
    }
    if (vertexArray_) { // made together in Init
        GLuint buffers[] = {streamVertexBuffer_, streamIndexBuffer_};
        glDeleteBuffers(2, buffers);
        glDeleteVertexArrays(1, &vertexArray_);
        CountGlObjects(-3);
    }
    vertexArray_ = streamVertexBuffer_ = streamIndexBuffer_ = 0;
}

ULONG Device::AddRef()
{
    return ++refs_;
}

ULONG Device::Release()
{
    if (refs_ == 0) return 0;
    const ULONG left = --refs_;
    if (left == 0 && children_ == 0) delete this;
    return left;
}

void Device::ChildDestroyed()
{
    --children_;
    if (children_ == 0 && refs_ == 0) delete this;
}

bool Device::CreateBackBuffer(UINT width, UINT height)
{
    if (width == 0 || height == 0) {
        width = Host().drawableWidth ? Host().drawableWidth : 640;
        height = Host().drawableHeight ? Host().drawableHeight : 480;
    }
    params_.BackBufferWidth = width;
    params_.BackBufferHeight = height;
    glGenRenderbuffers(1, &depthBuffer_);
    CountGlObjects(1);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(width), GLsizei(height));
    // The back buffer is a render-target texture the device owns; it is not
    // counted as a child, and its surface is what GetBackBuffer hands out.
    Texture* texture = nullptr;
    const int childrenBefore = children_;
    const int defaultBefore = defaultPoolResources_;
    const D3DFORMAT format = params_.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    if (FAILED(Texture::Create(this, width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &texture))) {
        std::fprintf(stderr, "Could not make a %ux%u back buffer\n", width, height);
        std::fflush(stderr);
        return false;
    }
    children_ = childrenBefore;
    defaultPoolResources_ = defaultBefore;
    backBufferTexture_ = texture;
    backBuffer_ = texture->TargetSurface();
    renderTarget_ = backBuffer_;
    BindTarget(backBuffer_);
    return true;
}

void Device::DestroyBackBuffer()
{
    if (backBufferTexture_) {
        backBufferTexture_->AddRef();
        if (backBufferTexture_->Release() > 1) {
            // Only when the device goes (a reset refuses this): a caller still holds the back
            // buffer, which outlives the device as an object that no longer reports to it.
            backBufferTexture_->Detach();
            if (renderTarget_ == backBuffer_) renderTarget_ = nullptr;
            backBufferTexture_->Release();
        } else {
            ++children_; // balances the child count the texture's destructor takes back
            ++defaultPoolResources_;
            ++refs_; // keeps this device alive through that destructor
            backBufferTexture_->Release();
            --refs_;
        }
        backBufferTexture_ = nullptr;
        backBuffer_ = nullptr;
    }
    if (depthBuffer_) {
        glDeleteRenderbuffers(1, &depthBuffer_);
        CountGlObjects(-1);
        depthBuffer_ = 0;
    }
}

void Device::ResetStates()
{
    std::memset(renderStates_, 0, sizeof renderStates_);
    DWORD* rs = renderStates_;
    rs[D3DRS_ZENABLE] = params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGDENSITY] = FloatBits(1.f);
    rs[D3DRS_FOGEND] = FloatBits(1.f);
    rs[D3DRS_STENCILFAIL] = rs[D3DRS_STENCILZFAIL] = rs[D3DRS_STENCILPASS] = 1; // KEEP
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = 1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = 2;
    rs[D3DRS_POINTSIZE] = FloatBits(1.f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.f);
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_COLORWRITEENABLE] = rs[D3DRS_COLORWRITEENABLE1] = 0xF;
    rs[D3DRS_COLORWRITEENABLE2] = rs[D3DRS_COLORWRITEENABLE3] = 0xF;
    rs[D3DRS_BLENDOP] = rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_CCW_STENCILFAIL] = rs[D3DRS_CCW_STENCILZFAIL] = rs[D3DRS_CCW_STENCILPASS] = 1;
    rs[D3DRS_CCW_STENCILFUNC] = D3DCMP_ALWAYS;
    dirtyStates_ = kStateAll;
    for (SamplerUnit& unit : samplers_) {
        std::memset(unit.state, 0, sizeof unit.state);
        unit.state[D3DSAMP_ADDRESSU] = unit.state[D3DSAMP_ADDRESSV] = unit.state[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        unit.state[D3DSAMP_MAGFILTER] = unit.state[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        unit.state[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        unit.state[D3DSAMP_MAXANISOTROPY] = 1;
        unit.samplerDirty = true;
        unit.texture = nullptr;
    }
    samplersDirty_ = true;
    std::memset(stageStates_, 0, sizeof stageStates_);
    for (auto& stage : stageStates_) {
        stage[D3DTSS_COLOROP] = D3DTOP_DISABLE;
        stage[D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
    }
    stageStates_[0][D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stageStates_[0][D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    D3DMATRIX identity = {};
    identity._11 = identity._22 = identity._33 = identity._44 = 1.f;
    world_ = view_ = projection_ = identity;
    ++transformsSerial_;
    for (StreamSource& s : streams_) s = StreamSource();
    indices_ = nullptr;
    declaration_ = nullptr;
    fvf_ = 0;
    setup_.valid = false;
    program_ = nullptr;
    renderTarget_ = backBuffer_;
    BindTarget(backBuffer_);
    scissor_ = {0, 0, LONG(params_.BackBufferWidth), LONG(params_.BackBufferHeight)};
    viewport_ = {0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.f, 1.f};
    viewportDirty_ = true;
}

HRESULT Device::GetDirect3D(IDirect3D9** d3d)
{
    if (!d3d) return D3DERR_INVALIDCALL;
    d3d_->AddRef();
    *d3d = d3d_;
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps) return D3DERR_INVALIDCALL;
    FillDeviceCaps(*caps);
    return D3D_OK;
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    if (!mode || swapChain != 0) return D3DERR_INVALIDCALL;
    *mode = Host().displayMode;
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* params)
{
    if (!params) return D3DERR_INVALIDCALL;
    params->AdapterOrdinal = 0;
    params->DeviceType = D3DDEVTYPE_HAL;
    params->hFocusWindow = window_;
    params->BehaviorFlags = behaviorFlags_;
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params)
{
    if (!params) return D3DERR_INVALIDCALL;
    LvD3D9_LogCall("Reset");
    backBufferTexture_->AddRef();
    const bool backBufferHeld = backBufferTexture_->Release() > 1;
    if (defaultPoolResources_ > 0 || backBufferHeld) {
        // As Direct3D: every default-pool resource, and every reference to the
        // back buffer, must be gone before a reset.
        std::fprintf(stderr, "Device reset refused: %d default-pool resources are still alive%s\n",
                     defaultPoolResources_, backBufferHeld ? " and the back buffer is still referenced" : "");
        std::fflush(stderr);
        return D3DERR_INVALIDCALL;
    }
    DestroyBackBuffer();
    params_ = *params;
    if (params_.BackBufferFormat == D3DFMT_UNKNOWN) params_.BackBufferFormat = D3DFMT_X8R8G8B8;
    if (!CreateBackBuffer(params->BackBufferWidth, params->BackBufferHeight)) return D3DERR_DEVICELOST;
    params->BackBufferWidth = params_.BackBufferWidth;
    params->BackBufferHeight = params_.BackBufferHeight;
    ResetStates();
    return D3D_OK;
}

HRESULT Device::Present(const RECT*, const RECT*, HWND, const void*)
{
    LvD3D9_LogCall("Present");
    const HostSettings& host = Host();
    if (host.drawableWidth && host.drawableHeight) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, backBuffer_->Framebuffer());
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        // The back buffer is top row first; the window's framebuffer is bottom row first.
        glBlitFramebuffer(0, 0, GLint(params_.BackBufferWidth), GLint(params_.BackBufferHeight), 0,
                          GLint(host.drawableHeight), GLint(host.drawableWidth), 0, GL_COLOR_BUFFER_BIT,
                          host.drawableWidth == params_.BackBufferWidth ? GL_NEAREST : GL_LINEAR);
        dirtyStates_ |= kStateScissor | kStateColorMask;
        RestoreFramebuffer();
    }
    if (host.presentHook) host.presentHook(host.presentUser);
    return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface)
{
    if (!surface || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
    backBuffer_->AddRef();
    *surface = backBuffer_;
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    LvD3D9_LogCall("BeginScene");
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    LvD3D9_LogCall("EndScene");
    return D3D_OK;
}

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE*)
{
    Texture* t = nullptr;
    const HRESULT hr = Texture::Create(this, width, height, levels, usage, format, pool, &t);
    if (texture) *texture = t;
    return hr;
}

HRESULT Device::CreateVolumeTexture(UINT width, UINT height, UINT depth, UINT levels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, IDirect3DVolumeTexture9** texture, HANDLE*)
{
    VolumeTexture* t = nullptr;
    const HRESULT hr = VolumeTexture::Create(this, width, height, depth, levels, usage, format, pool, &t);
    if (texture) *texture = t;
    return hr;
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool, IDirect3DVertexBuffer9** buffer,
                                   HANDLE*)
{
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > 0x40000000u) return D3DERR_INVALIDCALL;
    *buffer = new VertexBuffer(this, length, usage, fvf, pool);
    return D3D_OK;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE*)
{
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = nullptr;
    if (length == 0 || length > 0x40000000u || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    *buffer = new IndexBuffer(this, length, usage, format, pool);
    return D3D_OK;
}

HRESULT Device::CreateVertexDeclaration(const D3DVERTEXELEMENT9* elements, IDirect3DVertexDeclaration9** decl)
{
    if (!decl) return D3DERR_INVALIDCALL;
    *decl = nullptr;
    if (!elements) return D3DERR_INVALIDCALL;
    VertexDeclaration* d = new VertexDeclaration(this, elements, true);
    if (!d->Valid()) {
        d->Release();
        return D3DERR_INVALIDCALL;
    }
    *decl = d;
    return D3D_OK;
}

void Device::UseProgram(LvProgram* program)
{
    program_ = program;
    if (!program) return;
    // Callers set uniforms next, and they go to the plain variant.
    program->testedStale = true;
    const GLuint name = program->variants[0].program;
    if (name != glProgram_) {
        glUseProgram(name);
        glProgram_ = name;
    }
}

} // namespace lvd3d
