// The game's side of the hooks through which the layers below call up:
// objects/StageHooks.h, render/FrameHooks.h, render/CameraHooks.h,
// particles/ParticleHooks.h, ui/MenuHooks.h and ui/ReplayHooks.h.
// WinMain installs them first thing and Shutdown removes them; each answers
// from the game's singletons as they exist at the time of the call.
#pragma once

void InstallGameHooks();
// Every slot back to its do-nothing defaults.
void RemoveGameHooks();
