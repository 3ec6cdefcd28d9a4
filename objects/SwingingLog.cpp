#include "objects/SwingingLog.h"

#include "objects/Cylinder.h"
#include "objects/Ellipsoid.h"
#include "physics/BodyTypes.h"
#include "physics/ConstraintMaxDistance.h"
#include "physics/ConstraintWorldPoint.h"

namespace {

// The anchor balls: never drawn, pinned where they are built.
const float kBallSize = 1.0f;
const int kBallBands = 16;
const int kBallSectors = 10;
const float kBallMass = 20.0f;
// Each rope is tied this far below its ball's centre.
const float kRopeTopDrop = 1.0f;

const Vector3 kUp(0.0f, 0.0f, 1.0f);

} // namespace

SwingingLog::SwingingLog(PhysicsWorld* world, const Vector3& position, float length_, float radius_, float mass,
                         float ropeLength_)
    : parts(world), ropeLength(ropeLength_), length(length_), radius(radius_), log(nullptr), balls{}, pins{}
{
    log = parts.NewLog(length, radius, mass, kSwingingLogBodyType);
    parts.AddStageBody(log, position);
    bodies.push_back(log);
    attachOffsets[0] = Vector3(length / 2.0f, 0.0f, radius);
    attachOffsets[1] = Vector3(-length / 2.0f, 0.0f, radius);
    RefreshAttachPoints();

    for (int k = 0; k < kRopeCount; ++k) {
        balls[k] = new Ellipsoid(world, kBallSize, kBallSize, kBallSize, kBallBands, kBallSectors, kBallMass);
        balls[k]->typeId = kSwingingLogAnchorBodyType;
        // Straight above the rope's end, so the rope starts taut.
        parts.AddStageBody(balls[k], attachPoints[k] + Vector3(0.0f, 0.0f, ropeLength + kRopeTopDrop));
        bodies.push_back(balls[k]);
    }
    for (int k = 0; k < kRopeCount; ++k) {
        parts.AddChain(&attachPoints[k], &balls[k]->position, MachineryLook::kRopeTexture,
                       Vector3(MachineryLook::kRopeWidth, 1.0f, MachineryLook::kRopeWidth));
    }
    for (int k = 0; k < kRopeCount; ++k) {
        pins[k] = new ConstraintWorldPoint(balls[k], Vector3(), balls[k]->position);
        parts.AddConstraint(pins[k]);
    }
    for (int k = 0; k < kRopeCount; ++k) {
        // From the rope's end on the log to the ball's bottom.
        parts.AddConstraint(
            new ConstraintMaxDistance(log, attachOffsets[k], balls[k], Vector3(0.0f, 0.0f, -kRopeTopDrop), ropeLength));
    }
    parts.AddController(this);
}

SwingingLog::~SwingingLog() = default;

void SwingingLog::Update(float)
{
    RefreshAttachPoints();
}

void SwingingLog::SetActive(bool on)
{
    for (Object* body : bodies) body->SetFreezeState(on ? 0 : 1, 1.0f);
}

void SwingingLog::RefreshAttachPoints()
{
    for (int k = 0; k < kRopeCount; ++k) {
        Vector3 turned;
        Vector3::TimesMatrix3(turned, log->GetOrientation(), attachOffsets[k]);
        attachPoints[k] = log->position + turned;
    }
}

void SwingingLog::GetBallLine(Vector3& middle, Vector3& direction) const
{
    middle = (balls[0]->position + balls[1]->position) * 0.5f;
    direction = balls[0]->position - balls[1]->position;
    direction.Normalize();
}

void SwingingLog::SwingTo(float degrees)
{
    Vector3 middle, direction;
    GetBallLine(middle, direction);
    Vector3 across;
    Vector3::Cross(across, direction, kUp);
    // The point a radius above the centre swings; the centre is put there.
    const Vector3 arm = log->position + Vector3(0.0f, 0.0f, radius) - middle;
    Matrix3 turn;
    Matrix3::FromAxisAngle(turn, degrees, across);
    Vector3 swung;
    Vector3::TimesMatrix3(swung, turn, arm);
    log->SetPosition(middle + swung);
    log->UpdateBounds();
    RefreshAttachPoints();
}

void SwingingLog::SwingBy(float degrees)
{
    Vector3 middle, direction;
    GetBallLine(middle, direction);
    Matrix3 turn;
    Matrix3::FromAxisAngle(turn, degrees, direction);
    Vector3 swung;
    Vector3::TimesMatrix3(swung, turn, log->position - middle);
    log->SetPosition(middle + swung);
    Matrix3 turned;
    Matrix3::MultiplyStatic(turned, turn, log->GetOrientation());
    log->SetOrientation(turned);
    log->UpdateBounds();
    RefreshAttachPoints();
}

void SwingingLog::Rotate(const Matrix3& m)
{
    Matrix3 turned;
    Matrix3::MultiplyStatic(turned, m, log->GetOrientation());
    log->SetOrientation(turned);
    for (int k = 0; k < kRopeCount; ++k) {
        Vector3 carried;
        Vector3::TimesMatrix3(carried, m, balls[k]->position - log->position);
        balls[k]->SetPosition(log->position + carried);
        balls[k]->UpdateBounds();
        pins[k]->worldPoint = balls[k]->position;
    }
    log->UpdateBounds();
    RefreshAttachPoints();
}
