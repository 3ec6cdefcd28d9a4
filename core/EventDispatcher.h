// The message hub: a subscription table (id -> receivers in subscription order)
// and a first-in-first-out queue of posted messages, delivered once per frame.
// The dispatcher owns every message posted or sent and deletes it after
// delivery; it never owns receivers.
#pragma once

#include <deque>
#include <map>
#include <vector>

class fEventObj;
struct fMessage;

class EventDispatcher
{
public:
    EventDispatcher() = default;
    // Deletes queued messages undelivered.
    ~EventDispatcher();

    EventDispatcher(const EventDispatcher&) = delete;
    EventDispatcher& operator=(const EventDispatcher&) = delete;

    // Appends after every existing receiver of the id; no duplicate check.
    void Subscribe(int id, fEventObj* receiver);
    // Queues the message (which may be null) for the next delivery pass.
    void PostMessage(int id, fMessage* msg);
    // Delivers to one target at once, then deletes the message. A null target
    // only frees the message.
    static void SendMessage(fEventObj* target, int id, fMessage* msg);
    // One delivery pass: runs until the queue is empty, so messages posted by
    // receivers during the pass arrive in the same pass, in posting order.
    void ProcessQueue();
    // Deletes every queued message undelivered.
    void ClearQueue();
    // Removes the receiver from every id. Safe during a delivery pass: a
    // receiver removed before its turn is not called.
    void UnsubscribeAll(fEventObj* receiver);

    // Test seam: told of every delivery, posted or sent, just before the
    // receiver's HandleMessage, so a test sees the whole delivery order (the
    // frame-order checks, DEVELOPERS.md). Null, the default, tells nobody.
    typedef void (*DeliveryObserver)(int id, const fEventObj* receiver, void* user);
    static void SetDeliveryObserver(DeliveryObserver observer, void* user);

private:
    struct Posted
    {
        int id;
        fMessage* msg;
    };

    // Receivers of the message in hand, looked up when its delivery began.
    // Entries of receivers that unsubscribe meanwhile are nulled.
    typedef std::vector<fEventObj*> Snapshot;

    std::multimap<int, fEventObj*> table;
    std::deque<Posted> queue;
    std::vector<Snapshot*> activeSnapshots; // nested passes (a handler may process again)
};

extern EventDispatcher* gEventDispatcher;
