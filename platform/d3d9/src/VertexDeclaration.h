// Vertex declarations, turned once into the GL attribute layout the device
// aims its attribute pointers with. Locations follow d3d9_program.h.
#pragma once

#include <d3d9.h>

#include "GL.h"
#include "RefCounted.h"

#include <vector>

namespace lvd3d {

class Device;

struct GlAttribute
{
    GLuint location;
    GLint size; // components, or GL_BGRA for D3DCOLOR
    GLenum type;
    GLboolean normalized;
    bool integer; // blend indices reach the shader as integers
    GLuint offset;
    WORD stream;
};

class VertexDeclaration final : public RefCounted<IDirect3DVertexDeclaration9>
{
public:
    // counted: made through the device interface (false for the device's own FVF declarations).
    VertexDeclaration(Device* device, const D3DVERTEXELEMENT9* elements, bool counted);
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count) override;

    bool Valid() const { return valid_; }
    const std::vector<GlAttribute>& Attributes() const { return attributes_; }
    uint32_t LocationMask() const { return locationMask_; }
    bool Pretransformed() const { return pretransformed_; }

private:
    ~VertexDeclaration() override;
    Device* device_;
    bool counted_;
    bool valid_ = true;
    bool pretransformed_ = false;
    uint32_t locationMask_ = 0;
    std::vector<D3DVERTEXELEMENT9> elements_; // with the end marker
    std::vector<GlAttribute> attributes_;
};

// The declaration an FVF code stands for (LvDeclarationFromFvf); false when
// the code has no position or is refused.
bool DeclarationFromFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& elements);
// Attribute location for a usage, or -1 when the stand-in has none for it.
int AttributeLocation(BYTE usage, BYTE usageIndex);

} // namespace lvd3d
