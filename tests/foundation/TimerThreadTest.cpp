#include <gtest/gtest.h>

#include <atomic>

#include "foundation/TimerThread.h"

using Timer::TimerThread;

namespace {

// Counts notifications and notes the thread they arrive on; signals after `target`.
class TickCounter : public DesignPatterns::IObserver {
public:
    explicit TickCounter(int target) : target(target), reached(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~TickCounter() override { CloseHandle(reached); }
    void Update(DesignPatterns::IObservable*) override {
        thread = GetCurrentThreadId();
        if (++ticks == target) {
            SetEvent(reached);
        }
        if (throws) {
            throw 1;
        }
    }
    int target;
    HANDLE reached;
    std::atomic<int> ticks{0};
    std::atomic<DWORD> thread{0};
    bool throws = false;
};

// Starts a timer thread the caller waits for and deletes.
Timer::TimerThread* StartTimer(unsigned int period, DesignPatterns::IObserver* a, DesignPatterns::IObserver* b) {
    auto* timer = static_cast<Timer::TimerThread*>(
        AfxBeginThread(RUNTIME_CLASS(TimerThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
    if (timer == nullptr) {
        return nullptr;
    }
    timer->m_bAutoDelete = FALSE;
    timer->period = period;
    timer->Attach(a);
    timer->Attach(b);
    timer->ResumeThread();
    return timer;
}

void StopTimer(Timer::TimerThread* timer) {
    timer->PostThreadMessage(WM_QUIT, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(timer->m_hThread, 10000));
    delete timer;
}

}  // namespace

TEST(TimerThread, TicksNotifyEveryObserverOnTheTimerThread) {
    TickCounter first(3), second(3);
    first.throws = true;  // a failing observer neither stops the others nor the ticks
    Timer::TimerThread* timer = StartTimer(20, &first, &second);
    ASSERT_NE(nullptr, timer);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(second.reached, 10000));
    EXPECT_EQ(timer->m_nThreadID, second.thread.load());
    EXPECT_NE(0u, timer->timerId);
    StopTimer(timer);
    EXPECT_GE(first.ticks.load(), 2);
}

TEST(TimerThread, OnlyItsOwnTimerIdentifierNotifies) {
    TickCounter counter(1), unused(1);
    // A period of an hour: no real tick comes during the test.
    Timer::TimerThread* timer = StartTimer(3600 * 1000, &counter, &unused);
    ASSERT_NE(nullptr, timer);
    // The timer exists once InitInstance has run; a message round trip waits for that.
    const DWORD start = GetTickCount();
    while (timer->timerId == 0 && GetTickCount() - start < 10000) {
        Sleep(2);
    }
    ASSERT_NE(0u, timer->timerId);
    timer->PostThreadMessage(Timer::TimerThread::kTickMessage, timer->timerId + 1, 0);
    timer->PostThreadMessage(Timer::TimerThread::kTickMessage, timer->timerId, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(counter.reached, 10000));
    StopTimer(timer);
    EXPECT_EQ(1, counter.ticks.load());
}
