#pragma once
// A job's handler whose window comes later. A UI instance starts its first job before it
// makes its task window: most jobs of a few small files are over before a window would
// show, and a window, hidden or not, costs a process the start of the window system.
// Until the window is attached, an event that only reports progress is not delivered
// (the engine goes on at once; the state and phase are kept as always), a question or an
// error, which need the user, waits for the window and raises the window-needed event,
// and the job's last event raises the ended event. From Attach on the handler is a
// CoreEventHandlerPost.
#include <condition_variable>
#include <mutex>

#include "control/CoreEventHandler.h"

namespace Swiftlet {

class CoreEventHandlerDeferred : public CoreEventHandlerPost {
public:
    // Throws InitError when an event cannot be created.
    CoreEventHandlerDeferred(UINT postMessage, UINT sendMessage);
    // Releases an engine thread that waits for a window that never comes (the question
    // stays unanswered, which cancels), and waits for the engine to leave the handler.
    ~CoreEventHandlerDeferred() override;

    void Dispatch() override;
    void StateChanged() override;

    // The controlling thread is about to make the window. false when the job has ended
    // already: no window is needed for it.
    bool PrepareWindow();
    // The window exists: every event from now on goes to it, the one waiting first.
    void Attach(HWND window);
    bool IsAttached() const;
    // No window will come: an event waiting for one goes on unanswered (a question counts
    // as cancelled), and later ones are not delivered.
    void Abandon();

    // Manual-reset events for the controlling thread's wait.
    HANDLE WindowNeededEvent() const { return m_windowNeeded; }
    HANDLE EndedEvent() const { return m_ended; }

private:
    enum Mode { kWithoutWindow, kWindowComing, kAttached, kAbandoned };

    mutable std::mutex m_lock;
    std::condition_variable m_modeChanged;
    Mode m_mode = kWithoutWindow;
    HANDLE m_windowNeeded = nullptr;
    HANDLE m_ended = nullptr;
};

}  // namespace Swiftlet
