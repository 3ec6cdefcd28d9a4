// The spine test's list of named events: what the subsystems send, deliver
// and update, recorded in order so the test can check the order of the
// frame's steps. Off unless the test switches it on; nothing is kept while off.
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
