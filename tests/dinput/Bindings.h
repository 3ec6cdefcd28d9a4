// The keys the game binds by default, each with the SDL scancode of the same
// physical key and the keysym an X server types it with.
#pragma once

#include <SDL.h>
#include <dinput.h>

struct BoundKey
{
    int dik;
    SDL_Scancode scancode;
    const char* keysym;
};

inline const BoundKey kDefaultBindings[] = {
    {DIK_W, SDL_SCANCODE_W, "w"},
    {DIK_S, SDL_SCANCODE_S, "s"},
    {DIK_A, SDL_SCANCODE_A, "a"},
    {DIK_D, SDL_SCANCODE_D, "d"},
    {DIK_SPACE, SDL_SCANCODE_SPACE, "space"},
    {DIK_K, SDL_SCANCODE_K, "k"},
    {DIK_L, SDL_SCANCODE_L, "l"},
    {DIK_C, SDL_SCANCODE_C, "c"},
    {DIK_0, SDL_SCANCODE_0, "0"},
    {DIK_NUMPAD6, SDL_SCANCODE_KP_6, "KP_6"},
    {DIK_NUMPAD8, SDL_SCANCODE_KP_8, "KP_8"},
    {DIK_NUMPAD9, SDL_SCANCODE_KP_9, "KP_9"},
    {DIK_NUMPAD4, SDL_SCANCODE_KP_4, "KP_4"},
    {DIK_NUMPAD2, SDL_SCANCODE_KP_2, "KP_2"},
    {DIK_NUMPAD7, SDL_SCANCODE_KP_7, "KP_7"},
    {DIK_NUMPAD5, SDL_SCANCODE_KP_5, "KP_5"},
    {DIK_N, SDL_SCANCODE_N, "n"},
    {DIK_G, SDL_SCANCODE_G, "g"},
    {DIK_RSHIFT, SDL_SCANCODE_RSHIFT, "Shift_R"},
    {DIK_SLASH, SDL_SCANCODE_SLASH, "slash"},
    {DIK_COMMA, SDL_SCANCODE_COMMA, "comma"},
    {DIK_PERIOD, SDL_SCANCODE_PERIOD, "period"},
    {DIK_U, SDL_SCANCODE_U, "u"},
    {DIK_Y, SDL_SCANCODE_Y, "y"},
    {DIK_I, SDL_SCANCODE_I, "i"},
};
static_assert(sizeof(kDefaultBindings) / sizeof(kDefaultBindings[0]) == 25, "the game binds 25 keys");

// Keys the developer build reads through window messages; DirectInput still
// sees them at their positions.
inline const BoundKey kDeveloperKeys[] = {
    {DIK_1, SDL_SCANCODE_1, "1"},
    {DIK_2, SDL_SCANCODE_2, "2"},
    {DIK_3, SDL_SCANCODE_3, "3"},
    {DIK_4, SDL_SCANCODE_4, "4"},
    {DIK_R, SDL_SCANCODE_R, "r"},
    {DIK_T, SDL_SCANCODE_T, "t"},
    {DIK_ESCAPE, SDL_SCANCODE_ESCAPE, "Escape"},
    {DIK_X, SDL_SCANCODE_X, "x"},
    {DIK_Z, SDL_SCANCODE_Z, "z"},
};
