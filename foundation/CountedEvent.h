#pragma once
// A kernel event that counts how often it was set or reset, so that a thread that only
// polls it can leave the system alone while nobody touched it.
//
// Every Set and Reset goes to the kernel first and advances the count afterwards. A
// poller reads the count before it asks the kernel; when the count is still the one under
// which it last found the event in its usual ("quiet") state, the event is in that state
// still, or a change is under way whose count has not been advanced yet and that the next
// poll sees. Waits (when a thread has to wait) are on the kernel event, as ever.
//
// Every thread that sets or resets the event must do so through this object: a change
// made on the handle alone stays unseen by a poller that skips its kernel check.
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "foundation/noncopyable.h"

class CountedEvent : private noncopyable {
public:
    CountedEvent() = default;
    ~CountedEvent() { Close(); }

    // CreateEventW without a name; false (with the system's last error) when it fails or
    // an event exists already.
    bool Create(bool manualReset, bool signalled);
    // Closes the event; the count stays.
    void Close();

    HANDLE Handle() const { return m_event; }
    // SetEvent or ResetEvent, then the count advances (whatever the result).
    BOOL Set();
    BOOL Reset();
    // How many Sets and Resets have finished.
    uint64_t Changes() const { return m_changes.load(std::memory_order_acquire); }

private:
    HANDLE m_event = nullptr;
    std::atomic<uint64_t> m_changes{0};
};

// One thread's memory of a CountedEvent: the count under which its last kernel check
// found the event in its quiet state. Not shared between threads.
class CountedEventPoll {
public:
    // WaitForSingleObject(event, 0) as of now; quiet is the usual answer (WAIT_OBJECT_0
    // for an event that is signalled while all is well, WAIT_TIMEOUT for one that is
    // not). Answers quiet without a system call while the event has not changed since a
    // check found it quiet.
    DWORD Poll(const CountedEvent& event, DWORD quiet) { return Check(event, event.Changes(), quiet); }
    // The same with the count read by the caller, before this call.
    DWORD Check(const CountedEvent& event, uint64_t changes, DWORD quiet);
    // The next poll asks the system.
    void Forget() { m_known = false; }

private:
    uint64_t m_changes = 0;
    bool m_known = false;
};
