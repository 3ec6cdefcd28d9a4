// The jukebox in the whole game under the headless framework host, with the
// capture written to a file: silent at start, the play key starts the first
// track, the tracks follow and wrap, and quitting while music plays leaves a
// complete wave file.
#include <dinput.h>
#include <sndfile.h>

#include <filesystem>

#include "AudioRig.h"
#include "DXUTHeadless.h"
#include "audio/JukeBox.h"
#include "game/Lumveran.h"

namespace audiotest {
namespace {

namespace fs = std::filesystem;

constexpr int kPlayFrame = 20;
constexpr int kFrames = kPlayFrame + 3 * 32 + 20; // into the first track's second turn

// The game's run tree seen through links, with short tracks of our own.
void LinkRunTree(const fs::path& from, const fs::path& to)
{
    for (const fs::path& folder : {from, from / "bin"}) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            const fs::path name = entry.path().filename();
            if (name != "bin" && name != "sounds" && name != "Errors.txt") {
                fs::create_symlink(entry.path(), (folder == from ? to : to / "bin") / name);
            }
        }
    }
    fs::remove(to / "sounds" / "sfx");
    fs::create_directory_symlink(from / "sounds" / "sfx", to / "sounds" / "sfx");
}

// One WinMain per process: it registers the exit routine.
TEST(JukeBoxInTheGame, StartsSilentPlaysInOrderWrapsAndQuitsWithACompleteCapture)
{
    const fs::path gameTree = fs::current_path().parent_path();
    RunTree tree; // working in <tmp>/bin from here
    LinkRunTree(gameTree, tree.Root());
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(soundtest::WriteTone(tree.Bgm("track" + std::to_string(i + 1) + ".mp3"), soundtest::FileKind::Mp3,
                                         kTrackPitch[i], 0.5, 2));
    }
    const std::string capture = tree.Root() + "/capture.wav";
    FMODTest::CaptureConfig config;
    config.keepInMemory = false;
    config.wavPath = capture.c_str();
    FMODTest::SetCaptureConfig(config);

    // Right Shift pressed for one frame: the jukebox plays on its release.
    DXUTHeadlessEnable(1.0 / 60.0, kFrames);
    DXUTHeadlessScheduleInputKeyHold(kPlayFrame - 1, DIK_RSHIFT, 1);
    ASSERT_EQ(WinMain(nullptr, nullptr, nullptr, 0), 0);
    ASSERT_NE(gJukeBox, nullptr);
    EXPECT_TRUE(gJukeBox->playing);
    Shutdown(); // the exit routine, with the music playing
    EXPECT_EQ(gJukeBox, nullptr);

    SF_INFO info = {};
    SNDFILE* file = sf_open(capture.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(info.channels, 2);
    EXPECT_EQ(info.frames, static_cast<sf_count_t>(kFrames) * kStep);
    std::vector<float> heard(static_cast<std::size_t>(info.frames) * 2);
    EXPECT_EQ(sf_readf_float(file, heard.data(), info.frames), info.frames);
    sf_close(file);
    EXPECT_TRUE(QuietFor(heard, kPlayFrame));
    EXPECT_EQ(Listen(heard).tracks,
              (std::vector<double>{kTrackPitch[0], kTrackPitch[1], kTrackPitch[2], kTrackPitch[0]}));
}

} // namespace
} // namespace audiotest
