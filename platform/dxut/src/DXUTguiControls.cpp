// The dialog's controls: the button and the combo box with its drop-down
// list, how they answer the mouse and their hot keys, and how they look.
#include "DXUTgui.h"

#include "DXUTguiPainter.h"

#include <algorithm>

namespace {

constexpr D3DCOLOR kWhite = 0xFFFFFFFFu;
constexpr D3DCOLOR kTextColour = 0xFFFFFFFFu;
constexpr D3DCOLOR kDisabledTextColour = 0xFF8C8C8Cu;
// The combo box is dimmed until the mouse is over it or its list is open.
constexpr D3DCOLOR kIdleFaceTint = 0xFFC8C8C8u;
constexpr D3DCOLOR kArrowColour = 0xFFF0F0F0u;

constexpr int kTextInset = 4;   // between a box's edge and its text
constexpr int kListPadding = 2; // inside the drop-down list
constexpr int kItemSpacing = 4; // added to the font's height for one list row
constexpr int kScrollBarWidth = 16;
constexpr int kMinThumbHeight = 8;
constexpr int kArrowInset = 5; // the arrow triangles inside their squares

bool Inside(const RECT& r, int px, int py)
{
    return px >= r.left && px < r.right && py >= r.top && py < r.bottom;
}

RECT Inset(const RECT& r, int dx, int dy)
{
    return RECT{r.left + dx, r.top + dy, r.right - dx, r.bottom - dy};
}

} // namespace

// --- control ---------------------------------------------------------------

CDXUTControl::CDXUTControl(CDXUTDialog* owner, DXUT_CONTROL_TYPE controlType, int controlId, int left, int top, int w,
                           int h, UINT key)
    : dialog(owner), type(controlType), id(controlId), x(left), y(top), width(w), height(h), hotkey(key)
{}

// --- button ----------------------------------------------------------------

CDXUTButton::CDXUTButton(CDXUTDialog* owner, int controlId, LPCWSTR label, int left, int top, int w, int h, UINT key)
    : CDXUTControl(owner, DXUT_CONTROL_BUTTON, controlId, left, top, w, h, key), text(label ? label : L"")
{}

bool CDXUTButton::OnHotkey()
{
    dialog->SendEvent(EVENT_BUTTON_CLICKED, true, this);
    return true;
}

bool CDXUTButton::OnMouseDown(int, int)
{
    pressed = true;
    return true;
}

bool CDXUTButton::OnMouseUp(int px, int py)
{
    // A click is a press and a release both on the button.
    const bool clicked = pressed && ContainsPoint(px, py);
    pressed = false;
    if (clicked) dialog->SendEvent(EVENT_BUTTON_CLICKED, true, this);
    return clicked;
}

void CDXUTButton::Render(DXUTDialogPainter& painter)
{
    const RECT rect = GetRect();
    painter.Sprite(DXUTSkinPart::Button, rect, kWhite);
    if (IsMouseOver() && GetEnabled()) painter.Sprite(DXUTSkinPart::ButtonHover, rect, kWhite);
    painter.Text(text.c_str(), rect, GetEnabled() ? kTextColour : kDisabledTextColour, DXUTTextAlign::Centre);
}

// --- combo box -------------------------------------------------------------

CDXUTComboBox::CDXUTComboBox(CDXUTDialog* owner, int controlId, int left, int top, int w, int h, UINT key)
    : CDXUTControl(owner, DXUT_CONTROL_COMBOBOX, controlId, left, top, w, h, key)
{}

HRESULT CDXUTComboBox::AddItem(LPCWSTR text, void* data)
{
    if (!text) return E_INVALIDARG;
    items.push_back(Item{text, data});
    // The first item becomes the selection, as an event not made by the user.
    if (items.size() == 1) Select(0, false);
    return S_OK;
}

void CDXUTComboBox::RemoveAllItems()
{
    items.clear();
    selected = -1;
    hoveredItem = -1;
    scrollTop = 0;
    CloseList();
}

void* CDXUTComboBox::GetSelectedData() const
{
    return selected >= 0 && static_cast<size_t>(selected) < items.size() ? items[static_cast<size_t>(selected)].data
                                                                         : nullptr;
}

HRESULT CDXUTComboBox::SetSelectedByIndex(UINT index)
{
    if (index >= items.size()) return E_INVALIDARG;
    Select(static_cast<int>(index), false);
    return S_OK;
}

const wchar_t* CDXUTComboBox::GetItemText(UINT index) const
{
    return index < items.size() ? items[index].text.c_str() : nullptr;
}

