#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

// The sub-step is the hot path of the game: once the record, snapshot and
// list vectors have grown, stepping must not allocate.
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

#include <gtest/gtest.h>

#include "PhysicsTestSupport.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/HingeJoint.h"
#include "physics/ObjectController.h"

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

TEST(Allocation, SteadyStateSubStepsAllocateNothing)
{
    PhysicsWorld world;
    LoadTestConfig(world);
    InstallTestCollision(world);
    gTestGroundEnabled = true;
    ObjectController push(&world);
    world.AddController(&push);
    std::vector<std::unique_ptr<TestBall>> balls;
    for (int i = 0; i < 20; ++i) {
        balls.push_back(std::make_unique<TestBall>(0.5f, 1.0f, Vector3(1.2f * (i % 5), 1.2f * (i / 5), 0.6f)));
        world.AddBody(balls.back().get());
    }
    ConstraintMaxDistance rope(balls[0].get(), Vector3(), balls[1].get(), Vector3(), 1.5f);
    world.AddConstraint(&rope);
    HingeJoint hinge;
    hinge.Setup(&world, balls[2].get(), balls[3].get(), Vector3(0.0f, 1.0f, 0.0f), Vector3(0.6f, 0.0f, 0.0f), 50.0f,
                20.0f, 1.0f, 0.3f, 0.5f);
    push.SetObject(balls[4].get());

    auto frame = [&](int i) {
        push.SetEnabled(true);
        push.AddDirection(Vector3(i % 2 ? 1.0f : -1.0f, 0.0f, 0.0f));
        world.Update(0.016f);
    };
    for (int i = 0; i < 300; ++i) {
        frame(i); // grow every vector and let the resting balls freeze
    }
    const long before = gAllocations.load();
    for (int i = 300; i < 400; ++i) {
        frame(i);
    }
    EXPECT_EQ(gAllocations.load() - before, 0);
}
