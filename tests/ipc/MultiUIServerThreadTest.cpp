#include "ipc/MultiUIServerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/PipeTestSupport.h"

using namespace PipeTest;
using namespace Swiftlet::MultiUICommand;

namespace {

constexpr UINT kJobMessage = Swiftlet::MultiUICommand::kJobArrivedMessage;

// A window on the test's thread that takes every job sent to it, as the UI instance's
// dialog does.
class JobWindow {
public:
    JobWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &JobWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SwiftletTestJobWindow";
        RegisterClassW(&wc);  // fails harmlessly when already registered
        m_hwnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~JobWindow() {
        if (m_hwnd) DestroyWindow(m_hwnd);
    }
    HWND Hwnd() const { return m_hwnd; }
    void Destroy() {
        DestroyWindow(m_hwnd);
        m_hwnd = nullptr;
    }

    std::vector<ServerCopyFileCommandParam> jobs;
    DWORD receivedOnThread = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        }
        auto* self = reinterpret_cast<JobWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (msg == kJobMessage && self) {
            auto* param = reinterpret_cast<ServerCopyFileCommandParam*>(wp);
            self->jobs.push_back(*param);
            self->receivedOnThread = GetCurrentThreadId();
            param->result = 1;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND m_hwnd = nullptr;
};

// Sends one job from a thread of its own while the test's thread keeps its window
// responsive.
class JobSender {
public:
    JobSender(const CString& pipe, const CString& destination) {
        m_thread = std::thread([this, pipe, destination] {
            Client client(pipe);
            if (client.Connect(10000) && client.IsPeerCompatible())
                taken = client.CopyRequest({L"Z:\\src"}, destination, 0) ? 1 : 0;
            done = true;
        });
    }
    ~JobSender() { m_thread.join(); }
    // Handles messages until the sender is done.
    void PumpUntilDone() {
        const DWORD start = GetTickCount();
        while (!done && GetTickCount() - start < 30000) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        }
    }

    std::atomic<bool> done{false};
    std::atomic<int> taken{-1};

private:
    std::thread m_thread;
};

DWORD ExitCodeOf(ServerThread* thread) {
    DWORD code = 0;
    GetExitCodeThread(thread->m_hThread, &code);
    return code;
}

}  // namespace

TEST(ServerThread, HandsEachJobToTheWindowOnTheWindowsOwnThread) {
    const CString pipe = UniquePipeName(L"thread-job");
    JobWindow window;
    ServerThread* thread = ServerThread::Start(window.Hwnd(), kJobMessage, pipe);
    ASSERT_NE(nullptr, thread);
    for (const wchar_t* destination : {L"Z:\\one", L"Z:\\two"}) {
        JobSender sender(pipe, destination);
        sender.PumpUntilDone();
        EXPECT_EQ(1, sender.taken.load()) << destination;
    }
    ASSERT_EQ(2u, window.jobs.size());
    EXPECT_EQ(CString(L"Z:\\two"), window.jobs[1].destination);
    EXPECT_EQ(GetCurrentThreadId(), window.receivedOnThread);

    thread->Stop();
    EXPECT_EQ(0, thread->RunResult());
    EXPECT_EQ(0u, ExitCodeOf(thread)) << "the thread ended on WM_QUIT, not by termination";
    delete thread;
}

TEST(ServerThread, JobForAWindowThatIsGoneIsNotTaken) {
    const CString pipe = UniquePipeName(L"thread-gone");
    JobWindow window;
    ServerThread* thread = ServerThread::Start(window.Hwnd(), kJobMessage, pipe);
    ASSERT_NE(nullptr, thread);
    window.Destroy();
    JobSender sender(pipe, L"Z:\\d");
    sender.PumpUntilDone();
    EXPECT_EQ(0, sender.taken.load());
    thread->Stop();
    delete thread;
}

TEST(ServerThread, SecondInstanceRunsWithoutAServerAndStillStops) {
    const CString pipe = UniquePipeName(L"thread-second");
    JobWindow window;
    ServerThread* first = ServerThread::Start(window.Hwnd(), kJobMessage, pipe);
    ASSERT_NE(nullptr, first);
    ASSERT_TRUE(WaitForPipe(pipe));
    ServerThread* second = ServerThread::Start(window.Hwnd(), kJobMessage, pipe);
    ASSERT_NE(nullptr, second);
    // Its Run has returned -1 once the first one's pipe refused it; it waits for WM_QUIT.
    const DWORD start = GetTickCount();
    while (second->RunResult() != -1 && GetTickCount() - start < 10000) Sleep(10);
    EXPECT_EQ(-1, second->RunResult());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(second->m_hThread, 0));
    second->Stop();
    EXPECT_EQ(0u, ExitCodeOf(second));
    first->Stop();
    EXPECT_EQ(0u, ExitCodeOf(first));
    delete second;
    delete first;
}

TEST(ServerThread, StopWhileAJobIsBeingDeliveredDeliversItAndEndsTheThread) {
    const CString pipe = UniquePipeName(L"thread-stop");
    JobWindow window;
    ServerThread* thread = ServerThread::Start(window.Hwnd(), kJobMessage, pipe);
    ASSERT_NE(nullptr, thread);
    JobSender sender(pipe, L"Z:\\late");
    // Do not pump: wait until the server thread is blocked sending the job to us, then
    // stop it from this very thread.
    const DWORD start = GetTickCount();
    while (!(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) && GetTickCount() - start < 20000) Sleep(5);
    ASSERT_TRUE(HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE);
    thread->Stop();
    EXPECT_EQ(0u, ExitCodeOf(thread)) << "the thread ended on WM_QUIT, not by termination";
    ASSERT_EQ(1u, window.jobs.size());
    sender.PumpUntilDone();
    EXPECT_EQ(1, sender.taken.load());
    delete thread;
}
