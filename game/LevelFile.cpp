#include "game/LevelFile.h"

#include <cmath>
#include <sstream>
#include <type_traits>

#include "core/ErrorReport.h"

namespace {

// Which of a record's three sizes its type builds from: a zero or negative
// one there would make a body with no volume (and a collision grid with
// cells of no size), or a trigger that never fires.
enum SizeAxes { kNoSize = 0, kSizeX = 1, kSizeY = 2, kSizeZ = 4, kAllSizes = 7 };

int ObjectSizeAxes(int type)
{
    switch (type) {
    case 1:
    case 2:
    case 3:
    case 6:
    case 16:
    case 23:
    case 31:
    case 36:
    case 51:
        return kAllSizes;
    case 5:
    case 39:
    case 42:
    case 47:
        return kSizeX | kSizeZ;
    case 34:
        return kSizeX | kSizeY;
    default:
        // The tetrahedron, the cart, the character, the torch and the whips
        // have sizes of their own.
        return kNoSize;
    }
}

int SceneSizeAxes(int type)
{
    switch (type) {
    case 18:
    case 21:
    case 25:
    case 28:
    case 32:
    case 41:
    case 44:
    case 45:
    case 53:
        return kAllSizes;
    default:
        return kNoSize;
    }
}

int TriggerSizeAxes(int type)
{
    switch (type) {
    case 11:
    case 13:
    case 27:
    case 40:
    case 46:
    case 49:
    case 50:
    case 52:
        // The radius and the marker drawn at the record's scale.
        return kAllSizes;
    default:
        // A coin and the mask are drawn at their own sizes.
        return kNoSize;
    }
}

const char* KindWord(LevelRecordKind kind)
{
    switch (kind) {
    case LevelRecordKind::Object:
        return "object";
    case LevelRecordKind::SceneObject:
        return "npo";
    case LevelRecordKind::Trigger:
        return "trigger";
    }
    return "";
}

struct TypeName
{
    int type;
    const char* name;
};

const TypeName kTypeNames[] = {
    {1, "box"},
    {2, "boulder1-"},
    {3, "tableblock"},
    {5, "column1-"},
    {6, "hugeblock"},
    {7, "tetra"},
    {8, "minecart"},
    {11, "stage exit"},
    {13, "spawn boulder"},
    {15, "vivuzuz"},
    {16, "huge wall"},
    {17, "pyramid"},
    {21, "sky box"},
    {23, "bridge"},
    {24, "torch"},
    {25, "bush1-"},
    {27, "break bridge"},
    {28, "lava plane"},
    {29, "chain whip"},
    {31, "prism"},
    {32, "big temple"},
    {34, "box"},
    {36, "box"},
    {37, "coin"},
    {38, "morvathen's mask"},
    {39, "pyramid ale"},
    {40, "waterfall t"},
    {41, "water plane"},
    {42, "spinning log"},
    {44, "cave ceiling"},
    {45, "sky box tiled"},
    {46, "chainwhip"},
    {49, "swinging log t"},
    {50, "speed boostt"},
    {51, "gblock"},
    {52, "gblock trigger"},
};

} // namespace

bool SeekToken(std::istream& in, const char* token, std::string& word)
{
    while (in >> word) {
        if (word == token) return true;
    }
    return false;
}

const char* LevelTypeName(int type)
{
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == type) return entry.name;
    }
    return "";
}

LevelReader::LevelReader(std::istream& in_, const std::string& fileName_) : in(in_), fileName(fileName_) {}

bool LevelReader::Fail(const std::string& what)
{
    REPORT_ERROR("Level file " + fileName + ": " + what + "; nothing after it is read");
    failed = true;
    done = true;
    return false;
}

template <typename T>
bool LevelReader::ReadKey(const char* key, T& value)
{
    static_assert(!std::is_floating_point<T>::value, "numbers are read with their bound");
    if (!SeekToken(in, key, word)) return Fail(std::string("no \"") + key + "\" where one was due");
    T read{};
    if (!(in >> read)) return Fail(std::string("the value of \"") + key + "\" cannot be read");
    value = read;
    return true;
}

bool LevelReader::ReadNumbers(const char* key, float* values, int count, float limit)
{
    if (!SeekToken(in, key, word)) return Fail(std::string("no \"") + key + "\" where one was due");
    const std::string what =
        count == 1 ? std::string("the value of \"") + key + "\" " : std::string("the values of \"") + key + "\" ";
    for (int i = 0; i < count; ++i) {
        if (!(in >> values[i])) return Fail(what + "cannot be read");
    }
    for (int i = 0; i < count; ++i) {
        // Written so that a value that is not a number fails too.
        if (!(std::fabs(values[i]) <= limit)) {
            std::ostringstream bound;
            bound << limit;
            return Fail(what + (count == 1 ? "is not" : "are not all") + " within -" + bound.str() + " to " +
                        bound.str());
        }
    }
    return true;
}

