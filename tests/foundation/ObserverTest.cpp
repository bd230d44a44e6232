#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "foundation/Observer.h"

using namespace DesignPatterns;

namespace {

class Recorder : public IObserver {
public:
    Recorder(std::vector<std::string>& log, const char* name) : log(log), name(name) {}
    void Update(IObservable* observable) override {
        log.push_back(name);
        seen = observable;
        if (throws) {
            throw std::runtime_error("observer failed");
        }
    }

    std::vector<std::string>& log;
    std::string name;
    IObservable* seen = nullptr;
    bool throws = false;
};

class IntRecorder : public TObserver<int> {
public:
    IntRecorder(std::vector<std::string>& log, const char* name, bool throws = false)
        : log(log), name(name), throws(throws) {}
    using TObserver<int>::Update;
    void Update(int* value) override {
        log.push_back(name + std::to_string(*value));
        if (throws) {
            throw 42;
        }
    }

    std::vector<std::string>& log;
    std::string name;
    bool throws;
};

}  // namespace

TEST(Observable, NotifiesInAttachOrderWithItself) {
    std::vector<std::string> log;
    Recorder a(log, "a"), b(log, "b"), c(log, "c");
    Observable subject;
    EXPECT_TRUE(subject.Attach(&b));
    EXPECT_TRUE(subject.Attach(&a));
    EXPECT_TRUE(subject.Attach(&c));
    EXPECT_FALSE(subject.Attach(nullptr));
    subject.Notify();
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), log);
    EXPECT_EQ(&subject, a.seen);
}

TEST(Observable, TwiceAttachedIsNotifiedTwiceAndDetachRemovesFirstEntry) {
    std::vector<std::string> log;
    Recorder a(log, "a"), b(log, "b");
    Observable subject;
    subject.Attach(&a);
    subject.Attach(&b);
    subject.Attach(&a);
    subject.Notify();
    EXPECT_EQ((std::vector<std::string>{"a", "b", "a"}), log);

    log.clear();
    EXPECT_TRUE(subject.Detach(&a));
    subject.Notify();
    EXPECT_EQ((std::vector<std::string>{"b", "a"}), log);  // the later entry kept its place
}

TEST(Observable, DetachOfUnknownObserverChangesNothing) {
    std::vector<std::string> log;
    Recorder a(log, "a"), stranger(log, "x");
    Observable subject;
    subject.Attach(&a);
    EXPECT_FALSE(subject.Detach(&stranger));
    EXPECT_FALSE(subject.Detach(nullptr));
    subject.Notify();
    EXPECT_EQ((std::vector<std::string>{"a"}), log);
    EXPECT_TRUE(subject.Detach(&a));
    EXPECT_FALSE(subject.Detach(&a));
}

TEST(Observable, UntypedExceptionReachesCallerAndStopsTheWalk) {
    std::vector<std::string> log;
    Recorder a(log, "a"), b(log, "b");
    a.throws = true;
    Observable subject;
    subject.Attach(&a);
    subject.Attach(&b);
    EXPECT_THROW(subject.Notify(), std::runtime_error);
    EXPECT_EQ((std::vector<std::string>{"a"}), log);
}

TEST(Observable, ObserverDetachingItselfDuringNotifyIsSafe) {
    struct SelfDetacher : IObserver {
        Observable* subject = nullptr;
        int calls = 0;
        void Update(IObservable*) override {
            ++calls;
            subject->Detach(this);
        }
    };
    Observable subject;
    SelfDetacher d;
    d.subject = &subject;
    std::vector<std::string> log;
    Recorder after(log, "after");
    subject.Attach(&d);
    subject.Attach(&after);
    subject.Notify();
    subject.Notify();
    EXPECT_EQ(1, d.calls);
    // The observer that moved into the detached one's place is still notified.
    EXPECT_EQ((std::vector<std::string>{"after", "after"}), log);
}

TEST(TObservable, TypedExceptionDoesNotStopLaterObservers) {
    std::vector<std::string> log;
    IntRecorder first(log, "f", true), second(log, "s");
    Recorder untyped(log, "u");
    TObservable<int> subject;
    subject.Attach(&first);
    subject.Attach(&untyped);  // untyped observers are skipped by typed notification
    subject.Attach(&second);
    int value = 7;
    EXPECT_NO_THROW(subject.Notify(&value));
    EXPECT_EQ((std::vector<std::string>{"f7", "s7"}), log);

    log.clear();
    subject.Notify();  // the untyped walk reaches everybody; typed ones ignore it
    EXPECT_EQ((std::vector<std::string>{"u"}), log);
}

TEST(TObservable, TypedObserversShareTheListWithDetach) {
    std::vector<std::string> log;
    IntRecorder a(log, "a"), b(log, "b");
    TObservable<int> subject;
    subject.Attach(&a);
    subject.Attach(&b);
    EXPECT_TRUE(subject.Detach(&a));
    int value = 1;
    subject.Notify(&value);
    EXPECT_EQ((std::vector<std::string>{"b1"}), log);
}
