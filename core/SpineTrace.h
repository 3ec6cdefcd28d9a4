// A record of calls made through the frame loop's not-yet-built operations,
// for the tests that check the order of the frame's steps. Off unless a test
// switches it on; nothing is kept while off.
#pragma once

#include <string>
#include <vector>

namespace SpineTrace {
void Enable(bool on);
bool IsEnabled();
void Record(const std::string& call);
void Clear();
const std::vector<std::string>& Calls();
} // namespace SpineTrace
