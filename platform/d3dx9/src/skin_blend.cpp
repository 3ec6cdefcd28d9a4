// Conversion of a skinned mesh into an indexed blended mesh: per vertex up to
// four bone weights and a packed set of palette indices, faces grouped so that
// each group names no more bones than the palette holds.
#include "MeshInternal.h"
#include "SkinInternal.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

const DWORD kMaxInfluences = 4;
const DWORD kMaxPaletteSize = 65536;
// Palette indices are stored in bytes.
const DWORD kMaxAddressableEntries = 256;
const DWORD kNoBone = 0xFFFFFFFFu;

struct Influence
{
    DWORD bone;
    float weight;
};

struct VertexInfluences
{
    Influence slots[kMaxInfluences];
    DWORD count = 0;
};

// Every vertex's influences, largest weight first. A vertex with more than
// four keeps the four largest, rescaled so its weights still sum as before.
std::vector<VertexInfluences> GatherInfluences(const std::vector<LvBone>& bones, DWORD numVertices)
{
    std::vector<std::vector<Influence>> all(numVertices);
    for (DWORD b = 0; b < bones.size(); ++b)
        for (size_t i = 0; i < bones[b].vertices.size(); ++i)
            if (bones[b].weights[i] != 0.0f) all[bones[b].vertices[i]].push_back(Influence{b, bones[b].weights[i]});
    std::vector<VertexInfluences> out(numVertices);
    for (DWORD v = 0; v < numVertices; ++v) {
        std::vector<Influence>& list = all[v];
        std::stable_sort(list.begin(), list.end(),
                         [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
        float total = 0.0f, kept = 0.0f;
        for (const Influence& in : list) total += in.weight;
        out[v].count = (DWORD)std::min<size_t>(list.size(), kMaxInfluences);
        for (DWORD i = 0; i < out[v].count; ++i) {
            out[v].slots[i] = list[i];
            kept += list[i].weight;
        }
        if (list.size() > kMaxInfluences && kept != 0.0f)
            for (DWORD i = 0; i < out[v].count; ++i) out[v].slots[i].weight *= total / kept;
    }
    return out;
}

struct Group
{
    DWORD attribute = 0;
    std::vector<DWORD> faces;
    std::vector<DWORD> bones; // sorted
};

std::vector<DWORD> Union(const std::vector<DWORD>& a, const std::vector<DWORD>& b)
{
    std::vector<DWORD> out;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

// Faces grouped by attribute in ascending order, each attribute's faces in
// order, a new group whenever the next face's bones would overflow the palette.
bool GroupFaces(const std::vector<DWORD>& indices, const std::vector<DWORD>& attributes,
                const std::vector<VertexInfluences>& influences, DWORD paletteSize, std::vector<Group>* groups)
{
    std::vector<DWORD> order(attributes.size());
    for (DWORD f = 0; f < order.size(); ++f) order[f] = f;
    std::stable_sort(order.begin(), order.end(), [&](DWORD a, DWORD b) { return attributes[a] < attributes[b]; });
    for (DWORD f : order) {
        std::vector<DWORD> faceBones;
        for (int k = 0; k < 3; ++k) {
            const VertexInfluences& vi = influences[indices[(size_t)f * 3 + k]];
            for (DWORD i = 0; i < vi.count; ++i) faceBones.push_back(vi.slots[i].bone);
        }
        std::sort(faceBones.begin(), faceBones.end());
        faceBones.erase(std::unique(faceBones.begin(), faceBones.end()), faceBones.end());
        if (faceBones.size() > paletteSize) return false;
        if (groups->empty() || groups->back().attribute != attributes[f] ||
            Union(groups->back().bones, faceBones).size() > paletteSize) {
            groups->emplace_back();
            groups->back().attribute = attributes[f];
        }
        Group& g = groups->back();
        g.bones = Union(g.bones, faceBones);
        g.faces.push_back(f);
    }
    return true;
}

struct SourceMesh
{
    std::vector<DWORD> indices;
    std::vector<DWORD> attributes;
    D3DVERTEXELEMENT9 decl[MAX_FVF_DECL_SIZE];
    DWORD stride = 0;
    const BYTE* vertices = nullptr;
};

bool ReadSource(ID3DXMesh* mesh, SourceMesh* src)
{
    const DWORD numFaces = mesh->GetNumFaces();
    void* idx = nullptr;
    DWORD* attr = nullptr;
    if (FAILED(mesh->LockIndexBuffer(0, &idx)) || FAILED(mesh->LockAttributeBuffer(0, &attr))) return false;
    const bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
    src->indices.resize((size_t)numFaces * 3);
    for (size_t i = 0; i < src->indices.size(); ++i)
        src->indices[i] = wide ? static_cast<DWORD*>(idx)[i] : static_cast<WORD*>(idx)[i];
    src->attributes.assign(attr, attr + numFaces);
    mesh->UnlockAttributeBuffer();
    mesh->UnlockIndexBuffer();
    mesh->GetDeclaration(src->decl);
    src->stride = mesh->GetNumBytesPerVertex();
    for (DWORD v : src->indices)
        if (v >= mesh->GetNumVertices()) return false;
    return SUCCEEDED(mesh->LockVertexBuffer(0, (LPVOID*)&src->vertices));
}

void WriteBlendData(BYTE* vertex, DWORD maxInfl, const VertexInfluences& vi, const std::vector<DWORD>& palette)
{
    float weights[kMaxInfluences] = {0, 0, 0, 0};
    BYTE slots[4] = {0, 0, 0, 0};
    for (DWORD i = 0; i < vi.count; ++i) {
        weights[i] = vi.slots[i].weight;
        slots[i] = (BYTE)(std::lower_bound(palette.begin(), palette.end(), vi.slots[i].bone) - palette.begin());
    }
    // The last weight is implied (one minus the others), so only maxInfl - 1 are stored.
    std::memcpy(vertex + 12, weights, sizeof(float) * (maxInfl - 1));
    std::memcpy(vertex + 12 + sizeof(float) * (maxInfl - 1), slots, 4);
}

HRESULT MakeCombinationTable(const std::vector<Group>& groups, const std::vector<D3DXATTRIBUTERANGE>& ranges,
                             DWORD paletteSize, ID3DXBuffer** table)
{
    const size_t headerBytes = groups.size() * sizeof(D3DXBONECOMBINATION);
    HRESULT hr = D3DXCreateBuffer((DWORD)(headerBytes + groups.size() * paletteSize * sizeof(DWORD)), table);
    if (FAILED(hr)) return hr;
    BYTE* base = static_cast<BYTE*>((*table)->GetBufferPointer());
    D3DXBONECOMBINATION* combos = reinterpret_cast<D3DXBONECOMBINATION*>(base);
    DWORD* ids = reinterpret_cast<DWORD*>(base + headerBytes);
    for (size_t g = 0; g < groups.size(); ++g) {
        combos[g] = D3DXBONECOMBINATION{groups[g].attribute,   ranges[g].FaceStart,   ranges[g].FaceCount,
                                        ranges[g].VertexStart, ranges[g].VertexCount, ids + g * paletteSize};
        for (DWORD i = 0; i < paletteSize; ++i)
            combos[g].BoneId[i] = i < groups[g].bones.size() ? groups[g].bones[i] : kNoBone;
    }
    return S_OK;
}

} // namespace

HRESULT LvSkinInfo::ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize, const DWORD*,
                                                LPDWORD adjacencyOut, DWORD* faceRemap, LPD3DXBUFFER* vertexRemap,
                                                DWORD* maxVertexInfluences, DWORD* numBoneCombinations,
                                                LPD3DXBUFFER* boneCombinationTable, LPD3DXMESH* newMesh)
{
    if (!mesh || !newMesh || paletteSize == 0 || paletteSize > kMaxPaletteSize) return D3DERR_INVALIDCALL;
    if (mesh->GetNumVertices() != mNumVertices || mesh->GetFVF() == 0) return D3DERR_INVALIDCALL;
    *newMesh = nullptr;
    if (boneCombinationTable) *boneCombinationTable = nullptr;
    if (vertexRemap) *vertexRemap = nullptr;
    const std::vector<VertexInfluences> influences = GatherInfluences(mBones, mNumVertices);
    DWORD maxInfl = 1;
    for (const VertexInfluences& vi : influences) maxInfl = std::max(maxInfl, vi.count);
    SourceMesh src;
    std::vector<Group> groups;
    if (!ReadSource(mesh, &src)) return D3DERR_INVALIDCALL;
    const bool grouped =
        GroupFaces(src.indices, src.attributes, influences, std::min(paletteSize, kMaxAddressableEntries), &groups);
    // Each group gets its own copy of the vertices it uses, in ascending order.
    std::vector<DWORD> vertexMap, newIndices, newFaceMap, newAttributes, slotOfVertex(mNumVertices, kNoBone);
    std::vector<DWORD> vertexGroup;
    for (DWORD g = 0; grouped && g < groups.size(); ++g) {
        std::vector<DWORD> used;
        for (DWORD f : groups[g].faces)
            for (int k = 0; k < 3; ++k) used.push_back(src.indices[(size_t)f * 3 + k]);
        std::sort(used.begin(), used.end());
        used.erase(std::unique(used.begin(), used.end()), used.end());
        for (DWORD v : used) {
            slotOfVertex[v] = (DWORD)vertexMap.size();
            vertexMap.push_back(v);
            vertexGroup.push_back(g);
        }
        for (DWORD f : groups[g].faces) {
            for (int k = 0; k < 3; ++k) newIndices.push_back(slotOfVertex[src.indices[(size_t)f * 3 + k]]);
            newFaceMap.push_back(f);
            newAttributes.push_back(g);
        }
    }
    const DWORD posBits = D3DFVF_XYZB1 + 2 * (maxInfl - 1); // XYZB1 for one influence, up to XYZB4
    const DWORD fvf = (mesh->GetFVF() & ~(D3DFVF_POSITION_MASK | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) |
                      posBits | D3DFVF_LASTBETA_UBYTE4;
    IDirect3DDevice9* device = nullptr;
    mesh->GetDevice(&device);
    ID3DXMesh* out = nullptr;
    HRESULT hr = grouped ? D3DXCreateMeshFVF(mesh->GetNumFaces(), (DWORD)vertexMap.size(), options, fvf, device, &out)
                         : D3DERR_INVALIDCALL;
    if (device) device->Release();
    if (FAILED(hr)) {
        mesh->UnlockVertexBuffer();
        return hr;
    }
    D3DVERTEXELEMENT9 dstDecl[MAX_FVF_DECL_SIZE];
    out->GetDeclaration(dstDecl);
    BYTE* dst = nullptr;
    const DWORD stride = out->GetNumBytesPerVertex();
    out->LockVertexBuffer(0, (LPVOID*)&dst);
    LvCopyVertices(src.decl, src.stride, src.vertices, dstDecl, stride, dst, vertexMap.data(), (DWORD)vertexMap.size());
    mesh->UnlockVertexBuffer();
    for (size_t v = 0; v < vertexMap.size(); ++v)
        WriteBlendData(dst + v * stride, maxInfl, influences[vertexMap[v]], groups[vertexGroup[v]].bones);
    hr = out->UnlockVertexBuffer();
    void* idx = nullptr;
    out->LockIndexBuffer(0, &idx);
    for (size_t i = 0; i < newIndices.size(); ++i) {
        if (options & D3DXMESH_32BIT)
            static_cast<DWORD*>(idx)[i] = newIndices[i];
        else
            static_cast<WORD*>(idx)[i] = (WORD)newIndices[i];
    }
    DWORD* attr = nullptr;
    out->LockAttributeBuffer(0, &attr);
    std::copy(newAttributes.begin(), newAttributes.end(), attr);
    out->UnlockAttributeBuffer();
    const HRESULT hrIndices = out->UnlockIndexBuffer();
    if (SUCCEEDED(hr)) hr = hrIndices;
    std::vector<D3DXATTRIBUTERANGE> ranges(groups.size());
    DWORD rangeCount = (DWORD)ranges.size();
    out->GetAttributeTable(nullptr, &rangeCount);
    if (SUCCEEDED(hr) && rangeCount != groups.size()) hr = E_FAIL;
    if (SUCCEEDED(hr)) out->GetAttributeTable(ranges.data(), &rangeCount);
    if (SUCCEEDED(hr) && boneCombinationTable)
        hr = MakeCombinationTable(groups, ranges, paletteSize, boneCombinationTable);
    if (SUCCEEDED(hr) && vertexRemap && SUCCEEDED(hr = D3DXCreateBuffer((DWORD)(vertexMap.size() * 4), vertexRemap)))
        std::memcpy((*vertexRemap)->GetBufferPointer(), vertexMap.data(), vertexMap.size() * 4);
    if (FAILED(hr)) {
        out->Release();
        if (boneCombinationTable && *boneCombinationTable)
            (*boneCombinationTable)->Release(), *boneCombinationTable = nullptr;
        return hr;
    }
    if (faceRemap) std::copy(newFaceMap.begin(), newFaceMap.end(), faceRemap);
    if (adjacencyOut) out->GenerateAdjacency(0.0f, adjacencyOut);
    if (maxVertexInfluences) *maxVertexInfluences = maxInfl;
    if (numBoneCombinations) *numBoneCombinations = (DWORD)groups.size();
    *newMesh = out;
    return S_OK;
}
