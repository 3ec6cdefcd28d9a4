// On-screen debug text: lines for the next frame and timed messages, drawn in
// white with the framework's bitmap font. Developer hooks: nothing in play
// fills them.
#pragma once

#include <list>
#include <string>
#include <vector>

struct ScreenMessage
{
    std::string text;
    float secondsLeft;
};

// Drawn in the next frame only, at (15, 15 + 15 i).
extern std::vector<std::string> ScreenTextLines;
// Drawn at (300, 15 + 15 k) until their time runs out.
extern std::list<ScreenMessage> ScreenMessages;

constexpr unsigned int kScreenTextColour = 0xFFFFFFFFu;

// Draws at (x, y) in pixels, in white. Nothing when there is no font (between
// a device release and the next reset, or without a device).
void DrawScreenText(const char* text, float x, float y);
// Once per frame from the renderer.
void DrawScreenMessages();
// Empties both lists.
void ClearScreenMessages();
