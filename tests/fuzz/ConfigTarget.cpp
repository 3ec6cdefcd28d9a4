// The configuration readers ("Physics.cfg", "Vid.cfg" and the draw-list
// chains share their syntax): the record reader over the whole file, every
// typed lookup of the names the file itself uses and of the game's own keys,
// and the readers that take values from them into the game, whose ranges must
// hold whatever the file says.
#include "FuzzSupport.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/ConfigFile.h"
#include "core/ConfigSyntax.h"
#include "core/ConfigTokenizer.h"
#include "objects/ShapeSettings.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"
#include "physics/shapes/CollisionBodyMesh.h"
#include "render/VideoSettings.h"

namespace {

// Names looked up in every type besides those the file uses (the game's
// readers below look up their own).
const char* const kGameKeys[] = {"physics_freq", "Fullscreen"};
// Every lookup reads the file again from the top, so a file naming more keys
// than this is sampled by its first ones.
const size_t kMaxNamesLookedUp = 4;
// A record is one line of at most 254 characters, so at most 127 values.
const size_t kMaxValuesPerRecord = kConfigFileMaxLine / 2;

template <typename T>
void LookUp(ConfigFile& config, const std::string& name)
{
    std::vector<T> values;
    if (config.GetValues<T>(name, values)) FUZZ_REQUIRE(!values.empty() && values.size() <= kMaxValuesPerRecord);
}

// Every token is a non-empty word without separators or comment marks.
std::set<std::string> ReadAllRecords(const std::string& path)
{
    std::set<std::string> names;
    bool ok = false;
    ConfigTokenizer tokenizer(path, &ok);
    std::vector<std::string> tokens;
    while (tokenizer.ReadLine(tokens)) {
        FUZZ_REQUIRE(!tokens.empty() && tokens.size() <= (kConfigTokenizerMaxLine + 1) / 2);
        for (const std::string& t : tokens) {
            FUZZ_REQUIRE(!t.empty());
            FUZZ_REQUIRE(t.find_first_of(kConfigDelimiters) == std::string::npos);
            FUZZ_REQUIRE(t.find_first_of(kConfigCommentChars) == std::string::npos);
            FUZZ_REQUIRE(t.find('\0') == std::string::npos);
        }
        if (names.size() < kMaxNamesLookedUp) names.insert(tokens[0]);
    }
    return names;
}

void CheckPhysicsRanges(const PhysicsWorld& world)
{
    FUZZ_REQUIRE(world.GetStep() >= 1.0f / 1000.0f && world.GetStep() <= 1.0f / 10.0f);
    FUZZ_REQUIRE(world.GetTimeScale() > 0.0f && world.GetTimeScale() <= 100.0f);
    FUZZ_REQUIRE(world.GetCollisionIterations() >= 1 && world.GetCollisionIterations() <= 100);
    FUZZ_REQUIRE(world.GetContactIterations() >= 1 && world.GetContactIterations() <= 100);
    FUZZ_REQUIRE(world.GetPenetrationIterations() >= 1 && world.GetPenetrationIterations() <= 100);
    FUZZ_REQUIRE(world.GetPenetrationResolveFraction() > 0.0f && world.GetPenetrationResolveFraction() <= 1.0f);
    FUZZ_REQUIRE(world.GetPushStrength() > 0.0f && world.GetPushStrength() <= 1000.0f);
    // Gravity pulls along -z with at most 1000; "nan" is no gravity.
    const Vector3& g = gPhysicsSettings.gravity;
    FUZZ_REQUIRE(g.x == 0.0f && g.y == 0.0f && g.z <= 0.0f && g.z >= -1000.0f);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzFile("input.cfg", data, size);
    std::set<std::string> names = ReadAllRecords(path);
    names.insert(std::begin(kGameKeys), std::end(kGameKeys));

    bool ok = false;
    ConfigFile config(path, &ok);
    for (const std::string& name : names) {
        LookUp<float>(config, name);
        LookUp<int>(config, name);
        LookUp<unsigned int>(config, name);
        LookUp<bool>(config, name);
    }

    PhysicsWorld world;
    world.LoadConfig(config);
    CheckPhysicsRanges(world);

    SetShapeConfig(&config);
    const int meshSize = ReadMeshSizeKey("box_mesh_size", 16);
    FUZZ_REQUIRE(meshSize >= CollisionBodyMesh::kMinNodes && meshSize <= CollisionBodyMesh::kMaxNodes);
    const int samples = ReadShapeKey("box_face_sample_points", 5, kMinFaceSamples, kMaxFaceSamples);
    FUZZ_REQUIRE(samples >= kMinFaceSamples && samples <= kMaxFaceSamples);
    SetShapeConfig(nullptr);

    const VideoSettings video = ReadVideoSettings(&config);
    FUZZ_REQUIRE(video.fullscreenWidth >= 1 && video.fullscreenWidth <= 16384);
    FUZZ_REQUIRE(video.fullscreenHeight >= 1 && video.fullscreenHeight <= 16384);
    return 0;
}
