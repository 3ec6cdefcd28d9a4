// A scratch folder per test binary run for the .x files the tests write.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "XTestWriter.h"

inline const std::string& ScratchDir() {
    static std::string dir = [] {
        std::string pattern = testing::TempDir() + "d3dx9_mesh_XXXXXX";
        const char* made = mkdtemp(&pattern[0]);
        return made ? std::string(made) + "/" : testing::TempDir();
    }();
    return dir;
}

// Writes text into the scratch folder and returns its full path.
inline std::string WriteScratch(const std::string& name, const std::string& text) {
    const std::string path = ScratchDir() + name;
    xtest::WriteFile(path, text);
    return path;
}

inline std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
