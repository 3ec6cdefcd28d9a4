// Reading particle definitions: every field and default, the reading rules
// of attributes and indexed lists, hostile values, and the loading of a
// folder of files with its reports.
#include <gtest/gtest.h>

#include <cfloat>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "particles/ParticleBehaviours.h"
#include "particles/fPartFactory.h"
#include "tests/particles/ParticleTestSupport.h"

namespace {

const ParticleSystemDef& Def(const std::string& name)
{
    static const ParticleSystemDef kMissing;
    const ParticleSystemDef* def = gPartFactory->FindDefinition(name);
    EXPECT_NE(def, nullptr) << name;
    return def ? *def : kMissing;
}

std::string System(const std::string& name, const std::string& body)
{
    return "<system><name>" + name + "</name>" + body + "</system>";
}

using DefinitionsTest = ParticleTest;

TEST_F(DefinitionsTest, EveryElementReadsBackIntoItsField)
{
    Define(R"(<system>
      <name>  Full
        Type </name>
      <APPEARANCE blendmode="2" technique="ParticleAdditive" start_tex="36" end_tex="40" random_start_tex="1"
                  cycle_tex="1" random_cycle="1" tex_interval="0.08" scale_in="1" scale_in_life="0.25">
        <COLOUR0 life="0" r="1" g="0.5" b="0.25" a="1"/>
        <COLOUR1 life="1" r="0.1" g="0.2" b="0.3" a="0.4"/>
      </APPEARANCE>
      <EMISSION0 numemitted="7" delay="0.5" type="Child" align_to_motion="1" emit_once="1"
                 minscale="0.5" maxscale="2">
        <minvel x="-1" y="-2" z="-3"/><maxvel x="1" y="2" z="3"/>
      </EMISSION0>
      <EMISSION1 numemitted="2" type="Other"/>
      <PHYSICS mass="2.5" gravity="0"/>
      <STATUS resting="1" aging="0" lifetime="3.5" rotating="1" angles_per_sec="90"/>
      <BEHAVIOUR0 func="GroundCollision"/>
      <BEHAVIOUR1 func="OrbitParent"/>
    </system>)");

    const ParticleSystemDef& def = Def("Full Type");
    const AppearanceDef& a = def.appearance;
    EXPECT_EQ(a.present, 1);
    EXPECT_EQ(a.blendmode, 2);
    EXPECT_EQ(a.technique, "ParticleAdditive");
    EXPECT_EQ(a.start_tex, 36u);
    EXPECT_EQ(a.end_tex, 40u);
    EXPECT_EQ(a.random_start_tex, 1);
    EXPECT_EQ(a.cycle_tex, 1);
    EXPECT_EQ(a.random_cycle, 1);
    EXPECT_FLOAT_EQ(a.tex_interval, 0.08f);
    EXPECT_EQ(a.scale_in, 1);
    EXPECT_FLOAT_EQ(a.scale_in_life, 0.25f);
    ASSERT_EQ(a.colours.size(), 2u);
    EXPECT_FLOAT_EQ(a.colours[0].g, 0.5f);
    EXPECT_FLOAT_EQ(a.colours[0].b, 0.25f);
    EXPECT_FLOAT_EQ(a.colours[1].life, 1.0f);
    EXPECT_FLOAT_EQ(a.colours[1].a, 0.4f);

    ASSERT_EQ(def.emissions.size(), 2u);
    const EmissionDef& e = def.emissions[0];
    EXPECT_EQ(e.numemitted, 7u);
    EXPECT_FLOAT_EQ(e.delay, 0.5f);
    EXPECT_EQ(e.type, "Child");
    EXPECT_EQ(e.align_to_motion, 1);
    EXPECT_EQ(e.emit_once, 1);
    EXPECT_FLOAT_EQ(e.minscale, 0.5f);
    EXPECT_FLOAT_EQ(e.maxscale, 2.0f);
    EXPECT_EQ(e.minvel, Vector3(-1, -2, -3));
    EXPECT_EQ(e.maxvel, Vector3(1, 2, 3));
    // Absent attributes keep the emitter's defaults: a delay that never fires.
    EXPECT_EQ(def.emissions[1].delay, FLT_MAX);
    EXPECT_EQ(def.emissions[1].minscale, 1.0f);
    EXPECT_EQ(def.emissions[1].maxvel, Vector3());

    EXPECT_FLOAT_EQ(def.mass, 2.5f);
    EXPECT_EQ(def.gravity, 0);
    EXPECT_EQ(def.resting, 1);
    EXPECT_EQ(def.aging, 0);
    EXPECT_FLOAT_EQ(def.lifetime, 3.5f);
    EXPECT_EQ(def.rotating, 1);
    EXPECT_FLOAT_EQ(def.angles_per_sec, 90.0f);
    EXPECT_EQ(def.behaviours, (std::vector<BehaviourFn>{GroundCollision, OrbitParent}));
}

struct ReadingCase
{
    const char* what;
    std::string systems;
    const char* report; // expected in the error stream; "" for silence
    std::function<void()> check;
};

TEST_F(DefinitionsTest, ReadingRulesDefaultsAndHostileValues)
{
    const std::vector<ReadingCase> cases = {
        {"no optional element: every default", System("Bare", ""), "",
         [] {
             const ParticleSystemDef& d = Def("Bare");
             EXPECT_EQ(d.appearance.present, 0);
             EXPECT_EQ(d.gravity, 1);
             EXPECT_EQ(d.aging, 1);
             EXPECT_EQ(d.lifetime, 0.0f);
             EXPECT_EQ(d.mass, 1.0f);
             EXPECT_TRUE(d.emissions.empty() && d.behaviours.empty());
         }},
        {"\"true\" leaves an int, \"1.5\" reads 1, \"0\" switches off",
         System("Ints", R"(<PHYSICS gravity="true"/><STATUS aging="0" rotating="1.5" resting=" 1"/>)"), "",
         [] {
             EXPECT_EQ(Def("Ints").gravity, 1);
             EXPECT_EQ(Def("Ints").aging, 0);
             EXPECT_EQ(Def("Ints").rotating, 1);
             EXPECT_EQ(Def("Ints").resting, 1);
         }},
        {"indexed lists end at the first gap", System("Gap", R"(<EMISSION0 numemitted="1"/><EMISSION2 numemitted="2"/>
                          <APPEARANCE><COLOUR1 life="1"/></APPEARANCE><BEHAVIOUR1 func="OrbitParent"/>)"),
         "",
         [] {
             EXPECT_EQ(Def("Gap").emissions.size(), 1u);
             EXPECT_TRUE(Def("Gap").appearance.colours.empty());
             EXPECT_TRUE(Def("Gap").behaviours.empty());
         }},
        {"a COLOUR0 directly under system is not a colour key",
         System("Loose", R"(<APPEARANCE/><COLOUR0 life="0" r="1"/>)"), "",
         [] { EXPECT_TRUE(Def("Loose").appearance.colours.empty()); }},
        {"a later system of the same name replaces the earlier whole",
         System("Twice", R"(<PHYSICS mass="5"/><STATUS lifetime="2"/>)") + System("Twice", R"(<STATUS lifetime="3"/>)"),
         "",
         [] {
             EXPECT_EQ(Def("Twice").lifetime, 3.0f);
             EXPECT_EQ(Def("Twice").mass, 1.0f);
         }},
        {"missing velocities and colour attributes read 0",
         System("Partial", R"(<EMISSION0 numemitted="1"><maxvel y="2"/></EMISSION0>
                              <APPEARANCE><COLOUR0 r="1"/><COLOUR1/></APPEARANCE>)"),
         "",
         [] {
             EXPECT_EQ(Def("Partial").emissions[0].minvel, Vector3());
             EXPECT_EQ(Def("Partial").emissions[0].maxvel, Vector3(0, 2, 0));
             const ColourKey& k = Def("Partial").appearance.colours[0];
             EXPECT_TRUE(k.r == 1 && k.g == 0 && k.b == 0 && k.a == 0 && k.life == 0);
         }},
        {"negative counts and non-finite floats do not read",
         System("Hostile", R"(<EMISSION0 numemitted="-1" delay="inf" minscale="nan" maxscale="1e60">
                                <minvel x="nan" y="-inf" z="3"/></EMISSION0>
                              <APPEARANCE start_tex="-5" tex_interval="NaN"/><STATUS lifetime="inf"/>)"),
         "",
         [] {
             const EmissionDef& e = Def("Hostile").emissions[0];
             EXPECT_EQ(e.numemitted, 0u);
             EXPECT_EQ(e.delay, FLT_MAX);
             EXPECT_EQ(e.minscale, 1.0f);
             EXPECT_EQ(e.maxscale, 1.0f);
             EXPECT_EQ(e.minvel, Vector3(0, 0, 3));
             EXPECT_EQ(Def("Hostile").appearance.start_tex, 0u);
             EXPECT_EQ(Def("Hostile").appearance.tex_interval, 0.0f);
             EXPECT_EQ(Def("Hostile").lifetime, 0.0f);
         }},
        {"a burst above a thousand is cut to a thousand",
         System("Flood", R"(<EMISSION0 numemitted="4000000000"/><EMISSION1 numemitted="1000"/>)"),
         "Particle burst too large, limited to 1000\nFlood\nFailed in file: fPartFactory",
         [] {
             EXPECT_EQ(Def("Flood").emissions[0].numemitted, 1000u);
             EXPECT_EQ(Def("Flood").emissions[1].numemitted, 1000u);
         }},
        {"texture ids past the table are brought back to its last",
         System("FarTexture", R"(<APPEARANCE start_tex="85" end_tex="4000"/>)"),
         "Particle texture id out of range\nFarTexture",
         [] {
             EXPECT_EQ(Def("FarTexture").appearance.start_tex, 85u);
             EXPECT_EQ(Def("FarTexture").appearance.end_tex, 85u);
         }},
        {"a reversed texture range is reported and kept",
         System("Reversed", R"(<APPEARANCE start_tex="5" end_tex="3"/>)"),
         "Invalid range of textures specified for particle system\n"
         "Textures must be specified in a sequential range.\nFailed in file: fPartFactory\nOn line: 162\n",
         [] {
             EXPECT_EQ(Def("Reversed").appearance.start_tex, 5u);
             EXPECT_EQ(Def("Reversed").appearance.end_tex, 3u);
         }},
        {"an unknown behaviour is left out with a report",
         System("Odd", R"(<BEHAVIOUR0 func="Levitate"/><BEHAVIOUR1 func="OrbitParent"/>)"),
         "Unknown particle behaviour\nLevitate\nFailed in file: fPartFactory",
         [] { EXPECT_EQ(Def("Odd").behaviours, std::vector<BehaviourFn>{OrbitParent}); }},
        {"systems without a name, with an empty one, or a comment reading system are skipped",
         "<system><STATUS lifetime=\"1\"/></system><system><name> </name></system><!--system-->"
         "<other><name>Other</name></other>",
         "Particle system without a name skipped", [] { EXPECT_EQ(gPartFactory->GetDefinitionCount(), 0u); }},
    };
    for (const ReadingCase& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        testing::internal::CaptureStderr();
        Define(c.systems);
        const std::string errors = testing::internal::GetCapturedStderr();
        if (*c.report) {
            EXPECT_NE(errors.find(c.report), std::string::npos) << errors;
        } else {
            EXPECT_EQ(errors, "");
        }
        c.check();
    }
}

// A scratch folder of definition files, removed with the test.
struct DefinitionFolder
{
    explicit DefinitionFolder(const std::vector<std::pair<std::string, std::string>>& files)
    {
        static int count = 0;
        path = testing::TempDir() + "particles_definitions_" + std::to_string(++count) + "/";
        std::filesystem::create_directories(path);
        for (const auto& [name, text] : files) std::ofstream(path + name) << text;
    }
    ~DefinitionFolder() { std::filesystem::remove_all(path); }
    std::string path;
};

std::string File(const std::string& systemName)
{
    return "<?xml version=\"1.0\"?>\n<DEFINITIONS>" + System(systemName, "<STATUS lifetime=\"1\"/>") + "</DEFINITIONS>";
}

struct FolderCase
{
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;
    bool result;
    std::vector<std::string> defined;
    std::string report;
    std::function<void()> check = [] {};
};

TEST_F(DefinitionsTest, LoadingAFolderInListingOrder)
{
    const std::string kRootless = "<?xml version=\"1.0\"?><PARTICLES><system><name>Lost</name></system></PARTICLES>";
    const std::vector<FolderCase> cases = {
        {"every *.xml is read, whatever the case of its extension",
         {{"a.xml", File("A")}, {"B.XML", File("B")}, {"notes.txt", File("Txt")}},
         true,
         {"A", "B"},
         ""},
        {"a later file's system replaces an earlier one of that name",
         {{"b.xml", "<DEFINITIONS>" + System("Same", "<STATUS lifetime=\"2\"/>") + "</DEFINITIONS>"},
          {"A.xml", "<DEFINITIONS>" + System("Same", "<STATUS lifetime=\"1\"/>") + "</DEFINITIONS>"}},
         true,
         {"Same"},
         "",
         [] { EXPECT_EQ(Def("Same").lifetime, 2.0f); }},
        {"a file without a root ends the load; earlier files stay",
         {{"1.xml", File("First")}, {"2.xml", kRootless}, {"3.xml", File("Third")}},
         false,
         {"First"},
         "DEFINITIONS symbol not found in particle file\nFailed in file: fPartFactory\nOn line: 88\n"},
        {"a malformed file is skipped without a word",
         {{"1.xml", "<DEFINITIONS><system><name>Broken"}, {"2.xml", File("After")}},
         true,
         {"After"},
         ""},
        {"an empty folder",
         {},
         false,
         {},
         "No particle systems files located\nFailed in file: fPartFactory\nOn line: 65\n"},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        DefinitionFolder folder(c.files);
        testing::internal::CaptureStderr();
        EXPECT_EQ(gPartFactory->LoadDefinitionsFrom(folder.path), c.result);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.report);
        std::vector<std::string> defined;
        for (const auto& entry : gPartFactory->GetDefinitions()) defined.push_back(entry.first);
        EXPECT_EQ(defined, c.defined);
        c.check();
    }

