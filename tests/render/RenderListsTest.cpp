// The render lists as the frame relies on them: where each kind of instance
// lands and in what order, the back-to-front sort, deletion a frame after the
// mark, and a skinned instance keeping its own model through a prune.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/MeshInstance.h"
#include "render/Model.h"
#include "render/RenderLists.h"
#include "render/Renderer.h"
#include "render/TechniqueNames.h"

namespace {

MeshInstance* Make(const char* technique, int mesh, int material = 0, int texture = 0, bool transparent = false)
{
    return new MeshInstance(transparent, false, mesh, technique, material, texture, false, false, false);
}

std::vector<MeshInstance*> Order(const RenderLists& lists, int list)
{
    return {lists.Get(list).begin(), lists.Get(list).end()};
}

} // namespace

TEST(RenderLists, InsertionPutsEachInstanceInItsListAndOrder)
{
    std::vector<Model*> models;
    RenderLists lists(models);
    // Same technique: B (mesh 3) goes before A (mesh 5); C (mesh 4) stops at
    // A and goes in front of the node before it, so ahead of B.
    MeshInstance* a = Make("T1", 5);
    MeshInstance* b = Make("T1", 3);
    MeshInstance* c = Make("T1", 4);
    lists.InsertOpaque(a);
    lists.InsertOpaque(b);
    lists.InsertOpaque(c);
    EXPECT_EQ(Order(lists, kOpaqueList), (std::vector<MeshInstance*>{c, b, a}));

    // Transparent instances go to the end of list 1 whatever their keys;
    // by-technique instances to list 3, overlays to 4; skinned ones are not
    // queued on their own.
    MeshInstance* glass = Make("T0", 0, 0, 0, true);
    MeshInstance* later = Make("T9", 99, 99, 99, true);
    MeshInstance* byTechnique = new MeshInstance(false, false, 1, "T1", 0, 0, false, true, false);
    MeshInstance* overlay = new MeshInstance(false, false, 1, "T1", 0, 0, false, false, true);
    MeshInstance* skinned = new MeshInstance(false, true, 0, "S", 0, 0, false, false, false);
    for (MeshInstance* m : {later, glass, byTechnique, overlay, skinned}) lists.QueueInstance(m);
    EXPECT_EQ(Order(lists, kTransparentList), (std::vector<MeshInstance*>{later, glass}));
    EXPECT_EQ(Order(lists, kTechniqueList), (std::vector<MeshInstance*>{byTechnique}));
    EXPECT_EQ(Order(lists, kOverlayList), (std::vector<MeshInstance*>{overlay}));
    EXPECT_EQ(lists.Count(kSkinnedList), 0);

    // Queueing an instance already queued changes nothing: it would be
    // deleted twice otherwise.
    std::vector<MeshInstance*> again = {a, glass, overlay};
    lists.QueueWorldInstances(&again);
    lists.QueueObjectInstances(&again);
    EXPECT_EQ(lists.Count(kOpaqueList) + lists.Count(kTransparentList) + lists.Count(kOverlayList), 6);

    // A physical object's skinned instance goes to list 2.
    std::vector<MeshInstance*> body = {skinned};
    lists.QueueWorldInstances(&body);
    EXPECT_EQ(Order(lists, kSkinnedList), (std::vector<MeshInstance*>{skinned}));
}

TEST(RenderLists, EqualTechniqueNamesShareOneAddressAndTexturesSwitchBack)
{
    std::string name = "Phong1Opaque";
    MeshInstance* fromTerrain = Make(name.c_str(), 1);
    name = "changed"; // the creator's own string may go away
    MeshInstance* fromObject = Make("Phong1Opaque", 2);
    EXPECT_EQ(fromTerrain->technique, fromObject->technique);
    EXPECT_STREQ(fromTerrain->technique, "Phong1Opaque");
    EXPECT_EQ(fromObject->technique, InternTechnique("Phong1Opaque"));

    fromObject->EnableTexture(false);
    EXPECT_STREQ(fromObject->technique, "FixedFunctionNoTexture");
    fromObject->EnableTexture(true);
    EXPECT_EQ(fromObject->technique, fromObject->ownTechnique);
    MeshInstance* untextured = Make("Phong1Opaque", 2, 0, kNoTexture);
    EXPECT_STREQ(untextured->technique, "FixedFunctionNoTexture");
    for (MeshInstance* m : {fromTerrain, fromObject, untextured}) delete m;
}

TEST(RenderLists, TransparentListSortsBackToFrontKeepingTies)
{
    std::vector<Model*> models;
    RenderLists lists(models);
    const Vector3 depths[] = {Vector3(0, 1, 0), Vector3(0, 5, 0), Vector3(3, 1, 0), Vector3(0, 9, 0)};
    std::vector<MeshInstance*> made;
    for (const Vector3& at : depths) {
        MeshInstance* m = Make("T", 0, 0, 0, true);
        m->position = &at;
        lists.InsertOpaque(m);
        made.push_back(m);
    }
    lists.SortBackToFront(Vector3(0, 1, 0));
    // Farthest along +y first; the two at depth 1 keep their queue order.
    EXPECT_EQ(Order(lists, kTransparentList), (std::vector<MeshInstance*>{made[3], made[1], made[0], made[2]}));
    lists.Clear(); // before the positions go
}

TEST(RenderLists, MarkedInstancesGoAtTheNextPruneWithTheirModels)
{
    VideoSettings video;
    Renderer renderer(video);
    Renderer* previous = gRenderer;
    gRenderer = &renderer;
    // Two skinned instances, each with its own model (no hierarchy is loaded:
    // the models have no animation instance, which only stops them drawing).
    MeshInstance* first = new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, true, false, false);
    MeshInstance* second = new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, true, false, false);
    ASSERT_EQ(renderer.GetModelCount(), 2);
    Model* secondModel = second->model;
    EXPECT_EQ(second->meshId, 1);
    std::vector<MeshInstance*> body = {first, second};
    renderer.QueueWorldInstances(&body);
    MeshInstance* box = Make("T", 1);
    renderer.QueueInstance(box);

    first->MarkForRemoval();
    box->MarkForRemoval();
    // Marked but still listed until the prune.
    EXPECT_EQ(renderer.GetRenderLists().Count(kOpaqueList), 1);
    renderer.PruneRenderLists();
    EXPECT_EQ(renderer.GetRenderLists().Count(kOpaqueList), 0);
    ASSERT_EQ(renderer.GetModelCount(), 1);
    EXPECT_EQ(renderer.GetModel(0), secondModel);
    EXPECT_EQ(second->meshId, 0);
    EXPECT_EQ(second->model, secondModel);
    EXPECT_EQ(renderer.GetModel(1), nullptr);
    gRenderer = previous;
}
