// The dialog: its controls, fonts and skin, the window messages it routes to
// its controls, the events it sends, and drawing them all.
#include "DXUTgui.h"

#include "DXUTguiPainter.h"

#include <windowsx.h>

#include <cstdlib>

namespace {

constexpr UINT kMaxFontsAndTextures = 64;

// The framework's own face for control text; the game's fonts come after it.
constexpr const wchar_t* kDefaultFace = L"DejaVu Sans";
constexpr LONG kDefaultFontHeight = 14;

} // namespace

CDXUTDialog::CDXUTDialog()
{
    SetFont(0, kDefaultFace, kDefaultFontHeight, FW_NORMAL);
}

CDXUTDialog::~CDXUTDialog()
{
    if (manager) manager->UnregisterDialog(this);
    for (CDXUTControl* control : controls) delete control;
}

void CDXUTDialog::Init(CDXUTDialogResourceManager* newManager, bool registerDialog)
{
    Init(newManager, registerDialog, L"UI\\DXUTControls.dds");
}

void CDXUTDialog::Init(CDXUTDialogResourceManager* newManager, bool registerDialog, LPCWSTR controlTextureFile)
{
    if (manager) manager->UnregisterDialog(this);
    manager = newManager;
    if (manager && registerDialog) manager->RegisterDialog(this);
    SetTexture(0, controlTextureFile);
    RegisterResources();
}

void CDXUTDialog::RegisterResources()
{
    if (!manager) return;
    for (Font& font : fonts) {
        if (!font.face.empty()) font.managed = manager->AddFont(font.face.c_str(), font.height, font.weight);
    }
    for (Texture& texture : textures) {
        if (!texture.file.empty()) texture.managed = manager->AddTexture(texture.file.c_str());
    }
}

void CDXUTDialog::SetCallback(PCALLBACKDXUTGUIEVENT newCallback, void* userContext)
{
    callback = newCallback;
    callbackContext = userContext;
}

HRESULT CDXUTDialog::SetFont(UINT index, LPCWSTR faceName, LONG fontHeight, LONG weight)
{
    if (index >= kMaxFontsAndTextures || !faceName) return E_INVALIDARG;
    if (fonts.size() <= index) fonts.resize(index + 1, Font{L"", 0, 0, -1});
    const int managed = manager ? manager->AddFont(faceName, fontHeight, weight) : -1;
    fonts[index] = Font{faceName, fontHeight, weight, managed};
    return S_OK;
}

HRESULT CDXUTDialog::SetTexture(UINT index, LPCWSTR fileName)
{
    if (index >= kMaxFontsAndTextures || !fileName) return E_INVALIDARG;
    if (textures.size() <= index) textures.resize(index + 1, Texture{L"", -1});
    const int managed = manager ? manager->AddTexture(fileName) : -1;
    textures[index] = Texture{fileName, managed};
    return S_OK;
}

const std::wstring& CDXUTDialog::GetFontFace(UINT index) const
{
    static const std::wstring none;
    return index < fonts.size() ? fonts[index].face : none;
}

LONG CDXUTDialog::GetFontHeight(UINT index) const
{
    // A negative height asks for the glyphs' height rather than the cell's; the size is what counts here.
    return index < fonts.size() ? std::labs(fonts[index].height) : 0;
}

const std::wstring& CDXUTDialog::GetTextureFile(UINT index) const
{
    static const std::wstring none;
    return index < textures.size() ? textures[index].file : none;
}

HRESULT CDXUTDialog::AddControl(CDXUTControl* control, void** created)
{
    if (GetControl(control->GetID())) {
        // Ids name controls; a second control with the same id could never be found.
        delete control;
        if (created) *created = nullptr;
        return E_INVALIDARG;
    }
    controls.push_back(control);
    if (created) *created = control;
    return S_OK;
}

HRESULT CDXUTDialog::AddButton(int id, LPCWSTR text, int left, int top, int w, int h, UINT hotkey, bool isDefault,
                               CDXUTButton** created)
{
    (void)isDefault;
    return AddControl(new CDXUTButton(this, id, text, left, top, w, h, hotkey), reinterpret_cast<void**>(created));
}

HRESULT CDXUTDialog::AddComboBox(int id, int left, int top, int w, int h, UINT hotkey, bool isDefault,
                                 CDXUTComboBox** created)
{
    (void)isDefault;
    return AddControl(new CDXUTComboBox(this, id, left, top, w, h, hotkey), reinterpret_cast<void**>(created));
}

CDXUTControl* CDXUTDialog::GetControl(int id) const
{
    for (CDXUTControl* control : controls) {
        if (control->GetID() == id) return control;
    }
    return nullptr;
}

