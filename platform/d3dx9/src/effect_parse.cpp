// Parser of the effect declarations (format in docs/effect-format.md).
#include "effect_parse.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace lvfx {

namespace {

enum class ValueKind { Bool, Number, Blend, BlendOp, Compare, Cull, Fill, ZBuffer, Filter, Address };

struct NamedValue
{
    const char* name;
    DWORD value;
};

const NamedValue kBools[] = {{"true", 1}, {"false", 0}};
const NamedValue kBlends[] = {
    {"Zero", 1},         {"One", 2},           {"SrcColor", 3},         {"InvSrcColor", 4},  {"SrcAlpha", 5},
    {"InvSrcAlpha", 6},  {"DestAlpha", 7},     {"InvDestAlpha", 8},     {"DestColor", 9},    {"InvDestColor", 10},
    {"SrcAlphaSat", 11}, {"BothSrcAlpha", 12}, {"BothInvSrcAlpha", 13}, {"BlendFactor", 14}, {"InvBlendFactor", 15}};
const NamedValue kBlendOps[] = {{"Add", 1}, {"Subtract", 2}, {"RevSubtract", 3}, {"Min", 4}, {"Max", 5}};
const NamedValue kCompares[] = {{"Never", 1},   {"Less", 2},     {"Equal", 3},        {"LessEqual", 4},
                                {"Greater", 5}, {"NotEqual", 6}, {"GreaterEqual", 7}, {"Always", 8}};
const NamedValue kCulls[] = {{"None", 1}, {"CW", 2}, {"CCW", 3}};
const NamedValue kFills[] = {{"Point", 1}, {"Wireframe", 2}, {"Solid", 3}};
const NamedValue kZBuffers[] = {{"true", 1}, {"false", 0}, {"UseW", 2}};
const NamedValue kFilters[] = {{"None", 0}, {"Point", 1}, {"Linear", 2}, {"Anisotropic", 3}};
const NamedValue kAddresses[] = {{"Wrap", 1}, {"Mirror", 2}, {"Clamp", 3}, {"Border", 4}, {"MirrorOnce", 5}};

struct StateName
{
    const char* name;
    DWORD state;
    ValueKind kind;
};

const StateName kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, ValueKind::ZBuffer},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, ValueKind::Bool},
    {"ZFunc", D3DRS_ZFUNC, ValueKind::Compare},
    {"FillMode", D3DRS_FILLMODE, ValueKind::Fill},
    {"CullMode", D3DRS_CULLMODE, ValueKind::Cull},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, ValueKind::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, ValueKind::Blend},
    {"DestBlend", D3DRS_DESTBLEND, ValueKind::Blend},
    {"BlendOp", D3DRS_BLENDOP, ValueKind::BlendOp},
    {"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, ValueKind::Bool},
    {"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, ValueKind::Blend},
    {"DestBlendAlpha", D3DRS_DESTBLENDALPHA, ValueKind::Blend},
    {"BlendOpAlpha", D3DRS_BLENDOPALPHA, ValueKind::BlendOp},
    {"BlendFactor", D3DRS_BLENDFACTOR, ValueKind::Number},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, ValueKind::Bool},
    {"AlphaRef", D3DRS_ALPHAREF, ValueKind::Number},
    {"AlphaFunc", D3DRS_ALPHAFUNC, ValueKind::Compare},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, ValueKind::Number},
    {"StencilEnable", D3DRS_STENCILENABLE, ValueKind::Bool},
    {"StencilFunc", D3DRS_STENCILFUNC, ValueKind::Compare},
    {"StencilRef", D3DRS_STENCILREF, ValueKind::Number},
    {"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, ValueKind::Bool},
};

const StateName kSamplerStates[] = {
    {"AddressU", D3DSAMP_ADDRESSU, ValueKind::Address},  {"AddressV", D3DSAMP_ADDRESSV, ValueKind::Address},
    {"AddressW", D3DSAMP_ADDRESSW, ValueKind::Address},  {"BorderColor", D3DSAMP_BORDERCOLOR, ValueKind::Number},
    {"MagFilter", D3DSAMP_MAGFILTER, ValueKind::Filter}, {"MinFilter", D3DSAMP_MINFILTER, ValueKind::Filter},
    {"MipFilter", D3DSAMP_MIPFILTER, ValueKind::Filter}, {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, ValueKind::Number},
};

