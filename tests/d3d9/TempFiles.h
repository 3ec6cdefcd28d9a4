// A scratch path of this test process: test binaries of several builds may run
// at once, and must not write over each other's files.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

inline std::string ScratchPath(const std::string& name)
{
    return ::testing::TempDir() + "lv" + std::to_string(getpid()) + "_" + name;
}