CDXUTButton* CDXUTDialog::GetButton(int id) const
{
    CDXUTControl* control = GetControl(id);
    return control && control->GetType() == DXUT_CONTROL_BUTTON ? static_cast<CDXUTButton*>(control) : nullptr;
}

CDXUTComboBox* CDXUTDialog::GetComboBox(int id) const
{
    CDXUTControl* control = GetControl(id);
    return control && control->GetType() == DXUT_CONTROL_COMBOBOX ? static_cast<CDXUTComboBox*>(control) : nullptr;
}

void CDXUTDialog::SendEvent(UINT event, bool triggeredByUser, CDXUTControl* control)
{
    if (!callback || (!triggeredByUser && !nonUserEvents)) return;
    callback(event, control ? control->GetID() : 0, control, callbackContext);
}

CDXUTComboBox* CDXUTDialog::OpenList() const
{
    for (CDXUTControl* control : controls) {
        if (control->GetType() == DXUT_CONTROL_COMBOBOX && static_cast<CDXUTComboBox*>(control)->IsOpened())
            return static_cast<CDXUTComboBox*>(control);
    }
    return nullptr;
}

// The control under the point: an open list lies over everything, otherwise
// the last control added is on top.
void CDXUTDialog::UpdateHover(int px, int py)
{
    CDXUTControl* open = OpenList();
    CDXUTControl* hit = open && open->Covers(px, py) ? open : nullptr;
    if (!hit) {
        for (CDXUTControl* control : controls) {
            if (control->GetEnabled() && control->GetVisible() && control->Covers(px, py)) hit = control;
        }
    }
    for (CDXUTControl* control : controls) control->SetMouseOver(control == hit);
}

bool CDXUTDialog::HandleMouse(UINT message, WPARAM wParam, int px, int py)
{
    CDXUTComboBox* open = OpenList();
    switch (message) {
    case WM_MOUSEMOVE:
        UpdateHover(px, py);
        if (open) return open->OnMouseMove(px, py);
        return pressed ? pressed->OnMouseMove(px, py) : false;
    case WM_MOUSEWHEEL: {
        if (!open) return false;
        const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
        const int notches = delta / WHEEL_DELTA != 0 ? delta / WHEEL_DELTA : (delta > 0) - (delta < 0);
        return open->OnMouseWheel(notches);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        UpdateHover(px, py);
        if (open && open->Covers(px, py)) {
            pressed = open;
            return open->OnMouseDown(px, py);
        }
        // A press elsewhere folds an open list away, and still reaches what it landed on.
        const bool closed = open && open->OnPressElsewhere();
        pressed = nullptr;
        for (CDXUTControl* control : controls) {
            if (control->GetEnabled() && control->GetVisible() && control->Covers(px, py)) pressed = control;
        }
        const bool used = pressed && pressed->OnMouseDown(px, py);
        return used || closed;
    }
    case WM_LBUTTONUP: {
        CDXUTControl* released = pressed;
        pressed = nullptr;
        return released ? released->OnMouseUp(px, py) : false;
    }
    default:
        return false;
    }
}

bool CDXUTDialog::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)window;
    if (!visible) return false;
    if (message == WM_KEYDOWN) {
        // A callback may add controls; work on a copy of the list.
        const std::vector<CDXUTControl*> current = controls;
        for (CDXUTControl* control : current) {
            if (control->GetHotkey() != 0 && control->GetHotkey() == static_cast<UINT>(wParam) &&
                control->GetEnabled() && control->GetVisible() && control->OnHotkey()) {
                return true;
            }
        }
        return false;
    }
    // Client pixels, signed: a captured mouse can report points left of or above the window.
    return HandleMouse(message, wParam, GET_X_LPARAM(lParam) - x, GET_Y_LPARAM(lParam) - y);
}

HRESULT CDXUTDialog::OnRender(float elapsedTime)
{
    // Controls change their look at once; there is nothing to animate.
    (void)elapsedTime;
    IDirect3DDevice9* device = manager ? manager->GetD3D9Device() : nullptr;
    if (!visible || !device) return S_OK;
    UINT skinWidth = 0, skinHeight = 0;
    IDirect3DTexture9* skin =
        textures.empty() ? nullptr : manager->GetTexture(textures[0].managed, &skinWidth, &skinHeight);
    CD3DFont* font = fonts.empty() ? nullptr : manager->GetFont(fonts[0].managed);
    DXUTDialogPainter painter(device, skin, skinWidth, skinHeight, font, x, y);
    for (CDXUTControl* control : controls) {
        if (control->GetVisible()) control->Render(painter);
    }
    for (CDXUTControl* control : controls) {
        if (control->GetVisible()) control->RenderPopup(painter);
    }
    return S_OK;
}
