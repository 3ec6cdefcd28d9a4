// The stage files: how they are read (words between keys, records built only
// when whole, the first bad record stops the reading with a report), the
// exact text the editor's save writes, a save and reload of every shipped
// stage, and the shipped stages checked against their terrains.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "StageTestSupport.h"
#include "core/Stage.h"
#include "game/InGameLevelEditor.h"
#include "game/LevelFile.h"
#include "game/LevelLoader.h"
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
             "/* ---- */\n__TAG light\nlamp0\ncolour: 1 1 1\n" + BoxRecord() + BushRecord(),
         1, 1, nullptr},
        {"an unknown type builds nothing and is no fault", BoxRecord("1 2 13", "2 2 2", "40", "0", 99) + BoxRecord(), 1,
         0, nullptr},
        {"a value that does not read stops there", BoxRecord() + BoxRecord("1 x 3") + BoxRecord() + BushRecord(), 1, 0,
         "the values of \"position:\" cannot be read"},
        {"a body of no size is refused", BoxRecord("1 2 13", "2 0 2") + BoxRecord(), 0, 0,
         "has a size of zero or less"},
        {"a scene object of negative size is refused", BushRecord("6 -6 6") + BoxRecord(), 0, 0,
         "has a size of zero or less"},
        {"a number past the float range is refused", BoxRecord("1 2 13", "2 2 2", "1e999"), 0, 0,
         "the value of \"mass:\" cannot be read"},
        {"a position beyond what a stage holds is refused", BoxRecord("1.8e38 0 0") + BoxRecord(), 0, 0,
         "the values of \"position:\" are not all within -100000 to 100000"},
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

TEST_F(LevelFileTest, AStageNumberOutsideTheRingIsIgnoredAndAMissingFileGivesAnEmptyStage)
{
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

    testing::internal::CaptureStderr();
    gLevelLoader->LoadLevel("nowhere.qvl");
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not open level file ../Levels/nowhere.qvl"), std::string::npos) << errors;
    EXPECT_EQ(gWorld->GetNumObjects(), 0);
    EXPECT_TRUE(gWorld->GetHeightmaps().empty());
    EXPECT_EQ(CurrentStage(), 4);
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

std::vector<LevelRecord> ReadRecords(const std::string& text, LevelHeader& header)
{
    std::istringstream in(text);
    LevelReader reader(in, "test");
    std::vector<LevelRecord> records;
    EXPECT_TRUE(reader.ReadHeader(header));
    for (LevelRecord r; reader.NextRecord(r);) records.push_back(r);
    EXPECT_FALSE(reader.Failed());
    return records;
}

bool SameRecord(const LevelRecord& a, const LevelRecord& b)
{
    auto near = [](float x, float y) { return std::fabs(x - y) <= 1e-5f * std::max(1.0f, std::fabs(x)); };
    bool same = a.kind == b.kind && a.type == b.type && a.texture == b.texture && a.immovable == b.immovable &&
                near(a.mass, b.mass);
    for (int i = 0; i < 3; ++i) same = same && near(a.position[i], b.position[i]) && near(a.scale[i], b.scale[i]);
    for (int i = 0; i < 9; ++i) same = same && near(a.orientation[i], b.orientation[i]);
    for (int i = 0; i < 3; ++i) same = same && near(a.spawnPosition[i], b.spawnPosition[i]);
    return same;
}

TEST_F(LevelFileTest, EveryShippedStageSavesAndReadsBackItsObjectsSceneryAndTriggers)
{
    EditorOn editor;
    for (int stage = 1; stage <= 4; ++stage) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        const std::string name = "stage" + std::to_string(stage) + ".qvl";
        const std::string shipped = tree.Read("Levels/" + name);
        ASSERT_FALSE(shipped.empty());
        testing::internal::CaptureStderr();
        gLevelLoader->LoadLevel(name);
        const StageCounts loaded = CountStage();
        testing::internal::CaptureStdout();
        gLevelLoader->SaveLevel();
        testing::internal::GetCapturedStdout();
        // And the saved file builds the same stage again.
        gLevelLoader->LoadLevel(name);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(CountStage() == loaded) << Describe(CountStage()) << "\n" << Describe(loaded);

        LevelHeader before;
        LevelHeader after;
        const std::vector<LevelRecord> expected = ReadRecords(shipped, before);
        const std::vector<LevelRecord> saved = ReadRecords(tree.Read("Levels/" + name), after);
        EXPECT_EQ(after.stage, stage);
        const auto headerOf = [](const LevelHeader& h) {
            return std::tie(h.meshFile, h.hmpFile, h.cameraPitch, h.cameraYaw, h.cameraDistance);
        };
        EXPECT_EQ(headerOf(after), headerOf(before));
        ASSERT_EQ(saved.size(), expected.size());
        for (size_t i = 0; i < saved.size(); ++i) {
            EXPECT_TRUE(SameRecord(saved[i], expected[i])) << "record " << i << " of type " << expected[i].type;
        }
    }
}

} // namespace
