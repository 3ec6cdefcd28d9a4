#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TempFile.h"
#include "core/ConfigFile.h"
#include "core/ConfigSyntax.h"
#include "core/ConfigTokenizer.h"

namespace {
std::vector<std::string> Tokens(const std::string& line)
{
    std::vector<std::string> tokens{"stale"};
    TokenizeConfigLine(line, tokens);
    return tokens;
}

typedef std::vector<std::string> Strings;
} // namespace

TEST(ConfigSyntax, TokenisingRules)
{
    EXPECT_EQ(Tokens("physics_gravity (0, 0, -9.8)"), (Strings{"physics_gravity", "0", "0", "-9.8"}));
    EXPECT_EQ(Tokens("physics_gravity 0 0 -9.8"), Tokens("physics_gravity (0, 0, -9.8)"));
    EXPECT_EQ(Tokens("box_elasticity 0.5 # bouncy"), (Strings{"box_elasticity", "0.5"}));
    EXPECT_EQ(Tokens("ab#cd ef"), (Strings{"ab"})); // cut inside a token too
    EXPECT_EQ(Tokens("\t a\r"), (Strings{"a"}));
    EXPECT_TRUE(Tokens("   # only a comment").empty());
    EXPECT_TRUE(Tokens("").empty());
    EXPECT_EQ(Tokens("f true True TRUE false False FALSE tRue trues"),
              (Strings{"f", "1", "1", "1", "0", "0", "0", "tRue", "trues"}));
}

TEST(ConfigFileReader, LookupsFollowTheFirstRecordRule)
{
    TempFile file("# tuning\n"
                  "\n"
                  "physics_freq_max 500\n"
                  "physics_freq 60\n"
                  "physics_freq 120\n"
                  "physics_gravity\n"
                  "physics_gravity (0, 0, -9.8)\n"
                  "box_elasticity 0.5 # bouncy\n"
                  "Fullscreen TRUE\n"
                  "Windowed False\n"
                  "size 640 480\n"
                  "mixed 1 x 3\n");
    bool ok = false;
    ConfigFile config(file.Path(), &ok);
    ASSERT_TRUE(ok);

    int freq = 0;
    EXPECT_TRUE(config.GetValue("physics_freq", freq));
    EXPECT_EQ(freq, 60); // the first record wins, and physics_freq_max is another name

    std::vector<float> gravity{7.0f};
    EXPECT_FALSE(config.GetValues("physics_gravity", gravity)); // the first record has no values
    EXPECT_TRUE(gravity.empty());                               // found: cleared

    std::vector<float> missing{7.0f};
    EXPECT_FALSE(config.GetValues("physics_nothing", missing));
    EXPECT_EQ(missing, std::vector<float>{7.0f}); // not found: untouched

    float elasticity = 0.0f;
    EXPECT_TRUE(config.GetValue("box_elasticity", elasticity));
    EXPECT_EQ(elasticity, 0.5f);

    bool fullscreen = false;
    bool windowed = true;
    EXPECT_TRUE(config.GetValue("Fullscreen", fullscreen));
    EXPECT_TRUE(config.GetValue("Windowed", windowed));
    EXPECT_TRUE(fullscreen);
    EXPECT_FALSE(windowed);

    unsigned int width = 0;
    EXPECT_TRUE(config.GetValue("size", width)); // several values: the first
    EXPECT_EQ(width, 640u);

    std::vector<int> mixed;
    EXPECT_TRUE(config.GetValues("mixed", mixed));
    EXPECT_EQ(mixed, (std::vector<int>{1, 0, 0})); // one value per token, 0 from the bad one on

    float untouched = 3.0f;
    EXPECT_FALSE(config.GetValue("physics_gravity", untouched));
    EXPECT_EQ(untouched, 3.0f);
}

TEST(ConfigFileReader, EveryLookupSeesTheFileFromTheTop)
{
    TempFile file("a 1\nb 2\n");
    bool ok = false;
    ConfigFile config(file.Path(), &ok);
    int value = 0;
    EXPECT_TRUE(config.GetValue("b", value));
    EXPECT_EQ(value, 2);
    EXPECT_TRUE(config.GetValue("a", value));
    EXPECT_EQ(value, 1);
}

