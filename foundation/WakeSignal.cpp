#include "foundation/WakeSignal.h"

bool WakeSignal::Create() {
    if (m_event) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_requested.store(0);
    m_sleeping.store(0);
    return m_event != nullptr;
}

void WakeSignal::Close() {
    if (m_event) {
        CloseHandle(m_event);
        m_event = nullptr;
    }
}

// Both sides use sequentially consistent stores and loads: each store must be seen before
// the load that follows it on the same thread.
void WakeSignal::Wake() {
    m_requested.store(1);
    if (m_sleeping.load() && m_event)
        SetEvent(m_event);
}

bool WakeSignal::Sleep() {
    m_sleeping.store(1);
    if (m_requested.load()) {
        m_sleeping.store(0);
        return false;
    }
    return true;
}
