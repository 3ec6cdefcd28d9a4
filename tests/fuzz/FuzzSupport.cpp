#include "FuzzSupport.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

const std::string& FuzzScratchDir()
{
    // Never destroyed, so the exit handler below can still read it.
    static const std::string& dir = *new std::string([] {
        std::string pattern = (std::filesystem::temp_directory_path() / "lv_fuzz_XXXXXX").string();
        if (!mkdtemp(&pattern[0])) {
            std::perror("fuzz scratch folder");
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(FuzzScratchDir(), ignored);
        });
        return pattern + "/";
    }());
    return dir;
}

std::string FuzzScratchFolder(const std::string& name)
{
    const std::string path = FuzzScratchDir() + name + "/";
    std::filesystem::create_directories(path);
    return path;
}

std::string WriteFuzzFile(const char* name, const uint8_t* data, size_t size)
{
    const std::string path = FuzzScratchDir() + name;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

void FuzzFail(const char* condition, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: fuzz invariant broken: %s\n", file, line, condition);
    std::abort();
}
