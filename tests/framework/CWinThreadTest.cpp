#include <gtest/gtest.h>

#include "framework/CSyncObject.h"
#include "framework/CWinThread.h"

namespace {

UINT __cdecl ReturnParam(LPVOID param) { return static_cast<UINT>(reinterpret_cast<UINT_PTR>(param)); }

UINT __cdecl ThrowFromWorker(LPVOID) { throw 42; }

// Records what the framework called, for the UI-thread tests. The object deletes itself
// unless a test clears m_bAutoDelete.
class CRecordingThread : public CWinThread {
    DECLARE_DYNCREATE(CRecordingThread)
public:
    static inline UINT s_received = 0;
    static inline WPARAM s_value = 0;
    static inline bool s_exited = false;
    static inline bool s_initResult = true;
    static inline bool s_sawThreadObject = false;

    BOOL InitInstance() override {
        s_sawThreadObject = AfxGetThread() == this;
        return s_initResult ? TRUE : FALSE;
    }
    BOOL PreTranslateMessage(MSG* msg) override {
        if (msg->hwnd == nullptr && msg->message == WM_APP + 7) {
            s_received++;
            s_value = msg->wParam;
            return TRUE;
        }
        return FALSE;
    }
    int ExitInstance() override {
        s_exited = true;
        return CWinThread::ExitInstance() + 100;
    }
};
IMPLEMENT_DYNCREATE(CRecordingThread, CWinThread)

void ResetRecording() {
    CRecordingThread::s_received = 0;
    CRecordingThread::s_value = 0;
    CRecordingThread::s_exited = false;
    CRecordingThread::s_initResult = true;
    CRecordingThread::s_sawThreadObject = false;
}

DWORD WaitExitCode(HANDLE thread) {
    EXPECT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    return code;
}

}  // namespace

TEST(CWinThreadTest, WorkerThreadReturnsItsExitCode) {
    CWinThread* t = AfxBeginThread(ReturnParam, reinterpret_cast<LPVOID>(UINT_PTR{1234}),
                                   THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    EXPECT_NE(t->m_nThreadID, 0u);
    t->ResumeThread();
    EXPECT_EQ(WaitExitCode(t->m_hThread), 1234u);
    delete t;
}

TEST(CWinThreadTest, SuspendedThreadTakesPriorityAndWaitsForResume) {
    CWinThread* t = AfxBeginThread(ReturnParam, nullptr, THREAD_PRIORITY_BELOW_NORMAL, 64 * 1024,
                                   CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    EXPECT_EQ(t->GetThreadPriority(), THREAD_PRIORITY_BELOW_NORMAL);
    EXPECT_EQ(WaitForSingleObject(t->m_hThread, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(t->ResumeThread(), 1u);
    EXPECT_EQ(WaitExitCode(t->m_hThread), 0u);
    delete t;
}

TEST(CWinThreadTest, ExceptionInWorkerEndsThreadWithFailureCode) {
    CWinThread* t = AfxBeginThread(ThrowFromWorker, nullptr, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    EXPECT_EQ(WaitExitCode(t->m_hThread), 0xFFFFFFFFu);
    delete t;
}

TEST(CWinThreadTest, UiThreadGetsMessagePostedRightAfterStartAndQuitEndsRun) {
    ResetRecording();
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CRecordingThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    ASSERT_TRUE(t->IsKindOf(RUNTIME_CLASS(CRecordingThread)));
    t->m_bAutoDelete = FALSE;
    // Posted while the thread has not run a single line of its own code.
    ASSERT_TRUE(t->PostThreadMessage(WM_APP + 7, 55, 0));
    ASSERT_TRUE(t->PostThreadMessage(WM_QUIT, 3, 0));
    t->ResumeThread();
    EXPECT_EQ(WaitExitCode(t->m_hThread), 103u);  // ExitInstance saw WM_QUIT's wParam
    EXPECT_EQ(CRecordingThread::s_received, 1u);
    EXPECT_EQ(CRecordingThread::s_value, 55u);
    EXPECT_TRUE(CRecordingThread::s_exited);
    EXPECT_TRUE(CRecordingThread::s_sawThreadObject);
    delete t;
}

TEST(CWinThreadTest, UiThreadStartedRunningReceivesImmediatePost) {
    ResetRecording();
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CRecordingThread));
    ASSERT_NE(t, nullptr);
    DWORD id = t->m_nThreadID;
    HANDLE h = nullptr;
    // The object deletes itself at the end: keep our own handle to wait on.
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), t->m_hThread, GetCurrentProcess(), &h, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0));
    ASSERT_TRUE(PostThreadMessageW(id, WM_APP + 7, 9, 0));
    ASSERT_TRUE(PostThreadMessageW(id, WM_QUIT, 0, 0));
    EXPECT_EQ(WaitExitCode(h), 100u);
    CloseHandle(h);
    EXPECT_EQ(CRecordingThread::s_received, 1u);
    EXPECT_EQ(CRecordingThread::s_value, 9u);
}

