// D3DX mesh stand-in: meshes held as CPU vertex, index and attribute data,
// mirrored into device buffers when a device is given, the skin information
// of a skinned mesh, and the single-mesh .x loader.
#pragma once

#include <d3d9.h>
#include "d3dx9math.h"
#include "d3dx9core.h"

// Mesh creation options.
#define D3DXMESH_32BIT 0x001u
#define D3DXMESH_DONOTCLIP 0x002u
#define D3DXMESH_POINTS 0x004u
#define D3DXMESH_RTPATCHES 0x008u
#define D3DXMESH_VB_SYSTEMMEM 0x010u
#define D3DXMESH_VB_MANAGED 0x020u
#define D3DXMESH_VB_WRITEONLY 0x040u
#define D3DXMESH_VB_DYNAMIC 0x080u
#define D3DXMESH_IB_SYSTEMMEM 0x100u
#define D3DXMESH_IB_MANAGED 0x200u
#define D3DXMESH_IB_WRITEONLY 0x400u
#define D3DXMESH_IB_DYNAMIC 0x800u
#define D3DXMESH_VB_SHARE 0x1000u
#define D3DXMESH_USEHWONLY 0x2000u
#define D3DXMESH_NPATCHES 0x4000u
#define D3DXMESH_VB_SOFTWAREPROCESSING 0x8000u
#define D3DXMESH_IB_SOFTWAREPROCESSING 0x10000u
#define D3DXMESH_SYSTEMMEM 0x110u
#define D3DXMESH_MANAGED 0x220u
#define D3DXMESH_WRITEONLY 0x440u
#define D3DXMESH_DYNAMIC 0x880u
#define D3DXMESH_SOFTWAREPROCESSING 0x18000u

// Optimisation flags: accepted and ignored (the mesh keeps its face order).
#define D3DXMESHOPT_DEVICEINDEPENDENT 0x00400000u
#define D3DXMESHOPT_COMPACT 0x01000000u
#define D3DXMESHOPT_ATTRSORT 0x02000000u
#define D3DXMESHOPT_VERTEXCACHE 0x04000000u
#define D3DXMESHOPT_STRIPREORDER 0x08000000u
#define D3DXMESHOPT_IGNOREVERTS 0x10000000u
#define D3DXMESHOPT_DONOTSPLIT 0x20000000u

#define MAX_FVF_DECL_SIZE (MAXD3DDECLLENGTH + 1)

struct ID3DXMesh;
struct ID3DXSkinInfo;
typedef ID3DXMesh* LPD3DXMESH;
typedef ID3DXSkinInfo* LPD3DXSKININFO;

enum D3DXMESHDATATYPE : DWORD {
    D3DXMESHTYPE_MESH = 1,
    D3DXMESHTYPE_PMESH = 2,
    D3DXMESHTYPE_PATCHMESH = 3,
    D3DXMESHDATA_MESH = D3DXMESHTYPE_MESH,
    D3DXMESHTYPE_FORCE_DWORD = 0x7fffffff
};

// Only plain meshes are produced.
struct D3DXMESHDATA
{
    D3DXMESHDATATYPE Type;
    union {
        LPD3DXMESH pMesh;
        void* pPMesh;
        void* pPatchMesh;
    };
};
typedef D3DXMESHDATA* LPD3DXMESHDATA;

struct D3DXMATERIAL
{
    D3DMATERIAL9 MatD3D;
    LPSTR pTextureFilename;
};
typedef D3DXMATERIAL* LPD3DXMATERIAL;

enum D3DXEFFECTDEFAULTTYPE : DWORD {
    D3DXEDT_STRING = 1,
    D3DXEDT_FLOATS = 2,
    D3DXEDT_DWORD = 3,
    D3DXEDT_FORCEDWORD = 0x7fffffff
};

