// Level files and the stage flow. Placeholder until levels are written.
#pragma once

#include <string>

#include "core/EventObj.h"

class LevelLoader : public fEventObj
{
public:
    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override {}

    void LoadLevel(const std::string& name);
    // The current stage number, -1 before the first load.
    int GetStage() const { return stage; }

private:
    int stage = -1;
};

extern LevelLoader* gLevelLoader;
