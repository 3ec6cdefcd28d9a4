// The receiver interface of the event dispatcher.
#pragma once

struct fMessage;

// The report of a receiver given a message id it does not handle.
constexpr const char* kUnknownMessageReport = "Unknown message sent to object";

class fEventObj
{
public:
    // Subscribes the receiver once to each id it handles.
    virtual void SubscribeMessages() = 0;
    // msg may be null; the receiver never deletes or keeps it.
    virtual void HandleMessage(int id, fMessage* msg) = 0;
    // Unsubscribes from every id, so a destroyed receiver is never called again.
    virtual ~fEventObj();

protected:
    fEventObj() = default;
    fEventObj(const fEventObj&) = default;
    fEventObj& operator=(const fEventObj&) = default;
};
