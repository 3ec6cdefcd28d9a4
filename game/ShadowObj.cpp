#include "game/ShadowObj.h"

#include "game/PlayerProbes.h"
#include "game/World.h"
#include "objects/Object.h"
#include "physics/BodyTypes.h"
#include "physics/Heightmap.h"
#include "render/Terrain.h"

namespace {

// The character's own bodies and the whips' links never catch its shadow.
const int kNoShadowTypes[] = {kRagdollLimbBodyType, kPlayerBodyType, kChainWhipLinkBodyType};
const int kNoShadowTypeCount = 3;

} // namespace

void fShadowObj::Update()
{
    const Object* character = gWorld != nullptr ? gWorld->GetObject(0) : nullptr;
    if (character == nullptr) return;
    const Vector3 top = character->position;
    const Vector3 bottom(top.x, top.y, kLowestZ);
    // The objects other than the character's first body.
    Vector3 below;
    float groundZ = 0.0f;
    if (NearestObjectHit(top, bottom, 1, kNoShadowTypes, kNoShadowTypeCount, below)) {
        groundZ = below.z;
    } else {
        // Without terrain and with nothing below, the shadow stays where it was.
        const std::vector<Terrain*>& terrains = gWorld->GetHeightmaps();
        if (terrains.empty()) return;
        Vector3 normal;
        terrains.front()->GetGround().GetHeight(top.x, top.y, groundZ, normal);
    }
    position = Vector3(top.x, top.y, groundZ + kLift);
}
