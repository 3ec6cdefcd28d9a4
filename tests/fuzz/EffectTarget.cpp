// The effect file reader without a device, as far as a device would take it:
// the file read from its folder (its #include lines may name itself), the
// preprocessor with the macro the game defines, the declarations, and the
// GLSL text of both stages of every pass. A parsed effect's parameters carry
// exactly the default bytes their types and counts say.
#include "FuzzSupport.h"

#include <algorithm>
#include <string>
#include <vector>

#include "effect_parse.h"

namespace {

const D3DXMACRO kGameMacros[] = {{"MATRIX_PALETTE_SIZE", "35"}, {nullptr, nullptr}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = WriteFuzzFile("input.fx", data, size);
    std::string text;
    if (!lvfx::ReadTextFile(path, text)) return 0;
    lvfx::EffectSource source;
    lvfx::EffectDesc desc;
    std::vector<lvfx::EffectError> errors;
    const bool parsed = lvfx::Preprocess(text, "input.fx", FuzzScratchDir(), kGameMacros, source, errors) &&
                        lvfx::ParseEffect(source, desc, errors);
    FUZZ_REQUIRE(parsed == errors.empty());
    if (!parsed) return 0;
    // One origin and one raw line per line of text, each line ended by '\n'.
    FUZZ_REQUIRE(source.origins.size() == size_t(std::count(source.text.begin(), source.text.end(), '\n')));
    FUZZ_REQUIRE(source.rawLines.size() == source.origins.size());
    for (const lvfx::ParamDesc& p : desc.params) FUZZ_REQUIRE(p.defaults.size() == p.Bytes());
    for (const lvfx::TechniqueDesc& technique : desc.techniques) {
        for (const lvfx::PassDesc& pass : technique.passes) {
            std::string stage;
            lvfx::StageText(source, desc, pass, lvfx::Stage::Vertex, stage);
            lvfx::StageText(source, desc, pass, lvfx::Stage::Fragment, stage);
        }
    }
    return 0;
}
