// Path helper, file search and freopen against a scratch folder tree.
#include <windows.h>
#include "Win32Path.h"
#include "Win32String.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

class ScratchTree : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/lv_win32_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        MakeFolder("Data");
        MakeFolder("Data/Particles");
        MakeFolder("Data/Particles/Mr Sparkle");
        for (const char* name : {"b.xml", "A.xml", "c.XML", "_x.xml", "notes.txt", "a1.xml"}) {
            Touch("Data/Particles/" + std::string(name), 3);
        }
        Touch("Data/Particles/Mr Sparkle/Spark_0.PNG", 10);
    }
    void TearDown() override
    {
        const std::string command = "rm -rf '" + root + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    void MakeFolder(const std::string& relative) { ASSERT_EQ(mkdir((root + "/" + relative).c_str(), 0755), 0); }
    void Touch(const std::string& relative, int bytes)
    {
        FILE* file = std::fopen((root + "/" + relative).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        for (int i = 0; i < bytes; ++i) std::fputc('x', file);
        std::fclose(file);
    }
    static bool Exists(const std::string& path)
    {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }
    std::vector<std::string> List(const std::wstring& pattern)
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAW data;
        HANDLE find = FindFirstFileW(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return names;
        do {
            names.push_back(Win32WideToUtf8(data.cFileName));
        } while (FindNextFileW(find, &data));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(FindClose(find));
        return names;
    }
    std::string root;
};

TEST_F(ScratchTree, PathHelperMapsSeparatorsAndLetterCase)
{
    const std::string exact = root + "/Data/Particles/Mr Sparkle/Spark_0.PNG";
    EXPECT_EQ(Win32ResolvePath(root + "\\Data\\Particles\\Mr Sparkle\\Spark_0.PNG"), exact);
    EXPECT_EQ(Win32ResolvePath(root + "\\data\\PARTICLES\\mr sparkle\\spark_0.png"), exact);
    EXPECT_EQ(Win32ResolvePath(Win32Utf8ToWide(root + "\\DATA\\particles\\MR SPARKLE\\SPARK_0.png")), exact);
    // "..", doubled separators and a trailing separator survive the fallback.
    EXPECT_EQ(Win32ResolvePath(root + "\\data\\..\\Data\\\\particles\\"), root + "/Data/../Data/Particles/");
    // A name that does not exist yet keeps its spelling inside the matched folder.
    EXPECT_EQ(Win32ResolvePath(root + "\\DATA\\Particles\\New File.hmp"), root + "/Data/Particles/New File.hmp");
    EXPECT_EQ(Win32ResolvePath(root + "\\Missing\\deeper\\x.txt"), root + "/Missing/deeper/x.txt");

    // Relative names stay relative to the working directory.
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir((root + "/Data/Particles").c_str()), 0);
    EXPECT_EQ(Win32ResolvePath("..\\PARTICLES\\mr sparkle\\spark_0.png"), "../Particles/Mr Sparkle/Spark_0.PNG");
    EXPECT_EQ(Win32ResolvePath("B.XML"), "b.xml");
    ASSERT_EQ(chdir(previous), 0);
}

TEST_F(ScratchTree, FindFileListsInWindowsOrderAndEndsWithNoMoreFiles)
{
    // Upper-cased code-point order: '.' < '1' and '_' after the letters.
    const std::vector<std::string> expected = {"A.xml", "a1.xml", "b.xml", "c.XML", "_x.xml"};
    EXPECT_EQ(List(Win32Utf8ToWide(root + "\\Data\\Particles\\*.xml")), expected);
    EXPECT_EQ(List(Win32Utf8ToWide(root + "\\data\\particles\\*.XML")), expected);
    EXPECT_EQ(List(Win32Utf8ToWide(root + "/Data/Particles/?.xml")),
              (std::vector<std::string>{"A.xml", "b.xml", "c.XML"}));

    // Folders are listed too, with their attribute, and "*.*" means everything.
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Win32Utf8ToWide(root + "\\Data\\Particles\\mr*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Win32WideToUtf8(data.cFileName), "Mr Sparkle");
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(FindNextFileW(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(FindNextFileW(find, &data)); // still the end, never past it
    FindClose(find);
    find = FindFirstFileW(Win32Utf8ToWide(root + "\\Data\\Particles\\Mr Sparkle\\*.*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    std::vector<std::string> all;
    do {
        all.push_back(Win32WideToUtf8(data.cFileName));
        if (all.back() == "Spark_0.PNG") {
            EXPECT_EQ(data.nFileSizeLow, 10u);
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    EXPECT_EQ(all, (std::vector<std::string>{".", "..", "Spark_0.PNG"}));

    // No match and a missing folder fail with their own codes.
    EXPECT_EQ(FindFirstFileW(Win32Utf8ToWide(root + "\\Data\\*.wav").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileW(Win32Utf8ToWide(root + "\\Nowhere\\*.xml").c_str(), &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));
    EXPECT_FALSE(FindNextFileW(INVALID_HANDLE_VALUE, &data));
}

TEST_F(ScratchTree, FreopenKeepsTheConsoleAndResolvesOtherNames)
{
    char previous[4096];
    ASSERT_NE(getcwd(previous, sizeof(previous)), nullptr);
    ASSERT_EQ(chdir(root.c_str()), 0);

    ASSERT_TRUE(AllocConsole()); // as the game's start-up does first
    FILE* stream = std::fopen("first.txt", "w");
    ASSERT_NE(stream, nullptr);
    // The console name keeps the stream and creates no file.
    EXPECT_EQ(freopen("CONOUT$", "w", stream), stream);
    EXPECT_FALSE(Exists(root + "/CONOUT$"));
    ASSERT_GE(std::fputs("kept", stream), 0);
    // Any other name is reopened through the path helper.
    FILE* reopened = freopen("data\\PARTICLES\\log.txt", "w", stream);
    ASSERT_NE(reopened, nullptr);
    std::fputs("line\n", reopened);
    std::fclose(reopened);
    EXPECT_TRUE(Exists(root + "/Data/Particles/log.txt"));
    // What went to the stream before the console call stayed in the first file.
    FILE* first = std::fopen("first.txt", "r");
    ASSERT_NE(first, nullptr);
    char text[16] = {};
    EXPECT_NE(std::fgets(text, sizeof(text), first), nullptr);
    std::fclose(first);
    EXPECT_STREQ(text, "kept");
    ASSERT_EQ(chdir(previous), 0);
}

} // namespace
