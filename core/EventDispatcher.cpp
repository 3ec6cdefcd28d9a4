#include "core/EventDispatcher.h"

#include <algorithm>

#include "core/EventObj.h"
#include "core/Messages.h"

EventDispatcher* gEventDispatcher = nullptr;

namespace {

EventDispatcher::DeliveryObserver sDeliveryObserver = nullptr;
void* sDeliveryObserverUser = nullptr;

void Deliver(fEventObj* receiver, int id, fMessage* msg)
{
    if (sDeliveryObserver) {
        sDeliveryObserver(id, receiver, sDeliveryObserverUser);
    }
    receiver->HandleMessage(id, msg);
}

} // namespace

void EventDispatcher::SetDeliveryObserver(DeliveryObserver observer, void* user)
{
    sDeliveryObserver = observer;
    sDeliveryObserverUser = user;
}

fEventObj::~fEventObj()
{
    // Receivers destroyed after the dispatcher (at exit) have nothing to leave.
    if (gEventDispatcher) {
        gEventDispatcher->UnsubscribeAll(this);
    }
}

EventDispatcher::~EventDispatcher()
{
    ClearQueue();
}

void EventDispatcher::Subscribe(int id, fEventObj* receiver)
{
    // multimap insertion with an equal key goes after the existing entries.
    table.emplace(id, receiver);
}

void EventDispatcher::PostMessage(int id, fMessage* msg)
{
    queue.push_back(Posted{id, msg});
}

void EventDispatcher::SendMessage(fEventObj* target, int id, fMessage* msg)
{
    if (target) {
        Deliver(target, id, msg);
    }
    delete msg;
}

void EventDispatcher::ProcessQueue()
{
    // A handler may destroy or create receivers (a stage reload from the
    // try-again menu rebuilds every object). The receivers of the message in
    // hand are fixed when its delivery begins; those destroyed before their
    // turn are nulled in the snapshot by UnsubscribeAll, and new ones wait for
    // the next message.
    Snapshot receivers;
    activeSnapshots.push_back(&receivers);
    while (!queue.empty()) {
        const Posted posted = queue.front();
        queue.pop_front();

        receivers.clear();
        const auto range = table.equal_range(posted.id);
        for (auto it = range.first; it != range.second; ++it) {
            receivers.push_back(it->second);
        }
        for (std::size_t i = 0; i < receivers.size(); ++i) {
            if (receivers[i]) {
                Deliver(receivers[i], posted.id, posted.msg);
            }
        }
        delete posted.msg;
    }
    activeSnapshots.pop_back();
}

void EventDispatcher::ClearQueue()
{
    while (!queue.empty()) {
        fMessage* msg = queue.front().msg;
        queue.pop_front();
        delete msg;
    }
}

void EventDispatcher::UnsubscribeAll(fEventObj* receiver)
{
    for (auto it = table.begin(); it != table.end();) {
        if (it->second == receiver) {
            it = table.erase(it);
        } else {
            ++it;
        }
    }
    for (Snapshot* snapshot : activeSnapshots) {
        std::replace(snapshot->begin(), snapshot->end(), receiver, static_cast<fEventObj*>(nullptr));
    }
}
