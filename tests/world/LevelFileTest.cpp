// The stage files: how they are read (words between keys, records built only
// when whole, the first bad record stops the reading with a report), the
// exact text the editor's save writes, and the round trip of a load, a save
// and a reload, of every shipped stage and of the stages a save could lose
// records of.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "StageTestSupport.h"
#include "core/Stage.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelFile.h"
#include "game/LevelLoader.h"
#include "game/ObjectFactory.h"
#include "game/World.h"
#include "render/Renderer.h"
#include "objects/NPObj.h"
#include "objects/Object.h"

namespace {

const char* const kHeader =
    "stagenumber: 4\nheightmap: stage4.x\nhmapconfig: stage4.hmp\ncamera_orientation: -0.3 0 40\n";

std::string BoxRecord(const std::string& position = "1 2 13", const std::string& scale = "2 2 2",
                      const std::string& mass = "40", const std::string& immovable = "0", int type = 3,
                      const std::string& orientation = "1 0 0 0 1 0 0 0 1")
{
    return "__TAG object\nbox\nobjectID: " + std::to_string(type) + "\ntexture: 4\nposition: " + position +
           "\nscale: " + scale + "\norientation: " + orientation + "\nmass: " + mass + "\nimmovable: " + immovable +
           "\n";
}

// The text with the first occurrence of from replaced by to.
std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string BushRecord(const std::string& scale = "6 6 6")
{
    return "__TAG npo\nbush1-0\nobjectID: 25\ntexture: 46\nposition: 5 5 10.5\nscale: " + scale + "\n";
}

// The in-game editor switched on for a scope, so that a save writes.
class EditorOn
{
public:
    EditorOn() : previous(gInGameLevelEditor)
    {
        gInGameLevelEditor = &editor;
        editor.Toggle();
    }
    ~EditorOn() { gInGameLevelEditor = previous; }

private:
    InGameLevelEditor editor;
    InGameLevelEditor* previous;
};

class LevelFileTest : public ::testing::Test
{
protected:
    LevelFileTest() : rig(StageOptions{true, false}) {}

    // Loads text as the named file of the scratch levels folder and returns
    // what the error stream got.
    std::string Load(const std::string& text, const std::string& name = "case.qvl")
    {
        tree.Write("Levels/" + name, text);
        testing::internal::CaptureStderr();
        gLevelLoader->LoadLevel(name);
        return testing::internal::GetCapturedStderr();
    }

    // The editor's save of the running stage; returns what the error stream got.
    static std::string Save()
    {
        EditorOn editor;
        testing::internal::CaptureStderr();
        testing::internal::CaptureStdout();
        gLevelLoader->SaveLevel();
        testing::internal::GetCapturedStdout();
        return testing::internal::GetCapturedStderr();
    }

