// The effect file format without a device: preprocessor, declarations, passes.
#include <gtest/gtest.h>
#include "TempFiles.h"

#include "effect_parse.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

using lvfx::EffectDesc;
using lvfx::EffectError;
using lvfx::EffectSource;

struct Parsed
{
    EffectSource source;
    EffectDesc desc;
    std::vector<EffectError> errors;
    bool ok = false;
};

Parsed Parse(const std::string& text, const D3DXMACRO* macros = nullptr, const std::string& folder = "")
{
    Parsed p;
    p.ok = lvfx::Preprocess(text, "test.fx", folder, macros, p.source, p.errors) &&
           lvfx::ParseEffect(p.source, p.desc, p.errors);
    return p;
}

const char* const kMinimalTechnique = "technique T { pass P { fragment { void main() { oColor = vec4(1.0); } } } }\n";

TEST(EffectParseTest, ConditionalsFollowMacrosFromTheCallerAndTheFile)
{
    const D3DXMACRO macros[] = {{"LEVEL", "3"}, {"FAST", nullptr}, {nullptr, nullptr}};
    const Parsed p = Parse("#if LEVEL >= 3 && defined(FAST)\n"
                           "float A;\n"
                           "#elif LEVEL == 2\n"
                           "float B;\n"
                           "#else\n"
                           "float C;\n"
                           "#endif\n"
                           "#define SIZE (2 * 4)\n"
                           "#ifndef SIZE\n"
                           "float D;\n"
                           "#endif\n"
                           "#undef FAST\n"
                           "#ifdef FAST\n"
                           "float E;\n"
                           "#endif\n" +
                               std::string(kMinimalTechnique),
                           macros);
    ASSERT_TRUE(p.ok) << (p.errors.empty() ? "" : p.errors[0].message);
    ASSERT_EQ(p.desc.params.size(), 1u);
    EXPECT_EQ(p.desc.params[0].name, "A");
    EXPECT_NE(p.source.Macro("SIZE"), nullptr);
    EXPECT_EQ(p.source.Macro("FAST"), nullptr);
}

TEST(EffectParseTest, ParametersKeepTypesSizesDefaultsAndRegisters)
{
    const D3DXMACRO macros[] = {{"PALETTE", "26"}, {nullptr, nullptr}};
    const Parsed p = Parse("float4x4 amPalette[PALETTE];\n"
                           "float3 LightPos[8];\n"
                           "float4 DiffCol = {0.5, 1, -2, 0x10};\n"
                           "int Count = PALETTE;\n"
                           "bool On = true;\n"
                           "sampler2D SceneTex;\n"
                           "sampler2D MeshTexture : register(s0);\n"
                           "sampler3D NoiseTex : register(s5) { AddressU = Clamp; MinFilter = Linear; };\n" +
                               std::string(kMinimalTechnique),
                           macros);
    ASSERT_TRUE(p.ok) << (p.errors.empty() ? "" : p.errors[0].message);
    const auto& params = p.desc.params;
    ASSERT_EQ(params.size(), 8u);
    EXPECT_EQ(params[0].Bytes(), 26u * 64u);
    EXPECT_EQ(params[0].GlslType(), "mat4");
    EXPECT_EQ(params[1].Bytes(), 96u); // the tightly packed float3 array the game sets
    EXPECT_EQ(params[1].GlslType(), "vec3");
    float diffuse[4];
    std::memcpy(diffuse, params[2].defaults.data(), 16);
    EXPECT_EQ(diffuse[0], 0.5f);
    EXPECT_EQ(diffuse[2], -2.f);
    EXPECT_EQ(diffuse[3], 16.f);
    int32_t count = 0;
    std::memcpy(&count, params[3].defaults.data(), 4);
    EXPECT_EQ(count, 26);
    // Samplers without a register take the lowest free one, explicit ones are kept.
    EXPECT_EQ(params[5].samplerUnit, 0);
    EXPECT_EQ(params[6].samplerUnit, 0);
    EXPECT_EQ(params[7].samplerUnit, 5);
    ASSERT_EQ(params[7].samplerStates.size(), 2u);
    EXPECT_EQ(params[7].samplerStates[0].first, D3DSAMP_ADDRESSU);
    EXPECT_EQ(params[7].samplerStates[0].second, DWORD(D3DTADDRESS_CLAMP));
}

