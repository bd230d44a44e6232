#pragma once
// The thread that serves the job hand-over pipe in the UI instance and passes each
// received job to a window with a synchronous message.
#include <atomic>

#include "framework/CWinThread.h"
#include "ipc/MultiUICommand.h"

namespace Swiftlet {
namespace MultiUICommand {

// What the UI instance's window receives for each job: WPARAM is the
// ServerCopyFileCommandParam, valid until the handler returns; the handler sets its
// result to 1 when it takes the job.
inline constexpr UINT kJobArrivedMessage = WM_APP + 2;

class ServerThread : public CWinThread, public DesignPatterns::TObserver<ServerCopyFileCommandParam> {
    DECLARE_DYNCREATE(ServerThread)
public:
    ServerThread();
    ~ServerThread() override;

    // Creates the thread suspended, points it at target/message, then resumes it. The
    // caller owns the object (no auto-delete) and ends it with Stop, then delete.
    // serverPipeName empty: the job hand-over pipe.
    static ServerThread* Start(HWND target, UINT message, const CString& serverPipeName = CString());
    // Serves before the window exists (the UI instance's start without a window): a job
    // that arrives is held on the server thread, and jobWaiting (an event of the caller's)
    // set, until SetTarget names the window or Stop ends serving. In a process that has no
    // window yet the thread makes no message queue either: serving maps no window system.
    static ServerThread* StartWithoutWindow(UINT message, HANDLE jobWaiting,
                                            const CString& serverPipeName = CString());
    // The window the held job and every later one go to.
    void SetTarget(HWND target);

    // Stops serving and waits up to 10000 ms for the thread, terminating it after that.
    // The window is detached first so that no new job is sent to it; a job already on
    // its way is still delivered, because the wait keeps handling sent messages.
    void Stop();
    // Stops and deletes the owner's thread, if it has one, and clears the owner's pointer.
    static void StopAndDelete(ServerThread*& thread);

    BOOL InitInstance() override;
    bool MakesQueueAtStart() const override;
    using DesignPatterns::TObserver<ServerCopyFileCommandParam>::Update;
    void Update(ServerCopyFileCommandParam* param) override;

    Server& GetServer() { return *m_server; }
    // -1 when the pipe could not be created (another instance holds it), else 0.
    int RunResult() const { return m_runResult.load(); }

private:
    static ServerThread* CreateSuspended(const CString& serverPipeName);

    Server* m_server = nullptr;
    std::atomic<HWND> m_target{nullptr};
    std::atomic<UINT> m_message{0};
    std::atomic<int> m_runResult{0};
    bool m_stopped = false;  // touched only by the controlling thread
    // Started without a window: set when the window is known or serving ends.
    HANDLE m_targetKnown = nullptr;
    HANDLE m_jobWaiting = nullptr;  // the caller's
    std::atomic<bool> m_stopping{false};
};

}  // namespace MultiUICommand
}  // namespace Swiftlet
