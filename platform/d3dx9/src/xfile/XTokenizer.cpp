#include "xfile/XTokenizer.h"

#include <charconv>
#include <cmath>

namespace {

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
inline bool IsNameStart(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
inline bool IsNameChar(char c)
{
    return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.';
}

} // namespace

XToken XTokenizer::Make(XTokenKind kind, const char* start, const char* stop)
{
    XToken t;
    t.kind = kind;
    t.text = std::string_view(start, (size_t)(stop - start));
    t.line = mLine;
    return t;
}

XToken XTokenizer::Fail(const char* message)
{
    XToken t;
    t.kind = XTokenKind::Error;
    t.text = message;
    t.line = mLine;
    mCur = mEnd; // nothing after a broken token can be trusted
    return t;
}

void XTokenizer::SkipSpaceAndComments()
{
    while (mCur < mEnd) {
        const char c = *mCur;
        if (c == '\n') {
            ++mLine;
            ++mCur;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++mCur;
        } else if (c == '#' || (c == '/' && mCur + 1 < mEnd && mCur[1] == '/')) {
            while (mCur < mEnd && *mCur != '\n') ++mCur;
        } else {
            return;
        }
    }
}

XToken XTokenizer::ReadNumber(const char* start)
{
    const char* p = start;
    if (*p == '+') ++p; // from_chars takes no leading plus
    double value = 0.0;
    const std::from_chars_result r = std::from_chars(p, mEnd, value);
    if (r.ec != std::errc() || r.ptr == p) return Fail("malformed number");
    if (!std::isfinite(value)) return Fail("number out of range");
    if (r.ptr < mEnd && (IsNameStart(*r.ptr) || *r.ptr == '#' || *r.ptr == '.')) return Fail("malformed number");
    mCur = r.ptr;
    XToken t = Make(XTokenKind::Number, start, mCur);
    t.number = value;
    return t;
}

XToken XTokenizer::ReadDelimited(XTokenKind kind, char close)
{
    const char* start = ++mCur;
    while (mCur < mEnd && *mCur != close && *mCur != '\n') ++mCur;
    if (mCur >= mEnd || *mCur != close)
        return Fail(kind == XTokenKind::String ? "unterminated string" : "unterminated GUID");
    XToken t = Make(kind, start, mCur);
    ++mCur;
    return t;
}

XToken XTokenizer::Next()
{
    SkipSpaceAndComments();
    if (mCur >= mEnd) return Make(XTokenKind::End, mEnd, mEnd);
    const char* start = mCur;
    const char c = *mCur;
    switch (c) {
    case '{':
        ++mCur;
        return Make(XTokenKind::OpenBrace, start, mCur);
    case '}':
        ++mCur;
        return Make(XTokenKind::CloseBrace, start, mCur);
    case ';':
    case ',':
        ++mCur;
        return Make(XTokenKind::Separator, start, mCur);
    case '"':
        return ReadDelimited(XTokenKind::String, '"');
    case '<':
        return ReadDelimited(XTokenKind::Guid, '>');
    default:
        break;
    }
    if (IsDigit(c) || ((c == '-' || c == '+' || c == '.') && mCur + 1 < mEnd && (IsDigit(mCur[1]) || mCur[1] == '.')))
        return ReadNumber(start);
    if (IsNameStart(c)) {
        while (mCur < mEnd && IsNameChar(*mCur)) ++mCur;
        return Make(XTokenKind::Name, start, mCur);
    }
    return Fail("unexpected character");
}

bool XTokenizer::SkipPastCloseBrace()
{
    while (mCur < mEnd) {
        const char c = *mCur++;
        if (c == '\n') ++mLine;
        if (c == '}') return true;
    }
    return false;
}
