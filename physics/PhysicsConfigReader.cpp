#include "physics/PhysicsConfigReader.h"

#include <cmath>
#include <sstream>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"

float PhysicsConfigReader::Float(const char* key, float fallback, float lowest, float highest, bool allowLowest)
{
    float value = fallback;
    if (!Find(key, value, fallback)) {
        return fallback;
    }
    const bool aboveLowest = allowLowest ? value >= lowest : value > lowest;
    if (std::isfinite(value) && aboveLowest && value <= highest) {
        return value;
    }
    ReportUnusable(key, value, fallback);
    return fallback;
}

int PhysicsConfigReader::Int(const char* key, int fallback, int lowest, int highest)
{
    int value = fallback;
    if (!Find(key, value, fallback)) {
        return fallback;
    }
    if (value >= lowest && value <= highest) {
        return value;
    }
    ReportUnusable(key, value, fallback);
    return fallback;
}

unsigned int PhysicsConfigReader::Unsigned(const char* key, unsigned int fallback)
{
    unsigned int value = fallback;
    return Find(key, value, fallback) ? value : fallback;
}

bool PhysicsConfigReader::Bool(const char* key, bool fallback)
{
    bool value = fallback;
    return Find(key, value, fallback) ? value : fallback;
}

template <typename T>
bool PhysicsConfigReader::Find(const char* key, T& value, T fallback)
{
    if (config.GetValue<T>(key, value)) {
        return true;
    }
    value = fallback;
    if (reportMissing) {
        std::ostringstream message;
        message << "Physics.cfg has no value for \"" << key << "\"; using " << fallback;
        REPORT_ERROR(message.str());
    }
    return false;
}

template <typename T>
void PhysicsConfigReader::ReportUnusable(const char* key, T value, T fallback)
{
    std::ostringstream message;
    message << "Physics.cfg value " << value << " for \"" << key << "\" is out of range; using " << fallback;
    REPORT_ERROR(message.str());
}
