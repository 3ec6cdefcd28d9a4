// ID3DXEffect over GL programs made by the device.
#include "effect_object.h"

#include <d3d9_host.h>

#define GL_GLEXT_PROTOTYPES 1
#include <GL/glcorearb.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

namespace lvfx {

namespace {

void Log(const char* what, const std::string& detail)
{
    if (LvD3D9_CallLogEnabled()) LvD3D9_LogCall(std::string(what) + " " + detail);
}

// The state log's entry for a parameter set; bytes < 0 leaves the size out.
void LogParameter(const char* what, const std::string& name, long bytes = -1)
{
    if (!LvD3D9_StateLogEnabled()) return;
    LvD3D9_LogCall(std::string(what) + " " + name + (bytes >= 0 ? " " + std::to_string(bytes) : std::string()));
}

void UploadUniform(const ParamDesc& p, GLint location, const uint8_t* data)
{
    const GLsizei count = GLsizei(p.Count());
    if (p.type == ParamType::Int || p.type == ParamType::Bool) {
        glUniform1iv(location, count, reinterpret_cast<const GLint*>(data));
        return;
    }
    const GLfloat* f = reinterpret_cast<const GLfloat*>(data);
    // Row-vector matrices go up as they are: GLSL's M * v is then Direct3D's v * M.
    if (p.rows == 4)
        glUniformMatrix4fv(location, count, GL_FALSE, f);
    else if (p.columns == 1)
        glUniform1fv(location, count, f);
    else if (p.columns == 2)
        glUniform2fv(location, count, f);
    else if (p.columns == 3)
        glUniform3fv(location, count, f);
    else
        glUniform4fv(location, count, f);
}

} // namespace

Effect::Effect(IDirect3DDevice9* device, EffectSource& source, EffectDesc& desc)
    : device_(device), source_(std::move(source)), desc_(std::move(desc))
{
    device_->AddRef();
    params_.resize(desc_.params.size());
    for (size_t i = 0; i < params_.size(); ++i) {
        params_[i].desc = desc_.params[i];
        params_[i].value = desc_.params[i].defaults;
    }
    handles_.assign(params_.size() + desc_.techniques.size() + 1, 0);
    technique_ = desc_.techniques.empty() ? -1 : 0; // as D3DX: the first valid technique is current
}

Effect::~Effect()
{
    if (LvD3D9_CurrentProgram(device_)) {
        for (auto& technique : programs_) {
            for (PassProgram& pass : technique) {
                if (pass.program == LvD3D9_CurrentProgram(device_)) LvD3D9_UseProgram(device_, nullptr);
            }
        }
    }
    for (auto& technique : programs_) {
        for (PassProgram& pass : technique) LvD3D9_DestroyProgram(pass.program);
    }
    for (Param& p : params_) {
        if (p.texture) p.texture->Release();
    }
    device_->Release();
}

ULONG Effect::Release()
{
    const ULONG left = --refs_;
    if (left == 0) {
        if (begun_) End();
        delete this;
    }
    return left;
}

HRESULT Effect::Create(IDirect3DDevice9* device, EffectSource& source, EffectDesc& desc,
                       std::vector<EffectError>& errors, Effect** effect)
{
    *effect = nullptr;
    Effect* e = new Effect(device, source, desc);
    if (!e->CompilePasses(errors)) {
        e->Release();
        return D3DXERR_INVALIDDATA;
    }
    *effect = e;
    return D3D_OK;
}

void Effect::ReportGlslLog(const std::string& log, const PassDesc& pass, std::vector<EffectError>& errors) const
{
    // Mesa writes "file:line(column): error: text"; the file index is ours (see StageText).
    std::istringstream in(log);
    std::string line;
    bool any = false;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        const size_t paren = line.find('(');
        if (colon == std::string::npos || paren == std::string::npos || paren < colon ||
            line.find("error") == std::string::npos) {
            continue;
        }
        std::string prefix;
        for (const char* stage : {"vertex stage: ", "fragment stage: "}) {
            if (line.compare(0, std::strlen(stage), stage) == 0) prefix = stage;
        }
        const std::string rest = line.substr(prefix.size());
        const int file = std::atoi(rest.c_str());
        const int number = std::atoi(rest.c_str() + rest.find(':') + 1);
        const size_t message = rest.find("): ");
        const std::string name = file >= 0 && size_t(file) < source_.files.size()
                                     ? source_.files[size_t(file)]
                                     : std::string("<parameter declarations>");
        errors.push_back({name, number, prefix + (message == std::string::npos ? rest : rest.substr(message + 3))});
        any = true;
    }
    if (!any) source_.Fail(errors, pass.offset, "the shaders of pass " + pass.name + " did not build: " + log);
}

