// Helpers shared by the mesh, skin and loader sources of the D3DX stand-in.
#pragma once

#include <d3dx9mesh.h>

#include <string>
#include <vector>

// Three neighbours per face (UINT_MAX for an open edge) from shared vertex indices.
std::vector<DWORD> LvComputeAdjacency(const void* indices, bool indices32, DWORD numFaces);

// Copies vertices between two layouts, element by element matched on usage
// and usage index. Float elements convert between sizes (missing components
// are zero); other elements copy only between equal types; elements the
// source lacks are zero. vertexMap[i] is the source vertex of target vertex i.
void LvCopyVertices(const D3DVERTEXELEMENT9* srcDecl, UINT srcStride, const BYTE* src, const D3DVERTEXELEMENT9* dstDecl,
                    UINT dstStride, BYTE* dst, const DWORD* vertexMap, DWORD numVertices);

// The byte offset of the first element with this usage, or -1.
int LvFindElement(const D3DVERTEXELEMENT9* decl, BYTE usage, BYTE usageIndex, BYTE* type = nullptr);
