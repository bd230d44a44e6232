#include "framework/CWinThread.h"

#include <process.h>

#include "framework/CWnd.h"

IMPLEMENT_DYNCREATE(CWinThread, CCmdTarget)

namespace {

thread_local CWinThread* t_currentThread = nullptr;

struct ThreadStartup {
    CWinThread* thread;
    HANDLE started;  // set by the new thread once its queue exists
    HANDLE proceed;  // closed by the new thread
};

}  // namespace

CWinThread* AfxGetThread() { return t_currentThread; }
void AfxSetThread(CWinThread* thread) { t_currentThread = thread; }

unsigned __stdcall AfxThreadEntry(void* p) {
    ThreadStartup* startup = static_cast<ThreadStartup*>(p);
    CWinThread* thread = startup->thread;
    HANDLE proceed = startup->proceed;
    // Creates the thread's message queue before the creator may post to it.
    if (thread->MakesQueueAtStart()) {
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    }
    SetEvent(startup->started);  // startup is gone after this
    WaitForSingleObject(proceed, INFINITE);
    CloseHandle(proceed);

    t_currentThread = thread;
    DWORD code = 0;
    try {
        if (thread->m_pfnThreadProc)
            code = thread->m_pfnThreadProc(thread->m_pThreadParams);
        else if (thread->InitInstance())
            code = static_cast<DWORD>(thread->Run());
        else
            code = static_cast<DWORD>(thread->ExitInstance());
    } catch (...) {
        // Nothing may unwind into the runtime's thread start.
        code = 0xFFFFFFFF;
    }
    t_currentThread = nullptr;
    thread->Delete();
    return code;
}

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC proc, LPVOID param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
    if (m_hThread)
        CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD createFlags, UINT stackSize, LPSECURITY_ATTRIBUTES attributes) {
    ThreadStartup startup{this, CreateEventW(nullptr, TRUE, FALSE, nullptr),
                          CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    if (!startup.started || !startup.proceed) {
        DWORD error = GetLastError();
        if (startup.started)
            CloseHandle(startup.started);
        if (startup.proceed)
            CloseHandle(startup.proceed);
        SetLastError(error);
        return FALSE;
    }
    unsigned id = 0;
    uintptr_t h = _beginthreadex(attributes, stackSize, &AfxThreadEntry, &startup,
                                 CREATE_SUSPENDED | (createFlags & STACK_SIZE_PARAM_IS_A_RESERVATION), &id);
    if (!h) {
        DWORD error = GetLastError();
        CloseHandle(startup.started);
        CloseHandle(startup.proceed);
        SetLastError(error);
        return FALSE;
    }
    m_hThread = reinterpret_cast<HANDLE>(h);
    m_nThreadID = id;
    ::ResumeThread(m_hThread);
    WaitForSingleObject(startup.started, INFINITE);
    CloseHandle(startup.started);
    // The thread now waits for proceed; suspending it here leaves it parked there until
    // the caller resumes it, with its queue already in place.
    if (createFlags & CREATE_SUSPENDED)
        ::SuspendThread(m_hThread);
    SetEvent(startup.proceed);
    return TRUE;
}

BOOL CWinThread::InitInstance() { return FALSE; }

// A worker thread (a thread function) gets a queue only in a process that uses the
// window system already: making one would map it, and a job that shows no window never
// posts to its workers.
bool CWinThread::MakesQueueAtStart() const { return !m_pfnThreadProc || GetModuleHandleW(L"user32.dll") != nullptr; }

int CWinThread::ExitInstance() {
    // The code WM_QUIT carried; a thread whose loops ended otherwise (a modal dialog run
    // from InitInstance) has nothing to report and answers 0, not the last message's
    // wParam.
    return m_msgCur.message == WM_QUIT ? static_cast<int>(m_msgCur.wParam) : 0;
}

BOOL AfxPreTranslateMessage(MSG* msg) noexcept {
    try {
        return CWnd::WalkPreTranslateTree(msg);
    } catch (...) {
        return FALSE;
    }
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) { return AfxPreTranslateMessage(msg); }

BOOL CWinThread::PumpMessage() {
    BOOL r = GetMessageW(&m_msgCur, nullptr, 0, 0);
    if (r == 0 || r == -1)
        return FALSE;
    BOOL taken = FALSE;
    try {
        taken = PreTranslateMessage(&m_msgCur);
    } catch (...) {
        // An override that throws has not taken the message.
    }
    if (!taken) {
        TranslateMessage(&m_msgCur);
        DispatchMessageW(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::OnIdle(LONG count) {
    if (count == 0)
        CWnd::DeleteTempMap();
    return FALSE;
}

int CWinThread::Run() {
    bool idle = true;
    LONG idleCount = 0;
    MSG peeked;
    for (;;) {
        while (idle && !PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(idleCount++))
                idle = false;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (m_msgCur.message != WM_PAINT && m_msgCur.message != WM_MOUSEMOVE && m_msgCur.message != 0x0118) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageW(&peeked, nullptr, 0, 0, PM_NOREMOVE));
    }
}

void CWinThread::Delete() {
    if (m_bAutoDelete)
        delete this;
}

namespace {

CWinThread* StartThread(CWinThread* thread, int priority, UINT stackSize, DWORD createFlags,
                        LPSECURITY_ATTRIBUTES attributes) {
    if (!thread->CreateThread(createFlags | CREATE_SUSPENDED, stackSize, attributes)) {
        DWORD error = GetLastError();
        thread->Delete();
        SetLastError(error);
        return nullptr;
    }
    thread->SetThreadPriority(priority);
    if (!(createFlags & CREATE_SUSPENDED))
        thread->ResumeThread();
    return thread;
}

}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES attributes) {
    CWinThread* thread = new (std::nothrow) CWinThread(proc, param);
    if (!thread)
        return nullptr;
    return StartThread(thread, priority, stackSize, createFlags, attributes);
}

CWinThread* AfxBeginThread(CRuntimeClass* threadClass, int priority, UINT stackSize,
                           DWORD createFlags, LPSECURITY_ATTRIBUTES attributes) {
    if (!threadClass || !threadClass->IsDerivedFrom(RUNTIME_CLASS(CWinThread)))
        return nullptr;
    CWinThread* thread = static_cast<CWinThread*>(threadClass->CreateObject());
    if (!thread)
        return nullptr;
    return StartThread(thread, priority, stackSize, createFlags, attributes);
}