bool Effect::CompilePasses(std::vector<EffectError>& errors)
{
    programs_.resize(desc_.techniques.size());
    bool ok = true;
    for (size_t t = 0; t < desc_.techniques.size(); ++t) {
        const TechniqueDesc& technique = desc_.techniques[t];
        programs_[t].resize(technique.passes.size());
        for (size_t i = 0; i < technique.passes.size(); ++i) {
            const PassDesc& pass = technique.passes[i];
            std::string vertex, fragment, log;
            const bool hasVertex = StageText(source_, desc_, pass, Stage::Vertex, vertex);
            StageText(source_, desc_, pass, Stage::Fragment, fragment);
            PassProgram& p = programs_[t][i];
            p.program = LvD3D9_CreateProgram(device_, hasVertex ? vertex.c_str() : nullptr, fragment.c_str(), log);
            if (!p.program) {
                ReportGlslLog(log, pass, errors);
                ok = false;
                continue;
            }
            const GLuint name = LvD3D9_ProgramName(p.program);
            LvD3D9_UseProgram(device_, p.program);
            p.locations.assign(params_.size(), -1);
            p.uploaded.assign(params_.size(), 0);
            for (size_t k = 0; k < params_.size(); ++k) {
                const ParamDesc& d = params_[k].desc;
                p.locations[k] = glGetUniformLocation(name, d.name.c_str());
                if (d.IsSampler() && p.locations[k] >= 0) glUniform1i(p.locations[k], d.samplerUnit);
            }
        }
    }
    LvD3D9_UseProgram(device_, nullptr);
    return ok;
}

// ---------------------------------------------------------------- look-up

int Effect::ResolveParam(D3DXHANDLE handle)
{
    if (!handle) return -1;
    const std::less<const char*> before;
    const char* base = handles_.data();
    if (!before(handle, base) && before(handle, base + params_.size())) return int(handle - base);
    if (!before(handle, base + params_.size()) && before(handle, base + handles_.size())) return -1; // a technique
    // A name: the game passes the same literals again and again, so remember where they were.
    NameCacheEntry& cached = nameCache_[(reinterpret_cast<uintptr_t>(handle) >> 3) & 63];
    if (cached.name == handle && cached.index >= 0 && params_[size_t(cached.index)].desc.name == handle) {
        return cached.index;
    }
    for (size_t i = 0; i < params_.size(); ++i) {
        if (std::strcmp(params_[i].desc.name.c_str(), handle) == 0) {
            cached = {handle, int(i)};
            return int(i);
        }
    }
    return -1;
}

int Effect::ResolveTechnique(D3DXHANDLE handle) const
{
    if (!handle) return -1;
    const std::less<const char*> before;
    const char* first = handles_.data() + params_.size();
    if (!before(handle, first) && before(handle, first + desc_.techniques.size())) return int(handle - first);
    for (size_t i = 0; i < desc_.techniques.size(); ++i) {
        if (desc_.techniques[i].name == handle) return int(i);
    }
    return -1;
}

HRESULT Effect::GetDesc(D3DXEFFECT_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    desc->Creator = "effect file";
    desc->Parameters = UINT(params_.size());
    desc->Techniques = UINT(desc_.techniques.size());
    desc->Functions = 0;
    return D3D_OK;
}

HRESULT Effect::GetParameterDesc(D3DXHANDLE parameter, D3DXPARAMETER_DESC* desc)
{
    const int i = ResolveParam(parameter);
    if (!desc || i < 0) return D3DERR_INVALIDCALL;
    const ParamDesc& p = params_[size_t(i)].desc;
    *desc = {};
    desc->Name = p.name.c_str();
    desc->Class = p.IsSampler()   ? D3DXPC_OBJECT
                  : p.rows == 4   ? D3DXPC_MATRIX_ROWS
                  : p.columns > 1 ? D3DXPC_VECTOR
                                  : D3DXPC_SCALAR;
    desc->Type = p.type == ParamType::Float       ? D3DXPT_FLOAT
                 : p.type == ParamType::Int       ? D3DXPT_INT
                 : p.type == ParamType::Bool      ? D3DXPT_BOOL
                 : p.type == ParamType::Sampler3D ? D3DXPT_SAMPLER3D
                                                  : D3DXPT_SAMPLER2D;
    desc->Rows = p.rows;
    desc->Columns = p.columns;
    desc->Elements = p.elements;
    desc->Bytes = p.Bytes();
    return D3D_OK;
}

