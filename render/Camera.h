// The view camera, a member of the Renderer. Placeholder until the camera is
// written: it offers what the start-up, the device reset and the debug
// caption call.
#pragma once

#include <d3dx9math.h>

#include "core/EventObj.h"
#include "core/Vector3.h"

class Camera : public fEventObj
{
public:
    Camera() = default;
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    // Reads "Options.cfg" (InvertX:, InvertY:, Speed:).
    void LoadOptions();
    bool IsMouseLookEnabled() const { return mouseLook; }

    // The listener follows these (z up).
    Vector3 GetPosition() const { return position; }
    Vector3 GetForward() const { return forward; }
    Vector3 GetUp() const { return up; }

    void SetProjection(const D3DXMATRIX& matrix) { projection = matrix; }
    const D3DXMATRIX& GetProjection() const { return projection; }

private:
    bool mouseLook = false;
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 forward{1.0f, 0.0f, 0.0f};
    Vector3 up{0.0f, 0.0f, 1.0f};
    D3DXMATRIX projection;
};
