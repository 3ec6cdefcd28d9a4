#include "objects/Chain.h"

#include <d3dx9math.h>

#include "core/Matrix3.h"
#include "core/Resources.h"
#include "render/MeshInstance.h"
#include "render/Renderer.h"

namespace {

const char* const kChainTechnique = "PhongLDRnSyT";
const int kChainMaterial = 2;
// Each end reaches this far past its anchor, so neighbouring links overlap
// and no gap shows where two chains meet.
const float kStretchOverlap = 1.0f;
// The quad is two units long: half the distance is the scale that spans it.
const float kStretchPerDistance = 0.5f;
// Below this a cross product is taken as parallel vectors.
const float kParallelLengthSquared = 1e-10f;

// Without a renderer (tests, tools) the chain faces the camera's first view.
Vector3 CameraForward()
{
    if (gRenderer != nullptr) return gRenderer->GetCamera()->GetForward();
    return Vector3(1.0f, 0.0f, 0.0f);
}

} // namespace

bool BuildChainFrame(const Vector3& direction, const Vector3& view, Matrix3& frame)
{
    if (!(direction.LengthSquared() > kParallelLengthSquared)) return false;
    Vector3 along = direction;
    along.Normalize();
    const Vector3 candidates[3] = {view, Vector3(0.0f, 0.0f, 1.0f), Vector3(1.0f, 0.0f, 0.0f)};
    for (const Vector3& toward : candidates) {
        Vector3 across;
        Vector3::Cross(across, along, toward);
        if (!(across.LengthSquared() > kParallelLengthSquared)) continue;
        across.Normalize();
        // across x along is the part of toward square to the chain.
        Vector3 normal;
        Vector3::Cross(normal, across, along);
        normal.Normalize();
        frame.SetRow(0, across);
        frame.SetRow(1, along);
        frame.SetRow(2, normal);
        return true;
    }
    return false;
}

Chain::Chain(const Vector3* anchorA_, const Vector3* anchorB_, bool stretch_, int textureId, const Vector3& scale)
    : anchorA(anchorA_), anchorB(anchorB_), stretch(stretch_)
{
    // The chain turns itself to the camera, so the renderer must not turn it
    // again: the face-camera flag stays off.
    MeshInstance* link = new MeshInstance(true, false, kScreenQuadMeshId, kChainTechnique, kChainMaterial, textureId,
                                          false, false, false);
    D3DXMatrixScaling(&link->world, scale.x, scale.y, scale.z);
    link->position = &position;
    link->orientation = &orientation;
    models.push_back(link);
    // Right from the first frame, before the World's first update.
    Update();
}

void Chain::Update()
{
    if (anchorA == nullptr || anchorB == nullptr) return;
    const Vector3 a = *anchorA;
    const Vector3 b = *anchorB;
    position = (a + b) * 0.5f;
    const Vector3 direction = a - b;
    // Anchors on top of each other keep the last frame.
    BuildChainFrame(direction, CameraForward(), orientation);
    if (stretch && !models.empty() && models[0] != nullptr) {
        models[0]->world._22 = kStretchPerDistance * direction.Length() + kStretchOverlap;
    }
}
