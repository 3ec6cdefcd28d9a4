#include "game/StageLog.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/GameFiles.h"
#include "core/Resources.h"
#include "game/LevelLoader.h"

namespace {

// The console lines name the log "qvlstage.txt", not the level file it
// writes, so they read the same for every stage.
const char* const kOpenedLine = "Opened log file: qvlstage.txt\n";
const char* const kUnableLine = "Unable to open qvlstage.txt";

bool sOpen = false;
std::string sPath;
std::string sText;

std::string Format(const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    return std::string(buffer.data(), static_cast<size_t>(length));
}

} // namespace

void StageLog(const char* format, ...)
{
    if (!sOpen) {
        sOpen = true;
        sPath = LevelsDirectory + (gLevelLoader != nullptr ? gLevelLoader->GetLevelName() : std::string());
        sText.clear();
        std::fputs(kOpenedLine, stdout);
    }
    va_list args;
    va_start(args, format);
    const std::string text = Format(format, args);
    va_end(args);
    std::fputs(text.c_str(), stdout);
    sText += text;
}

void CloseStageLog()
{
    if (!sOpen) return;
    std::fflush(stdout);
    const bool written = WriteGameFile(
        sPath, [](std::FILE* out) { return std::fwrite(sText.data(), 1, sText.size(), out) == sText.size(); });
    if (!written) REPORT_ERROR(kUnableLine);
    sOpen = false;
    sText.clear();
}

const std::string& StageLogText()
{
    return sText;
}

void DiscardStageLog()
{
    std::fflush(stdout);
    sOpen = false;
    sText.clear();
}
