// Starting the game for the character tests, reading its character and
// skeleton between frames, and the two extra drawings that find the skinned
// model on the screen.
#include "CharacterGameSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "Character.h"
#include "DXUTHeadless.h"
#include "Pose.h"
#include "Win32Host.h"
#include "d3d9_host.h"
#include "dinput.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Ragdoll.h"
#include "objects/RagdollLayout.h"
#include "physics/Heightmap.h"
#include "physics/PhysicsWorld.h"
#include "render/AnimInstance.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/Renderer.h"

namespace {

const int kStageKeyFrame = 2;
// A channel that moves by more than this between the two drawings is the model's.
const int kChangedChannel = 24;
// How far a limb's surface reaches past its bones, world units.
const float kLimbThickness = 1.0f;
// A limb midpoint counts as drawn with a pixel this close that the model
// changes at all: from behind, its brown hair over the brown bridge moves a
// channel by barely more than 20.
const int kNearPixels = 2;
const int kTouchedChannel = 4;
// The head is the second limb drawable.
const size_t kHeadDrawable = 1;

D3DXVECTOR3 ToScreen(const Vector3& p, const D3DXMATRIX& viewProjection, unsigned width, unsigned height)
{
    D3DXVECTOR3 clip;
    const D3DXVECTOR3 world(p.x, p.y, p.z);
    D3DXVec3TransformCoord(&clip, &world, &viewProjection);
    return D3DXVECTOR3((clip.x + 1.0f) * 0.5f * float(width), (1.0f - clip.y) * 0.5f * float(height), clip.z);
}

// The frame drawn once more, RGBA, top row first.
std::vector<uint8_t> DrawFrame(IDirect3DDevice9* device, UINT* width, UINT* height)
{
    std::vector<uint8_t> rgba;
    gRenderer->RenderFrame();
    LvD3D9_ReadBackBuffer(device, rgba, width, height);
    return rgba;
}

// The limb drawables for which keep(i) is false moved nowhere (every vertex
// on one point: they draw nothing) while work runs, then put back.
template <class Keep, class Work>
void WithoutLimbDrawables(Ragdoll& character, Keep keep, Work work)
{
    static D3DXMATRIX nowhere;
    std::memset(&nowhere, 0, sizeof nowhere);
    const std::vector<MeshInstance*>& limbs = character.GetLimbInstances();
    std::vector<const D3DXMATRIX*> kept;
    for (size_t i = 0; i < limbs.size(); ++i) {
        kept.push_back(limbs[i]->worldOverride);
        if (!keep(i)) limbs[i]->worldOverride = &nowhere;
    }
    work();
    for (size_t i = 0; i < limbs.size(); ++i) limbs[i]->worldOverride = kept[i];
}

// The frame drawn without the skinned model.
std::vector<uint8_t> DrawWithoutSkin(IDirect3DDevice9* device, MeshInstance& skin, UINT* width, UINT* height)
{
    Model* model = skin.model;
    skin.model = nullptr;
    std::vector<uint8_t> rgba = DrawFrame(device, width, height);
    skin.model = model;
    return rgba;
}

// Pixels whose colour moves by more than the threshold between two pictures.
std::vector<char> ChangedPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                                int threshold = kChangedChannel)
{
    std::vector<char> changed(a.size() == b.size() ? a.size() / 4 : 0, 0);
    for (size_t i = 0; i < changed.size(); ++i)
        for (int c = 0; c < 3; ++c)
            changed[i] = changed[i] || std::abs(int(a[i * 4 + c]) - int(b[i * 4 + c])) > threshold;
    return changed;
}

int CountChanged(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b)
{
    const std::vector<char> changed = ChangedPixels(a, b);
    return int(std::count(changed.begin(), changed.end(), 1));
}

} // namespace

