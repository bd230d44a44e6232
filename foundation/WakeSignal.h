#pragma once
// The wake-up of one thread by another through an auto-reset kernel event that is only
// signalled when the sleeper is asleep, or about to be: a thread that runs anyway costs
// its waker no system call.
//
// One word holds the sleeper's state: idle, requested (a wake-up came) or sleeping. The
// waker marks a request and signals the event only when it found the sleeper sleeping;
// the sleeper goes to sleep only from idle, so a request that came first keeps it awake.
// Both changes are single atomic steps, so no wake-up is lost, and the event is signalled
// at most once per sleep. A sleep that ends for another reason (the other side ended, a
// cancel) while a waker had already marked it takes that signal when it wakes (Awake), so
// no later sleep ends for nothing.
#include <windows.h>

#include <atomic>

#include "foundation/noncopyable.h"

class WakeSignal : private noncopyable {
public:
    WakeSignal() = default;
    ~WakeSignal() { Close(); }

    // An auto-reset event, not signalled; false (with the system's last error) when it
    // cannot be made or exists already.
    bool Create();
    void Close();
    // What the sleeper waits on, among other handles.
    HANDLE Handle() const { return m_event; }

    // The waker's side.
    void Wake();

    // The sleeper's side. Clear forgets a request that came before (the sleeper is about
    // to look for work again). Sleep comes last before the wait: false when a wake-up
    // came already (do not wait), true when the sleeper must wait on Handle(). Awake when
    // that wait has ended, however it ended; byEvent tells whether Handle() ended it.
    void Clear() { m_state.store(kIdle); }
    bool Sleep();
    void Awake(bool byEvent);

private:
    enum : int { kIdle, kRequested, kSleeping };

    HANDLE m_event = nullptr;
    std::atomic<int> m_state{kIdle};
};
