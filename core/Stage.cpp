#include "core/Stage.h"

namespace {

int sCurrentStage = kNoStage;

const char* const kStageFilePrefix = "stage";
// By StageFile.
const char* const kStageFileExtensions[] = {".qvl", ".x", ".hmp"};

} // namespace

bool IsStageNumber(int stage)
{
    return stage >= kFirstStage && stage <= kLastStage;
}

int NextStage(int stage)
{
    if (!IsStageNumber(stage)) return kNoStage;
    return stage == kLastStage ? kFirstStage : stage + 1;
}

std::string StageFileName(int stage, StageFile file)
{
    if (!IsStageNumber(stage)) return std::string();
    return kStageFilePrefix + std::to_string(stage) + kStageFileExtensions[static_cast<int>(file)];
}

int CurrentStage()
{
    return sCurrentStage;
}

void SetCurrentStage(int stage)
{
    sCurrentStage = stage;
}
