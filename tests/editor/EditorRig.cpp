#include "EditorRig.h"

#include <dinput_test.h>

#include <algorithm>
#include <set>

#include "Win32Host.h"
#include "core/Clock.h"
#include "core/EventDispatcher.h"
#include "game/InGameLevelEditor.h"
#include "game/Input.h"
#include "game/World.h"
#include "objects/NPObj.h"
#include "objects/Object.h"
#include "render/MeshInstance.h"

EditorRig::EditorRig()
{
    TestInput::Reset();
    Win32UseVirtualCounter(Win32ReadRealCounter());
    Clock::Reset();
    Clock::Init();
    gInput = new Input();
    gInGameLevelEditor = new InGameLevelEditor();
}

EditorRig::~EditorRig()
{
    delete gInGameLevelEditor;
    gInGameLevelEditor = nullptr;
    delete gInput;
    gInput = nullptr;
    Clock::Reset();
    Win32UseRealCounter();
    TestInput::Reset();
}

void EditorRig::Frame(float seconds)
{
    Win32AdvanceVirtualCounter(static_cast<LONGLONG>(seconds * kWin32CounterFrequency));
    Clock::Tick();
    gInput->Update(static_cast<int>(seconds * 1e6f));
    gEventDispatcher->ProcessQueue();
}

void EditorRig::HoldKey(int dik, int frames)
{
    TestInput::SetKey(dik, true);
    for (int i = 0; i < frames; ++i) Frame();
    TestInput::SetKey(dik, false);
    Frame();
}

void EditorRig::TapKey(int dik)
{
    HoldKey(dik, 1);
}

namespace {

template <typename Models>
bool AnyUntextured(const Models& models)
{
    return std::any_of(models.begin(), models.end(),
                       [](const MeshInstance* m) { return m != nullptr && m->technique != m->ownTechnique; });
}

} // namespace

bool IsUntextured(const Object* object)
{
    return AnyUntextured(object->meshes);
}

bool IsUntextured(const NPObj* sceneObject)
{
    return AnyUntextured(sceneObject->models);
}

int EditorRig::CountUntextured() const
{
    int count = 0;
    for (const Object* object : gWorld->GetObjects()) count += IsUntextured(object) ? 1 : 0;
    for (const NPObj* sceneObject : gWorld->GetUpdatables()) count += IsUntextured(sceneObject) ? 1 : 0;
    return count;
}

bool IsSavedType(int type)
{
    static const std::set<int> kBuilt = {0, 19, 20, 23, 26, 29, 30, 34, 35, 42, 47, 48};
    return kBuilt.count(type) == 0;
}

Object* AddObject(int type, int texture)
{
    Object* object = new Object(type);
    object->meshes.push_back(new MeshInstance(false, false, 1, "Phong1Opaque", 1, texture, false, false, false));
    gWorld->AddObject(object);
    return object;
}