void CDXUTComboBox::Select(int index, bool byUser)
{
    selected = index;
    dialog->SendEvent(EVENT_COMBOBOX_SELECTION_CHANGED, byUser, this);
}

void CDXUTComboBox::CloseList()
{
    opened = false;
    hoveredItem = -1;
    draggingThumb = false;
}

CDXUTComboBox::Layout CDXUTComboBox::GetLayout() const
{
    Layout l = {};
    l.box = GetRect();
    const LONG side = l.box.bottom - l.box.top;
    l.button = RECT{std::max(l.box.left, l.box.right - side), l.box.top, l.box.right, l.box.bottom};
    l.text = RECT{l.box.left + kTextInset, l.box.top, l.button.left - kTextInset / 2, l.box.bottom};
    l.list = RECT{l.box.left, l.box.bottom, l.box.right, l.box.bottom + LONG(dropHeight)};

    // Rows follow the font as set, so the list is laid out the same with or without a device.
    l.itemHeight = std::max(1, int(dialog->GetFontHeight(0)) + kItemSpacing);
    const RECT inner = Inset(l.list, kListPadding, kListPadding);
    const int count = int(items.size());
    l.visibleItems = std::max(1, int(inner.bottom - inner.top) / l.itemHeight);
    const bool scrolls = count > l.visibleItems;
    const int rows = scrolls ? l.visibleItems : count;
    l.items = RECT{inner.left, inner.top, scrolls ? inner.right - kScrollBarWidth : inner.right,
                   inner.top + rows * l.itemHeight};
    if (!scrolls) return l;

    l.scrollBar = RECT{inner.right - kScrollBarWidth, inner.top, inner.right, inner.bottom};
    l.up = RECT{l.scrollBar.left, l.scrollBar.top, l.scrollBar.right, l.scrollBar.top + kScrollBarWidth};
    l.down = RECT{l.scrollBar.left, l.scrollBar.bottom - kScrollBarWidth, l.scrollBar.right, l.scrollBar.bottom};
    l.track = RECT{l.scrollBar.left, l.up.bottom, l.scrollBar.right, l.down.top};
    const int trackHeight = std::max(0, int(l.track.bottom - l.track.top));
    const int thumbHeight = std::min(trackHeight, std::max(kMinThumbHeight, trackHeight * l.visibleItems / count));
    const int range = count - l.visibleItems;
    const int thumbTop = int(l.track.top) + (trackHeight - thumbHeight) * scrollTop / range;
    l.thumb = RECT{l.track.left, thumbTop, l.track.right, thumbTop + thumbHeight};
    return l;
}

void CDXUTComboBox::ScrollTo(int first)
{
    const int visible = GetLayout().visibleItems;
    scrollTop = std::max(0, std::min(first, int(items.size()) - visible));
}

int CDXUTComboBox::ItemAt(const Layout& layout, int px, int py) const
{
    if (!Inside(layout.items, px, py)) return -1;
    const int index = scrollTop + (py - int(layout.items.top)) / layout.itemHeight;
    return index < int(items.size()) ? index : -1;
}

void CDXUTComboBox::DragThumb(const Layout& layout, int py)
{
    const int travel = int(layout.track.bottom - layout.track.top) - int(layout.thumb.bottom - layout.thumb.top);
    const int range = int(items.size()) - layout.visibleItems;
    if (travel <= 0 || range <= 0) return;
    const int offset = py - thumbGrab - int(layout.track.top);
    ScrollTo((offset * range + travel / 2) / travel);
}

bool CDXUTComboBox::Covers(int px, int py) const
{
    return ContainsPoint(px, py) || (opened && Inside(GetLayout().list, px, py));
}

bool CDXUTComboBox::OnHotkey()
{
    // While the list is open the mouse is choosing; the hot key waits.
    if (opened || items.empty()) return false;
    Select((selected + 1) % int(items.size()), true);
    return true;
}

