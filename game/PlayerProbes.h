// What the player's side of the stage shares: the segment test over the
// World's objects that lays the shadow, aims the mask and finds what a
// knocked-out character lies on, the stage's ground height, particle effects
// made on the spot, the game's random numbers in a range, the frame's game time.
#pragma once

#include "core/Vector3.h"

class Object;

// Tests the segment against every World object from index firstIndex on
// whose type is not one of skipTypes, and gives the nearest hit's point.
// False when nothing is hit (or there is no World).
bool NearestObjectHit(const Vector3& start, const Vector3& end, int firstIndex, const int* skipTypes, int skipCount,
                      Vector3& point);

// The same test past the character's own bodies (its limbs and walking body).
bool NearestHitPastCharacter(const Vector3& start, const Vector3& end, Vector3& point);

// The height of the stage's first terrain at (x, y); false when the stage has none.
bool GroundHeightAt(float x, float y, float& height);

// A particle system of the named type at the position, still, at scale 1,
// handed to the particle manager at once.
void CreateEffectNow(const char* name, const Vector3& position);

// A number in [low, high] from the game-wide random sequence (one draw).
float RandomBetween(float low, float high);

// The frame's scaled time in seconds.
float GameFrameSeconds();
