// The physical-object factory: builds the body a level file's "object" record
// (or the stage set-up, a trigger, the editor) names by its type id, with its
// material, rest tuning, drawable and registration, and hands it to the World.
// The type table is in ObjectFactory.cpp; the ids are the level files'
// vocabulary, so they never change.
#pragma once

#include "core/Matrix3.h"
#include "core/Vector3.h"
#include "physics/BodyTypes.h"

class ConfigFile;
class World;

// The record type ids the rest of the game names: the boulder a trigger
// spawns, the player's character, the torch, the spikes and falling blocks
// that meet the character, and the stage machinery the stage set-up builds.
// A machine's main body carries its record's id.
enum FactoryRecordType : int {
    kBoulderType = 2,
    kCharacterType = 15,
    kBridgeType = 23,
    kTorchType = 24,
    kChainWhipType = kChainWhipHandleBodyType,
    kChainPlatformType = kChainPlatformBodyType,
    kSpinningLogType = kSpinningLogBodyType,
    kSwingingLogType = kSwingingLogBodyType,
    kSpikeType = 39,
    kFallingBlockType = 51
};

// The character stands with its soles on its record: the spine limb, and the
// walking body with it, this far above the record's position.
constexpr Vector3 kCharacterAboveRecord(0.0f, 0.0f, 4.5f);

struct ObjectRequest
{
    int type = 0;
    Vector3 position;
    Matrix3 orientation = Matrix3::Identity();
    Vector3 size; // sx, sy, sz: what each type makes of them is in its row
    float mass = 0.0f;
    bool frozen = false;
    bool immovable = false;
    int texture = 0;
};

// Builds the object of the request's type into the world; an unknown type
// builds nothing.
void BuildWorldObject(World& world, const ObjectRequest& request);

// The material key families of "Physics.cfg": "<family>_static_friction",
// "<family>_dynamic_friction", "<family>_elasticity".
struct SurfaceMaterial
{
    float staticFriction;
    float dynamicFriction;
    float elasticity;
};
// The family's values from the reader, each missing key keeping its default
// (all of them without a reader).
SurfaceMaterial ReadSurfaceMaterial(ConfigFile* config, const char* family);
