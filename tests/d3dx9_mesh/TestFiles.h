// A scratch folder per test binary run for the .x files the tests write.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "XTestWriter.h"

inline const std::string& ScratchDir()
{
    // Never destroyed, so the exit handler can still read it.
    static const std::string& dir = *new std::string([] {
        std::string pattern = testing::TempDir() + "d3dx9_mesh_XXXXXX";
        const char* made = mkdtemp(&pattern[0]);
        if (!made) return testing::TempDir();
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(ScratchDir(), ignored);
        });
        return std::string(made) + "/";
    }());
    return dir;
}

// Writes text into the scratch folder and returns its full path.
inline std::string WriteScratch(const std::string& name, const std::string& text)
{
    const std::string path = ScratchDir() + name;
    xtest::WriteFile(path, text);
    return path;
}

inline std::wstring Wide(const std::string& s)
{
    return std::wstring(s.begin(), s.end());
}
