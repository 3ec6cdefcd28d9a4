// The messages of the event dispatcher. A message is created with new by its
// sender; from then on the dispatcher owns it and deletes it after delivery.
// Receivers go by the id they are handed and down-cast the message when they
// need its fields (doing nothing when the cast fails or the message is null).
#pragma once

#include <string>

#include "core/Matrix3.h"
#include "core/Vector3.h"

// The game's internal protocol: every id that is posted, sent or subscribed to,
// and the editor dialog's actions, which share the editor's numbers.
enum MessageId : int {
    kMsgCreateSystem = 0,    // fCreateSystem -> particle manager
    kMsgAttachSystem = 1,    // fAttachSystem -> particle manager
    kMsgSetVelocity = 2,     // fSetVelocity -> Object
    kMsgToggleMouseLook = 5, // key C -> Camera
    kMsgPlaySound = 7,       // fPlaySound -> Object, Player
    kMsgQuitGame = 8,        // quit menu items -> MenuMan
    kMsgRetryStage = 9,      // "yes" of the try-again menu -> LevelLoader, replay
    kMsgToggleInvertX = 10,  // options toggle -> Camera
    kMsgToggleInvertY = 11,  // options toggle -> Camera
    kMsgJukeBoxPlay = 12,
    kMsgJukeBoxNext = 13,
    kMsgJukeBoxPrevious = 14,
    kMsgJukeBoxStop = 15,
    kMsgJukeBoxPause = 16,
    kMsgJukeBoxMute = 17,
    kMsgMoveForward = 18, // W -> Player
    kMsgMoveBack = 19,    // S
    kMsgMoveLeft = 20,    // A
    kMsgMoveRight = 21,   // D
    kMsgJump = 22,        // Space
    kMsgKnockOut = 24,    // K: knock out, or recover when down
    kMsgRecover = 25,
    kMsgToggleMask = 26,    // L
    kMsgEditorToggle = 28,  // 0 (released)
    kMsgEditorRight = 29,   // numeric pad 6
    kMsgEditorForward = 30, // numeric pad 8
    kMsgEditorUp = 31,      // numeric pad 9
    kMsgEditorLeft = 32,    // numeric pad 4
    kMsgEditorBack = 33,    // numeric pad 2
    kMsgEditorDown = 34,    // numeric pad 7
    kMsgEditorRotateXPlus = 35,
    kMsgEditorRotateYPlus = 36,
    kMsgEditorRotateZPlus = 37,
    kMsgEditorRotateXMinus = 38,
    kMsgEditorRotateYMinus = 39,
    kMsgEditorRotateZMinus = 40,
    kMsgEditorSmallRotateZ = 41,      // editor dialog action only, never posted
    kMsgEditorSmallRotateZMinus = 42, // editor dialog action only, never posted
    kMsgEditorStopObject = 43,        // numeric pad 5
    kMsgEditorPrevious = 44,          // editor dialog action only, never posted
    kMsgEditorNext = 45,              // N
    kMsgEditorNothing = 46,
    kMsgEditorGravity = 47, // G
    kMsgEditorImmovable = 48,
    kMsgEditorNextMode = 49,
    kMsgEditorSaveLevel = 50, // editor dialog action only, never posted
    kMsgMouseMove = 51,       // fMouseMoveState
    kMsgMouseButton = 52,     // fMouseButtonState
    kMsgMouseWheel = 53,      // fMouseWheelState
    kMsgCloseMenu = 54,       // close the top menu
    kMsgNewGame = 55,         // "no" of the try-again menu: new game on stage 1
    kMsgOpenOptions = 56,
    kMsgOpenCredits = 57,
    kMsgEnterReplay = 58, // null or fInputState
    kMsgReplayStop = 59,  // Y
    kMsgReplayPlay = 60,
    kMsgReplayFreeze = 61, // I: freeze or resume
    kMsgReplayForward = 62,
    kMsgReplayBack = 63,
    kMsgReplaySlowMotion = 64,
    kMsgStartDeathCountdown = 65 // null
};

// Key and button press states carried by fInputState and fMouseButtonState.
enum PressState : int {
    kPressUp = 0,
    kPressReleased = 1,
    kPressPressed = 2, // pressed in this frame
    kPressHeld = 3
};

struct fMessage
{
    int type = 0;

    virtual ~fMessage() = default;
};

// Create a particle system of the named type at a position.
struct fCreateSystem : fMessage
{
    std::string name;
    Vector3 position;
    Vector3 velocity;
    float scale = 0.0f;

    // The pointers are only read.
    fCreateSystem(const char* name_, const Vector3* position_, const Vector3* velocity_, const float* scale_);
};

// Create a particle system that follows a parent object. The parent pointers
// are kept as given and point into the parent.
struct fAttachSystem : fMessage
{
    std::string name;
    Vector3 offset;
    const Vector3* parentPosition = nullptr;
    const Matrix3* parentOrientation = nullptr;
    const Vector3* parentVelocity = nullptr;
    float scale = 0.0f;

    fAttachSystem(const char* name_, const Vector3* offset_, const Vector3* parentPosition_,
                  const Matrix3* parentOrientation_, const Vector3* parentVelocity_, const float* scale_);
};

struct fSetVelocity : fMessage
{
    Vector3 velocity; // added to the receiving body's linear velocity

    explicit fSetVelocity(const Vector3& velocity_) : velocity(velocity_) { type = kMsgSetVelocity; }
};

struct fPlaySound : fMessage
{
    std::string name;

    explicit fPlaySound(const char* name_) : name(name_ ? name_ : "") { type = kMsgPlaySound; }
};

struct fInputState : fMessage
{
    int state = 0; // PressState
    int id = 0;    // the message id again

    fInputState(int id_, int state_) : state(state_), id(id_) { type = id_; }
};

struct fMouseMoveState : fMessage
{
    int dx = 0;
    int dy = 0;

    fMouseMoveState(int dx_, int dy_) : dx(dx_), dy(dy_) { type = kMsgMouseMove; }
};

struct fMouseButtonState : fMessage
{
    int state = 0;  // PressState
    int button = 0; // 0 to 7

    fMouseButtonState(int state_, int button_) : state(state_), button(button_) { type = kMsgMouseButton; }
};

struct fMouseWheelState : fMessage
{
    int dz = 0;

    explicit fMouseWheelState(int dz_) : dz(dz_) { type = kMsgMouseWheel; }
};
