#include "tests/particles/ParticleTestSupport.h"

#include <cstdlib>

#include <tinyxml2.h>

#include "core/EventDispatcher.h"
#include "core/Messages.h"
#include "core/Stage.h"
#include "particles/fPartFactory.h"
#include "particles/fPartManager.h"
#include "particles/fParticle.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"

TestParticleHooks::~TestParticleHooks()
{
    for (std::list<MeshInstance*>& list : lists) {
        for (MeshInstance* instance : list) delete instance;
    }
}

bool TestParticleHooks::GetPlayerState(ParticlePlayerState& state) const
{
    if (hasPlayer) state = player;
    return hasPlayer;
}

bool TestParticleHooks::QueueInstance(MeshInstance* instance)
{
    // Particles are transparent: without the technique flag they join list 1.
    lists[instance->queueByTechnique ? 3 : 1].push_back(instance);
    return true;
}

void TestParticleHooks::Prune()
{
    for (std::list<MeshInstance*>& list : lists) {
        for (auto it = list.begin(); it != list.end();) {
            if ((*it)->removeFlag) {
                delete *it;
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    }
}

int TestParticleHooks::CountUnmarked(int list) const
{
    int count = 0;
    for (const MeshInstance* instance : lists[list]) count += instance->removeFlag ? 0 : 1;
    return count;
}

void ParticleTest::SetUp()
{
    srand(1);
    gEventDispatcher = new EventDispatcher();
    gPhysicsWorld = new PhysicsWorld();
    gPartFactory = new fPartFactory();
    gPartFactory->RegisterBehaviours();
    gPartManager = new fPartManager();
    ParticleHookSlot::Install(&hooks);
}

void ParticleTest::TearDown()
{
    delete gPartManager;
    gPartManager = nullptr;
    delete gPartFactory;
    gPartFactory = nullptr;
    delete gPhysicsWorld;
    gPhysicsWorld = nullptr;
    delete gEventDispatcher;
    gEventDispatcher = nullptr;
    ParticleHookSlot::Install(nullptr);
    SetCurrentStage(kNoStage);
}

void ParticleTest::Define(const std::string& systems)
{
    tinyxml2::XMLDocument document(true, tinyxml2::COLLAPSE_WHITESPACE);
    const std::string text = "<DEFINITIONS>" + systems + "</DEFINITIONS>";
    ASSERT_EQ(document.Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
    for (const tinyxml2::XMLNode* node = document.RootElement()->FirstChild(); node; node = node->NextSibling()) {
        gPartFactory->ParseSystem(node);
    }
}

void ParticleTest::LoadShippedDefinitions()
{
    testing::internal::CaptureStderr();
    const bool ok = gPartFactory->LoadDefinitions();
    const std::string errors = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(ok);
    ASSERT_EQ(errors, "");
}

fParticle* ParticleTest::Spawn(const std::string& type, const Vector3& position, float scale, const Vector3& velocity)
{
    const size_t before = gPartManager->GetSystems().size();
    EventDispatcher::SendMessage(gPartManager, kMsgCreateSystem,
                                 new fCreateSystem(type.c_str(), &position, &velocity, &scale));
    const std::vector<fParticle*>& systems = gPartManager->GetSystems();
    return systems.size() > before ? systems.back() : nullptr;
}

void ParticleTest::RunFrame(float dt)
{
    hooks.Prune();
    gPartManager->Update(&dt);
    gPartManager->SpawnLavaSystems(&dt);
    gPhysicsWorld->Update(dt);
}

int ParticleTest::BodyCount() const
{
    return static_cast<int>(gPhysicsWorld->GetBodies().size());
}

int ParticleTest::LiveParticles() const
{
    int count = 0;
    for (const fParticle* system : gPartManager->GetSystems()) count += system->CountSystems();
    return count;
}
