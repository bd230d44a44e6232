#include "ipc/MultiUIServerThread.h"

#include "ipc/PipeNames.h"

namespace Swiftlet {
namespace MultiUICommand {

IMPLEMENT_DYNCREATE(ServerThread, CWinThread)

ServerThread::ServerThread() : m_server(new Server(PipeNames::JobHandOverPipeName(), kPipeChunkSize)) {}

ServerThread::~ServerThread() { delete m_server; }

ServerThread* ServerThread::Start(HWND target, UINT message, const CString& serverPipeName) {
    CWinThread* created = AfxBeginThread(RUNTIME_CLASS(ServerThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    auto* thread = dynamic_cast<ServerThread*>(created);
    if (!thread) return nullptr;
    // Still suspended: nothing runs on the thread yet, so its server may be replaced.
    thread->m_bAutoDelete = FALSE;
    if (!serverPipeName.IsEmpty()) {
        delete thread->m_server;
        thread->m_server = new Server(serverPipeName, kPipeChunkSize);
    }
    thread->m_target.store(target);
    thread->m_message.store(message);
    thread->ResumeThread();
    return thread;
}

BOOL ServerThread::InitInstance() {
    try {
        m_server->Jobs().Attach(static_cast<DesignPatterns::TObserver<ServerCopyFileCommandParam>*>(this));
        m_runResult.store(m_server->Run());
    } catch (...) {
        // Nothing may unwind out of the thread; the thread just stops serving.
        m_runResult.store(-1);
    }
    // Stay in the message loop until WM_QUIT, whatever Run returned.
    return TRUE;
}

void ServerThread::Update(ServerCopyFileCommandParam* param) {
    const HWND target = m_target.load();
    if (target && IsWindow(target)) SendMessageW(target, m_message.load(), reinterpret_cast<WPARAM>(param), 0);
}

void ServerThread::Stop() {
    if (m_stopped) return;
    m_stopped = true;
    m_target.store(nullptr);
    m_server->RequestStop();
    PostThreadMessage(WM_QUIT, 0, 0);
    // Wait while handling messages sent to this thread: the server may be inside
    // SendMessageW to a window of ours, and a plain wait would hold both threads.
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= 10000) break;
        // Sent messages are delivered inside PeekMessage. A message that was already
        // waiting before the wait began must wake it too, hence MWMO_INPUTAVAILABLE.
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &m_hThread, 10000 - elapsed, QS_SENDMESSAGE,
                                                    MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0) return;
        if (r != WAIT_OBJECT_0 + 1) break;
    }
    if (WaitForSingleObject(m_hThread, 0) != WAIT_OBJECT_0) TerminateThread(m_hThread, 0xFFFFFFFF);
}

}  // namespace MultiUICommand
}  // namespace Swiftlet
