// Tokens of the text .x format. The tokenizer walks a buffer it does not own
// and hands out views into it, so reading a file allocates nothing per token.
#pragma once

#include <cstdint>
#include <string_view>

enum class XTokenKind : uint8_t {
    End,    // end of the buffer
    Name,   // identifier: type, object or reference name
    Number, // integer or real, value in XToken::number
    String, // "text" (text holds the inside, without quotes)
    Guid,   // <...>
    OpenBrace,
    CloseBrace,
    Separator, // ';' or ','
    Error      // malformed token; XToken::text says what
};

struct XToken
{
    XTokenKind kind = XTokenKind::End;
    std::string_view text;
    double number = 0.0;
    int line = 1;
};

class XTokenizer
{
public:
    XTokenizer(const char* begin, const char* end) : mCur(begin), mEnd(end) {}

    XToken Next();
    int Line() const { return mLine; }
    // Skips raw text up to and including the next '}', for template bodies,
    // whose declarations use characters data never does. False at the end.
    bool SkipPastCloseBrace();

private:
    void SkipSpaceAndComments();
    XToken ReadNumber(const char* start);
    XToken ReadDelimited(XTokenKind kind, char close);
    XToken Make(XTokenKind kind, const char* start, const char* stop);
    XToken Fail(const char* message);

    const char* mCur;
    const char* mEnd;
    int mLine = 1;
};
