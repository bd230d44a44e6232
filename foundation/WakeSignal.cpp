#include "foundation/WakeSignal.h"

bool WakeSignal::Create() {
    if (m_event) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_state.store(kIdle);
    return m_event != nullptr;
}

void WakeSignal::Close() {
    if (m_event) {
        CloseHandle(m_event);
        m_event = nullptr;
    }
}

void WakeSignal::Wake() {
    if (m_state.exchange(kRequested) == kSleeping)
        SetEvent(m_event);
}

bool WakeSignal::Sleep() {
    int idle = kIdle;
    return m_state.compare_exchange_strong(idle, kSleeping);
}

void WakeSignal::Awake(bool byEvent) {
    // A waker that found this side sleeping has signalled the event, or is about to:
    // when something else ended the wait, that signal is taken here.
    if (m_state.exchange(kIdle) == kRequested && !byEvent)
        WaitForSingleObject(m_event, INFINITE);
}
