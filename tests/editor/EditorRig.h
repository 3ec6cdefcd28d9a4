// What the editor tests share: the game's singletons over a scratch copy of
// the run tree (levels saved here never reach the shipped ones), the real
// input over the DirectInput stand-in's test seam, the editor, a virtual
// clock, and frames that poll the input and deliver its messages.
#pragma once

#include <memory>
#include <string>

#include "StageRig.h"
#include "StageTestSupport.h"

class NPObj;
class Object;

class EditorRig
{
public:
    EditorRig();
    ~EditorRig();
    EditorRig(const EditorRig&) = delete;
    EditorRig& operator=(const EditorRig&) = delete;

    // One frame of the given length: the clock ticks, the input polls, the
    // messages are delivered. No physics step: what the editor did to a body
    // is what the body shows.
    void Frame(float seconds = 0.02f);
    // Holds a key (DIK code) for the frames given, then releases it in one more.
    void HoldKey(int dik, int frames);
    // Presses and releases a key: the release is what the editor acts on.
    void TapKey(int dik);

    // Objects and scene objects of the World drawn without their textures
    // (each counted once, whatever its number of drawables).
    int CountUntextured() const;

    ScratchRunTree tree; // first: the World reads its configuration from here
    StageRig stage;
};

bool IsUntextured(const Object* object);
bool IsUntextured(const NPObj* sceneObject);
// The writer's types: everything but what a stage's set-up or another object builds.
bool IsSavedType(int type);
// A body of the type with a drawable of the texture, added to the World.
Object* AddObject(int type, int texture = 7);
