#include "foundation/Stopwatch.h"

#include "foundation/Exception.h"

namespace Swiftlet {

namespace {

class SystemClock : public IPerformanceClock {
public:
    BOOL QueryFrequency(LARGE_INTEGER* frequency) const override { return QueryPerformanceFrequency(frequency); }
    BOOL QueryCounter(LARGE_INTEGER* counter) const override { return QueryPerformanceCounter(counter); }
};

}  // namespace

const IPerformanceClock& SystemPerformanceClock() {
    static const SystemClock clock;
    return clock;
}

void Stopwatch::Start() {
    LARGE_INTEGER value{};
    if (!m_clock->QueryFrequency(&value)) {
        throw WindowsException(GetLastError());
    }
    frequency = value.QuadPart;
    start = ReadCounter();
}

void Stopwatch::Stop() {
    stop = ReadCounter();
}

long long Stopwatch::ElapsedMicroseconds() const {
    const long long now = ReadCounter();
    if (frequency == 0 || start == 0) {
        return 0;
    }
    return ToMicroseconds(now - start);
}

long long Stopwatch::StoppedMicroseconds() const {
    if (frequency == 0 || start == 0) {
        return 0;
    }
    return ToMicroseconds(stop - start);
}

long long Stopwatch::ReadCounter() const {
    LARGE_INTEGER value{};
    if (!m_clock->QueryCounter(&value)) {
        throw WindowsException(GetLastError());
    }
    return value.QuadPart;
}

long long Stopwatch::ToMicroseconds(long long ticks) const {
    // Whole seconds first: ticks × 1000000 alone overflows after about ten days at a
    // 10 MHz counter. The result is the same as the plain product when that fits.
    const long long seconds = ticks / frequency;
    const long long rest = ticks % frequency;
    return seconds * 1000000 + rest * 1000000 / frequency;
}

}  // namespace Swiftlet
