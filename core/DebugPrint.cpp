#include "core/DebugPrint.h"

// The release build shows developer diagnostics nowhere.
void DebugPrint(const char* format, ...)
{
    (void)format;
}
