// Dropped files: an HDROP is a list of wide names owned by the receiver of
// WM_DROPFILES until DragFinish.
#include "shellapi.h"
#include "Win32Host.h"
#include "Win32String.h"

#include <SDL.h>

#include <set>
#include <string>
#include <vector>

namespace {

// The handle type is only ever a pointer to this. Live drops are registered,
// so a handle that was already finished (or never came from here) is refused
// instead of being read or freed again.
struct DropList
{
    std::vector<std::wstring> names;
};

std::set<DropList*>& LiveDrops()
{
    static std::set<DropList*>* drops = new std::set<DropList*>;
    return *drops;
}

bool gDropsAccepted = false;

DropList* FromHandle(HDROP drop)
{
    DropList* list = reinterpret_cast<DropList*>(drop);
    return LiveDrops().count(list) ? list : nullptr;
}

} // namespace

HDROP Win32CreateDrop(const std::vector<std::string>& names)
{
    DropList* list = new DropList;
    LiveDrops().insert(list);
    for (const std::string& name : names) list->names.push_back(Win32Utf8ToWide(name));
    return reinterpret_cast<HDROP>(list);
}

bool Win32DropsAccepted()
{
    return gDropsAccepted;
}

void DragAcceptFiles(HWND window, BOOL accept)
{
    (void)window;
    gDropsAccepted = accept != FALSE;
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_EventState(SDL_DROPFILE, gDropsAccepted ? SDL_ENABLE : SDL_DISABLE);
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT bufferChars)
{
    const DropList* list = FromHandle(drop);
    if (!list) return 0;
    if (index == 0xFFFFFFFFu) return static_cast<UINT>(list->names.size());
    if (index >= list->names.size()) return 0;
    const std::wstring& name = list->names[index];
    if (!buffer) return static_cast<UINT>(name.size());
    if (bufferChars == 0) return 0;
    const size_t count = name.size() < bufferChars - 1 ? name.size() : bufferChars - 1;
    name.copy(buffer, count);
    buffer[count] = L'\0';
    return static_cast<UINT>(count);
}

void DragFinish(HDROP drop)
{
    DropList* list = FromHandle(drop);
    if (!list) return;
    LiveDrops().erase(list);
    delete list;
}

void Win32FinishAllDrops()
{
    for (DropList* list : LiveDrops()) delete list;
    LiveDrops().clear();
}
