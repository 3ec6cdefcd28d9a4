// The World's two factories against the type tables of the level format: every
// body type built by the common recipe (shape and size, mass, material family,
// rest tuning, drawable, freezing and the immovable flag), the torch and the
// mine cart, the scenery rows, the vertical plane by stage, the run-long
// counters, and the lists a stage clear empties.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "StageTestSupport.h"
#include "core/Matrix3.h"
#include "core/Stage.h"
#include "game/FactoryCounters.h"
#include "game/LevelLoader.h"
#include "game/World.h"
#include "objects/Box.h"
#include "objects/BoxChain.h"
#include "objects/ChainPlatform.h"
#include "objects/ChainWhip.h"
#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "objects/MineCart.h"
#include "objects/NPObj.h"
#include "objects/Polyhedron.h"
#include "objects/SpinningLog.h"
#include "objects/SwingingLog.h"
#include "objects/Tire.h"
#include "physics/ObjectController.h"
#include "physics/PhysicsWorld.h"
#include "render/MeshInstance.h"
#include "render/PointLight.h"
#include "render/Renderer.h"

namespace {

struct Material
{
    float staticFriction, dynamicFriction, elasticity;
};
const Material kPlayer{0.61f, 0.41f, 0.11f};
const Material kBoxKeys{0.62f, 0.42f, 0.12f};
const Material kEllipsoidKeys{0.63f, 0.43f, 0.13f};
const Material kCylinderKeys{0.64f, 0.44f, 0.14f};
const Material kDefaults{0.2f, 0.1f, 0.1f};
const Material kVehicleKeys{0.66f, 0.46f, 0.16f};

// Every material family with values of its own, and small collision grids so
// the table builds quickly. The "tetrahedron" family's values are no material
// (a negative friction, a friction far past any surface's, not a number), so
// that family shows the defaults.
std::string TestPhysicsConfig()
{
    std::ostringstream text;
    for (const char* shape : {"box", "cylinder", "ellipsoid", "prism", "pyramid", "tetrahedron"}) {
        text << shape << "_mesh_size 4\n";
    }
    for (const char* axis : {"x", "y", "z"}) text << "vehicle_mesh_size_" << axis << " 4\n";
    const std::pair<const char*, Material> families[] = {{"player", kPlayer},
                                                         {"box", kBoxKeys},
                                                         {"ellipsoid", kEllipsoidKeys},
                                                         {"cylinder", kCylinderKeys},
                                                         {"vehicle", kVehicleKeys}};
    for (const auto& [family, m] : families) {
        text << family << "_static_friction " << m.staticFriction << "\n"
             << family << "_dynamic_friction " << m.dynamicFriction << "\n"
             << family << "_elasticity " << m.elasticity << "\n";
    }
    text << "tetrahedron_static_friction -0.5\ntetrahedron_dynamic_friction 1e30\ntetrahedron_elasticity nan\n";
    return text.str();
}

struct Rest
{
    float linear, angularDegrees, scale;
};
const Rest kBodyDefault{-1.0f, 0.0f, 0.0f}; // whatever a fresh body has
const Rest kHeavy{1.0f, 30.0f, 3.0f};
const Rest kRamp{0.3f, 10.0f, 2.0f};

const int kRecordTexture = 33;
const Vector3 kRecordSize(3.0f, 4.0f, 5.0f);
const float kRecordMass = 70.0f;

bool Near(float a, float b)
{
    return std::fabs(a - b) < 1e-5f;
}
bool Near(const Vector3& a, const Vector3& b)
{
    return Near(a.x, b.x) && Near(a.y, b.y) && Near(a.z, b.z);
}

int CountType(int type)
{
    int count = 0;
    for (Object* object : gWorld->GetObjects()) count += object->GetType() == type ? 1 : 0;
    return count;
}

// The class and the dimensions a body built from sizes (3, 4, 5) has.
bool IsBox(Object* o)
{
    const Box* box = dynamic_cast<Box*>(o);
    return box && Near(box->GetSize(), kRecordSize);
}
bool IsBoulder(Object* o)
{
    const Ellipsoid* e = dynamic_cast<Ellipsoid*>(o);
    return e && Near(e->GetSemiAxes(), Vector3(1.5f, 2.0f, 2.5f));
}
bool IsColumn(Object* o)
{
    const Cylinder* c = dynamic_cast<Cylinder*>(o);
    return c && Near(c->GetRadius(), 2.5f) && Near(c->GetLength(), 6.0f);
}
bool IsTetrahedron(Object* o)
{
    const Tetrahedron* t = dynamic_cast<Tetrahedron*>(o);
    return t && Near(t->GetSize(), 2.5f);
}
bool IsPrism(Object* o)
{
    const Prism* p = dynamic_cast<Prism*>(o);
    return p && Near(p->GetExtents(), kRecordSize);
}
bool IsSpike(Object* o)
{
    const Pyramid* p = dynamic_cast<Pyramid*>(o);
    return p && Near(p->GetBaseSide(), 3.0f) && Near(p->GetHeight(), 5.0f);
}
bool IsTorch(Object* o)
{
    const Cylinder* c = dynamic_cast<Cylinder*>(o);
    return c && Near(c->GetRadius(), 1.0f) && Near(c->GetLength(), 7.0f);
}
bool IsCart(Object* o)
{
    return dynamic_cast<MineCart*>(o) != nullptr;
}

// Whether the record's frozen flag is followed.
enum class Freeze { Record, Always, Never };
const Material kNoMaterial{0.0f, 0.0f, 0.0f};

// What a body built from (3, 4, 5), 70 kg, texture 33 must be.
struct StandardRow
{
    int id;
    bool (*shapeIs)(Object*);
    float mass;
    Material material;
    Rest rest;
    int mesh;
    const char* technique;
    int materialId;
    int texture;
    Vector3 modelScale;
    bool immovableHonoured;
    Freeze freeze;
};

const char* const kPhong1 = "Phong1Opaque";
const Vector3 kSizes(3, 4, 5);
const StandardRow kRows[] = {
    {1, IsBox, 70, kPlayer, kBodyDefault, 1, kPhong1, 0, 1, kSizes, true, Freeze::Record},
    {2, IsBoulder, 70, kEllipsoidKeys, kBodyDefault, 2, kPhong1, 0, 42, kSizes, false, Freeze::Record},
    {3, IsBox, 70, kBoxKeys, kBodyDefault, 1, kPhong1, 0, kRecordTexture, kSizes, true, Freeze::Record},
    {5, IsColumn, 70, kCylinderKeys, kHeavy, 4, kPhong1, 0, kRecordTexture, kSizes, true, Freeze::Record},
    {6, IsBox, 70, kBoxKeys, kHeavy, 1, kPhong1, 0, kRecordTexture, kSizes, true, Freeze::Record},
    {7, IsTetrahedron, 100, kDefaults, kBodyDefault, 5, kPhong1, 0, 7, {5, 5, 5}, false, Freeze::Record},
    {8, IsCart, 600, kVehicleKeys, kBodyDefault, 1, kPhong1, 0, 8, {8, 8, 4}, false, Freeze::Never},
    {16, IsBox, 70, kBoxKeys, kHeavy, 1, kPhong1, 1, kRecordTexture, kSizes, true, Freeze::Record},
    {24, IsTorch, 15, kNoMaterial, kBodyDefault, 12, "PhongNoSpecOpaque", 2, 44, {1, 1, 1}, false, Freeze::Never},
    {31, IsPrism, 70, kBoxKeys, kRamp, 17, kPhong1, 0, kRecordTexture, kSizes, true, Freeze::Record},
    {36, IsBox, 70, kBoxKeys, kBodyDefault, 18, kPhong1, 0, 70, kSizes, true, Freeze::Record},
    {39, IsSpike, 70, kBoxKeys, kHeavy, 21, kPhong1, 0, 60, {3, 3, 5}, true, Freeze::Record},
    {51, IsBox, 70, kBoxKeys, kHeavy, 1, kPhong1, 0, kRecordTexture, kSizes, true, Freeze::Always},
};

Vector3 Diagonal(const MeshInstance* model)
{
    return Vector3(model->world._11, model->world._22, model->world._33);
}

class FactoryTest : public ::testing::Test
{
protected:
    FactoryTest()
    {
        // A reader takes a key's first line, so these come before the shipped ones.
        std::istringstream shipped(tree.Read("Config/Physics.cfg"));
        std::string text = TestPhysicsConfig();
        for (std::string line; std::getline(shipped, line);) {
            if (line.rfind("tetrahedron_", 0) != 0 || line.find("_mesh_size") != std::string::npos) text += line + "\n";
        }
        tree.Write("Config/Physics.cfg", text);
        rig = std::make_unique<StageRig>(StageOptions{true, false});
    }

