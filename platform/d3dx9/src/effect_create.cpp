// Creating effects from files or memory, with the error text D3DX gives.
#include "effect_object.h"

#include "Win32Error.h"
#include "Win32Path.h"
#include "Win32String.h"

#include <cstring>

namespace lvfx {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The errors as D3DX hands them back ("file(line): message" lines), and on
// the error stream in the game's three-line form.
void Report(const std::vector<EffectError>& errors, LPD3DXBUFFER* buffer)
{
    std::string text;
    for (const EffectError& e : errors) {
        text += e.file + "(" + std::to_string(e.line) + "): error: " + e.message + "\n";
    }
    for (size_t i = 0; i < errors.size() && i < 4; ++i) {
        const EffectError& e = errors[i];
        Win32ReportError("Effect error: " + e.file + "(" + std::to_string(e.line) + "): " + e.message, __FILE__,
                         __LINE__);
    }
    if (!buffer) return;
    *buffer = nullptr;
    if (SUCCEEDED(D3DXCreateBuffer(DWORD(text.size() + 1), buffer)) && *buffer) {
        std::memcpy((*buffer)->GetBufferPointer(), text.c_str(), text.size() + 1);
    }
}

HRESULT Build(IDirect3DDevice9* device, const std::string& text, const std::string& name, const std::string& folder,
              const D3DXMACRO* defines, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errorsOut)
{
    if (errorsOut) *errorsOut = nullptr;
    if (!effect) return D3DERR_INVALIDCALL;
    *effect = nullptr;
    std::vector<EffectError> errors;
    if (!device || pool) {
        errors.push_back({name, 0, device ? "effect pools are not supported" : "no device to build the effect on"});
        Report(errors, errorsOut);
        return D3DERR_INVALIDCALL;
    }
    EffectSource source;
    EffectDesc desc;
    if (!Preprocess(text, name, folder, defines, source, errors) || !ParseEffect(source, desc, errors)) {
        Report(errors, errorsOut);
        return D3DXERR_INVALIDDATA;
    }
    Effect* e = nullptr;
    const HRESULT hr = Effect::Create(device, source, desc, errors, &e);
    if (FAILED(hr)) {
        Report(errors, errorsOut);
        return hr;
    }
    *effect = e;
    return D3D_OK;
}

HRESULT FromFile(IDirect3DDevice9* device, const std::string& path, const std::string& shownName,
                 const D3DXMACRO* defines, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors)
{
    std::string text;
    if (!ReadTextFile(path, text)) {
        if (effect) *effect = nullptr;
        Report({{shownName, 0, "cannot open the effect file (missing, unreadable or larger than 4 MB)"}}, errors);
        return D3DERR_NOTFOUND;
    }
    return Build(device, text, shownName, FolderOf(path), defines, pool, effect, errors);
}

} // namespace

} // namespace lvfx

HRESULT D3DXCreateEffectFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, const D3DXMACRO* defines, LPD3DXINCLUDE,
                                  DWORD, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors)
{
    if (!fileName) return D3DERR_INVALIDCALL;
    const std::wstring wide(fileName);
    return lvfx::FromFile(device, Win32ResolvePath(wide), Win32WideToUtf8(wide), defines, pool, effect, errors);
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR fileName, const D3DXMACRO* defines, LPD3DXINCLUDE,
                                  DWORD, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors)
{
    if (!fileName) return D3DERR_INVALIDCALL;
    return lvfx::FromFile(device, Win32ResolvePath(std::string(fileName)), fileName, defines, pool, effect, errors);
}

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, LPCVOID data, UINT length, const D3DXMACRO* defines, LPD3DXINCLUDE,
                         DWORD, LPD3DXEFFECTPOOL pool, LPD3DXEFFECT* effect, LPD3DXBUFFER* errors)
{
    if (!data) return D3DERR_INVALIDCALL;
    const std::string text(static_cast<const char*>(data), length);
    return lvfx::Build(device, text, "(memory)", std::string(), defines, pool, effect, errors);
}
