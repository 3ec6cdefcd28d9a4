// The dialog resource manager: the fonts and skin textures every dialog shares,
// made on the device in the managed pool (a reset keeps them) and freed by the
// manager itself, since the game never tells it the device went away.
#include "DXUTgui.h"

#include "d3dfont.h"

#include <d3dx9tex.h>

#include <algorithm>
#include <cstdlib>

struct CDXUTDialogResourceManager::FontNode
{
    std::wstring face;
    LONG height;
    LONG weight;
    std::unique_ptr<CD3DFont> font; // owned; null until made or when making it failed
    bool tried = false;
};

struct CDXUTDialogResourceManager::TextureNode
{
    std::wstring file;
    IDirect3DTexture9* texture = nullptr; // one reference, owned
    UINT width = 0, height = 0;
    bool tried = false;
};

namespace {

// A font's height is in pixels here; the bitmap font takes points at 96 dots per inch.
DWORD PointsForPixels(LONG pixels)
{
    return DWORD(std::max(1L, std::labs(pixels) * 3 / 4));
}

constexpr LONG kBoldFrom = 600; // weights from semi-bold up draw bold

} // namespace

CDXUTDialogResourceManager::CDXUTDialogResourceManager() = default;

CDXUTDialogResourceManager::~CDXUTDialogResourceManager()
{
    // Dialogs that outlive their manager must not reach back into it.
    for (CDXUTDialog* dialog : dialogs) dialog->DetachManager();
    OnD3D9DestroyDevice();
}

void CDXUTDialogResourceManager::MakeFont(FontNode& node)
{
    if (!device || node.tried) return;
    node.tried = true;
    node.font.reset(
        new CD3DFont(node.face.c_str(), PointsForPixels(node.height), node.weight >= kBoldFrom ? D3DFONT_BOLD : 0));
    // The font reports what went wrong; the dialog then draws without text.
    if (FAILED(node.font->InitDeviceObjects(device))) node.font.reset();
}

void CDXUTDialogResourceManager::MakeTexture(TextureNode& node)
{
    if (!device || node.tried) return;
    node.tried = true;
    D3DXIMAGE_INFO info = {};
    // The loader reports a missing or broken file; the dialogs then draw flat.
    if (FAILED(D3DXCreateTextureFromFileExW(device, node.file.c_str(), D3DX_DEFAULT, D3DX_DEFAULT, 1, 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                            nullptr, &node.texture))) {
        node.texture = nullptr;
        return;
    }
    node.width = info.Width;
    node.height = info.Height;
}

void CDXUTDialogResourceManager::MakeMissing()
{
    for (auto& font : fonts) MakeFont(*font);
    for (auto& texture : textures) MakeTexture(*texture);
}

HRESULT CDXUTDialogResourceManager::OnD3D9CreateDevice(IDirect3DDevice9* newDevice)
{
    OnD3D9DestroyDevice();
    device = newDevice;
    MakeMissing();
    return S_OK;
}

HRESULT CDXUTDialogResourceManager::OnD3D9ResetDevice()
{
    MakeMissing();
    for (auto& font : fonts) {
        if (font->font) font->font->RestoreDeviceObjects();
    }
    return S_OK;
}

// Nothing lives in the default pool.
void CDXUTDialogResourceManager::OnD3D9LostDevice() {}

void CDXUTDialogResourceManager::OnD3D9DestroyDevice()
{
    for (auto& font : fonts) {
        font->font.reset();
        font->tried = false;
    }
    for (auto& texture : textures) {
        if (texture->texture) texture->texture->Release();
        texture->texture = nullptr;
        texture->width = texture->height = 0;
        texture->tried = false;
    }
    device = nullptr;
}

bool CDXUTDialogResourceManager::MsgProc(HWND, UINT, WPARAM, LPARAM)
{
    return false;
}

int CDXUTDialogResourceManager::AddFont(LPCWSTR faceName, LONG height, LONG weight)
{
    if (!faceName) return -1;
    for (size_t i = 0; i < fonts.size(); ++i) {
        const FontNode& f = *fonts[i];
        if (f.height == height && f.weight == weight && f.face == faceName) return int(i);
    }
    fonts.emplace_back(new FontNode{faceName, height, weight, nullptr, false});
    MakeFont(*fonts.back());
    return int(fonts.size() - 1);
}

int CDXUTDialogResourceManager::AddTexture(LPCWSTR fileName)
{
    if (!fileName) return -1;
    for (size_t i = 0; i < textures.size(); ++i) {
        if (textures[i]->file == fileName) return int(i);
    }
    textures.emplace_back(new TextureNode);
    textures.back()->file = fileName;
    MakeTexture(*textures.back());
    return int(textures.size() - 1);
}

CD3DFont* CDXUTDialogResourceManager::GetFont(int index) const
{
    return index >= 0 && size_t(index) < fonts.size() ? fonts[size_t(index)]->font.get() : nullptr;
}

IDirect3DTexture9* CDXUTDialogResourceManager::GetTexture(int index, UINT* width, UINT* height) const
{
    const TextureNode* node = index >= 0 && size_t(index) < textures.size() ? textures[size_t(index)].get() : nullptr;
    if (width) *width = node ? node->width : 0;
    if (height) *height = node ? node->height : 0;
    return node ? node->texture : nullptr;
}

void CDXUTDialogResourceManager::RegisterDialog(CDXUTDialog* dialog)
{
    if (dialog && std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end()) dialogs.push_back(dialog);
}

void CDXUTDialogResourceManager::UnregisterDialog(CDXUTDialog* dialog)
{
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}