bool LevelReader::ReadKey(const char* key, float& value, float limit)
{
    return ReadNumbers(key, &value, 1, limit);
}

bool LevelReader::ReadKey(const char* key, Vector3& value, float limit)
{
    float read[3];
    if (!ReadNumbers(key, read, 3, limit)) return false;
    value = Vector3(read[0], read[1], read[2]);
    return true;
}

bool LevelReader::ReadKey(const char* key, Matrix3& value)
{
    float read[9];
    if (!ReadNumbers(key, read, 9, kMaxOrientationEntry)) return false;
    for (int i = 0; i < 9; ++i) value[i] = read[i];
    return true;
}

bool LevelReader::ReadHeader(LevelHeader& header)
{
    int stage = 0;
    if (!ReadKey("stagenumber:", stage)) return false;
    if (stage >= 1 && stage <= 4) {
        header.stage = stage;
    } else {
        // Reported, and the stage's fixed set-up is not built; the records
        // still are.
        header.stageRejected = true;
        REPORT_ERROR("Level file " + fileName + ": stage number " + std::to_string(stage) +
                     " is not one of 1 to 4 and is ignored");
        failed = true;
    }
    std::string mesh;
    std::string hmp;
    if (!ReadKey("heightmap:", mesh) || !ReadKey("hmapconfig:", hmp)) return false;
    header.meshFile = mesh;
    header.hmpFile = hmp;
    header.hasTerrain = true;
    // Pitch and yaw in radians, then the distance.
    float camera[3];
    if (!ReadNumbers("camera_orientation:", camera, 3, kMaxCoordinate)) return false;
    header.cameraPitch = camera[0];
    header.cameraYaw = camera[1];
    header.cameraDistance = camera[2];
    header.hasCamera = true;
    return true;
}

bool LevelReader::NextRecord(LevelRecord& record)
{
    while (!done && SeekToken(in, "__TAG", word)) {
        if (!(in >> word)) break;
        if (word != "object" && word != "npo" && word != "trigger") {
            // Some other record (a light a later editor wrote, say): skipped.
            continue;
        }
        if (records == kMaxRecords) {
            return Fail("more than " + std::to_string(kMaxRecords) + " records");
        }
        ++records;
        LevelRecord read;
        bool whole = false;
        if (word == "object") {
            whole = ReadObject(read);
        } else if (word == "npo") {
            whole = ReadSceneObject(read);
        } else {
            whole = ReadTrigger(read);
        }
        if (!whole || !CheckSizes(read)) return false;
        record = read;
        return true;
    }
    done = true;
    return false;
}

bool LevelReader::ReadObject(LevelRecord& record)
{
    record.kind = LevelRecordKind::Object;
    return ReadKey("objectID:", record.type) && ReadKey("texture:", record.texture) &&
           ReadKey("position:", record.position, kMaxCoordinate) && ReadKey("scale:", record.scale, kMaxSize) &&
           ReadKey("orientation:", record.orientation) && ReadKey("mass:", record.mass, kMaxMass) &&
           ReadKey("immovable:", record.immovable);
}

bool LevelReader::ReadSceneObject(LevelRecord& record)
{
    record.kind = LevelRecordKind::SceneObject;
    return ReadKey("objectID:", record.type) && ReadKey("texture:", record.texture) &&
           ReadKey("position:", record.position, kMaxCoordinate) && ReadKey("scale:", record.scale, kMaxSize);
}

bool LevelReader::ReadTrigger(LevelRecord& record)
{
    record.kind = LevelRecordKind::Trigger;
    return ReadKey("objectID:", record.type) && ReadKey("position:", record.position, kMaxCoordinate) &&
           ReadKey("scale:", record.scale, kMaxSize) && ReadKey("spawnposition:", record.spawnPosition, kMaxCoordinate);
}

bool LevelReader::CheckSizes(const LevelRecord& record)
{
    int axes = kNoSize;
    switch (record.kind) {
    case LevelRecordKind::Object:
        axes = ObjectSizeAxes(record.type);
        break;
    case LevelRecordKind::SceneObject:
        axes = SceneSizeAxes(record.type);
        break;
    case LevelRecordKind::Trigger:
        axes = TriggerSizeAxes(record.type);
        break;
    }
    for (int axis = 0; axis < 3; ++axis) {
        if ((axes & (1 << axis)) != 0 && !(record.scale[axis] > 0.0f)) {
            return Fail(std::string("a \"") + KindWord(record.kind) + "\" record of type " +
                        std::to_string(record.type) + " has a size of zero or less");
        }
    }
    return true;
}
