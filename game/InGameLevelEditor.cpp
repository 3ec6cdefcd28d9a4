// The level editor's commands: what each bound key and dialog action does to
// the active object or trigger, and the status lines of the debug caption.
#include "game/InGameLevelEditor.h"

#include "core/Clock.h"
#include "core/DebugPrint.h"
#include "core/EventDispatcher.h"
#include "core/Matrix3.h"
#include "core/Messages.h"
#include "core/Vector3.h"
#include "game/Input.h"
#include "game/LevelLoader.h"
#include "game/Trigger.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "physics/PhysicsSettings.h"
#include "render/Camera.h"
#include "render/Renderer.h"

InGameLevelEditor* gInGameLevelEditor = nullptr;

namespace {

// The order the editor subscribes in: within one id, receivers are called in
// the order they subscribed.
const int kSubscriptions[] = {
    kMsgEditorToggle,       kMsgEditorGravity,     kMsgEditorNext,         kMsgEditorNothing,
    kMsgEditorNextMode,     kMsgEditorImmovable,   kMsgEditorRight,        kMsgEditorForward,
    kMsgEditorUp,           kMsgEditorLeft,        kMsgEditorBack,         kMsgEditorDown,
    kMsgEditorStopObject,   kMsgEditorRotateXPlus, kMsgEditorRotateXMinus, kMsgEditorRotateYPlus,
    kMsgEditorRotateYMinus, kMsgEditorRotateZPlus, kMsgEditorRotateZMinus, kMsgMouseButton,
    kMsgMouseMove,          kMsgMouseWheel,
};

const float kFullTurn = 360.0f;

Camera* GameCamera()
{
    return gRenderer != nullptr ? gRenderer->GetCamera() : nullptr;
}

// The World's trigger i as the scene object it is, or null past the end.
NPObj* TriggerAt(int index)
{
    if (gWorld == nullptr) return nullptr;
    const int count = static_cast<int>(gWorld->GetTriggers().size());
    if (index < 0 || index >= count) return nullptr;
    return gWorld->GetTriggers()[static_cast<size_t>(index)];
}

int TriggerCount()
{
    return gWorld != nullptr ? static_cast<int>(gWorld->GetTriggers().size()) : 0;
}

// One step of a cycle over count items: past the end is 0, below 0 the last.
int Step(int index, int direction, int count)
{
    const int next = index + (direction == 1 ? 1 : -1);
    if (next >= count) return 0;
    if (next < 0) return count - 1;
    return next;
}

// The direction of a push key, relative to the camera as the walking keys
// are: forward and back along the view, left and right across it.
Vector3 KeyDirection(int id)
{
    float first = 1.0f;
    float second = 0.0f;
    if (const Camera* camera = GameCamera()) camera->GetAngleObject().SinCos(first, second);
    switch (id) {
    case kMsgEditorForward:
        return Vector3(first, second, 0.0f);
    case kMsgEditorBack:
        return Vector3(-first, -second, 0.0f);
    case kMsgEditorLeft:
        return Vector3(second, -first, 0.0f);
    case kMsgEditorRight:
        return Vector3(-second, first, 0.0f);
    case kMsgEditorUp:
        return Vector3(0.0f, 0.0f, 1.0f);
    default:
        return Vector3(0.0f, 0.0f, -1.0f);
    }
}

Vector3 RotationAxis(int id)
{
    switch (id) {
    case kMsgEditorRotateXPlus:
    case kMsgEditorRotateXMinus:
        return Vector3(1.0f, 0.0f, 0.0f);
    case kMsgEditorRotateYPlus:
    case kMsgEditorRotateYMinus:
        return Vector3(0.0f, 1.0f, 0.0f);
    default:
        return Vector3(0.0f, 0.0f, 1.0f);
    }
}

bool IsHeldCommand(int id)
{
    return id >= kMsgEditorRight && id <= kMsgEditorRotateZMinus;
}

bool IsReleasedCommand(int id)
{
    return id == kMsgEditorToggle || id == kMsgEditorStopObject || id == kMsgEditorNext || id == kMsgEditorGravity;
}

} // namespace

InGameLevelEditor::InGameLevelEditor()
{
    SubscribeMessages();
}