    Object* Build(int type, bool frozen, bool immovable, const Vector3& position = Vector3(10.0f, 20.0f, 30.0f))
    {
        const int before = gWorld->GetNumObjects();
        gWorld->CreateObject(type, &position, &Matrix3::Identity(), kRecordSize.x, kRecordSize.y, kRecordSize.z,
                             kRecordMass, frozen, immovable, kRecordTexture);
        return gWorld->GetNumObjects() > before ? gWorld->GetObject(gWorld->GetNumObjects() - 1) : nullptr;
    }

    ScratchRunTree tree;
    std::unique_ptr<StageRig> rig;
};

TEST_F(FactoryTest, EveryStandardTypeIsBuiltAsItsRowSays)
{
    RigidBody fresh;
    for (const StandardRow& row : kRows) {
        for (const bool flags : {true, false}) {
            SCOPED_TRACE("type " + std::to_string(row.id) + (flags ? " frozen, immovable" : " awake, movable"));
            Object* body = Build(row.id, flags, flags);
            ASSERT_NE(body, nullptr);
            EXPECT_TRUE(row.shapeIs(body));
            EXPECT_EQ(body->GetType(), row.id);
            EXPECT_EQ(body->creationMass, row.mass);
            const bool immovable = flags && row.immovableHonoured;
            EXPECT_EQ(body->immovable, immovable);
            if (!immovable) {
                EXPECT_FLOAT_EQ(body->GetMass(), row.mass);
            }
            EXPECT_EQ(body->IsFrozen(), row.freeze == Freeze::Always || (row.freeze == Freeze::Record && flags));
            EXPECT_FLOAT_EQ(body->staticFriction, row.material.staticFriction);
            EXPECT_FLOAT_EQ(body->dynamicFriction, row.material.dynamicFriction);
            EXPECT_FLOAT_EQ(body->elasticity, row.material.elasticity);
            if (row.rest.linear < 0.0f) {
                EXPECT_EQ(body->linearRestThreshold, fresh.linearRestThreshold);
                EXPECT_EQ(body->angularRestThreshold, fresh.angularRestThreshold);
                EXPECT_EQ(body->restScale, fresh.restScale);
            } else {
                const float radians = row.rest.angularDegrees * 0.017453292519943295f;
                EXPECT_FLOAT_EQ(body->linearRestThreshold, row.rest.linear * row.rest.linear);
                EXPECT_NEAR(body->angularRestThreshold, radians * radians, 1e-6f);
                EXPECT_FLOAT_EQ(body->restScale, row.rest.scale * row.rest.scale);
            }
            EXPECT_TRUE(Near(body->position, Vector3(10.0f, 20.0f, 30.0f)));

            ASSERT_EQ(body->meshes.size(), 1u);
            const MeshInstance* model = body->meshes[0];
            EXPECT_EQ(model->meshId, row.mesh);
            EXPECT_STREQ(model->ownTechnique, row.technique);
            EXPECT_EQ(model->materialId, row.materialId);
            EXPECT_EQ(model->textureId, row.texture);
            EXPECT_TRUE(Near(Diagonal(model), row.modelScale));
            EXPECT_TRUE(model->faceCamera);
            EXPECT_FALSE(model->transparent);
            EXPECT_FALSE(model->skinned);
            EXPECT_EQ(model->position, &body->position);
            EXPECT_EQ(model->orientation, &body->GetOrientation());
            EXPECT_TRUE(model->queued);
            EXPECT_EQ(gWorld->GetObjects().back(), body); // the object list owns it

            const auto& bodies = gPhysicsWorld->GetBodies();
            EXPECT_NE(std::find(bodies.begin(), bodies.end(), body), bodies.end());
            const auto& blocks = gWorld->GetGBlocks();
            EXPECT_EQ(std::find(blocks.begin(), blocks.end(), body) != blocks.end(), row.id == 51);
        }
    }
    // Types that are no body of the factory's, or are built elsewhere, build nothing here.
    for (const int type : {0, 4, 9, 17, 19, 22, 52, 1000, -1}) {
        EXPECT_EQ(Build(type, true, true), nullptr) << type;
    }
}

// The torch's drawable is queued alone; its light rides 4 along the pole's
// own x, and its flame goes to the particle manager.
TEST_F(FactoryTest, TorchCarriesItsLightJustPastItsTip)
{
    const Vector3 at(5.0f, 6.0f, 7.0f);
    Object* torch = Build(24, true, true, at);
    ASSERT_NE(torch, nullptr);
    ASSERT_EQ(gWorld->GetLights().size(), 1u);
    PointLight* light = gWorld->GetLights()[0];
    EXPECT_EQ(light->ownerPosition, &torch->position);
    EXPECT_EQ(light->ownerOrientation, &torch->GetOrientation());
    const float colour[4] = {1.0f, 0.8f, 0.2f, 1.0f};
    EXPECT_TRUE(std::equal(colour, colour + 4, light->colour));
    EXPECT_EQ(light->baseAttenuation, 12.0f);
    EXPECT_EQ(light->positionFlicker, 0.2f);
    EXPECT_EQ(light->attenuationFlicker, 0.15f);
    gWorld->UpdateLights(0.0f);
    EXPECT_LE((light->position - (at + Vector3(4.0f, 0.0f, 0.0f))).Length(), 0.2f * std::sqrt(3.0f));
    EXPECT_LE(std::fabs(light->attenuation - 12.0f), 0.15f);
}

TEST_F(FactoryTest, MineCartIsTheFirstVehicleWithFourTiresOnItsWheels)
{
    Matrix3 heading;
    Matrix3::RotationZ(heading, 30.0f);
    const Vector3 at(-200.0f, -150.0f, 12.5f);
    gWorld->CreateObject(8, &at, &heading, 1.0f, 1.0f, 1.0f, 1.0f, true, true, kRecordTexture);
    ASSERT_EQ(gWorld->GetNumObjects(), 1);
    MineCart* cart = dynamic_cast<MineCart*>(gWorld->GetObject(0));
    ASSERT_NE(cart, nullptr);
    ASSERT_EQ(gWorld->GetVehicles().size(), 1u);
    EXPECT_EQ(gWorld->GetVehicles()[0], cart);
    EXPECT_FLOAT_EQ(cart->GetInertia()(0, 0), 300.0f);
    EXPECT_FLOAT_EQ(cart->GetInertia()(2, 2), 300.0f);
    EXPECT_EQ(cart->GetOrientation(), heading);
    // The cart steps as a controller behind the player's push.
    const auto& controllers = gPhysicsWorld->GetControllers();
    ASSERT_EQ(controllers.size(), 2u);
    EXPECT_EQ(controllers[0], gObjectController);

    // Four tires, wheel i for tire i, drawn where the wheel is after an update.
    std::vector<Tire*> tires;
    for (NPObj* object : gWorld->GetUpdatables()) {
        if (Tire* tire = dynamic_cast<Tire*>(object)) tires.push_back(tire);
    }
    ASSERT_EQ(tires.size(), 4u);
    EXPECT_TRUE(gWorld->GetNPObjects().empty());
    gWorld->UpdateUpdatables();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(tires[i]->wheel, cart->GetWheel(i));
        EXPECT_EQ(tires[i]->GetType(), 9);
        Vector3 wheelPosition;
        Matrix3 wheelOrientation;
        cart->GetWheel(i)->ComputeTransform(&wheelPosition, &wheelOrientation);
        EXPECT_TRUE(Near(tires[i]->position, wheelPosition));
        ASSERT_EQ(tires[i]->models.size(), 1u);
        const MeshInstance* model = tires[i]->models[0];
        EXPECT_EQ(model->meshId, 7);
        EXPECT_EQ(model->textureId, 9);
        EXPECT_EQ(model->materialId, 2);
        EXPECT_TRUE(Near(Diagonal(model), Vector3(1.0f, 0.4f, 1.0f)));
        EXPECT_EQ(model->position, &tires[i]->position);
    }
}

