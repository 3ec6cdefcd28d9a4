// Reading draw-list files: the records every step kind fills, the rules that
// end lists and files, hostile files, and the files the game ships.
#include "DrawListTestFiles.h"

#include <cmath>
#include <functional>
#include <set>

namespace {

const char* const kEveryStepKind = R"(# a chain with one step of each kind
Name   Test
Close  FinalLDR
Scene  13
BindA  SceneTex 14
BindA  (BloomTex, 11)
EndA   END
SampB  8 1 3
EndB   END
Step DrawList
 Name Opaque
 List 2
 Target 0
 Clear (3, 0.5, 0.25, 1, 0, 1, 7)
 Clears END
 RS 14 0
 RSBefore END
 RS 14 TRUE
 RSAfter END
 SS 0 1 3
 SSBefore END
 SS 0 1 1
 SS 0 2 1
 SSAfter END
 Tex Unused 99   # read, never drawn with: not checked
 Tex END
Step FSE
 Name Wide
 Tech Bloom
 Src 9
 Dst 10
 Filter BloomW 3.0 2.0
 Rect DestRect
 Clear 1 0 0 0 0 1 0
 Clears END
 SSBefore END
 SS 9 5 2
 SSAfter END
 Tex NoiseTex 81
 Tex END
 Target HeatTex 13
 Targets END
 Swap 14 15
 Swaps END
Step GEDL
 Name Velocity
 Tech VelocityMap
 List 0
 Target 13
 Heightmaps 1
 Clears END
 RS 23 4
 RSBefore END
 RSAfter END
 SSBefore END
 SSAfter END
 Tex NoiseTex 81
 Tex END
)";

TEST(DrawListParse, EveryStepKindLoadsIntoItsRecords)
{
    DrawList chain;
    const Reports reports = LoadText(kEveryStepKind, chain);
    EXPECT_EQ(reports.count, 0) << reports.text;
    EXPECT_EQ(chain.name, "Test");
    EXPECT_EQ(chain.closingTechnique, "FinalLDR");
    EXPECT_EQ(chain.sceneTarget, 13);
    ASSERT_EQ(chain.textureBindings.size(), 2u);
    EXPECT_EQ(chain.textureBindings[1].parameter, "BloomTex");
    EXPECT_EQ(chain.textureBindings[1].index, 11);
    ASSERT_EQ(chain.samplerStates.size(), 1u);
    EXPECT_EQ(chain.samplerStates[0].sampler, 8u);
    EXPECT_EQ(chain.samplerStates[0].value, 3u);
    ASSERT_EQ(chain.steps.size(), 3u);

    ASSERT_EQ(chain.steps[0].renderListPasses.size(), 1u);
    EXPECT_TRUE(chain.steps[0].postProcessPasses.empty() && chain.steps[0].geometryPasses.empty());
    const RenderListPass& scene = chain.steps[0].renderListPasses[0];
    EXPECT_EQ(scene.name, "Opaque");
    EXPECT_EQ(scene.renderList, 2);
    EXPECT_EQ(scene.target, 0);
    ASSERT_EQ(scene.clears.size(), 1u);
    const ClearRecord& c = scene.clears[0];
    EXPECT_EQ(c.flags, 3u);
    EXPECT_FLOAT_EQ(c.green, 0.25f);
    EXPECT_FLOAT_EQ(c.depth, 1.0f);
    EXPECT_EQ(c.stencil, 7u);
    ASSERT_EQ(scene.renderStatesBefore.size(), 1u);
    EXPECT_EQ(scene.renderStatesAfter[0].value, 1u); // "TRUE" reads as 1
    EXPECT_EQ(scene.samplerStatesAfter.size(), 2u);
    EXPECT_EQ(scene.textureBindings[0].index, 99);

    ASSERT_EQ(chain.steps[1].postProcessPasses.size(), 1u);
    const PostProcessPass& fse = chain.steps[1].postProcessPasses[0];
    EXPECT_EQ(fse.technique, "Bloom");
    EXPECT_EQ(fse.source, 9);
    EXPECT_EQ(fse.destination, 10);
    EXPECT_EQ(fse.filter.kind, SampleFilter::kBloomW);
    EXPECT_FLOAT_EQ(fse.filter.deviation, 3.0f);
    EXPECT_FLOAT_EQ(fse.filter.multiplier, 2.0f);
    EXPECT_EQ(fse.rect.mode, RectMode::kDestRect);
    EXPECT_EQ(fse.clears.size(), 1u);
    EXPECT_EQ(fse.samplerStatesAfter.size(), 1u);
    EXPECT_EQ(fse.textureBindings[0].index, 81);
    EXPECT_EQ(fse.targetBindings[0].parameter, "HeatTex");
    ASSERT_EQ(fse.swaps.size(), 1u);
    EXPECT_EQ(fse.swaps[0].first, 14u);
    EXPECT_EQ(fse.swaps[0].second, 15u);
    for (int i = 0; i < kFilterSampleCount; ++i) {
        EXPECT_EQ(fse.filter.offsets[i][0], 0.0f); // nothing built before the first redraw frame
        EXPECT_EQ(fse.filter.weights[i][3], 0.0f);
    }

    ASSERT_EQ(chain.steps[2].geometryPasses.size(), 1u);
    const GeometryPass& gedl = chain.steps[2].geometryPasses[0];
    EXPECT_EQ(gedl.technique, "VelocityMap");
    EXPECT_EQ(gedl.target, 13);
    EXPECT_EQ(gedl.withHeightmaps, 1);
    EXPECT_EQ(gedl.renderStatesBefore[0].type, 23u);
    EXPECT_EQ(gedl.textureBindings[0].parameter, "NoiseTex");
}

