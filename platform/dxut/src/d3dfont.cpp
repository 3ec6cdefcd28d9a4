// The bitmap font: DejaVu through stb_truetype, drawn with the device's
// pre-transformed stage.
#include "d3dfont.h"

#include "Win32Error.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

#include <cwctype>
#include <fstream>
#include <string>

namespace {

constexpr wchar_t kFirst = 32;
constexpr wchar_t kLast = 255; // Latin-1
constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";

bool Contains(const std::wstring& haystack, const wchar_t* needle)
{
    std::wstring lower;
    for (wchar_t c : haystack) lower += wchar_t(std::towlower(wint_t(c)));
    return lower.find(needle) != std::wstring::npos;
}

std::string FontFile(const std::wstring& face, DWORD flags)
{
    std::string family = "DejaVuSans";
    if (Contains(face, L"mono") || Contains(face, L"courier") || Contains(face, L"console"))
        family = "DejaVuSansMono";
    else if (Contains(face, L"times") || Contains(face, L"serif") || Contains(face, L"roman"))
        family = "DejaVuSerif";
    const bool bold = (flags & D3DFONT_BOLD) != 0;
    const bool italic = (flags & D3DFONT_ITALIC) != 0;
    std::string style;
    if (bold && italic)
        style = family == "DejaVuSerif" ? "-BoldItalic" : "-BoldOblique";
    else if (bold)
        style = "-Bold";
    else if (italic)
        style = family == "DejaVuSerif" ? "-Italic" : "-Oblique";
    return std::string(kFontFolder) + family + style + ".ttf";
}

bool ReadAll(const std::string& path, std::vector<unsigned char>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !bytes.empty();
}

} // namespace

CD3DFont::CD3DFont(const wchar_t* face, DWORD height, DWORD flags)
    : height_(height), flags_(flags), pixelHeight_(float(height) * 4.f / 3.f)
{
    if (face) face_.assign(face, face + std::wcslen(face));
    face_.push_back(L'\0');
    if (pixelHeight_ < 4.f) pixelHeight_ = 4.f;
    if (pixelHeight_ > 200.f) pixelHeight_ = 200.f;
}

CD3DFont::~CD3DFont()
{
    DeleteDeviceObjects();
}

bool CD3DFont::Rasterise(std::vector<uint8_t>& alpha)
{
    const std::string path = FontFile(std::wstring(face_.data()), flags_);
    std::vector<unsigned char> ttf;
    stbtt_fontinfo info;
    if (!ReadAll(path, ttf) || !stbtt_InitFont(&info, ttf.data(), stbtt_GetFontOffsetForIndex(ttf.data(), 0))) {
        Win32ReportError("Could not read the font " + path, __FILE__, __LINE__);
        return false;
    }
    const int count = int(kLast - kFirst + 1);
    std::vector<stbtt_bakedchar> baked(static_cast<size_t>(count));
    for (atlasSize_ = 128; atlasSize_ <= 2048; atlasSize_ *= 2) {
        alpha.assign(size_t(atlasSize_) * atlasSize_, 0);
        if (stbtt_BakeFontBitmap(ttf.data(), 0, pixelHeight_, alpha.data(), int(atlasSize_), int(atlasSize_),
                                 int(kFirst), count, baked.data()) > 0) {
            break;
        }
    }
    if (atlasSize_ > 2048) {
        Win32ReportError("The font does not fit a texture at this size", __FILE__, __LINE__);
        return false;
    }
    int ascent = 0, descent = 0, gap = 0;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    const float scale = stbtt_ScaleForPixelHeight(&info, pixelHeight_);
    ascent_ = float(ascent) * scale;
    lineHeight_ = float(ascent - descent + gap) * scale;
    glyphs_.resize(size_t(count));
    const float inv = 1.f / float(atlasSize_);
    for (int i = 0; i < count; ++i) {
        const stbtt_bakedchar& b = baked[size_t(i)];
        glyphs_[size_t(i)] = {b.x0 * inv,
                              b.y0 * inv,
                              b.x1 * inv,
                              b.y1 * inv,
                              b.xoff,
                              b.yoff,
                              b.xoff + float(b.x1 - b.x0),
                              b.yoff + float(b.y1 - b.y0),
                              b.xadvance};
    }
    return true;
}

HRESULT CD3DFont::InitDeviceObjects(IDirect3DDevice9* device)
{
    DeleteDeviceObjects();
    if (!device) return E_INVALIDARG;
    std::vector<uint8_t> alpha;
    if (!Rasterise(alpha)) return E_FAIL;
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(
            device->CreateTexture(atlasSize_, atlasSize_, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr))) {
        return E_FAIL;
    }
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
        texture->Release();
        return E_FAIL;
    }
    for (UINT y = 0; y < atlasSize_; ++y) {
        DWORD* row = reinterpret_cast<DWORD*>(static_cast<uint8_t*>(locked.pBits) + size_t(y) * size_t(locked.Pitch));
        for (UINT x = 0; x < atlasSize_; ++x) row[x] = (DWORD(alpha[size_t(y) * atlasSize_ + x]) << 24) | 0x00FFFFFFu;
    }
    texture->UnlockRect(0);
    device_ = device;
    texture_ = texture;
    return S_OK;
}

