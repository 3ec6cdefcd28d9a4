// Scratch draw-list files and report counting for the draw-list tests.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "render/DrawList.h"

// A file holding `text`, removed when the test ends.
class ScratchDrawList
{
public:
    explicit ScratchDrawList(const std::string& text)
    {
        static std::atomic<int> counter{0};
        const char* dir = std::getenv("TMPDIR");
        path = std::string(dir ? dir : "/tmp") + "/lv_drawlist_" + std::to_string(getpid()) + "_" +
               std::to_string(counter++) + ".cfg";
        std::ofstream(path, std::ios::binary) << text;
    }
    ~ScratchDrawList() { std::remove(path.c_str()); }
    ScratchDrawList(const ScratchDrawList&) = delete;
    ScratchDrawList& operator=(const ScratchDrawList&) = delete;

    std::string path;
};

// Reports written to the error stream while `run` ran, and their text.
struct Reports
{
    int count = 0;
    std::string text;
};

template <class Run>
Reports CaptureReports(Run run)
{
    testing::internal::CaptureStderr();
    run();
    Reports r;
    r.text = testing::internal::GetCapturedStderr();
    for (size_t at = r.text.find("Failed in file: "); at != std::string::npos;
         at = r.text.find("Failed in file: ", at + 1)) {
        ++r.count;
    }
    return r;
}

// Loads `text` as a draw-list file and counts the reports it gave.
inline Reports LoadText(const std::string& text, DrawList& out)
{
    ScratchDrawList file(text);
    return CaptureReports([&] { out.Load(file.path); });
}

// The shipped files, relative to the run tree's bin folder the tests run in.
inline std::string ShippedDrawList(const char* name)
{
    return std::string("../Config/") + name;
}

const char* const kShippedDrawLists[] = {"HDR.cfg", "HeatandHDR.cfg", "MotionBlur.cfg",
                                         "2_0.cfg", "Heat2_0.cfg",    "Blur.cfg"};
