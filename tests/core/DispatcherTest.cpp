#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/EventDispatcher.h"
#include "core/EventObj.h"
#include "core/Messages.h"

namespace {
std::vector<std::string> gLog;

// A message that records its own deletion.
struct CountedMessage : fMessage
{
    explicit CountedMessage(int* deletions_) : deletions(deletions_) { type = 99; }
    ~CountedMessage() override { ++*deletions; }
    int* deletions;
};

class Recorder : public fEventObj
{
public:
    explicit Recorder(std::string name_) : name(std::move(name_)) {}

    void SubscribeMessages() override {}
    void HandleMessage(int id, fMessage* msg) override
    {
        std::string entry = name + ":" + std::to_string(id);
        if (!msg) {
            entry += ":null";
        }
        gLog.push_back(entry);
        if (onMessage) {
            (*onMessage)(id, msg); // may delete this receiver: nothing follows
        }
    }

    std::string name;
    // Owned by the test, so a handler may destroy its own receiver.
    const std::function<void(int, fMessage*)>* onMessage = nullptr;
};

class DispatcherTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        gLog.clear();
        gEventDispatcher = new EventDispatcher;
    }
    void TearDown() override
    {
        delete gEventDispatcher;
        gEventDispatcher = nullptr;
    }
};
} // namespace

TEST_F(DispatcherTest, DeliversInSubscriptionOrderAndQueueOrder)
{
    Recorder a("a"), b("b"), c("c");
    gEventDispatcher->Subscribe(52, &b);
    gEventDispatcher->Subscribe(9, &c);
    gEventDispatcher->Subscribe(52, &a);
    gEventDispatcher->Subscribe(9, &a);
    gEventDispatcher->Subscribe(52, &b); // twice: gets it twice

    gEventDispatcher->PostMessage(9, new fInputState(9, 2));
    gEventDispatcher->PostMessage(52, new fMouseButtonState(2, 0));
    gEventDispatcher->PostMessage(77, new fInputState(77, 2)); // nobody listens
    gEventDispatcher->ProcessQueue();

    const std::vector<std::string> expected = {"c:9", "a:9", "b:52", "a:52", "b:52"};
    EXPECT_EQ(gLog, expected);

    gLog.clear();
    gEventDispatcher->ProcessQueue();
    EXPECT_TRUE(gLog.empty());
}

