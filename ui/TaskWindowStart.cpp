#include "ui/TaskWindowStart.h"

#include <new>

#include "control/CoreEventHandlerDeferred.h"
#include "engine/CreateCopyOptionCmdLine.h"
#include "ipc/MultiUIServerThread.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskWindowMessages.h"

CTaskWindowStart::CTaskWindowStart() : m_jobWaiting(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CTaskWindowStart::~CTaskWindowStart() {
    StopServer();
    delete m_panel;
    if (m_jobWaiting)
        CloseHandle(m_jobWaiting);
}

bool CTaskWindowStart::Begin(Swiftlet::ICreateCopyOption& job) {
    if (!m_jobWaiting || m_panel)
        return false;
    m_server = Swiftlet::MultiUICommand::ServerThread::StartWithoutWindow(TaskMessages::kJobArrived, m_jobWaiting);
    try {
        if (job.Create() != 1)
            return false;
        auto* panel = static_cast<CTaskFrameWnd*>(RUNTIME_CLASS(CTaskFrameWnd)->CreateObject());
        if (!panel)
            return false;
        m_panel = panel;
        panel->m_core.option = job.option;
    } catch (...) {
        return false;
    }
    return m_panel->StartWithoutWindow();
}

bool CTaskWindowStart::EndsWithoutWindow(DWORD timeoutMs) {
    Swiftlet::CoreEventHandlerDeferred* handler = m_panel ? m_panel->GetDeferredHandler() : nullptr;
    if (!handler)
        return true;
    const HANDLE ended = handler->EndedEvent();
    const HANDLE reasons[] = {ended, handler->WindowNeededEvent(), m_jobWaiting};
    WaitForMultipleObjects(3, reasons, FALSE, timeoutMs);
    // Whatever woke the wait: a job that has ended needs no window, even when another
    // start's job came at the same moment (it goes back to its sender, which runs it).
    if (!handler->PrepareWindow()) {
        StopServer();
        return true;
    }
    return false;
}

CTaskFrameWnd* CTaskWindowStart::TakePanel() {
    CTaskFrameWnd* panel = m_panel;
    m_panel = nullptr;
    return panel;
}

Swiftlet::MultiUICommand::ServerThread* CTaskWindowStart::TakeServer() {
    Swiftlet::MultiUICommand::ServerThread* server = m_server;
    m_server = nullptr;
    return server;
}

void CTaskWindowStart::StopServer() {
    Swiftlet::MultiUICommand::ServerThread::StopAndDelete(m_server);
}

int RunJobThenTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag) {
    int move = flag ? *flag : 0;
    auto* job = new (std::nothrow) Swiftlet::CreateCopyOptionCmdLine(&sources, &destination, &move);
    if (!job)
        return 0;
    CTaskWindowStart start;
    const DWORD began = GetTickCount();
    const bool started = start.Begin(*job);
    delete job;
    // A job that could not be built ends here, as a task window without operations would.
    if (!started || start.EndsWithoutWindow(CTaskWindowStart::kWithoutWindowMs))
        return 1;
    CFileCopyDlg dialog;
    dialog.SetStartedJob(start.TakePanel(), start.TakeServer(), GetTickCount() - began);
    RunAsMainWindow(dialog);
    return 1;
}
