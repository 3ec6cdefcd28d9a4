#include "render/Camera.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <locale>
#include <sstream>
#include <vector>

#include "core/ConfigSyntax.h"
#include "core/ErrorReport.h"
#include "core/EventDispatcher.h"
#include "core/GameFiles.h"
#include "core/MathConstants.h"
#include "core/MenuId.h"
#include "core/Messages.h"
#include "core/Resources.h"
#include "core/Stage.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "render/CameraHooks.h"

namespace {

// The stage where the player rides the cart: the camera follows the cart
// (World object 0) rather than the character.

// The options menu's toggle boxes of the two invert options.
constexpr int kInvertXItem = 6;
constexpr int kInvertYItem = 7;

constexpr const char* kOptionsFileName = "Options.cfg";
constexpr const char* kOptionsHeader = "//Camera-config-file//";
constexpr const char* kInvertXKey = "InvertX:";
constexpr const char* kInvertYKey = "InvertY:";
constexpr const char* kSpeedKey = "Speed:";

const int kSubscribedIds[] = {kMsgMouseMove,       kMsgMouseButton,   kMsgMouseWheel,
                              kMsgToggleMouseLook, kMsgToggleInvertX, kMsgToggleInvertY};

// Reads words until one equals key; the word after it goes to value. Words
// are strings, so a word of any length is read whole.
bool ReadValueAfter(std::istream& in, const char* key, std::string& value)
{
    std::string word;
    while (in >> word) {
        if (word == key) {
            return static_cast<bool>(in >> value);
        }
    }
    return false;
}

D3DXVECTOR3 ToD3DX(const Vector3& v)
{
    return D3DXVECTOR3(v.x, v.y, v.z);
}

} // namespace

Camera::Camera()
{
    pitch.SetLimits(-kPitchLimit, kPitchLimit);
    D3DXMatrixIdentity(&projection);
    D3DXMatrixIdentity(&view);
    D3DXMatrixIdentity(&facing);
    SubscribeMessages();
}

void Camera::SubscribeMessages()
{
    if (!gEventDispatcher) {
        return;
    }
    for (int id : kSubscribedIds) {
        gEventDispatcher->Subscribe(id, this);
    }
}

void Camera::HandleMessage(int id, fMessage* msg)
{
    switch (id) {
    case kMsgMouseMove:
        if (const fMouseMoveState* move = dynamic_cast<const fMouseMoveState*>(msg)) {
            if (enabled) TurnByMouse(move->dx, move->dy);
        }
        break;
    case kMsgMouseButton:
        // Button 0 belongs to the player and the editor; button 1 switches
        // free look.
        if (const fMouseButtonState* button = dynamic_cast<const fMouseButtonState*>(msg)) {
            if (enabled && button->state == kPressPressed && button->button == 1) {
                if (freeLook) {
                    freeLook = false;
                    distance = kStartDistance;
                } else {
                    EnterFreeLook();
                }
            }
        }
        break;
    case kMsgMouseWheel:
        if (const fMouseWheelState* wheel = dynamic_cast<const fMouseWheelState*>(msg)) {
            // Rolling towards the player pulls the camera back.
            ChangeDistance(wheel->dz < 0 ? kWheelStep : -kWheelStep);
        }
        break;
    case kMsgToggleMouseLook:
        if (const fInputState* input = dynamic_cast<const fInputState*>(msg)) {
            if (input->state == kPressPressed) enabled = !enabled;
        }
        break;
    case kMsgToggleInvertX:
        if (dynamic_cast<const fInputState*>(msg)) ToggleOption(invertX, kInvertXItem);
        break;
    case kMsgToggleInvertY:
        if (dynamic_cast<const fInputState*>(msg)) ToggleOption(invertY, kInvertYItem);
        break;
    default:
        REPORT_ERROR(kUnknownMessageReport);
        break;
    }
}

