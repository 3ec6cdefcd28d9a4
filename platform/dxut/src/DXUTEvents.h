// SDL events as the window messages Windows would have sent.
#pragma once

#include <windows.h>

#include <SDL.h>

#include <string>
#include <vector>

struct DXUTMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Virtual key of an SDL key: letters and digits as upper-case ASCII, VK_
// codes otherwise (modifiers as VK_SHIFT, VK_CONTROL, VK_MENU, as WM_KEYDOWN
// reports them). 0 for keys Windows has no code for.
UINT DXUTVirtualKeyFromSDL(SDL_Keycode key, SDL_Scancode scancode);

// Keeps what Windows messages carry but single SDL events do not: the mouse
// buttons held, the pointer position, the client size and a drop in progress.
class DXUTEventTranslator
{
public:
    void SetClientSize(int width, int height);
    // Appends the messages for one event. Drop names are copied; the caller
    // still owns (and frees) the event's file string.
    void Translate(const SDL_Event& event, bool dropsAccepted, std::vector<DXUTMessage>& out);

private:
    void TranslateKey(const SDL_KeyboardEvent& key, std::vector<DXUTMessage>& out) const;
    void TranslateWindow(const SDL_WindowEvent& window, std::vector<DXUTMessage>& out);
    WPARAM MouseKeyState(Uint16 modifiers) const;

    Uint32 buttons = 0;
    int mouseX = 0;
    int mouseY = 0;
    int width = 0;
    int height = 0;
    bool collectingDrop = false;
    std::vector<std::string> dropNames;
};
