// A rope or chain drawn between two moving points: one flat, see-through
// quad that sits midway between them, runs from one to the other and turns
// its face to the camera about that line. The bridges, platforms, whips and
// swinging logs hang their chains and ropes with it; the World updates it
// once a frame like any scene object.
//
// Frame: the quad (mesh 25) is modelled in its x-y plane with its texture
// running along y, so row 1 of the orientation is the chain's direction,
// row 0 runs across it and row 2, the quad's normal, points along the
// camera's view as far as the chain allows.
#pragma once

#include "core/Vector3.h"
#include "objects/NPObj.h"

class Chain : public NPObj
{
public:
    // The anchors are positions owned by others (bodies, a machine's corner
    // points) that outlive the chain. With stretch, the quad's length follows
    // the distance between them; scale is the drawable's scale otherwise.
    Chain(const Vector3* anchorA, const Vector3* anchorB, bool stretch, int textureId, const Vector3& scale);

    void Update() override;

    const Vector3* GetAnchorA() const { return anchorA; }
    const Vector3* GetAnchorB() const { return anchorB; }
    bool Stretches() const { return stretch; }

private:
    const Vector3* anchorA;
    const Vector3* anchorB;
    bool stretch;
};

// The rows of a frame whose row 1 is the unit direction and whose row 2 lies
// as close to view as the direction allows (a direction along the view
// falls back to the world's up, then its x). False, and the frame untouched,
// when direction is too short to point anywhere.
bool BuildChainFrame(const Vector3& direction, const Vector3& view, Matrix3& frame);
