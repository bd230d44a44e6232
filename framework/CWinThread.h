#pragma once
// Framework threads. A worker thread runs one function; a user-interface thread is an
// object created from its run-time class that runs InitInstance, then a message loop
// (Run) until WM_QUIT, then ExitInstance. The loop hands every message to
// PreTranslateMessage first (which by default asks the framework windows from the
// message's window up to its top-level window: dialogs run IsDialogMessage there), and
// calls OnIdle when the queue is empty. A user-interface thread gets its message queue
// before AfxBeginThread returns, so a message posted at once is not lost (see
// MakesQueueAtStart for the exceptions).
//
// With m_bAutoDelete (the default) the object deletes itself, and closes m_hThread,
// when the thread ends. A caller that waits on m_hThread must clear m_bAutoDelete
// while the thread is still suspended (CREATE_SUSPENDED), then delete the object.
#include "framework/CObject.h"

class CWnd;

typedef UINT(__cdecl* AFX_THREADPROC)(LPVOID);

class CWinThread : public CCmdTarget {
    DECLARE_DYNCREATE(CWinThread)
public:
    CWinThread();
    CWinThread(AFX_THREADPROC proc, LPVOID param);
    ~CWinThread() override;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread; it has a message queue by the time this returns. FALSE when
    // the thread could not be created (GetLastError tells why).
    BOOL CreateThread(DWORD createFlags = 0, UINT stackSize = 0,
                      LPSECURITY_ATTRIBUTES attributes = nullptr);
    DWORD ResumeThread() { return ::ResumeThread(m_hThread); }
    DWORD SuspendThread() { return ::SuspendThread(m_hThread); }
    int GetThreadPriority() const { return ::GetThreadPriority(m_hThread); }
    BOOL SetThreadPriority(int priority) { return ::SetThreadPriority(m_hThread, priority); }
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::PostThreadMessageW(m_nThreadID, message, wParam, lParam);
    }
    operator HANDLE() const { return m_hThread; }

    // User-interface threads override these. InitInstance returning FALSE skips Run;
    // the thread's exit code is then ExitInstance's result.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop: runs until WM_QUIT and returns ExitInstance's result.
    virtual int Run();
    // TRUE when the message was handled and must not be dispatched.
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Gets and dispatches one message; FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    // Idle work while the queue is empty (count: calls since the last message); TRUE
    // asks for another call. The default frees the thread's temporary window objects.
    virtual BOOL OnIdle(LONG count);
    // Deletes the object when m_bAutoDelete is set.
    virtual void Delete();
    // Whether the thread makes its message queue before AfxBeginThread returns: a
    // user-interface thread does unless it overrides this (one that may run in a process
    // without windows, where making a queue would map the window system); a worker thread
    // does only in a process that has mapped the window system already.
    virtual bool MakesQueueAtStart() const;

    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    CWnd* m_pMainWnd = nullptr;
    AFX_THREADPROC m_pfnThreadProc = nullptr;
    LPVOID m_pThreadParams = nullptr;

protected:
    MSG m_msgCur{};

    friend unsigned __stdcall AfxThreadEntry(void*);
    friend BOOL AfxPumpMessage(MSG*);
};

// What CWinThread::PreTranslateMessage does, for loops of threads without a framework
// thread object too; a handler that throws counts as not having taken the message.
BOOL AfxPreTranslateMessage(MSG* msg) noexcept;

// A worker thread running proc(param).
CWinThread* AfxBeginThread(AFX_THREADPROC proc, LPVOID param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES attributes = nullptr);
// A user-interface thread of the given class (a dynamically creatable CWinThread).
// Null when the object or the thread could not be created.
CWinThread* AfxBeginThread(CRuntimeClass* threadClass, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD createFlags = 0,
                           LPSECURITY_ATTRIBUTES attributes = nullptr);
// The framework thread object of the calling thread (the application on the main thread).
CWinThread* AfxGetThread();
void AfxSetThread(CWinThread* thread);
