// Flexible vertex formats and vertex declarations, in both directions.
#include "MeshInternal.h"

#include <cstring>

namespace {

const HRESULT kInvalidCall = D3DERR_INVALIDCALL;

} // namespace

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

namespace {

BYTE FloatType(UINT count)
{
    return (BYTE)(D3DDECLTYPE_FLOAT1 + (count - 1));
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

class DeclBuilder
{
public:
    explicit DeclBuilder(D3DVERTEXELEMENT9* out) : mOut(out) {}
    void Add(BYTE type, BYTE usage, BYTE usageIndex)
    {
        mOut[mCount++] = D3DVERTEXELEMENT9{0, (WORD)mOffset, type, D3DDECLMETHOD_DEFAULT, usage, usageIndex};
        mOffset += LvDeclTypeSize(type);
    }
    void End() { mOut[mCount] = D3DVERTEXELEMENT9 D3DDECL_END(); }

private:
    D3DVERTEXELEMENT9* mOut;
    UINT mCount = 0;
    UINT mOffset = 0;
};

bool IsEnd(const D3DVERTEXELEMENT9& e)
{
    return e.Stream == 0xFF;
}

} // namespace

HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE])
{
    if (!declaration) return kInvalidCall;
    DeclBuilder b(declaration);
    const DWORD position = fvf & D3DFVF_POSITION_MASK;
    const DWORD lastBeta = fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR);
    if (position == D3DFVF_XYZRHW) {
        b.Add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0);
    } else if (position == D3DFVF_XYZW) {
        b.Add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0);
    } else if (position != 0) {
        b.Add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0);
        const UINT betas = position >= D3DFVF_XYZB1 ? (position - D3DFVF_XYZRHW) / 2 : 0; // XYZB1 holds one
        const UINT weights = lastBeta ? betas - (betas > 0 ? 1 : 0) : betas;
        if (weights > 4) return kInvalidCall;
        if (weights > 0) b.Add(FloatType(weights), D3DDECLUSAGE_BLENDWEIGHT, 0);
        if (lastBeta && betas > 0)
            b.Add(lastBeta == D3DFVF_LASTBETA_UBYTE4 ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR,
                  D3DDECLUSAGE_BLENDINDICES, 0);
    }
    if (fvf & D3DFVF_NORMAL) b.Add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0);
    if (fvf & D3DFVF_PSIZE) b.Add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0);
    if (fvf & D3DFVF_DIFFUSE) b.Add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0);
    if (fvf & D3DFVF_SPECULAR) b.Add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1);
    const UINT sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    for (UINT i = 0; i < sets; ++i) b.Add(FloatType(TexCoordCount(fvf, i)), D3DDECLUSAGE_TEXCOORD, (BYTE)i);
    b.End();
    return S_OK;
}

UINT D3DXGetDeclLength(const D3DVERTEXELEMENT9* declaration)
{
    UINT n = 0;
    while (n < MAXD3DDECLLENGTH && !IsEnd(declaration[n])) ++n;
    return n;
}

UINT D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* declaration, DWORD stream)
{
    UINT size = 0;
    for (UINT i = 0, n = D3DXGetDeclLength(declaration); i < n; ++i) {
        const D3DVERTEXELEMENT9& e = declaration[i];
        if (e.Stream == stream && e.Offset + LvDeclTypeSize(e.Type) > size) size = e.Offset + LvDeclTypeSize(e.Type);
    }
    return size;
}

UINT D3DXGetFVFVertexSize(DWORD fvf)
{
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    if (FAILED(D3DXDeclaratorFromFVF(fvf, decl))) return 0;
    return D3DXGetDeclVertexSize(decl, 0);
}

HRESULT D3DXFVFFromDeclarator(const D3DVERTEXELEMENT9* declaration, DWORD* fvf)
{
    if (!declaration || !fvf) return kInvalidCall;
    *fvf = 0;
    // Try every layout a format can describe: the format is whatever the
    // declaration's elements ask for, and it must rebuild the same declaration.
    DWORD guess = 0;
    UINT weights = 0, texSets = 0;
    bool indices = false;
    BYTE indexType = 0;
    for (UINT i = 0, n = D3DXGetDeclLength(declaration); i < n; ++i) {
        const D3DVERTEXELEMENT9& e = declaration[i];
        switch (e.Usage) {
        case D3DDECLUSAGE_POSITION:
            guess |= e.Type == D3DDECLTYPE_FLOAT4 ? D3DFVF_XYZW : D3DFVF_XYZ;
            break;
        case D3DDECLUSAGE_POSITIONT:
            guess |= D3DFVF_XYZRHW;
            break;
        case D3DDECLUSAGE_BLENDWEIGHT:
            weights = LvDeclTypeSize(e.Type) / 4;
            break;
        case D3DDECLUSAGE_BLENDINDICES:
            indices = true;
            indexType = e.Type;
            break;
        case D3DDECLUSAGE_NORMAL:
            guess |= D3DFVF_NORMAL;
            break;
        case D3DDECLUSAGE_PSIZE:
            guess |= D3DFVF_PSIZE;
            break;
        case D3DDECLUSAGE_COLOR:
            guess |= e.UsageIndex == 0 ? D3DFVF_DIFFUSE : D3DFVF_SPECULAR;
            break;
        case D3DDECLUSAGE_TEXCOORD: {
            ++texSets;
            const UINT count = LvDeclTypeSize(e.Type) / 4;
            const DWORD format = count == 1   ? D3DFVF_TEXTUREFORMAT1
                                 : count == 3 ? D3DFVF_TEXTUREFORMAT3
                                 : count == 4 ? D3DFVF_TEXTUREFORMAT4
                                              : D3DFVF_TEXTUREFORMAT2;
            guess |= format << (16 + e.UsageIndex * 2);
            break;
        }
        default:
            return kInvalidCall;
        }
    }
    const UINT betas = weights + (indices ? 1 : 0);
    if (betas > 0) {
        if ((guess & D3DFVF_POSITION_MASK) != D3DFVF_XYZ || betas > 5) return kInvalidCall;
        guess = (guess & ~D3DFVF_POSITION_MASK) | (D3DFVF_XYZRHW + 2 * betas);
        if (indices) guess |= indexType == D3DDECLTYPE_UBYTE4 ? D3DFVF_LASTBETA_UBYTE4 : D3DFVF_LASTBETA_D3DCOLOR;
    }
    if (texSets > 8) return kInvalidCall;
    guess |= texSets << D3DFVF_TEXCOUNT_SHIFT;
    D3DVERTEXELEMENT9 rebuilt[MAX_FVF_DECL_SIZE];
    if (FAILED(D3DXDeclaratorFromFVF(guess, rebuilt))) return kInvalidCall;
    const UINT n = D3DXGetDeclLength(declaration);
    if (D3DXGetDeclLength(rebuilt) != n) return kInvalidCall;
    for (UINT i = 0; i < n; ++i)
        if (std::memcmp(&rebuilt[i], &declaration[i], sizeof(D3DVERTEXELEMENT9)) != 0) return kInvalidCall;
    *fvf = guess;
    return S_OK;
}
