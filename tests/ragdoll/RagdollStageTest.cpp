// The character as the shipped stages build it through the World's factory,
// headless with the game's hooks and the character's model loaded as the
// renderer loads it: where it stands, what it carries, what owns it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "StageTestSupport.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/Capsule.h"
#include "objects/Ragdoll.h"
#include "objects/Vehicle.h"
#include "physics/BodyCollisionData.h"
#include "physics/BodyTypes.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/PointLight.h"
#include "render/Renderer.h"
#include "render/Terrain.h"

namespace {

Ragdoll* StageCharacter()
{
    Ragdoll* found = nullptr;
    for (PhysicsController* controller : gWorld->GetControllers()) {
        if (Ragdoll* ragdoll = dynamic_cast<Ragdoll*>(controller)) {
            EXPECT_EQ(found, nullptr) << "two characters";
            found = ragdoll;
        }
    }
    return found;
}

float GroundHeight(const Vector3& at)
{
    float height = 0.0f;
    Vector3 normal;
    gWorld->GetHeightmaps()[0]->GetGround().GetHeight(at.x, at.y, height, normal);
    return height;
}

bool Ignores(RigidBody* a, RigidBody* b)
{
    const std::vector<BodyCollisionData*>& list = a->GetCollisionData()->ignoreList;
    return std::find(list.begin(), list.end(), b->GetCollisionData()) != list.end();
}

} // namespace

TEST(RagdollOnStages, EachStageBuildsOneCharacterStandingOnItsGroundWithItsModelAndHand)
{
    ScratchRunTree tree;
    StageRig rig;
    for (int stage = 1; stage <= 4; ++stage) {
        SCOPED_TRACE("stage " + std::to_string(stage));
        gLevelLoader->LoadLevel("stage" + std::to_string(stage) + ".qvl");
        Ragdoll* ragdoll = StageCharacter();
        ASSERT_NE(ragdoll, nullptr);
        const std::vector<PhysicsController*>& stepped = gPhysicsWorld->GetControllers();
        EXPECT_NE(std::find(stepped.begin(), stepped.end(), ragdoll), stepped.end());
        EXPECT_FALSE(ragdoll->IsLimp());

        // World object 0 is the spine limb carrying the skinned model, but on
        // the cart stage, whose cart comes first and which the character
        // cannot push.
        Object* spine = ragdoll->GetLimb(kSpineLimb);
        Object* cart = stage == 4 ? gWorld->GetObject(0) : nullptr;
        EXPECT_EQ(gWorld->GetObject(stage == 4 ? 1 : 0), spine);
        ASSERT_EQ(spine->meshes.size(), 1u);
        EXPECT_TRUE(spine->meshes[0]->skinned);
        EXPECT_EQ(spine->meshes[0]->offset, Vector3(0.0f, 0.0f, -4.5f));
        Capsule* walking = ragdoll->GetMainBody();
        EXPECT_EQ(walking->GetType(), kPlayerBodyType);
        if (cart) {
            ASSERT_NE(dynamic_cast<Vehicle*>(cart), nullptr);
            for (int i = 0; i < ragdoll->GetLimbCount(); ++i) EXPECT_TRUE(Ignores(cart, ragdoll->GetLimb(i)));
            EXPECT_TRUE(Ignores(cart, walking));
        }

        // The torch's light rides at the torch's head; stage 1 has no torch.
        const Object* hand = ragdoll->GetLimb(kLeftHandLimb);
        const auto torch = std::find_if(gWorld->GetLights().begin(), gWorld->GetLights().end(),
                                        [hand](const PointLight* l) { return l->ownerPosition == &hand->position; });
        ASSERT_EQ(torch != gWorld->GetLights().end(), stage != 1);
        if (stage != 1) {
            EXPECT_EQ(std::vector<float>((*torch)->offset, (*torch)->offset + 4),
                      (std::vector<float>{0.0f, 2.0f, 0.0f, 0.0f}));
        }

        const Vector3 cartStart = cart ? cart->position : Vector3();
        rig.RunSeconds(2.0f);
        EXPECT_EQ(gRenderer->GetModelCount(), 1) << "the last stage's model went with its drawable";
        EXPECT_EQ(gRenderer->GetMultiAnim().GetInstanceCount(), 1u);
        for (int i = 0; i < ragdoll->GetLimbCount(); ++i) {
            EXPECT_TRUE(ragdoll->FollowsBone(i)) << kLimbTable[i].bone;
            EXPECT_TRUE(IsVectorValid(ragdoll->GetLimb(i)->position)) << kLimbTable[i].bone;
        }
        if (cart) {
            EXPECT_LT((cart->position - cartStart).Length(), 0.5f) << "the character pushed its cart";
            continue;
        }
        // Standing: the walking body's bottom on the ground, the spine limb
        // one above its centre, the model's soles on the ground.
        EXPECT_NEAR(walking->position.z - 3.5f, GroundHeight(walking->position), 0.1f);
        EXPECT_LT((spine->position - walking->position - Vector3(0.0f, 0.0f, 1.0f)).Length(), 0.2f);
    }
}
