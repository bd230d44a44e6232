#pragma once
// The wake-up of one thread by another through an auto-reset kernel event that is only
// signalled when the sleeper is asleep, or about to be: a thread that runs anyway costs
// its waker no system call.
//
// The waker notes its request, then looks whether the sleeper is (about to be) asleep and
// only then signals the event. The sleeper says it is going to sleep, then looks for a
// request that came meanwhile and does not wait when there is one. Each side writes its
// flag before it reads the other's, so at least one of them sees the other: no wake-up is
// lost. When both see each other the event keeps a signal that nobody took, and the
// sleeper's next wait ends at once, as a wake-up without news would.
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
    // came already (do not wait), true when the sleeper must wait on Handle(); Awake when
    // the wait has ended, however it ended.
    void Clear() { m_requested.store(0); }
    bool Sleep();
    void Awake() { m_sleeping.store(0); }

private:
    HANDLE m_event = nullptr;
    std::atomic<int> m_requested{0};
    std::atomic<int> m_sleeping{0};
};
