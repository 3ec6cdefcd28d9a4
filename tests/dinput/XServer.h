// A private X server for tests that need real window-system input: Xvfb on
// the first free display, xdotool to type and move the mouse through XTEST.
#pragma once

#include <string>

namespace inputtest {

class XServer
{
public:
    XServer();
    ~XServer();
    bool Running() const { return pid > 0 && !display.empty(); }
    const std::string& Display() const { return display; }

private:
    int pid = -1;
    std::string display;
};

// Runs xdotool with the given arguments on the current DISPLAY; true on success.
bool XdoTool(const std::string& arguments);

} // namespace inputtest
