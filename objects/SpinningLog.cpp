#include "objects/SpinningLog.h"

#include "core/Geometry.h"
#include "objects/Cylinder.h"
#include "objects/StageHooks.h"
#include "physics/BodyTypes.h"
#include "physics/ConstraintWorldPoint.h"
#include "physics/RigidBody.h"

namespace {

// A log turned upright (its x axis no longer leaning along world x) is no
// hazard: its side line would stand on end.
const float kUprightRowX = 0.000001f;

} // namespace

SpinningLog::SpinningLog(PhysicsWorld* world, const Vector3& position, float length_, float radius_, float speed_,
                         float mass)
    : parts(world), length(length_), radius(radius_), speed(speed_), axis(1.0f, 0.0f, 0.0f), log(nullptr),
      spinning(false), hazard(true)
{
    log = parts.NewLog(length, radius, mass, kSpinningLogBodyType);
    parts.AddOwnBody(log, position);
    const float half = length / 2.0f;
    for (float end : {-half, half}) {
        ConstraintWorldPoint* pin =
            new ConstraintWorldPoint(log, Vector3(end, 0.0f, 0.0f), position + Vector3(end, 0.0f, 0.0f));
        parts.AddConstraint(pin);
        pins.push_back(pin);
    }
    parts.AddController(this);
}

SpinningLog::~SpinningLog() = default;

void SpinningLog::GetEnds(Vector3& a, Vector3& b) const
{
    const float half = length / 2.0f;
    Vector3::TimesMatrix3(a, log->GetOrientation(), Vector3(-half, 0.0f, 0.0f));
    Vector3::TimesMatrix3(b, log->GetOrientation(), Vector3(half, 0.0f, 0.0f));
    a += log->position;
    b += log->position;
}

void SpinningLog::PlaceEnds(const Matrix3& rotation)
{
    Matrix3 turned;
    Matrix3::MultiplyStatic(turned, rotation, log->GetOrientation());
    log->SetOrientation(turned);
    Vector3 a, b;
    GetEnds(a, b);
    pins[0]->worldPoint = a;
    pins[1]->worldPoint = b;
    axis = b - a;
    axis.Normalize();
    log->UpdateBounds();
}

void SpinningLog::Update(float)
{
    if (spinning) log->angularVelocity = axis * speed;
    if (hazard) CheckHazard();
}

void SpinningLog::CheckHazard()
{
    const RigidBody* character = StageHookSlot::Get().GetPlayerBody();
    if (character == nullptr) return;
    if (!(log->GetOrientation()(0, 0) > kUprightRowX)) return;
    Vector3 a, b;
    GetEnds(a, b);
    Vector3 side;
    Vector3::Cross(side, Vector3(0.0f, 0.0f, 1.0f), b - a);
    side.Normalize();
    const Vector3 lift = side * radius + Vector3(0.0f, 0.0f, radius / 2.0f);
    const Segment line{a + lift, b - a};
    if (PointSegmentDistanceSquared(character->position, line, nullptr) < kHazardDistanceSquared) {
        StageHookSlot::Get().KnockOutPlayer();
    }
}
