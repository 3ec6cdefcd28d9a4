// The view camera, a member of the Renderer: a third-person orbit camera
// around a followed point (normally the player's character), turned by the
// mouse, pulled in and out by the wheel, kept above the ground, with a free
// look mode and the player's options (invert X, invert Y, speed) kept in
// "Options.cfg". The renderer's frame calls Update first and reads the view
// matrix; the player reads the yaw, the listener the position and vectors,
// camera-facing instances the facing matrix.
#pragma once

#include <d3dx9math.h>

#include <string>

#include "core/Angle.h"
#include "core/EventObj.h"
#include "core/Vector3.h"

class Camera : public fEventObj
{
public:
    // Just short of straight up or down, so the side vector never vanishes.
    static constexpr float kPitchLimit = 1.5706964f;
    static constexpr float kStartDistance = 5.0f;
    static constexpr float kMinDistance = 5.0f;
    static constexpr float kMaxDistance = 200.0f;
    static constexpr float kWheelStep = 4.0f;
    // Free look puts the eye almost on the followed point.
    static constexpr float kFreeLookDistance = 0.05f;
    static constexpr float kAutoRotateStep = 0.0025f; // radians per frame
    static constexpr float kGroundClearance = 2.0f;

    // The defaults, following the camera's own point; subscribes itself.
    Camera();
    void SubscribeMessages() override;
    void HandleMessage(int id, fMessage* msg) override;

    // Once per frame, before anything reads the matrices.
    void Update();

    // The viewport the mouse motion is measured against (the renderer sets it
    // at every device reset). While the width is 0 mouse motion is ignored.
    void SetViewportSize(int width, int height);

    // Yaw (wrapped into [-pi, pi]) and pitch (held within kPitchLimit).
    void SetAngle(float yaw);
    void SetClampedAngle(float pitch);
    // Outside free look: distance + step, held within [kMinDistance,
    // kMaxDistance]. In free look nothing.
    void ChangeDistance(float step);
    // The level file's distance, taken as written; a non-finite value is ignored.
    void SetDistance(float value);

    // Follows World object index, or the own point when there is no such object.
    void SetTargetObject(unsigned index);
    // Free look from object 0 (own point with an empty World). Only when off.
    void EnterFreeLook();
    // The player's character body, except on the cart stage (and without a
    // character) World object 0; the own point when the World is empty.
    void ResetTarget();
    // A target reset is a cut (a stage load): the next frame has no earlier
    // view to have moved from. True once after each reset.
    bool TakeCut();

    // "Options.cfg" in the configuration folder. Loading a file that cannot
    // be opened changes nothing and returns false; values that cannot be read
    // keep what they were. Saving replaces the file only when the whole write
    // succeeded (reported otherwise).
    static std::string DefaultOptionsFile();
    bool LoadOptions(const std::string& fileName = DefaultOptionsFile());
    bool SaveOptions(const std::string& fileName = DefaultOptionsFile()) const;

    // Mouse look: motion and buttons act only while it is on. The menus, the
    // replay and the level loader switch it directly too.
    bool IsMouseLookEnabled() const { return enabled; }
    void SetMouseLookEnabled(bool on) { enabled = on; }
    // The camera turns by itself every frame (behind the main menu).
    bool IsAutoRotating() const { return autoRotate; }
    void SetAutoRotate(bool on) { autoRotate = on; }
    bool IsFreeLook() const { return freeLook; }
    bool GetInvertX() const { return invertX; }
    bool GetInvertY() const { return invertY; }
    float GetSpeed() const { return speed; }

    // The listener follows these (z up).
    Vector3 GetPosition() const { return position; }
    Vector3 GetForward() const { return forward; }
    Vector3 GetUp() const { return up; }
    Vector3 GetSide() const { return side; }
    float GetDistance() const { return distance; }
    // The yaw, which the player's movement is relative to.
    float GetAngle() const { return yaw.Get(); }
    Angle GetAngleObject() const { return yaw; }
    // The pitch.
    float GetClampedAngle() const { return pitch.Get(); }
    // The point the camera orbits this frame.
    Vector3 GetTargetPosition() const;
    // True while the camera follows its own point (nothing else to follow).
    bool IsFollowingOwnPoint() const { return FollowedPoint() == nullptr; }

    const D3DXMATRIX& GetView() const { return view; }
    // Rows forward, side, up: turns a camera-facing quad towards the eye.
    const D3DXMATRIX& GetFacing() const { return facing; }
    void SetProjection(const D3DXMATRIX& matrix) { projection = matrix; }
    const D3DXMATRIX& GetProjection() const { return projection; }

private:
    // What the camera follows. The position is asked for anew every frame, so
    // the camera never holds a pointer into an object the World has deleted;
    // when the answer is "none" it behaves as on its own point.
    enum class Target { OwnPoint, Object, PlayerBody };

    const Vector3* FollowedPoint() const;
    void TurnByMouse(int dx, int dy);
    void ToggleOption(bool& option, int menuItem);
    void ComputeForward();
    void PlaceBehind(const Vector3& target);
    void BuildMatrices(const Vector3& target);

    bool enabled = true;
    bool autoRotate = false;
    Target target = Target::OwnPoint;
    Vector3 position{0.0f, 0.0f, 0.0f};
    Vector3 forward{1.0f, 0.0f, 0.0f};
    Vector3 side{0.0f, 1.0f, 0.0f};
    Vector3 up{0.0f, 0.0f, 1.0f};
    Angle yaw;
    ClampedAngle pitch;
    float distance = kStartDistance;
    D3DXMATRIX projection;
    D3DXMATRIX view;
    D3DXMATRIX facing;
    Vector3 ownPoint{0.0f, 0.0f, 5.0f};
    unsigned followedIndex = 0;
    bool freeLook = false;
    bool cut = false;
    bool invertX = false;
    bool invertY = false;
    float speed = 1.0f;
    int viewportWidth = 0;
    int viewportHeight = 0;
};