TEST(EffectParseTest, PassesRecordStatesAndShaders)
{
    const Parsed p =
        Parse("vertex V { void main() { gl_Position = iPosition; } }\n"
              "fragment F { void main() { oColor = vec4(X); } }\n"
              "technique Glow {\n"
              "  pass A { AlphaBlendEnable = TRUE; SrcBlend = srcalpha; DestBlend = InvSrcAlpha;\n"
              "           BlendOp = RevSubtract; CullMode = None; ZFunc = Always; ColorWriteEnable = 0x7;\n"
              "           vertex = V; fragment = F(X = 0.5, Y); }\n"
              "  pass { fragment = F(X=1); }\n"
              "}\n");
    ASSERT_TRUE(p.ok) << (p.errors.empty() ? "" : p.errors[0].message);
    ASSERT_EQ(p.desc.techniques.size(), 1u);
    const auto& passes = p.desc.techniques[0].passes;
    ASSERT_EQ(passes.size(), 2u);
    const std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> expected = {
        {D3DRS_ALPHABLENDENABLE, 1}, {D3DRS_SRCBLEND, 5}, {D3DRS_DESTBLEND, 6},       {D3DRS_BLENDOP, 3},
        {D3DRS_CULLMODE, 1},         {D3DRS_ZFUNC, 8},    {D3DRS_COLORWRITEENABLE, 7}};
    EXPECT_EQ(passes[0].states, expected);
    EXPECT_EQ(passes[0].fragment.defines.size(), 2u);
    EXPECT_EQ(passes[1].name, "P1");
    EXPECT_FALSE(passes[1].vertex.present);
    std::string vertex, fragment;
    EXPECT_TRUE(lvfx::StageText(p.source, p.desc, passes[0], lvfx::Stage::Vertex, vertex));
    EXPECT_FALSE(lvfx::StageText(p.source, p.desc, passes[1], lvfx::Stage::Vertex, vertex));
    ASSERT_TRUE(lvfx::StageText(p.source, p.desc, passes[0], lvfx::Stage::Fragment, fragment));
    EXPECT_NE(fragment.find("#define X 0.5"), std::string::npos);
    EXPECT_NE(fragment.find("#define Y 1"), std::string::npos);
    EXPECT_NE(fragment.find("#line 2 0"), std::string::npos) << fragment;
}

TEST(EffectParseTest, BlocksKeepTheirConditionalsForTheShaderCompiler)
{
    const Parsed p = Parse("fragment F {\n"
                           "#ifdef HALF\n"
                           "  void main() { oColor = vec4(0.5); }\n"
                           "#else\n"
                           "  void main() { oColor = vec4(1.0); }\n"
                           "#endif\n"
                           "}\n"
                           "technique T { pass P { fragment = F(HALF); } }\n");
    ASSERT_TRUE(p.ok) << (p.errors.empty() ? "" : p.errors[0].message);
    const std::string& body = p.desc.shaders[0].body;
    EXPECT_NE(body.find("#ifdef HALF"), std::string::npos);
    EXPECT_NE(body.find("vec4(0.5)"), std::string::npos);
    EXPECT_NE(body.find("vec4(1.0)"), std::string::npos);
}

