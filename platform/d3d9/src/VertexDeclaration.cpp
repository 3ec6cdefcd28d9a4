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
    D3DVERTEXELEMENT9 elements[MAXD3DDECLLENGTH + 1];
    if ((fvf & D3DFVF_POSITION_MASK) == 0 || !LvDeclarationFromFvf(fvf, elements)) return false;
    for (const D3DVERTEXELEMENT9* e = elements;; ++e) {
        out.push_back(*e);
        if (e->Stream == 0xFF) return true;
    }
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

namespace {

const UINT kMaxTextureSets = 8;

// A float element of this many components.
BYTE FloatType(UINT count)
{
    return BYTE(D3DDECLTYPE_FLOAT1 + (count - 1));
}

// Texture set i's component count from the format's size bits.
UINT TexCoordCount(DWORD fvf, UINT set)
{
    switch ((fvf >> (16 + set * 2)) & 3u) {
    case D3DFVF_TEXTUREFORMAT1:
        return 1;
    case D3DFVF_TEXTUREFORMAT3:
        return 3;
    case D3DFVF_TEXTUREFORMAT4:
        return 4;
    default:
        return 2;
    }
}

} // namespace

bool LvDeclarationFromFvf(DWORD fvf, D3DVERTEXELEMENT9* declaration)
{
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD lastBeta = fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    const bool xyz = position != 0 && position != D3DFVF_XYZRHW && position != D3DFVF_XYZW;
    // XYZB1 holds one beta, XYZB5 five; with a last-beta flag the last of
    // them is the blend indices.
    const UINT betas = xyz && position >= D3DFVF_XYZB1 ? (position - D3DFVF_XYZRHW) / 2 : 0;
    const UINT weights = lastBeta && betas > 0 ? betas - 1 : betas;
    // At most eight texture sets: the format has size bits for eight only.
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (weights > 4 || sets > kMaxTextureSets) return false;
    UINT count = 0;
    WORD offset = 0;
    const auto add = [&](BYTE type, BYTE usage, BYTE usageIndex) {
        declaration[count++] = D3DVERTEXELEMENT9{0, offset, type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
        offset = WORD(offset + LvDeclTypeSize(type));
    };
    if (position == D3DFVF_XYZRHW) {
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
    } else if (position == D3DFVF_XYZW) {
        add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0);
    } else if (xyz) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
        if (weights > 0) add(FloatType(weights), D3DDECLUSAGE_BLENDWEIGHT, 0);
        if (lastBeta && betas > 0)
            add(lastBeta == D3DFVF_LASTBETA_UBYTE4 ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR,
                D3DDECLUSAGE_BLENDINDICES, 0);
    }
    if (fvf & D3DFVF_NORMAL) add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE) add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR) add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    for (UINT i = 0; i < sets; ++i) add(FloatType(TexCoordCount(fvf, i)), D3DDECLUSAGE_TEXCOORD, BYTE(i));
    declaration[count] = D3DVERTEXELEMENT9 D3DDECL_END();
    return true;
}

UINT LvDeclTypeSize(BYTE type)
{
    switch (type) {
    case D3DDECLTYPE_FLOAT1:
        return 4;
    case D3DDECLTYPE_FLOAT2:
        return 8;
    case D3DDECLTYPE_FLOAT3:
        return 12;
    case D3DDECLTYPE_FLOAT4:
        return 16;
    case D3DDECLTYPE_D3DCOLOR:
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_UBYTE4N:
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N:
    case D3DDECLTYPE_FLOAT16_2:
        return 4;
    case D3DDECLTYPE_SHORT4:
    case D3DDECLTYPE_SHORT4N:
    case D3DDECLTYPE_USHORT4N:
    case D3DDECLTYPE_FLOAT16_4:
        return 8;
    default:
        return 0;
    }
}
