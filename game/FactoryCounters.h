// The object factories' running counters. They live for the whole run, not
// for one stage: a stage clear keeps them, so each stage builds its spinning
// logs, chain whips, swinging logs and swinging-log triggers in complete
// groups (four, two, three and three on stage 2) and the next stage starts
// each group afresh.
#pragma once

// The next spinning log's set-up: its spin speed (radians per second about
// its axis) and whether it stands upright as a drum (no hazard line then).
struct SpinningLogSetup
{
    float speed;
    bool upright;
};
SpinningLogSetup NextSpinningLogSetup();

// True for every second chain whip made: it spins the other way.
bool NextChainWhipReversed();

// The pose the next swinging log is hung in.
enum class SwingingLogPose {
    SwungForward,  // swung to +60 degrees
    SwungBack,     // swung to -60 degrees
    TurnedAndBack, // turned 90 degrees about z, then swung by -80 degrees
};
SwingingLogPose NextSwingingLogPose();

// Which swinging log the next swinging-log trigger releases.
int NextSwingingLogTriggerIndex();

// The counters as at start-up, for tests and fuzz inputs that each stand for
// a run of their own: the game itself never resets them.
void ResetFactoryCountersForTest();