struct SceneryRow
{
    int id;
    int storedId;
    bool transparent;
    int mesh;
    const char* technique;
    int material;
    int texture;
    bool skyBox;
};

const SceneryRow kSceneryRows[] = {
    {18, 21, false, 11, "Phong1Opaque", 2, kRecordTexture, true},
    {21, 21, false, 11, "Phong1Opaque", 2, kRecordTexture, true},
    {25, 25, true, 14, "PhongNoSpecTrans", 2, 46, false},
    {28, 28, false, 15, "PhongNoSpecTrans", 8, 14, false},
    {32, 32, false, 16, "Phong1Opaque", 2, 61, false},
    {41, 41, false, 15, "PhongTransNoTex", 12, 10, false},
    {44, 44, false, 23, "Phong1Opaque", 2, kRecordTexture, false},
    {45, 45, false, 24, "Phong1Opaque", 2, kRecordTexture, true},
};

TEST_F(FactoryTest, SceneryRowsAreDrawnAtTheirRecordScaleAndListedAsScenery)
{
    const Vector3 at(1.0f, 2.0f, 3.0f);
    for (const SceneryRow& row : kSceneryRows) {
        SCOPED_TRACE("type " + std::to_string(row.id));
        NPObj* previousSky = gWorld->GetSkyBox();
        gWorld->CreateNPObject(row.id, &at, &Matrix3::Identity(), 7.0f, 8.0f, 9.0f, kRecordTexture);
        ASSERT_FALSE(gWorld->GetNPObjects().empty());
        NPObj* object = gWorld->GetNPObjects().back();
        EXPECT_EQ(gWorld->GetUpdatables().back(), object);
        EXPECT_EQ(object->GetType(), row.storedId);
        EXPECT_TRUE(Near(object->position, at));
        EXPECT_TRUE(Near(object->recordScale, Vector3(7.0f, 8.0f, 9.0f)));
        EXPECT_EQ(gWorld->GetSkyBox(), row.skyBox ? object : previousSky);
        ASSERT_EQ(object->models.size(), 1u);
        const MeshInstance* model = object->models[0];
        EXPECT_EQ(model->transparent, row.transparent);
        EXPECT_EQ(model->meshId, row.mesh);
        EXPECT_STREQ(model->ownTechnique, row.technique);
        EXPECT_EQ(model->materialId, row.material);
        EXPECT_EQ(model->textureId, row.texture);
        EXPECT_FALSE(model->faceCamera);
        EXPECT_TRUE(Near(Diagonal(model), Vector3(7.0f, 8.0f, 9.0f)));
        EXPECT_EQ(model->position, &object->position);
        EXPECT_EQ(model->orientation, &object->orientation);
        EXPECT_TRUE(model->queued);
    }
    EXPECT_EQ(gWorld->GetNPObjects().size(), std::size(kSceneryRows));
}

