// The whole game started with one of its files broken, one case per process:
// a level file (cut short, garbage numbers, an unknown type, a stage that is
// missing), a heightmap and its grid mesh, the three configuration files, a
// draw-list file, particle files, a mesh, a texture, a sound, an empty music
// folder, the effect file, and a level save that cannot write its temporary.
// Each case runs in a scratch run tree on a windowless device (meshes,
// textures and effects load only there). The game must start, say what is
// wrong on the channel its reader writes to (the error log, the console, or
// nothing), say it once rather than every frame, load a stage by its key,
// play on, and quit with 0 from the pause menu. A broken effect file is the
// one the game cannot go on without: it reports it and quits with -1.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <dinput.h>

#include "DXUTHeadless.h"
#include "MenuSteps.h"
#include "ScratchGameTree.h"
#include "core/Messages.h"
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
    int reports;    // lines holding it at the end of the run
    char stageKey;  // the developer key the script presses
    int stageAfter; // the stage then running
    int exitCode;   // 0 when the game goes on; -1 when it cannot
    // Run after the stage loaded, between two frames (the case's own action);
    // frame is the one just run.
    std::function<void(const ScratchGameTree&, int frame)> duringPlay;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Keeps the file's first bytes up to the n-th occurrence of marker plus
// extra characters: a record cut off in the middle of a line.
std::function<void(const ScratchGameTree&)> CutAfter(const char* file, const char* marker, int n, int extra)
{
    return [=](const ScratchGameTree& tree) {
        const std::string text = ReadFile(tree.Path(file));
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
        std::string text = ReadFile(tree.Path(file));
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
    const std::string before = ReadFile(tree.Path("Levels/stage1.qvl"));
    InGameLevelEditor* editor = gInGameLevelEditor;
    ASSERT_NE(editor, nullptr);
    editor->Toggle();
    ASSERT_TRUE(editor->IsEnabled());
    OnEditorGUIEvent(kMsgEditorSaveLevel);
    editor->Toggle();
    EXPECT_FALSE(editor->IsEnabled());
    EXPECT_EQ(ReadFile(tree.Path("Levels/stage1.qvl")), before);
    EXPECT_TRUE(fs::is_directory(tree.Path("Levels/stage1.qvl.tmp")));
}

// The jukebox's keys with nothing to play: play, next, previous, pause.
void PressJukeBoxKeys(const ScratchGameTree&, int frame)
{
    const int keys[] = {DIK_RSHIFT, DIK_COMMA, DIK_PERIOD, DIK_SLASH};
    for (int i = 0; i < 4; ++i) DXUTHeadlessScheduleInputKeyHold(frame + 1 + 4 * i, keys[i], 2);
}

const BadInputCase kCases[] = {
    {"Clean", nullptr, nullptr, Channel::Silent, "", 0, '2', 2, 0, nullptr},
    {"LevelCutShort", nullptr, CutAfter("Levels/stage1.qvl", "position:", 3, 6), Channel::ErrorLog,
     "Level file stage1.qvl", 1, '2', 2, 0, nullptr},
    {"LevelGarbageNumbers", nullptr, Replace("Levels/stage1.qvl", "mass: 15.000000", "mass: 1e999x"), Channel::ErrorLog,
     "Level file stage1.qvl", 1, '2', 2, 0, nullptr},
    {"LevelUnknownType", nullptr, Replace("Levels/stage2.qvl", "objectID: ", "objectID: 9999"), Channel::Silent,
     "stage2.qvl", 0, '2', 2, 0, nullptr},
    {"LevelMissingStage", nullptr, [](const ScratchGameTree& tree) { tree.Remove("Levels/stage3.qvl"); },
     Channel::ErrorLog, "Could not open level file ../Levels/stage3.qvl", 1, '3', 1, 0, nullptr},
    {"HeightmapKeys", "Maps", Overwrite("Maps/stage2.hmp", "texture_id banana\n\x01\x02"), Channel::ErrorLog,
     "stage2.hmp", 1, '2', 2, 0, nullptr},
    {"HeightmapGridMesh", "Maps", CutAfter("Maps/stage2.x", "Mesh", 1, 40), Channel::ErrorLog,
     "Could not load mesh: ../Maps/stage2.x", 1, '2', 2, 0, nullptr},
    {"PhysicsConfig", nullptr, Replace("Config/Physics.cfg", "physics_freq 100", "physics_freq -7"), Channel::ErrorLog,
     "physics_freq", 1, '2', 2, 0, nullptr},
    {"VideoConfig", nullptr, Overwrite("Config/Vid.cfg", "Fullscreen 0\nFullscreenWidth -640\nFullscreenHeight x\n"),
     Channel::ErrorLog, "Vid.cfg", 2, '2', 2, 0, nullptr},
    {"OptionsConfig", nullptr, Overwrite("Config/Options.cfg", "invert_x maybe\n\x01\x02"), Channel::ErrorLog,
     "Options.cfg", 1, '2', 2, 0, nullptr},
    {"DrawList", nullptr, Overwrite("Config/MotionBlur.cfg", "Steps\nbanana 12 x\n"), Channel::ErrorLog,
     "Draw-list file ../Config/MotionBlur.cfg", 2, '4', 4, 0, nullptr},
    {"ParticleFileWithoutRoot", "Particles", Overwrite("Particles/Sparkles.xml", "<SYSTEMS></SYSTEMS>\n"),
     Channel::ErrorLog, "DEFINITIONS symbol not found in particle file", 1, '2', 2, 0, nullptr},
    {"ParticleFileCutShort", "Particles", CutAfter("Particles/Torch.xml", "<system", 2, 3), Channel::ErrorLog,
     "unknown particle system type", 1, '2', 2, 0, nullptr},
    // The lava asks for its two systems every two seconds: each is reported once.
    {"LavaParticlesCutShort", "Particles", CutAfter("Particles/Lava.xml", "<system", 1, 3), Channel::ErrorLog,
     "unknown particle system type", 2, '3', 3, 0, nullptr},
    {"Mesh", "Meshes", Overwrite("Meshes/coin.x", kGarbage), Channel::ErrorLog, "Could not load mesh: coin.x", 1, '2',
     2, 0, nullptr},
    {"Texture", nullptr, Overwrite("Textures/greenmoss.png", kGarbage), Channel::ErrorLog,
     "Could not load texture: greenmoss.png", 1, '2', 2, 0, nullptr},
    {"Sound", "sounds", Overwrite("sounds/sfx/thud.wav", kGarbage), Channel::Console, "FMOD error!", 1, '2', 2, 0,
     nullptr},
    {"MusicFolderEmpty", "sounds", [](const ScratchGameTree& tree) { RemoveFolderContents(tree, "sounds/bgm"); },
     Channel::Silent, "bgm", 0, '2', 2, 0, PressJukeBoxKeys},
    {"EffectFile", "Effects", Overwrite("Effects/FixedFunction.fx", kGarbage), Channel::ErrorLog,
     "Could not load effect from file: FixedFunction.fx", 1, '2', 1, -1, nullptr},
    {"LevelSaveTemporaryBlocked", nullptr,
     [](const ScratchGameTree& tree) { fs::create_directory(tree.Path("Levels/stage1.qvl.tmp")); }, Channel::ErrorLog,
     "Unable to open qvlstage.txt", 1, '1', 1, 0, SaveOverBlockedTemporary},
};

// Standard output into a file while it lives (the game's console).
class ConsoleCapture
{
public:
    explicit ConsoleCapture(const std::string& path_) : path(path_)
    {
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(file, STDOUT_FILENO);
        close(file);
    }
    // The console's text; what the run printed goes on to the real output too.
    std::string Finish()
    {
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        const std::string text = ReadFile(path);
        std::fputs(text.c_str(), stdout);
        return text;
    }

private:
    std::string path;
    int saved = -1;
};

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

int CountLinesHolding(const std::string& text, const std::string& part)
{
    int count = 0;
    for (const std::string& line : Lines(text)) count += line.find(part) != std::string::npos ? 1 : 0;
    return count;
}

// Every line holding part is a report's message: within the next lines
// (a message may name its subject on a line of its own) come the source
// file and then the line, as every report gives them.
void ExpectReportForm(const std::string& log, const std::string& part)
{
    const int kMessageLines = 2;
    const std::vector<std::string> lines = Lines(log);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(part) == std::string::npos) continue;
        std::size_t file = i + 1;
        while (file < lines.size() && file <= i + kMessageLines && lines[file].rfind("Failed in file: ", 0) != 0)
            ++file;
        ASSERT_LT(file + 1, lines.size()) << log;
        EXPECT_EQ(lines[file].rfind("Failed in file: ", 0), 0u) << log;
        EXPECT_EQ(lines[file + 1].rfind("On line: ", 0), 0u) << log;
    }
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
            EXPECT_EQ(gLevelLoader->GetStage(), 1);
            s.PressKey(static_cast<UINT>(c.stageKey));
        });
    auto logLines = std::make_shared<std::size_t>(0);
    s.Add(
        "stage key", [] { return gMenuMan->GetCurrentMenuId() == kMenuNone; },
        [&run, &c, &tree] {
            EXPECT_EQ(gLevelLoader->GetStage(), c.stageAfter);
            EXPECT_GT(gWorld->GetNumObjects(), 0);
            if (c.duringPlay) c.duringPlay(tree, run.frame);
        });
    auto settled = std::make_shared<int>(0);
    s.Add(
        "settled", [settled] { return ++*settled >= kSettleFrames; },
        [&tree, logLines] { *logLines = Lines(ErrorLog(tree)).size(); });
    auto played = std::make_shared<int>(0);
    s.Add(
        "played on", [played] { return ++*played >= kPlayFrames; },
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

    ConsoleCapture console(tree.Path("console.txt"));
    const int result = RunGame(run, true);
    const std::string consoleText = console.Finish();
    const std::string log = ErrorLog(tree);
    EXPECT_EQ(result, c.exitCode);

    const std::string& logged = c.channel == Channel::ErrorLog ? log : consoleText;
    const std::string& other = c.channel == Channel::ErrorLog ? consoleText : log;
    if (c.channel == Channel::Silent) {
        EXPECT_EQ(log, "");
        if (*c.report) {
            EXPECT_EQ(CountLinesHolding(consoleText, c.report), 0) << consoleText;
        }
        return;
    }
    EXPECT_EQ(CountLinesHolding(logged, c.report), c.reports) << logged;
    EXPECT_EQ(CountLinesHolding(other, c.report), 0) << other;
    if (c.channel == Channel::ErrorLog) ExpectReportForm(log, c.report);
    // Only the broken file is reported on the console's channel.
    if (c.channel == Channel::Console) {
        EXPECT_EQ(log, "");
    }
}

INSTANTIATE_TEST_SUITE_P(OneFileBroken, BadInput, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<BadInputCase>& info) { return info.param.name; });

} // namespace
