#include "physics/PhysicsConfigReader.h"

#include <limits>
#include <sstream>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"

float PhysicsConfigReader::Float(const char* key, float fallback, float lowest, float highest, bool allowLowest)
{
    return Read(key, fallback, lowest, highest, allowLowest);
}

int PhysicsConfigReader::Int(const char* key, int fallback, int lowest, int highest)
{
    return Read(key, fallback, lowest, highest, true);
}

unsigned int PhysicsConfigReader::Unsigned(const char* key, unsigned int fallback)
{
    return Read(key, fallback, 0u, std::numeric_limits<unsigned int>::max(), true);
}

bool PhysicsConfigReader::Bool(const char* key, bool fallback)
{
    return Read(key, fallback, false, true, true);
}

template <typename T>
T PhysicsConfigReader::Read(const char* key, T fallback, T lowest, T highest, bool allowLowest)
{
    T value = fallback;
    if (config.GetChecked(key, value, ConfigRange<T>{lowest, highest, allowLowest}) == ConfigRead::kMissing &&
        reportMissing) {
        std::ostringstream message;
        message << "Physics.cfg has no value for \"" << key << "\"; using " << fallback;
        REPORT_ERROR(message.str());
    }
    return value;
}