TEST(CWinThreadTest, FailedInitInstanceSkipsMessageLoop) {
    ResetRecording();
    CRecordingThread::s_initResult = false;
    CWinThread* t = AfxBeginThread(RUNTIME_CLASS(CRecordingThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(t, nullptr);
    t->m_bAutoDelete = FALSE;
    t->ResumeThread();
    EXPECT_EQ(WaitExitCode(t->m_hThread), 100u);
    EXPECT_TRUE(CRecordingThread::s_exited);
    delete t;
}

TEST(CWinThreadTest, ClassThatIsNotAThreadIsRefused) {
    EXPECT_EQ(AfxBeginThread(RUNTIME_CLASS(CCmdTarget)), nullptr);
    EXPECT_EQ(AfxBeginThread(static_cast<CRuntimeClass*>(nullptr)), nullptr);
}

// Outside an unnamed namespace: the run-time class tables must be usable by name.
class CShape : public CObject {
    DECLARE_DYNCREATE(CShape)
};
IMPLEMENT_DYNCREATE(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

class CAbstractThing : public CObject {
    DECLARE_DYNAMIC(CAbstractThing)
};
IMPLEMENT_DYNAMIC(CAbstractThing, CObject)

TEST(CObjectTest, RuntimeClassCreatesObjectsAndAnswersKindOf) {
    CObject* o = RUNTIME_CLASS(CCircle)->CreateObject();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(o->IsKindOf(RUNTIME_CLASS(CAbstractThing)));
    EXPECT_STREQ(o->GetRuntimeClass()->m_lpszClassName, "CCircle");
    delete o;
    CShape shape;
    EXPECT_FALSE(shape.IsKindOf(RUNTIME_CLASS(CCircle)));
    EXPECT_EQ(RUNTIME_CLASS(CAbstractThing)->CreateObject(), nullptr);
}

TEST(CSyncObjectTest, SemaphoreCountsUpToItsMaximum) {
    CSemaphore s(1, 2);
    CSingleLock first(&s);
    EXPECT_TRUE(first.Lock(0));
    EXPECT_TRUE(first.IsLocked());
    CSingleLock second(&s);
    EXPECT_FALSE(second.Lock(0));
    EXPECT_TRUE(first.Unlock());
    EXPECT_FALSE(first.IsLocked());
    EXPECT_TRUE(second.Lock(0));
    LONG previous = -1;
    EXPECT_TRUE(s.Unlock(1, &previous));  // count 1, one above what second holds
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(s.Unlock(5));  // beyond the maximum
}

TEST(CSyncObjectTest, SingleLockReleasesOnScopeEnd) {
    CSemaphore s(1, 1);
    {
        CSingleLock lock(&s, TRUE);
        EXPECT_TRUE(lock.IsLocked());
        EXPECT_EQ(WaitForSingleObject(s, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    }
    EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_OBJECT_0);
}

TEST(CSyncObjectTest, EventsAndMutexesKeepWin32Semantics) {
    CEvent autoReset;
    EXPECT_FALSE(autoReset.Lock(0));
    autoReset.SetEvent();
    EXPECT_TRUE(autoReset.Lock(0));
    EXPECT_FALSE(autoReset.Lock(0));

    CEvent manual(TRUE, TRUE);
    EXPECT_TRUE(manual.Lock(0));
    EXPECT_TRUE(manual.Lock(0));
    manual.ResetEvent();
    EXPECT_FALSE(manual.Lock(0));

    CMutex mutex(TRUE);
    HANDLE h = mutex;
    CWinThread* other = AfxBeginThread(
        [](LPVOID p) -> UINT { return WaitForSingleObject(static_cast<HANDLE>(p), 0) == WAIT_TIMEOUT ? 1 : 0; },
        h, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(other, nullptr);
    other->m_bAutoDelete = FALSE;
    other->ResumeThread();
    EXPECT_EQ(WaitExitCode(other->m_hThread), 1u);  // held by this thread
    delete other;
    EXPECT_TRUE(mutex.Unlock());

    CCriticalSection cs;
    CSingleLock lock(&cs, TRUE);
    EXPECT_TRUE(lock.IsLocked());
}
