#pragma once

class Heightmap
{
public:
    float elasticity = 0.0f;
    float staticFriction = 0.0f;
    float dynamicFriction = 0.0f;
};
