// The player's skinned character "male.x": skeleton, skin and animation sets.
#pragma once

#include <string>
#include <vector>

#include "XFile.h"

namespace gen {

// Character space: world units, x forward, y to the character's left, z up, origin
// at the feet. Model space (what the file holds): X = -10 y, Y = 10 z, Z = -10 x,
// so the model faces -Z, stands on +Y and keeps its left side at -X.
Vec3 CharacterToModel(const Vec3& p);

// The soles are at the model's origin. The instance is drawn 4.5 below the spine limb,
// which the ragdoll keeps 1.0 above the walking capsule's centre: the origin is the
// capsule's bottom, where the ground is, and the spine's midpoint (4.5 up) is the
// spine limb, so every bind-pose limb midpoint sits on the ragdoll's limb layout.

constexpr int kWalkSet = 4;
constexpr int kIdleSet = 11;
constexpr int kSetCount = 12;
constexpr int kWalkPeriod = 5000; // ticks, one second at the sampler's 5000 per second
constexpr int kIdlePeriod = 10000;

SkinnedModel BuildCharacter();

// The 14 bones the ragdoll reads, in its limb order.
const std::vector<std::string>& RagdollBoneNames();

} // namespace gen
