#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "foundation/CountedEvent.h"
#include "foundation/WakeSignal.h"

namespace {

bool IsSignalled(HANDLE event) {
    return WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
}

}  // namespace

// A poll that found the run event signalled answers so again without asking the system
// while nobody set or reset the event; a change made through the object is seen at once.
TEST(CountedEvent, PollSkipsTheSystemOnlyWhileTheCountStandsStill) {
    CountedEvent run;
    ASSERT_TRUE(run.Create(true, true));
    CountedEventPoll poll;
    EXPECT_EQ(WAIT_OBJECT_0, poll.Poll(run, WAIT_OBJECT_0));

    // Behind the object's back the poll does not look (which is why every setter must
    // use the object).
    ResetEvent(run.Handle());
    EXPECT_EQ(WAIT_OBJECT_0, poll.Poll(run, WAIT_OBJECT_0));
    SetEvent(run.Handle());

    const uint64_t before = run.Changes();
    EXPECT_TRUE(run.Reset());
    EXPECT_EQ(before + 1, run.Changes());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), poll.Poll(run, WAIT_OBJECT_0));
    // Not quiet: the next poll asks again and sees the resume.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), poll.Poll(run, WAIT_OBJECT_0));
    EXPECT_TRUE(run.Set());
    EXPECT_EQ(WAIT_OBJECT_0, poll.Poll(run, WAIT_OBJECT_0));
}

// The pause comes after the worker read the count but before its kernel check: the
// check sees it. Or the pause comes after a check that found the job running: the count
// has moved, so the next poll asks the system and sees it. Either way it is never lost.
TEST(CountedEvent, PauseBetweenCountReadAndKernelCheckIsNeverLost) {
    CountedEvent run;
    ASSERT_TRUE(run.Create(true, true));

    CountedEventPoll fresh;
    uint64_t read = run.Changes();
    run.Reset();  // the user pauses right here
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), fresh.Check(run, read, WAIT_OBJECT_0));
    run.Set();

    CountedEventPoll seen;
    EXPECT_EQ(WAIT_OBJECT_0, seen.Poll(run, WAIT_OBJECT_0));  // running, remembered
    read = run.Changes();
    run.Reset();  // the pause lands between this worker's read and its check
    // This check may still answer "running" (the pause came just after it, as it were)...
    seen.Check(run, read, WAIT_OBJECT_0);
    // ...but the next one cannot.
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), seen.Poll(run, WAIT_OBJECT_0));

    // The kernel half of a reset that has not counted yet: a remembered poll may still
    // say "running"; once the count moves, the next poll sees the pause.
    CountedEventPoll early;
    run.Set();
    EXPECT_EQ(WAIT_OBJECT_0, early.Poll(run, WAIT_OBJECT_0));
    ResetEvent(run.Handle());
    EXPECT_EQ(WAIT_OBJECT_0, early.Poll(run, WAIT_OBJECT_0));
    run.Reset();  // the count follows
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), early.Poll(run, WAIT_OBJECT_0));
}

// A cancel check takes the signal of the auto-reset event; the poll does not remember
// that answer, so a later check asks the system again.
TEST(CountedEvent, TakenSignalOfAnAutoResetEventIsNotRemembered) {
    CountedEvent cancel;
    ASSERT_TRUE(cancel.Create(false, false));
    CountedEventPoll poll;
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), poll.Poll(cancel, WAIT_TIMEOUT));
    cancel.Set();
    EXPECT_EQ(WAIT_OBJECT_0, poll.Poll(cancel, WAIT_TIMEOUT));
    EXPECT_FALSE(IsSignalled(cancel.Handle()));  // taken
    cancel.Set();  // set again for the other side, as the workers do
    EXPECT_EQ(WAIT_OBJECT_0, poll.Poll(cancel, WAIT_TIMEOUT));
    poll.Forget();
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), poll.Poll(cancel, WAIT_TIMEOUT));
}

