// The world's tuning from "Physics.cfg". Every value is checked: a zero or
// negative frequency would stop or reverse the simulation, a huge one would run
// thousands of sub-steps per frame, and a negative iteration count or time
// scale makes no sense. Such values keep the default and are reported.
#include <cmath>
#include <sstream>
#include <string>

#include "core/ConfigFile.h"
#include "core/ErrorReport.h"
#include "core/Resources.h"
#include "physics/PhysicsSettings.h"
#include "physics/PhysicsWorld.h"

namespace {

class ConfigReader
{
public:
    ConfigReader(ConfigFile& config_, bool reportMissing_) : config(config_), reportMissing(reportMissing_) {}

    float Float(const char* key, float fallback, float lowest, float highest, bool allowLowest)
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

    int Int(const char* key, int fallback, int lowest, int highest)
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

    unsigned int Unsigned(const char* key, unsigned int fallback)
    {
        unsigned int value = fallback;
        return Find(key, value, fallback) ? value : fallback;
    }

    bool Bool(const char* key, bool fallback)
    {
        bool value = fallback;
        return Find(key, value, fallback) ? value : fallback;
    }

private:
    template <typename T>
    bool Find(const char* key, T& value, T fallback)
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
    void ReportUnusable(const char* key, T value, T fallback)
    {
        std::ostringstream message;
        message << "Physics.cfg value " << value << " for \"" << key << "\" is out of range; using " << fallback;
        REPORT_ERROR(message.str());
    }

    ConfigFile& config;
    bool reportMissing;
};

} // namespace

bool PhysicsWorld::LoadConfig()
{
    const std::string path = ConfigDirectory + "Physics.cfg";
    bool opened = false;
    ConfigFile config(path, &opened);
    if (!opened) {
        REPORT_ERROR("Could not open " + path + "; physics runs with its default tuning");
    }
    ReadConfig(config, opened);
    return opened;
}

bool PhysicsWorld::LoadConfig(ConfigFile& config)
{
    ReadConfig(config, true);
    return true;
}

void PhysicsWorld::ReadConfig(ConfigFile& config, bool reportMissing)
{
    ConfigReader reader(config, reportMissing);

    const float gravity = reader.Float("physics_gravity", 9.81f, 0.0f, 1000.0f, true);
    gPhysicsSettings.gravity = Vector3(0.0f, 0.0f, -gravity);
    step = 1.0f / reader.Float("physics_freq", 100.0f, 10.0f, 1000.0f, true);
    timeScale = reader.Float("physics_time_scale", 1.0f, 0.0f, 100.0f, false);
    useSmallerTimestep = reader.Bool("use_smaller_timestep", true);
    gPhysicsSettings.useOneEdgeCollisionForHeightmap = reader.Bool("use_one_edge_collision_for_heightmap", true);
    gPhysicsSettings.useOneEdgeCollisionForBody = reader.Bool("use_one_edge_collision_for_body", false);
    gPhysicsSettings.collisionSystem = reader.Unsigned("physics_collision_system", 1u);
    collisionIterations = reader.Int("physics_collision_iterations", 5, 1, 100);
    reuseCollisions = reader.Bool("physics_reuse_collisions", false);
    contactIterations = reader.Int("physics_contact_iterations", 10, 1, 100);
    penetrationIterations = reader.Int("physics_penetration_iterations", 10, 1, 100);
    penetrationResolveFraction = reader.Float("physics_penetration_resolve_fraction", 0.008f, 0.0f, 1.0f, false);
    gPhysicsSettings.interpolateCollisionMesh = reader.Bool("interpolate_collision_mesh", true);
    SetFreezing(reader.Bool("physics_enable_freezing", true));
    pushStrength = reader.Float("physics_force_per_vel_per_mass", 15.0f, 0.0f, 1000.0f, false);

    simulatedTime = 0.0f;
}
