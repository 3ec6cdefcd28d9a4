// The stage files ("stage1.qvl" .. "stage4.qvl"): a stream of words in which
// each key is found by skipping words until one equals it, so titles,
// separators and the name lines between keys are ignored. The header keys
// come in a fixed order ("stagenumber:", "heightmap:", "hmapconfig:",
// "camera_orientation:"), then "__TAG object", "__TAG npo" and
// "__TAG trigger" records. A key is looked for no further than the next
// "__TAG": a record without one of its keys is one that does not read, never
// one that takes the next record's key.
//
// A level file is outside input: every value is checked before anything is
// built from it. A number is its whole word ("5abc", "1.9" for an integer,
// "0x1p10" do not read). A record is handed over only when every one of its
// fields was read and makes sense for its type; the first one that does not
// stops the reading with one report on the error stream, and what came before
// it stands.
#pragma once

#include <istream>
#include <string>

#include "core/Matrix3.h"
#include "core/Vector3.h"

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

    // What a stage can hold. Positions and spawn positions are bounded by
    // kPositionLimit (physics/RigidBody.h), the limit the physics keeps every
    // body inside, so any place the game can move a body or a trigger to is
    // one a save writes and a load reads back. The shipped stage files keep
    // within 215 units of the origin, sizes of 1 to 900 (the sky), masses of
    // 15 to 600, orientations that are rotations (entries from -1 to 1) and
    // camera values within 40. The other bounds leave a wide margin over that
    // while every sum, product and square the builders and the physics make
    // of such values stays far inside the float range. A value beyond its
    // bound, or not finite, is refused like one that does not read.
    static constexpr float kMaxSize = 1.0e5f;           // "scale:"
    static constexpr float kMaxMass = 1.0e6f;           // "mass:", either sign
    static constexpr float kMaxOrientationEntry = 2.0f; // each of "orientation:"'s nine
    static constexpr float kMaxCameraValue = 1.0e5f;    // each of "camera_orientation:"'s three

    // fileName only names the file in reports. A quiet reader makes none and
    // only keeps what stopped it (Problem).
    enum Reports { kReport, kQuiet };
    LevelReader(std::istream& in, const std::string& fileName, Reports reports = kReport);

    // The header keys in order. False when the file stops making sense before
    // the records (reported); what was read stays in header.
    bool ReadHeader(LevelHeader& header);
    // The next whole record; false at the end of the records or at the first
    // bad one (reported), after which nothing more is read.
    bool NextRecord(LevelRecord& record);

    // True once a report was made.
    bool Failed() const { return failed; }
    // The reading stopped at a bad header key (0) or at the bad record that
    // begins on this line; -1 while it has not stopped at one.
    int StopLine() const { return stopLine; }
    // What the first report said went wrong, without the file's name.
    const std::string& Problem() const { return problem; }

private:
    bool ReadObject(LevelRecord& record);
    bool ReadSceneObject(LevelRecord& record);
    bool ReadTrigger(LevelRecord& record);
    bool CheckSizes(const LevelRecord& record);
    // The next white-space separated word into word, counting lines.
    bool NextWord();
    // Skips words up to the key; with stopAtTag, not past a "__TAG".
    bool SeekToken(const char* key, bool stopAtTag);
    // The key, looked for no further than the next "__TAG", or a report.
    bool SeekKey(const char* key);
    // The next word as a whole value of type T.
    template <typename T>
    bool ReadWord(T& value);
    // A key and its one word (ints, 0 or 1 for a bool, a file name).
    template <typename T>
    bool ReadKey(const char* key, T& value);
    // A key and count numbers, each within -limit to limit.
    bool ReadNumbers(const char* key, float* values, int count, float limit);
    bool ReadKey(const char* key, float& value, float limit);
    bool ReadKey(const char* key, Vector3& value, float limit);
    bool ReadKey(const char* key, Matrix3& value);
    // Reports what went wrong and what follows from it.
    void Report(const std::string& what, const char* consequence);
    bool Fail(const std::string& what);

    std::istream& in;
    std::string fileName;
    Reports reports;
    std::string word;
    std::string problem;
    int line = 1;       // the line the reading is on
    int wordLine = 0;   // the line of the last word read
    int recordLine = 0; // the line of the current record's "__TAG"; 0 in the header
    int stopLine = -1;
    int records = 0;
    bool failed = false;
    bool done = false;
};

// The name the level writer puts before a type's running number; empty for
// an id that has none.
const char* LevelTypeName(int type);
