// Geometry binding and drawing.
#include "Device.h"

#include "Buffers.h"
#include "HostSeams.h"
#include "Program.h"
#include "VertexDeclaration.h"

#include <string>

namespace lvd3d {

GLenum GlPrimitive(D3DPRIMITIVETYPE type)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return GL_POINTS;
    case D3DPT_LINELIST:
        return GL_LINES;
    case D3DPT_LINESTRIP:
        return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
        return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
        return GL_TRIANGLE_FAN;
    default:
        return GL_TRIANGLES;
    }
}

GLsizei VertexCountFor(D3DPRIMITIVETYPE type, UINT primitiveCount)
{
    switch (type) {
    case D3DPT_POINTLIST:
        return GLsizei(primitiveCount);
    case D3DPT_LINELIST:
        return GLsizei(primitiveCount * 2);
    case D3DPT_LINESTRIP:
        return GLsizei(primitiveCount + 1);
    case D3DPT_TRIANGLELIST:
        return GLsizei(primitiveCount * 3);
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
        return GLsizei(primitiveCount + 2);
    default:
        return 0;
    }
}

namespace {

void LogDraw(const char* name, D3DPRIMITIVETYPE type, UINT count)
{
    if (LvD3D9_CallLogEnabled()) {
        LvD3D9_LogCall(std::string(name) + " " + std::to_string(int(type)) + " " + std::to_string(count));
    }
}

} // namespace

HRESULT Device::SetVertexDeclaration(IDirect3DVertexDeclaration9* decl)
{
    if (LvD3D9_StateLogEnabled()) LvD3D9_LogCall("SetVertexDeclaration");
    declaration_ = static_cast<VertexDeclaration*>(decl);
    fvf_ = 0;
    setup_.valid = false;
    return D3D_OK;
}

HRESULT Device::GetVertexDeclaration(IDirect3DVertexDeclaration9** decl)
{
    if (!decl) return D3DERR_INVALIDCALL;
    *decl = declaration_;
    if (declaration_) declaration_->AddRef();
    return D3D_OK;
}

const VertexDeclaration* Device::DeclarationForFvf(DWORD fvf)
{
    auto found = fvfDeclarations_.find(fvf);
    if (found != fvfDeclarations_.end()) return found->second;
    std::vector<D3DVERTEXELEMENT9> elements;
    if (!DeclarationFromFvf(fvf, elements)) return nullptr;
    VertexDeclaration* decl = new VertexDeclaration(this, elements.data(), false);
    fvfDeclarations_[fvf] = decl;
    return decl;
}

HRESULT Device::SetFVF(DWORD fvf)
{
    // An FVF code replaces the vertex declaration, as in Direct3D.
    const VertexDeclaration* decl = fvf ? DeclarationForFvf(fvf) : nullptr;
    if (fvf && !decl) return D3DERR_INVALIDCALL;
    declaration_ = const_cast<VertexDeclaration*>(decl);
    fvf_ = fvf;
    setup_.valid = false;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf)
{
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = fvf_;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset, UINT stride)
{
    if (stream >= kMaxStreams) return D3DERR_INVALIDCALL;
    StreamSource& s = streams_[stream];
    s.buffer = static_cast<VertexBuffer*>(buffer);
    s.offset = offset;
    s.stride = stride;
    setup_.valid = false;
    return D3D_OK;
}

HRESULT Device::GetStreamSource(UINT stream, IDirect3DVertexBuffer9** buffer, UINT* offset, UINT* stride)
{
    if (stream >= kMaxStreams || !buffer || !offset || !stride) return D3DERR_INVALIDCALL;
    const StreamSource& s = streams_[stream];
    *buffer = s.buffer;
    if (s.buffer) s.buffer->AddRef();
    *offset = s.offset;
    *stride = s.stride;
    return D3D_OK;
}

HRESULT Device::SetIndices(IDirect3DIndexBuffer9* buffer)
{
    indices_ = static_cast<IndexBuffer*>(buffer);
    return D3D_OK;
}

