// Random sequence, performance counter, drops, wide strings, settings, quit,
// the error report.
#include <windows.h>
#include <shellapi.h>
#include "Win32Error.h"
#include "Win32Host.h"
#include "Win32String.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

TEST(Win32ReportError, WritesTheThreeLinesForAnyInput)
{
    struct Case
    {
        const char* message;
        const char* file;
        int line;
        const char* expected;
    };
    const Case cases[] = {
        {"Could not load mesh", "Heightmap.cpp", 42,
         "Could not load mesh\nFailed in file: Heightmap.cpp\nOn line: 42\n"},
        {nullptr, nullptr, 0, "\nFailed in file: \nOn line: 0\n"},
        {"", "../Maps/a b.x", -1, "\nFailed in file: ../Maps/a b.x\nOn line: -1\n"},
        {"100% done %s", "%d", 7, "100% done %s\nFailed in file: %d\nOn line: 7\n"},
    };
    for (const Case& c : cases) {
        testing::internal::CaptureStderr();
        Win32ReportError(c.message, c.file, c.line);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected);
    }
    testing::internal::CaptureStderr();
    Win32ReportError(std::string("Bad effect"), std::string("fx/a.fx"), 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Bad effect\nFailed in file: fx/a.fx\nOn line: 3\n");
}

TEST(Win32Rand, FollowsTheWindowsSequenceEverywhere)
{
    static_assert(RAND_MAX == 32767, "the Windows range");
    srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(rand(), value);
    // std::rand is the same generator, continuing the same sequence.
    srand(1);
    EXPECT_EQ(std::rand(), 41);
    EXPECT_EQ(rand(), 18467);
    std::srand(12345);
    for (int i = 0; i < 10000; ++i) {
        const int value = rand();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RAND_MAX);
    }
}

TEST(Win32Counter, RealCounterIsMonotonicAndVirtualCounterIsSteered)
{
    LARGE_INTEGER frequency, first, second;
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 10000000);
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    EXPECT_GE(second.QuadPart, first.QuadPart);
    EXPECT_GT(first.QuadPart, 66 * 10000 * 10); // far above one capped frame
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));

    Win32UseVirtualCounter(50000000);
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    EXPECT_EQ(first.QuadPart, 50000000);
    Win32AdvanceVirtualCounter(166667);
    Win32AdvanceVirtualCounter(-5); // never backwards
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    EXPECT_EQ(first.QuadPart, 50166667);
    EXPECT_TRUE(Win32IsCounterVirtual());
    Win32UseRealCounter();
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    EXPECT_GE(first.QuadPart, second.QuadPart);

    // A fixed-time command line makes the very first reading virtual, so the
    // game's clock, started before the framework, sees only fixed steps.
    char a0[] = "Lumveran", a1[] = "-windowed", a2[] = "-ConstantFrameTime:0.05";
    char* fixed[] = {a0, a1, a2};
    Win32SetCommandLine(3, fixed);
    ASSERT_TRUE(QueryPerformanceCounter(&first));
    ASSERT_TRUE(QueryPerformanceCounter(&second));
    EXPECT_TRUE(Win32IsCounterVirtual());
    EXPECT_EQ(first.QuadPart, 10 * kWin32CounterFrequency);
    EXPECT_EQ(second.QuadPart, first.QuadPart);
    char* plain[] = {a0, a1};
    Win32UseRealCounter();
    Win32SetCommandLine(2, plain);
    EXPECT_FALSE(Win32IsCounterVirtual());
}

TEST(Win32Drop, QueryCountLengthAndTruncation)
{
    const std::string longName = "/tmp/" + std::string(300, 'h') + ".bmp";
    HDROP drop = Win32CreateDrop({"/tmp/terr\xC3\xA4in.bmp", longName});
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 0, nullptr, 0), 16u); // "ä" is one character
    EXPECT_EQ(DragQueryFileW(drop, 1, nullptr, 0), static_cast<UINT>(longName.size()));

    wchar_t buffer[256];
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, 256), 16u);
    EXPECT_EQ(Win32WideToUtf8(buffer), "/tmp/terr\xC3\xA4in.bmp");
    // A short buffer gets a terminated prefix.
    buffer[4] = L'!';
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, 4), 3u);
    EXPECT_EQ(std::wstring(buffer), L"/tm");
    EXPECT_EQ(DragQueryFileW(drop, 1, buffer, 256), 255u);
    EXPECT_EQ(std::wstring(buffer).size(), 255u);
    EXPECT_EQ(DragQueryFileW(drop, 0, buffer, 0), 0u);
    EXPECT_EQ(DragQueryFileW(drop, 2, buffer, 256), 0u);
    DragFinish(drop);
    DragFinish(nullptr);
    EXPECT_EQ(DragQueryFileW(nullptr, 0xFFFFFFFFu, nullptr, 0), 0u);

    DragAcceptFiles(nullptr, TRUE);
    EXPECT_TRUE(Win32DropsAccepted());
    DragAcceptFiles(nullptr, FALSE);
    EXPECT_FALSE(Win32DropsAccepted());
}

