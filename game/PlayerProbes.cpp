#include "game/PlayerProbes.h"

#include <cstdlib>

#include "core/Clock.h"
#include "core/Messages.h"
#include "game/World.h"
#include "objects/Object.h"
#include "particles/fPartManager.h"
#include "physics/BodyTypes.h"
#include "physics/Heightmap.h"
#include "render/Terrain.h"

bool NearestObjectHit(const Vector3& start, const Vector3& end, int firstIndex, const int* skipTypes, int skipCount,
                      Vector3& point)
{
    if (gWorld == nullptr) return false;
    const std::vector<Object*>& objects = gWorld->GetObjects();
    bool hit = false;
    float nearest = 0.0f;
    for (size_t i = firstIndex < 0 ? 0 : static_cast<size_t>(firstIndex); i < objects.size(); ++i) {
        Object* object = objects[i];
        bool skipped = false;
        for (int k = 0; k < skipCount && !skipped; ++k) skipped = object->GetType() == skipTypes[k];
        if (skipped) continue;
        float tEnter = 0.0f;
        float tExit = 0.0f;
        Vector3 at;
        if (!object->IntersectSegment(start, end, tEnter, tExit, at)) continue;
        if (!hit || tEnter < nearest) {
            hit = true;
            nearest = tEnter;
            point = at;
        }
    }
    return hit;
}

bool NearestHitPastCharacter(const Vector3& start, const Vector3& end, Vector3& point)
{
    const int characterTypes[] = {kRagdollLimbBodyType, kPlayerBodyType};
    return NearestObjectHit(start, end, 0, characterTypes, 2, point);
}

bool GroundHeightAt(float x, float y, float& height)
{
    if (gWorld == nullptr || gWorld->GetHeightmaps().empty()) return false;
    Vector3 normal;
    gWorld->GetHeightmaps().front()->GetGround().GetHeight(x, y, height, normal);
    return true;
}

void CreateEffectNow(const char* name, const Vector3& position)
{
    const Vector3 still;
    const float scale = 1.0f;
    SendToParticles(kMsgCreateSystem, new fCreateSystem(name, &position, &still, &scale));
}

float RandomBetween(float low, float high)
{
    return low + (high - low) * static_cast<float>(std::rand()) / static_cast<float>(RAND_MAX);
}

float GameFrameSeconds()
{
    return Clock::GetFrameTime(false) / 1000.0f;
}
