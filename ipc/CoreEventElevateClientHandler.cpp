#include "ipc/CoreEventElevateClientHandler.h"

#include "ipc/CopyAlgorithmMultiThreadElevate.h"
#include "ipc/CopyAlgorithmMultiThreadElevateClient.h"

namespace Swiftlet {

namespace {

// How long the end of the timer thread is waited for before it is ended by force: it
// may be inside a poll that waits for an answer that never comes.
constexpr DWORD kTimerStopMs = 10000;

}  // namespace

CoreEventElevateClientHandler::CoreEventElevateClientHandler(CopyAlgorithmMultiThreadElevateClient* client,
                                                             unsigned int pollPeriodMs)
    : m_client(client) {
    using Timer::TimerThread;
    CWinThread* thread = AfxBeginThread(RUNTIME_CLASS(TimerThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    m_timer = dynamic_cast<Timer::TimerThread*>(thread);
    if (!m_timer) {
        const DWORD error = GetLastError();
        delete thread;
        throw WindowsException(error);
    }
    m_timer->m_bAutoDelete = FALSE;
    m_timer->period = pollPeriodMs;
    m_timer->Attach(this);
    m_timer->ResumeThread();
}

CoreEventElevateClientHandler::~CoreEventElevateClientHandler() {
    // The thread may not have its message queue yet when the first quit is posted.
    const DWORD start = GetTickCount();
    m_timer->PostThreadMessage(WM_QUIT, 0, 0);
    while (WaitForSingleObject(m_timer->m_hThread, 10) == WAIT_TIMEOUT) {
        if (GetTickCount() - start >= kTimerStopMs) {
            TerminateThread(m_timer->m_hThread, 0xFFFFFFFF);
            WaitForSingleObject(m_timer->m_hThread, INFINITE);
            break;
        }
        m_timer->PostThreadMessage(WM_QUIT, 0, 0);
    }
    delete m_timer;
    // An engine thread may still be on its way out of Update.
    while (busy.load() != 0) Sleep(1);
}

void CoreEventElevateClientHandler::Update(DesignPatterns::IObservable* observable) {
    if (observable == static_cast<DesignPatterns::IObservable*>(m_timer)) {
        try {
            Poll();
        } catch (...) {
            // A failed poll changes nothing: the job goes on with what it knows.
        }
        return;
    }
    CoreEventHandlerBase::Update(observable);
}

void CoreEventElevateClientHandler::Dispatch() {
    CoreEvent* e = event;
    if (!e || !m_client) return;
    if (ElevateCommand::IsReportedEvent(e->eventCode)) {
        m_client->ReportEvent(e->eventCode, e->status);
    } else if (ElevateCommand::IsQuestionEvent(e->eventCode)) {
        int answer = 0;
        int applyToAll = 0;
        SelectionMap selection;
        if (!m_client->Ask(e->eventCode, e->status, answer, applyToAll, selection)) {
            // Nobody answered: the job is cancelled, as when the window is gone.
            answer = 0;
            applyToAll = 0;
            selection.clear();
        }
        e->answer = answer;
        e->applyToAll = applyToAll;
        e->selection = selection;
    } else if (e->eventCode == kEventCopyBegin) {
        // The workers start next: a pause or cancel the user chose while this process was
        // starting holds from their first item, not from the timer's first tick.
        Poll();
    }
    // The rest (the job's start and end, the enumeration) is this process's own: the
    // user-interface process reports its own.
}

void CoreEventElevateClientHandler::Poll() {
    if (!m_client) return;
    int cancelled = 0;
    if (m_client->IsCancelled(cancelled) && cancelled == 1) Cancel();
    int paused = 0;
    if (m_client->IsPaused(paused)) {
        if (paused == 1)
            Pause();
        else
            Resume();
    }
}

}  // namespace Swiftlet