struct D3DXEFFECTDEFAULT
{
    LPSTR pParamName;
    D3DXEFFECTDEFAULTTYPE Type;
    DWORD NumBytes;
    LPVOID pValue;
};
typedef D3DXEFFECTDEFAULT* LPD3DXEFFECTDEFAULT;

// One per material; files of this game carry no effect instances, so every
// instance is empty.
struct D3DXEFFECTINSTANCE
{
    LPSTR pEffectFilename;
    DWORD NumDefaults;
    LPD3DXEFFECTDEFAULT pDefaults;
};
typedef D3DXEFFECTINSTANCE* LPD3DXEFFECTINSTANCE;

struct D3DXATTRIBUTERANGE
{
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
};
typedef D3DXATTRIBUTERANGE* LPD3DXATTRIBUTERANGE;

// One attribute group of an indexed blended mesh: BoneId[i] is the bone whose
// matrix goes into palette entry i, UINT_MAX when the entry is unused.
struct D3DXBONECOMBINATION
{
    DWORD AttribId;
    DWORD FaceStart;
    DWORD FaceCount;
    DWORD VertexStart;
    DWORD VertexCount;
    DWORD* BoneId;
};
typedef D3DXBONECOMBINATION* LPD3DXBONECOMBINATION;

struct ID3DXBaseMesh : public IUnknown
{
    // Draws the faces of one attribute through the mesh's own vertex declaration.
    virtual HRESULT DrawSubset(DWORD attribId) = 0;
    virtual DWORD GetNumFaces() = 0;
    virtual DWORD GetNumVertices() = 0;
    // Zero when the vertex layout cannot be written as a flexible format.
    virtual DWORD GetFVF() = 0;
    virtual HRESULT GetDeclaration(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) = 0;
    virtual DWORD GetNumBytesPerVertex() = 0;
    virtual DWORD GetOptions() = 0;
    // Fails with a null result on a mesh built without a device.
    virtual HRESULT GetDevice(LPDIRECT3DDEVICE9* device) = 0;
    virtual HRESULT CloneMeshFVF(DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device, LPD3DXMESH* cloneMesh) = 0;
    virtual HRESULT CloneMesh(DWORD options, const D3DVERTEXELEMENT9* declaration, LPDIRECT3DDEVICE9 device,
                              LPD3DXMESH* cloneMesh) = 0;
    virtual HRESULT GetVertexBuffer(LPDIRECT3DVERTEXBUFFER9* vertexBuffer) = 0;
    virtual HRESULT GetIndexBuffer(LPDIRECT3DINDEXBUFFER9* indexBuffer) = 0;
    // The CPU copy; unlocking sends it to the device buffer when there is one.
    virtual HRESULT LockVertexBuffer(DWORD flags, LPVOID* data) = 0;
    virtual HRESULT UnlockVertexBuffer() = 0;
    virtual HRESULT LockIndexBuffer(DWORD flags, LPVOID* data) = 0;
    virtual HRESULT UnlockIndexBuffer() = 0;
    virtual HRESULT GetAttributeTable(D3DXATTRIBUTERANGE* table, DWORD* tableSize) = 0;
    // Three neighbour faces per face (UINT_MAX for an open edge), found by
    // shared vertex indices.
    virtual HRESULT GenerateAdjacency(FLOAT epsilon, DWORD* adjacency) = 0;
    // Replaces the declaration by one of the same vertex size.
    virtual HRESULT UpdateSemantics(D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]) = 0;
};
typedef ID3DXBaseMesh* LPD3DXBASEMESH;

struct ID3DXMesh : public ID3DXBaseMesh
{
    virtual HRESULT LockAttributeBuffer(DWORD flags, DWORD** data) = 0;
    virtual HRESULT UnlockAttributeBuffer() = 0;
    virtual HRESULT SetAttributeTable(const D3DXATTRIBUTERANGE* table, DWORD tableSize) = 0;
};

