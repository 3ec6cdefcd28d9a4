// Win32 stand-in: dropped files. The framework turns a drop on its window into
// WM_DROPFILES carrying an HDROP that these functions read.
#pragma once

#include "windows.h"

// Accepting drops is a flag the framework reads before it reports a drop.
void DragAcceptFiles(HWND window, BOOL accept);
// With index 0xFFFFFFFF: the number of files. With a null buffer: the length
// of the name in characters, without the terminator. Otherwise the name is
// copied (truncated to bufferChars - 1 and always terminated) and the number
// of characters copied is returned. 0 for a bad handle or index.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR buffer, UINT bufferChars);
// Frees the drop; a null handle is ignored.
void DragFinish(HDROP drop);
