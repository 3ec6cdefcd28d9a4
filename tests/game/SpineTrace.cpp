#include "SpineTrace.h"

namespace {
bool gEnabled = false;

std::vector<std::string>& Storage()
{
    static std::vector<std::string> calls;
    return calls;
}
} // namespace

namespace SpineTrace {
void Enable(bool on)
{
    gEnabled = on;
}

bool IsEnabled()
{
    return gEnabled;
}

void Record(const std::string& call)
{
    if (gEnabled) {
        Storage().push_back(call);
    }
}

void Clear()
{
    Storage().clear();
}

const std::vector<std::string>& Calls()
{
    return Storage();
}
} // namespace SpineTrace