void Camera::ToggleOption(bool& option, int menuItem)
{
    // The toggle boxes live on the options menu; a stray id elsewhere changes nothing.
    CameraHooks& hooks = CameraHookSlot::Get();
    if (hooks.GetTopMenuId() != kMenuOptions) {
        return;
    }
    option = !option;
    hooks.ShowOptionChecked(menuItem, option);
}

void Camera::TurnByMouse(int dx, int dy)
{
    // A minimised window has no width to measure the motion against.
    if (viewportWidth <= 0) {
        return;
    }
    CameraHooks& hooks = CameraHookSlot::Get();
    hooks.ClampCursor(viewportWidth / 2, viewportHeight / 2);

    // Both turns are measured over the width, so the mouse feels the same
    // either way; a full width of motion is half a turn.
    const float width = static_cast<float>(viewportWidth);
    float dyaw = -(static_cast<float>(dx) * kPi) / width;
    float dpitch = -(static_cast<float>(dy) * kPi) / width;
    // The replay controls scrub with the mouse at the plain rate.
    const float scale = hooks.GetTopMenuId() == kMenuReplay ? 1.0f : speed;

    if (invertX) dyaw = -dyaw;
    dyaw *= scale;
    // Looking out from the followed point, the turn that orbits right looks left.
    if (freeLook) dyaw = -dyaw;
    yaw += dyaw;

    if (invertY) dpitch = -dpitch;
    dpitch *= scale;
    pitch += dpitch;
}

void Camera::SetViewportSize(int width, int height)
{
    viewportWidth = width;
    viewportHeight = height;
}

void Camera::SetAngle(float value)
{
    yaw = value;
}

void Camera::SetClampedAngle(float value)
{
    pitch = value;
}

void Camera::ChangeDistance(float step)
{
    if (freeLook) {
        return;
    }
    distance = std::min(std::max(distance + step, kMinDistance), kMaxDistance);
}

void Camera::SetDistance(float value)
{
    if (std::isfinite(value)) {
        distance = value;
    }
}

const Vector3* Camera::FollowedPoint() const
{
    const CameraHooks& hooks = CameraHookSlot::Get();
    switch (target) {
    case Target::Object:
        return hooks.GetObjectPosition(followedIndex);
    case Target::PlayerBody:
        return hooks.GetPlayerBodyPosition();
    case Target::OwnPoint:
        break;
    }
    return nullptr;
}

Vector3 Camera::GetTargetPosition() const
{
    const Vector3* followed = FollowedPoint();
    return followed ? *followed : ownPoint;
}

void Camera::SetTargetObject(unsigned index)
{
    if (CameraHookSlot::Get().GetObjectPosition(index)) {
        followedIndex = index;
        target = Target::Object;
    } else {
        target = Target::OwnPoint;
    }
}

void Camera::EnterFreeLook()
{
    if (freeLook) {
        return;
    }
    freeLook = true;
    if (CameraHookSlot::Get().GetObjectPosition(0)) {
        followedIndex = 0;
        distance = kFreeLookDistance;
        target = Target::Object;
    } else {
        target = Target::OwnPoint;
    }
}

void Camera::ResetTarget()
{
    cut = true;
    const CameraHooks& hooks = CameraHookSlot::Get();
    if (CurrentStage() != kCartStage && hooks.GetPlayerBodyPosition()) {
        target = Target::PlayerBody;
    } else {
        SetTargetObject(0);
    }
}

bool Camera::TakeCut()
{
    const bool was = cut;
    cut = false;
    return was;
}

void Camera::ComputeForward()
{
    const float cosPitch = std::cos(pitch.Get());
    forward = Vector3(std::cos(yaw.Get()) * cosPitch, std::sin(yaw.Get()) * cosPitch, std::sin(pitch.Get()));
}

void Camera::PlaceBehind(const Vector3& followed)
{
    position = followed - forward * distance;
}

