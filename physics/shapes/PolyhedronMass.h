// Mass properties of the solid bounded by a closed, outward-wound triangle
// hull at density 1, by the divergence theorem over each face.
#pragma once

#include "core/Matrix3.h"
#include "physics/shapes/SurfaceTriangle.h"

// Hulls with less volume than this count as flat: their centre and inertia
// would divide by (nearly) zero.
const float kMinPolyhedronVolume = 1e-9f;
// The inertia a flat hull gets on every axis, so it stays a usable body.
const float kFlatHullInertia = 1e-4f;

// mass = volume; inertia about the centre of mass when aboutCentre is set,
// else about the body origin. Returns false for a flat hull, which gets the
// origin as centre and kFlatHullInertia on the diagonal.
bool PolyhedronMassProperties(const TriangleList& triangles, bool aboutCentre, float& mass, Vector3& centre,
                              Matrix3& inertia);
