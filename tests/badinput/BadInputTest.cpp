// The whole game started with one of its files broken (levels, heightmap,
// configuration, draw list, particles, mesh, texture, sound, music folder,
// effect, a level save that cannot write its temporary), one case per process
// in a scratch run tree on a windowless device. The game must say what is
// wrong once, on its reader's channel (error log, console or nothing), load a
// stage by its key, play on and quit with 0 from the pause menu; without its
// effect file it reports and quits with -1.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <dinput.h>

#include "DXUTHeadless.h"
#include "MenuSteps.h"
#include "ScratchGameTree.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "game/EditorDialog.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "ui/MenuMan.h"

namespace {

namespace fs = std::filesystem;

enum class Channel {
    ErrorLog, // ../Errors.txt, the error stream
    Console,  // standard output
    Silent,   // neither
};

struct BadInputCase
{
    const char* name;
    // A folder the run tree links rather than copies, copied for this case
    // so its file can be broken (null: the file is in a copied folder).
    const char* ownFolder;
    std::function<void(const ScratchGameTree&)> breakFiles;
    Channel channel;
    // What the report says: a part of one line. Silent cases leave both
    // channels without it (and the error log empty).
    const char* report;
    int reports;         // lines holding it at the end of the run
    char stageKey = '2'; // the developer key the script presses
    int stageAfter = 2;  // the stage then running
    int exitCode = 0;    // 0 when the game goes on; -1 when it cannot
    // Run after the stage loaded, between two frames (the case's own action);
    // frame is the one just run.
    std::function<void(const ScratchGameTree&, int frame)> duringPlay = nullptr;
};

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Keeps the file's first bytes up to the n-th occurrence of marker plus
// extra characters: a record cut off in the middle of a line.
std::function<void(const ScratchGameTree&)> CutAfter(const char* file, const char* marker, int n, int extra)
{
    return [=](const ScratchGameTree& tree) {
        const std::string text = tree.Read(file);
        std::size_t at = 0;
        for (int i = 0; i < n; ++i) at = text.find(marker, i == 0 ? 0 : at + 1);
        ASSERT_NE(at, std::string::npos) << file;
        WriteFile(tree.Path(file), text.substr(0, at + std::string(marker).size() + extra));
    };
}

// Replaces the first occurrence of what in the file.
std::function<void(const ScratchGameTree&)> Replace(const char* file, const char* what, const char* with)
{
    return [=](const ScratchGameTree& tree) {
        std::string text = tree.Read(file);
        const std::size_t at = text.find(what);
        ASSERT_NE(at, std::string::npos) << file << ": " << what;
        WriteFile(tree.Path(file), text.replace(at, std::string(what).size(), with));
    };
}

std::function<void(const ScratchGameTree&)> Overwrite(const char* file, const char* text)
{
    return [=](const ScratchGameTree& tree) { WriteFile(tree.Path(file), text); };
}

// Bytes that are no image, no sound, no mesh: a text file's start with a
// binary tail.
const char kGarbage[] = "xof 0303txt 0032\nMesh {\n 12;\n 1.0;2.0;\x01\x02\xff\xfe";

void RemoveFolderContents(const ScratchGameTree& tree, const char* folder)
{
    for (const auto& entry : fs::directory_iterator(tree.Path(folder))) fs::remove_all(entry.path());
}

// The level save with a directory standing where its temporary goes: the
// editor is switched on, its dialog's save action run, the editor off again.
void SaveOverBlockedTemporary(const ScratchGameTree& tree, int)
{
    const std::string before = tree.Read("Levels/stage1.qvl");
    InGameLevelEditor* editor = gInGameLevelEditor;
    ASSERT_NE(editor, nullptr);
    editor->Toggle();
    ASSERT_TRUE(editor->IsEnabled());
    OnEditorGUIEvent(kMsgEditorSaveLevel);
    editor->Toggle();
    EXPECT_FALSE(editor->IsEnabled());
    EXPECT_EQ(tree.Read("Levels/stage1.qvl"), before);
    EXPECT_TRUE(fs::is_directory(tree.Path("Levels/stage1.qvl.tmp")));
}

// The jukebox's keys with nothing to play: play, next, previous, pause.
void PressJukeBoxKeys(const ScratchGameTree&, int frame)
{
    const int keys[] = {DIK_RSHIFT, DIK_COMMA, DIK_PERIOD, DIK_SLASH};
    for (int i = 0; i < 4; ++i) DXUTHeadlessScheduleInputKeyHold(frame + 1 + 4 * i, keys[i], 2);
}

// The clean run's report is one no run may print on its console.
const BadInputCase kCases[] = {
    {"Clean", nullptr, nullptr, Channel::Silent, "Failed in file: ", 0},
    {"LevelCutShort", nullptr, CutAfter("Levels/stage1.qvl", "position:", 3, 6), Channel::ErrorLog,
     "Level file stage1.qvl", 1},
    {"LevelGarbageNumbers", nullptr, Replace("Levels/stage1.qvl", "mass: 15.000000", "mass: 1e999x"), Channel::ErrorLog,
     "Level file stage1.qvl", 1},
    {"LevelUnknownType", nullptr, Replace("Levels/stage2.qvl", "objectID: ", "objectID: 9999"), Channel::Silent,
     "stage2.qvl", 0},
    {"LevelMissingStage", nullptr, [](const ScratchGameTree& tree) { tree.Remove("Levels/stage3.qvl"); },
     Channel::ErrorLog, "Could not open level file ../Levels/stage3.qvl", 1, '3', 1},
    {"HeightmapKeys", "Maps", Overwrite("Maps/stage2.hmp", "texture_id banana\n\x01\x02"), Channel::ErrorLog,
     "stage2.hmp", 1},
    {"HeightmapGridMesh", "Maps", CutAfter("Maps/stage2.x", "Mesh", 1, 40), Channel::ErrorLog,
     "Could not load mesh: ../Maps/stage2.x", 1},
    {"PhysicsConfig", nullptr, Replace("Config/Physics.cfg", "physics_freq 100", "physics_freq -7"), Channel::ErrorLog,
     "physics_freq", 1},
    {"VideoConfig", nullptr, Overwrite("Config/Vid.cfg", "Fullscreen 0\nFullscreenWidth -640\nFullscreenHeight x\n"),
     Channel::ErrorLog, "Vid.cfg", 2},
    {"OptionsConfig", nullptr, Overwrite("Config/Options.cfg", "invert_x maybe\n\x01\x02"), Channel::ErrorLog,
     "Options.cfg", 1},
    {"DrawList", nullptr, Overwrite("Config/MotionBlur.cfg", "Steps\nbanana 12 x\n"), Channel::ErrorLog,
     "Draw-list file ../Config/MotionBlur.cfg", 2, '4', 4},
    {"ParticleFileWithoutRoot", "Particles", Overwrite("Particles/Sparkles.xml", "<SYSTEMS></SYSTEMS>\n"),
     Channel::ErrorLog, "DEFINITIONS symbol not found in particle file", 1},
    {"ParticleFileCutShort", "Particles", CutAfter("Particles/Torch.xml", "<system", 2, 3), Channel::ErrorLog,
     "unknown particle system type", 1},
    // The lava asks for its two systems every two seconds: each is reported once.
    {"LavaParticlesCutShort", "Particles", CutAfter("Particles/Lava.xml", "<system", 1, 3), Channel::ErrorLog,
     "unknown particle system type", 2, '3', 3},
    {"Mesh", "Meshes", Overwrite("Meshes/coin.x", kGarbage), Channel::ErrorLog, "Could not load mesh: coin.x", 1},
    {"Texture", nullptr, Overwrite("Textures/greenmoss.png", kGarbage), Channel::ErrorLog,
     "Could not load texture: greenmoss.png", 1},
    {"Sound", "sounds", Overwrite("sounds/sfx/thud.wav", kGarbage), Channel::Console, "FMOD error!", 1},
    {"MusicFolderEmpty", "sounds", [](const ScratchGameTree& tree) { RemoveFolderContents(tree, "sounds/bgm"); },
     Channel::Silent, "bgm", 0, '2', 2, 0, PressJukeBoxKeys},
    {"EffectFile", "Effects", Overwrite("Effects/FixedFunction.fx", kGarbage), Channel::ErrorLog,
     "Could not load effect from file: FixedFunction.fx", 1, '2', 1, -1},
    {"LevelSaveTemporaryBlocked", nullptr,
     [](const ScratchGameTree& tree) { fs::create_directory(tree.Path("Levels/stage1.qvl.tmp")); }, Channel::ErrorLog,
     "Unable to open qvlstage.txt", 1, '1', 1, 0, SaveOverBlockedTemporary},
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Lines holding part. In the error log each is a report's message: within
// the next lines (a message may name its subject on a line of its own) come
// the source file and then the line, as every report gives them.
int CountLinesHolding(const std::string& text, const std::string& part, bool reports = false)
{
    const std::size_t kMessageLines = 2;
    const std::vector<std::string> lines = Lines(text);
    int count = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(part) == std::string::npos) continue;
        ++count;
        std::size_t file = i + 1;
        while (file < lines.size() && file <= i + kMessageLines && lines[file].rfind("Failed in file: ", 0) != 0)
            ++file;
        if (!reports) continue;
        EXPECT_LT(file + 1, lines.size()) << text;
        if (file + 1 >= lines.size()) continue;
        EXPECT_EQ(lines[file].rfind("Failed in file: ", 0), 0u) << text;
        EXPECT_EQ(lines[file + 1].rfind("On line: ", 0), 0u) << text;
    }
    return count;
}

