#include "objects/NPObj.h"

#include "render/MeshInstance.h"

NPObj::NPObj() : orientation(Matrix3::Identity()) {}

NPObj::~NPObj()
{
    for (MeshInstance* model : models) ReleaseMeshInstance(model);
}

void NPObj::EnableTextures(bool on)
{
    for (MeshInstance* model : models) {
        if (model != nullptr) model->EnableTexture(on);
    }
}
