// Render, sampler and texture-stage states: recorded at once, given to GL at
// the next draw, grouped so that one change touches one group.
#include "Device.h"

#include "Texture.h"

#include <d3d9_host.h>
#include <string>

#include <cstring>

namespace lvd3d {

namespace {

uint32_t GroupOf(D3DRENDERSTATETYPE state)
{
    switch (state) {
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_BLENDOP:
    case D3DRS_BLENDFACTOR:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
    case D3DRS_BLENDOPALPHA:
        return kStateBlend;
    case D3DRS_ZENABLE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_ZFUNC:
        return kStateDepth;
    case D3DRS_CULLMODE:
    case D3DRS_FILLMODE:
    case D3DRS_DEPTHBIAS:
    case D3DRS_SLOPESCALEDEPTHBIAS:
        return kStateRaster;
    case D3DRS_COLORWRITEENABLE:
        return kStateColorMask;
    case D3DRS_SCISSORTESTENABLE:
        return kStateScissor;
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
        return kStateStencil;
    default:
        return 0; // stored only: fixed-function states, and the alpha test (a uniform)
    }
}

GLenum GlBlend(DWORD blend)
{
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR:
        return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR:
        return GL_ONE_MINUS_CONSTANT_COLOR;
    default:
        return GL_ONE;
    }
}

GLenum GlBlendOp(DWORD op)
{
    switch (op) {
    case D3DBLENDOP_SUBTRACT:
        return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT:
        return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN:
        return GL_MIN;
    case D3DBLENDOP_MAX:
        return GL_MAX;
    default:
        return GL_FUNC_ADD;
    }
}

GLenum GlCompare(DWORD func)
{
    switch (func) {
    case D3DCMP_NEVER:
        return GL_NEVER;
    case D3DCMP_LESS:
        return GL_LESS;
    case D3DCMP_EQUAL:
        return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
        return GL_LEQUAL;
    case D3DCMP_GREATER:
        return GL_GREATER;
    case D3DCMP_NOTEQUAL:
        return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
        return GL_GEQUAL;
    default:
        return GL_ALWAYS;
    }
}

GLenum GlStencilOp(DWORD op)
{
    switch (op) {
    case 2:
        return GL_ZERO;
    case 3:
        return GL_REPLACE;
    case 4:
        return GL_INCR;
    case 5:
        return GL_DECR;
    case 6:
        return GL_INVERT;
    case 7:
        return GL_INCR_WRAP;
    case 8:
        return GL_DECR_WRAP;
    default:
        return GL_KEEP;
    }
}

GLenum GlAddress(DWORD mode)
{
    switch (mode) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
        return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE:
        return GL_MIRRORED_REPEAT;
    default:
        return GL_REPEAT;
    }
}

