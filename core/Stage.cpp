#include "core/Stage.h"

namespace {
int sCurrentStage = kNoStage;
} // namespace

int CurrentStage()
{
    return sCurrentStage;
}

void SetCurrentStage(int stage)
{
    sCurrentStage = stage;
}
