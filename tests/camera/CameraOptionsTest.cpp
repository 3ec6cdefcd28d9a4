// The player's camera options in "Options.cfg": the exact text written, what
// reading it back gives, broken files keeping what they cannot give, and a
// failed write keeping the old file.
#include <sys/stat.h>

#include <functional>

#include "CameraTestSupport.h"

using CameraOptionsTest = CameraFixture;

namespace {

const char* const kHeader = "//Camera-config-file//\n\n";

std::string CaptureReports(const std::function<void()>& run)
{
    testing::internal::CaptureStderr();
    run();
    return testing::internal::GetCapturedStderr();
}

} // namespace

TEST_F(CameraOptionsTest, WritesTheExactTextAndReadsItBack)
{
    struct Case
    {
        const char* name;
        const char* input; // null: the defaults, no file read
        const char* written;
        float speedReadBack; // the written digits, not the float they came from
    } cases[] = {
        {"defaults", nullptr, "InvertX: false\nInvertY: false\nSpeed: 1\n", 1.0f},
        {"both inverted, a fraction", "InvertX: true\nInvertY: true\nSpeed: 1.5",
         "InvertX: true\nInvertY: true\nSpeed: 1.5\n", 1.5f},
        {"six significant digits", "InvertX: false InvertY: true Speed: 0.333333333",
         "InvertX: false\nInvertY: true\nSpeed: 0.333333\n", 0.333333f},
        {"small speeds in exponent form", "InvertX: true InvertY: false Speed: 0.0000002",
         "InvertX: true\nInvertY: false\nSpeed: 2e-07\n", 2e-07f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        camera = std::make_unique<Camera>();
        if (c.input) LoadOptionsText(std::string(kHeader) + c.input);
        const std::string saved = ScratchFile("Saved.cfg");
        ASSERT_TRUE(camera->SaveOptions(saved));
        EXPECT_EQ(ReadWholeFile(saved), std::string(kHeader) + c.written);

        // What was written reads back to the same options.
        Camera reread;
        hooks.shown.clear();
        ASSERT_TRUE(reread.LoadOptions(saved));
        EXPECT_EQ(reread.GetInvertX(), camera->GetInvertX());
        EXPECT_EQ(reread.GetInvertY(), camera->GetInvertY());
        EXPECT_EQ(reread.GetSpeed(), c.speedReadBack);
        // The options menu's boxes show what was read.
        EXPECT_EQ(hooks.shown,
                  (std::vector<std::pair<int, bool>>{{6, camera->GetInvertX()}, {7, camera->GetInvertY()}}));
    }
}

TEST_F(CameraOptionsTest, BrokenFilesKeepWhatTheyCannotGive)
{
    // Every case starts from options that differ from the defaults, so a
    // value that was not read shows by keeping them.
    const std::string longWord(100000, 'x');
    struct Case
    {
        const char* name;
        std::string text;
        bool invertX, invertY;
        float speed;
        bool reported;
    } cases[] = {
        {"words other than true read as false", "InvertX: yes InvertY: TRUE Speed: 3", false, false, 3.0f, false},
        {"a speed that is not a number", "InvertX: false InvertY: false Speed: fast", false, false, 2.0f, true},
        {"a speed with trailing text", "InvertX: false InvertY: false Speed: 2.5x", false, false, 2.0f, true},
        {"an infinite speed", "InvertX: false InvertY: false Speed: inf", false, false, 2.0f, true},
        {"a hexadecimal speed", "InvertX: false InvertY: false Speed: 0x1p2", false, false, 2.0f, true},
        {"a long word between the keys",
         "junk " + longWord + " InvertX: false " + longWord + " InvertY: false Speed: 4", false, false, 4.0f, false},
        {"keys out of order", "Speed: 3 InvertX: false InvertY: false", false, false, 2.0f, true},
        {"stops after invert x", "InvertX: false", false, true, 2.0f, true},
        {"an empty file", "", true, true, 2.0f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        camera = std::make_unique<Camera>();
        LoadOptionsText(OptionsText(true, true, 2.0f));
        const std::string path = ScratchFile("Broken.cfg", c.text);
        const std::string reports = CaptureReports([&] { EXPECT_TRUE(camera->LoadOptions(path)); });
        EXPECT_EQ(camera->GetInvertX(), c.invertX);
        EXPECT_EQ(camera->GetInvertY(), c.invertY);
        EXPECT_EQ(camera->GetSpeed(), c.speed);
        EXPECT_EQ(reports.find("Failed in file: ") != std::string::npos, c.reported) << reports;
    }

    // A missing file changes nothing, shows nothing and is no fault: the
    // game ships none.
    hooks.shown.clear();
    const std::string reports = CaptureReports([&] { EXPECT_FALSE(camera->LoadOptions(scratchDir + "/Missing.cfg")); });
    EXPECT_TRUE(reports.empty()) << reports;
    EXPECT_TRUE(hooks.shown.empty());
    EXPECT_TRUE(camera->GetInvertX());
    EXPECT_EQ(camera->GetSpeed(), 2.0f);
}

TEST_F(CameraOptionsTest, AFailedWriteKeepsTheOldFile)
{
    const std::string old = std::string(kHeader) + "InvertX: true\nInvertY: true\nSpeed: 3\n";
    const std::string path = ScratchFile("Options.cfg", old);
    // The temporary the write goes through cannot be made.
    ASSERT_EQ(0, mkdir((path + ".tmp").c_str(), 0755));
    bool saved = true;
    const std::string reports = CaptureReports([&] { saved = camera->SaveOptions(path); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadWholeFile(path), old);
    EXPECT_NE(reports.find("Could not write camera options"), std::string::npos) << reports;
}
