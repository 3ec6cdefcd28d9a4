#include "ChildRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

ChildRun RunInChild(const std::function<int(std::string& bytes)>& work, bool quickExit)
{
    ChildRun run;
    int channel[2];
    if (pipe(channel) != 0) return run;
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        std::string bytes;
        const int code = work(bytes);
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = write(channel[1], bytes.data() + sent, bytes.size() - sent);
            if (n <= 0) break;
            sent += size_t(n);
        }
        close(channel[1]);
        std::fflush(nullptr);
        if (quickExit) _exit(code);
        std::exit(code);
    }
    close(channel[1]);
    // Read to the end before waiting: a child with more to say than the pipe
    // holds waits for the reader.
    char buffer[4096];
    for (ssize_t n; child > 0 && (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        run.bytes.append(buffer, size_t(n));
    close(channel[0]);
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
    return run;
}