void Camera::Update()
{
    if (autoRotate) {
        yaw += freeLook ? -kAutoRotateStep : kAutoRotateStep;
    }
    // On its own point the camera keeps its last matrices (identity before
    // the first stage).
    const Vector3* followed = FollowedPoint();
    if (!followed) {
        return;
    }
    const Vector3 t = *followed;
    ComputeForward();
    if (distance > 0.0f) {
        PlaceBehind(t);
    }

    // Keep the eye above the ground, swinging it up the orbit so the distance
    // to the followed point stays. Without a heightmap there is no ground.
    const std::vector<Heightmap*>* grounds = gPhysicsWorld ? &gPhysicsWorld->GetHeightmaps() : nullptr;
    const Heightmap* ground = grounds && !grounds->empty() ? grounds->front() : nullptr;
    if (ground && distance > 0.0f && !freeLook && !CameraHookSlot::Get().IsEditorEnabled()) {
        float height = 0.0f;
        Vector3 normal;
        ground->GetHeight(position.x, position.y, height, normal);
        const float lowest = height + kGroundClearance;
        if (position.z < lowest) {
            const float sine = std::min(std::max((t.z - lowest) / distance, -1.0f), 1.0f);
            pitch = std::asin(sine);
            ComputeForward();
            PlaceBehind(t);
        }
    }
    BuildMatrices(t);
}

void Camera::BuildMatrices(const Vector3& followed)
{
    const Vector3 worldUp(0.0f, 0.0f, 1.0f);
    Vector3::Cross(side, worldUp, forward).Normalize();
    const D3DXVECTOR3 eye = ToD3DX(position);
    const D3DXVECTOR3 at = ToD3DX(followed + forward);
    const D3DXVECTOR3 viewUp = ToD3DX(worldUp);
    D3DXMatrixLookAtLH(&view, &eye, &at, &viewUp);
    Vector3::Cross(up, forward, side).Normalize();
    facing = D3DXMATRIX(forward.x, forward.y, forward.z, 0.0f, side.x, side.y, side.z, 0.0f, up.x, up.y, up.z, 0.0f,
                        0.0f, 0.0f, 0.0f, 1.0f);
}

std::string Camera::DefaultOptionsFile()
{
    return ConfigDirectory + kOptionsFileName;
}

bool Camera::LoadOptions(const std::string& fileName)
{
    std::ifstream in(ResolveGamePath(fileName));
    if (!in) {
        return false;
    }
    // The keys come in this order with anything between them; each value is
    // taken only once it has been read whole, so a broken file keeps what
    // it cannot give.
    std::string value;
    bool complete = ReadValueAfter(in, kInvertXKey, value);
    if (complete) invertX = value == "true";
    complete = complete && ReadValueAfter(in, kInvertYKey, value);
    if (complete) invertY = value == "true";
    complete = complete && ReadValueAfter(in, kSpeedKey, value) && ParseConfigNumber(value, speed);
    if (!complete) {
        REPORT_ERROR("Bad camera options file: " + fileName);
    }
    CameraHooks& hooks = CameraHookSlot::Get();
    hooks.ShowOptionChecked(kInvertXItem, invertX);
    hooks.ShowOptionChecked(kInvertYItem, invertY);
    return true;
}

bool Camera::SaveOptions(const std::string& fileName) const
{
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text << kOptionsHeader << "\n\n";
    text << kInvertXKey << ' ' << (invertX ? "true" : "false") << '\n';
    text << kInvertYKey << ' ' << (invertY ? "true" : "false") << '\n';
    text << kSpeedKey << ' ' << speed << '\n';
    const std::string contents = text.str();
    const bool written = WriteGameFile(fileName, [&contents](std::FILE* out) {
        return std::fwrite(contents.data(), 1, contents.size(), out) == contents.size();
    });
    if (!written) {
        REPORT_ERROR("Could not write camera options " + fileName);
    }
    return written;
}
