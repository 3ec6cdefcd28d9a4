// The seven menus as data: each item's image, place and size in back-buffer
// pixels, and its event. Places and sizes are written against the back
// buffer's width W (x, w) or height H (y, h) so one table lays out at any size.
#pragma once

#include <cstddef>

#include "core/MenuId.h"

// A pixel value of the layout: half x (D / 2) + whole x D + offset, where D
// is W for x and w, H for y and h, and D / 2 is the integer half.
struct LayoutValue
{
    int half;
    int whole;
    int offset;

    int Resolve(int dimension) const { return half * (dimension / 2) + whole * dimension + offset; }
};

enum class MenuItemKind { Image, ToggleBox, Credits };

struct MenuItemSpec
{
    MenuItemKind kind;
    int texture; // the image shown first
    LayoutValue x, y, w, h;
    int event; // -1: none; a toggle box's hover event
    // Toggle boxes only.
    int imageA = 0;
    int imageB = 0;
    int eventA = -1;
    int eventB = -1;
    bool flag = false;
};

struct MenuSpec
{
    float delay; // auto-close after this many milliseconds of game time; 0: never
    int event;   // posted when the delay runs out; -1: none
    const MenuItemSpec* items;
    std::size_t itemCount;
};

// The table of menu id 1 to 7.
const MenuSpec& GetMenuSpec(MenuId id);
