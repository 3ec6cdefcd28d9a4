#include "game/FactoryCounters.h"

namespace {

const SpinningLogSetup kSpinningLogs[] = {
    {0.5f, false},
    {-0.5f, false},
    {-0.4f, true},
    {0.8f, true},
};
const int kSpinningLogCount = static_cast<int>(sizeof kSpinningLogs / sizeof kSpinningLogs[0]);
const SwingingLogPose kSwingingLogPoses[] = {SwingingLogPose::SwungForward, SwingingLogPose::SwungBack,
                                             SwingingLogPose::TurnedAndBack};
const int kSwingingLogCount = static_cast<int>(sizeof kSwingingLogPoses / sizeof kSwingingLogPoses[0]);

int sSpinningLog = 0;
bool sWhipReversed = false;
int sSwingingLog = 0;
int sSwingingLogTrigger = 0;

int Advance(int& counter, int count)
{
    const int current = counter;
    counter = (counter + 1) % count;
    return current;
}

} // namespace

SpinningLogSetup NextSpinningLogSetup()
{
    return kSpinningLogs[Advance(sSpinningLog, kSpinningLogCount)];
}

bool NextChainWhipReversed()
{
    const bool reversed = sWhipReversed;
    sWhipReversed = !sWhipReversed;
    return reversed;
}

SwingingLogPose NextSwingingLogPose()
{
    return kSwingingLogPoses[Advance(sSwingingLog, kSwingingLogCount)];
}

int NextSwingingLogTriggerIndex()
{
    return Advance(sSwingingLogTrigger, kSwingingLogCount);
}

void ResetFactoryCountersForTest()
{
    sSpinningLog = 0;
    sWhipReversed = false;
    sSwingingLog = 0;
    sSwingingLogTrigger = 0;
}
