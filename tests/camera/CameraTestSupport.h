// A camera on its own: a dispatcher to deliver its messages, a stand-in for
// the game's side of the hooks (objects, the character, editor, top
// menu) that records what the camera asks of it, and scratch files.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Vector3.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "render/Camera.h"
#include "render/CameraHooks.h"

class FakeCameraHooks : public CameraHooks
{
public:
    void ClampCursor(int halfWidth, int halfHeight) override { clamps.emplace_back(halfWidth, halfHeight); }
    const Vector3* GetPlayerBodyPosition() const override { return hasPlayerBody ? &playerBody : nullptr; }
    const Vector3* GetObjectPosition(unsigned index) const override
    {
        return index < objects.size() ? &objects[index] : nullptr;
    }
    bool IsEditorEnabled() const override { return editorEnabled; }
    int GetTopMenuId() const override { return topMenu; }
    void ShowOptionChecked(int item, bool checked) override { shown.emplace_back(item, checked); }

    std::vector<Vector3> objects;
    Vector3 playerBody;
    bool hasPlayerBody = false;
    bool editorEnabled = false;
    int topMenu = 0;
    std::vector<std::pair<int, int>> clamps;
    std::vector<std::pair<int, bool>> shown;
};

class CameraFixture : public testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A new camera on a 640 x 480 viewport on the first stage, with new hooks
    // whose World holds one object at the origin.
    Camera& FreshCamera();
    // Posts the message and runs a delivery pass, as a frame's input does.
    void Post(int id, fMessage* msg);
    // The physics world's first heightmap becomes flat ground at this height.
    void AddFlatGround(float height);
    // Loads an options file of this text into the camera.
    void LoadOptionsText(const std::string& text);
    // Writes text to a fresh scratch file and returns its path.
    std::string ScratchFile(const std::string& name, const std::string& text = std::string());

    EventDispatcher dispatcher;
    FakeCameraHooks hooks;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<PhysicsWorld> physics;
    std::unique_ptr<Heightmap> ground;
    std::string scratchDir;
};

std::string ReadWholeFile(const std::string& path);
// The three option lines as the game writes them.
std::string OptionsText(bool invertX, bool invertY, float speed);