// The vertical plane stands in the x-z plane, its face turned by the stage.
TEST_F(FactoryTest, VerticalPlaneFacesByStage)
{
    const struct
    {
        int stage;
        float secondRowZ;
    } cases[] = {{1, 1.0f}, {2, -1.0f}, {3, -1.0f}, {4, -1.0f}};
    Matrix3 turned;
    Matrix3::RotationZ(turned, 45.0f);
    for (const auto& c : cases) {
        SCOPED_TRACE("stage " + std::to_string(c.stage));
        tree.Write("Levels/plane.qvl", "stagenumber: " + std::to_string(c.stage) +
                                           "\nheightmap: none.x\nhmapconfig: none.hmp\ncamera_orientation: 0 0 30\n");
        testing::internal::CaptureStderr();
        gLevelLoader->LoadLevel("plane.qvl");
        testing::internal::GetCapturedStderr();
        ASSERT_EQ(CurrentStage(), c.stage);
        const Vector3 at(0.0f, 0.0f, 0.0f);
        gWorld->CreateNPObject(53, &at, &turned, 10.0f, 10.0f, 10.0f, kRecordTexture);
        NPObj* plane = gWorld->GetNPObjects().back();
        EXPECT_EQ(plane->GetType(), 53);
        // The first row stays as given.
        EXPECT_EQ(plane->orientation,
                  Matrix3(turned(0, 0), turned(0, 1), turned(0, 2), 0.0f, 0.0f, c.secondRowZ, 0.0f, 1.0f, 0.0f));
        EXPECT_EQ(plane->models[0]->materialId, 13);
        EXPECT_EQ(plane->models[0]->textureId, 10);
    }
}