// Pieces to build small files from.
std::string Header(const std::string& listA = "A END\n", const std::string& listB = "B END\n")
{
    return "Name N\nClose C\nScene 0\n" + listA + listB;
}

std::string Fse(const std::string& name, const std::string& filter = "None", const std::string& rect = "Whole",
                const std::string& swaps = "")
{
    return "Step FSE\n Name " + name + "\n Tech T\n Src 0\n Dst 13\n Filter " + filter + "\n Rect " + rect +
           "\n Clears END\n SSBefore END\n SSAfter END\n Tex END\n Targets END\n" + swaps + " Swaps END\n";
}

std::string Scene(const std::string& name, const std::string& before = "")
{
    return "Step DrawList\n Name " + name + "\n List 0\n Target 0\n Clears END\n" + before +
           " RSBefore END\n RSAfter END\n SSBefore END\n SSAfter END\n Tex END\n";
}

std::vector<std::string> StepNames(const DrawList& chain)
{
    std::vector<std::string> names;
    for (const DrawListGroup& g : chain.steps) {
        for (const auto& p : g.renderListPasses) names.push_back(p.name);
        for (const auto& p : g.postProcessPasses) names.push_back(p.name);
        for (const auto& p : g.geometryPasses) names.push_back(p.name);
    }
    return names;
}

struct EndingCase
{
    const char* what;
    std::string text;
    std::vector<std::string> steps;
    int reports;
    std::function<void(const DrawList&)> check;
};