// Another thread pauses and resumes thousands of times while this one polls: whenever
// the controller has paused and waits, the poller must see the pause within a few polls.
TEST(CountedEvent, PollerSeesEveryPauseOfAnotherThread) {
    CountedEvent run;
    ASSERT_TRUE(run.Create(true, true));
    std::atomic<int> paused{0};   // pauses made
    std::atomic<int> noticed{0};  // pauses the poller saw
    std::atomic<bool> done{false};
    std::thread poller([&] {
        CountedEventPoll poll;
        int seen = 0;
        while (!done.load()) {
            if (poll.Poll(run, WAIT_OBJECT_0) != WAIT_OBJECT_0 && seen < paused.load())
                noticed = ++seen;
        }
    });
    const int rounds = 2000;
    for (int i = 1; i <= rounds; ++i) {
        run.Reset();
        paused = i;
        const DWORD start = GetTickCount();
        while (noticed.load() < i && GetTickCount() - start < 10000)
            SwitchToThread();
        ASSERT_EQ(i, noticed.load()) << "pause " << i << " was not seen";
        run.Set();
    }
    done = true;
    poller.join();
}

TEST(CountedEvent, CreateTwiceFailsAndCloseKeepsTheCount) {
    CountedEvent event;
    ASSERT_TRUE(event.Create(false, false));
    EXPECT_FALSE(event.Create(false, false));
    const uint64_t changes = event.Changes();
    event.Close();
    EXPECT_EQ(nullptr, event.Handle());
    EXPECT_EQ(changes, event.Changes());
    ASSERT_TRUE(event.Create(true, false));
    EXPECT_GT(event.Changes(), changes);
}

// A wake-up that comes before the sleeper's last look keeps it from sleeping; one that
// comes while it sleeps ends its wait; without one the wait goes on.
TEST(WakeSignal, WakeBeforeSleepAndWhileAsleep) {
    WakeSignal wake;
    ASSERT_TRUE(wake.Create());
    wake.Clear();
    wake.Wake();
    EXPECT_FALSE(wake.Sleep());
    EXPECT_FALSE(IsSignalled(wake.Handle())) << "nobody slept: no system call was needed";

    wake.Clear();
    ASSERT_TRUE(wake.Sleep());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(wake.Handle(), 50));
    std::thread waker([&wake] {
        Sleep(20);
        wake.Wake();
    });
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(wake.Handle(), 10000));
    wake.Awake(true);
    waker.join();
}

// A wake-up that meets the sleeper's last look leaves no signal behind, and neither does
// one given to a sleep that something else ended: the next sleep waits for a new one.
TEST(WakeSignal, NoSignalOutlivesTheSleepItWasFor) {
    WakeSignal wake;
    ASSERT_TRUE(wake.Create());
    wake.Clear();
    wake.Wake();
    wake.Wake();
    EXPECT_FALSE(wake.Sleep());
    EXPECT_FALSE(IsSignalled(wake.Handle()));

    // The sleep ends for another reason (a cancel, the other side's end) after a waker
    // found it sleeping: its signal is taken on waking.
    wake.Clear();
    ASSERT_TRUE(wake.Sleep());
    wake.Wake();
    wake.Wake();  // a second wake-up of the same sleep signals nothing more
    wake.Awake(false);
    EXPECT_FALSE(IsSignalled(wake.Handle()));

    wake.Clear();
    ASSERT_TRUE(wake.Sleep());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(wake.Handle(), 50));
    wake.Awake(false);
}

// Two threads hand control to each other a thousand times, as reader and writer do when
// the pool runs full and empty: each clears its own signal, wakes the other, and sleeps
// unless the other woke it meanwhile. A lost wake-up would leave both asleep.
TEST(WakeSignal, PingPongLosesNoWakeUp) {
    WakeSignal a, b;
    ASSERT_TRUE(a.Create());
    ASSERT_TRUE(b.Create());
    std::atomic<int> turn{0};  // even: a's turn, odd: b's turn
    const int rounds = 1000;
    auto side = [&](WakeSignal& mine, WakeSignal& other, int parity, bool* timedOut) {
        for (;;) {
            mine.Clear();
            int now = turn.load();
            if (now >= rounds)
                return;
            if (now % 2 == parity) {
                turn = now + 1;
                other.Wake();
                continue;
            }
            if (!mine.Sleep())
                continue;
            const DWORD result = WaitForSingleObject(mine.Handle(), 10000);
            mine.Awake(result == WAIT_OBJECT_0);
            if (result != WAIT_OBJECT_0) {
                *timedOut = true;
                turn = rounds;
                other.Wake();
                return;
            }
        }
    };
    bool aTimedOut = false, bTimedOut = false;
    std::thread t([&] { side(b, a, 1, &bTimedOut); });
    side(a, b, 0, &aTimedOut);
    t.join();
    EXPECT_FALSE(aTimedOut);
    EXPECT_FALSE(bTimedOut);
    EXPECT_GE(turn.load(), rounds);
}
