// The stage numbers the game's rules name, the files of each stage, and the
// stage being played. The level loader is the one writer of the current
// stage: it sets it when a stage file gives its number and puts it back to
// none when a loader is made or goes. Every layer reads it with
// CurrentStage(); tests and tools that load no stage read kNoStage.
#pragma once

#include <string>

constexpr int kNoStage = -1;
// The stage ring runs 1 -> 2 -> 3 -> 4 -> 1.
constexpr int kFirstStage = 1; // in the open: the sun, the breaking bridge, grass to raise dust
constexpr int kWhipStage = 2;  // the chain whips and the logs
constexpr int kLavaStage = 3;  // over lava
constexpr int kCartStage = 4;  // the mine cart
constexpr int kLastStage = kCartStage;

// Whether a number names a stage: kFirstStage to kLastStage.
bool IsStageNumber(int stage);
// The stage after this one on the ring; kNoStage for a number that names none.
int NextStage(int stage);

// The files a stage is made from, named after its number: the level file
// ("stage1.qvl", under LevelsDirectory), the terrain mesh ("stage1.x") and
// the terrain's keys ("stage1.hmp", both under MapsDirectory).
enum class StageFile { Level, Mesh, Heightmap };
// The name of one of a stage's files; empty for a number that names no stage.
std::string StageFileName(int stage, StageFile file = StageFile::Level);

// The stage being played: kFirstStage to kLastStage, kNoStage before the first load.
int CurrentStage();
void SetCurrentStage(int stage);