    ScratchRunTree tree;
    StageRig rig;
};

TEST_F(LevelFileTest, RecordsAreBuiltOnlyWhenWholeAndTheFirstBadOneStopsTheReading)
{
    const struct
    {
        const char* what;
        std::string text;
        int objects;
        int scenery;
        const char* report; // null: the error stream stays empty
    } cases[] = {
        {"words between keys and other records are skipped",
         "levelname: case.qvl\n/* ---- */\n" + std::string(kHeader) +
             "/* ---- */\n__TAG light\nlamp0\ncolour: 1 1 1\n" + BoxRecord("1e0 +2 13.000000", "2 2 2", "4e1") +
             BushRecord(),
         1, 1, nullptr},
        {"an unknown type builds nothing and is no fault", BoxRecord("1 2 13", "2 2 2", "40", "0", 99) + BoxRecord(), 1,
         0, nullptr},
        {"a record missing a key does not take the next record's",
         BoxRecord() + Replaced(BoxRecord(), "mass: 40\n", "") + BoxRecord(), 1, 0, "no \"mass:\" where one was due"},
        {"a number is its whole word", BoxRecord() + BoxRecord("1 2 13", "2 2 2", "5abc") + BoxRecord(), 1, 0,
         "the value of \"mass:\" cannot be read"},
        {"an integer has no fraction",
         BoxRecord() + Replaced(BoxRecord(), "objectID: 3", "objectID: 1.9") + BoxRecord(), 1, 0,
         "the value of \"objectID:\" cannot be read"},
        {"a hexadecimal float is no number of the format", BoxRecord() + BoxRecord("1 2 13", "2 2 2", "0x1p10"), 1, 0,
         "the value of \"mass:\" cannot be read"},
        {"a value that does not read stops there", BoxRecord() + BoxRecord("1 x 3") + BoxRecord() + BushRecord(), 1, 0,
         "the values of \"position:\" cannot be read"},
        {"a body of no size is refused", BoxRecord("1 2 13", "2 0 2") + BoxRecord(), 0, 0,
         "has a size of zero or less"},
        {"a scene object of negative size is refused", BushRecord("6 -6 6") + BoxRecord(), 0, 0,
         "has a size of zero or less"},
        {"a number past the float range is refused", BoxRecord("1 2 13", "2 2 2", "1e999"), 0, 0,
         "the value of \"mass:\" cannot be read"},
        {"a position beyond what a stage holds is refused", BoxRecord("1.8e38 0 0") + BoxRecord(), 0, 0,
         "the values of \"position:\" are not all within -1e+08 to 1e+08"},
        {"so is a mass", BoxRecord("1 2 13", "2 2 2", "-2e6"), 0, 0,
         "the value of \"mass:\" is not within -1e+06 to 1e+06"},
        {"and an orientation that is no turn", BoxRecord("1 2 13", "2 2 2", "40", "0", 3, "1 0 0 0 3e38 0 0 0 1"), 0, 0,
         "the values of \"orientation:\" are not all within -2 to 2"},
        {"immovable is 0 or 1", BoxRecord("1 2 13", "2 2 2", "40", "2"), 0, 0,
         "the value of \"immovable:\" cannot be read"},
        {"a record cut short builds nothing",
         BoxRecord() + "__TAG object\nbox1\nobjectID: 3\ntexture: 4\nposition: 1 2 13\nscale: 2 2", 1, 0,
         "the values of \"scale:\" cannot be read"},
        {"a record missing its last key builds nothing", BoxRecord() + "__TAG npo\nbush\nobjectID: 25\ntexture: 46\n",
         1, 0, "no \"position:\" where one was due"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text =
            std::string(c.text).find("stagenumber:") == std::string::npos ? kHeader + c.text : c.text;
        const std::string errors = Load(text);
        EXPECT_EQ(gWorld->GetNumObjects(), c.objects);
        EXPECT_EQ(static_cast<int>(gWorld->GetNPObjects().size()), c.scenery);
        EXPECT_EQ(CurrentStage(), 4);
        if (c.report == nullptr) {
            EXPECT_EQ(errors, "");
        } else {
            EXPECT_NE(errors.find(c.report), std::string::npos) << errors;
            EXPECT_NE(errors.find("Level file case.qvl: "), std::string::npos) << errors;
            // One report, in the three-line form.
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 3) << errors;
        }
        // Every body from a file starts frozen.
        for (Object* object : gWorld->GetObjects()) EXPECT_TRUE(object->IsFrozen());
    }
}

TEST_F(LevelFileTest, AStageNumberOutsideTheRingIsIgnoredAMissingFileGivesAnEmptyStageAndNeitherIsSaved)
{
    const std::string stageFile = tree.Read("Levels/stage4.qvl");
    Load(std::string(kHeader) + BoxRecord());
    ASSERT_EQ(CurrentStage(), 4);
    ASSERT_EQ(gWorld->GetHeightmaps().size(), 1u);

    // The stage's set-up chose the stage's draw-list chain.
    ASSERT_NE(gRenderer, nullptr);
    EXPECT_EQ(gRenderer->GetDrawLists().Chains().size(), 1u);
    gRenderer->ClearDrawLists();
    std::string errors = Load("stagenumber: 7\nheightmap: stage1.x\nhmapconfig: stage1.hmp\ncamera_orientation: 0 0 "
                              "30\n" +
                              BoxRecord());
    EXPECT_NE(errors.find("stage number 7 is not one of 1 to 4 and is ignored"), std::string::npos) << errors;
    // The records and the terrain stand; the stage and its set-up do not change.
    EXPECT_EQ(gWorld->GetNumObjects(), 1);
    EXPECT_EQ(gWorld->GetHeightmaps().size(), 1u);
    EXPECT_EQ(CurrentStage(), 4);
    EXPECT_EQ(gLevelLoader->GetLevelName(), "stage4.qvl");
    EXPECT_TRUE(gRenderer->GetDrawLists().Chains().empty());
    // A save would put this file's records in the stage's file: refused.
    errors = Save();
    EXPECT_EQ(errors.find("Level not saved: the stage number of case.qvl was refused; stage4.qvl is left as it was"),
              0u)
        << errors;
    EXPECT_EQ(tree.Read("Levels/stage4.qvl"), stageFile);

    testing::internal::CaptureStderr();
    gLevelLoader->LoadLevel("nowhere.qvl");
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not open level file ../Levels/nowhere.qvl"), std::string::npos) << errors;
    EXPECT_EQ(gWorld->GetNumObjects(), 0);
    EXPECT_TRUE(gWorld->GetHeightmaps().empty());
    EXPECT_EQ(CurrentStage(), 4);
    // And this empty stage would take the place of the stage's file.
    errors = Save();
    EXPECT_EQ(errors.find("Level not saved: nowhere.qvl could not be opened; stage4.qvl is left as it was"), 0u)
        << errors;
    EXPECT_EQ(tree.Read("Levels/stage4.qvl"), stageFile);
}

// The editor's save: a file in the writer's own format reads in and writes
// out to the same bytes. The wall is immovable (its own mass is gone from
// its body), the tetrahedron ignores the size its record gives, the bush's
// scale is its record's.
const char* const kWrittenStage = R"(levelname: stage4.qvl
/* ---------------------------------------------------------------- */

stagenumber: 4
heightmap: stage4.x
hmapconfig: stage4.hmp

/* ---------------------------------------------------------------- */
camera_orientation: -0.300000 0.250000 40.000000

/* ---------------------------------------------------------------- */
__TAG object
huge wall0
objectID: 16
texture: 12
position: -100.000000 -180.000000 14.500000
scale: 2.000000 8.000000 8.000000
orientation: 0.000000 1.000000 0.000000 -1.000000 0.000000 0.000000 0.000000 0.000000 1.000000 
mass: 400.000000
immovable: 1

__TAG object
tetra1
objectID: 7
texture: 7
position: -90.000000 -180.000000 11.500000
scale: 5.000000 5.000000 5.000000
orientation: 1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 0.000000 1.000000 
mass: 100.000000
immovable: 0

__TAG object
torch2
objectID: 24
texture: 44
position: -190.000000 -186.000000 11.500000
scale: 1.000000 1.000000 1.000000
orientation: 1.000000 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000 0.000000 1.000000 
mass: 15.000000
immovable: 0

/* ---------------------------------------------------------------- */
__TAG npo
sky box tiled3
objectID: 45
texture: 82
position: 0.000000 0.000000 0.000000
scale: 900.000000 900.000000 900.000000

__TAG npo
bush1-4
objectID: 25
texture: 46
position: -150.000000 -190.000000 10.500000
scale: 6.000000 4.000000 2.000000

/* ---------------------------------------------------------------- */
)";

