// Effect files, second stage: the declarations. Parameters, shared GLSL
// blocks, named shaders and techniques of passes with their render states.
// Needs no device, so tests and tools can check an effect file headless.
#pragma once

#include "effect_source.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lvfx {

enum class ParamType { Float, Int, Bool, Sampler2D, Sampler3D };

struct ParamDesc
{
    std::string name;
    ParamType type = ParamType::Float;
    UINT rows = 1;
    UINT columns = 1;
    UINT elements = 0; // 0: not an array
    int samplerUnit = -1;
    std::vector<uint8_t> defaults; // Bytes() long
    std::vector<std::pair<D3DSAMPLERSTATETYPE, DWORD>> samplerStates;

    bool IsSampler() const { return type == ParamType::Sampler2D || type == ParamType::Sampler3D; }
    UINT Count() const { return elements ? elements : 1; }
    UINT Bytes() const { return IsSampler() ? 0 : Count() * rows * columns * 4; }
    std::string GlslType() const;
};

enum class Stage { Both, Vertex, Fragment };

struct SharedBlock
{
    Stage stage;
    std::string body; // with #line directives
};

struct NamedShader
{
    std::string name;
    Stage stage;
    std::string body;
};

// A pass's shader: a named shader with per-pass macros, or an inline body.
struct ShaderRef
{
    bool present = false;
    std::string name;
    std::string body;
    std::vector<std::pair<std::string, std::string>> defines;
};

struct PassDesc
{
    std::string name;
    std::vector<std::pair<D3DRENDERSTATETYPE, DWORD>> states;
    ShaderRef vertex;
    ShaderRef fragment;
    size_t offset = 0; // in the source text, for messages
};

struct TechniqueDesc
{
    std::string name;
    std::vector<PassDesc> passes;
};

struct EffectDesc
{
    std::vector<ParamDesc> params;
    std::vector<SharedBlock> shared;
    std::vector<NamedShader> shaders;
    std::vector<TechniqueDesc> techniques;

    int FindParam(const std::string& name) const;
    const NamedShader* FindShader(const std::string& name, Stage stage) const;
};

bool ParseEffect(const EffectSource& source, EffectDesc& desc, std::vector<EffectError>& errors);

// The GLSL text of one stage of a pass, for the device's program builder:
// macros, per-pass defines, uniform declarations, shared blocks, the body.
// Null body text (returned false) for a vertex stage the pass leaves to the
// device's pre-transformed stage.
bool StageText(const EffectSource& source, const EffectDesc& desc, const PassDesc& pass, Stage stage,
               std::string& text);

} // namespace lvfx
