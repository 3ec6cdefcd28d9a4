// The framework's dialog classes as the level editor uses them: a resource
// manager holding the device objects every dialog draws with, a dialog with
// buttons and a combo box, and events to one callback.
//
// Controls answer their hot keys and the mouse in client pixels; a dialog
// draws itself over the frame with pre-transformed quads cut from its skin
// texture (flat rectangles when the skin could not be read) and text through
// the bitmap font, and gives the device back its states afterwards.
#pragma once

#include "DXUT.h"

#include <memory>
#include <string>
#include <vector>

#define EVENT_BUTTON_CLICKED 0x0101
#define EVENT_COMBOBOX_SELECTION_CHANGED 0x0201

#ifndef FW_NORMAL
#define FW_NORMAL 400
#endif
#ifndef FW_BOLD
#define FW_BOLD 700
#endif

class CD3DFont;
class CDXUTControl;
class CDXUTDialog;
class DXUTDialogPainter;

typedef void(CALLBACK* PCALLBACKDXUTGUIEVENT)(UINT event, int controlId, CDXUTControl* control, void* userContext);

enum DXUT_CONTROL_TYPE {
    DXUT_CONTROL_BUTTON,
    DXUT_CONTROL_COMBOBOX,
};

// Shared by every dialog: the fonts and skin textures, made on the device when
// there is one. Device objects live in the managed pool, so a reset keeps them;
// the destructor (or OnD3D9DestroyDevice) frees them.
class CDXUTDialogResourceManager
{
public:
    CDXUTDialogResourceManager();
    ~CDXUTDialogResourceManager();
    CDXUTDialogResourceManager(const CDXUTDialogResourceManager&) = delete;
    CDXUTDialogResourceManager& operator=(const CDXUTDialogResourceManager&) = delete;

    // Makes every font and texture the dialogs asked for. A skin that cannot be
    // read is reported once; the dialogs then draw flat.
    HRESULT OnD3D9CreateDevice(IDirect3DDevice9* device);
    // Makes what is still missing (objects asked for after a failed creation).
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

    // Shared entries: asking twice for the same font or file gives one index.
    int AddFont(LPCWSTR faceName, LONG height, LONG weight);
    int AddTexture(LPCWSTR fileName);
    // Null until made on a device, or when making it failed.
    CD3DFont* GetFont(int index) const;
    IDirect3DTexture9* GetTexture(int index, UINT* width = nullptr, UINT* height = nullptr) const;

    void RegisterDialog(CDXUTDialog* dialog);
    void UnregisterDialog(CDXUTDialog* dialog);

private:
    struct FontNode;
    struct TextureNode;
    void MakeFont(FontNode& node);
    void MakeTexture(TextureNode& node);
    void MakeMissing();

    IDirect3DDevice9* device = nullptr;
    std::vector<CDXUTDialog*> dialogs;
    std::vector<std::unique_ptr<FontNode>> fonts;
    std::vector<std::unique_ptr<TextureNode>> textures;
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
    RECT GetRect() const { return RECT{x, y, x + width, y + height}; }
    // The control's own rectangle, in dialog pixels.
    bool ContainsPoint(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
    // Everything the control shows, an open list included.
    virtual bool Covers(int px, int py) const { return ContainsPoint(px, py); }
    bool IsMouseOver() const { return mouseOver; }
    void SetMouseOver(bool on) { mouseOver = on; }

    // Input, in dialog pixels. Each returns true when it used the input.
    virtual bool OnHotkey() { return false; }
    virtual bool OnMouseDown(int px, int py) { return false; }
    virtual bool OnMouseUp(int px, int py) { return false; }
    virtual bool OnMouseMove(int px, int py) { return false; }
    virtual bool OnMouseWheel(int notches) { return false; }
    // A press outside the control while it shows something over the others.
    virtual bool OnPressElsewhere() { return false; }

    virtual void Render(DXUTDialogPainter& painter) = 0;
    // Drawn after every control, so it lies over them (an open list).
    virtual void RenderPopup(DXUTDialogPainter& painter) {}

protected:
    CDXUTDialog* dialog;

private:
    DXUT_CONTROL_TYPE type;
    int id;
    int x, y, width, height;
    UINT hotkey;
    bool enabled = true;
    bool visible = true;
    bool mouseOver = false;
};

class CDXUTButton : public CDXUTControl
{
public:
    CDXUTButton(CDXUTDialog* dialog, int id, LPCWSTR text, int x, int y, int width, int height, UINT hotkey);
    const wchar_t* GetText() const { return text.c_str(); }
    void SetText(LPCWSTR newText) { text = newText ? newText : L""; }
    bool IsPressed() const { return pressed; }
    // The hot key clicks; so does a press and a release both on the button.
    bool OnHotkey() override;
    bool OnMouseDown(int px, int py) override;
    bool OnMouseUp(int px, int py) override;
    void Render(DXUTDialogPainter& painter) override;

private:
    std::wstring text;
    bool pressed = false;
};

// A closed box showing the selected item; a press on it opens a list of
// GetDropHeight() pixels below it, scrolled by a bar when the items do not
// fit. A press on an item selects it and closes the list, a press anywhere
// else closes it. The hot key selects the next item while the list is closed.
class CDXUTComboBox : public CDXUTControl
{
public:
    // The list's geometry, in dialog pixels.
    struct Layout
    {
        RECT box, text, button;
        RECT list, items;
        RECT scrollBar, up, down, track, thumb; // empty when every item fits
        int itemHeight;
        int visibleItems;
    };

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

