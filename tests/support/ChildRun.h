// Work run in a forked child process, for a run that must start from a fresh
// process (WinMain registers its exit routine once a process; a fuzz input's
// outcome must not hang on the inputs before it). The child hands bytes back
// through a pipe.
#pragma once

#include <functional>
#include <string>

struct ChildRun
{
    int exitStatus = -1; // the child's exit code; -1 when it did not exit (a crash)
    std::string bytes;   // what the work handed back
};

// Runs work in a child, which ends with the code work returns: through
// std::exit, so exit handlers and the sanitizers' leak check run there, or
// with quickExit through _exit, when what the parent set up for its exit
// (a scratch folder, the leak check) is the parent's alone.
ChildRun RunInChild(const std::function<int(std::string& bytes)>& work, bool quickExit = false);