TEST_F(LevelFileTest, SaveWritesTheStageInTheWritersExactText)
{
    ASSERT_EQ(Load(kWrittenStage, "stage4.qvl"), "");
    ASSERT_EQ(gWorld->GetNumObjects(), 3);
    // Nothing happens while the editor is off.
    tree.Write("Levels/stage4.qvl", "untouched");
    gLevelLoader->SaveLevel();
    EXPECT_EQ(tree.Read("Levels/stage4.qvl"), "untouched");

    std::string console;
    {
        EditorOn editor;
        testing::internal::CaptureStdout();
        gLevelLoader->SaveLevel();
        console = testing::internal::GetCapturedStdout();
    }

    EXPECT_EQ(tree.Read("Levels/stage4.qvl"), kWrittenStage);
    // The console shows what the save writes, under the log's own name.
    EXPECT_EQ(console, std::string("Opened log file: qvlstage.txt\n") + kWrittenStage);
    // No temporary is left beside it.
    EXPECT_FALSE(std::ifstream(tree.Root() + "/Levels/stage4.qvl.tmp").good());
}

// The records a text holds, up to where its reading stops.
std::vector<LevelRecord> ReadRecords(const std::string& text, LevelHeader& header)
{
    std::istringstream in(text);
    LevelReader reader(in, "test");
    std::vector<LevelRecord> records;
    testing::internal::CaptureStderr();
    if (reader.ReadHeader(header)) {
        for (LevelRecord r; reader.NextRecord(r);) records.push_back(r);
    }
    testing::internal::GetCapturedStderr();
    return records;
}

// How many records a level file holds, read or not.
int RecordCount(const std::string& text)
{
    int count = 0;
    for (size_t at = text.find("__TAG "); at != std::string::npos; at = text.find("__TAG ", at + 1)) ++count;
    return count;
}

// A tiny value stays apart from zero; the rest agree to the digits written.
bool SameRecord(const LevelRecord& a, const LevelRecord& b)
{
    auto near = [](float x, float y) {
        return (x == 0.0f) == (y == 0.0f) && std::fabs(x - y) <= 1e-5f * std::max(1.0f, std::fabs(x));
    };
    bool same = a.kind == b.kind && a.type == b.type && a.texture == b.texture && a.immovable == b.immovable &&
                near(a.mass, b.mass);
    for (int i = 0; i < 3; ++i) same = same && near(a.position[i], b.position[i]) && near(a.scale[i], b.scale[i]);
    for (int i = 0; i < 9; ++i) same = same && near(a.orientation[i], b.orientation[i]);
    for (int i = 0; i < 3; ++i) same = same && near(a.spawnPosition[i], b.spawnPosition[i]);
    return same;
}