TEST(DrawListParse, ListsAndFilesEndWhereTheRulesSay)
{
    const EndingCase cases[] = {
        {"END on the fourth line: list A empty",
         Header("A END\n", "B 0 5 2\nB END\n") + Fse("F"),
         {"F"},
         0,
         [](const DrawList& c) {
             EXPECT_TRUE(c.textureBindings.empty());
             EXPECT_EQ(c.samplerStates.size(), 1u);
         }},
        {"a one-token line ends list A, list B and the file",
         Header("A SceneTex 0\nlonely\nB 0 5 2\nB END\n") + Fse("F"),
         {},
         1,
         [](const DrawList& c) {
             EXPECT_EQ(c.textureBindings.size(), 1u);
             EXPECT_TRUE(c.samplerStates.empty());
         }},
        {"a one-token line ends the later lists of its step",
         Header() + Scene("S", " RS 14 0\n") + Scene("Cut", " RS 14 0\nlonely\n") + Scene("After"),
         {"S", "Cut"},
         1,
         [](const DrawList& c) {
             const RenderListPass& cut = c.steps[1].renderListPasses[0];
             EXPECT_EQ(cut.renderStatesBefore.size(), 1u);
             EXPECT_TRUE(cut.renderStatesAfter.empty() && cut.samplerStatesAfter.empty());
         }},
        {"an unknown step keyword keeps the steps before it, quietly",
         Header() + Fse("A") + "Step Blur\n" + Fse("B"),
         {"A"},
         0,
         nullptr},
        {"step keywords are case-sensitive", Header() + Fse("A") + "Step fse\n" + Fse("B"), {"A"}, 0, nullptr},
        {"the filter and rectangle keywords",
         Header() + Fse("Two", "2", "Crop") + Fse("Four", "4", "SrcRect") + Fse("Gauss", "Gauss5 0.5", "Other") +
             Fse("BloomH", "BloomH 2 0.25", "DestRect"),
         {"Two", "Four", "Gauss", "BloomH"},
         0,
         [](const DrawList& c) {
             const int kinds[] = {SampleFilter::kDownScale2x2, SampleFilter::kDownScale4x4, SampleFilter::kGauss5,
                                  SampleFilter::kBloomH};
             const int modes[] = {RectMode::kCrop, RectMode::kSrcRect, RectMode::kWhole, RectMode::kDestRect};
             for (size_t i = 0; i < 4; ++i) {
                 EXPECT_EQ(c.steps[i].postProcessPasses[0].filter.kind, kinds[i]);
                 EXPECT_EQ(c.steps[i].postProcessPasses[0].rect.mode, modes[i]);
             }
             EXPECT_FLOAT_EQ(c.steps[2].postProcessPasses[0].filter.multiplier, 0.5f);
             EXPECT_FLOAT_EQ(c.steps[3].postProcessPasses[0].filter.deviation, 2.0f);
             EXPECT_FLOAT_EQ(c.steps[3].postProcessPasses[0].filter.multiplier, 0.25f);
         }},
        {"comments and blank lines are no records",
         "# top\n\nName N # trailing\n  \nClose C\nScene 0\nA END\nB END\n" + Fse("F"),
         {"F"},
         0,
         [](const DrawList& c) { EXPECT_EQ(c.name, "N"); }},
    };
    for (const EndingCase& k : cases) {
        SCOPED_TRACE(k.what);
        DrawList chain;
        const Reports reports = LoadText(k.text, chain);
        EXPECT_EQ(StepNames(chain), k.steps);
        EXPECT_EQ(reports.count, k.reports) << reports.text;
        if (k.check) k.check(chain);
    }
}

struct HostileCase
{
    const char* what;
    std::string text;
    std::vector<std::string> steps;
    const char* reportSays;
    std::function<void(const DrawList&)> check;
};

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

const char kNoise[] = "\x01\xff\x00\x7f(((,,,)))\n\t\r\n\xc3\x28 END\n";

