#include "render/RenderLists.h"

#include <algorithm>
#include <cstdint>

#include "render/MeshInstance.h"
#include "render/Model.h"

namespace {

// Technique names are interned, so their addresses order them.
bool TechniqueBefore(const MeshInstance* node, const MeshInstance* key)
{
    return reinterpret_cast<std::uintptr_t>(node->technique) < reinterpret_cast<std::uintptr_t>(key->technique);
}

Vector3 PositionOf(const MeshInstance* instance)
{
    return instance->position != nullptr ? *instance->position : Vector3();
}

// Step 6 of the ordered insertion: the instance goes in front of the node
// before the stop node, or in front of the stop node when it is the first.
void InsertAtStop(std::list<MeshInstance*>& list, std::list<MeshInstance*>::iterator stop, MeshInstance* instance)
{
    if (stop != list.begin()) --stop;
    list.insert(stop, instance);
}

} // namespace

bool BackToFrontLess(const MeshInstance* a, const MeshInstance* b, const Vector3& forward)
{
    return Vector3::Dot(PositionOf(a) - PositionOf(b), forward) > 0.0f;
}

RenderLists::RenderLists(std::vector<Model*>& models_) : models(models_) {}

RenderLists::~RenderLists()
{
    Clear();
}

void RenderLists::QueueInstance(MeshInstance* instance)
{
    if (instance == nullptr || instance->skinned) return;
    if (instance->queueByTechnique) {
        InsertOrderedByTechnique(instance);
    } else if (instance->overlay) {
        Append(lists[kOverlayList], instance);
    } else {
        InsertOpaque(instance);
    }
}

void RenderLists::QueueObjectInstances(std::vector<MeshInstance*>* instances)
{
    if (instances == nullptr) return;
    for (MeshInstance* instance : *instances) QueueInstance(instance);
}

void RenderLists::QueueWorldInstances(std::vector<MeshInstance*>* instances)
{
    if (instances == nullptr) return;
    for (MeshInstance* instance : *instances) {
        if (instance == nullptr) continue;
        if (instance->skinned) {
            InsertSkinned(instance);
        } else if (instance->overlay) {
            Append(lists[kOverlayList], instance);
        } else {
            InsertOpaque(instance);
        }
    }
}

void RenderLists::InsertOpaque(MeshInstance* instance)
{
    if (instance == nullptr) return;
    if (instance->transparent) {
        Append(lists[kTransparentList], instance);
    } else {
        InsertOrdered(lists[kOpaqueList], instance);
    }
}

void RenderLists::InsertOrderedByTechnique(MeshInstance* instance)
{
    if (instance == nullptr) return;
    InsertOrdered(lists[kTechniqueList], instance);
}

void RenderLists::Append(List& list, MeshInstance* instance)
{
    if (instance->queued) return;
    instance->queued = true;
    list.push_back(instance);
}

// Each stage walks on from where the one before stopped and never looks back
// at the earlier keys, so the order is by technique first and only roughly by
// the later keys; the draw loop needs no more than runs of equal state.
void RenderLists::InsertOrdered(List& list, MeshInstance* key)
{
    if (key->queued) return;
    key->queued = true;
    auto node = list.begin();
    while (node != list.end() && TechniqueBefore(*node, key)) ++node;
    while (node != list.end() && (*node)->meshId < key->meshId) ++node;
    while (node != list.end() && (*node)->materialId < key->materialId) ++node;
    while (node != list.end() && (*node)->textureId < key->textureId) ++node;
    if (node == list.end()) {
        list.push_back(key);
    } else {
        InsertAtStop(list, node, key);
    }
}

void RenderLists::InsertSkinned(MeshInstance* key)
{
    if (key == nullptr || key->queued) return;
    key->queued = true;
    List& list = lists[kSkinnedList];
    auto node = list.begin();
    while (node != list.end() && key->meshId < (*node)->meshId) ++node;
    while (node != list.end() && key->materialId < (*node)->materialId) ++node;
    while (node != list.end() && key->textureId < (*node)->textureId) ++node;
    if (node == list.end()) {
        list.push_back(key);
    } else {
        InsertAtStop(list, node, key);
    }
}

void RenderLists::Prune()
{
    for (int i : {kOpaqueList, kTransparentList, kTechniqueList, kOverlayList}) {
        lists[i].remove_if([](MeshInstance* instance) {
            if (!instance->removeFlag) return false;
            delete instance;
            return true;
        });
    }
    // A skinned instance takes its own model with it; the models behind it
    // move up, so the survivors' indices are renewed.
    bool removedModel = false;
    lists[kSkinnedList].remove_if([this, &removedModel](MeshInstance* instance) {
        if (!instance->removeFlag) return false;
        if (instance->model != nullptr) {
            models.erase(std::remove(models.begin(), models.end(), instance->model), models.end());
            delete instance->model;
            removedModel = true;
        }
        delete instance;
        return true;
    });
    if (removedModel) RenumberModels();
}

void RenderLists::RenumberModels()
{
    for (MeshInstance* instance : lists[kSkinnedList]) {
        auto at = std::find(models.begin(), models.end(), instance->model);
        instance->meshId = at != models.end() ? static_cast<int>(at - models.begin()) : -1;
    }
}

void RenderLists::SortBackToFront(const Vector3& forward)
{
    lists[kTransparentList].sort(
        [&forward](const MeshInstance* a, const MeshInstance* b) { return BackToFrontLess(a, b, forward); });
}

void RenderLists::Clear()
{
    for (List& list : lists) {
        for (MeshInstance* instance : list) delete instance;
        list.clear();
    }
    // Models go before the hierarchy they were made from (the renderer's
    // MultiAnim), which outlives these lists.
    for (Model* model : models) delete model;
    models.clear();
}
