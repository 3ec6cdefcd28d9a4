// Vertex declarations and FVF codes.
#include "VertexDeclaration.h"

#include "Device.h"

namespace lvd3d {

namespace {

constexpr int kMaxElements = MAXD3DDECLLENGTH;

bool GlFormat(BYTE type, bool integerIndices, GlAttribute& a)
{
    a.integer = false;
    a.normalized = GL_FALSE;
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
        a.size = 1;
        a.type = GL_FLOAT;
        break;
    case D3DDECLTYPE_FLOAT2:
        a.size = 2;
        a.type = GL_FLOAT;
        break;
    case D3DDECLTYPE_FLOAT3:
        a.size = 3;
        a.type = GL_FLOAT;
        break;
    case D3DDECLTYPE_FLOAT4:
        a.size = 4;
        a.type = GL_FLOAT;
        break;
    case D3DDECLTYPE_D3DCOLOR:
        a.type = GL_UNSIGNED_BYTE;
        if (integerIndices) {
            a.size = 4; // the bytes in memory order, as the skinning conversion wrote them
        } else {
            a.size = GL_BGRA;
            a.normalized = GL_TRUE;
        }
        break;
    case D3DDECLTYPE_UBYTE4:
        a.size = 4;
        a.type = GL_UNSIGNED_BYTE;
        break;
    case D3DDECLTYPE_UBYTE4N:
        a.size = 4;
        a.type = GL_UNSIGNED_BYTE;
        a.normalized = GL_TRUE;
        break;
    case D3DDECLTYPE_SHORT2:
        a.size = 2;
        a.type = GL_SHORT;
        break;
    case D3DDECLTYPE_SHORT4:
        a.size = 4;
        a.type = GL_SHORT;
        break;
    case D3DDECLTYPE_SHORT2N:
        a.size = 2;
        a.type = GL_SHORT;
        a.normalized = GL_TRUE;
        break;
    case D3DDECLTYPE_SHORT4N:
        a.size = 4;
        a.type = GL_SHORT;
        a.normalized = GL_TRUE;
        break;
    case D3DDECLTYPE_USHORT2N:
        a.size = 2;
        a.type = GL_UNSIGNED_SHORT;
        a.normalized = GL_TRUE;
        break;
    case D3DDECLTYPE_USHORT4N:
        a.size = 4;
        a.type = GL_UNSIGNED_SHORT;
        a.normalized = GL_TRUE;
        break;
    case D3DDECLTYPE_FLOAT16_2:
        a.size = 2;
        a.type = GL_HALF_FLOAT;
        break;
    case D3DDECLTYPE_FLOAT16_4:
        a.size = 4;
        a.type = GL_HALF_FLOAT;
        break;
    default:
        return false;
    }
    if (integerIndices) {
        a.integer = a.type == GL_UNSIGNED_BYTE || a.type == GL_SHORT || a.type == GL_UNSIGNED_SHORT;
    }
    return true;
}

void Add(std::vector<D3DVERTEXELEMENT9>& out, WORD& offset, BYTE type, BYTE usage, BYTE index, WORD size)
{
    out.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
    offset = WORD(offset + size);
}

} // namespace

int AttributeLocation(BYTE usage, BYTE usageIndex)
{
    switch (usage) {
    case D3DDECLUSAGE_POSITION:
    case D3DDECLUSAGE_POSITIONT:
        return usageIndex == 0 ? 0 : -1;
    case D3DDECLUSAGE_NORMAL:
        return usageIndex == 0 ? 1 : -1;
    case D3DDECLUSAGE_TEXCOORD:
        if (usageIndex <= 2) return 2 + usageIndex;
        return usageIndex == 3 ? 8 : -1;
    case D3DDECLUSAGE_BLENDWEIGHT:
        return usageIndex == 0 ? 5 : -1;
    case D3DDECLUSAGE_BLENDINDICES:
        return usageIndex == 0 ? 6 : -1;
    case D3DDECLUSAGE_COLOR:
        return usageIndex == 0 ? 7 : (usageIndex == 1 ? 11 : -1);
    case D3DDECLUSAGE_TANGENT:
        return usageIndex == 0 ? 9 : -1;
    case D3DDECLUSAGE_BINORMAL:
        return usageIndex == 0 ? 10 : -1;
    default:
        return -1;
    }
}

