// Checked reads of the physics keys in "Physics.cfg". Every value is checked:
// a zero or negative frequency would stop or reverse the simulation, a huge
// one would run thousands of sub-steps per frame, and a negative iteration
// count or time scale makes no sense. A word that is no number (such as "nan")
// or a number outside the key's range keeps the default and is reported, as
// is a missing key when the caller asks for that.
#pragma once

class ConfigFile;

class PhysicsConfigReader
{
public:
    PhysicsConfigReader(ConfigFile& config_, bool reportMissing_) : config(config_), reportMissing(reportMissing_) {}

    // In (lowest, highest], or [lowest, highest] when allowLowest; finite.
    float Float(const char* key, float fallback, float lowest, float highest, bool allowLowest);
    // In [lowest, highest].
    int Int(const char* key, int fallback, int lowest, int highest);
    unsigned int Unsigned(const char* key, unsigned int fallback);
    bool Bool(const char* key, bool fallback);

private:
    template <typename T>
    T Read(const char* key, T fallback, T lowest, T highest, bool allowLowest);

    ConfigFile& config;
    bool reportMissing;
};