template <size_t N>
bool Lookup(const NamedValue (&table)[N], const std::string& name, DWORD& value)
{
    for (const NamedValue& v : table) {
        if (strcasecmp(v.name, name.c_str()) == 0) {
            value = v.value;
            return true;
        }
    }
    return false;
}

bool LookupValue(ValueKind kind, const std::string& name, DWORD& value)
{
    switch (kind) {
    case ValueKind::Bool:
        return Lookup(kBools, name, value);
    case ValueKind::Blend:
        return Lookup(kBlends, name, value);
    case ValueKind::BlendOp:
        return Lookup(kBlendOps, name, value);
    case ValueKind::Compare:
        return Lookup(kCompares, name, value);
    case ValueKind::Cull:
        return Lookup(kCulls, name, value);
    case ValueKind::Fill:
        return Lookup(kFills, name, value);
    case ValueKind::ZBuffer:
        return Lookup(kZBuffers, name, value);
    case ValueKind::Filter:
        return Lookup(kFilters, name, value);
    case ValueKind::Address:
        return Lookup(kAddresses, name, value);
    default:
        return Lookup(kBools, name, value);
    }
}

template <size_t N>
const StateName* FindState(const StateName (&table)[N], const std::string& name)
{
    for (const StateName& s : table) {
        if (strcasecmp(s.name, name.c_str()) == 0) return &s;
    }
    return nullptr;
}

struct Token
{
    enum Kind { End, Ident, Number, String, Punct } kind = End;
    std::string text;
    size_t offset = 0;
};

class Parser
{
public:
    Parser(const EffectSource& source, EffectDesc& desc, std::vector<EffectError>& errors)
        : src_(source), s_(source.text), desc_(desc), errors_(errors)
    {}

    bool Run()
    {
        Next();
        while (ok_ && tok_.kind != Token::End) {
            TopLevel();
        }
        if (ok_ && desc_.techniques.empty()) Fail(tok_.offset, "the effect declares no technique");
        return ok_;
    }

private:
    // ---- tokens
    void SkipSpace()
    {
        for (;;) {
            while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
            if (s_.compare(pos_, 2, "//") == 0) {
                while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
            } else if (s_.compare(pos_, 2, "/*") == 0) {
                const size_t end = s_.find("*/", pos_ + 2);
                pos_ = end == std::string::npos ? s_.size() : end + 2;
            } else {
                return;
            }
        }
    }

