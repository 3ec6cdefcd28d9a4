// The object type ids bodies carry (RigidBody::GetType). The world's factory
// stamps most bodies with the type id of their level-file record; the ids here
// are the ones bodies get in code: by a shape's constructor, by the builders
// of the stage's machinery and the player's character, or tested by the
// collision and contact passes. The level writer skips the built ones, since
// their builders make them again.
#pragma once

enum BodyType : int {
    kBareBodyType = 0,         // a RigidBody that is no game object
    kBoxBodyType = 1,          // a Box as constructed
    kPyramidBodyType = 17,     // a Pyramid as constructed
    kRagdollLimbBodyType = 19, // the character's fourteen limbs
    kObjectBodyType = 20,      // an Object built without a type
    kPlayerBodyType = 22,      // the character's walking body
    kBridgeBoxBodyType = 26,   // a box of a bridge
    kChainWhipHandleBodyType = 29,
    kChainWhipLinkBodyType = 30,
    kPrismBodyType = 31, // a Prism as constructed
    kChainPlatformBodyType = 34,
    kChainPlatformLinkBodyType = 35,
    kSpinningLogBodyType = 42,
    kSwingingLogBodyType = 47,
    kSwingingLogAnchorBodyType = 48
};