TEST(EffectParseTest, ErrorsNameTheFileAndLineIncludingIncludedFiles)
{
    const std::string folder = ScratchPath("effect_parse");
    ASSERT_EQ(std::system(("mkdir -p '" + folder + "'").c_str()), 0);
    std::ofstream(folder + "/common.fxh") << "float4 A;\n\nfloat4 B = {1, 2};\nfloat4 C = ;\n";
    std::ofstream(folder + "/self.fxh") << "#include \"self.fxh\"\n";
    Parsed p = Parse("// header\n#include \"Common.fxh\"\n" + std::string(kMinimalTechnique), nullptr, folder);
    ASSERT_FALSE(p.ok);
    ASSERT_FALSE(p.errors.empty());
    EXPECT_EQ(p.errors[0].file, "Common.fxh");
    EXPECT_EQ(p.errors[0].line, 4);
    EXPECT_NE(p.errors[0].message.find("expected a number"), std::string::npos);

    p = Parse("#include \"self.fxh\"\n", nullptr, folder);
    ASSERT_FALSE(p.ok);
    EXPECT_NE(p.errors[0].message.find("nested too deeply"), std::string::npos);
    p = Parse("#include \"absent.fxh\"\n", nullptr, folder);
    EXPECT_NE(p.errors[0].message.find("cannot open"), std::string::npos);
    // Twice at every level would read the file 2^16 times; the count of includes stops it.
    std::ofstream(folder + "/twice.fxh") << "#include \"twice.fxh\"\n#include \"twice.fxh\"\n";
    p = Parse("#include \"twice.fxh\"\n", nullptr, folder);
    ASSERT_FALSE(p.ok);
    EXPECT_TRUE(std::any_of(p.errors.begin(), p.errors.end(), [](const EffectError& e) {
        return e.message.find("more than 64 #include lines") != std::string::npos;
    }));

    const struct
    {
        const char* text;
        const char* message;
    } cases[] = {
        {"float4 A;\nfloat4 A;\n", "declared twice"},
        {"float2x3 M;\n", "unknown type or keyword"},
        {"float A : register(s1);\n", "only samplers take a register"},
        {"sampler2D S : register(s99);\n", "only samplers take a register"},
        {"float A[0];\n", "array size"},
        {"float A = {1, 2};\n", "too many default values"},
        {"technique T { pass P { Fog = 1; fragment { void main() {} } } }\n", "unknown pass state Fog"},
        {"technique T { pass P { ZEnable = false; } }\n", "has no fragment shader"},
        {"technique T { pass P { fragment = Nowhere; } }\n", "no fragment shader named Nowhere"},
        {"technique T { }\n", "has no pass"},
        {"#bogus\n", "unknown directive"},
        {"#if (1 +\n#endif\n", "cannot evaluate"},
        {"#else\n", "without #if"},
        {"float A = \"text\";\n", "expected a number"},
        {"int A = 1e54;\n", "default value out of range for A"},
        {"int A = -2147483649;\n", "default value out of range for A"},
    };
    for (const auto& c : cases) {
        p = Parse(c.text);
        EXPECT_FALSE(p.ok) << c.text;
        ASSERT_FALSE(p.errors.empty()) << c.text;
        EXPECT_NE(p.errors[0].message.find(c.message), std::string::npos) << c.text << " gave " << p.errors[0].message;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

TEST(EffectParseTest, ConditionsWrapRoundAndNestOnlySoDeep)
{
    // Two's complement throughout: these hold, where plain long arithmetic
    // would be undefined or stop the program (LONG_MIN / -1).
    const std::string longMin = "(-9223372036854775807 - 1)";
    const std::vector<std::string> holding = {
        "9223372036854775807 + 1 < 0", longMin + " / -1 < 0",
        longMin + " % -1 == 0",        "-" + longMin + " < 0",
        "3037000500 * 3037000500 < 0", std::string(60, '(') + "1" + std::string(60, ')')};
    for (const std::string& condition : holding) {
        const Parsed p = Parse("#if " + condition + "\nfloat A;\n#endif\n" + kMinimalTechnique);
        ASSERT_TRUE(p.ok) << condition << ": " << (p.errors.empty() ? "" : p.errors[0].message);
        EXPECT_EQ(p.desc.params.size(), 1u) << condition;
    }
    for (const std::string& deep : {std::string(200, '(') + "1" + std::string(200, ')'), std::string(5000, '!') + "1",
                                    std::string(5000, '-') + "1"}) {
        const Parsed p = Parse("#if " + deep + "\n#endif\n" + kMinimalTechnique);
        ASSERT_FALSE(p.ok);
        EXPECT_NE(p.errors[0].message.find("cannot evaluate"), std::string::npos);
    }
}

TEST(EffectParseTest, TruncatedAndDamagedFilesFailCleanly)
{
    const std::string text = "#define N 4\n"
                             "float4 Col = {1, 0.5, 0, 1};\n"
                             "float2 Offsets[N];\n"
                             "sampler2D Tex : register(s1) { MinFilter = Linear; };\n"
                             "glsl { vec4 F(vec4 c) { return c; } }\n"
                             "fragment P { void main() { oColor = F(Col); } }\n"
                             "technique T { pass A { ZEnable = false; SrcBlend = One; fragment = P(X = 2); } }\n";
    ASSERT_TRUE(Parse(text).ok);
    // Every prefix, and every byte replaced by characters that matter to the grammar: no crash, no hang,
    // and a failure always comes with a message.
    for (size_t n = 0; n < text.size(); ++n) {
        const Parsed p = Parse(text.substr(0, n));
        EXPECT_TRUE(p.ok || !p.errors.empty());
    }
    for (size_t i = 0; i < text.size(); ++i) {
        for (char c : {'{', '}', ';', '#', '"', '\0', '-', '/'}) {
            std::string damaged = text;
            damaged[i] = c;
            const Parsed p = Parse(damaged);
            EXPECT_TRUE(p.ok || !p.errors.empty());
        }
    }
}

} // namespace
