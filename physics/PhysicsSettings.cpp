#include "physics/PhysicsSettings.h"

PhysicsSettings gPhysicsSettings;
