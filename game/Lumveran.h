// The game's spine: entry, the framework callbacks, and the exit routine.
#pragma once

#include "DXUT.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

HRESULT CALLBACK OnCreateDevice(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer, void* userContext);
HRESULT CALLBACK OnResetDevice(IDirect3DDevice9* device, const D3DSURFACE_DESC* backBuffer, void* userContext);
void CALLBACK OnFrameRender(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext);
void CALLBACK OnFrameMove(IDirect3DDevice9* device, double time, float elapsedTime, void* userContext);
void CALLBACK OnKeyboard(UINT key, bool keyDown, bool altDown, void* userContext);
bool CALLBACK ModifyDeviceSettings(DXUTDeviceSettings* settings, const D3DCAPS9* caps, void* userContext);
LRESULT CALLBACK MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* noFurtherProcessing,
                         void* userContext);

// The game's rule in the framework's window procedure: Escape opens the pause
// menu when no menu is open.
void CALLBACK FrameworkWindowProcEscape(void* userContext);

void CreateGameObjects();
void LoadFirstStage();
void DestroyGameObjects();
void Shutdown();

// The frames-per-second figure of the last full second.
int GetFramesPerSecond();
// Test seam: starts the frames-per-second count afresh.
void ResetFramesPerSecond();
