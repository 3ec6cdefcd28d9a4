// The renderer's five lists of drawables and the rules that put an instance
// in one. Opaque lists stay ordered on insertion so consecutive draws share
// technique, mesh, material and texture; the transparent list is re-sorted back
// to front every frame; the skinned list keeps each instance with its own
// animated model.
//
// Ownership: an instance belongs to the lists from the moment it is queued.
// Its owner only marks it (MeshInstance::MarkForRemoval); Prune deletes it at
// the start of the next frame, and the destructor deletes whatever is left.
// A skinned instance's Model is deleted with it and leaves the models vector.
#pragma once

#include <list>
#include <vector>

#include "core/Vector3.h"

struct MeshInstance;
class Model;

enum RenderListId {
    kOpaqueList = 0,      // ordered by technique, mesh, material, texture
    kTransparentList = 1, // appended; back to front each frame
    kSkinnedList = 2,     // by model, material, texture, descending
    kTechniqueList = 3,   // instances queued on their own by technique, as list 0
    kOverlayList = 4,     // appended
    kRenderListCount = 5
};

class RenderLists
{
public:
    using List = std::list<MeshInstance*>;

    // models: the renderer's animated models, kept in step with list 2.
    explicit RenderLists(std::vector<Model*>& models);
    ~RenderLists();
    RenderLists(const RenderLists&) = delete;
    RenderLists& operator=(const RenderLists&) = delete;

    // One instance on its own: skinned ones are not queued here; by technique
    // to list 3, overlays to list 4, the rest through InsertOpaque.
    void QueueInstance(MeshInstance* instance);
    // A scene object's instances, each as QueueInstance, in vector order.
    void QueueObjectInstances(std::vector<MeshInstance*>* instances);
    // A physical object's instances in vector order: skinned to list 2,
    // overlays to list 4, the rest through InsertOpaque.
    void QueueWorldInstances(std::vector<MeshInstance*>* instances);

    // Transparent instances go to the end of list 1, the rest in order into list 0.
    void InsertOpaque(MeshInstance* instance);
    void InsertOrderedByTechnique(MeshInstance* instance);
    void InsertSkinned(MeshInstance* instance);

    // Deletes every marked instance (and a skinned one's model), once a frame
    // before drawing.
    void Prune();
    // List 1 back to front along the view direction; equally deep instances
    // keep their queue order.
    void SortBackToFront(const Vector3& forward);
    // Deletes every listed instance and every model, as at exit.
    void Clear();

    const List& Get(int list) const { return lists[list]; }
    int Count(int list) const { return static_cast<int>(lists[list].size()); }

private:
    void InsertOrdered(List& list, MeshInstance* instance);
    void Append(List& list, MeshInstance* instance);
    void RenumberModels();

    List lists[kRenderListCount];
    std::vector<Model*>& models;
};

// True when a lies farther along the view direction than b.
bool BackToFrontLess(const MeshInstance* a, const MeshInstance* b, const Vector3& forward);
