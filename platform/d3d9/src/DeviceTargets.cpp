// Render targets, clears, colour fills and the viewport.
#include "Device.h"

#include "HostSeams.h"
#include "Texture.h"

#include <algorithm>
#include <string>

namespace lvd3d {

namespace {

void ClearColorOf(D3DCOLOR color)
{
    glClearColor(float((color >> 16) & 0xFF) / 255.f, float((color >> 8) & 0xFF) / 255.f, float(color & 0xFF) / 255.f,
                 float(color >> 24) / 255.f);
}

} // namespace

void Device::BindTarget(Surface* surface)
{
    glBindFramebuffer(GL_FRAMEBUFFER, surface ? surface->Framebuffer() : 0);
    primitivesSinceFlush_ = 0;
}

void Device::RestoreFramebuffer()
{
    BindTarget(renderTarget_);
}

void Device::ForgetSurface(Surface* surface)
{
    if (renderTarget_ != surface) return;
    renderTarget_ = surface == backBuffer_ ? nullptr : backBuffer_;
    BindTarget(renderTarget_);
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface)
{
    if (index != 0) return D3DERR_INVALIDCALL; // one simultaneous target
    Surface* s = static_cast<Surface*>(surface);
    if (!s || !s->Framebuffer()) return D3DERR_INVALIDCALL;
    if (LvD3D9_CallLogEnabled()) {
        LvD3D9_LogCall("SetRenderTarget " + std::to_string(s->Width()) + "x" + std::to_string(s->Height()) +
                       (s == backBuffer_ ? " backbuffer" : ""));
    }
    renderTarget_ = s;
    BindTarget(s);
    // Direct3D sets the viewport to the whole new target; the game relies on it.
    viewport_ = {0, 0, s->Width(), s->Height(), 0.f, 1.f};
    viewportDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface)
{
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (index != 0 || !renderTarget_) return index == 0 ? D3DERR_NOTFOUND : D3DERR_INVALIDCALL;
    renderTarget_->AddRef();
    *surface = renderTarget_;
    return D3D_OK;
}

void Device::ApplyViewport()
{
    if (!viewportDirty_) return;
    viewportDirty_ = false;
    glViewport(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width), GLsizei(viewport_.Height));
    glDepthRange(viewport_.MinZ, viewport_.MaxZ);
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport)
{
    if (!viewport || viewport->Width == 0 || viewport->Height == 0) return D3DERR_INVALIDCALL;
    viewport_ = *viewport;
    viewportDirty_ = true;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport)
{
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = viewport_;
    return D3D_OK;
}

HRESULT Device::SetScissorRect(const RECT* rect)
{
    if (!rect) return D3DERR_INVALIDCALL;
    scissor_ = *rect;
    dirtyStates_ |= kStateScissor;
    return D3D_OK;
}

HRESULT Device::GetScissorRect(RECT* rect)
{
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = scissor_;
    return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    if (LvD3D9_CallLogEnabled()) LvD3D9_LogCall("Clear");
    if (!renderTarget_) return D3DERR_INVALIDCALL;
    if (LvD3D9_DrawsDropped()) return D3D_OK;
    ApplyViewport();
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        ClearColorOf(color);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(std::min(std::max(double(z), 0.0), 1.0));
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(GLint(stencil));
        glStencilMask(0xFFu);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    if (mask == 0) return D3D_OK;
    // Direct3D clears the viewport (intersected with the rectangles given).
    glEnable(GL_SCISSOR_TEST);
    const LONG vx0 = LONG(viewport_.X), vy0 = LONG(viewport_.Y);
    const LONG vx1 = vx0 + LONG(viewport_.Width), vy1 = vy0 + LONG(viewport_.Height);
    if (count == 0 || !rects) {
        glScissor(vx0, vy0, vx1 - vx0, vy1 - vy0);
        glClear(mask);
    } else {
        for (DWORD i = 0; i < count; ++i) {
            const LONG x0 = std::max(rects[i].x1, vx0), y0 = std::max(rects[i].y1, vy0);
            const LONG x1 = std::min(rects[i].x2, vx1), y1 = std::min(rects[i].y2, vy1);
            if (x1 <= x0 || y1 <= y0) continue;
            glScissor(x0, y0, x1 - x0, y1 - y0);
            glClear(mask);
        }
    }
    dirtyStates_ |= kStateScissor | kStateColorMask | kStateDepth | kStateStencil;
    return D3D_OK;
}

HRESULT Device::ColorFill(IDirect3DSurface9* surface, const RECT* rect, D3DCOLOR color)
{
    Surface* s = static_cast<Surface*>(surface);
    if (!s || !s->Framebuffer()) return D3DERR_INVALIDCALL;
    glBindFramebuffer(GL_FRAMEBUFFER, s->Framebuffer());
    glEnable(GL_SCISSOR_TEST);
    if (rect) {
        glScissor(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    } else {
        glScissor(0, 0, GLsizei(s->Width()), GLsizei(s->Height()));
    }
    ClearColorOf(color);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClear(GL_COLOR_BUFFER_BIT);
    dirtyStates_ |= kStateScissor | kStateColorMask;
    RestoreFramebuffer();
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* source, const RECT* sourceRect, IDirect3DSurface9* dest,
                            const RECT* destRect, D3DTEXTUREFILTERTYPE filter)
{
    Surface* from = static_cast<Surface*>(source);
    Surface* to = static_cast<Surface*>(dest);
    if (!from || !to || !from->Framebuffer() || !to->Framebuffer()) return D3DERR_INVALIDCALL;
    const RECT whole0 = {0, 0, LONG(from->Width()), LONG(from->Height())};
    const RECT whole1 = {0, 0, LONG(to->Width()), LONG(to->Height())};
    const RECT& a = sourceRect ? *sourceRect : whole0;
    const RECT& b = destRect ? *destRect : whole1;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, from->Framebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to->Framebuffer());
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glBlitFramebuffer(a.left, a.top, a.right, a.bottom, b.left, b.top, b.right, b.bottom, GL_COLOR_BUFFER_BIT,
                      filter == D3DTEXF_POINT || filter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR);
    dirtyStates_ |= kStateScissor | kStateColorMask;
    RestoreFramebuffer();
    return D3D_OK;
}

} // namespace lvd3d