bool CDXUTComboBox::OnMouseDown(int px, int py)
{
    if (!opened) {
        if (!ContainsPoint(px, py)) return false;
        pressedBox = true;
        opened = true;
        // Open on the selection, so the highlighted row is in view.
        const int visible = GetLayout().visibleItems;
        if (selected < scrollTop) ScrollTo(selected);
        if (selected >= scrollTop + visible) ScrollTo(selected - visible + 1);
        hoveredItem = -1;
        return true;
    }
    pressedBox = true;
    const Layout layout = GetLayout();
    const int item = ItemAt(layout, px, py);
    if (item >= 0) {
        CloseList();
        Select(item, true);
    } else if (Inside(layout.up, px, py)) {
        ScrollTo(scrollTop - 1);
    } else if (Inside(layout.down, px, py)) {
        ScrollTo(scrollTop + 1);
    } else if (Inside(layout.thumb, px, py)) {
        draggingThumb = true;
        thumbGrab = py - int(layout.thumb.top);
    } else if (Inside(layout.track, px, py)) {
        ScrollTo(py < layout.thumb.top ? scrollTop - layout.visibleItems : scrollTop + layout.visibleItems);
    } else if (ContainsPoint(px, py)) {
        CloseList(); // the box again: the list folds away
    }
    return true;
}

bool CDXUTComboBox::OnMouseUp(int, int)
{
    // The release ending a press the box or its list took is theirs too.
    const bool used = pressedBox;
    pressedBox = false;
    draggingThumb = false;
    return used;
}

bool CDXUTComboBox::OnMouseMove(int px, int py)
{
    if (!opened) return false;
    const Layout layout = GetLayout();
    if (draggingThumb) {
        DragThumb(layout, py);
        return true;
    }
    hoveredItem = ItemAt(layout, px, py);
    return Inside(layout.list, px, py);
}

bool CDXUTComboBox::OnMouseWheel(int notches)
{
    if (!opened) return false;
    ScrollTo(scrollTop - notches);
    return true;
}

bool CDXUTComboBox::OnPressElsewhere()
{
    if (!opened) return false;
    CloseList();
    return true;
}

void CDXUTComboBox::DrawArrow(DXUTDialogPainter& painter, const RECT& rect, bool up) const
{
    const RECT a = Inset(rect, kArrowInset, kArrowInset + 1);
    const float left = float(a.left), right = float(a.right), mid = 0.5f * float(a.left + a.right);
    if (up)
        painter.Triangle(left, float(a.bottom), mid, float(a.top), right, float(a.bottom), kArrowColour);
    else
        painter.Triangle(left, float(a.top), right, float(a.top), mid, float(a.bottom), kArrowColour);
}

void CDXUTComboBox::Render(DXUTDialogPainter& painter)
{
    const Layout layout = GetLayout();
    const D3DCOLOR tint = (IsMouseOver() || opened) && GetEnabled() ? kWhite : kIdleFaceTint;
    painter.Sprite(DXUTSkinPart::ComboFace, layout.box, tint);
    painter.Sprite(DXUTSkinPart::ComboButton, layout.button, tint);
    // The skin's button carries its own arrow.
    if (!painter.Skinned()) DrawArrow(painter, layout.button, false);
    if (selected >= 0)
        painter.Text(items[size_t(selected)].text.c_str(), layout.text,
                     GetEnabled() ? kTextColour : kDisabledTextColour, DXUTTextAlign::Left);
}

void CDXUTComboBox::RenderPopup(DXUTDialogPainter& painter)
{
    if (!opened) return;
    const Layout layout = GetLayout();
    painter.Sprite(DXUTSkinPart::ComboList, layout.list, kWhite);
    const int shown = std::min(layout.visibleItems, int(items.size()) - scrollTop);
    const int lit = hoveredItem >= 0 ? hoveredItem : selected;
    auto row = [&](int i) {
        const LONG top = layout.items.top + LONG(i * layout.itemHeight);
        return RECT{layout.items.left, top, layout.items.right, top + layout.itemHeight};
    };
    for (int i = 0; i < shown; ++i) {
        if (scrollTop + i == lit) painter.Sprite(DXUTSkinPart::ComboSelection, row(i), kWhite);
    }
    if (layout.scrollBar.right > layout.scrollBar.left) {
        painter.Sprite(DXUTSkinPart::ScrollTrack, layout.track, kWhite);
        painter.Sprite(DXUTSkinPart::ScrollUp, layout.up, kWhite);
        painter.Sprite(DXUTSkinPart::ScrollDown, layout.down, kWhite);
        painter.Sprite(DXUTSkinPart::ScrollThumb, layout.thumb, kWhite);
        DrawArrow(painter, layout.up, true);
        DrawArrow(painter, layout.down, false);
    }
    // Text last: one switch to the font for all the rows.
    for (int i = 0; i < shown; ++i) {
        const RECT r = row(i);
        painter.Text(items[size_t(scrollTop + i)].text.c_str(), RECT{r.left + kTextInset, r.top, r.right, r.bottom},
                     kTextColour, DXUTTextAlign::Left);
    }
}