// The atlas lives in the managed pool, so a reset keeps it.
HRESULT CD3DFont::RestoreDeviceObjects()
{
    return texture_ ? S_OK : E_FAIL;
}

HRESULT CD3DFont::InvalidateDeviceObjects()
{
    return S_OK;
}

HRESULT CD3DFont::DeleteDeviceObjects()
{
    if (texture_) texture_->Release();
    texture_ = nullptr;
    device_ = nullptr;
    return S_OK;
}

const CD3DFont::Glyph* CD3DFont::Find(wchar_t c) const
{
    if (c < kFirst || c > kLast || glyphs_.empty()) c = L'?';
    return &glyphs_[size_t(c - kFirst)];
}

HRESULT CD3DFont::GetTextExtent(const wchar_t* text, SIZE* size) const
{
    if (!text || !size || glyphs_.empty()) return E_FAIL;
    float width = 0.f, line = 0.f;
    int lines = 1;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'\n') {
            ++lines;
            line = 0.f;
            continue;
        }
        line += Find(*c)->advance;
        if (line > width) width = line;
    }
    size->cx = LONG(width + 0.5f);
    size->cy = LONG(float(lines) * lineHeight_ + 0.5f);
    return S_OK;
}

HRESULT CD3DFont::DrawText(float x, float y, DWORD colour, const wchar_t* text, DWORD flags)
{
    if (!device_ || !texture_ || !text) return E_FAIL;
    if (flags & (D3DFONT_CENTERED_X | D3DFONT_CENTERED_Y)) {
        D3DVIEWPORT9 vp;
        SIZE extent;
        device_->GetViewport(&vp);
        GetTextExtent(text, &extent);
        if (flags & D3DFONT_CENTERED_X) x = (float(vp.Width) - float(extent.cx)) * 0.5f;
        if (flags & D3DFONT_CENTERED_Y) y = (float(vp.Height) - float(extent.cy)) * 0.5f;
    }
    vertices_.clear();
    const float left = x;
    float penY = y + ascent_;
    for (const wchar_t* c = text; *c; ++c) {
        if (*c == L'\n') {
            x = left;
            penY += lineHeight_;
            continue;
        }
        const Glyph* g = Find(*c);
        // Whole-pixel pen positions keep the glyph texels on screen pixels.
        const float px = float(int(x + 0.5f)) - 0.5f, py = float(int(penY + 0.5f)) - 0.5f;
        const Vertex a = {px + g->x0, py + g->y0, 0.f, 1.f, colour, g->u0, g->v0};
        const Vertex b = {px + g->x1, py + g->y0, 0.f, 1.f, colour, g->u1, g->v0};
        const Vertex c0 = {px + g->x0, py + g->y1, 0.f, 1.f, colour, g->u0, g->v1};
        const Vertex d = {px + g->x1, py + g->y1, 0.f, 1.f, colour, g->u1, g->v1};
        if (g->x1 > g->x0) {
            vertices_.insert(vertices_.end(), {a, b, c0, b, d, c0});
        }
        x += g->advance;
    }
    if (vertices_.empty()) return S_OK;

    // Save what the text changes and give it back afterwards, as the framework's font does.
    static const D3DRENDERSTATETYPE kStates[] = {D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND, D3DRS_DESTBLEND,
                                                 D3DRS_BLENDOP,          D3DRS_ZENABLE,  D3DRS_CULLMODE,
                                                 D3DRS_ALPHATESTENABLE,  D3DRS_FILLMODE};
    DWORD saved[sizeof(kStates) / sizeof(kStates[0])];
    for (size_t i = 0; i < sizeof(kStates) / sizeof(kStates[0]); ++i) device_->GetRenderState(kStates[i], &saved[i]);
    DWORD minFilter, magFilter, mipFilter, fvf;
    device_->GetSamplerState(0, D3DSAMP_MINFILTER, &minFilter);
    device_->GetSamplerState(0, D3DSAMP_MAGFILTER, &magFilter);
    device_->GetSamplerState(0, D3DSAMP_MIPFILTER, &mipFilter);
    device_->GetFVF(&fvf);
    IDirect3DVertexDeclaration9* decl = nullptr;
    device_->GetVertexDeclaration(&decl);
    IDirect3DBaseTexture9* texture = nullptr;
    device_->GetTexture(0, &texture);

    const DWORD filter = (flags & D3DFONT_FILTERED) ? D3DTEXF_LINEAR : D3DTEXF_POINT;
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device_->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device_->SetRenderState(D3DRS_ZENABLE, (flags_ & D3DFONT_ZENABLE) ? TRUE : FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    device_->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device_->SetTexture(0, texture_);
    device_->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    const HRESULT hr =
        device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices_.size() / 3), vertices_.data(), sizeof(Vertex));

    for (size_t i = 0; i < sizeof(kStates) / sizeof(kStates[0]); ++i) device_->SetRenderState(kStates[i], saved[i]);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, minFilter);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, magFilter);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, mipFilter);
    device_->SetTexture(0, texture);
    if (texture) texture->Release();
    if (decl) {
        device_->SetVertexDeclaration(decl);
        decl->Release();
    } else {
        device_->SetFVF(fvf);
    }
    return hr;
}
