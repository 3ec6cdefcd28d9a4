#pragma once

#include "physics/PhysicsController.h"

class Joint : public PhysicsController
{
};
