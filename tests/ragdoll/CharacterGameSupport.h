// What the whole-game character tests share: starting the game under the
// framework host, finding the character and its skeleton in the running
// game, walking it as the player's push would, and looking at where the
// frame draws its skinned model.
#pragma once

#include <d3dx9.h>

#include <array>
#include <string>
#include <vector>

#include "core/Vector3.h"

class Ragdoll;
struct MeshInstance;

// The game's switches for a width x height window (plus extra ones), the
// headless host running frames frames at 60 per second, with a windowless
// device when device is set. Stage 1 is started from the menus at frame 2. With window set and a display present the
// framework opens a real window instead of going headless.
void StartGame(int width, int height, int frames, bool device, const std::vector<std::string>& extra = {},
               bool window = false);

// The World's character (its ragdoll sits in the controllers), or null.
Ragdoll* FindCharacter();
int CountCharacters();
// Object 0's first drawable: the skinned model's, on stages 1 to 3.
MeshInstance* SkinnedDrawable();

// Where the named frame of the character's skeleton is now (frames hold
// world matrices once the model is posed); the origin when there is none.
Vector3 BoneOrigin(const char* name);
// Halfway from the frame to its first child: where the ragdoll lays its limb.
Vector3 BoneMidpoint(const char* name);
float Distance(const Vector3& a, const Vector3& b);
// The ground's height under (x, y) on the stage's first heightmap.
float GroundHeight(float x, float y);

// The player's controls as the keyboard gives them: the forward key held
// from frame on for frames frames (the walk along the camera's yaw), and the
// knock-out key pressed at frame (it knocks out, or stands the character up).
void HoldForward(int frame, int frames);
void PressKnockOutKey(int frame);

// The frame drawn twice more, the limbs hidden both times and the skinned
// model drawn only the first time: the pixels that differ are where the
// model shows. Compared with the skeleton projected through the frame's
// view and projection.
struct SkinnedLook
{
    unsigned width = 0, height = 0;
    int pixels = 0;      // pixels the skinned model changes
    int outside = 0;     // of those, outside the skeleton's box grown by a limb's thickness
    int bonesMissed = 0; // limb midpoints of the skeleton not on or beside a changed pixel
    int boxPixels = 0;   // area of the skeleton's box
};
SkinnedLook LookAtSkinnedModel(Ragdoll& character, const char* picturePath = nullptr);

// The parts of the character's picture: its skinned model, the head's
// drawable (the one that wears the mask), the left hand's (the last one: a
// bare hand, or the torch on the torch stages) and the other limb drawables.
enum FigurePart { kSkinPart, kHeadPart, kLeftHandPart, kBodyPart, kFigurePartCount };
// What each part adds to the frame as drawn now: the frame drawn whole, then
// once without each part; each count is the pixels that differ.
using FigureLook = std::array<int, kFigurePartCount>;
FigureLook LookAtFigure(Ragdoll& character, const char* picturePath = nullptr);

// The lowest point of the skin as the game's frames pose it now (the
// shipped character's vertices and weights, skinned here); NaN without a
// loaded character.
float LowestSkinHeight();
// The walking capsule is 7 long end to end: its bottom is where the soles stand.
constexpr float kWalkingBodyHalfLength = 3.5f;

// The run tree's ../Errors.txt as it stands.
std::string GameErrors();
// The messages of the game's three-line reports, in order.
std::vector<std::string> ReportMessages(const std::string& log);
