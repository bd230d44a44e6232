#include "foundation/CountedEvent.h"

bool CountedEvent::Create(bool manualReset, bool signalled) {
    if (m_event) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return false;
    }
    m_event = CreateEventW(nullptr, manualReset ? TRUE : FALSE, signalled ? TRUE : FALSE, nullptr);
    if (!m_event)
        return false;
    m_changes.fetch_add(1, std::memory_order_acq_rel);  // a new event is a change too
    return true;
}

void CountedEvent::Close() {
    if (m_event) {
        CloseHandle(m_event);
        m_event = nullptr;
    }
}

// The kernel first: a poller that sees the new count finds the new state.
BOOL CountedEvent::Set() {
    const BOOL done = SetEvent(m_event);
    m_changes.fetch_add(1, std::memory_order_acq_rel);
    return done;
}

BOOL CountedEvent::Reset() {
    const BOOL done = ResetEvent(m_event);
    m_changes.fetch_add(1, std::memory_order_acq_rel);
    return done;
}

DWORD CountedEventPoll::Check(const CountedEvent& event, uint64_t changes, DWORD quiet) {
    if (m_known && m_changes == changes)
        return quiet;
    const DWORD result = WaitForSingleObject(event.Handle(), 0);
    // Only the quiet state is remembered: anything else is acted on at once, and an
    // auto-reset event that was just taken is no longer what the check found.
    m_known = result == quiet;
    m_changes = changes;
    return result;
}