GLenum GlMinFilter(DWORD minFilter, DWORD mipFilter)
{
    const bool linear = minFilter >= D3DTEXF_LINEAR;
    if (mipFilter == D3DTEXF_NONE) return linear ? GL_LINEAR : GL_NEAREST;
    if (mipFilter == D3DTEXF_POINT) return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

void Toggle(GLenum capability, bool on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

} // namespace

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (LvD3D9_StateLogEnabled()) {
        LvD3D9_LogCall("SetRenderState " + std::to_string(int(state)) + " " + std::to_string(value));
    }
    if (DWORD(state) >= LV_D3DRS_COUNT) return D3DERR_INVALIDCALL;
    if (renderStates_[state] == value) return D3D_OK;
    renderStates_[state] = value;
    dirtyStates_ |= GroupOf(state);
    return D3D_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || DWORD(state) >= LV_D3DRS_COUNT) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    if (LvD3D9_StateLogEnabled()) {
        LvD3D9_LogCall("SetSamplerState " + std::to_string(sampler) + " " + std::to_string(int(type)) + " " +
                       std::to_string(value));
    }
    if (sampler >= kMaxSamplers || DWORD(type) >= LV_D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    SamplerUnit& unit = samplers_[sampler];
    if (unit.state[type] != value) {
        unit.state[type] = value;
        unit.samplerDirty = true;
        samplersDirty_ = true;
    }
    return D3D_OK;
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    if (!value || sampler >= kMaxSamplers || DWORD(type) >= LV_D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    *value = samplers_[sampler].state[type];
    return D3D_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= 8 || DWORD(type) >= LV_D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    stageStates_[stage][type] = value;
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= 8 || DWORD(type) >= LV_D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    *value = stageStates_[stage][type];
    return D3D_OK;
}

HRESULT Device::SetTexture(DWORD sampler, IDirect3DBaseTexture9* texture)
{
    if (sampler >= kMaxSamplers) return D3DERR_INVALIDCALL;
    samplers_[sampler].texture = texture;
    samplersDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD sampler, IDirect3DBaseTexture9** texture)
{
    if (!texture || sampler >= kMaxSamplers) return D3DERR_INVALIDCALL;
    *texture = samplers_[sampler].texture;
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

void Device::ForgetTexture(IDirect3DBaseTexture9* texture)
{
    for (int i = 0; i < kMaxSamplers; ++i) {
        SamplerUnit& unit = samplers_[i];
        if (unit.texture == texture) unit.texture = nullptr;
    }
    samplersDirty_ = true;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    if (state == D3DTS_WORLD)
        world_ = *matrix;
    else if (state == D3DTS_VIEW)
        view_ = *matrix;
    else if (state == D3DTS_PROJECTION)
        projection_ = *matrix;
    else
        return D3D_OK; // texture transforms: fixed function only
    ++transformsSerial_;
    return D3D_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix) return D3DERR_INVALIDCALL;
    if (state == D3DTS_WORLD)
        *matrix = world_;
    else if (state == D3DTS_VIEW)
        *matrix = view_;
    else if (state == D3DTS_PROJECTION)
        *matrix = projection_;
    else
        return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::SetMaterial(const D3DMATERIAL9* material)
{
    return material ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader)
{
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader)
{
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

void Device::ApplyBlend()
{
    const DWORD* rs = renderStates_;
    Toggle(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != 0);
    DWORD src = rs[D3DRS_SRCBLEND], dst = rs[D3DRS_DESTBLEND];
    if (src == D3DBLEND_BOTHSRCALPHA) {
        src = D3DBLEND_SRCALPHA;
        dst = D3DBLEND_INVSRCALPHA;
    }
    if (src == D3DBLEND_BOTHINVSRCALPHA) {
        src = D3DBLEND_INVSRCALPHA;
        dst = D3DBLEND_SRCALPHA;
    }
    const bool separate = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    glBlendFuncSeparate(GlBlend(src), GlBlend(dst), GlBlend(separate ? rs[D3DRS_SRCBLENDALPHA] : src),
                        GlBlend(separate ? rs[D3DRS_DESTBLENDALPHA] : dst));
    glBlendEquationSeparate(GlBlendOp(rs[D3DRS_BLENDOP]),
                            GlBlendOp(separate ? rs[D3DRS_BLENDOPALPHA] : rs[D3DRS_BLENDOP]));
    const DWORD f = rs[D3DRS_BLENDFACTOR];
    glBlendColor(float((f >> 16) & 0xFF) / 255.f, float((f >> 8) & 0xFF) / 255.f, float(f & 0xFF) / 255.f,
                 float(f >> 24) / 255.f);
}

void Device::ApplyDepthStencil()
{
    const DWORD* rs = renderStates_;
    if (dirtyStates_ & kStateDepth) {
        Toggle(GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != D3DZB_FALSE);
        glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
        glDepthFunc(GlCompare(rs[D3DRS_ZFUNC]));
    }
    if (dirtyStates_ & kStateStencil) {
        Toggle(GL_STENCIL_TEST, rs[D3DRS_STENCILENABLE] != 0);
        glStencilFunc(GlCompare(rs[D3DRS_STENCILFUNC]), GLint(rs[D3DRS_STENCILREF]), rs[D3DRS_STENCILMASK]);
        glStencilOp(GlStencilOp(rs[D3DRS_STENCILFAIL]), GlStencilOp(rs[D3DRS_STENCILZFAIL]),
                    GlStencilOp(rs[D3DRS_STENCILPASS]));
        glStencilMask(rs[D3DRS_STENCILWRITEMASK]);
    }
}

void Device::ApplyRaster()
{
    const DWORD* rs = renderStates_;
    // Clockwise on screen in Direct3D arrives counter-clockwise in GL (see Device.h).
    switch (rs[D3DRS_CULLMODE]) {
    case D3DCULL_CW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    case D3DCULL_CCW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    default:
        glDisable(GL_CULL_FACE);
        break;
    }
    const DWORD fill = rs[D3DRS_FILLMODE];
    glPolygonMode(GL_FRONT_AND_BACK, fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
    float bias, slope;
    std::memcpy(&bias, &rs[D3DRS_DEPTHBIAS], sizeof bias);
    std::memcpy(&slope, &rs[D3DRS_SLOPESCALEDEPTHBIAS], sizeof slope);
    Toggle(GL_POLYGON_OFFSET_FILL, bias != 0.f || slope != 0.f);
    glPolygonOffset(slope, bias * 16777215.f);
}

void Device::ApplyStates()
{
    if (dirtyStates_ == 0) return;
    const DWORD* rs = renderStates_;
    if (dirtyStates_ & kStateBlend) ApplyBlend();
    if (dirtyStates_ & (kStateDepth | kStateStencil)) ApplyDepthStencil();
    if (dirtyStates_ & kStateRaster) ApplyRaster();
    if (dirtyStates_ & kStateColorMask) {
        const DWORD m = rs[D3DRS_COLORWRITEENABLE];
        glColorMask(m & 1 ? GL_TRUE : GL_FALSE, m & 2 ? GL_TRUE : GL_FALSE, m & 4 ? GL_TRUE : GL_FALSE,
                    m & 8 ? GL_TRUE : GL_FALSE);
    }
    if (dirtyStates_ & kStateScissor) {
        Toggle(GL_SCISSOR_TEST, rs[D3DRS_SCISSORTESTENABLE] != 0);
        glScissor(scissor_.left, scissor_.top, scissor_.right - scissor_.left, scissor_.bottom - scissor_.top);
    }
    dirtyStates_ = 0;
}

void Device::ApplySamplers()
{
    if (!samplersDirty_) return;
    samplersDirty_ = false;
    for (int i = 0; i < kMaxSamplers; ++i) {
        SamplerUnit& unit = samplers_[i];
        GLenum target = GL_TEXTURE_2D;
        const GLuint name = GlTextureOf(unit.texture, &target);
        if (name != unit.boundName || target != unit.boundTarget) {
            glActiveTexture(GL_TEXTURE0 + GLenum(i));
            if (unit.boundTarget && unit.boundTarget != target) glBindTexture(unit.boundTarget, 0);
            glBindTexture(target, name);
            unit.boundName = name;
            unit.boundTarget = target;
        }
        if (!unit.samplerDirty) continue;
        unit.samplerDirty = false;
        const DWORD* s = unit.state;
        glSamplerParameteri(unit.sampler, GL_TEXTURE_MIN_FILTER,
                            GLint(GlMinFilter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER])));
        glSamplerParameteri(unit.sampler, GL_TEXTURE_MAG_FILTER,
                            s[D3DSAMP_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
        glSamplerParameteri(unit.sampler, GL_TEXTURE_WRAP_S, GLint(GlAddress(s[D3DSAMP_ADDRESSU])));
        glSamplerParameteri(unit.sampler, GL_TEXTURE_WRAP_T, GLint(GlAddress(s[D3DSAMP_ADDRESSV])));
        glSamplerParameteri(unit.sampler, GL_TEXTURE_WRAP_R, GLint(GlAddress(s[D3DSAMP_ADDRESSW])));
        const DWORD c = s[D3DSAMP_BORDERCOLOR];
        const float border[4] = {float((c >> 16) & 0xFF) / 255.f, float((c >> 8) & 0xFF) / 255.f,
                                 float(c & 0xFF) / 255.f, float(c >> 24) / 255.f};
        glSamplerParameterfv(unit.sampler, GL_TEXTURE_BORDER_COLOR, border);
    }
}

} // namespace lvd3d
