#include "XServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace inputtest {

XServer::XServer()
{
    int fds[2];
    if (pipe(fds) != 0) {
        return;
    }
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    if (child < 0) {
        close(fds[0]);
        return;
    }
    pid = child;
    // Xvfb writes the display number it chose once it accepts clients.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (!number.empty()) {
        display = ":" + number;
        setenv("DISPLAY", display.c_str(), 1);
    }
}

XServer::~XServer()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

bool XdoTool(const std::string& arguments)
{
    const std::string command = "xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace inputtest