HRESULT Device::GetIndices(IDirect3DIndexBuffer9** buffer)
{
    if (!buffer) return D3DERR_INVALIDCALL;
    *buffer = indices_;
    if (indices_) indices_->AddRef();
    return D3D_OK;
}

void Device::ForgetVertexBuffer(VertexBuffer* buffer)
{
    for (StreamSource& s : streams_) {
        if (s.buffer == buffer) s = StreamSource();
    }
    setup_.valid = false;
}

void Device::ForgetIndexBuffer(IndexBuffer* buffer)
{
    if (indices_ == buffer) indices_ = nullptr;
}

void Device::ForgetDeclaration(VertexDeclaration* decl)
{
    if (declaration_ == decl) declaration_ = nullptr;
    setup_.valid = false;
}

void Device::UploadBuiltinUniforms(LvProgramVariant& v)
{
    LvProgramVariant* p = &v;
    if (p->viewportLocation >= 0) {
        const float v[4] = {float(viewport_.X), float(viewport_.Y), float(viewport_.Width), float(viewport_.Height)};
        if (v[0] != p->viewport[0] || v[1] != p->viewport[1] || v[2] != p->viewport[2] || v[3] != p->viewport[3]) {
            glUniform4fv(p->viewportLocation, 1, v);
            for (int i = 0; i < 4; ++i) p->viewport[i] = v[i];
        }
    }
    if (p->alphaTestLocation >= 0) {
        const int func = renderStates_[D3DRS_ALPHATESTENABLE] ? int(renderStates_[D3DRS_ALPHAFUNC]) : 0;
        const int ref = int(renderStates_[D3DRS_ALPHAREF] & 0xFF);
        if (func != p->alphaTest[0] || ref != p->alphaTest[1]) {
            glUniform2i(p->alphaTestLocation, func, ref);
            p->alphaTest[0] = func;
            p->alphaTest[1] = ref;
        }
    }
    if (p->worldViewProjectionLocation >= 0 && p->transformsSerial != transformsSerial_) {
        // Row vectors: v * World * View * Projection. Uploaded untransposed, GLSL's M * v gives the same.
        float wv[4][4], wvp[4][4];
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                float sum = 0.f;
                for (int k = 0; k < 4; ++k) sum += world_.m[r][k] * view_.m[k][c];
                wv[r][c] = sum;
            }
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                float sum = 0.f;
                for (int k = 0; k < 4; ++k) sum += wv[r][k] * projection_.m[k][c];
                wvp[r][c] = sum;
            }
        glUniformMatrix4fv(p->worldViewProjectionLocation, 1, GL_FALSE, &wvp[0][0]);
        p->transformsSerial = transformsSerial_;
    }
    if (p->useTextureLocation >= 0) {
        const int use = samplers_[0].texture ? 1 : 0;
        if (use != p->useTexture) {
            glUniform1i(p->useTextureLocation, use);
            p->useTexture = use;
        }
    }
}

bool Device::PrepareDraw(bool pretransformed)
{
    if (!renderTarget_) return false;
    LvProgram* p = program_ ? program_ : (pretransformed ? builtinPretransformed_ : builtinTransformed_);
    LvProgramVariant* variant = &p->variants[0];
    if (renderStates_[D3DRS_ALPHATESTENABLE]) {
        LvProgramVariant* tested = AlphaTestedVariant(p); // binds it
        if (tested) {
            variant = tested;
            glProgram_ = tested->program;
        }
    }
    if (variant->program != glProgram_) {
        glUseProgram(variant->program);
        glProgram_ = variant->program;
    }
    ApplyViewport();
    ApplyStates();
    ApplySamplers();
    UploadBuiltinUniforms(*variant);
    return true;
}