    testing::internal::CaptureStderr();
    EXPECT_FALSE(gPartFactory->LoadDefinitionsFrom(testing::TempDir() + "no_such_particle_folder/"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "No particle systems files located\nFailed in file: fPartFactory\nOn line: 65\n");
}

// The game's own files: every type the game asks for by name exists, and
// every type an emitter names is defined, with the authoring rules kept.
TEST_F(DefinitionsTest, ShippedFilesDefineEveryRequestedTypeSoundly)
{
    LoadShippedDefinitions();
    const std::vector<std::string> permanent = {"TorchEmitter", "SparkleEmitter", "AtomSparkleEmitter",
                                                "DustKickup",   "MistEmitter",    "WaterSpout"};
    const std::vector<std::string> inPlace = {"AtomSparkleEmitter", "DustKickupBlur", "DustEmitter",  "LavaSplash",
                                              "MistEmitter",        "WaterSpout",     "LavaFountain", "LavaDolphin",
                                              "Explosion",          "BridgeBreak"};
    for (const std::string& name : permanent) EXPECT_EQ(Def(name).aging, 0) << name;
    for (const std::string& name : inPlace) EXPECT_EQ(Def(name).gravity, 0) << name;
    EXPECT_EQ(Def("DustKickup").appearance.present, 0);
    EXPECT_EQ(Def("DustKickup").behaviours, std::vector<BehaviourFn>{UpdateOnPlayerMove});

    for (const auto& entry : gPartFactory->GetDefinitions()) {
        SCOPED_TRACE(entry.first);
        const ParticleSystemDef& def = entry.second;
        EXPECT_EQ(def.resting, 0);
        EXPECT_TRUE(def.aging == 0 || def.lifetime > 0.0f);
        if (def.appearance.present) {
            EXPECT_GE(def.appearance.colours.size(), 2u);
            EXPECT_LE(def.appearance.start_tex, def.appearance.end_tex);
            EXPECT_EQ(def.appearance.technique, def.appearance.blendmode ? "ParticleAdditive" : "ParticleAlpha");
        }
        for (const EmissionDef& emission : def.emissions) {
            EXPECT_NE(gPartFactory->FindDefinition(emission.type), nullptr) << emission.type;
            EXPECT_NE(emission.type, entry.first);
            EXPECT_GT(emission.delay, 0.0f);
            EXPECT_LT(emission.delay, 10.0f);
        }
        for (BehaviourFn fn : def.behaviours) EXPECT_TRUE(fn != SpoutDirParent && fn != SpoutOppositeDirParent);
    }
}

} // namespace
