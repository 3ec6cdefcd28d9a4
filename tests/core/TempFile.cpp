#include "TempFile.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <unistd.h>

TempFile::TempFile(const std::string& contents, const char* suffix)
{
    static std::atomic<int> counter{0};
    const char* dir = std::getenv("TMPDIR");
    path = std::string(dir ? dir : "/tmp") + "/lv_core_test_" + std::to_string(getpid()) + "_" +
           std::to_string(counter++) + suffix;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
}

TempFile::~TempFile()
{
    std::remove(path.c_str());
}
