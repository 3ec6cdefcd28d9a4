// The framework's dialog classes as the level editor uses them: a resource
// manager, a dialog with buttons and a combo box, events to one callback.
// Controls answer their hot keys and mouse clicks; drawing is not done yet.
#pragma once

#include "DXUT.h"

#include <string>
#include <vector>

#define EVENT_BUTTON_CLICKED 0x0101
#define EVENT_COMBOBOX_SELECTION_CHANGED 0x0201

class CDXUTControl;
class CDXUTDialog;

typedef void(CALLBACK* PCALLBACKDXUTGUIEVENT)(UINT event, int controlId, CDXUTControl* control, void* userContext);

enum DXUT_CONTROL_TYPE {
    DXUT_CONTROL_BUTTON,
    DXUT_CONTROL_COMBOBOX,
};

// Shared by every dialog: the device objects the dialogs draw with.
class CDXUTDialogResourceManager
{
public:
    HRESULT OnD3D9CreateDevice(IDirect3DDevice9* device);
    HRESULT OnD3D9ResetDevice();
    void OnD3D9LostDevice();
    void OnD3D9DestroyDevice();
    HRESULT OnCreateDevice(IDirect3DDevice9* device) { return OnD3D9CreateDevice(device); }
    HRESULT OnResetDevice() { return OnD3D9ResetDevice(); }
    void OnLostDevice() { OnD3D9LostDevice(); }
    void OnDestroyDevice() { OnD3D9DestroyDevice(); }
    // The manager itself takes no messages (no edit boxes here).
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    IDirect3DDevice9* GetD3D9Device() const { return device; }

    void RegisterDialog(CDXUTDialog* dialog);
    void UnregisterDialog(CDXUTDialog* dialog);
    ~CDXUTDialogResourceManager();

private:
    IDirect3DDevice9* device = nullptr;
    std::vector<CDXUTDialog*> dialogs;
};

class CDXUTControl
{
public:
    CDXUTControl(CDXUTDialog* dialog, DXUT_CONTROL_TYPE type, int id, int x, int y, int width, int height, UINT hotkey);
    virtual ~CDXUTControl() = default;
    DXUT_CONTROL_TYPE GetType() const { return type; }
    int GetID() const { return id; }
    UINT GetHotkey() const { return hotkey; }
    void SetHotkey(UINT key) { hotkey = key; }
    bool GetEnabled() const { return enabled; }
    void SetEnabled(bool on) { enabled = on; }
    bool GetVisible() const { return visible; }
    void SetVisible(bool on) { visible = on; }
    void SetLocation(int newX, int newY)
    {
        x = newX;
        y = newY;
    }
    void SetSize(int newWidth, int newHeight)
    {
        width = newWidth;
        height = newHeight;
    }
    bool ContainsPoint(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    virtual void OnHotkey() {}
    virtual void OnClick() {}

protected:
    CDXUTDialog* dialog;

private:
    DXUT_CONTROL_TYPE type;
    int id;
    int x, y, width, height;
    UINT hotkey;
    bool enabled = true;
    bool visible = true;
};

class CDXUTButton : public CDXUTControl
{
public:
    CDXUTButton(CDXUTDialog* dialog, int id, LPCWSTR text, int x, int y, int width, int height, UINT hotkey);
    const wchar_t* GetText() const { return text.c_str(); }
    void SetText(LPCWSTR newText) { text = newText ? newText : L""; }
    void OnHotkey() override;
    void OnClick() override;

private:
    std::wstring text;
};

class CDXUTComboBox : public CDXUTControl
{
public:
    CDXUTComboBox(CDXUTDialog* dialog, int id, int x, int y, int width, int height, UINT hotkey);
    HRESULT AddItem(LPCWSTR text, void* data);
    void RemoveAllItems();
    UINT GetNumItems() const { return static_cast<UINT>(items.size()); }
    void SetDropHeight(UINT height) { dropHeight = height; }
    UINT GetDropHeight() const { return dropHeight; }
    // Data of the selected item; null when the list is empty.
    void* GetSelectedData() const;
    int GetSelectedIndex() const { return selected; }
    HRESULT SetSelectedByIndex(UINT index);
    const wchar_t* GetItemText(UINT index) const;
    // The hot key and a click both select the next item, wrapping round.
    void OnHotkey() override;
    void OnClick() override;

private:
    struct Item
    {
        std::wstring text;
        void* data;
    };
    void SelectNext();
    std::vector<Item> items;
    int selected = -1;
    UINT dropHeight = 100;
};

class CDXUTDialog
{
public:
    CDXUTDialog() = default;
    ~CDXUTDialog();
    CDXUTDialog(const CDXUTDialog&) = delete;
    CDXUTDialog& operator=(const CDXUTDialog&) = delete;

    void Init(CDXUTDialogResourceManager* manager, bool registerDialog = true);
    void Init(CDXUTDialogResourceManager* manager, bool registerDialog, LPCWSTR controlTextureFile);
    void SetCallback(PCALLBACKDXUTGUIEVENT callback, void* userContext = nullptr);
    HRESULT SetFont(UINT index, LPCWSTR faceName, LONG height, LONG weight);
    HRESULT SetTexture(UINT index, LPCWSTR fileName);
    void SetLocation(int newX, int newY)
    {
        x = newX;
        y = newY;
    }
    void SetSize(int newWidth, int newHeight)
    {
        width = newWidth;
        height = newHeight;
    }
    void SetVisible(bool on) { visible = on; }
    bool GetVisible() const { return visible; }
    // Events from code (not from the user) reach the callback only when enabled.
    void EnableNonUserEvents(bool on) { nonUserEvents = on; }

    HRESULT AddButton(int id, LPCWSTR text, int x, int y, int width, int height, UINT hotkey = 0,
                      bool isDefault = false, CDXUTButton** created = nullptr);
    HRESULT AddComboBox(int id, int x, int y, int width, int height, UINT hotkey = 0, bool isDefault = false,
                        CDXUTComboBox** created = nullptr);
    CDXUTControl* GetControl(int id) const;
    CDXUTButton* GetButton(int id) const;
    CDXUTComboBox* GetComboBox(int id) const;

    // True when the message was used: a control's hot key (key down) or a
    // click on a control (left button up over it).
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HRESULT OnRender(float elapsedTime);

    void SendEvent(UINT event, bool triggeredByUser, CDXUTControl* control);
    const std::wstring& GetFontFace(UINT index) const;
    const std::wstring& GetTextureFile(UINT index) const;
    CDXUTDialogResourceManager* GetManager() const { return manager; }
    void DetachManager() { manager = nullptr; }

private:
    struct Font
    {
        std::wstring face;
        LONG height;
        LONG weight;
    };
    HRESULT AddControl(CDXUTControl* control, void** created);

    CDXUTDialogResourceManager* manager = nullptr;
    PCALLBACKDXUTGUIEVENT callback = nullptr;
    void* callbackContext = nullptr;
    std::vector<CDXUTControl*> controls;
    std::vector<Font> fonts;
    std::vector<std::wstring> textures;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = true;
    bool nonUserEvents = false;
    CDXUTControl* pressed = nullptr;
};