// The machines take their part of a group from the run-long counters: the
// spinning logs' speeds and drums, the whips' alternating sense, the swinging
// logs' poses. A second bridge or platform leaves the first in the stage's
// controllers.
TEST_F(FactoryTest, MachinesFollowTheRunLongCountersAndASecondBridgeIsKept)
{
    ResetFactoryCountersForTest();
    const Vector3 at(0.0f, 0.0f, 50.0f);
    const Matrix3& identity = Matrix3::Identity();
    const struct
    {
        float speed;
        bool drum;
    } logs[] = {{0.5f, false}, {-0.5f, false}, {-0.4f, true}, {0.8f, true}, {0.5f, false}};
    for (const auto& expected : logs) {
        gWorld->CreateObject(42, &at, &identity, 30.0f, 3.0f, 3.0f, 200.0f, false, false, 5);
        const SpinningLog* log = dynamic_cast<SpinningLog*>(gWorld->GetControllers().back());
        ASSERT_NE(log, nullptr);
        EXPECT_EQ(log->GetSpeed(), expected.speed);
        EXPECT_TRUE(log->IsSpinning());
        EXPECT_EQ(log->IsHazard(), !expected.drum);
        // A drum stands on its end.
        EXPECT_NEAR(std::fabs(log->GetAxis().z), expected.drum ? 1.0f : 0.0f, 1e-5f);
    }

    const Vector3 firstVector = [&] {
        gWorld->CreateObject(29, &at, &identity, 1.0f, 1.0f, 1.0f, 10.0f, false, false, 5);
        return gWorld->GetChainWhips().back()->GetWhipVector();
    }();
    for (int i = 1; i < 4; ++i) {
        gWorld->CreateObject(29, &at, &identity, 1.0f, 1.0f, 1.0f, 10.0f, false, false, 5);
        const ChainWhip* whip = gWorld->GetChainWhips().back();
        EXPECT_EQ(whip->GetWhipVector(), i % 2 == 1 ? Vector3(0.0f, 0.0f, -10.0f) : firstVector) << "whip " << i;
        EXPECT_FALSE(whip->IsActive());
    }

    // Poses: swung forward, swung back (the mirror image), turned a quarter
    // about z and swung; then forward again.
    for (int i = 0; i < 4; ++i) {
        gWorld->CreateObject(47, &at, &identity, 30.0f, 3.0f, 3.0f, 200.0f, false, false, 5);
    }
    const auto& swinging = gWorld->GetSwingingLogs();
    ASSERT_EQ(swinging.size(), 4u);
    const Vector3 forward = swinging[0]->GetLog()->position - at;
    const Vector3 back = swinging[1]->GetLog()->position - at;
    EXPECT_GT(forward.Length(), 1.0f);
    EXPECT_NEAR(back.x, -forward.x, 1e-3f);
    EXPECT_NEAR(back.y, -forward.y, 1e-3f);
    EXPECT_NEAR(back.z, forward.z, 1e-3f);
    EXPECT_NEAR(std::fabs(swinging[2]->GetLog()->GetOrientation()(0, 1)), 1.0f, 1e-3f); // its axis along y
    EXPECT_EQ(swinging[3]->GetLog()->position, swinging[0]->GetLog()->position);
    for (const SwingingLog* log : swinging) EXPECT_TRUE(log->GetLog()->IsFrozen());

    const Vector3 bridgeAt(-36.0f, -42.0f, -1.8f);
    const size_t controllers = gWorld->GetControllers().size();
    gWorld->CreateObject(23, &bridgeAt, &identity, 8.0f, 5.0f, 2.0f, 100.0f, false, false, 5);
    gWorld->CreateObject(23, &bridgeAt, &identity, 8.0f, 5.0f, 2.0f, 100.0f, false, false, 5);
    ASSERT_EQ(gWorld->GetControllers().size(), controllers + 1);
    EXPECT_NE(dynamic_cast<BoxChain*>(gWorld->GetControllers().back()), nullptr);
    gWorld->CreateObject(34, &at, &identity, 20.0f, 15.0f, 1.0f, 70.0f, false, false, 5);
    gWorld->CreateObject(34, &at, &identity, 20.0f, 15.0f, 1.0f, 70.0f, false, false, 5);
    EXPECT_NE(dynamic_cast<ChainPlatform*>(gWorld->GetControllers().back()), nullptr);
    EXPECT_NE(gWorld->GetControllers().back(), gWorld->GetChainPlatform());
    // The bridge's planks and the machines' bodies are the stage's objects.
    EXPECT_EQ(CountType(26), 40);
    ResetFactoryCountersForTest();
    gWorld->Clear(true);
    EXPECT_EQ(gPhysicsWorld->GetControllers().size(), 1u);
}

} // namespace
