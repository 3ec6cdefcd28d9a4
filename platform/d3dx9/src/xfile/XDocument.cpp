#include "xfile/XDocument.h"

#include "xfile/XTokenizer.h"

#include <cstring>

namespace {

// Nesting deeper than any real file keeps a hostile file from exhausting the stack.
const int kMaxDepth = 64;

bool HeaderIsText(const std::string& text, std::string* error)
{
    if (text.size() < 16 || std::memcmp(text.data(), "xof ", 4) != 0) {
        *error = "not an .x file (no \"xof\" header)";
        return false;
    }
    const std::string_view version(text.data() + 4, 4), format(text.data() + 8, 4), floats(text.data() + 12, 4);
    if (version != "0302" && version != "0303") {
        *error = "unsupported .x version \"" + std::string(version) + "\"";
        return false;
    }
    if (format != "txt ") {
        *error = "unsupported .x format \"" + std::string(format) + "\" (only text files are read)";
        return false;
    }
    if (floats != "0032" && floats != "0064") {
        *error = "unsupported .x float size \"" + std::string(floats) + "\"";
        return false;
    }
    return true;
}

} // namespace

class XParser
{
public:
    XParser(XDocument& doc, const char* begin, const char* end) : mDoc(doc), mTok(begin, end) {}

    bool ParseFile()
    {
        for (;;) {
            const XToken t = mTok.Next();
            if (t.kind == XTokenKind::End) return true;
            if (t.kind == XTokenKind::Name && t.text == "template") {
                if (!SkipTemplate()) return false;
            } else if (t.kind == XTokenKind::Name) {
                XNode* node = ParseObject(t, 0);
                if (!node) return false;
                mDoc.mTopLevel.push_back(node);
            } else if (t.kind == XTokenKind::OpenBrace) {
                XChild ignored; // a reference at file level names nothing to attach
                if (!ParseReference(t, &ignored)) return false;
            } else if (t.kind != XTokenKind::Separator) {
                return Fail(t, "expected a data object");
            }
        }
    }

private:
    bool Fail(const XToken& t, const std::string& message)
    {
        if (mDoc.mError.empty()) {
            mDoc.mError = t.kind == XTokenKind::Error ? std::string(t.text) : message;
            if (t.kind == XTokenKind::End) mDoc.mError = "unexpected end of file (" + message + ")";
            mDoc.mErrorLine = t.line;
        }
        return false;
    }

    bool SkipTemplate()
    {
        XToken t = mTok.Next();
        if (t.kind == XTokenKind::Name) t = mTok.Next();
        if (t.kind != XTokenKind::OpenBrace) return Fail(t, "malformed template");
        if (!mTok.SkipPastCloseBrace()) {
            XToken end;
            end.line = mTok.Line();
            return Fail(end, "template not closed");
        }
        return true;
    }

    bool ParseReference(const XToken& open, XChild* out)
    {
        XToken t = mTok.Next();
        out->line = open.line;
        if (t.kind == XTokenKind::Name) {
            out->reference = t.text;
            t = mTok.Next();
        }
        if (t.kind == XTokenKind::Guid) t = mTok.Next();
        if (t.kind != XTokenKind::CloseBrace) return Fail(t, "malformed reference");
        return true;
    }

    XNode* ParseObject(const XToken& typeToken, int depth)
    {
        if (depth >= kMaxDepth) {
            Fail(typeToken, "data objects nested too deeply");
            return nullptr;
        }
        mDoc.mNodes.push_back(std::make_unique<XNode>());
        XNode* node = mDoc.mNodes.back().get();
        node->type = typeToken.text;
        node->line = typeToken.line;
        XToken t = mTok.Next();
        if (t.kind == XTokenKind::Name) {
            node->name = t.text;
            t = mTok.Next();
        }
        if (t.kind != XTokenKind::OpenBrace) {
            Fail(t, "expected '{' after \"" + std::string(typeToken.text) + "\"");
            return nullptr;
        }
        return ParseBody(node, depth) ? node : nullptr;
    }

    bool ParseBody(XNode* node, int depth)
    {
        for (;;) {
            mTok.AppendNumberRun(&node->numbers);
            const XToken t = mTok.Next();
            switch (t.kind) {
            case XTokenKind::Number:
                node->numbers.push_back(t.number);
                break;
            case XTokenKind::String:
                node->strings.push_back(t.text);
                break;
            case XTokenKind::Separator:
            case XTokenKind::Guid:
                break;
            case XTokenKind::CloseBrace:
                return true;
            case XTokenKind::OpenBrace: {
                XChild ref;
                if (!ParseReference(t, &ref)) return false;
                node->children.push_back(ref);
                break;
            }
            case XTokenKind::Name: {
                const XNode* child = ParseObject(t, depth + 1);
                if (!child) return false;
                XChild c;
                c.node = child;
                c.line = t.line;
                node->children.push_back(c);
                break;
            }
            case XTokenKind::End:
                return Fail(t, "\"" + std::string(node->type) + "\" not closed");
            case XTokenKind::Error:
                return Fail(t, "");
            }
        }
    }

    XDocument& mDoc;
    XTokenizer mTok;
};

bool XDocument::Parse(std::string text)
{
    mText = std::move(text);
    mNodes.clear();
    mTopLevel.clear();
    mByName.clear();
    mError.clear();
    mErrorLine = 1;
    if (!HeaderIsText(mText, &mError)) return false;
    XParser parser(*this, mText.data() + 16, mText.data() + mText.size());
    if (parser.ParseFile()) {
        for (const auto& node : mNodes)
            if (!node->name.empty()) mByName.emplace(node->name, node.get());
        return true;
    }
    mNodes.clear();
    mTopLevel.clear();
    return false;
}

const XNode* XDocument::Find(std::string_view name) const
{
    const auto it = mByName.find(name);
    return it == mByName.end() ? nullptr : it->second;
}
