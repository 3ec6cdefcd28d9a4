// Dialog, button and combo box: layout, hot keys, clicks and events.
#include "DXUTgui.h"

#include <windowsx.h>

#include <algorithm>

// --- resource manager -------------------------------------------------------

HRESULT CDXUTDialogResourceManager::OnD3D9CreateDevice(IDirect3DDevice9* newDevice)
{
    device = newDevice;
    return S_OK;
}

HRESULT CDXUTDialogResourceManager::OnD3D9ResetDevice()
{
    return S_OK;
}
void CDXUTDialogResourceManager::OnD3D9LostDevice() {}
void CDXUTDialogResourceManager::OnD3D9DestroyDevice()
{
    device = nullptr;
}

bool CDXUTDialogResourceManager::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)window;
    (void)message;
    (void)wParam;
    (void)lParam;
    return false;
}

void CDXUTDialogResourceManager::RegisterDialog(CDXUTDialog* dialog)
{
    if (dialog && std::find(dialogs.begin(), dialogs.end(), dialog) == dialogs.end()) dialogs.push_back(dialog);
}

void CDXUTDialogResourceManager::UnregisterDialog(CDXUTDialog* dialog)
{
    dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), dialog), dialogs.end());
}

CDXUTDialogResourceManager::~CDXUTDialogResourceManager()
{
    // Dialogs that outlive their manager must not reach back into it.
    for (CDXUTDialog* dialog : dialogs) dialog->DetachManager();
}

// --- controls ---------------------------------------------------------------

CDXUTControl::CDXUTControl(CDXUTDialog* owner, DXUT_CONTROL_TYPE controlType, int controlId, int left, int top, int w,
                           int h, UINT key)
    : dialog(owner), type(controlType), id(controlId), x(left), y(top), width(w), height(h), hotkey(key)
{}

CDXUTButton::CDXUTButton(CDXUTDialog* owner, int controlId, LPCWSTR label, int left, int top, int w, int h, UINT key)
    : CDXUTControl(owner, DXUT_CONTROL_BUTTON, controlId, left, top, w, h, key), text(label ? label : L"")
{}

void CDXUTButton::OnHotkey()
{
    dialog->SendEvent(EVENT_BUTTON_CLICKED, true, this);
}
void CDXUTButton::OnClick()
{
    dialog->SendEvent(EVENT_BUTTON_CLICKED, true, this);
}

CDXUTComboBox::CDXUTComboBox(CDXUTDialog* owner, int controlId, int left, int top, int w, int h, UINT key)
    : CDXUTControl(owner, DXUT_CONTROL_COMBOBOX, controlId, left, top, w, h, key)
{}

HRESULT CDXUTComboBox::AddItem(LPCWSTR text, void* data)
{
    if (!text) return E_INVALIDARG;
    items.push_back(Item{text, data});
    // The first item becomes the selection, as an event not made by the user.
    if (items.size() == 1) {
        selected = 0;
        dialog->SendEvent(EVENT_COMBOBOX_SELECTION_CHANGED, false, this);
    }
    return S_OK;
}

void CDXUTComboBox::RemoveAllItems()
{
    items.clear();
    selected = -1;
}

void* CDXUTComboBox::GetSelectedData() const
{
    return selected >= 0 && static_cast<size_t>(selected) < items.size() ? items[static_cast<size_t>(selected)].data
                                                                         : nullptr;
}

HRESULT CDXUTComboBox::SetSelectedByIndex(UINT index)
{
    if (index >= items.size()) return E_INVALIDARG;
    selected = static_cast<int>(index);
    dialog->SendEvent(EVENT_COMBOBOX_SELECTION_CHANGED, false, this);
    return S_OK;
}

const wchar_t* CDXUTComboBox::GetItemText(UINT index) const
{
    return index < items.size() ? items[index].text.c_str() : nullptr;
}

void CDXUTComboBox::SelectNext()
{
    if (items.empty()) return;
    selected = (selected + 1) % static_cast<int>(items.size());
    dialog->SendEvent(EVENT_COMBOBOX_SELECTION_CHANGED, true, this);
}

void CDXUTComboBox::OnHotkey()
{
    SelectNext();
}
void CDXUTComboBox::OnClick()
{
    SelectNext();
}

// --- dialog -----------------------------------------------------------------

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
}

void CDXUTDialog::SetCallback(PCALLBACKDXUTGUIEVENT newCallback, void* userContext)
{
    callback = newCallback;
    callbackContext = userContext;
}

HRESULT CDXUTDialog::SetFont(UINT index, LPCWSTR faceName, LONG fontHeight, LONG weight)
{
    if (index > 63 || !faceName) return E_INVALIDARG;
    if (fonts.size() <= index) fonts.resize(index + 1, Font{L"", 0, 0});
    fonts[index] = Font{faceName, fontHeight, weight};
    return S_OK;
}

HRESULT CDXUTDialog::SetTexture(UINT index, LPCWSTR fileName)
{
    if (index > 63 || !fileName) return E_INVALIDARG;
    if (textures.size() <= index) textures.resize(index + 1);
    textures[index] = fileName;
    return S_OK;
}

const std::wstring& CDXUTDialog::GetFontFace(UINT index) const
{
    static const std::wstring none;
    return index < fonts.size() ? fonts[index].face : none;
}

const std::wstring& CDXUTDialog::GetTextureFile(UINT index) const
{
    static const std::wstring none;
    return index < textures.size() ? textures[index] : none;
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

bool CDXUTDialog::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)window;
    if (!visible) return false;
    // A callback may add controls; work on a copy of the list.
    const std::vector<CDXUTControl*> current = controls;
    if (message == WM_KEYDOWN) {
        for (CDXUTControl* control : current) {
            if (control->GetHotkey() != 0 && control->GetHotkey() == static_cast<UINT>(wParam) &&
                control->GetEnabled() && control->GetVisible()) {
                control->OnHotkey();
                return true;
            }
        }
        return false;
    }
    if (message != WM_LBUTTONDOWN && message != WM_LBUTTONDBLCLK && message != WM_LBUTTONUP) return false;
    const int px = GET_X_LPARAM(lParam) - x;
    const int py = GET_Y_LPARAM(lParam) - y;
    CDXUTControl* hit = nullptr;
    for (CDXUTControl* control : current) {
        if (control->GetEnabled() && control->GetVisible() && control->ContainsPoint(px, py)) hit = control;
    }
    if (message == WM_LBUTTONUP) {
        // A click is a press and a release on the same control.
        const bool clicked = hit && hit == pressed;
        pressed = nullptr;
        if (clicked) hit->OnClick();
        return clicked;
    }
    pressed = hit;
    return hit != nullptr;
}

HRESULT CDXUTDialog::OnRender(float elapsedTime)
{
    (void)elapsedTime;
    return S_OK;
}