bool DeclarationFromFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& out)
{
    out.clear();
    WORD offset = 0;
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    if (position == D3DFVF_XYZRHW) {
        Add(out, offset, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0, 16);
    } else if (position == D3DFVF_XYZW) {
        Add(out, offset, D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0, 16);
    } else if (position >= D3DFVF_XYZ && position <= D3DFVF_XYZB5) {
        Add(out, offset, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
        const int betas = int(position - D3DFVF_XYZ) / 2;
        const bool lastIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
        const int weights = lastIndices ? betas - 1 : betas;
        if (weights > 0)
            Add(out, offset, BYTE(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0, WORD(4 * weights));
        if (lastIndices) {
            const BYTE type = (fvf & D3DFVF_LASTBETA_D3DCOLOR) ? D3DDECLTYPE_D3DCOLOR : D3DDECLTYPE_UBYTE4;
            Add(out, offset, type, D3DDECLUSAGE_BLENDINDICES, 0, 4);
        }
    } else {
        return false;
    }
    if (fvf & D3DFVF_NORMAL) Add(out, offset, D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    if (fvf & D3DFVF_PSIZE) Add(out, offset, D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0, 4);
    if (fvf & D3DFVF_DIFFUSE) Add(out, offset, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    if (fvf & D3DFVF_SPECULAR) Add(out, offset, D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1, 4);
    const DWORD texCount = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (DWORD i = 0; i < texCount && i < 8; ++i) {
        const DWORD sizeCode = (fvf >> (i * 2 + 16)) & 3u;
        const int components = sizeCode == D3DFVF_TEXTUREFORMAT1   ? 1
                               : sizeCode == D3DFVF_TEXTUREFORMAT3 ? 3
                               : sizeCode == D3DFVF_TEXTUREFORMAT4 ? 4
                                                                   : 2;
        Add(out, offset, BYTE(D3DDECLTYPE_FLOAT1 + components - 1), D3DDECLUSAGE_TEXCOORD, BYTE(i),
            WORD(4 * components));
    }
    out.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
    return true;
}

VertexDeclaration::VertexDeclaration(Device* device, const D3DVERTEXELEMENT9* elements, bool counted)
    : device_(device), counted_(counted)
{
    if (counted_) device_->ChildCreated();
    for (int i = 0; i < kMaxElements && elements[i].Stream != 0xFF; ++i) {
        const D3DVERTEXELEMENT9& e = elements[i];
        elements_.push_back(e);
        if (e.Usage == D3DDECLUSAGE_POSITIONT) pretransformed_ = true;
        const int location = AttributeLocation(e.Usage, e.UsageIndex);
        if (location < 0) continue; // no shader input takes it
        GlAttribute a = {};
        a.location = GLuint(location);
        a.offset = e.Offset;
        a.stream = e.Stream;
        if (e.Stream >= kMaxStreams || !GlFormat(e.Type, e.Usage == D3DDECLUSAGE_BLENDINDICES, a)) {
            valid_ = false;
            continue;
        }
        if (locationMask_ & (1u << location)) continue; // the first element of a usage wins
        locationMask_ |= 1u << location;
        attributes_.push_back(a);
    }
    elements_.push_back(D3DVERTEXELEMENT9 D3DDECL_END());
}

VertexDeclaration::~VertexDeclaration()
{
    if (counted_) {
        device_->ForgetDeclaration(this);
        device_->ChildDestroyed();
    }
}

HRESULT VertexDeclaration::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

HRESULT VertexDeclaration::GetDeclaration(D3DVERTEXELEMENT9* elements, UINT* count)
{
    if (!count) return D3DERR_INVALIDCALL;
    if (elements) {
        for (size_t i = 0; i < elements_.size(); ++i) elements[i] = elements_[i];
    }
    *count = UINT(elements_.size());
    return D3D_OK;
}

} // namespace lvd3d
