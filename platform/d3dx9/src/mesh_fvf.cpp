// Flexible vertex formats and vertex declarations, in both directions.
#include "MeshInternal.h"

#include <cstring>

namespace {

const HRESULT kInvalidCall = D3DERR_INVALIDCALL;

bool IsEnd(const D3DVERTEXELEMENT9& e)
{
    return e.Stream == 0xFF;
}

} // namespace

HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE])
{
    if (!declaration) return kInvalidCall;
    return LvDeclarationFromFvf(fvf, declaration) ? S_OK : kInvalidCall;
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
