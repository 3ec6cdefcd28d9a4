// The in-game level editor: a developer switches the running game into an
// editing state (key 0), picks one of the World's objects or triggers, pushes,
// moves and turns it, freezes it in place, switches gravity off and saves the
// stage back into its level file. Bound keys reach it as messages; the editor
// dialog (game/EditorDialog.h) runs its actions on it.
//
// The active object and trigger are indices into the World's lists. They
// outlive stage loads, so every use checks them against the list as it is now:
// an index past the end selects nothing and every operation on it does nothing.
#pragma once

#include "core/EventObj.h"

class NPObj;
class Object;
struct Vector3;

class InGameLevelEditor : public fEventObj
{
public:
    // What the active item is: 0 objects, 1 triggers, 2 lights (nothing to do yet).
    enum Mode { kModeObjects = 0, kModeTriggers = 1, kModeLights = 2, kModeCount = 3 };

    // The push of mode 0: the direction is scaled by the step, then by the
    // force, the frame time and the body's inverse mass.
    static constexpr float kPushStep = 0.1f;
    static constexpr float kPushForce = 50000.0f;
    // How far a trigger moves per frame a key is held in mode 1.
    static constexpr float kTriggerStep = 0.25f;
    static constexpr float kTurnDegrees = 90.0f;
    static constexpr float kFineTurnDegrees = 1.0f;
    // Gravity when switched back on; the configured value is not restored.
    static constexpr float kGravityOn = -9.8f;

    // Starts off, subscribed to its messages.
    InGameLevelEditor();

    void SubscribeMessages() override;
    // Off: only the released toggle key. On: the held push and turn keys,
    // and the released toggle, stop, next and gravity keys.
    void HandleMessage(int id, fMessage* msg) override;
    // Runs one editor command by its message id (the dialog uses it too).
    void ProcessMessage(int id);

    // On: the mouse is shared with the dialog and the active item drawn
    // untextured. Off: the mouse is the game's again and the item textured.
    void Toggle();
    // +1 next, anything else previous, wrapping; objects the level writer
    // does not save are skipped. The index stays when none qualifies.
    void CycleActiveObject(int direction);
    void CycleActiveTrigger(int direction);
    // The next (+1) or previous item of the mode: objects, with the camera
    // following, or triggers.
    void CycleActiveItem(int direction);
    // The shared angle turns the active object about x, y or z by the id;
    // negative subtracts, fine turns by one degree instead of ninety.
    void Rotate(int id, bool negative, bool fine);
    void StopActiveObject();
    // Moves the active trigger by the direction times the trigger step.
    void MoveActiveObject(const Vector3& direction);
    void ToggleGravity();
    void ToggleImmovable();
    void NextMode();
    // The status lines, to the debug channel, every frame while on.
    void PrintHelp();

    bool IsEnabled() const { return !off; }
    int GetMode() const { return mode; }
    int GetObjectIndex() const { return objectIndex; }
    int GetTriggerIndex() const { return triggerIndex; }
    bool IsGravityOn() const { return gravityOn; }
    float GetAngle() const { return angle; }

    // The active object or trigger, or null when the index is out of range.
    Object* GetActiveObject() const;
    NPObj* GetActiveTrigger() const;

private:
    // Draws the active object, the active trigger, or the item active in
    // the current mode, with or without its textures.
    void ShowObject(bool textured) const;
    void ShowTrigger(bool textured) const;
    void ShowActiveItem(bool textured) const;
    // Mode 0 pushes the active object, mode 1 moves the active trigger.
    void Push(int id);

    bool off = true;
    bool gravityOn = true;
    int mode = kModeObjects;
    int objectIndex = 0;
    int triggerIndex = 0;
    // Shown by the status lines.
    float massShown = 1000.0f;
    // Degrees; one angle for every object the editor turns.
    float angle = 0.0f;
};

extern InGameLevelEditor* gInGameLevelEditor;