TEST_F(DispatcherTest, NullMessagesReachEverySubscriber)
{
    Recorder a("a"), b("b");
    gEventDispatcher->Subscribe(65, &a);
    gEventDispatcher->Subscribe(65, &b);
    gEventDispatcher->PostMessage(65, nullptr);
    gEventDispatcher->ProcessQueue();
    const std::vector<std::string> expected = {"a:65:null", "b:65:null"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(DispatcherTest, MessagesPostedDuringAPassArriveInThatPassAfterTheQueued)
{
    Recorder item("item"), menu("menu");
    int deletions = 0;
    gEventDispatcher->Subscribe(52, &item);
    gEventDispatcher->Subscribe(54, &menu);
    gEventDispatcher->Subscribe(99, &menu);
    const std::function<void(int, fMessage*)> click = [](int, fMessage*) {
        gEventDispatcher->PostMessage(54, new fInputState(54, 2));
    };
    item.onMessage = &click;

    gEventDispatcher->PostMessage(52, new fMouseButtonState(2, 0));
    gEventDispatcher->PostMessage(99, new CountedMessage(&deletions));
    gEventDispatcher->ProcessQueue();

    const std::vector<std::string> expected = {"item:52", "menu:99", "menu:54"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(deletions, 1);
}

TEST_F(DispatcherTest, UnsubscribeAllStopsOnlyThatReceiver)
{
    Recorder a("a"), b("b");
    for (int id : {7, 2}) {
        gEventDispatcher->Subscribe(id, &a);
        gEventDispatcher->Subscribe(id, &b);
    }
    gEventDispatcher->UnsubscribeAll(&a);
    gEventDispatcher->PostMessage(2, nullptr);
    gEventDispatcher->PostMessage(7, nullptr);
    gEventDispatcher->ProcessQueue();
    const std::vector<std::string> expected = {"b:2:null", "b:7:null"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(DispatcherTest, ReceiversDestroyedAndCreatedDuringAPass)
{
    // A stage reload from a handler: the loader destroys the stage's objects
    // (one of them not yet served) and builds new ones that subscribe to the
    // same id. The destroyed one is never called; the new one waits for the
    // next message of the id.
    Recorder loader("loader");
    Recorder* oldObject = new Recorder("old");
    Recorder* newObject = nullptr;
    int deletions = 0;
    gEventDispatcher->Subscribe(9, &loader);
    gEventDispatcher->Subscribe(9, oldObject);
    const std::function<void(int, fMessage*)> reload = [&](int id, fMessage*) {
        if (id != 9 || newObject) {
            return;
        }
        delete oldObject;
        oldObject = nullptr;
        newObject = new Recorder("new");
        gEventDispatcher->Subscribe(9, newObject);
    };
    loader.onMessage = &reload;

    gEventDispatcher->PostMessage(9, new CountedMessage(&deletions));
    gEventDispatcher->PostMessage(9, nullptr);
    gEventDispatcher->ProcessQueue();

    const std::vector<std::string> expected = {"loader:9", "loader:9:null", "new:9:null"};
    EXPECT_EQ(gLog, expected);
    EXPECT_EQ(deletions, 1);
    delete newObject;
}

TEST_F(DispatcherTest, ReceiverDestroyingItselfAndALaterOne)
{
    Recorder* first = new Recorder("first");
    Recorder* second = new Recorder("second");
    Recorder third("third");
    gEventDispatcher->Subscribe(54, first);
    gEventDispatcher->Subscribe(54, second);
    gEventDispatcher->Subscribe(54, &third);
    const std::function<void(int, fMessage*)> destroy = [&](int, fMessage*) {
        delete second;
        second = nullptr;
        delete first;
        first = nullptr;
    };
    first->onMessage = &destroy;
    gEventDispatcher->PostMessage(54, new fInputState(54, 2));
    gEventDispatcher->ProcessQueue();
    const std::vector<std::string> expected = {"first:54", "third:54"};
    EXPECT_EQ(gLog, expected);
}

TEST_F(DispatcherTest, SendMessageDeliversAtOnceAndDeletes)
{
    Recorder manager("manager");
    int deletions = 0;
    EventDispatcher::SendMessage(&manager, 0, new CountedMessage(&deletions));
    EXPECT_EQ(gLog, std::vector<std::string>{"manager:0"});
    EXPECT_EQ(deletions, 1);

    // A null target: nothing to deliver to, the message is still freed.
    EventDispatcher::SendMessage(nullptr, 0, new CountedMessage(&deletions));
    EXPECT_EQ(deletions, 2);
    EventDispatcher::SendMessage(&manager, 1, nullptr);
    EXPECT_EQ(gLog.back(), "manager:1:null");
}

// The observer sees every delivery, sent or posted, in order and before the
// receiver acts; receivers skipped in a pass are not reported.
TEST_F(DispatcherTest, DeliveryObserverSeesEveryDeliveryInOrder)
{
    Recorder a("a"), b("b");
    std::vector<std::string> seen;
    EventDispatcher::SetDeliveryObserver(
        [](int id, const fEventObj* receiver, void* user) {
            auto* log = static_cast<std::vector<std::string>*>(user);
            log->push_back(static_cast<const Recorder*>(receiver)->name + ":" + std::to_string(id) + " after " +
                           std::to_string(gLog.size()));
        },
        &seen);
    gEventDispatcher->Subscribe(9, &a);
    gEventDispatcher->Subscribe(9, &b);
    gEventDispatcher->PostMessage(9, nullptr);
    EventDispatcher::SendMessage(&b, 1, nullptr);
    EventDispatcher::SendMessage(nullptr, 1, nullptr);
    gEventDispatcher->ProcessQueue();
    EventDispatcher::SetDeliveryObserver(nullptr, nullptr);
    gEventDispatcher->PostMessage(9, nullptr);
    gEventDispatcher->ProcessQueue();

    const std::vector<std::string> expected = {"b:1 after 0", "a:9 after 1", "b:9 after 2"};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(gLog.size(), 5u);
}

TEST_F(DispatcherTest, ClearQueueAndDestructorDeleteUndelivered)
{
    Recorder a("a");
    int deletions = 0;
    gEventDispatcher->Subscribe(99, &a);
    gEventDispatcher->PostMessage(99, new CountedMessage(&deletions));
    gEventDispatcher->PostMessage(99, nullptr);
    gEventDispatcher->ClearQueue();
    EXPECT_EQ(deletions, 1);
    gEventDispatcher->ProcessQueue();
    EXPECT_TRUE(gLog.empty());

    gEventDispatcher->PostMessage(99, new CountedMessage(&deletions));
    delete gEventDispatcher;
    gEventDispatcher = nullptr;
    EXPECT_EQ(deletions, 2);
    EXPECT_TRUE(gLog.empty());
}

TEST_F(DispatcherTest, ReceiverOutlivingTheDispatcherIsSafe)
{
    Recorder* late = new Recorder("late");
    gEventDispatcher->Subscribe(12, late);
    delete gEventDispatcher;
    gEventDispatcher = nullptr;
    delete late; // must not touch the deleted dispatcher
    SUCCEED();
}

TEST(Messages, ConstructorsSetTypeAndCopyValues)
{
    Vector3 position(1, 2, 3), velocity(4, 5, 6), offset(7, 8, 9);
    Matrix3 orientation = Matrix3::Identity();
    float scale = 2.5f;
    fMessage* create = new fCreateSystem("Explosion", &position, &velocity, &scale);
    position.x = 100.0f; // only read at construction
    const fCreateSystem* c = dynamic_cast<fCreateSystem*>(create);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->type, 0);
    EXPECT_EQ(c->name, "Explosion");
    EXPECT_EQ(c->position, Vector3(1, 2, 3));
    EXPECT_EQ(c->velocity, Vector3(4, 5, 6));
    EXPECT_EQ(c->scale, 2.5f);
    delete create;

    fAttachSystem attach("TorchEmitter", &offset, &position, &orientation, nullptr, &scale);
    EXPECT_EQ(attach.type, 1);
    EXPECT_EQ(attach.offset, Vector3(7, 8, 9));
    EXPECT_EQ(attach.parentPosition, &position);
    EXPECT_EQ(attach.parentOrientation, &orientation);
    EXPECT_EQ(attach.parentVelocity, nullptr);

    fInputState input(kMsgJump, kPressPressed);
    EXPECT_EQ(input.type, 22);
    EXPECT_EQ(input.id, 22);
    EXPECT_EQ(input.state, 2);
    EXPECT_EQ(fMouseMoveState(3, -4).type, 51);
    EXPECT_EQ(fMouseButtonState(1, 7).button, 7);
    EXPECT_EQ(fMouseWheelState(-120).type, 53);
}
