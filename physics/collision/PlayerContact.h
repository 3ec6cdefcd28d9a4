// What detection tells the player controller: the walking body touched the
// ground, or the pair loop met a body near it. The player installs a listener
// here when it exists; without one (headless runs, tools) nothing is told.
#pragma once

#include "physics/BodyTypes.h" // kPlayerBodyType: the walking body

class RigidBody;

class PlayerContactListener
{
public:
    virtual ~PlayerContactListener() = default;

    // False while body contacts must not reach the player (the mine-cart stage).
    virtual bool AcceptsBodyContacts() const = 0;
    // A sample point of the walking body lies under the terrain.
    virtual void OnTerrainContact() = 0;
    // The pair loop passed the walking body and other through its cheap tests;
    // the player decides whether other counts as something it touches.
    virtual void OnBodyContact(RigidBody* other) = 0;
};

extern PlayerContactListener* gPlayerContactListener;