HRESULT Effect::GetTechniqueDesc(D3DXHANDLE technique, D3DXTECHNIQUE_DESC* desc)
{
    const int t = ResolveTechnique(technique);
    if (!desc || t < 0) return D3DERR_INVALIDCALL;
    desc->Name = desc_.techniques[size_t(t)].name.c_str();
    desc->Passes = UINT(desc_.techniques[size_t(t)].passes.size());
    desc->Annotations = 0;
    return D3D_OK;
}

D3DXHANDLE Effect::GetParameter(D3DXHANDLE parent, UINT index)
{
    if (parent || index >= params_.size()) return nullptr;
    return handles_.data() + index;
}

D3DXHANDLE Effect::GetParameterByName(D3DXHANDLE parent, LPCSTR name)
{
    if (parent || !name) return nullptr; // no structures, so no parents
    const int i = ResolveParam(name);
    return i < 0 ? nullptr : handles_.data() + i;
}

D3DXHANDLE Effect::GetTechnique(UINT index)
{
    if (index >= desc_.techniques.size()) return nullptr;
    return handles_.data() + params_.size() + index;
}

D3DXHANDLE Effect::GetTechniqueByName(LPCSTR name)
{
    const int t = ResolveTechnique(name);
    return t < 0 ? nullptr : handles_.data() + params_.size() + t;
}

D3DXHANDLE Effect::GetCurrentTechnique()
{
    return technique_ < 0 ? nullptr : handles_.data() + params_.size() + technique_;
}

// ---------------------------------------------------------------- values

Effect::Param* Effect::Writable(D3DXHANDLE handle, ParamType type, UINT bytes)
{
    const int i = ResolveParam(handle);
    if (i < 0) return nullptr;
    Param& p = params_[size_t(i)];
    if (p.desc.IsSampler() || bytes > p.desc.Bytes()) return nullptr;
    if (type == ParamType::Float && p.desc.type != ParamType::Float) return nullptr;
    return &p;
}

HRESULT Effect::SetValue(D3DXHANDLE parameter, LPCVOID data, UINT bytes)
{
    const int i = ResolveParam(parameter);
    if (i >= 0) LogParameter("SetValue", params_[size_t(i)].desc.name, long(bytes));
    if (i < 0 || !data) return D3DERR_INVALIDCALL;
    Param& p = params_[size_t(i)];
    if (p.desc.IsSampler()) {
        return bytes == sizeof(IDirect3DBaseTexture9*)
                   ? SetTexture(parameter, *static_cast<IDirect3DBaseTexture9* const*>(data))
                   : D3DERR_INVALIDCALL;
    }
    if (bytes > p.desc.Bytes()) return D3DERR_INVALIDCALL;
    std::memcpy(p.value.data(), data, bytes);
    ++p.version;
    return D3D_OK;
}

HRESULT Effect::GetValue(D3DXHANDLE parameter, LPVOID data, UINT bytes)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !data) return D3DERR_INVALIDCALL;
    const Param& p = params_[size_t(i)];
    if (p.desc.IsSampler() || bytes < p.desc.Bytes()) return D3DERR_INVALIDCALL;
    std::memcpy(data, p.value.data(), p.desc.Bytes());
    return D3D_OK;
}

HRESULT Effect::SetBool(D3DXHANDLE parameter, BOOL value)
{
    return SetInt(parameter, value ? 1 : 0);
}

HRESULT Effect::SetInt(D3DXHANDLE parameter, INT value)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    Param& p = params_[size_t(i)];
    if (p.desc.type == ParamType::Float) {
        const float f = float(value);
        std::memcpy(p.value.data(), &f, 4);
    } else {
        const int32_t n = p.desc.type == ParamType::Bool ? (value != 0) : value;
        std::memcpy(p.value.data(), &n, 4);
    }
    ++p.version;
    return D3D_OK;
}

HRESULT Effect::GetInt(D3DXHANDLE parameter, INT* value)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !value || params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    const Param& p = params_[size_t(i)];
    if (p.desc.type == ParamType::Float) {
        float f;
        std::memcpy(&f, p.value.data(), 4);
        *value = INT(f);
    } else {
        std::memcpy(value, p.value.data(), 4);
    }
    return D3D_OK;
}

