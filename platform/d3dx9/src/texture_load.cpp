// D3DXCreateTextureFromFile and friends over stb_image and the dds reader.
#include "d3dx9tex.h"
#include "d3dx9effect.h" // D3DXERR_INVALIDDATA

#include "texture_image.h"

#include "Win32Error.h"
#include "Win32Path.h"
#include "Win32String.h"

#include <stb_image.h>

#include <cstring>
#include <fstream>

namespace lvtex {

namespace {

constexpr size_t kMaxFileBytes = 64u << 20;
constexpr int kMaxExtent = 16384;

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size <= 0 || size_t(size) > kMaxFileBytes) return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(size_t(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    return bool(in);
}

bool Load(const std::wstring& wideName, Image& image)
{
    const std::string name = Win32WideToUtf8(wideName);
    std::vector<uint8_t> bytes;
    std::string reason;
    if (!ReadFile(Win32ResolvePath(wideName), bytes)) {
        reason = "missing, empty or too large";
    } else if (DecodeImage(bytes, image, reason)) {
        return true;
    }
    Win32ReportError("Could not load the texture " + name + ": " + reason, __FILE__, __LINE__);
    return false;
}

// Direct3D's A8R8G8B8 is B, G, R, A in memory.
void CopySwizzled(const uint8_t* rgba, size_t pixels, uint8_t* bgra)
{
    for (size_t i = 0; i < pixels; ++i, rgba += 4, bgra += 4) {
        bgra[0] = rgba[2];
        bgra[1] = rgba[1];
        bgra[2] = rgba[0];
        bgra[3] = rgba[3];
    }
}

HRESULT Make2D(IDirect3DDevice9* device, const Image& image, UINT levels, D3DPOOL pool, IDirect3DTexture9** out)
{
    IDirect3DTexture9* texture = nullptr;
    HRESULT hr = device->CreateTexture(image.width, image.height, levels, 0, D3DFMT_A8R8G8B8, pool, &texture, nullptr);
    if (FAILED(hr)) return hr;
    D3DLOCKED_RECT locked;
    hr = texture->LockRect(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    for (unsigned y = 0; y < image.height; ++y) {
        CopySwizzled(&image.rgba[size_t(y) * image.width * 4], image.width,
                     static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch));
    }
    texture->UnlockRect(0);
    texture->GenerateMipSubLevels();
    *out = texture;
    return D3D_OK;
}

HRESULT Make3D(IDirect3DDevice9* device, const Image& image, IDirect3DVolumeTexture9** out)
{
    IDirect3DVolumeTexture9* texture = nullptr;
    HRESULT hr = device->CreateVolumeTexture(image.width, image.height, image.depth, 0, 0, D3DFMT_A8R8G8B8,
                                             D3DPOOL_MANAGED, &texture, nullptr);
    if (FAILED(hr)) return hr;
    D3DLOCKED_BOX locked;
    hr = texture->LockBox(0, &locked, nullptr, 0);
    if (FAILED(hr)) {
        texture->Release();
        return hr;
    }
    const size_t slice = size_t(image.width) * image.height;
    for (unsigned z = 0; z < image.depth; ++z) {
        for (unsigned y = 0; y < image.height; ++y) {
            CopySwizzled(&image.rgba[(z * slice + size_t(y) * image.width) * 4], image.width,
                         static_cast<uint8_t*>(locked.pBits) + size_t(z) * size_t(locked.SlicePitch) +
                             size_t(y) * size_t(locked.RowPitch));
        }
    }
    texture->UnlockBox(0);
    texture->GenerateMipSubLevels();
    *out = texture;
    return D3D_OK;
}

HRESULT CreateFromFile(IDirect3DDevice9* device, const std::wstring& name, UINT mipLevels, D3DPOOL pool,
                       D3DXIMAGE_INFO* info, IDirect3DTexture9** texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device) return D3DERR_INVALIDCALL;
    Image image;
    if (!Load(name, image)) return D3DXERR_INVALIDDATA;
    image.depth = 1; // a volume gives its first slice; the rest of the pixels are past the rows used
    if (info) {
        *info = {};
        info->Width = image.width;
        info->Height = image.height;
        info->Depth = 1;
        info->Format = D3DFMT_A8R8G8B8;
        info->ResourceType = D3DRTYPE_TEXTURE;
    }
    const UINT levels = (mipLevels == D3DX_DEFAULT || mipLevels == D3DX_FROM_FILE) ? 0 : mipLevels;
    return Make2D(device, image, levels, pool, texture);
}

} // namespace