void InGameLevelEditor::SubscribeMessages()
{
    if (gEventDispatcher == nullptr) return;
    for (const int id : kSubscriptions) gEventDispatcher->Subscribe(id, this);
}

void InGameLevelEditor::HandleMessage(int id, fMessage* msg)
{
    // Mouse messages carry no fInputState: the camera reads them, the editor
    // does not (its dialog has the window's own mouse).
    const fInputState* input = dynamic_cast<const fInputState*>(msg);
    if (input == nullptr) return;
    if (off) {
        if (id == kMsgEditorToggle && input->state == kPressReleased) ProcessMessage(id);
        return;
    }
    if ((input->state == kPressHeld && IsHeldCommand(id)) || (input->state == kPressReleased && IsReleasedCommand(id)))
        ProcessMessage(id);
}

void InGameLevelEditor::ProcessMessage(int id)
{
    if (id == kMsgEditorToggle) {
        Toggle();
        return;
    }
    if (off) return;
    switch (id) {
    case kMsgEditorRight:
    case kMsgEditorForward:
    case kMsgEditorUp:
    case kMsgEditorLeft:
    case kMsgEditorBack:
    case kMsgEditorDown:
        Push(id);
        break;
    case kMsgEditorRotateXPlus:
    case kMsgEditorRotateYPlus:
    case kMsgEditorRotateZPlus:
        Rotate(id, false, false);
        break;
    case kMsgEditorRotateXMinus:
    case kMsgEditorRotateYMinus:
    case kMsgEditorRotateZMinus:
        Rotate(id, true, false);
        break;
    case kMsgEditorSmallRotateZ:
    case kMsgEditorSmallRotateZMinus:
        // Nothing posts these; the dialog turns each its own way.
        Rotate(id, true, true);
        break;
    case kMsgEditorStopObject:
        StopActiveObject();
        break;
    case kMsgEditorNext:
        CycleActiveItem(1);
        break;
    case kMsgEditorGravity:
        ToggleGravity();
        break;
    case kMsgEditorImmovable:
        ToggleImmovable();
        break;
    case kMsgEditorNextMode:
        NextMode();
        break;
    default:
        break;
    }
}

Object* InGameLevelEditor::GetActiveObject() const
{
    return gWorld != nullptr ? gWorld->GetObject(objectIndex) : nullptr;
}

NPObj* InGameLevelEditor::GetActiveTrigger() const
{
    return TriggerAt(triggerIndex);
}

void InGameLevelEditor::ShowObject(bool textured) const
{
    if (Object* object = GetActiveObject()) object->EnableTextures(textured);
}

void InGameLevelEditor::ShowTrigger(bool textured) const
{
    if (NPObj* trigger = GetActiveTrigger()) trigger->EnableTextures(textured);
}

void InGameLevelEditor::ShowActiveItem(bool textured) const
{
    if (mode == kModeObjects) ShowObject(textured);
    if (mode == kModeTriggers) ShowTrigger(textured);
}

void InGameLevelEditor::Toggle()
{
    off = !off;
    if (!off) {
        if (gInput != nullptr) gInput->SetMouseShared();
        ShowActiveItem(false);
    } else {
        if (gInput != nullptr) gInput->SetMouseExclusive();
        ShowActiveItem(true);
    }
}

void InGameLevelEditor::CycleActiveObject(int direction)
{
    const int count = gWorld != nullptr ? gWorld->GetNumObjects() : 0;
    if (count == 0) return;
    // One lap at most: a stage whose file did not load holds only what its
    // set-up built, none of which the writer saves.
    int candidate = objectIndex;
    for (int steps = 0; steps < count; ++steps) {
        candidate = Step(candidate, direction, count);
        if (LevelLoader::SavesType(gWorld->GetObject(candidate)->GetType())) {
            ShowObject(true);
            objectIndex = candidate;
            ShowObject(off || mode != kModeObjects);
            return;
        }
    }
}

void InGameLevelEditor::CycleActiveTrigger(int direction)
{
    const int count = TriggerCount();
    if (count == 0) return;
    ShowTrigger(true);
    triggerIndex = Step(triggerIndex, direction, count);
    ShowTrigger(off || mode != kModeTriggers);
}

