// The effect object behind ID3DXEffect: the parameter store, the compiled
// passes and the state saved between Begin and End.
#pragma once

#include "effect_parse.h"

#include <d3d9_program.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lvfx {

class Effect final : public ID3DXEffect
{
public:
    // Compiles every pass; on failure returns an error code and fills errors.
    static HRESULT Create(IDirect3DDevice9* device, EffectSource& source, EffectDesc& desc,
                          std::vector<EffectError>& errors, Effect** effect);

    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override;

    HRESULT GetDesc(D3DXEFFECT_DESC* desc) override;
    HRESULT GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc) override;
    HRESULT GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc) override;
    D3DXHANDLE GetParameter(D3DXHANDLE parent, UINT index) override;
    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override;
    D3DXHANDLE GetTechnique(UINT index) override;
    D3DXHANDLE GetTechniqueByName(LPCSTR name) override;
    D3DXHANDLE GetCurrentTechnique() override;

    HRESULT SetValue(D3DXHANDLE parameter, LPCVOID data, UINT bytes) override;
    HRESULT GetValue(D3DXHANDLE parameter, LPVOID data, UINT bytes) override;
    HRESULT SetBool(D3DXHANDLE parameter, BOOL value) override;
    HRESULT SetInt(D3DXHANDLE parameter, INT value) override;
    HRESULT GetInt(D3DXHANDLE parameter, INT* value) override;
    HRESULT SetFloat(D3DXHANDLE parameter, FLOAT value) override;
    HRESULT GetFloat(D3DXHANDLE parameter, FLOAT* value) override;
    HRESULT SetFloatArray(D3DXHANDLE parameter, const FLOAT* values, UINT count) override;
    HRESULT SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector) override;
    HRESULT SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix) override;
    HRESULT GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix) override;
    HRESULT SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count) override;
    HRESULT SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture) override;
    HRESULT GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture) override;

    HRESULT SetTechnique(D3DXHANDLE technique) override;
    HRESULT ValidateTechnique(D3DXHANDLE technique) override;
    HRESULT Begin(UINT* passes, DWORD flags) override;
    HRESULT BeginPass(UINT pass) override;
    HRESULT CommitChanges() override;
    HRESULT EndPass() override;
    HRESULT End() override;

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    struct Param
    {
        ParamDesc desc;
        std::vector<uint8_t> value;
        uint32_t version = 1;
        IDirect3DBaseTexture9* texture = nullptr;
    };
    struct PassProgram
    {
        LvProgram* program = nullptr;
        std::vector<int> locations;     // per parameter; -1 when the pass does not use it
        std::vector<uint32_t> uploaded; // parameter version the program holds
    };
    struct NameCacheEntry
    {
        const char* name = nullptr;
        int index = -1;
    };

    Effect(IDirect3DDevice9* device, EffectSource& source, EffectDesc& desc);
    ~Effect() override;
    bool CompilePasses(std::vector<EffectError>& errors);
    void ReportGlslLog(const std::string& log, const PassDesc& pass, std::vector<EffectError>& errors) const;
    int ResolveParam(D3DXHANDLE handle);
    int ResolveTechnique(D3DXHANDLE handle) const;
    Param* Writable(D3DXHANDLE handle, ParamType type, UINT bytes);
    void Upload(PassProgram& pass, bool bindAllTextures);
    void SaveStates();
    void RestoreStates();

    ULONG refs_ = 1;
    IDirect3DDevice9* device_;
    EffectSource source_;
    EffectDesc desc_;
    std::vector<Param> params_;
    std::vector<std::vector<PassProgram>> programs_; // [technique][pass]
    std::vector<char> handles_;                      // one byte per parameter, then per technique
    NameCacheEntry nameCache_[64];
    int technique_ = -1;
    int pass_ = -1;
    bool begun_ = false;
    DWORD beginFlags_ = 0;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> savedRenderStates_;
    struct SavedSampler
    {
        DWORD unit;
        D3DSAMPLERSTATETYPE type;
        DWORD value;
    };
    std::vector<SavedSampler> savedSamplerStates_;
};

} // namespace lvfx
