// The developer diagnostics channel. Every subsystem may write to it; this
// build discards what it is given. Failures the user must see go to the error
// stream instead.
#pragma once

#if defined(__GNUC__)
#define LV_PRINTF_FORMAT(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define LV_PRINTF_FORMAT(fmt, first)
#endif

void DebugPrint(const char* format, ...) LV_PRINTF_FORMAT(1, 2);
