// D3DX effect stand-in. Effects are read from our own effect files with GLSL
// shaders (docs/effect-format.md); the interface is the one the game calls.
#pragma once

#include <d3d9.h>
#include "d3dx9math.h"
#include "d3dx9core.h"

// A handle is either what GetParameterByName/GetTechniqueByName returned or
// the name itself: both are accepted wherever a handle is taken.
typedef const char* D3DXHANDLE;
typedef D3DXHANDLE* LPD3DXHANDLE;

#ifndef D3DXMACRO_DEFINED
#define D3DXMACRO_DEFINED
typedef struct _D3DXMACRO
{
    LPCSTR Name;
    LPCSTR Definition;
} D3DXMACRO, *LPD3DXMACRO;
#endif

#ifndef D3DXERR_INVALIDDATA
#define D3DXERR_INVALIDDATA MAKE_D3DHRESULT(2905)
#endif

// Begin flags.
#define D3DXFX_DONOTSAVESTATE (1u << 0)
#define D3DXFX_DONOTSAVESHADERSTATE (1u << 1)
#define D3DXFX_DONOTSAVESAMPLERSTATE (1u << 2)
// Creation flags (accepted, nothing to do here).
#define D3DXFX_NOT_CLONEABLE (1u << 11)
#define D3DXFX_LARGEADDRESSAWARE (1u << 17)
#define D3DXSHADER_DEBUG (1u << 0)
#define D3DXSHADER_SKIPOPTIMIZATION (1u << 2)

enum D3DXINCLUDE_TYPE : DWORD { D3DXINC_LOCAL = 0, D3DXINC_SYSTEM = 1, D3DXINC_FORCE_DWORD = 0x7fffffff };

// Custom include handlers are accepted but not called: includes are read from
// the effect file's own folder.
struct ID3DXInclude
{
    virtual HRESULT Open(D3DXINCLUDE_TYPE type, LPCSTR fileName, LPCVOID parentData, LPCVOID* data, UINT* bytes) = 0;
    virtual HRESULT Close(LPCVOID data) = 0;

protected:
    virtual ~ID3DXInclude() = default;
};
typedef ID3DXInclude* LPD3DXINCLUDE;

// Effect pools are not supported; creation accepts only null.
struct ID3DXEffectPool : public IUnknown
{
};
typedef ID3DXEffectPool* LPD3DXEFFECTPOOL;

enum D3DXPARAMETER_CLASS : DWORD {
    D3DXPC_SCALAR,
    D3DXPC_VECTOR,
    D3DXPC_MATRIX_ROWS,
    D3DXPC_MATRIX_COLUMNS,
    D3DXPC_OBJECT,
    D3DXPC_STRUCT,
    D3DXPC_FORCE_DWORD = 0x7fffffff
};

enum D3DXPARAMETER_TYPE : DWORD {
    D3DXPT_VOID,
    D3DXPT_BOOL,
    D3DXPT_INT,
    D3DXPT_FLOAT,
    D3DXPT_STRING,
    D3DXPT_TEXTURE,
    D3DXPT_TEXTURE1D,
    D3DXPT_TEXTURE2D,
    D3DXPT_TEXTURE3D,
    D3DXPT_TEXTURECUBE,
    D3DXPT_SAMPLER,
    D3DXPT_SAMPLER1D,
    D3DXPT_SAMPLER2D,
    D3DXPT_SAMPLER3D,
    D3DXPT_FORCE_DWORD = 0x7fffffff
};

typedef struct _D3DXPARAMETER_DESC
{
    LPCSTR Name;
    LPCSTR Semantic;
    D3DXPARAMETER_CLASS Class;
    D3DXPARAMETER_TYPE Type;
    UINT Rows;
    UINT Columns;
    UINT Elements;
    UINT Annotations;
    UINT StructMembers;
    DWORD Flags;
    UINT Bytes;
} D3DXPARAMETER_DESC;

typedef struct _D3DXTECHNIQUE_DESC
{
    LPCSTR Name;
    UINT Passes;
    UINT Annotations;
} D3DXTECHNIQUE_DESC;

typedef struct _D3DXEFFECT_DESC
{
    LPCSTR Creator;
    UINT Parameters;
    UINT Techniques;
    UINT Functions;
} D3DXEFFECT_DESC;

struct ID3DXEffect : public IUnknown
{
    // Description and look-up. Unknown names give null handles.
    virtual HRESULT GetDesc(D3DXEFFECT_DESC* desc) = 0;
    virtual HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) = 0;
    virtual HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) = 0;
    virtual D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) = 0;
    virtual D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) = 0;
    virtual D3DXHANDLE GetTechnique(UINT index) = 0;
    virtual D3DXHANDLE GetTechniqueByName(LPCSTR name) = 0;
    virtual D3DXHANDLE GetCurrentTechnique() = 0;

    // Values. Sizes are in bytes and checked against the declaration; an
    // unknown parameter or a wrong type gives D3DERR_INVALIDCALL.
    virtual HRESULT SetValue(D3DXHANDLE parameter, LPCVOID data, UINT bytes) = 0;
    virtual HRESULT GetValue(D3DXHANDLE parameter, LPVOID data, UINT bytes) = 0;
    virtual HRESULT SetBool(D3DXHANDLE parameter, BOOL value) = 0;
    virtual HRESULT SetInt(D3DXHANDLE parameter, INT value) = 0;
    virtual HRESULT GetInt(D3DXHANDLE parameter, INT* value) = 0;
    virtual HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) = 0;
    virtual HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) = 0;
    virtual HRESULT SetFloatArray(D3DXHANDLE parameter, const FLOAT* values, UINT count) = 0;
    virtual HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) = 0;
    virtual HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) = 0;
    virtual HRESULT GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) = 0;
    virtual HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) = 0;
    virtual HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) = 0;
    virtual HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) = 0;

    // Techniques and passes.
    virtual HRESULT SetTechnique(D3DXHANDLE technique) = 0;
    virtual HRESULT ValidateTechnique(D3DXHANDLE technique) = 0;
    // flags 0 saves the states the technique's passes change and End restores them.
    virtual HRESULT Begin(UINT* passes, DWORD flags) = 0;
    virtual HRESULT BeginPass(UINT pass) = 0;
    // Sends the values set since BeginPass to the shaders of the active pass.
    virtual HRESULT CommitChanges() = 0;
    virtual HRESULT EndPass() = 0;
    virtual HRESULT End() = 0;

    virtual HRESULT GetDevice(IDirect3DDevice9** device) = 0;
    virtual HRESULT OnLostDevice() = 0;
    virtual HRESULT OnResetDevice() = 0;
};
typedef ID3DXEffect* LPD3DXEFFECT;

// Reads an effect file. On failure *effect is null and *errors (when asked
// for) holds text lines "file(line): message".
HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, const D3DXMACRO* defines,
                                  LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect,
                                  LPD3DXBUFFER* errors);
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR fileName, const D3DXMACRO* defines,
                                  LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect,
                                  LPD3DXBUFFER* errors);
// The same from text in memory; includes are then read relative to the working directory.
HRESULT D3DXCreateEffect(IDirect3DDevice9* device, LPCVOID data, UINT length, const D3DXMACRO* defines,
                         LPD3DXINCLUDE include, DWORD flags, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect,
                         LPD3DXBUFFER* errors);