TEST(DrawListParse, HostileFilesAreReportedAndLoadWhatIsSound)
{
    const HostileCase cases[] = {
        {"an empty file", "", {}, "three header lines", [](const DrawList& c) { EXPECT_TRUE(c.IsEmpty()); }},
        {"a short header",
         "Name N\nClose",
         {},
         "three header lines",
         [](const DrawList& c) {
             EXPECT_EQ(c.name, "N");
             EXPECT_EQ(c.sceneTarget, 0);
         }},
        {"a scene target in the empty slots",
         "Name N\nClose C\nScene 5\nA END\nB END\n",
         {},
         "scene target 5",
         [](const DrawList& c) { EXPECT_EQ(c.sceneTarget, 0); }},
        {"a huge scene target",
         "Name N\nClose C\nScene 99999999999\nA END\nB END\n",
         {},
         "not a usable number",
         [](const DrawList& c) { EXPECT_EQ(c.sceneTarget, 0); }},
        {"a destination outside the table",
         Header() + Fse("Bad").replace(Fse("Bad").find("Dst 13"), 6, "Dst 16") + Fse("Good"),
         {"Good"},
         "destination 16",
         nullptr},
        {"a render list outside 0 to 4",
         Header() + Scene("Bad").replace(Scene("Bad").find("List 0"), 6, "List 5") + Scene("Good"),
         {"Good"},
         "render list 5",
         nullptr},
        {"bindings and swaps into empty slots and past the textures",
         Header("A SceneTex 3\nA BloomTex 11\nA END\n") +
             "Step FSE\n N F\n T T\n S 0\n D 13\n F None\n R Whole\n C END\n SB END\n SA END\n Tex Noise 86\n Tex "
             "Noise 81\n Tex END\n"
             " Tg HeatTex -1\n Tg END\n Sw 2 13\n Sw 13 14\n Sw END\n",
         {"F"},
         "names no render target",
         [](const DrawList& c) {
             ASSERT_EQ(c.textureBindings.size(), 1u);
             EXPECT_EQ(c.textureBindings[0].parameter, "BloomTex");
             const PostProcessPass& p = c.steps[0].postProcessPasses[0];
             ASSERT_EQ(p.textureBindings.size(), 1u);
             EXPECT_EQ(p.textureBindings[0].index, 81);
             EXPECT_TRUE(p.targetBindings.empty());
             ASSERT_EQ(p.swaps.size(), 1u);
             EXPECT_EQ(p.swaps[0].first, 13u);
         }},
        {"missing and non-numeric values become 0",
         Header() + "Step DrawList\n N S\n L 0\n T 0\n C 1 0.5\n C 1 x 0 0 0 1 0\n C END\n RB END\n RA END\n SB 0\n SB "
                    "END\n SA END\n Tex END\n",
         {"S"},
         "missing",
         [](const DrawList& c) {
             const RenderListPass& p = c.steps[0].renderListPasses[0];
             ASSERT_EQ(p.clears.size(), 2u);
             EXPECT_FLOAT_EQ(p.clears[0].red, 0.5f);
             EXPECT_EQ(p.clears[0].green, 0.0f);
             EXPECT_EQ(p.clears[1].red, 0.0f);
             EXPECT_EQ(p.samplerStatesBefore.size(), 1u);
         }},
        {"NaN and infinity",
         Header() + Fse("G", "Gauss5 nan") + Fse("B", "BloomW inf 1e999"),
         {"G", "B"},
         "not a usable number",
         [](const DrawList& c) {
             EXPECT_EQ(c.steps[0].postProcessPasses[0].filter.multiplier, 0.0f);
             EXPECT_FLOAT_EQ(c.steps[1].postProcessPasses[0].filter.deviation, kDefaultBloomDeviation);
         }},
        {"a bloom deviation of zero or below",
         Header() + Fse("Z", "BloomW 0 1") + Fse("N", "BloomH -2 1"),
         {"Z", "N"},
         "deviation",
         [](const DrawList& c) {
             EXPECT_FLOAT_EQ(c.steps[0].postProcessPasses[0].filter.deviation, 1.0f);
             EXPECT_FLOAT_EQ(c.steps[1].postProcessPasses[0].filter.deviation, 1.0f);
         }},
        {"samplers and render states the device does not have",
         Header("A END\n", "Sampler 2147483647 99 -1\nSampler 8 99 0\nSampler 8 1 3\nB END\n") +
             Scene("S", " RS 2147483647 0\n RS 14 0\n"),
         {"S"},
         "sampler 2147483647",
         [](const DrawList& c) {
             ASSERT_EQ(c.samplerStates.size(), 1u);
             EXPECT_EQ(c.samplerStates[0].type, 1u);
             ASSERT_EQ(c.steps[0].renderListPasses[0].renderStatesBefore.size(), 1u);
             EXPECT_EQ(c.steps[0].renderListPasses[0].renderStatesBefore[0].type, 14u);
         }},
        {"an unknown filter",
         Header() + Fse("U", "Box9"),
         {"U"},
         "unknown filter",
         [](const DrawList& c) { EXPECT_EQ(c.steps[0].postProcessPasses[0].filter.kind, SampleFilter::kNone); }},
        {"an over-long line ends the file",
         Header("A SceneTex 0\nA " + std::string(1200, 'x') + " 0\nA END\n") + Fse("F"),
         {},
         "ends inside a list",
         [](const DrawList& c) { EXPECT_EQ(c.textureBindings.size(), 1u); }},
        {"a file cut inside a step",
         Header() + Fse("Whole") + "Step FSE\n Name Cut\n Tech T\n",
         {"Whole"},
         "inside the step",
         nullptr},
        {"too many records",
         Header(Repeat("A SceneTex 0\n", 100) + "A END\n") + Fse("F"),
         {"F"},
         "more than 64 records",
         [](const DrawList& c) { EXPECT_EQ(c.textureBindings.size(), 64u); }},
        {"too many steps", Header() + Repeat(Fse("F"), 70), std::vector<std::string>(64, "F"), "more than 64 steps",
         nullptr},
        {"binary noise", std::string(kNoise, sizeof(kNoise) - 1), {}, "", nullptr},
    };
    for (const HostileCase& k : cases) {
        SCOPED_TRACE(k.what);
        DrawList chain;
        const Reports reports = LoadText(k.text, chain);
        EXPECT_EQ(StepNames(chain), k.steps);
        EXPECT_GE(reports.count, 1) << reports.text;
        EXPECT_NE(reports.text.find(k.reportSays), std::string::npos) << reports.text;
        if (k.check) k.check(chain);
    }
}