void Device::SetupVertices(GLuint upBuffer, size_t, UINT upStride)
{
    const GLuint buffer0 = upBuffer ? upBuffer : streams_[0].buffer->Store().Name();
    const UINT stride0 = upBuffer ? upStride : streams_[0].stride;
    const size_t offset0 = upBuffer ? 0 : streams_[0].offset;
    if (setup_.valid && setup_.declaration == declaration_ && setup_.buffer == buffer0 && setup_.stride == stride0 &&
        setup_.byteOffset == offset0) {
        return;
    }
    const uint32_t mask = declaration_->LocationMask();
    const uint32_t change = mask ^ enabledAttributes_;
    for (GLuint i = 0; i < 16; ++i) {
        if (!(change & (1u << i))) continue;
        if (mask & (1u << i))
            glEnableVertexAttribArray(i);
        else
            glDisableVertexAttribArray(i);
    }
    enabledAttributes_ = mask;
    for (const GlAttribute& a : declaration_->Attributes()) {
        GLuint buffer = buffer0;
        UINT stride = stride0;
        size_t offset = offset0;
        if (a.stream != 0 && !upBuffer && streams_[a.stream].buffer) {
            buffer = streams_[a.stream].buffer->Store().Name();
            stride = streams_[a.stream].stride;
            offset = streams_[a.stream].offset;
        }
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        const void* pointer = reinterpret_cast<const void*>(offset + a.offset);
        if (a.integer)
            glVertexAttribIPointer(a.location, a.size, a.type, GLsizei(stride), pointer);
        else
            glVertexAttribPointer(a.location, a.size, a.type, a.normalized, GLsizei(stride), pointer);
    }
    setup_ = {declaration_, buffer0, offset0, stride0, true};
}

// A software rasteriser starts on the draws it was given only once they are
// flushed; until then its threads wait while this one records the rest of the
// target's draws. Handing the work over in batches, as a graphics card's
// driver hands over a full command buffer, lets the threads draw the first
// batch while the next is recorded: a stage's frame takes a tenth to a fifth
// less. Each batch costs a little, so batches are large; a target switch
// hands the work over anyway and starts a new count.
constexpr UINT kPrimitivesPerFlush = 10000;

void Device::Submitted(UINT primitiveCount)
{
    primitivesSinceFlush_ += primitiveCount;
    if (primitivesSinceFlush_ < kPrimitivesPerFlush) return;
    primitivesSinceFlush_ = 0;
    glFlush();
}

HRESULT Device::DrawCommon(D3DPRIMITIVETYPE type, UINT primitiveCount, GLsizei* vertexCount, GLenum* mode)
{
    const DWORD cap = Host().maxPrimitiveCount ? Host().maxPrimitiveCount : kDefaultMaxPrimitiveCount;
    if (primitiveCount > cap) return D3DERR_INVALIDCALL; // the caller splits its draws
    *vertexCount = VertexCountFor(type, primitiveCount);
    *mode = GlPrimitive(type);
    if (*vertexCount == 0) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount)
{
    LogDraw("DrawPrimitive", type, primitiveCount);
    GLsizei count = 0;
    GLenum mode = 0;
    const HRESULT hr = DrawCommon(type, primitiveCount, &count, &mode);
    if (FAILED(hr) || LvD3D9_DrawsDropped()) return hr;
    if (!declaration_ || !streams_[0].buffer) return D3D_OK; // nothing bound: nothing drawn
    const StreamSource& s = streams_[0];
    if (s.stride == 0 ||
        size_t(s.offset) + (size_t(startVertex) + size_t(count)) * s.stride > s.buffer->Store().Length()) {
        return D3DERR_INVALIDCALL;
    }
    if (!PrepareDraw(declaration_->Pretransformed())) return D3DERR_INVALIDCALL;
    SetupVertices(0, 0, 0);
    glDrawArrays(mode, GLint(startVertex), count);
    Submitted(primitiveCount);
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT, UINT, UINT startIndex,
                                     UINT primitiveCount)
{
    LogDraw("DrawIndexedPrimitive", type, primitiveCount);
    GLsizei count = 0;
    GLenum mode = 0;
    const HRESULT hr = DrawCommon(type, primitiveCount, &count, &mode);
    if (FAILED(hr) || LvD3D9_DrawsDropped()) return hr;
    if (!declaration_ || !streams_[0].buffer || !indices_) return D3D_OK;
    const size_t indexSize = indices_->Format() == D3DFMT_INDEX32 ? 4 : 2;
    if ((size_t(startIndex) + size_t(count)) * indexSize > indices_->Store().Length() || streams_[0].stride == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (!PrepareDraw(declaration_->Pretransformed())) return D3DERR_INVALIDCALL;
    SetupVertices(0, 0, 0);
    const GLuint elements = indices_->Store().Name();
    if (elements != boundElementBuffer_) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, elements);
        boundElementBuffer_ = elements;
    }
    const GLenum indexType = indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
    const void* first = reinterpret_cast<const void*>(size_t(startIndex) * indexSize);
    if (baseVertex == 0)
        glDrawElements(mode, count, indexType, first); // the common case
    else
        glDrawElementsBaseVertex(mode, count, indexType, first, baseVertex);
    Submitted(primitiveCount);
    return D3D_OK;
}

