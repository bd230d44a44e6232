#pragma once
// Observer pattern: an untyped pair (observable notifies "something changed, look at
// me") and a typed pair (the observable hands each observer a value). The classes have
// no lock: their users attach before notifications start and serialise notifying.
#include <cstddef>
#include <vector>

namespace DesignPatterns {

class IObserver;

class IObservable {
public:
    virtual ~IObservable() = default;
    virtual bool Attach(IObserver* observer) = 0;
    virtual bool Detach(IObserver* observer) = 0;
    virtual void Notify() = 0;
};

class IObserver {
public:
    virtual ~IObserver() = default;
    virtual void Update(IObservable* observable) = 0;
};

// Keeps the observers in attach order; it does not own them.
class Observable : public IObservable {
public:
    // False for a null observer. The same observer may be attached more than once and
    // is then notified once per entry.
    bool Attach(IObserver* observer) override {
        if (observer == nullptr) {
            return false;
        }
        observers.push_back(observer);
        return true;
    }

    // Removes the first entry of observer; false when there is none.
    bool Detach(IObserver* observer) override {
        for (auto it = observers.begin(); it != observers.end(); ++it) {
            if (*it == observer) {
                observers.erase(it);
                return true;
            }
        }
        return false;
    }

    // Update(this) on every observer, first attached first, on the calling thread. An
    // exception from an observer reaches the caller.
    void Notify() override {
        // By index: an observer that detaches itself must neither invalidate the walk
        // nor make the walk skip the observer that moves into its place.
        for (size_t i = 0; i < observers.size();) {
            IObserver* observer = observers[i];
            observer->Update(this);
            if (i < observers.size() && observers[i] == observer) {
                ++i;
            }
        }
    }

protected:
    std::vector<IObserver*> observers;
};

template <typename T>
class TObserver : public IObserver {
public:
    // Untyped notifications mean nothing to a typed observer.
    void Update(IObservable*) override {}
    virtual void Update(T* value) = 0;
};

template <typename T>
class TObservable : public Observable {
public:
    using Observable::Attach;
    using Observable::Notify;

    // Typed observers share the list with untyped ones.
    virtual bool Attach(TObserver<T>* observer) { return Observable::Attach(observer); }

    // Update(value) on every typed observer in order. One observer's exception is
    // swallowed so that the observers after it still hear of the value.
    virtual void Notify(T* value) {
        for (size_t i = 0; i < observers.size();) {
            IObserver* observer = observers[i];
            if (auto* typed = dynamic_cast<TObserver<T>*>(observer)) {
                try {
                    typed->Update(value);
                } catch (...) {
                }
            }
            if (i < observers.size() && observers[i] == observer) {
                ++i;
            }
        }
    }
};

}  // namespace DesignPatterns
