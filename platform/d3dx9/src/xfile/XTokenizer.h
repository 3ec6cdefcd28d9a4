// Tokens of the text .x format. The tokenizer walks a buffer it does not own
// and hands out views into it, so reading a file allocates nothing per token.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

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
    // *end must be readable and NUL, as a std::string's data() + size() is.
    XTokenizer(const char* begin, const char* end) : mCur(begin), mEnd(end) {}

    XToken Next();
    // Reads the run of plain numbers and separators that makes up most of a
    // data object straight into out, without a token per number, and stops
    // before anything else: names, braces, strings, comments and any number
    // written in a form the quick conversion leaves to Next().
    void AppendNumberRun(std::vector<double>* out);
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