// Load, the editor's save, reload: the stage comes back with the records the
// first load read, and the file never holds fewer records than before. A
// save that would lose records is refused with a report and writes nothing.
TEST_F(LevelFileTest, AStageSavedAfterItsLoadReadsBackWithTheSameRecordsAndTheFileLosesNone)
{
    std::string shipped[5];
    for (int stage = 1; stage <= 4; ++stage) {
        shipped[stage] = tree.Read("Levels/stage" + std::to_string(stage) + ".qvl");
    }
    const std::string& one = shipped[1];
    // Where the game can take a body the file must not lose it: a torch
    // pushed by the editor with gravity off drifts past 150000 in 75 s.
    const std::string torch = "position: -46.000000 14.000000 -0.800000";
    // A body taken past what the physics holds (a knock-out moves the walking
    // body 100 further, whatever stopped it) would not read back: not saved.
    const auto pastThePhysicsLimit = [] {
        for (Object* object : gWorld->GetObjects()) {
            if (object->GetType() == kTorchType) object->position.z = 2e8f;
        }
    };
    const struct
    {
        const char* what;
        int stage;
        std::string text;
        std::function<void()> beforeSave;
        const char* loadReport; // null: none
        const char* saveReport; // null: none, and the save writes
    } cases[] = {
        {"stage 1 as shipped", 1, shipped[1], nullptr, nullptr, nullptr},
        {"stage 2 as shipped", 2, shipped[2], nullptr, nullptr, nullptr},
        {"stage 3 as shipped", 3, shipped[3], nullptr, nullptr, nullptr},
        {"stage 4 as shipped", 4, shipped[4], nullptr, nullptr, nullptr},
        {"a record refused in the middle", 1, Replaced(one, "mass: 40.000000", "mass: 1e999"), nullptr,
         "Level file stage1.qvl: the value of \"mass:\" cannot be read; nothing after it is read",
         "Level not saved: the reading of stage1.qvl stopped at its record on line 62; stage1.qvl is left as it was"},
        // A whole load after a refused save saves again.
        {"a body beyond 100000", 1, Replaced(one, torch, "position: -46.000000 14.000000 150000.000000"), nullptr,
         nullptr, nullptr},
        {"a body past the physics' limit", 1, one, pastThePhysicsLimit, nullptr,
         "Level not saved: the text written for stage1.qvl would not read back (the values of \"position:\" are not "
         "all within -1e+08 to 1e+08, in its record on line 22); stage1.qvl is left as it was"},
        {"a tiny size", 1, Replaced(one, "scale: 4.000000 4.000000 4.000000", "scale: 0.0000004 4.000000 4.000000"),
         nullptr, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string name = "stage" + std::to_string(c.stage) + ".qvl";
        const std::string loadErrors = Load(c.text, name);
        if (c.loadReport == nullptr) {
            EXPECT_EQ(loadErrors, "");
        } else {
            EXPECT_NE(loadErrors.find(c.loadReport), std::string::npos) << loadErrors;
        }
        const StageCounts loaded = CountStage();
        LevelHeader before;
        const std::vector<LevelRecord> records = ReadRecords(c.text, before);

        if (c.beforeSave) c.beforeSave();
        const std::string saveErrors = Save();
        const std::string onDisk = tree.Read("Levels/" + name);
        EXPECT_GE(RecordCount(onDisk), RecordCount(c.text));
        if (c.saveReport == nullptr) {
            EXPECT_EQ(saveErrors, "");
        } else {
            EXPECT_EQ(saveErrors.find(c.saveReport), 0u) << saveErrors;
            EXPECT_EQ(onDisk, c.text);
        }

        testing::internal::CaptureStderr();
        gLevelLoader->LoadLevel(name);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), loadErrors);
        EXPECT_TRUE(CountStage() == loaded) << Describe(CountStage()) << "\n" << Describe(loaded);
        LevelHeader after;
        const std::vector<LevelRecord> saved = ReadRecords(onDisk, after);
        EXPECT_EQ(after.stage, c.stage);
        const auto headerOf = [](const LevelHeader& h) {
            return std::tie(h.meshFile, h.hmpFile, h.cameraPitch, h.cameraYaw, h.cameraDistance);
        };
        EXPECT_EQ(headerOf(after), headerOf(before));
        EXPECT_EQ(saved.size(), records.size());
        for (size_t i = 0; i < std::min(saved.size(), records.size()); ++i) {
            EXPECT_TRUE(SameRecord(saved[i], records[i])) << "record " << i << " of type " << records[i].type;
        }
    }
}

} // namespace
