#include "game/PlayerProbes.h"

#include <cstdlib>

#include "core/Clock.h"
#include "core/Messages.h"
#include "game/World.h"
#include "objects/Object.h"
#include "particles/fPartManager.h"

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
