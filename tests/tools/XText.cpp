#include "XText.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace xtext {
namespace {

struct Lexer
{
    const std::string& s;
    size_t p = 0;

    void SkipSpace()
    {
        for (;;) {
            while (p < s.size() && (std::isspace(static_cast<unsigned char>(s[p])) || s[p] == ';' || s[p] == ',')) ++p;
            if (p + 1 < s.size() && s[p] == '/' && s[p + 1] == '/') {
                while (p < s.size() && s[p] != '\n') ++p;
                continue;
            }
            break;
        }
    }
    // Returns "{", "}", a quoted string (with quotes) or a word; empty at the end.
    std::string Next()
    {
        SkipSpace();
        if (p >= s.size()) return "";
        const char c = s[p];
        if (c == '{' || c == '}') {
            ++p;
            return std::string(1, c);
        }
        if (c == '"') {
            const size_t end = s.find('"', p + 1);
            std::string t = s.substr(p, end - p + 1);
            p = end + 1;
            return t;
        }
        const size_t start = p;
        while (p < s.size() && !std::isspace(static_cast<unsigned char>(s[p])) && s[p] != ';' && s[p] != ',' &&
               s[p] != '{' && s[p] != '}')
            ++p;
        return s.substr(start, p - start);
    }
    std::string Peek()
    {
        const size_t save = p;
        std::string t = Next();
        p = save;
        return t;
    }
};

bool IsNumber(const std::string& t)
{
    return !t.empty() && (std::isdigit(static_cast<unsigned char>(t[0])) || t[0] == '-' || t[0] == '.');
}

bool ParseBody(Lexer& lx, TextNode& node, std::string& error);

std::unique_ptr<TextNode> ParseBlock(Lexer& lx, const std::string& type, std::string& error)
{
    auto node = std::make_unique<TextNode>();
    node->type = type;
    std::string t = lx.Next();
    if (t != "{") {
        node->name = t;
        t = lx.Next();
    }
    if (t != "{") {
        error = "expected { after " + type;
        return nullptr;
    }
    if (!ParseBody(lx, *node, error)) return nullptr;
    return node;
}

bool ParseBody(Lexer& lx, TextNode& node, std::string& error)
{
    for (;;) {
        const std::string t = lx.Next();
        if (t.empty()) {
            error = "unexpected end in " + node.type;
            return false;
        }
        if (t == "}") return true;
        if (t == "{") { // a reference {Name}
            node.references.push_back(lx.Next());
            if (lx.Next() != "}") {
                error = "bad reference";
                return false;
            }
            continue;
        }
        if (IsNumber(t) || t[0] == '"') {
            node.data.push_back(t[0] == '"' ? t.substr(1, t.size() - 2) : t);
            continue;
        }
        auto child = ParseBlock(lx, t, error);
        if (!child) return false;
        node.children.push_back(std::move(child));
    }
}

} // namespace

const TextNode* TextNode::Child(const std::string& childType, size_t index) const
{
    for (const auto& c : children)
        if (c->type == childType && index-- == 0) return c.get();
    return nullptr;
}

size_t TextNode::Count(const std::string& childType) const
{
    size_t n = 0;
    for (const auto& c : children) n += c->type == childType;
    return n;
}

TextDocument ParseXText(const std::string& text)
{
    TextDocument doc;
    const size_t eol = text.find('\n');
    doc.header = text.substr(0, eol);
    if (eol == std::string::npos) {
        doc.error = "no header";
        return doc;
    }
    const std::string body = text.substr(eol + 1);
    Lexer lx{body};
    for (;;) {
        const std::string t = lx.Next();
        if (t.empty()) break;
        auto node = ParseBlock(lx, t, doc.error);
        if (!node) return doc;
        doc.roots.push_back(std::move(node));
    }
    doc.ok = true;
    return doc;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

} // namespace xtext
