#include <gtest/gtest.h>

#include "foundation/Exception.h"
#include "foundation/Stopwatch.h"

using Swiftlet::IPerformanceClock;
using Swiftlet::Stopwatch;

namespace {

class FakeClock : public IPerformanceClock {
public:
    BOOL QueryFrequency(LARGE_INTEGER* value) const override {
        if (failFrequency) {
            SetLastError(ERROR_INVALID_FUNCTION);
            return FALSE;
        }
        value->QuadPart = frequency;
        return TRUE;
    }
    BOOL QueryCounter(LARGE_INTEGER* value) const override {
        if (failCounter) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return FALSE;
        }
        value->QuadPart = counter;
        return TRUE;
    }

    long long frequency = 10000000;
    long long counter = 1;
    bool failFrequency = false;
    bool failCounter = false;
};

}  // namespace

TEST(Stopwatch, UnstartedReportsZero) {
    FakeClock clock;
    Stopwatch watch(clock);
    clock.counter = 5000000;
    EXPECT_EQ(0, watch.ElapsedMicroseconds());
    watch.Stop();
    EXPECT_EQ(0, watch.StoppedMicroseconds());
}

TEST(Stopwatch, ConvertsCounterTicksToMicroseconds) {
    FakeClock clock;
    clock.counter = 1000;
    Stopwatch watch(clock);
    watch.Start();
    EXPECT_EQ(10000000, watch.frequency);
    EXPECT_EQ(1000, watch.start);

    clock.counter = 1000 + 25000000;  // 2.5 s at 10 MHz
    EXPECT_EQ(2500000, watch.ElapsedMicroseconds());
    watch.Stop();
    clock.counter += 99999999;  // the stopped time no longer moves
    EXPECT_EQ(2500000, watch.StoppedMicroseconds());
    EXPECT_EQ(2500000 + 9999999, watch.ElapsedMicroseconds());  // truncated, not rounded
}

TEST(Stopwatch, LongJobsDoNotOverflow) {
    FakeClock clock;
    Stopwatch watch(clock);
    watch.Start();
    const long long thirtyDays = 30LL * 24 * 3600;
    clock.counter = 1 + thirtyDays * clock.frequency + 5;
    EXPECT_EQ(thirtyDays * 1000000, watch.ElapsedMicroseconds());
}

TEST(Stopwatch, CounterFailuresThrowTheSystemError) {
    FakeClock clock;
    Stopwatch watch(clock);
    clock.failFrequency = true;
    try {
        watch.Start();
        FAIL() << "Start succeeded without a frequency";
    } catch (const WindowsException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION), e.error);
    }
    clock.failFrequency = false;
    watch.Start();
    clock.failCounter = true;
    try {
        (void)watch.ElapsedMicroseconds();
        FAIL() << "the counter failure went unnoticed";
    } catch (const WindowsException& e) {
        EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_SUPPORTED), e.error);
    }
    EXPECT_THROW(watch.Stop(), WindowsException);
}

TEST(Stopwatch, SystemCounterMovesForward) {
    Stopwatch watch;
    watch.Start();
    EXPECT_GT(watch.frequency, 0);
    const long long first = watch.ElapsedMicroseconds();
    Sleep(2);
    EXPECT_GE(watch.ElapsedMicroseconds(), first);
}
