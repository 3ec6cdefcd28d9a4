// A receiver that records the input messages it is subscribed to, reduced to
// their fields, in delivery order.
#pragma once

#include <ostream>
#include <tuple>
#include <utility>
#include <vector>

#include "core/EventDispatcher.h"
#include "core/EventObj.h"
#include "core/Messages.h"

// (state, id) of an fInputState, (dx, dy) of 51, (state, button) of 52,
// (dz, 0) of 53; frame is whatever the recorder's owner stamps.
struct PostedInput
{
    int id, a, b, frame;
    bool operator==(const PostedInput& o) const
    {
        return std::tie(id, a, b, frame) == std::tie(o.id, o.a, o.b, o.frame);
    }
};
inline std::ostream& operator<<(std::ostream& out, const PostedInput& p)
{
    return out << "{" << p.id << ": " << p.a << ", " << p.b << " @" << p.frame << "}";
}
inline PostedInput KeyMessage(int id, int state, int frame = 0)
{
    return {id, state, id, frame};
}
inline PostedInput MoveMessage(int dx, int dy, int frame = 0)
{
    return {kMsgMouseMove, dx, dy, frame};
}
inline PostedInput ButtonMessage(int state, int button, int frame = 0)
{
    return {kMsgMouseButton, state, button, frame};
}
inline PostedInput WheelMessage(int dz, int frame = 0)
{
    return {kMsgMouseWheel, dz, 0, frame};
}

// Subscribes on the global dispatcher when built; destroy it before the dispatcher.
class InputRecorder : public fEventObj
{
public:
    explicit InputRecorder(std::vector<int> ids_) : ids(std::move(ids_)) { SubscribeMessages(); }
    void SubscribeMessages() override
    {
        for (int id : ids) gEventDispatcher->Subscribe(id, this);
    }
    void HandleMessage(int id, fMessage* msg) override
    {
        PostedInput p = {id, -1, -1, frame}; // a null or foreign message shows in any comparison
        if (auto* m = dynamic_cast<fMouseMoveState*>(msg))
            p.a = m->dx, p.b = m->dy;
        else if (auto* m = dynamic_cast<fMouseButtonState*>(msg))
            p.a = m->state, p.b = m->button;
        else if (auto* m = dynamic_cast<fMouseWheelState*>(msg))
            p.a = m->dz, p.b = 0;
        else if (auto* m = dynamic_cast<fInputState*>(msg))
            p.a = m->state, p.b = m->id;
        received.push_back(p);
    }
    // What arrived since the last call.
    std::vector<PostedInput> Take() { return std::exchange(received, {}); }

    int frame = 0;

private:
    std::vector<int> ids;
    std::vector<PostedInput> received;
};