std::string ErrorLog(const ScratchGameTree& tree)
{
    std::fflush(stderr);
    return tree.Read("Errors.txt");
}

// Long enough for what comes back every two seconds (the lava) to come twice.
const int kSettleFrames = 150;
const int kPlayFrames = 150;

// The stage key, the case's own action, a while of play, then as long again
// in which the log must not grow, and the pause menu's quit.
void AddPlaySteps(MenuRun& run, const BadInputCase& c, const ScratchGameTree& tree)
{
    MenuScript& s = run.script;
    s.everyFrame = [&run](int frame) { run.frame = frame; };
    s.Add(
        "started", [] { return gLevelLoader != nullptr && gMenuMan != nullptr; },
        [&s, &c] {
            EXPECT_EQ(CurrentStage(), 1);
            s.PressKey(static_cast<UINT>(c.stageKey));
        });
    auto logLines = std::make_shared<std::size_t>(0);
    s.Add(
        "stage key", [] { return gMenuMan->GetCurrentMenuId() == kMenuNone; },
        [&run, &c, &tree] {
            EXPECT_EQ(CurrentStage(), c.stageAfter);
            EXPECT_GT(gWorld->GetNumObjects(), 0);
            if (c.duringPlay) c.duringPlay(tree, run.frame);
        });
    // A step's condition that holds once it has been asked n times (frames).
    const auto after = [](int n) { return [count = std::make_shared<int>(0), n] { return ++*count >= n; }; };
    s.Add("settled", after(kSettleFrames), [&tree, logLines] { *logLines = Lines(ErrorLog(tree)).size(); });
    s.Add("played on", after(kPlayFrames),
          [&tree, logLines] { EXPECT_EQ(Lines(ErrorLog(tree)).size(), *logLines) << "reported again while playing"; });
    AddQuitSteps(run);
}

