// A scene object that is drawn and updated but takes no part in the
// simulation: scenery, the player's shadow, the sun, the tires on the mine
// cart, the links of ropes and chains, and the triggers. The World owns every
// one in its updatable list and updates it once a frame.
#pragma once

#include <vector>

#include "core/Matrix3.h"
#include "core/Vector3.h"

struct MeshInstance;

class NPObj
{
public:
    NPObj();
    // Gives back every model: queued ones are marked and the renderer frees
    // them at its next frame, others are deleted here.
    virtual ~NPObj();
    NPObj(const NPObj&) = delete;
    NPObj& operator=(const NPObj&) = delete;

    virtual int GetType() const { return typeId; }
    // Once a frame, after the point lights; the base does nothing.
    virtual void Update() {}

    std::vector<MeshInstance*>* GetModels() { return &models; }
    // The editor's texture switch, on every model.
    void EnableTextures(bool on);

    Vector3 position;
    Matrix3 orientation; // identity
    std::vector<MeshInstance*> models;
    int typeId = 0;
    // The scale its level record gave it, which the level writer saves: a
    // model's own scale may pulse (the stage exit's sign) or be fixed.
    Vector3 recordScale{1.0f, 1.0f, 1.0f};
};
