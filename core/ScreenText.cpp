#include "core/ScreenText.h"

#include <windows.h>

#include "core/Clock.h"
#include "core/ScreenTextDrawer.h"

std::vector<std::string> ScreenTextLines;
std::list<ScreenMessage> ScreenMessages;

namespace {
ScreenTextDrawer gScreenTextDrawer = nullptr;

constexpr float kLineStep = 15.0f;
constexpr float kLinesX = 15.0f;
constexpr float kMessagesX = 300.0f;
constexpr float kFirstLineY = 15.0f;
} // namespace

void SetScreenTextDrawer(ScreenTextDrawer drawer)
{
    gScreenTextDrawer = drawer;
}

ScreenTextDrawer GetScreenTextDrawer()
{
    return gScreenTextDrawer;
}

void DrawScreenText(const char* text, float x, float y)
{
    if (!text || !gScreenTextDrawer) {
        return;
    }
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) {
        return;
    }
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    gScreenTextDrawer(wide.data(), x, y, kScreenTextColour);
}

void DrawScreenMessages()
{
    for (std::size_t i = 0; i < ScreenTextLines.size(); ++i) {
        DrawScreenText(ScreenTextLines[i].c_str(), kLinesX, kFirstLineY + kLineStep * static_cast<float>(i));
    }
    ScreenTextLines.clear();

    const float frameSeconds = Clock::GetFrameTime(false) / 1000.0f;
    int drawn = 0;
    for (auto it = ScreenMessages.begin(); it != ScreenMessages.end(); ++it) {
        DrawScreenText(it->text.c_str(), kMessagesX, kFirstLineY + kLineStep * static_cast<float>(drawn));
        ++drawn;
        it->secondsLeft -= frameSeconds;
        // One removal per frame: the messages after it wait for the next frame.
        if (it->secondsLeft < 0.0f) {
            ScreenMessages.erase(it);
            break;
        }
    }
}

void ClearScreenMessages()
{
    ScreenTextLines.clear();
    ScreenMessages.clear();
}