void PrintTo(const BadInputCase& c, std::ostream* out)
{
    *out << c.name;
}

class BadInput : public testing::TestWithParam<BadInputCase>
{
};

// One WinMain per process (it registers the exit routine): CTest runs each
// case on its own.
TEST_P(BadInput, IsReportedOnceAndTheGameGoesOn)
{
    static bool ran = false;
    ASSERT_FALSE(ran) << "one case per process: pick it with --gtest_filter";
    ran = true;
    const BadInputCase& c = GetParam();
    ScratchGameTree tree(std::string("bad_input_") + c.name);
    if (c.ownFolder) tree.OwnCopy(c.ownFolder);
    if (c.breakFiles) c.breakFiles(tree);
    if (HasFatalFailure()) return;

    MenuScript script(640, 480);
    MenuRun run(script);
    if (c.exitCode == 0) AddPlaySteps(run, c, tree);

    // The game's console, passed on to the real output after the run.
    testing::internal::CaptureStdout();
    const int result = RunGame(run, true);
    const std::string consoleText = testing::internal::GetCapturedStdout();
    std::fputs(consoleText.c_str(), stdout);
    const std::string log = ErrorLog(tree);
    EXPECT_EQ(result, c.exitCode);

    // Said on its own channel only, as often as expected; silent cases and the
    // console's leave the error log empty.
    const bool logged = c.channel == Channel::ErrorLog;
    EXPECT_EQ(CountLinesHolding(log, c.report, logged), logged ? c.reports : 0) << log;
    EXPECT_EQ(CountLinesHolding(consoleText, c.report), c.channel == Channel::Console ? c.reports : 0) << consoleText;
    if (!logged) {
        EXPECT_EQ(log, "");
    }
}

INSTANTIATE_TEST_SUITE_P(OneFileBroken, BadInput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

} // namespace
