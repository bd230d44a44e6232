#include "ipc/MultiUIServerThread.h"

#include <algorithm>

#include "ipc/PipeNames.h"

namespace Swiftlet {
namespace MultiUICommand {

IMPLEMENT_DYNCREATE(ServerThread, CWinThread)

ServerThread::ServerThread() : m_server(new Server(PipeNames::JobHandOverPipeName(), kPipeChunkSize)) {}

ServerThread::~ServerThread() {
    delete m_server;
    if (m_targetKnown) CloseHandle(m_targetKnown);
}

bool ServerThread::MakesQueueAtStart() const { return GetModuleHandleW(L"user32.dll") != nullptr; }

// Created suspended, so that its server may still be replaced; the caller resumes it.
ServerThread* ServerThread::CreateSuspended(const CString& serverPipeName) {
    CWinThread* created = AfxBeginThread(RUNTIME_CLASS(ServerThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    auto* thread = dynamic_cast<ServerThread*>(created);
    if (!thread) return nullptr;
    thread->m_bAutoDelete = FALSE;
    if (!serverPipeName.IsEmpty()) {
        delete thread->m_server;
        thread->m_server = new Server(serverPipeName, kPipeChunkSize);
    }
    return thread;
}

ServerThread* ServerThread::Start(HWND target, UINT message, const CString& serverPipeName) {
    ServerThread* thread = CreateSuspended(serverPipeName);
    if (!thread) return nullptr;
    thread->m_target.store(target);
    thread->m_message.store(message);
    thread->ResumeThread();
    return thread;
}

ServerThread* ServerThread::StartWithoutWindow(UINT message, HANDLE jobWaiting, const CString& serverPipeName) {
    HANDLE targetKnown = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!targetKnown) return nullptr;
    ServerThread* thread = CreateSuspended(serverPipeName);
    if (!thread) {
        CloseHandle(targetKnown);
        return nullptr;
    }
    thread->m_targetKnown = targetKnown;
    thread->m_jobWaiting = jobWaiting;
    thread->m_message.store(message);
    thread->ResumeThread();
    return thread;
}

void ServerThread::SetTarget(HWND target) {
    m_target.store(target);
    if (m_targetKnown) SetEvent(m_targetKnown);
}

BOOL ServerThread::InitInstance() {
    try {
        m_server->Jobs().Attach(static_cast<DesignPatterns::TObserver<ServerCopyFileCommandParam>*>(this));
        m_runResult.store(m_server->Run());
    } catch (...) {
        // Nothing may unwind out of the thread; the thread just stops serving.
        m_runResult.store(-1);
    }
    // Asked to stop: the thread ends here, without a loop (and a queue) it no longer needs.
    // Otherwise it stays in the message loop until WM_QUIT, whatever Run returned.
    return m_server->StopRequested() ? FALSE : TRUE;
}

void ServerThread::Update(ServerCopyFileCommandParam* param) {
    HWND target = m_target.load();
    if (!target && m_targetKnown && !m_stopping.load()) {
        // The window is made for this job; the sender waits for its answer meanwhile.
        if (m_jobWaiting) SetEvent(m_jobWaiting);
        WaitForSingleObject(m_targetKnown, INFINITE);
        target = m_target.load();
    }
    if (target && IsWindow(target)) SendMessageW(target, m_message.load(), reinterpret_cast<WPARAM>(param), 0);
}

void ServerThread::StopAndDelete(ServerThread*& thread) {
    if (!thread) return;
    thread->Stop();
    delete thread;
    thread = nullptr;
}

void ServerThread::Stop() {
    if (m_stopped) return;
    m_stopped = true;
    m_stopping.store(true);
    m_target.store(nullptr);
    if (m_targetKnown) SetEvent(m_targetKnown);  // a held job goes back to its sender
    m_server->RequestStop();
    // The thread ends by itself once its server has stopped; WM_QUIT ends the loop of one
    // whose server could not run. A thread that has no queue yet cannot take the message:
    // it is posted again while the wait goes on.
    bool quitPosted = false;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= 10000) break;
        const DWORD slice = std::min<DWORD>(10000 - elapsed, 50);
        if (!GetModuleHandleW(L"user32.dll")) {
            // No window in this process: nobody can be waiting for a message of ours.
            if (WaitForSingleObject(m_hThread, slice) == WAIT_OBJECT_0) return;
            continue;
        }
        if (!quitPosted) quitPosted = PostThreadMessage(WM_QUIT, 0, 0) != FALSE;
        // Wait while handling messages sent to this thread: the server may be inside
        // SendMessageW to a window of ours, and a plain wait would hold both threads. Sent
        // messages are delivered inside PeekMessage; a message that was already waiting
        // before the wait began must wake it too, hence MWMO_INPUTAVAILABLE.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &m_hThread, slice, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return;
        if (r != WAIT_OBJECT_0 + 1 && r != WAIT_TIMEOUT) break;
    }
    if (WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0) TerminateThread(m_hThread, 0xFFFFFFFF);
}

}  // namespace MultiUICommand
}  // namespace Swiftlet
