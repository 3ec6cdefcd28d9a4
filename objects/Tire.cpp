#include "objects/Tire.h"

#include "objects/Wheel.h"

void Tire::Update()
{
    if (wheel != nullptr) wheel->ComputeTransform(&position, &orientation);
}