void Device::StreamUpload(GLenum target, GLuint buffer, const void* data, size_t size)
{
    glBindBuffer(target, buffer);
    glBufferData(target, GLsizeiptr(size), nullptr, GL_STREAM_DRAW); // orphan: no wait on earlier draws
    glBufferSubData(target, 0, GLsizeiptr(size), data);
}

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices, UINT stride)
{
    LogDraw("DrawPrimitiveUP", type, primitiveCount);
    GLsizei count = 0;
    GLenum mode = 0;
    const HRESULT hr = DrawCommon(type, primitiveCount, &count, &mode);
    if (FAILED(hr) || LvD3D9_DrawsDropped()) return hr;
    if (!vertices || stride == 0 || !declaration_) return D3DERR_INVALIDCALL;
    if (!PrepareDraw(declaration_->Pretransformed())) return D3DERR_INVALIDCALL;
    StreamUpload(GL_ARRAY_BUFFER, streamVertexBuffer_, vertices, size_t(count) * stride);
    SetupVertices(streamVertexBuffer_, 0, stride);
    glDrawArrays(mode, 0, count);
    Submitted(primitiveCount);
    streams_[0] = StreamSource(); // Direct3D leaves stream 0 unset after a user-pointer draw
    return D3D_OK;
}

HRESULT Device::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minIndex, UINT numVertices, UINT primitiveCount,
                                       const void* indices, D3DFORMAT indexFormat, const void* vertices, UINT stride)
{
    LogDraw("DrawIndexedPrimitiveUP", type, primitiveCount);
    GLsizei count = 0;
    GLenum mode = 0;
    const HRESULT hr = DrawCommon(type, primitiveCount, &count, &mode);
    if (FAILED(hr) || LvD3D9_DrawsDropped()) return hr;
    if (!indices || !vertices || stride == 0 || !declaration_ ||
        (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    if (!PrepareDraw(declaration_->Pretransformed())) return D3DERR_INVALIDCALL;
    const size_t indexSize = indexFormat == D3DFMT_INDEX32 ? 4 : 2;
    StreamUpload(GL_ARRAY_BUFFER, streamVertexBuffer_, vertices, (size_t(minIndex) + numVertices) * stride);
    SetupVertices(streamVertexBuffer_, 0, stride);
    StreamUpload(GL_ELEMENT_ARRAY_BUFFER, streamIndexBuffer_, indices, size_t(count) * indexSize);
    boundElementBuffer_ = streamIndexBuffer_;
    glDrawElements(mode, count, indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT, nullptr);
    Submitted(primitiveCount);
    streams_[0] = StreamSource();
    indices_ = nullptr;
    return D3D_OK;
}

} // namespace lvd3d
