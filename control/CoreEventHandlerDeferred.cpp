#include "control/CoreEventHandlerDeferred.h"

namespace Swiftlet {

CoreEventHandlerDeferred::CoreEventHandlerDeferred(UINT postMessage, UINT sendMessage)
    : CoreEventHandlerPost(nullptr, postMessage, sendMessage) {
    m_windowNeeded = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_ended = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_windowNeeded || !m_ended) {
        const DWORD error = GetLastError();
        if (m_windowNeeded)
            CloseHandle(m_windowNeeded);
        if (m_ended)
            CloseHandle(m_ended);
        throw InitError(error);
    }
}

CoreEventHandlerDeferred::~CoreEventHandlerDeferred() {
    Abandon();
    const bool attached = IsAttached();
    // Every engine thread leaves before the members below go. Without a window none can be
    // sending one a message, and a plain wait maps no window system.
    if (attached) {
        CloseAndWait();
    } else {
        while (busy.load() != 0)
            Sleep(1);
    }
    CloseHandle(m_windowNeeded);
    CloseHandle(m_ended);
}

void CoreEventHandlerDeferred::Dispatch() {
    {
        std::unique_lock<std::mutex> lock(m_lock);
        if (m_mode == kWithoutWindow) {
            const int code = event ? event->eventCode : 0;
            if (code == kEventCoreEnd)
                SetEvent(m_ended);
            if (code != kEventQuestion && code != kEventError)
                return;
            m_mode = kWindowComing;
            SetEvent(m_windowNeeded);
        }
        m_modeChanged.wait(lock, [this] { return m_mode == kAttached || m_mode == kAbandoned; });
        if (m_mode == kAbandoned)
            return;
    }
    CoreEventHandlerPost::Dispatch();
}

void CoreEventHandlerDeferred::StateChanged() {
    // Without a window the state is only kept; the window reads it when it comes.
    if (IsAttached())
        CoreEventHandlerPost::StateChanged();
}

bool CoreEventHandlerDeferred::PrepareWindow() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_mode == kWithoutWindow) {
        if (WaitForSingleObject(m_ended, 0) == WAIT_OBJECT_0)
            return false;
        m_mode = kWindowComing;
    }
    return m_mode == kWindowComing || m_mode == kAttached;
}

void CoreEventHandlerDeferred::Attach(HWND target) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        window = target;
        m_mode = kAttached;
    }
    m_modeChanged.notify_all();
}

void CoreEventHandlerDeferred::Abandon() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_mode == kAttached)
            return;
        m_mode = kAbandoned;
    }
    m_modeChanged.notify_all();
}

bool CoreEventHandlerDeferred::IsAttached() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_mode == kAttached;
}

}  // namespace Swiftlet