TEST(Win32String, WideRoundTripAndBadInput)
{
    const std::string text = "Mr Sparkle \xC3\x84\xC3\x96 \xE2\x82\xAC \xF0\x9D\x84\x9E";
    const std::wstring wide = Win32Utf8ToWide(text);
    ASSERT_EQ(wide.size(), 17u);
    EXPECT_EQ(wide[11], L'\u00C4');
    EXPECT_EQ(static_cast<uint32_t>(wide[16]), 0x1D11Eu);
    EXPECT_EQ(Win32WideToUtf8(wide), text);

    EXPECT_EQ(Win32Utf8ToWide("a\xFF"
                              "b"),
              L"a\uFFFDb");
    EXPECT_EQ(Win32Utf8ToWide("x\xE2\x82"), L"x\uFFFD\uFFFD"); // cut short at the end
    EXPECT_EQ(Win32Utf8ToWide("\xC0\xAF"), L"\uFFFD");         // overlong '/'
    EXPECT_EQ(Win32Utf8ToWide("\xED\xA0\x80"), L"\uFFFD");     // encoded surrogate
    EXPECT_EQ(Win32WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(Win32WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xEF\xBF\xBD");

    wchar_t out[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, out, 8), 4);
    EXPECT_STREQ(out, L"abc");
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abcdefghij", -1, out, 8), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    char narrow[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u00E4x", -1, narrow, 8, nullptr, nullptr), 4);
    EXPECT_STREQ(narrow, "\xC3\xA4x");
}

TEST(Win32System, SettingsRectanglesQuitAndMessageBox)
{
    STICKYKEYS sticky = {sizeof(STICKYKEYS), 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(STICKYKEYS), &sticky, 0));
    const DWORD saved = sticky.dwFlags;
    EXPECT_NE(saved & SKF_HOTKEYACTIVE, 0u);
    STICKYKEYS off = {sizeof(STICKYKEYS), 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &off, 0));
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETSTICKYKEYS, sizeof(STICKYKEYS), &sticky, 0));
    EXPECT_EQ(sticky.dwFlags, 0u);
    sticky.dwFlags = saved;
    ASSERT_TRUE(SystemParametersInfoW(SPI_SETSTICKYKEYS, sizeof(STICKYKEYS), &sticky, 0));
    FILTERKEYS filter = {sizeof(FILTERKEYS), 0, 0, 0, 0, 0};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETFILTERKEYS, sizeof(FILTERKEYS), &filter, 0));
    EXPECT_NE(filter.dwFlags & FKF_HOTKEYACTIVE, 0u);
    FILTERKEYS wrongSize = {3, 0, 0, 0, 0, 0};
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETFILTERKEYS, 0, &wrongSize, 0));
    EXPECT_FALSE(SystemParametersInfoW(SPI_GETSTICKYKEYS, 0, nullptr, 0));

    RECT rect = {0, 0, 640, 480};
    ASSERT_TRUE(InflateRect(&rect, -1, -1));
    EXPECT_EQ(rect.left, 1);
    EXPECT_EQ(rect.top, 1);
    EXPECT_EQ(rect.right, 639);
    EXPECT_EQ(rect.bottom, 479);
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    Win32SetClientRectProvider(nullptr);
    EXPECT_FALSE(GetClientRect(reinterpret_cast<HWND>(&rect), &rect));

    Win32ClearQuit();
    EXPECT_FALSE(Win32QuitRequested());
    PostQuitMessage(-1);
    PostQuitMessage(3);
    EXPECT_TRUE(Win32QuitRequested());
    EXPECT_EQ(Win32GetQuitCode(), 3);
    Win32ClearQuit();
    EXPECT_FALSE(Win32QuitRequested());

    EXPECT_EQ(MessageBoxW(nullptr, L"text", L"caption", MB_OK), IDOK);
    EXPECT_TRUE(AllocConsole());
    EXPECT_TRUE(FreeConsole());

    char arg0[] = "Lumveran";
    char arg1[] = "-width:800";
    char arg2[] = "two words";
    char* argv[] = {arg0, arg1, arg2};
    Win32SetCommandLine(3, argv);
    EXPECT_EQ(Win32GetArguments().size(), 2u);
    EXPECT_EQ(std::wstring(GetCommandLineW()), L"Lumveran -width:800 \"two words\"");
}

} // namespace