    void Next()
    {
        SkipSpace();
        tok_ = Token();
        tok_.offset = pos_;
        if (pos_ >= s_.size()) return;
        const char c = s_[pos_];
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            const size_t start = pos_;
            while (pos_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_')) ++pos_;
            tok_.kind = Token::Ident;
            tok_.text = s_.substr(start, pos_ - start);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '.' && pos_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[pos_ + 1])))) {
            const size_t start = pos_;
            while (pos_ < s_.size() &&
                   (std::isalnum(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.' ||
                    ((s_[pos_] == '-' || s_[pos_] == '+') && (s_[pos_ - 1] == 'e' || s_[pos_ - 1] == 'E')))) {
                ++pos_;
            }
            tok_.kind = Token::Number;
            tok_.text = s_.substr(start, pos_ - start);
        } else if (c == '"') {
            const size_t end = s_.find('"', pos_ + 1);
            if (end == std::string::npos || s_.find('\n', pos_) < end) {
                Fail(pos_, "unterminated string");
                pos_ = s_.size();
                return;
            }
            tok_.kind = Token::String;
            tok_.text = s_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
        } else {
            tok_.kind = Token::Punct;
            tok_.text = std::string(1, c);
            ++pos_;
        }
    }

    bool Is(const char* punct) const { return tok_.kind == Token::Punct && tok_.text == punct; }

    bool Expect(const char* punct)
    {
        if (!ok_) return false;
        if (!Is(punct)) {
            Fail(tok_.offset, std::string("expected '") + punct + "' but found " + Describe());
            return false;
        }
        Next();
        return true;
    }

    std::string Identifier(const char* what)
    {
        if (!ok_) return std::string();
        if (tok_.kind != Token::Ident) {
            Fail(tok_.offset, std::string("expected ") + what + " but found " + Describe());
            return std::string();
        }
        std::string name = tok_.text;
        Next();
        return name;
    }

    std::string Describe() const
    {
        if (tok_.kind == Token::End) return "the end of the file";
        return "'" + tok_.text + "'";
    }

    void Fail(size_t offset, const std::string& message)
    {
        if (!ok_) return; // the first error is the useful one
        ok_ = false;
        src_.Fail(errors_, offset, message);
    }

    // A macro name stands for its value wherever a number is expected.
    std::string Expand(const std::string& word) const
    {
        std::string value = word;
        for (int depth = 0; depth < 8; ++depth) {
            const std::string* m = src_.Macro(value);
            if (!m) break;
            value = *m;
        }
        return value;
    }

    bool NumberValue(double& value)
    {
        if (!ok_) return false;
        bool negative = false;
        if (Is("-")) {
            negative = true;
            Next();
        }
        std::string text = tok_.kind == Token::Ident ? Expand(tok_.text) : tok_.text;
        if (tok_.kind == Token::Ident && (text == "true" || text == "false")) text = text == "true" ? "1" : "0";
        char* end = nullptr;
        const char* begin = text.c_str();
        value = (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
                    ? double(std::strtoul(begin, &end, 16))
                    : std::strtod(begin, &end);
        while (end && (*end == 'f' || *end == 'F' || *end == 'u' || *end == 'U')) ++end;
        if (text.empty() || !end || *end != '\0' || (tok_.kind != Token::Number && tok_.kind != Token::Ident)) {
            Fail(tok_.offset, "expected a number but found " + Describe());
            return false;
        }
        if (negative) value = -value;
        Next();
        return true;
    }

    // ---- blocks of GLSL
    // The text between the braces, with #line directives so the GLSL
    // compiler's messages name the effect file's lines.
    bool RawBlock(std::string& body)
    {
        if (!Is("{")) {
            Fail(tok_.offset, "expected '{' but found " + Describe());
            return false;
        }
        const size_t begin = pos_;
        int depth = 1;
        size_t i = begin;
        while (i < s_.size() && depth > 0) {
            if (s_.compare(i, 2, "//") == 0) {
                while (i < s_.size() && s_[i] != '\n') ++i;
                continue;
            }
            if (s_.compare(i, 2, "/*") == 0) {
                const size_t end = s_.find("*/", i + 2);
                i = end == std::string::npos ? s_.size() : end + 2;
                continue;
            }
            if (s_[i] == '{')
                ++depth;
            else if (s_[i] == '}')
                --depth;
            ++i;
        }
        if (depth != 0) {
            Fail(tok_.offset, "unbalanced braces: this block has no end");
            return false;
        }
        body = WithLineDirectives(begin, i - 1);
        pos_ = i;
        Next();
        return true;
    }

    std::string WithLineDirectives(size_t begin, size_t end) const
    {
        std::string out;
        const int first = src_.LineAt(begin);
        const int last = src_.LineAt(end);
        const size_t firstColumn =
            begin -
            (s_.rfind('\n', begin == 0 ? 0 : begin - 1) == std::string::npos ? 0 : s_.rfind('\n', begin - 1) + 1);
        const size_t lastColumn =
            end - (s_.rfind('\n', end - 1) == std::string::npos ? 0 : s_.rfind('\n', end - 1) + 1);
        SourceLine expected = {-1, -1};
        for (int line = first; line <= last; ++line) {
            const SourceLine& o = src_.origins[size_t(line)];
            if (o.file != expected.file || o.line != expected.line) {
                out += "#line " + std::to_string(o.line) + " " + std::to_string(o.file) + "\n";
            }
            // The lines holding the braces are active code, the same in both texts.
            const std::string& raw = src_.rawLines[size_t(line)];
            const size_t from = line == first ? firstColumn : 0;
            const size_t to = line == last ? lastColumn : raw.size();
            if (from < to && from < raw.size()) out.append(raw, from, to - from);
            out += '\n';
            expected = {o.file, o.line + 1};
        }
        return out;
    }

    // ---- declarations
    void TopLevel()
    {
        if (Is(";")) {
            Next();
            return;
        }
        if (tok_.kind != Token::Ident) {
            Fail(tok_.offset, "expected a declaration but found " + Describe());
            return;
        }
        const std::string word = tok_.text;
        if (word == "technique") {
            Next();
            Technique();
        } else if (word == "glsl") {
            Next();
            Stage stage = Stage::Both;
            if (tok_.kind == Token::Ident && (tok_.text == "vertex" || tok_.text == "fragment")) {
                stage = tok_.text == "vertex" ? Stage::Vertex : Stage::Fragment;
                Next();
            }
            SharedBlock block = {stage, std::string()};
            if (RawBlock(block.body)) desc_.shared.push_back(block);
        } else if (word == "vertex" || word == "fragment") {
            Next();
            NamedShader shader;
            shader.stage = word == "vertex" ? Stage::Vertex : Stage::Fragment;
            const size_t at = tok_.offset;
            shader.name = Identifier("a shader name");
            if (ok_ && desc_.FindShader(shader.name, shader.stage))
                Fail(at, "the shader " + shader.name + " is declared twice");
            if (RawBlock(shader.body)) desc_.shaders.push_back(shader);
        } else {
            Parameter();
        }
    }

    bool TypeOf(const std::string& word, ParamDesc& p) const
    {
        struct TypeName
        {
            const char* name;
            ParamType type;
            UINT rows, columns;
        };
        static const TypeName kTypes[] = {
            {"float", ParamType::Float, 1, 1},
            {"float2", ParamType::Float, 1, 2},
            {"float3", ParamType::Float, 1, 3},
            {"float4", ParamType::Float, 1, 4},
            {"float4x4", ParamType::Float, 4, 4},
            {"matrix", ParamType::Float, 4, 4},
            {"int", ParamType::Int, 1, 1},
            {"bool", ParamType::Bool, 1, 1},
            {"sampler2D", ParamType::Sampler2D, 1, 1},
            {"texture", ParamType::Sampler2D, 1, 1},
            {"sampler3D", ParamType::Sampler3D, 1, 1},
        };
        for (const TypeName& t : kTypes) {
            if (word == t.name) {
                p.type = t.type;
                p.rows = t.rows;
                p.columns = t.columns;
                return true;
            }
        }
        return false;
    }

    void Parameter()
    {
        ParamDesc p;
        const size_t at = tok_.offset;
        if (!TypeOf(tok_.text, p)) {
            Fail(at, "unknown type or keyword '" + tok_.text + "'");
            return;
        }
        Next();
        p.name = Identifier("a parameter name");
        if (ok_ && desc_.FindParam(p.name) >= 0) Fail(at, "the parameter " + p.name + " is declared twice");
        if (ok_ && Is("[")) {
            Next();
            double count = 0;
            if (!NumberValue(count)) return;
            if (count < 1 || count > 4096 || count != double(UINT(count))) {
                Fail(at, "the array size of " + p.name + " must be a whole number from 1 to 4096");
                return;
            }
            p.elements = UINT(count);
            if (!Expect("]")) return;
        }
        if (ok_ && Is(":")) {
            Next();
            Register(p);
        }
        p.defaults.assign(p.Bytes(), 0);
        if (ok_ && Is("=")) {
            Next();
            Defaults(p);
        }
        if (ok_ && Is("{")) SamplerStates(p);
        if (!Expect(";")) return;
        if (p.IsSampler() && p.samplerUnit < 0) p.samplerUnit = NextFreeUnit();
        if (p.IsSampler() && p.samplerUnit < 0) Fail(at, "no sampler register is left for " + p.name);
        desc_.params.push_back(p);
    }

    int NextFreeUnit() const
    {
        for (int unit = 0; unit < 16; ++unit) {
            bool used = false;
            for (const ParamDesc& q : desc_.params) used = used || q.samplerUnit == unit;
            if (!used) return unit;
        }
        return -1;
    }

    void Register(ParamDesc& p)
    {
        const size_t at = tok_.offset;
        if (Identifier("register") != "register" || !Expect("(")) {
            if (ok_) Fail(at, "expected register(sN)");
            return;
        }
        const std::string r = Identifier("a sampler register");
        int unit = -1;
        if (r.size() >= 2 && (r[0] == 's' || r[0] == 'S')) unit = std::atoi(r.c_str() + 1);
        if (!p.IsSampler() || unit < 0 || unit > 15 || r.find_first_not_of("0123456789", 1) != std::string::npos) {
            Fail(at, "only samplers take a register, s0 to s15");
            return;
        }
        p.samplerUnit = unit;
        Expect(")");
    }

    void Defaults(ParamDesc& p)
    {
        const size_t at = tok_.offset;
        if (p.IsSampler()) {
            Fail(at, "a sampler has no default value");
            return;
        }
        std::vector<double> values;
        if (Is("{")) {
            Next();
            while (ok_ && !Is("}")) {
                double v = 0;
                if (!NumberValue(v)) return;
                values.push_back(v);
                if (Is(","))
                    Next();
                else if (!Is("}"))
                    Fail(tok_.offset, "expected ',' or '}' but found " + Describe());
            }
            Expect("}");
        } else {
            double v = 0;
            if (!NumberValue(v)) return;
            values.push_back(v);
        }
        const size_t slots = p.Bytes() / 4;
        if (values.size() > slots) {
            Fail(at, "too many default values for " + p.name);
            return;
        }
        for (size_t i = 0; i < values.size(); ++i) {
            if (p.type == ParamType::Float) {
                const float f = float(values[i]);
                std::memcpy(&p.defaults[i * 4], &f, 4);
            } else {
                // An integer default must fit the parameter's 32 bits.
                if (p.type != ParamType::Bool && !(values[i] >= -2147483648.0 && values[i] < 2147483648.0)) {
                    Fail(at, "default value out of range for " + p.name);
                    return;
                }
                const int32_t n = p.type == ParamType::Bool ? (values[i] != 0.0) : int32_t(values[i]);
                std::memcpy(&p.defaults[i * 4], &n, 4);
            }
        }
    }

    void SamplerStates(ParamDesc& p)
    {
        if (!p.IsSampler()) {
            Fail(tok_.offset, "only samplers take a state block");
            return;
        }
        Next();
        while (ok_ && !Is("}")) {
            const size_t at = tok_.offset;
            const std::string name = Identifier("a sampler state");
            const StateName* state = ok_ ? FindState(kSamplerStates, name) : nullptr;
            if (ok_ && !state) Fail(at, "unknown sampler state " + name);
            DWORD value = 0;
            if (!Expect("=") || !StateValue(state->kind, value) || !Expect(";")) return;
            p.samplerStates.emplace_back(D3DSAMPLERSTATETYPE(state->state), value);
        }
        Expect("}");
    }

    bool StateValue(ValueKind kind, DWORD& value)
    {
        if (!ok_) return false;
        if (tok_.kind == Token::Ident && LookupValue(kind, tok_.text, value)) {
            Next();
            return true;
        }
        const std::string seen = Describe();
        double number = 0;
        if (!NumberValue(number)) {
            if (!errors_.empty()) errors_.back().message = "unknown state value " + seen;
            return false;
        }
        value = DWORD(int64_t(number));
        return true;
    }

    // ---- techniques
    void Technique()
    {
        TechniqueDesc t;
        const size_t at = tok_.offset;
        t.name = Identifier("a technique name");
        for (const TechniqueDesc& other : desc_.techniques) {
            if (ok_ && other.name == t.name) Fail(at, "the technique " + t.name + " is declared twice");
        }
        if (!Expect("{")) return;
        while (ok_ && !Is("}")) {
            if (tok_.kind != Token::Ident || tok_.text != "pass") {
                Fail(tok_.offset, "expected 'pass' but found " + Describe());
                return;
            }
            Next();
            Pass(t);
        }
        if (ok_ && t.passes.empty()) Fail(at, "the technique " + t.name + " has no pass");
        if (Expect("}")) desc_.techniques.push_back(t);
    }

    void Pass(TechniqueDesc& t)
    {
        PassDesc p;
        p.offset = tok_.offset;
        p.name = tok_.kind == Token::Ident ? Identifier("a pass name") : "P" + std::to_string(t.passes.size());
        if (!Expect("{")) return;
        while (ok_ && !Is("}")) {
            const size_t at = tok_.offset;
            const std::string name = Identifier("a pass state or shader");
            if (!ok_) return;
            if (name == "vertex" || name == "fragment") {
                ShaderSlot(name == "vertex" ? p.vertex : p.fragment, name == "vertex" ? Stage::Vertex : Stage::Fragment,
                           at);
                continue;
            }
            const StateName* state = FindState(kRenderStates, name);
            if (!state) {
                Fail(at, "unknown pass state " + name);
                return;
            }
            DWORD value = 0;
            if (!Expect("=") || !StateValue(state->kind, value) || !Expect(";")) return;
            p.states.emplace_back(D3DRENDERSTATETYPE(state->state), value);
        }
        if (ok_ && !p.fragment.present) Fail(p.offset, "the pass " + t.name + "." + p.name + " has no fragment shader");
        if (Expect("}")) t.passes.push_back(p);
    }

    void ShaderSlot(ShaderRef& ref, Stage stage, size_t at)
    {
        if (ref.present) {
            Fail(at, "a pass takes one shader per stage");
            return;
        }
        ref.present = true;
        if (Is("{")) {
            RawBlock(ref.body);
            return;
        }
        if (!Expect("=")) return;
        ref.name = Identifier("a shader name");
        if (ok_ && !desc_.FindShader(ref.name, stage)) {
            Fail(at, "no " + std::string(stage == Stage::Vertex ? "vertex" : "fragment") + " shader named " + ref.name);
            return;
        }
        if (ok_ && Is("(")) {
            Next();
            while (ok_ && !Is(")")) {
                const std::string macro = Identifier("a macro name");
                std::string value = "1";
                if (ok_ && Is("=")) {
                    Next();
                    value = tok_.text;
                    if (tok_.kind != Token::Number && tok_.kind != Token::Ident)
                        Fail(tok_.offset, "expected a macro value");
                    Next();
                }
                ref.defines.emplace_back(macro, value);
                if (Is(","))
                    Next();
                else if (!Is(")"))
                    Fail(tok_.offset, "expected ',' or ')' but found " + Describe());
            }
            Expect(")");
        }
        Expect(";");
    }

    const EffectSource& src_;
    const std::string& s_;
    EffectDesc& desc_;
    std::vector<EffectError>& errors_;
    size_t pos_ = 0;
    Token tok_;
    bool ok_ = true;
};

