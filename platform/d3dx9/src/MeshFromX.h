// Turning the .x reader's plain data into D3DX objects.
#pragma once

#include <d3dx9mesh.h>

#include "xfile/XScene.h"

// A mesh of 32-byte vertices (position, normal, texture coordinates) and
// 16-bit indices, in the data's order.
HRESULT LvCreateMeshFromData(const XMeshData& data, DWORD options, IDirect3DDevice9* device, ID3DXMesh** mesh);
// D3DXMATERIAL array followed by the texture names it points at.
HRESULT LvCreateMaterialBuffer(const std::vector<XMaterialData>& materials, ID3DXBuffer** buffer);
// One empty effect instance per material.
HRESULT LvCreateEffectInstanceBuffer(size_t count, ID3DXBuffer** buffer);
HRESULT LvCreateAdjacencyBuffer(ID3DXMesh* mesh, ID3DXBuffer** buffer);
// Skin information of the data's bones; null without SkinWeights.
HRESULT LvCreateSkinInfo(const XMeshData& data, ID3DXSkinInfo** skin);
