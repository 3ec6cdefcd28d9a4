// A scripted game for the framework tests: every callback appends a line.
#pragma once

#include "DXUT.h"
#include "DXUTHeadless.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

struct ScriptedGame
{
    std::vector<std::string> log;
    bool acceptSettings = true;
    HRESULT createdResult = S_OK;
    // Settings the game writes in its modify callback (0 = leave as given).
    UINT fullscreenWidth = 640;
    UINT fullscreenHeight = 480;
    bool swallowMessages = false;
    int quitAtFrame = 0;
    int quitCode = 0;
    int frames = 0;
    int escapes = 0;
    std::vector<LONGLONG> countersInMove;
    std::vector<double> timesInMove;
    std::vector<float> elapsedInMove;
    DWORD psVersionSeen = 0;
    RECT clientInModify = {0, 0, 0, 0};
};

// Installs the seven callbacks and the Escape hook, all logging into game.
void InstallScriptedGame(ScriptedGame& game);
// A windowed settings record as the game fills it (zero size: client size).
DXUTDeviceSettings WindowedSettings();

class FrameworkTest : public ::testing::Test
{
protected:
    void SetUp() override { DXUTHeadlessReset(); }
    void TearDown() override { DXUTHeadlessReset(); }
    // Headless framework with a device, the game's callbacks installed.
    void StartHeadless(int width = 320, int height = 240, double step = 0.01)
    {
        DXUTHeadlessEnable(step);
        InstallScriptedGame(game);
        ASSERT_EQ(DXUTInit(false, true, false, true), S_OK);
        ASSERT_EQ(DXUTCreateWindow(L"Test", nullptr, nullptr, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, width, height),
                  S_OK);
        DXUTDeviceSettings settings = WindowedSettings();
        ASSERT_EQ(DXUTCreateDeviceFromSettings(&settings), S_OK);
        game.log.clear();
    }
    ScriptedGame game;
};
