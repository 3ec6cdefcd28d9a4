#include "game/LevelFile.h"

#include <cctype>
#include <cmath>
#include <sstream>
#include <type_traits>

#include "core/ConfigSyntax.h"
#include "core/ErrorReport.h"
#include "core/Stage.h"
#include "game/ObjectFactory.h"
#include "objects/MineCart.h"
#include "physics/RigidBody.h"

namespace {

// The word that opens every record.
const char* const kTag = "__TAG";

// Which of a record's three sizes its type builds from: a zero or negative
// one there would make a body with no volume (and a collision grid with
// cells of no size), or a trigger that never fires.
enum SizeAxes { kNoSize = 0, kSizeX = 1, kSizeY = 2, kSizeZ = 4, kAllSizes = 7 };

int ObjectSizeAxes(int type)
{
    switch (type) {
    case kBoxBodyType:
    case kBoulderType:
    case 3:
    case 6:
    case 16:
    case kBridgeType:
    case kPrismBodyType:
    case 36:
    case kFallingBlockType:
        return kAllSizes;
    case 5:
    case kSpikeType:
    case kSpinningLogType:
    case kSwingingLogType:
        return kSizeX | kSizeZ;
    case kChainPlatformType:
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
    {kBoxBodyType, "box"},
    {kBoulderType, "boulder1-"},
    {3, "tableblock"},
    {5, "column1-"},
    {6, "hugeblock"},
    {7, "tetra"},
    {MineCart::kType, "minecart"},
    {11, "stage exit"},
    {13, "spawn boulder"},
    {kCharacterType, "vivuzuz"},
    {16, "huge wall"},
    {kPyramidBodyType, "pyramid"},
    {21, "sky box"},
    {kBridgeType, "bridge"},
    {kTorchType, "torch"},
    {25, "bush1-"},
    {27, "break bridge"},
    {28, "lava plane"},
    {kChainWhipType, "chain whip"},
    {kPrismBodyType, "prism"},
    {32, "big temple"},
    {kChainPlatformType, "box"},
    {36, "box"},
    {37, "coin"},
    {38, "morvathen's mask"},
    {kSpikeType, "pyramid ale"},
    {40, "waterfall t"},
    {41, "water plane"},
    {kSpinningLogType, "spinning log"},
    {44, "cave ceiling"},
    {45, "sky box tiled"},
    {46, "chainwhip"},
    {49, "swinging log t"},
    {50, "speed boostt"},
    {kFallingBlockType, "gblock"},
    {52, "gblock trigger"},
};

} // namespace

const char* LevelTypeName(int type)
{
    for (const TypeName& entry : kTypeNames) {
        if (entry.type == type) return entry.name;
    }
    return "";
}

LevelReader::LevelReader(std::istream& in_, const std::string& fileName_, Reports reports_)
    : in(in_), fileName(fileName_), reports(reports_)
{}

void LevelReader::Report(const std::string& what, const char* consequence)
{
    if (problem.empty()) problem = what;
    failed = true;
    if (reports == kReport) REPORT_ERROR("Level file " + fileName + ": " + what + consequence);
}

bool LevelReader::Fail(const std::string& what)
{
    Report(what, "; nothing after it is read");
    stopLine = recordLine;
    done = true;
    return false;
}

bool LevelReader::NextWord()
{
    using Traits = std::char_traits<char>;
    word.clear();
    std::streambuf* text = in.rdbuf();
    if (text == nullptr) return false;
    // The blanks the stream's own word reading skips, in the classic locale.
    const auto blank = [](int c) { return std::isspace(c) != 0; };
    int c = text->sbumpc();
    for (; c != Traits::eof() && blank(c); c = text->sbumpc()) {
        if (c == '\n') ++line;
    }
    if (c == Traits::eof()) return false;
    wordLine = line;
    for (; c != Traits::eof() && !blank(c); c = text->sbumpc()) word += static_cast<char>(c);
    if (c == '\n') ++line;
    return true;
}

bool LevelReader::SeekToken(const char* key, bool stopAtTag)
{
    while (NextWord()) {
        if (word == key) return true;
        if (stopAtTag && word == kTag) return false;
    }
    return false;
}

bool LevelReader::SeekKey(const char* key)
{
    // The header ends at the first record and a record at the next: a key
    // missing there is missing, whatever follows.
    if (SeekToken(key, true)) return true;
    return Fail(std::string("no \"") + key + "\" where one was due");
}

template <typename T>
bool LevelReader::ReadWord(T& value)
{
    // A number is its whole word, read as every settings file reads one.
    return NextWord() && ParseConfigNumber(word, value);
}

template <>
bool LevelReader::ReadWord(std::string& value)
{
    if (!NextWord()) return false;
    value = word;
    return true;
}

template <typename T>
bool LevelReader::ReadKey(const char* key, T& value)
{
    static_assert(!std::is_floating_point<T>::value, "numbers are read with their bound");
    if (!SeekKey(key)) return false;
    if (!ReadWord(value)) return Fail(std::string("the value of \"") + key + "\" cannot be read");
    return true;
}

bool LevelReader::ReadNumbers(const char* key, float* values, int count, float limit)
{
    if (!SeekKey(key)) return false;
    const std::string what =
        count == 1 ? std::string("the value of \"") + key + "\" " : std::string("the values of \"") + key + "\" ";
    for (int i = 0; i < count; ++i) {
        if (!ReadWord(values[i])) return Fail(what + "cannot be read");
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
    if (IsStageNumber(stage)) {
        header.stage = stage;
    } else {
        // Reported, and the stage's fixed set-up is not built; the records
        // still are.
        header.stageRejected = true;
        Report("stage number " + std::to_string(stage) + " is not one of 1 to 4", " and is ignored");
    }
    std::string mesh;
    std::string hmp;
    if (!ReadKey("heightmap:", mesh) || !ReadKey("hmapconfig:", hmp)) return false;
    header.meshFile = mesh;
    header.hmpFile = hmp;
    header.hasTerrain = true;
    // Pitch and yaw in radians, then the distance.
    float camera[3];
    if (!ReadNumbers("camera_orientation:", camera, 3, kMaxCameraValue)) return false;
    header.cameraPitch = camera[0];
    header.cameraYaw = camera[1];
    header.cameraDistance = camera[2];
    header.hasCamera = true;
    return true;
}

bool LevelReader::NextRecord(LevelRecord& record)
{
    while (!done && SeekToken(kTag, false)) {
        recordLine = wordLine;
        if (!NextWord()) break;
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
           ReadKey("position:", record.position, kPositionLimit) && ReadKey("scale:", record.scale, kMaxSize) &&
           ReadKey("orientation:", record.orientation) && ReadKey("mass:", record.mass, kMaxMass) &&
           ReadKey("immovable:", record.immovable);
}

bool LevelReader::ReadSceneObject(LevelRecord& record)
{
    record.kind = LevelRecordKind::SceneObject;
    return ReadKey("objectID:", record.type) && ReadKey("texture:", record.texture) &&
           ReadKey("position:", record.position, kPositionLimit) && ReadKey("scale:", record.scale, kMaxSize);
}

bool LevelReader::ReadTrigger(LevelRecord& record)
{
    record.kind = LevelRecordKind::Trigger;
    return ReadKey("objectID:", record.type) && ReadKey("position:", record.position, kPositionLimit) &&
           ReadKey("scale:", record.scale, kMaxSize) && ReadKey("spawnposition:", record.spawnPosition, kPositionLimit);
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