struct ID3DXSkinInfo : public IUnknown
{
    virtual DWORD GetNumBones() = 0;
    virtual LPCSTR GetBoneName(DWORD bone) = 0;
    virtual HRESULT SetBoneName(DWORD bone, LPCSTR name) = 0;
    virtual LPD3DXMATRIX GetBoneOffsetMatrix(DWORD bone) = 0;
    virtual HRESULT SetBoneOffsetMatrix(DWORD bone, const D3DXMATRIX* offset) = 0;
    virtual DWORD GetNumBoneInfluences(DWORD bone) = 0;
    virtual HRESULT GetBoneInfluence(DWORD bone, DWORD* vertices, FLOAT* weights) = 0;
    virtual HRESULT SetBoneInfluence(DWORD bone, DWORD numInfluences, const DWORD* vertices, const FLOAT* weights) = 0;
    virtual HRESULT GetMaxVertexInfluences(DWORD* maxVertexInfluences) = 0;
    virtual DWORD GetFVF() = 0;
    // Each vertex keeps its four largest weights. Faces are grouped per
    // material, each group naming at most paletteSize bones; the new mesh's
    // attribute is the group index, so DrawSubset(i) draws group i.
    virtual HRESULT ConvertToIndexedBlendedMesh(LPD3DXMESH mesh, DWORD options, DWORD paletteSize,
                                                const DWORD* adjacencyIn, LPDWORD adjacencyOut, DWORD* faceRemap,
                                                LPD3DXBUFFER* vertexRemap, DWORD* maxVertexInfluences,
                                                DWORD* numBoneCombinations, LPD3DXBUFFER* boneCombinationTable,
                                                LPD3DXMESH* newMesh) = 0;
};

HRESULT D3DXCreateMeshFVF(DWORD numFaces, DWORD numVertices, DWORD options, DWORD fvf, LPDIRECT3DDEVICE9 device,
                          LPD3DXMESH* mesh);
HRESULT D3DXCreateMesh(DWORD numFaces, DWORD numVertices, DWORD options, const D3DVERTEXELEMENT9* declaration,
                       LPDIRECT3DDEVICE9 device, LPD3DXMESH* mesh);
HRESULT D3DXCreateSkinInfoFVF(DWORD numVertices, DWORD fvf, DWORD numBones, LPD3DXSKININFO* skinInfo);

// Loads every mesh of a text .x file as one mesh: frame transforms applied,
// vertices in file order, position, normal and one texture coordinate pair
// per vertex (32 bytes), 16-bit indices. The device may be null. The optional
// outputs get the adjacency (3 DWORDs per face), the materials (D3DXMATERIAL
// array with texture names inside the same buffer), one empty effect
// instance per material, and the material count.
HRESULT D3DXLoadMeshFromXW(LPCWSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh);
HRESULT D3DXLoadMeshFromXA(LPCSTR filename, DWORD options, LPDIRECT3DDEVICE9 device, LPD3DXBUFFER* adjacency,
                           LPD3DXBUFFER* materials, LPD3DXBUFFER* effectInstances, DWORD* numMaterials,
                           LPD3DXMESH* mesh);

// Vertex normals as the normalised sum of the area-weighted normals of the
// faces around each vertex. The mesh must have a NORMAL element.
HRESULT D3DXComputeNormals(LPD3DXBASEMESH mesh, const DWORD* adjacency);

UINT D3DXGetFVFVertexSize(DWORD fvf);
UINT D3DXGetDeclVertexSize(const D3DVERTEXELEMENT9* declaration, DWORD stream);
UINT D3DXGetDeclLength(const D3DVERTEXELEMENT9* declaration);
HRESULT D3DXDeclaratorFromFVF(DWORD fvf, D3DVERTEXELEMENT9 declaration[MAX_FVF_DECL_SIZE]);
HRESULT D3DXFVFFromDeclarator(const D3DVERTEXELEMENT9* declaration, DWORD* fvf);
