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

// What may not follow a number directly.
inline bool EndsNumberBadly(char c)
{
    return IsNameStart(c) || c == '#' || c == '.';
}

// Largest mantissa a double holds exactly, and the powers of ten it holds exactly.
const uint64_t kExactMantissa = uint64_t(1) << 53;
const int kMaxMantissaDigits = 19; // no uint64_t overflow below this many
const double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
const int kMaxExactPower = 22;

// Reads [+-]digits[.digits] (at least one digit after a point) and nothing
// else. When the digits make an integer m of at most 53 bits and there are k
// <= 22 of them after the point, m and 10^k are exact doubles and the one
// division rounds the quotient correctly, so the value is the one
// from_chars gives, bit for bit, at a fraction of the cost. Anything else
// (exponents, long mantissas, a bad character after the digits) returns
// false with p unmoved, for the general path to read or report.
// The buffer's end is readable and holds a NUL, which stops every loop here
// without a bounds test of its own.
inline bool QuickNumber(const char*& p, double* value)
{
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+') ++q;
    if (!IsDigit(*q)) return false;
    uint64_t mantissa = 0;
    int digits = 0;
    for (; IsDigit(*q); ++q, ++digits) mantissa = mantissa * 10 + uint64_t(*q - '0');
    int fraction = 0;
    if (*q == '.') {
        ++q;
        for (; IsDigit(*q); ++q, ++fraction) mantissa = mantissa * 10 + uint64_t(*q - '0');
        if (fraction == 0) return false;
    }
    if (digits + fraction > kMaxMantissaDigits || mantissa > kExactMantissa || fraction > kMaxExactPower) return false;
    if (EndsNumberBadly(*q)) return false;
    double v = double(mantissa);
    if (fraction > 0) v /= kExactPowersOfTen[fraction];
    *value = negative ? -v : v;
    p = q;
    return true;
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
    if (r.ptr < mEnd && EndsNumberBadly(*r.ptr)) return Fail("malformed number");
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

void XTokenizer::AppendNumberRun(std::vector<double>* out)
{
    // Stops at the terminating NUL like at any other character it does not take.
    const char* p = mCur;
    int line = mLine;
    for (;;) {
        const char c = *p;
        if (c == ' ' || c == ';' || c == ',' || c == '\t' || c == '\r') {
            ++p;
        } else if (c == '\n') {
            ++line;
            ++p;
        } else {
            double value;
            if (!QuickNumber(p, &value)) break;
            out->push_back(value);
        }
    }
    mCur = p;
    mLine = line;
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
