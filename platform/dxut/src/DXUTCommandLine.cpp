// The framework's command-line switches: "-name" or "-name:value", the name in
// any letter case, "/" accepted for "-". Unknown switches are left alone (they
// may be someone else's); a known switch with a bad value is reported.
#include "DXUTState.h"

#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

bool ParseInt(const std::string& text, int minimum, int& out)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < minimum || value > 1000000000L) return false;
    out = static_cast<int>(value);
    return true;
}

bool ParseSeconds(const std::string& text, double& out)
{
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (errno != 0 || *end != '\0' || !(value > 0.0) || value > 10.0) return false;
    out = value;
    return true;
}

// "X.Y" with single-digit parts as Direct3D versions have.
bool ParseShaderVersion(const std::string& text, DWORD& out)
{
    if (text.size() != 3 || text[1] != '.' || text[0] < '0' || text[0] > '9' || text[2] < '0' || text[2] > '9') {
        return false;
    }
    out = D3DPS_VERSION(text[0] - '0', text[2] - '0');
    return true;
}

// "N:path": the frame number, then everything after the first colon.
bool ParseScreenshot(const std::string& text, int& frame, std::string& path)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 >= text.size()) return false;
    if (!ParseInt(text.substr(0, colon), 1, frame)) return false;
    path = text.substr(colon + 1);
    return true;
}

void ReportBadValue(const std::string& argument)
{
    std::fprintf(stderr, "Ignoring malformed switch: %s\n", argument.c_str());
    std::fflush(stderr);
}

} // namespace

void DXUTParseSwitches(const std::vector<std::string>& arguments, DXUTSwitches& switches)
{
    for (const std::string& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != '-' && argument[0] != '/')) continue;
        const size_t colon = argument.find(':');
        const std::string name = argument.substr(1, colon == std::string::npos ? std::string::npos : colon - 1);
        const std::string value = colon == std::string::npos ? std::string() : argument.substr(colon + 1);
        bool ok = true;
        if (strcasecmp(name.c_str(), "windowed") == 0) {
            switches.windowed = true;
            switches.fullscreen = false;
        } else if (strcasecmp(name.c_str(), "fullscreen") == 0) {
            switches.fullscreen = true;
            switches.windowed = false;
        } else if (strcasecmp(name.c_str(), "headless") == 0) {
            switches.headless = true;
        } else if (strcasecmp(name.c_str(), "width") == 0) {
            ok = ParseInt(value, 1, switches.width);
        } else if (strcasecmp(name.c_str(), "height") == 0) {
            ok = ParseInt(value, 1, switches.height);
        } else if (strcasecmp(name.c_str(), "quitafterframe") == 0) {
            ok = ParseInt(value, 1, switches.quitAfterFrame);
        } else if (strcasecmp(name.c_str(), "constantframetime") == 0) {
            ok = ParseSeconds(value, switches.constantFrameTime);
        } else if (strcasecmp(name.c_str(), "psversion") == 0) {
            ok = ParseShaderVersion(value, switches.pixelShaderVersion);
        } else if (strcasecmp(name.c_str(), "screenshot") == 0) {
            ok = ParseScreenshot(value, switches.screenshotFrame, switches.screenshotPath);
        }
        if (!ok) ReportBadValue(argument);
    }
}
