#include "MachineryTestSupport.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "objects/NPObj.h"
#include "objects/Object.h"
#include "physics/BodyCollisionData.h"
#include "physics/PhysicsWorld.h"

TestStage::TestStage(bool takesObjects_) : takesObjects(takesObjects_)
{
    StageHookSlot::Install(this);
}

TestStage::~TestStage()
{
    StageHookSlot::Install(nullptr);
    for (Object* object : objects) delete object;
    for (NPObj* sceneObject : updatables) delete sceneObject;
}

bool TestStage::AddObject(Object* object)
{
    if (!takesObjects) return false;
    objects.push_back(object);
    return true;
}

bool TestStage::AddUpdatable(NPObj* sceneObject)
{
    if (!takesObjects) return false;
    updatables.push_back(sceneObject);
    return true;
}

void TestStage::ClearLikeWorld(PhysicsWorld& world)
{
    for (Object* object : objects) delete object;
    objects.clear();
    world.Clear();
    for (NPObj* sceneObject : updatables) delete sceneObject;
    updatables.clear();
}

int CountSymmetricIgnorePairs(const std::vector<Object*>& bodies)
{
    std::vector<BodyCollisionData*> data;
    for (Object* body : bodies) data.push_back(body->GetCollisionData());
    int entries = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        const std::vector<BodyCollisionData*>& list = data[i]->ignoreList;
        for (BodyCollisionData* other : list) {
            EXPECT_EQ(std::count(list.begin(), list.end(), other), 1) << "body " << i << " lists one twice";
            auto found = std::find(data.begin(), data.end(), other);
            if (found == data.end()) {
                ADD_FAILURE() << "body " << i << " ignores a body outside the machine";
                continue;
            }
            const std::vector<BodyCollisionData*>& back = (*found)->ignoreList;
            EXPECT_NE(std::find(back.begin(), back.end(), data[i]), back.end())
                << "body " << i << " ignores body " << (found - data.begin()) << " but not the other way";
            ++entries;
        }
    }
    return entries / 2;
}

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}