void InGameLevelEditor::CycleActiveItem(int direction)
{
    if (mode == kModeObjects) {
        CycleActiveObject(direction);
        Camera* camera = GameCamera();
        if (camera != nullptr && GetActiveObject() != nullptr)
            camera->SetTargetObject(static_cast<unsigned>(objectIndex));
    } else if (mode == kModeTriggers) {
        CycleActiveTrigger(direction);
    }
}

void InGameLevelEditor::Rotate(int id, bool negative, bool fine)
{
    Object* object = GetActiveObject();
    if (object == nullptr) return;
    // The object takes the angle as it stands, then the angle moves on for
    // the next turn: two turns about x and one about y leave a half turn about y.
    Matrix3 turn;
    Matrix3::FromAxisAngle(turn, angle, RotationAxis(id));
    object->SetOrientation(turn);
    object->Orthonormalize();
    const Matrix3 clean = object->GetOrientation();
    object->SetOrientation(clean);
    object->UpdateBounds();

    const float step = fine ? kFineTurnDegrees : kTurnDegrees;
    angle += negative ? -step : step;
    if (angle > kFullTurn) angle = 0.0f;
    if (angle < 0.0f) angle = kFullTurn;
}

void InGameLevelEditor::StopActiveObject()
{
    if (Object* object = GetActiveObject()) {
        object->linearVelocity = Vector3();
        object->angularVelocity = Vector3();
    }
}

void InGameLevelEditor::Push(int id)
{
    Vector3 direction = KeyDirection(id);
    direction.Normalize();
    if (mode == kModeObjects) {
        Object* object = GetActiveObject();
        if (object == nullptr) return;
        // Stage objects start frozen, and a frozen body ignores its velocity:
        // it wakes, or the push would wait for the next touch to let go.
        if (object->IsFrozen()) object->SetFreezeState(0, 1.0f);
        const float seconds = Clock::GetFrameTime(false) / 1000.0f;
        object->linearVelocity += direction * (kPushStep * kPushForce * seconds * object->GetInverseMass());
    } else if (mode == kModeTriggers) {
        MoveActiveObject(direction);
    }
}

void InGameLevelEditor::MoveActiveObject(const Vector3& direction)
{
    if (NPObj* trigger = GetActiveTrigger()) trigger->position += direction * kTriggerStep;
}

void InGameLevelEditor::ToggleGravity()
{
    if (gravityOn) {
        gPhysicsSettings.gravity = Vector3(0.0f, 0.0f, 0.0f);
        gravityOn = false;
        DebugPrint("Gravity disabled!");
    } else {
        gPhysicsSettings.gravity = Vector3(0.0f, 0.0f, kGravityOn);
        gravityOn = true;
        DebugPrint("Gravity enabled");
    }
}

void InGameLevelEditor::ToggleImmovable()
{
    Object* object = GetActiveObject();
    if (object == nullptr) return;
    object->SetImmovable(!object->immovable);
    DebugPrint(object->immovable ? "Object immovable!" : "Object now movable!");
}

void InGameLevelEditor::NextMode()
{
    // The item of the mode left behind gets its textures back, so only the
    // item of the new mode shows untextured.
    ShowActiveItem(true);
    mode = (mode + 1) % kModeCount;
    ShowActiveItem(off);
}

void InGameLevelEditor::PrintHelp()
{
    if (off) return;
    DebugPrint("-=IN GAME EDITOR MODE is enabled=-");
    DebugPrint("Mode %d (0 objects, 1 triggers, 2 lights)", mode);
    if (mode == kModeObjects) {
        const Object* object = GetActiveObject();
        if (object == nullptr) {
            DebugPrint("Active object %d: none", objectIndex);
            return;
        }
        DebugPrint("Active object %d, type %d", objectIndex, object->GetType());
        DebugPrint("Mass %f (editor mass %f)", object->GetMass(), massShown);
        DebugPrint("Position %f %f %f", object->position.x, object->position.y, object->position.z);
    } else if (mode == kModeTriggers) {
        const NPObj* trigger = GetActiveTrigger();
        if (trigger == nullptr) {
            DebugPrint("Active trigger %d: none", triggerIndex);
            return;
        }
        DebugPrint("Active trigger %d, type %d", triggerIndex, trigger->GetType());
        DebugPrint("Position %f %f %f", trigger->position.x, trigger->position.y, trigger->position.z);
    }
}