HRESULT Effect::SetFloat(D3DXHANDLE parameter, FLOAT value)
{
    const int i = ResolveParam(parameter);
    if (i >= 0) LogParameter("SetFloat", params_[size_t(i)].desc.name);
    if (i < 0 || params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    Param& p = params_[size_t(i)];
    if (p.desc.type != ParamType::Float) return SetInt(parameter, INT(value));
    std::memcpy(p.value.data(), &value, 4);
    ++p.version;
    return D3D_OK;
}

HRESULT Effect::GetFloat(D3DXHANDLE parameter, FLOAT* value)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !value || params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    const Param& p = params_[size_t(i)];
    if (p.desc.type == ParamType::Float) {
        std::memcpy(value, p.value.data(), 4);
    } else {
        int32_t n;
        std::memcpy(&n, p.value.data(), 4);
        *value = float(n);
    }
    return D3D_OK;
}

HRESULT Effect::SetFloatArray(D3DXHANDLE parameter, const FLOAT* values, UINT count)
{
    Param* p = Writable(parameter, ParamType::Float, count * 4);
    if (!p || !values) return D3DERR_INVALIDCALL;
    std::memcpy(p->value.data(), values, size_t(count) * 4);
    ++p->version;
    return D3D_OK;
}

HRESULT Effect::SetVector(D3DXHANDLE parameter, const D3DXVECTOR4* vector)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !vector) return D3DERR_INVALIDCALL;
    Param& p = params_[size_t(i)];
    if (p.desc.type != ParamType::Float || p.desc.rows != 1) return D3DERR_INVALIDCALL;
    std::memcpy(p.value.data(), vector, size_t(p.desc.columns) * 4); // as D3DX: as many components as declared
    ++p.version;
    return D3D_OK;
}

HRESULT Effect::SetMatrix(D3DXHANDLE parameter, const D3DXMATRIX* matrix)
{
    if (LvD3D9_StateLogEnabled()) {
        const int i = ResolveParam(parameter);
        if (i >= 0) LogParameter("SetMatrix", params_[size_t(i)].desc.name);
    }
    Param* p = Writable(parameter, ParamType::Float, 64);
    if (!p || !matrix || p->desc.rows != 4) return D3DERR_INVALIDCALL;
    std::memcpy(p->value.data(), matrix, 64);
    ++p->version;
    return D3D_OK;
}

HRESULT Effect::GetMatrix(D3DXHANDLE parameter, D3DXMATRIX* matrix)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !matrix || params_[size_t(i)].desc.rows != 4) return D3DERR_INVALIDCALL;
    std::memcpy(static_cast<void*>(matrix), params_[size_t(i)].value.data(), 64);
    return D3D_OK;
}

HRESULT Effect::SetMatrixArray(D3DXHANDLE parameter, const D3DXMATRIX* matrices, UINT count)
{
    Param* p = Writable(parameter, ParamType::Float, count * 64);
    if (!p || !matrices || p->desc.rows != 4) return D3DERR_INVALIDCALL;
    std::memcpy(p->value.data(), matrices, size_t(count) * 64);
    ++p->version;
    return D3D_OK;
}

