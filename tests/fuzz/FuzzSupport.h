// What every fuzz target shares: the entry point both drivers call (libFuzzer's
// and the plain replay), a scratch folder for readers that take a file name,
// and the check that stops the process when a reader breaks a promise.
#pragma once

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <string>

// Each target defines this once; it returns 0 whatever the input.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

// Defined by a target whose outcome is more than "no crash": a digest of what
// the last input built, which must not depend on the inputs run before it
// (the replay driver's --order check). Null in the other targets.
extern "C" uint64_t FuzzResultDigest() __attribute__((weak));

// A folder of this process's own (so parallel fuzzing jobs never share
// files), created on first use and removed at exit. Ends in '/'.
const std::string& FuzzScratchDir();

// FuzzScratchDir() + name, created with its parents on first use. Ends in '/'.
std::string FuzzScratchFolder(const std::string& name);

// Writes the input to FuzzScratchDir() + name and returns that path.
std::string WriteFuzzFile(const char* name, const uint8_t* data, size_t size);

// A reader's invariant: when it fails, the process aborts with the condition's
// text, which both drivers report as a crash with the input that caused it.
#define FUZZ_REQUIRE(condition) ((condition) ? (void)0 : FuzzFail(#condition, __FILE__, __LINE__))
[[noreturn]] void FuzzFail(const char* condition, const char* file, int line);

// True when every vector given has finite x, y and z (any type with those
// members, so targets of every layer share it).
template <typename... Vectors>
bool AllFinite(const Vectors&... v)
{
    return ((std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z)) && ...);
}

// True when the first count elements of an indexable value are finite.
template <typename Indexable>
bool AllFiniteElements(const Indexable& m, int count)
{
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(m[i])) return false;
    }
    return true;
}
