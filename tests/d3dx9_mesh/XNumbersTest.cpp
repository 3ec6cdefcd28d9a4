// The numbers of a .x data object: the reader's quick path for plain decimals
// must give what std::from_chars gives, bit for bit, and leave every other
// form to the general path with its reports and line numbers unchanged.
#include <gtest/gtest.h>

#include "xfile/XDocument.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kHeader = "xof 0303txt 0032\n";

uint64_t Bits(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// What the general path makes of one number's text.
double FromChars(const std::string& text)
{
    const size_t skip = !text.empty() && text[0] == '+' ? 1 : 0;
    double v = 0;
    const auto r = std::from_chars(text.data() + skip, text.data() + text.size(), v);
    EXPECT_EQ(r.ec, std::errc()) << text;
    EXPECT_EQ(r.ptr, text.data() + text.size()) << text;
    return v;
}

// The numbers separated the ways real files separate them, inside one object,
// and every one compared bit for bit with from_chars.
void ExpectReadExactly(const std::vector<std::string>& numbers)
{
    const char* const separators[] = {";", ",", ";,\n ", " ", "\t;\r\n"};
    std::string text = std::string(kHeader) + "Data {\n";
    for (size_t i = 0; i < numbers.size(); ++i) text += numbers[i] + separators[i % 5];
    text += "}\n";
    XDocument doc;
    ASSERT_TRUE(doc.Parse(text)) << doc.Error() << " on line " << doc.ErrorLine();
    const std::vector<double>& read = doc.TopLevel().at(0)->numbers;
    ASSERT_EQ(read.size(), numbers.size());
    for (size_t i = 0; i < numbers.size(); ++i) ASSERT_EQ(Bits(read[i]), Bits(FromChars(numbers[i]))) << numbers[i];
}

TEST(XNumbers, PlainDecimalsReadAsFromCharsDoes)
{
    // At the quick path's edges: 53-bit mantissas, 19 digits, 22 decimals,
    // signed zeros, and forms only the general path takes.
    ExpectReadExactly({"0",
                       "-0",
                       "+7",
                       "-0.000000",
                       "14.578752",
                       "-64.000000",
                       "0.1",
                       "0.3",
                       "9007199254740992",
                       "9007199254740993",
                       "9007199254740995",
                       "1234567890123456789",
                       "12345678901234567890123",
                       "0.0000000000000000000001",
                       "0.00000000000000000000001",
                       "0.12345678901234567",
                       "4294967295",
                       "4294967296",
                       "1e5",
                       "1.5E-3",
                       "-2.5e+10",
                       ".5",
                       "-.25",
                       "000000000000000000000000001.5",
                       "3.40282347e38"});

    // A sweep of lengths on both sides of the point, with the digits drawn
    // from a fixed sequence so every run checks the same texts.
    std::vector<std::string> sweep;
    uint32_t state = 12345;
    auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
    for (int whole = 1; whole <= 20; ++whole) {
        for (int fraction = 0; fraction <= 24; ++fraction) {
            for (int sample = 0; sample < 12; ++sample) {
                std::string n = sample % 3 == 0 ? "-" : "";
                for (int d = 0; d < whole; ++d) n += char('0' + next() % 10);
                if (fraction > 0) n += '.';
                for (int d = 0; d < fraction; ++d) n += char('0' + next() % 10);
                sweep.push_back(n);
            }
        }
    }
    ExpectReadExactly(sweep);
}

TEST(XNumbers, MalformedNumbersAreReportedOnTheirLine)
{
    struct Case
    {
        const char* body;
        const char* error;
        int line;
    };
    // The header is line 1 and "Data {" line 2, so the body starts on line 3.
    const Case cases[] = {
        {"1;\n2;\n3x;", "malformed number", 5},      {"1;\n2.5.5;", "malformed number", 4},
        {"1, 2,\n\n 7.25#;", "malformed number", 5}, {"1;\n1e999;", "malformed number", 4},
        {"1;\n-1.#INF;", "malformed number", 4},     {"1; 2;\n+-3;", "unexpected character", 4},
        {"1; 2;\n3 @", "unexpected character", 4},
    };
    for (const Case& c : cases) {
        XDocument doc;
        EXPECT_FALSE(doc.Parse(std::string(kHeader) + "Data {\n" + c.body + "\n}\n")) << c.body;
        EXPECT_EQ(doc.Error(), c.error) << c.body;
        EXPECT_EQ(doc.ErrorLine(), c.line) << c.body;
    }
}

TEST(XNumbers, CommentsAndNestedObjectsSplitRunsWithoutLosingNumbersOrLines)
{
    XDocument doc;
    ASSERT_TRUE(doc.Parse(std::string(kHeader) + "Outer {\n 1; 2; # 99\n 3 // 98\n Inner { 4.5; }\n -6;;\n"
                                                 "Bad {\n\n}\n}\n"));
    const XNode* outer = doc.TopLevel().at(0);
    EXPECT_EQ(outer->numbers, (std::vector<double>{1, 2, 3, -6}));
    ASSERT_EQ(outer->children.size(), 2u);
    EXPECT_EQ(outer->children[0].node->numbers, std::vector<double>{4.5});
    EXPECT_EQ(outer->children[0].line, 5);
    EXPECT_EQ(outer->children[1].line, 7);
}

} // namespace
