#pragma once
// High-resolution stopwatch over the performance counter. The algorithm keeps one for
// the whole job and one for the copy phase.
#include <windows.h>

namespace Swiftlet {

// Where a stopwatch reads the counter. The system's counter by default; tests give a
// clock they advance themselves, so elapsed times do not depend on the machine's load.
class IPerformanceClock {
public:
    virtual ~IPerformanceClock() = default;
    // Same contract as QueryPerformanceFrequency/QueryPerformanceCounter: FALSE on
    // failure with the thread's last error set.
    virtual BOOL QueryFrequency(LARGE_INTEGER* frequency) const = 0;
    virtual BOOL QueryCounter(LARGE_INTEGER* counter) const = 0;
};

// The process-wide clock backed by QueryPerformanceFrequency/QueryPerformanceCounter.
const IPerformanceClock& SystemPerformanceClock();

class Stopwatch {
public:
    explicit Stopwatch(const IPerformanceClock& clock = SystemPerformanceClock()) : m_clock(&clock) {}

    // Throw WindowsException when the counter cannot be read.
    void Start();
    void Stop();
    // 0 until started.
    long long ElapsedMicroseconds() const;
    long long StoppedMicroseconds() const;

    long long frequency = 0;
    long long start = 0;
    long long stop = 0;

private:
    long long ReadCounter() const;
    long long ToMicroseconds(long long ticks) const;

    const IPerformanceClock* m_clock;
};

}  // namespace Swiftlet