void StartGame(int width, int height, int frames, bool device, const std::vector<std::string>& extra, bool window)
{
    // No sound device here: the sound library must not complain into the log.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    static std::vector<std::string> arguments;
    static std::vector<char*> argv;
    arguments = {"Lumveran", "-windowed", "-width:" + std::to_string(width), "-height:" + std::to_string(height)};
    const bool windowed = window && std::getenv("DISPLAY");
    if (windowed) {
        arguments.push_back("-quitafterframe:" + std::to_string(frames));
        arguments.push_back("-constantframetime:" + std::to_string(1.0 / 60.0));
    }
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    argv.clear();
    for (std::string& a : arguments) argv.push_back(&a[0]);
    Win32SetCommandLine(int(argv.size()), argv.data());
    if (!windowed) {
        DXUTHeadlessEnable(1.0 / 60.0, frames);
        if (device) DXUTHeadlessEnableDevice();
    }
    // The game opens on its menus; the developer key starts stage 1 and closes them.
    DXUTHeadlessScheduleKey(kStageKeyFrame, '1', true);
    DXUTHeadlessScheduleKey(kStageKeyFrame + 1, '1', false);
}

Ragdoll* FindCharacter()
{
    if (!gWorld) return nullptr;
    for (PhysicsController* c : gWorld->GetControllers())
        if (Ragdoll* r = dynamic_cast<Ragdoll*>(c)) return r;
    return nullptr;
}

int CountCharacters()
{
    int count = 0;
    if (gWorld)
        for (PhysicsController* c : gWorld->GetControllers()) count += dynamic_cast<Ragdoll*>(c) != nullptr;
    return count;
}

MeshInstance* SkinnedDrawable()
{
    Object* first = gWorld ? gWorld->GetObject(0) : nullptr;
    return first && !first->meshes.empty() ? first->meshes.front() : nullptr;
}

Vector3 BoneOrigin(const char* name)
{
    const D3DXFRAME* frame = gRenderer ? gRenderer->FindFrame(name) : nullptr;
    if (!frame) return Vector3();
    const D3DXMATRIX& m = frame->TransformationMatrix;
    return Vector3(m._41, m._42, m._43);
}

Vector3 BoneMidpoint(const char* name)
{
    const D3DXFRAME* frame = gRenderer ? gRenderer->FindFrame(name) : nullptr;
    if (!frame || !frame->pFrameFirstChild) return Vector3();
    const D3DXMATRIX& a = frame->TransformationMatrix;
    const D3DXMATRIX& b = frame->pFrameFirstChild->TransformationMatrix;
    return Vector3(a._41 + b._41, a._42 + b._42, a._43 + b._43) * 0.5f;
}

float Distance(const Vector3& a, const Vector3& b)
{
    return (a - b).Length();
}

float GroundHeight(float x, float y)
{
    if (!gPhysicsWorld || gPhysicsWorld->GetHeightmaps().empty()) return 0.0f;
    float height = 0.0f;
    Vector3 normal;
    gPhysicsWorld->GetHeightmaps().front()->GetHeight(x, y, height, normal);
    return height;
}

void HoldForward(int frame, int frames)
{
    // Set down at every frame: a real window that takes its focus late (a
    // busy machine) releases the keys held before.
    for (int f = frame; f < frame + frames; ++f) DXUTHeadlessScheduleInputKey(f, DIK_W, true);
    DXUTHeadlessScheduleInputKey(frame + frames, DIK_W, false);
}

void PressKnockOutKey(int frame)
{
    DXUTHeadlessScheduleInputKeyHold(frame, DIK_K, 2);
}

FigureLook LookAtFigure(Ragdoll& character, const char* picturePath)
{
    FigureLook look = {};
    MeshInstance* skin = SkinnedDrawable();
    IDirect3DDevice9* device = gRenderer ? gRenderer->GetDevice() : nullptr;
    if (!skin || !device) return look;
    UINT width = 0, height = 0;
    const std::vector<uint8_t> whole = DrawFrame(device, &width, &height);
    if (picturePath) LvD3D9_SaveBackBufferPNG(device, picturePath);
    look[kSkinPart] = CountChanged(whole, DrawWithoutSkin(device, *skin, &width, &height));
    const size_t last = character.GetLimbInstances().size() - 1;
    const auto partOf = [&](size_t i) {
        return i == kHeadDrawable ? kHeadPart : i == last ? kLeftHandPart : kBodyPart;
    };
    for (FigurePart part : {kHeadPart, kLeftHandPart, kBodyPart}) {
        WithoutLimbDrawables(
            character, [&](size_t i) { return partOf(i) != part; },
            [&] { look[part] = CountChanged(whole, DrawFrame(device, &width, &height)); });
    }
    return look;
}

