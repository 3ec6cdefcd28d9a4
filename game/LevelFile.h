// The stage files ("stage1.qvl" .. "stage4.qvl"): a stream of words in which
// each key is found by skipping words until one equals it, so titles,
// separators and the name lines between keys are ignored. The header keys
// come in a fixed order ("stagenumber:", "heightmap:", "hmapconfig:",
// "camera_orientation:"), then "__TAG object", "__TAG npo" and
// "__TAG trigger" records.
//
// A level file is outside input: every value is checked before anything is
// built from it. A record is handed over only when every one of its fields
// was read and makes sense for its type; the first one that does not stops
// the reading with one report on the error stream, and what came before it
// stands.
#pragma once

#include <istream>
#include <string>

#include "core/Matrix3.h"
#include "core/Vector3.h"

// Reads white-space separated words into word until one equals token: true
// then, false at the end of the stream.
bool SeekToken(std::istream& in, const char* token, std::string& word);

struct LevelHeader
{
    int stage = -1;             // -1: none given, or none in 1..4
    bool stageRejected = false; // a number was given outside 1..4
    std::string meshFile;       // "heightmap:", the terrain's grid mesh in the maps folder
    std::string hmpFile;        // "hmapconfig:", its ".hmp" keys
    float cameraPitch = 0.0f;   // radians, negative looks down
    float cameraYaw = 0.0f;     // radians
    float cameraDistance = 0.0f;
    bool hasTerrain = false;
    bool hasCamera = false;
};

enum class LevelRecordKind { Object, SceneObject, Trigger };

struct LevelRecord
{
    LevelRecordKind kind = LevelRecordKind::Object;
    int type = 0;
    int texture = 0;
    Vector3 position;
    Vector3 scale;
    Matrix3 orientation = Matrix3::Identity();
    float mass = 0.0f;
    bool immovable = false;
    Vector3 spawnPosition;
};

class LevelReader
{
public:
    // A file may hold at most this many records; the rest are not read.
    static constexpr int kMaxRecords = 4096;

    // What a stage can hold. The shipped stage files keep within 215 units of
    // the origin, sizes of 1 to 900 (the sky), masses of 15 to 600 and
    // orientations that are rotations (entries from -1 to 1). The bounds
    // leave a wide margin over that (a collected coin lifted out of sight
    // sits 5000 up) while every sum, product and square the builders and the
    // physics make of such values stays far inside the float range. A value
    // beyond its bound, or not finite, is refused like one that does not read.
    static constexpr float kMaxCoordinate = 1.0e5f;     // "position:", "spawnposition:", the camera's values
    static constexpr float kMaxSize = 1.0e5f;           // "scale:"
    static constexpr float kMaxMass = 1.0e6f;           // "mass:", either sign
    static constexpr float kMaxOrientationEntry = 2.0f; // each of "orientation:"'s nine

    // fileName only names the file in reports.
    LevelReader(std::istream& in, const std::string& fileName);

    // The header keys in order. False when the file stops making sense before
    // the records (reported); what was read stays in header.
    bool ReadHeader(LevelHeader& header);
    // The next whole record; false at the end of the records or at the first
    // bad one (reported), after which nothing more is read.
    bool NextRecord(LevelRecord& record);

    // True once a report was made.
    bool Failed() const { return failed; }

private:
    bool ReadObject(LevelRecord& record);
    bool ReadSceneObject(LevelRecord& record);
    bool ReadTrigger(LevelRecord& record);
    bool CheckSizes(const LevelRecord& record);
    // A key and its one word (ints, 0 or 1 for a bool, a file name).
    template <typename T>
    bool ReadKey(const char* key, T& value);
    // A key and count numbers, each within -limit to limit.
    bool ReadNumbers(const char* key, float* values, int count, float limit);
    bool ReadKey(const char* key, float& value, float limit);
    bool ReadKey(const char* key, Vector3& value, float limit);
    bool ReadKey(const char* key, Matrix3& value);
    bool Fail(const std::string& what);

    std::istream& in;
    std::string fileName;
    std::string word;
    int records = 0;
    bool failed = false;
    bool done = false;
};

// The name the level writer puts before a type's running number; empty for
// an id that has none.
const char* LevelTypeName(int type);
