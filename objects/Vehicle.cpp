#include "objects/Vehicle.h"

// Out of line so the class's virtual table has one home.
Vehicle::~Vehicle() = default;