TEST(DrawListParse, MissingFilesGiveAnEmptyChainAndFloodsAreCapped)
{
    DrawList missing;
    missing.name = "stale";
    Reports r = CaptureReports([&] { EXPECT_FALSE(missing.Load("../Config/NoSuchChain.cfg")); });
    EXPECT_EQ(r.count, 1);
    EXPECT_NE(r.text.find("NoSuchChain.cfg"), std::string::npos);
    EXPECT_TRUE(missing.IsEmpty());
    EXPECT_EQ(missing.name, "NoSuchChain"); // the file's own name, nothing stale

    DrawList flood;
    r = LoadText(Header(Repeat("A SceneTex 5\n", 60) + "A END\n") + Fse("F"), flood);
    EXPECT_EQ(r.count, 16) << r.text;
    EXPECT_NE(r.text.find("further problems"), std::string::npos);
    EXPECT_EQ(StepNames(flood), std::vector<std::string>{"F"});
}

TEST(DrawListParse, ShippedFilesLoadCleanlyWithTheSceneInOrder)
{
    std::set<std::string> names;
    for (const char* file : kShippedDrawLists) {
        SCOPED_TRACE(file);
        DrawList chain;
        const Reports r = CaptureReports([&] { EXPECT_TRUE(chain.Load(ShippedDrawList(file))); });
        EXPECT_EQ(r.count, 0) << r.text;
        const std::string stem = std::string(file).substr(0, std::string(file).size() - 4);
        EXPECT_EQ(chain.name, stem); // only Blur.cfg is called "Blur"
        names.insert(chain.name);
        EXPECT_FALSE(chain.closingTechnique.empty());
        EXPECT_EQ(chain.sceneTarget, 0);

        std::vector<int> sceneLists;
        for (const DrawListGroup& g : chain.steps) {
            for (const RenderListPass& p : g.renderListPasses) {
                sceneLists.push_back(p.renderList);
                EXPECT_EQ(p.target, chain.sceneTarget);
                const bool depthWrites = p.renderList == 0 || p.renderList == 2;
                EXPECT_EQ(p.renderStatesBefore.empty(), depthWrites) << "list " << p.renderList;
                for (const RenderStateRecord& s : p.renderStatesBefore) {
                    if (s.type == D3DRS_ZWRITEENABLE) {
                        EXPECT_EQ(s.value, 0u);
                    }
                }
            }
            for (const PostProcessPass& p : g.postProcessPasses) {
                EXPECT_NE(p.source, p.destination) << p.name;
                for (const TextureBinding& b : p.targetBindings) EXPECT_NE(b.index, p.destination) << p.name;
                EXPECT_TRUE(p.swaps.empty());
            }
        }
        EXPECT_EQ(sceneLists, (std::vector<int>{0, 2, 1, 3}));
    }
    EXPECT_EQ(names.size(), 6u);
}

} // namespace
