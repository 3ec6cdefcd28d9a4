// The effect preprocessor.
#include "effect_source.h"

#include "Win32Path.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace lvfx {

namespace {

constexpr int kMaxIncludeDepth = 16;
// Includes per effect: a handful in real files; a file that includes itself
// twice would otherwise be read 2^16 times.
constexpr int kMaxIncludes = 64;

struct Conditional
{
    bool parentActive;
    bool active;
    bool taken; // some branch of this group was already active
    bool sawElse;
};

std::string Trim(const std::string& s)
{
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

bool IsIdentStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Integer expressions of #if: literals, macros (undefined ones are 0),
// defined(X), ! - + * / % < > <= >= == != && || and parentheses. Arithmetic
// wraps round as two's complement, so no expression a file holds is undefined
// (LONG_MIN / -1 would stop the program), and parentheses and unary operators
// nest at most kMaxNesting deep, so a long line cannot exhaust the stack.
class ConditionEvaluator
{
public:
    ConditionEvaluator(const std::string& text, const EffectSource& source) : s_(text), source_(source) {}

    bool Evaluate(long& value)
    {
        value = Or();
        Skip();
        return ok_ && pos_ == s_.size();
    }

private:
    static constexpr int kMaxNesting = 64;

    static long Wrap(unsigned long v) { return static_cast<long>(v); }
    static long Negate(long v) { return Wrap(0ul - static_cast<unsigned long>(v)); }

    void Skip()
    {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }
    bool Accept(const char* op)
    {
        Skip();
        const size_t n = std::char_traits<char>::length(op);
        if (s_.compare(pos_, n, op) == 0) {
            pos_ += n;
            return true;
        }
        return false;
    }
    std::string Identifier()
    {
        Skip();
        const size_t start = pos_;
        while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
        return s_.substr(start, pos_ - start);
    }
    long MacroValue(const std::string& name, int depth)
    {
        const std::string* v = source_.Macro(name);
        if (!v || depth > 8) return 0;
        const std::string t = Trim(*v);
        if (!t.empty() && IsIdentStart(t[0])) return MacroValue(t, depth + 1);
        return std::strtol(t.c_str(), nullptr, 0);
    }
    long Primary()
    {
        Skip();
        if (pos_ >= s_.size() || nesting_ >= kMaxNesting) {
            ok_ = false;
            return 0;
        }
        ++nesting_;
        const long v = Nested();
        --nesting_;
        return v;
    }
    long Nested()
    {
        if (Accept("(")) {
            const long v = Or();
            if (!Accept(")")) ok_ = false;
            return v;
        }
        if (Accept("!")) return !Primary();
        if (Accept("-")) return Negate(Primary());
        if (Accept("+")) return Primary();
        if (std::isdigit(static_cast<unsigned char>(s_[pos_]))) {
            char* end = nullptr;
            const long v = std::strtol(s_.c_str() + pos_, &end, 0);
            pos_ = size_t(end - s_.c_str());
            while (pos_ < s_.size() && std::isalpha(static_cast<unsigned char>(s_[pos_]))) ++pos_; // 1u, 2L
            return v;
        }
        if (IsIdentStart(s_[pos_])) {
            const std::string name = Identifier();
            if (name == "defined") {
                const bool paren = Accept("(");
                const std::string what = Identifier();
                if (paren && !Accept(")")) ok_ = false;
                if (what.empty()) ok_ = false;
                return source_.Macro(what) != nullptr;
            }
            return MacroValue(name, 0);
        }
        ok_ = false;
        return 0;
    }
    long Mul()
    {
        long v = Primary();
        for (;;) {
            if (Accept("*")) {
                v = Wrap(static_cast<unsigned long>(v) * static_cast<unsigned long>(Primary()));
            } else if (Accept("/")) {
                const long d = Primary();
                v = d == 0 ? (ok_ = false, 0) : (d == -1 ? Negate(v) : v / d);
            } else if (Accept("%")) {
                const long d = Primary();
                v = d == 0 ? (ok_ = false, 0) : (d == -1 ? 0 : v % d);
            } else {
                return v;
            }
        }
    }
    long Add()
    {
        long v = Mul();
        for (;;) {
            if (Accept("+"))
                v = Wrap(static_cast<unsigned long>(v) + static_cast<unsigned long>(Mul()));
            else if (Accept("-"))
                v = Wrap(static_cast<unsigned long>(v) - static_cast<unsigned long>(Mul()));
            else
                return v;
        }
    }
    long Compare()
    {
        long v = Add();
        for (;;) {
            if (Accept("<="))
                v = v <= Add();
            else if (Accept(">="))
                v = v >= Add();
            else if (Accept("<"))
                v = v < Add();
            else if (Accept(">"))
                v = v > Add();
            else
                return v;
        }
    }
    long Equality()
    {
        long v = Compare();
        for (;;) {
            if (Accept("=="))
                v = v == Compare();
            else if (Accept("!="))
                v = v != Compare();
            else
                return v;
        }
    }
    long And()
    {
        long v = Equality();
        while (Accept("&&")) {
            const long r = Equality();
            v = v && r;
        }
        return v;
    }
    long Or()
    {
        long v = And();
        while (Accept("||")) {
            const long r = And();
            v = v || r;
        }
        return v;
    }

    const std::string& s_;
    const EffectSource& source_;
    size_t pos_ = 0;
    bool ok_ = true;
    int nesting_ = 0;
};

class Preprocessor
{
public:
    Preprocessor(EffectSource& out, std::vector<EffectError>& errors, const std::string& folder)
        : out_(out), errors_(errors), folder_(folder)
    {}

    void Run(const std::string& text, const std::string& fileName, int depth)
    {
        const int file = int(out_.files.size());
        out_.files.push_back(fileName);
        std::istringstream in(text);
        std::string line;
        int number = 0;
        const size_t outerDepth = stack_.size();
        while (std::getline(in, line)) {
            ++number;
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::string t = Trim(line);
            if (!t.empty() && t[0] == '#') {
                const bool wasActive = Active();
                const std::string raw =
                    Directive(Trim(t.substr(1)), file, number, depth, wasActive) ? line : std::string();
                Emit("", raw, file, number);
            } else {
                Emit(Active() ? line : std::string(), line, file, number);
            }
        }
        if (stack_.size() != outerDepth) {
            Error(file, number, "#if without #endif");
            stack_.resize(outerDepth);
        }
    }

private:
    bool Active() const { return stack_.empty() || stack_.back().active; }

    void Emit(const std::string& line, const std::string& raw, int file, int number)
    {
        out_.text += line;
        out_.text += '\n';
        out_.rawLines.push_back(raw);
        out_.origins.push_back({file, number});
    }

    void Error(int file, int line, const std::string& message)
    {
        errors_.push_back({out_.files[size_t(file)], line, message});
    }

    bool Condition(const std::string& expression, int file, int line)
    {
        long value = 0;
        ConditionEvaluator evaluator(expression, out_);
        if (!evaluator.Evaluate(value)) {
            Error(file, line, "cannot evaluate the condition \"" + expression + "\"");
            return false;
        }
        return value != 0;
    }

    // Returns whether the directive line stays in the raw text: conditionals
    // always, definitions only where this preprocessor skipped them.
    bool Directive(const std::string& d, int file, int line, int depth, bool wasActive)
    {
        size_t split = 0;
        while (split < d.size() && IsIdentChar(d[split])) ++split;
        const std::string word = d.substr(0, split);
        const std::string rest = Trim(d.substr(split));
        const bool conditional =
            word == "if" || word == "ifdef" || word == "ifndef" || word == "elif" || word == "else" || word == "endif";
        DirectiveBody(word, rest, file, line, depth);
        return conditional || !wasActive;
    }

    void DirectiveBody(const std::string& word, const std::string& rest, int file, int line, int depth)
    {
        if (word == "if" || word == "ifdef" || word == "ifndef") {
            const bool parent = Active();
            bool value = false;
            if (parent) {
                if (word == "if")
                    value = Condition(rest, file, line);
                else
                    value = (out_.Macro(rest) != nullptr) == (word == "ifdef");
            }
            stack_.push_back({parent, parent && value, parent && value, false});
        } else if (word == "elif" || word == "else") {
            if (stack_.empty() || stack_.back().sawElse) {
                Error(file, line, "#" + word + " without #if");
                return;
            }
            Conditional& c = stack_.back();
            bool value = !c.taken;
            if (word == "elif" && value && c.parentActive)
                value = Condition(rest, file, line);
            else if (word == "else")
                c.sawElse = true;
            c.active = c.parentActive && value;
            c.taken = c.taken || c.active;
        } else if (word == "endif") {
            if (stack_.empty())
                Error(file, line, "#endif without #if");
            else
                stack_.pop_back();
        } else if (!Active()) {
            return;
        } else if (word == "define") {
            size_t n = 0;
            while (n < rest.size() && IsIdentChar(rest[n])) ++n;
            const std::string name = rest.substr(0, n);
            if (name.empty() || !IsIdentStart(name[0]) || (n < rest.size() && rest[n] == '(')) {
                Error(file, line, "#define needs a name (macros with arguments are not supported)");
                return;
            }
            Define(name, Trim(rest.substr(n)));
        } else if (word == "undef") {
            auto& m = out_.macros;
            m.erase(std::remove_if(m.begin(), m.end(), [&](const auto& p) { return p.first == rest; }), m.end());
        } else if (word == "include") {
            Include(rest, file, line, depth);
        } else {
            Error(file, line, "unknown directive #" + word);
        }
    }

    void Define(const std::string& name, const std::string& value)
    {
        for (auto& m : out_.macros) {
            if (m.first == name) {
                m.second = value;
                return;
            }
        }
        out_.macros.emplace_back(name, value);
    }

    void Include(const std::string& rest, int file, int line, int depth)
    {
        if (rest.size() < 2 || (rest.front() != '"' && rest.front() != '<') ||
            (rest.back() != '"' && rest.back() != '>')) {
            Error(file, line, "#include needs a quoted file name");
            return;
        }
        if (depth >= kMaxIncludeDepth) {
            Error(file, line, "#include nested too deeply");
            return;
        }
        if (++includes_ > kMaxIncludes) {
            Error(file, line, "more than 64 #include lines in one effect");
            return;
        }
        const std::string name = rest.substr(1, rest.size() - 2);
        const std::string path = Win32ResolvePath(folder_.empty() ? name : folder_ + "/" + name);
        std::string text;
        if (!ReadTextFile(path, text)) {
            Error(file, line, "cannot open the included file \"" + name + "\"");
            return;
        }
        if (out_.text.size() + text.size() > kMaxEffectBytes) {
            Error(file, line, "#include makes the effect longer than 4 MB");
            return;
        }
        Run(text, name, depth + 1);
    }

    EffectSource& out_;
    std::vector<EffectError>& errors_;
    std::string folder_;
    std::vector<Conditional> stack_;
    int includes_ = 0;
};

} // namespace

const std::string* EffectSource::Macro(const std::string& name) const
{
    for (const auto& m : macros) {
        if (m.first == name) return &m.second;
    }
    return nullptr;
}

int EffectSource::LineAt(size_t offset) const
{
    int line = 0;
    const size_t end = std::min(offset, text.size());
    for (size_t i = 0; i < end; ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

void EffectSource::Fail(std::vector<EffectError>& errors, size_t offset, const std::string& message) const
{
    const int line = LineAt(offset);
    if (line < int(origins.size())) {
        const SourceLine& o = origins[size_t(line)];
        errors.push_back({files[size_t(o.file)], o.line, message});
    } else {
        errors.push_back({files.empty() ? std::string() : files[0], line + 1, message});
    }
}

bool ReadTextFile(const std::string& path, std::string& text, size_t maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0 || size_t(size) > maxBytes) return false;
    in.seekg(0, std::ios::beg);
    text.assign(size_t(size), '\0');
    in.read(&text[0], size);
    return bool(in) || size == 0;
}

bool Preprocess(const std::string& text, const std::string& fileName, const std::string& folder,
                const D3DXMACRO* defines, EffectSource& out, std::vector<EffectError>& errors)
{
    out = EffectSource();
    const size_t before = errors.size();
    for (const D3DXMACRO* m = defines; m && m->Name; ++m) {
        out.macros.emplace_back(m->Name, m->Definition ? m->Definition : "");
    }
    Preprocessor p(out, errors, folder);
    p.Run(text, fileName, 0);
    return errors.size() == before;
}

} // namespace lvfx