bool DecodeImage(const std::vector<uint8_t>& bytes, Image& image, std::string& reason)
{
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "DDS ", 4) == 0) return DecodeDds(bytes, image, reason);
    if (!CheckImageHeaders(bytes, reason)) return false;
    std::vector<uint8_t> withoutEmptyData;
    const std::vector<uint8_t>& file = DropEmptyPngData(bytes, withoutEmptyData) ? withoutEmptyData : bytes;
    int w = 0, h = 0, channels = 0;
    if (file.size() > size_t(INT32_MAX)) {
        reason = "file too large";
        return false;
    }
    // The size the header gives is checked before any pixel is allocated.
    if (stbi_info_from_memory(file.data(), int(file.size()), &w, &h, &channels) &&
        (w <= 0 || h <= 0 || w > kMaxExtent || h > kMaxExtent)) {
        reason = "image size out of range";
        return false;
    }
    // Four channels always: files without alpha read as opaque, as X8R8G8B8 does.
    stbi_uc* pixels = stbi_load_from_memory(file.data(), int(file.size()), &w, &h, &channels, 4);
    if (!pixels) {
        // The library may leave its reason empty.
        const char* why = stbi_failure_reason();
        reason = why && *why ? why : "unreadable image";
        return false;
    }
    if (w <= 0 || h <= 0 || w > kMaxExtent || h > kMaxExtent) {
        stbi_image_free(pixels);
        reason = "image size out of range";
        return false;
    }
    image.width = unsigned(w);
    image.height = unsigned(h);
    image.depth = 1;
    image.rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
    stbi_image_free(pixels);
    return true;
}

} // namespace lvtex

HRESULT D3DXCreateTextureFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, IDirect3DTexture9** texture)
{
    if (!fileName) {
        if (texture) *texture = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return lvtex::CreateFromFile(device, fileName, 0, D3DPOOL_MANAGED, nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR fileName, IDirect3DTexture9** texture)
{
    if (!fileName) {
        if (texture) *texture = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return lvtex::CreateFromFile(device, Win32Utf8ToWide(fileName), 0, D3DPOOL_MANAGED, nullptr, texture);
}

HRESULT D3DXCreateTextureFromFileExW(IDirect3DDevice9* device, LPCWSTR fileName, UINT, UINT, UINT mipLevels, DWORD,
                                     D3DFORMAT, D3DPOOL pool, DWORD, DWORD, D3DCOLOR, D3DXIMAGE_INFO* info, void*,
                                     IDirect3DTexture9** texture)
{
    if (!fileName) {
        if (texture) *texture = nullptr;
        return D3DERR_INVALIDCALL;
    }
    return lvtex::CreateFromFile(device, fileName, mipLevels, pool == D3DPOOL_DEFAULT ? D3DPOOL_MANAGED : pool, info,
                                 texture);
}

HRESULT D3DXCreateVolumeTextureFromFileW(IDirect3DDevice9* device, LPCWSTR fileName, IDirect3DVolumeTexture9** texture)
{
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    if (!device || !fileName) return D3DERR_INVALIDCALL;
    lvtex::Image image;
    if (!lvtex::Load(fileName, image)) return D3DXERR_INVALIDDATA;
    return lvtex::Make3D(device, image, texture);
}
