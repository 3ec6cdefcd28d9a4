// The view camera, a member of the Renderer. Placeholder until the camera is
// written: it offers what the start-up, the device reset and the debug
// caption call.
#pragma once

#include <d3dx9math.h>

#include "core/EventObj.h"

class Camera : public fEventObj {
public:
    Camera() = default;
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    // Reads "Options.cfg" (InvertX:, InvertY:, Speed:).
    void LoadOptions();
    bool IsMouseLookEnabled() const { return mouseLook; }

    void SetProjection(const D3DXMATRIX& matrix) { projection = matrix; }
    const D3DXMATRIX& GetProjection() const { return projection; }

private:
    bool mouseLook = false;
    D3DXMATRIX projection;
};