SkinnedLook LookAtSkinnedModel(Ragdoll& character, const char* picturePath)
{
    SkinnedLook look;
    MeshInstance* skin = SkinnedDrawable();
    IDirect3DDevice9* device = gRenderer ? gRenderer->GetDevice() : nullptr;
    if (!skin || !device) return look;

    std::vector<uint8_t> with, without;
    UINT width = 0, height = 0;
    WithoutLimbDrawables(
        character, [](size_t) { return false; },
        [&] {
            with = DrawFrame(device, &width, &height);
            if (picturePath) LvD3D9_SaveBackBufferPNG(device, picturePath);
            without = DrawWithoutSkin(device, *skin, &width, &height);
        });
    if (with.size() != without.size() || with.empty()) return look;
    look.width = width;
    look.height = height;
    const std::vector<char> changed = ChangedPixels(with, without);

    // The skeleton on the screen: every limb's bone and its far end.
    const D3DXMATRIX& viewProjection = gRenderer->GetLastViewProjection();
    float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
    std::vector<D3DXVECTOR3> midpoints;
    for (const LimbSpec& limb : kLimbTable) {
        const D3DXFRAME* bone = gRenderer->FindFrame(limb.bone);
        if (!bone || !bone->pFrameFirstChild) continue;
        for (const char* end : {limb.bone, static_cast<const char*>(bone->pFrameFirstChild->Name)}) {
            const D3DXVECTOR3 s = ToScreen(BoneOrigin(end), viewProjection, width, height);
            left = std::min(left, s.x);
            right = std::max(right, s.x);
            top = std::min(top, s.y);
            bottom = std::max(bottom, s.y);
        }
        midpoints.push_back(ToScreen(BoneMidpoint(limb.bone), viewProjection, width, height));
    }
    const Vector3 spine = BoneOrigin("Bip01_Spine");
    const float perUnit =
        std::fabs(ToScreen(spine + Vector3(0.0f, 0.0f, kLimbThickness), viewProjection, width, height).y -
                  ToScreen(spine, viewProjection, width, height).y);
    const float grow = perUnit + 2.0f;
    look.boxPixels = int((right - left + 1.0f) * (bottom - top + 1.0f));

    for (unsigned y = 0; y < height; ++y)
        for (unsigned x = 0; x < width; ++x) {
            if (!changed[size_t(y) * width + x]) continue;
            ++look.pixels;
            if (x < left - grow || x > right + grow || y < top - grow || y > bottom + grow) ++look.outside;
        }
    const std::vector<char> touched = ChangedPixels(with, without, kTouchedChannel);
    for (const D3DXVECTOR3& m : midpoints) {
        bool near = false;
        for (int dy = -kNearPixels; dy <= kNearPixels && !near; ++dy)
            for (int dx = -kNearPixels; dx <= kNearPixels && !near; ++dx) {
                const int x = int(m.x) + dx, y = int(m.y) + dy;
                near = x >= 0 && y >= 0 && x < int(width) && y < int(height) && touched[size_t(y) * width + x];
            }
        look.bonesMissed += !near;
    }
    return look;
}

float LowestSkinHeight()
{
    static const gen::SkinnedModel model = gen::BuildCharacter();
    std::vector<gen::Mat4> combined(model.frames.size());
    for (size_t i = 0; i < model.frames.size(); ++i) {
        const D3DXFRAME* frame = gRenderer ? gRenderer->FindFrame(model.frames[i].name.c_str()) : nullptr;
        if (!frame) return NAN;
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 4; ++column)
                combined[i].m[row][column] = frame->TransformationMatrix.m[row][column];
    }
    float lowest = INFINITY;
    for (const gen::Vec3& p : gen::SkinPositions(model, combined)) lowest = std::min(lowest, p.z);
    return lowest;
}

std::string GameErrors()
{
    std::fflush(stderr);
    std::ifstream in("../Errors.txt");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> ReportMessages(const std::string& log)
{
    std::vector<std::string> lines, messages;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (size_t i = 1; i < lines.size(); ++i)
        if (lines[i].rfind("Failed in file: ", 0) == 0) messages.push_back(lines[i - 1]);
    return messages;
}
