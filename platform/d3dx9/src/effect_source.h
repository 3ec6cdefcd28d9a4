// Effect files, first stage: the preprocessor. Resolves #include (files in the
// effect's own folder), #define/#undef and the conditionals, remembering for
// every output line the file and line it came from.
#pragma once

#include "d3dx9effect.h"

#include <string>
#include <utility>
#include <vector>

namespace lvfx {

struct SourceLine
{
    int file;
    int line;
};

struct EffectError
{
    std::string file;
    int line;
    std::string message;
};

struct EffectSource
{
    std::string text;                // lines joined by '\n'
    std::vector<SourceLine> origins; // one per line of text
    // The same lines with every branch of the conditionals kept, for the GLSL
    // blocks: their conditionals are decided again by the GLSL compiler, where
    // a pass's own macros can switch them.
    std::vector<std::string> rawLines;
    std::vector<std::string> files;                          // names for messages, by file index
    std::vector<std::pair<std::string, std::string>> macros; // in definition order

    // Value of a macro, or null when it is not defined.
    const std::string* Macro(const std::string& name) const;
    // Line of text (0-based) that holds byte offset.
    int LineAt(size_t offset) const;
    void Fail(std::vector<EffectError>& errors, size_t offset, const std::string& message) const;
};

// folder: where #include looks ("" for the working directory). Returns false
// with at least one error when the text cannot be used.
bool Preprocess(const std::string& text, const std::string& fileName, const std::string& folder,
                const D3DXMACRO* defines, EffectSource& out, std::vector<EffectError>& errors);

// The most text an effect may hold: a file, or a file and all it includes.
constexpr size_t kMaxEffectBytes = 4u << 20;

// Reads a whole file (at most maxBytes); false when missing or too large.
bool ReadTextFile(const std::string& path, std::string& text, size_t maxBytes = kMaxEffectBytes);

} // namespace lvfx
