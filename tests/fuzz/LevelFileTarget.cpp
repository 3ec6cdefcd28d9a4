// Level files, the reader alone: the header and every record LevelReader hands
// over, without building the stage (the level target does that, at a far
// slower pace), so the words, numbers and limits of the format get the
// fuzzer's millions of runs. A record handed over is whole and within what a
// stage holds, there are never more than the limit of them, once the reader
// stops it stays stopped, and a stop names where it happened.
#include "FuzzSupport.h"

#include <cmath>
#include <sstream>
#include <string>

#include "game/LevelFile.h"
#include "physics/RigidBody.h"

namespace {

bool Within(float value, float limit)
{
    return std::fabs(value) <= limit;
}

bool Within(const Vector3& v, float limit)
{
    return Within(v.x, limit) && Within(v.y, limit) && Within(v.z, limit);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    LevelReader reader(in, "input.qvl");
    LevelHeader header;
    const bool headerRead = reader.ReadHeader(header);
    FUZZ_REQUIRE(header.stage == -1 || (header.stage >= 1 && header.stage <= 4));
    FUZZ_REQUIRE(header.stage == -1 || !header.stageRejected);
    FUZZ_REQUIRE(!header.hasCamera || Within(Vector3(header.cameraPitch, header.cameraYaw, header.cameraDistance),
                                             LevelReader::kMaxCameraValue));
    if (!headerRead) {
        FUZZ_REQUIRE(reader.Failed() && reader.StopLine() == 0);
        return 0;
    }
    int records = 0;
    LevelRecord record;
    while (reader.NextRecord(record)) {
        ++records;
        FUZZ_REQUIRE(records <= LevelReader::kMaxRecords);
        FUZZ_REQUIRE(Within(record.position, kPositionLimit) && Within(record.spawnPosition, kPositionLimit));
        FUZZ_REQUIRE(Within(record.scale, LevelReader::kMaxSize) && Within(record.mass, LevelReader::kMaxMass));
        for (int i = 0; i < 9; ++i) FUZZ_REQUIRE(Within(record.orientation[i], LevelReader::kMaxOrientationEntry));
    }
    FUZZ_REQUIRE(!reader.NextRecord(record));
    // A reading that stopped at a record names the line the record begins on
    // (what the level save's refusal reports); a refused stage number stops nothing.
    FUZZ_REQUIRE(reader.Failed() == (reader.StopLine() > 0 || header.stageRejected));
    return 0;
}
