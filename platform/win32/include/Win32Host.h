// What the program's entry, the framework and the tests need from the Win32
// stand-in beyond the Windows calls themselves. The game never includes this.
#pragma once

#include "windows.h"

#include <string>
#include <vector>

// The command line GetCommandLineW reports (argv[0] included, as Windows does).
void Win32SetCommandLine(int argc, char** argv);
// The arguments after the program name, as UTF-8.
const std::vector<std::string>& Win32GetArguments();

// Quit request made by PostQuitMessage.
bool Win32QuitRequested();
int Win32GetQuitCode();
void Win32ClearQuit();

// Performance counter seam: a virtual counter the host advances itself, so a
// run's times do not depend on the machine. Starting it at the current real
// value keeps the counter from jumping backwards. Without an explicit choice,
// the first reading after Win32SetCommandLine picks the virtual counter (at
// ten seconds) when the command line has -constantframetime:S or -headless.
void Win32UseVirtualCounter(LONGLONG startTicks);
void Win32AdvanceVirtualCounter(LONGLONG ticks);
void Win32UseRealCounter();
bool Win32IsCounterVirtual();
void Win32ChooseCounterFromCommandLine();
LONGLONG Win32ReadRealCounter();
const LONGLONG kWin32CounterFrequency = 10000000;

// A drop handle holding the given UTF-8 names, released by DragFinish.
HDROP Win32CreateDrop(const std::vector<std::string>& names);
// Frees the drops nobody finished (the framework's teardown); later
// DragFinish calls on them are ignored.
void Win32FinishAllDrops();
bool Win32DropsAccepted();

// The framework answers GetClientRect for its window.
typedef BOOL (*Win32ClientRectProvider)(HWND window, LPRECT rect);
void Win32SetClientRectProvider(Win32ClientRectProvider provider);