HRESULT Effect::SetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9* texture)
{
    const int i = ResolveParam(parameter);
    if (i >= 0) LogParameter("SetTexture", params_[size_t(i)].desc.name);
    if (i < 0 || !params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    Param& p = params_[size_t(i)];
    if (p.texture == texture) return D3D_OK;
    // The effect holds its textures, as D3DX does, so none can vanish under a pass.
    if (texture) texture->AddRef();
    if (p.texture) p.texture->Release();
    p.texture = texture;
    ++p.version;
    return D3D_OK;
}

HRESULT Effect::GetTexture(D3DXHANDLE parameter, IDirect3DBaseTexture9** texture)
{
    const int i = ResolveParam(parameter);
    if (i < 0 || !texture || !params_[size_t(i)].desc.IsSampler()) return D3DERR_INVALIDCALL;
    *texture = params_[size_t(i)].texture;
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

// ---------------------------------------------------------------- passes

HRESULT Effect::SetTechnique(D3DXHANDLE technique)
{
    const int t = ResolveTechnique(technique);
    if (LvD3D9_CallLogEnabled()) {
        Log("SetTechnique", t >= 0 ? desc_.techniques[size_t(t)].name : std::string(technique ? technique : "(null)"));
    }
    technique_ = t;
    return t < 0 ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Effect::ValidateTechnique(D3DXHANDLE technique)
{
    return ResolveTechnique(technique) < 0 ? D3DERR_INVALIDCALL : D3D_OK;
}

void Effect::SaveStates()
{
    savedRenderStates_.clear();
    savedSamplerStates_.clear();
    const TechniqueDesc& t = desc_.techniques[size_t(technique_)];
    for (const PassDesc& pass : t.passes) {
        for (const auto& state : pass.states) {
            bool seen = false;
            for (const auto& saved : savedRenderStates_) seen = seen || saved.first == state.first;
            if (seen) continue;
            DWORD value = 0;
            device_->GetRenderState(state.first, &value);
            savedRenderStates_.emplace_back(state.first, value);
        }
    }
    for (const Param& p : params_) {
        for (const auto& state : p.desc.samplerStates) {
            DWORD value = 0;
            device_->GetSamplerState(DWORD(p.desc.samplerUnit), state.first, &value);
            savedSamplerStates_.push_back({DWORD(p.desc.samplerUnit), state.first, value});
        }
    }
}

void Effect::RestoreStates()
{
    for (const auto& saved : savedRenderStates_) device_->SetRenderState(saved.first, saved.second);
    for (const SavedSampler& s : savedSamplerStates_) device_->SetSamplerState(s.unit, s.type, s.value);
    savedRenderStates_.clear();
    savedSamplerStates_.clear();
}

HRESULT Effect::Begin(UINT* passes, DWORD flags)
{
    if (LvD3D9_CallLogEnabled()) Log("Begin", technique_ >= 0 ? desc_.techniques[size_t(technique_)].name : "(none)");
    if (!passes || begun_) return D3DERR_INVALIDCALL;
    *passes = 0;
    if (technique_ < 0) return D3D_OK; // no technique: nothing to draw
    begun_ = true;
    beginFlags_ = flags;
    if (!(flags & D3DXFX_DONOTSAVESTATE)) SaveStates();
    *passes = UINT(desc_.techniques[size_t(technique_)].passes.size());
    return D3D_OK;
}

void Effect::Upload(PassProgram& pass, bool bindAllTextures)
{
    for (size_t k = 0; k < params_.size(); ++k) {
        const int location = pass.locations[k];
        if (location < 0) continue;
        Param& p = params_[k];
        if (p.desc.IsSampler()) {
            if (bindAllTextures || pass.uploaded[k] != p.version) {
                device_->SetTexture(DWORD(p.desc.samplerUnit), p.texture);
                pass.uploaded[k] = p.version;
            }
        } else if (pass.uploaded[k] != p.version) {
            UploadUniform(p.desc, location, p.value.data());
            pass.uploaded[k] = p.version;
        }
    }
}

HRESULT Effect::BeginPass(UINT pass)
{
    if (!begun_ || technique_ < 0 || pass >= programs_[size_t(technique_)].size() || pass_ >= 0) {
        return D3DERR_INVALIDCALL;
    }
    const PassDesc& d = desc_.techniques[size_t(technique_)].passes[pass];
    if (LvD3D9_CallLogEnabled()) Log("BeginPass", desc_.techniques[size_t(technique_)].name + "." + d.name);
    for (const auto& state : d.states) device_->SetRenderState(state.first, state.second);
    for (const Param& p : params_) {
        for (const auto& state : p.desc.samplerStates) {
            device_->SetSamplerState(DWORD(p.desc.samplerUnit), state.first, state.second);
        }
    }
    pass_ = int(pass);
    PassProgram& program = programs_[size_t(technique_)][pass];
    LvD3D9_UseProgram(device_, program.program);
    Upload(program, true);
    return D3D_OK;
}

HRESULT Effect::CommitChanges()
{
    if (pass_ < 0) return D3D_OK; // outside a pass the next BeginPass sends everything
    PassProgram& program = programs_[size_t(technique_)][size_t(pass_)];
    LvD3D9_UseProgram(device_, program.program);
    Upload(program, false);
    return D3D_OK;
}

HRESULT Effect::EndPass()
{
    if (pass_ < 0) return D3DERR_INVALIDCALL;
    pass_ = -1;
    return D3D_OK;
}

HRESULT Effect::End()
{
    if (LvD3D9_CallLogEnabled()) Log("End", technique_ >= 0 ? desc_.techniques[size_t(technique_)].name : "(none)");
    if (!begun_) return D3DERR_INVALIDCALL;
    begun_ = false;
    pass_ = -1;
    if (!(beginFlags_ & D3DXFX_DONOTSAVESTATE)) RestoreStates();
    LvD3D9_UseProgram(device_, nullptr);
    return D3D_OK;
}

HRESULT Effect::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    device_->AddRef();
    *device = device_;
    return D3D_OK;
}

} // namespace lvfx
