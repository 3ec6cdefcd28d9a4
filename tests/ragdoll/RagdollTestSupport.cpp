#include "RagdollTestSupport.h"

#include <cmath>

#include "core/Stage.h"
#include "objects/Capsule.h"
#include "render/KeyframeAnimator.h"
#include "render/MeshInstance.h"

namespace {

// The factory's numbers: limb 0 goes 4.5 above the record and the skinned
// model hangs 4.5 below limb 0, so the model's origin (its soles) is on the record.
const Vector3 kSpineAboveRecord(0.0f, 0.0f, 4.5f);

bool BodyFinite(const RigidBody& body)
{
    return IsMatrixValid(body.GetOrientation()) && IsVectorValid(body.position) && IsVectorValid(body.linearVelocity) &&
           IsVectorValid(body.angularVelocity);
}

} // namespace

PointLight* RecordingStageHooks::AddLight(const Vector3* position, const Matrix3* orientation, const float* colour,
                                          float range, float attenuation0, float attenuation1)
{
    calls.push_back(Call{-1,
                         Vector3(),
                         position,
                         orientation,
                         {colour[0], colour[1], colour[2], colour[3], range, attenuation0, attenuation1}});
    return nullptr;
}

void RecordingStageHooks::CreateSceneObject(int type, const Vector3* position, const Matrix3* orientation, float sx,
                                            float sy, float sz, int texture)
{
    EXPECT_EQ(*orientation, Matrix3::Identity());
    calls.push_back(Call{type, *position, nullptr, nullptr, {sx, sy, sz, static_cast<float>(texture)}});
}

fEventObj* RecordingStageHooks::GetParticleManager() const
{
    return hasParticleManager ? const_cast<RecordingStageHooks*>(this) : nullptr;
}

void RecordingStageHooks::HandleMessage(int id, fMessage* msg)
{
    const fAttachSystem* attach = dynamic_cast<const fAttachSystem*>(msg);
    EXPECT_EQ(id, kMsgAttachSystem);
    ASSERT_NE(attach, nullptr);
    attached.push_back(std::make_unique<fAttachSystem>(*attach));
}

bool CharacterFrameHooks::GetCharacter(FrameCharacter& character) const
{
    if (!ragdoll) return false;
    Object* spine = ragdoll->GetLimb(kSpineLimb);
    character.position = &spine->position;
    character.linearVelocity = spine->linearVelocity;
    character.instance = spine->meshes.empty() ? nullptr : spine->meshes[0];
    character.idleAnimation = idle;
    return true;
}

RagdollScene::RagdollScene(int stage, const std::string* modelText)
{
    SetCurrentStage(stage);
    StageHookSlot::Install(&stageHooks);
    FrameHookSlot::Install(&frameHooks);
    tree = std::make_unique<ScratchRunTree>();
    const std::string text = modelText ? *modelText : gen::SkinnedModelText(::Character());
    if (!text.empty()) tree->WriteMesh("male.x", text);
    renderer = std::make_unique<Renderer>(VideoSettings());
    previousRenderer = gRenderer;
    gRenderer = renderer.get();
    ErrorCapture errors;
    loadResult = LoadAnimatedModelFile(&renderer->GetMultiAnim(), &allocator, nullptr, "male.x", nullptr);
    loadReport = errors.Text();

    physics.world.AddController(&push);
    ground = MakeFlatTerrain(0.0f, 96.0f);
    ground->staticFriction = ground->dynamicFriction = 0.6f;
    physics.world.AddHeightmap(ground.get());
}

RagdollScene::~RagdollScene()
{
    DestroyCharacter();
    gRenderer = previousRenderer;
    renderer.reset();
    FrameHookSlot::Install(nullptr);
    StageHookSlot::Install(nullptr);
    SetCurrentStage(kNoStage);
}

Ragdoll& RagdollScene::BuildCharacter(const Vector3& record)
{
    DestroyCharacter();
    Object::ResetIdCounter(); // a stage's objects count from 0, the character first
    ragdoll = std::make_unique<Ragdoll>(&physics.world, 0.5f);
    frameHooks.ragdoll = ragdoll.get();
    PlaceAsCharacter(*ragdoll, record);
    push.SetObject(ragdoll->GetMainBody());
    Step(1);
    return *ragdoll;
}

void RagdollScene::DestroyCharacter()
{
    physics.world.Clear();
    frameHooks.ragdoll = nullptr;
    ragdoll.reset();
}

void RagdollScene::Step(int n)
{
    physics.Run(n, kSubStep);
}

void RagdollScene::Walk(const Vector3& direction, int steps)
{
    for (int i = 0; i < steps; ++i) {
        push.SetEnabled(true);
        push.AddDirection(direction);
        Step(1);
    }
}

Ragdoll& RagdollScene::StandFacingForward()
{
    BuildCharacter();
    Walk(Vector3(1.0f, 0.0f, 0.0f), 30);
    frameHooks.idle = true;
    gKeyframeAnimator->SwitchTo(kIdleSet);
    return *ragdoll;
}

void PlaceAsCharacter(Ragdoll& ragdoll, const Vector3& record)
{
    Object* spine = ragdoll.GetLimb(kSpineLimb);
    spine->linearVelocity = spine->angularVelocity = Vector3();
    ragdoll.Disable();
    ragdoll.MoveTo(record + kSpineAboveRecord);
    MeshInstance* skin = new MeshInstance(false, true, 0, "SkinnedNoLight", 0, 0, true, false, false);
    spine->meshes.push_back(skin);
    if (gRenderer) gRenderer->QueueWorldInstances(&spine->meshes);
    skin->position = &spine->position;
    skin->orientation = &spine->GetOrientation();
    skin->offset = -kSpineAboveRecord;
    spine->SetFreezeState(1, 1.0f);
    Capsule* walking = ragdoll.GetMainBody();
    walking->SetOrientation(Matrix3::Identity());
    walking->linearVelocity = walking->angularVelocity = Vector3();
    walking->SetFreezeState(0, 1.0f);
    ragdoll.Disable();
    gKeyframeAnimator->SwitchTo(RagdollScene::kIdleSet);
    walking->SetPosition(spine->position);
}

Vector3 PlanOffset(int limb)
{
    return kLimbTable[limb].start - kLimbTable[kSpineLimb].start;
}

bool AllFinite(const Ragdoll& ragdoll)
{
    for (int i = 0; i < ragdoll.GetLimbCount(); ++i)
        if (!BodyFinite(*ragdoll.GetLimb(i))) return false;
    return BodyFinite(*ragdoll.GetMainBody());
}

float HingeGap(const HingeJoint& joint)
{
    const ConstraintPoint& point = joint.pointJoint;
    return Distance(point.bodyA->position + WorldAnchor(*point.bodyA, point.anchorA),
                    point.bodyB->position + WorldAnchor(*point.bodyB, point.anchorB));
}

float Distance(const Vector3& a, const Vector3& b)
{
    return (a - b).Length();
}

float MatrixDistance(const Matrix3& a, const Matrix3& b)
{
    float worst = 0.0f;
    for (int i = 0; i < 9; ++i) worst = std::fmax(worst, std::fabs(a[i] - b[i]));
    return worst;
}