void AppendDefines(std::string& out, const std::vector<std::pair<std::string, std::string>>& defines)
{
    for (const auto& d : defines) out += "#define " + d.first + " " + d.second + "\n";
}

} // namespace

std::string ParamDesc::GlslType() const
{
    switch (type) {
    case ParamType::Int:
        return "int";
    case ParamType::Bool:
        return "bool";
    case ParamType::Sampler2D:
        return "sampler2D";
    case ParamType::Sampler3D:
        return "sampler3D";
    default:
        break;
    }
    if (rows == 4) return "mat4";
    if (columns == 1) return "float";
    return "vec" + std::to_string(columns);
}

int EffectDesc::FindParam(const std::string& name) const
{
    for (size_t i = 0; i < params.size(); ++i) {
        if (params[i].name == name) return int(i);
    }
    return -1;
}

const NamedShader* EffectDesc::FindShader(const std::string& name, Stage stage) const
{
    for (const NamedShader& s : shaders) {
        if (s.name == name && s.stage == stage) return &s;
    }
    return nullptr;
}

bool ParseEffect(const EffectSource& source, EffectDesc& desc, std::vector<EffectError>& errors)
{
    desc = EffectDesc();
    Parser parser(source, desc, errors);
    return parser.Run();
}

bool StageText(const EffectSource& source, const EffectDesc& desc, const PassDesc& pass, Stage stage, std::string& text)
{
    const ShaderRef& ref = stage == Stage::Vertex ? pass.vertex : pass.fragment;
    text.clear();
    if (!ref.present) return false;
    AppendDefines(text, source.macros);
    AppendDefines(text, ref.defines);
    // Declarations the effect makes for every stage; a pseudo file index past the real ones.
    text += "#line 1 " + std::to_string(source.files.size()) + "\n";
    for (const ParamDesc& p : desc.params) {
        text += "uniform " + p.GlslType() + " " + p.name;
        if (p.elements) text += "[" + std::to_string(p.elements) + "]";
        text += ";\n";
    }
    for (const SharedBlock& b : desc.shared) {
        if (b.stage == Stage::Both || b.stage == stage) text += b.body;
    }
    if (!ref.name.empty())
        text += desc.FindShader(ref.name, stage)->body;
    else
        text += ref.body;
    return true;
}

} // namespace lvfx