    bool IsOpened() const { return opened; }
    void CloseList();
    // First item shown in the open list, and the item under the mouse (-1: none).
    int GetScrollPosition() const { return scrollTop; }
    int GetHoveredItem() const { return hoveredItem; }
    Layout GetLayout() const;

    bool Covers(int px, int py) const override;
    bool OnHotkey() override;
    bool OnMouseDown(int px, int py) override;
    bool OnMouseUp(int px, int py) override;
    bool OnMouseMove(int px, int py) override;
    bool OnMouseWheel(int notches) override;
    bool OnPressElsewhere() override;
    void Render(DXUTDialogPainter& painter) override;
    void RenderPopup(DXUTDialogPainter& painter) override;

private:
    struct Item
    {
        std::wstring text;
        void* data;
    };
    void Select(int index, bool byUser);
    void ScrollTo(int first);
    int ItemAt(const Layout& layout, int px, int py) const;
    void DragThumb(const Layout& layout, int py);
    void DrawArrow(DXUTDialogPainter& painter, const RECT& rect, bool up) const;

    std::vector<Item> items;
    int selected = -1;
    UINT dropHeight = 100;
    bool opened = false;
    int scrollTop = 0;
    int hoveredItem = -1;
    bool pressedBox = false;
    bool draggingThumb = false;
    int thumbGrab = 0; // where on the thumb the drag took hold
};

class CDXUTDialog
{
public:
    CDXUTDialog();
    ~CDXUTDialog();
    CDXUTDialog(const CDXUTDialog&) = delete;
    CDXUTDialog& operator=(const CDXUTDialog&) = delete;

    // Font 0 is the framework's own face from the start; texture 0 is the control skin.
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

    // True when the message was used: a control's hot key, a press or release
    // on a control, a press that closed an open list, the mouse moving or the
    // wheel turning over an open list. Moving over a closed control only
    // changes how it looks and is not taken.
    bool MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // Draws every visible control over whatever is on the render target and
    // leaves the device's states as they were. Needs the manager's device.
    HRESULT OnRender(float elapsedTime);

    void SendEvent(UINT event, bool triggeredByUser, CDXUTControl* control);
    const std::wstring& GetFontFace(UINT index) const;
    const std::wstring& GetTextureFile(UINT index) const;
    CDXUTDialogResourceManager* GetManager() const { return manager; }
    void DetachManager() { manager = nullptr; }
    // The pixel height of a font as set (what layouts measure with, with or
    // without a device).
    LONG GetFontHeight(UINT index) const;

private:
    // Indices into the manager's shared lists (-1: not handed over yet).
    struct Font
    {
        std::wstring face;
        LONG height;
        LONG weight;
        int managed;
    };
    struct Texture
    {
        std::wstring file;
        int managed;
    };
    HRESULT AddControl(CDXUTControl* control, void** created);
    void RegisterResources();
    bool HandleMouse(UINT message, WPARAM wParam, int px, int py);
    void UpdateHover(int px, int py);
    CDXUTComboBox* OpenList() const;

    CDXUTDialogResourceManager* manager = nullptr;
    PCALLBACKDXUTGUIEVENT callback = nullptr;
    void* callbackContext = nullptr;
    std::vector<CDXUTControl*> controls;
    std::vector<Font> fonts;
    std::vector<Texture> textures;
    int x = 0, y = 0, width = 0, height = 0;
    bool visible = true;
    bool nonUserEvents = false;
    CDXUTControl* pressed = nullptr; // the control the left button went down on
};