TEST(ConfigFileReader, MissingFile)
{
    bool ok = true;
    ConfigFile config("/nonexistent/dir/Physics.cfg", &ok);
    EXPECT_FALSE(ok);
    float value = 4.0f;
    EXPECT_FALSE(config.GetValue("physics_freq", value));
    EXPECT_EQ(value, 4.0f);
    std::vector<std::string> tokens;
    EXPECT_FALSE(config.ReadRecord(nullptr, tokens));
}

TEST(ConfigFileReader, LineLimitWithLfAndCrlf)
{
    for (const std::string eol : {"\n", "\r\n"}) {
        // "pad " plus 250 characters: a record of exactly 254 characters.
        const std::string line254 = "pad " + std::string(250, 'x');
        const std::string line255 = line254 + "x";
        ASSERT_EQ(line254.size(), 254u);

        TempFile accepted("first 1" + eol + line254 + eol + "after 2" + eol);
        bool ok = false;
        ConfigFile a(accepted.Path(), &ok);
        int value = 0;
        EXPECT_TRUE(a.GetValue("after", value)) << "eol size " << eol.size();
        EXPECT_EQ(value, 2);

        TempFile hidden("first 1" + eol + line255 + eol + "after 2" + eol);
        ConfigFile h(hidden.Path(), &ok);
        value = 0;
        EXPECT_TRUE(h.GetValue("first", value));
        EXPECT_FALSE(h.GetValue("after", value)) << "eol size " << eol.size();
        // Lines of only CRs count too: two CRs are one character over.
        TempFile crs("x" + std::string(253, ' ') + "\r\r\nafter 2\n");
        ConfigFile c(crs.Path(), &ok);
        EXPECT_FALSE(c.GetValue("after", value));
    }
}

TEST(ConfigTokenizerReader, ReadsRecordsInOrderUpTo999)
{
    for (const std::string eol : {"\n", "\r\n"}) {
        const std::string line999 = "label " + std::string(993, 'v');
        ASSERT_EQ(line999.size(), 999u);
        TempFile file("Header Blur" + eol + "# comment" + eol + eol + "Technique (T1, 0)" + eol + line999 + eol +
                      "Last END" + eol + line999 + "v" + eol + "Hidden 1" + eol);
        bool ok = false;
        ConfigTokenizer tokenizer(file.Path(), &ok);
        ASSERT_TRUE(ok);
        std::vector<std::string> tokens;
        ASSERT_TRUE(tokenizer.ReadLine(tokenizer.GetStream(), tokens));
        EXPECT_EQ(tokens, (Strings{"Header", "Blur"}));
        ASSERT_TRUE(tokenizer.ReadLine(tokens));
        EXPECT_EQ(tokens, (Strings{"Technique", "T1", "0"}));
        ASSERT_TRUE(tokenizer.ReadLine(tokens));
        EXPECT_EQ(tokens.size(), 2u);
        ASSERT_TRUE(tokenizer.ReadLine(tokens));
        EXPECT_EQ(tokens, (Strings{"Last", "END"}));
        EXPECT_FALSE(tokenizer.ReadLine(tokens)); // the 1000-character line ends the pass
    }

    bool ok = true;
    ConfigTokenizer missing("/nonexistent/Blur.cfg", &ok);
    EXPECT_FALSE(ok);
    std::vector<std::string> tokens;
    EXPECT_FALSE(missing.ReadLine(tokens));
    EXPECT_FALSE(missing.ReadLine(nullptr, tokens));
}

TEST(ConfigTokenizerReader, EndlessLineEndsThePass)
{
    // No line feed at all, far past the limit: read stops without holding it.
    TempFile file(std::string(5000000, 'z'));
    bool ok = false;
    ConfigTokenizer tokenizer(file.Path(), &ok);
    std::vector<std::string> tokens;
    EXPECT_FALSE(tokenizer.ReadLine(tokens));

    TempFile last("a 1\nlast 7");
    ConfigFile config(last.Path(), &ok);
    int value = 0;
    EXPECT_TRUE(config.GetValue("last", value)); // a final line without a line feed counts
    EXPECT_EQ(value, 7);
}
