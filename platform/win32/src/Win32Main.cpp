// The program entry on this platform: the game's entry point is WinMain.
#include "windows.h"
#include "Win32Host.h"

int main(int argc, char** argv)
{
    Win32SetCommandLine(argc, argv);
    return WinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT);
}
