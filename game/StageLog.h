// The stage log: what the level writer produces, line by line. Each call
// prints its text to standard output and adds it to the level file being
// written; the file is replaced only when the log is closed, and then whole,
// so a save cut short never leaves a truncated stage behind.
#pragma once

#include <string>

#include "core/DebugPrint.h" // LV_PRINTF_FORMAT

// printf-style. The first call after start-up or after a close opens the log
// on the levels folder's file of the current stage's level name.
void StageLog(const char* format, ...) LV_PRINTF_FORMAT(1, 2);
// Writes the file (reported when it cannot be written) and closes the log.
void CloseStageLog();
// What the log has gathered since it opened.
const std::string& StageLogText();
// Closes the log without writing: the file stays as it was.
void DiscardStageLog();
