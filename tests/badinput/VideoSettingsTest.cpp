// "Vid.cfg" as a player may leave it: sizes no window can have are reported
// and replaced by the defaults, so the game still starts; missing keys keep
// the defaults without a word, as the file's reader does for every key.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "core/ConfigFile.h"
#include "render/VideoSettings.h"

namespace {

struct VideoCase
{
    const char* text;
    bool fullscreen;
    int width;
    int height;
    int reports;                  // lines naming "Vid.cfg" on the error stream
    const char* quotes = nullptr; // what the report must quote
};

const VideoCase kCases[] = {
    {"Fullscreen 1\nFullscreenWidth 800\nFullscreenHeight 600\n", true, 800, 600, 0},
    {"", false, 640, 480, 0},
    {"FullscreenWidth 1\nFullscreenHeight 16384\n", false, 1, 16384, 0},
    {"FullscreenWidth -640\nFullscreenHeight 600\n", false, 640, 600, 1},
    {"FullscreenWidth banana\nFullscreenHeight 0\n", false, 640, 480, 2},
    {"FullscreenWidth 16385\nFullscreenHeight 99999999999\n", false, 640, 480, 2},
    {"Fullscreen 0\nFullscreenWidth 1024 768\nFullscreenHeight\n", false, 1024, 480, 0},
    // Words no window has (too large, not a number, a third state): the report quotes them as written.
    {"FullscreenWidth 800\nFullscreenHeight 1e99\n", false, 800, 480, 1, "\"1e99\" for \"FullscreenHeight\""},
    {"FullscreenWidth nan\n", false, 640, 480, 1, "\"nan\" for \"FullscreenWidth\""},
    {"Fullscreen 2\nFullscreenWidth 800\n", false, 800, 480, 1, "\"2\" for \"Fullscreen\""},
};

int CountLines(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

TEST(VideoSettings, UnusableSizesAreReportedAndReplacedByTheDefaults)
{
    const std::string path = testing::TempDir() + "video_settings_Vid.cfg";
    for (const VideoCase& c : kCases) {
        std::ofstream(path, std::ios::trunc) << c.text;
        bool ok = false;
        ConfigFile config(path, &ok);
        ASSERT_TRUE(ok);
        testing::internal::CaptureStderr();
        const VideoSettings settings = ReadVideoSettings(&config);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(settings.fullscreen, c.fullscreen) << c.text;
        EXPECT_EQ(settings.fullscreenWidth, c.width) << c.text;
        EXPECT_EQ(settings.fullscreenHeight, c.height) << c.text;
        EXPECT_EQ(CountLines(errors, "Vid.cfg value"), c.reports) << c.text << errors;
        if (c.quotes) {
            EXPECT_NE(errors.find(c.quotes), std::string::npos) << c.text << errors;
        }
    }
    std::remove(path.c_str());
}

} // namespace
