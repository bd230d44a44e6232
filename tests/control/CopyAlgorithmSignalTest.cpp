// Pause, resume and cancel reaching the two workers: through the counts of the run and
// cancel events while the workers run, and through the kernel events while they sleep.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CopyAlgorithm.h"
#include "engine/CopyException.h"
#include "tests/support/CopyJob.h"
#include "tests/support/TestFiles.h"

using namespace Swiftlet;
using TestFiles::JobOption;
using TestFiles::SameFile;

namespace {

constexpr unsigned long long MiB = 1024 * 1024;

// Every progress event is delivered: a clock that moves a second per reading.
DWORD WINAPI FastTicks() {
    static std::atomic<DWORD> ticks{0};
    return ticks += 1000;
}

// Runs f on another thread and waits for it: the controls are the user interface's, and
// a worker that raised an event must not call them itself.
template <class F>
void FromAnotherThread(F f) {
    std::thread(f).join();
}

// Waits up to ms for condition.
template <class F>
bool WaitUntil(F condition, DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > ms)
            return false;
        Sleep(1);
    }
    return true;
}

// A small pool, 1 MiB blocks: one 40 MiB file takes many rounds of the pool.
CopyOption SmallPoolJob(const CString& source, const CString& destination) {
    CopyOption option = JobOption({source}, destination);
    option.bufferSize = 4 * MiB;
    option.readBlockSize = 1 * MiB;
    option.writeBlockSize = 1 * MiB;
    return option;
}

}  // namespace

// Across volumes both workers run at once. The user pauses and, as soon as the job says
// it is paused, resumes, again and again: every pause gives exactly one paused and one
// resumed event, and the copy is whole, nothing lost or written twice.
TEST(CopyAlgorithmSignals, PauseAndResumeInQuickSuccessionWhileBothWorkersRun) {
    TestFiles::TempDir c(L"quick");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"big.bin", 48 * MiB, 11));
    TestFiles::UnixTempDir z;
    const CopyOption option = SmallPoolJob(c / L"big.bin", z.Path());
    ASSERT_EQ(1u, option.readerWakeMinFree) << "the workers must interleave";

    CoreEventScriptHandler handler;
    std::atomic<unsigned long long> written{0};
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventWriteProgress)
            written = record.bytesWritten;
    };
    const int cycles = 5;
    int done = 0;
    std::thread user([&] {
        for (int i = 0; i < cycles; ++i) {
            const unsigned long long at = (i + 1) * 7 * MiB;
            if (!WaitUntil([&] { return written.load() >= at && handler.GetState() == kHandlerRunning; }))
                return;
            if (!handler.Pause())
                return;
            if (!WaitUntil([&] { return handler.Resume(); }))
                return;
            ++done;
        }
    });
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(1, algorithm.Run());
    user.join();
    EXPECT_EQ(cycles, done);
    EXPECT_EQ(cycles, handler.Count(kEventCopyPaused));
    EXPECT_EQ(cycles, handler.Count(kEventCopyResumed));
    unsigned long long last = 0;
    for (const CoreEventRecord& record : handler.Records()) {
        if (record.code == kEventWriteProgress) {
            EXPECT_GE(record.bytesWritten, last);
            last = record.bytesWritten;
        }
    }
    EXPECT_EQ(48 * MiB, last);
    EXPECT_TRUE(SameFile(c / L"big.bin", z / L"big.bin"));
}

// The user pauses again while the job is still telling that it resumed, and resumes at
// once whenever it says it is paused: the second pause is not lost to the worker that
// resumed (it must not signal the run event itself), and each pause gives one paused
// and one resumed event.
TEST(CopyAlgorithmSignals, PauseRightAfterTheResumedEventIsNotLost) {
    TestFiles::TempDir c(L"repause");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"big.bin", 24 * MiB, 12));
    TestFiles::UnixTempDir z;
    const CopyOption option = SmallPoolJob(c / L"big.bin", z.Path());

    CoreEventScriptHandler handler;
    std::atomic<bool> pausedOnce{false}, pausedAgain{false};
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (record.code == kEventWriteProgress && record.bytesWritten >= 4 * MiB && !pausedOnce.exchange(true))
            FromAnotherThread([&] { EXPECT_TRUE(handler.Pause()); });
        else if (record.code == kEventCopyPaused)
            FromAnotherThread([&] { EXPECT_TRUE(handler.Resume()); });
        else if (record.code == kEventCopyResumed && !pausedAgain.exchange(true))
            FromAnotherThread([&] { EXPECT_TRUE(handler.Pause()); });
    };
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(1, algorithm.Run());
    EXPECT_EQ(2, handler.Count(kEventCopyPaused));
    EXPECT_EQ(2, handler.Count(kEventCopyResumed));
    EXPECT_TRUE(SameFile(c / L"big.bin", z / L"big.bin"));
}

// On one volume the workers take turns: while the reader fills the pool the writer
// sleeps, waiting for data. The reader is held in one of its progress events mid-file
// and the user cancels: the writer wakes from its wait on the cancel event, signals it
// again and removes its partial file, all while the reader is still held. Then the
// reader stops too.
TEST(CopyAlgorithmSignals, CancelWakesTheWriterWaitingForData) {
    TestFiles::TempDir c(L"cwait");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 40 * MiB, 12));
    TestFiles::TempDir d(L"cwaitdst");
    const CopyOption option = SmallPoolJob(c / L"src", d.Path());
    ASSERT_EQ(~0ull, option.readerWakeMinFree) << "the workers must take turns";

    CoreEventScriptHandler handler;
    bool held = false;
    bool partialFileSeen = false;
    bool writerWoke = false;
    bool partialFileRemoved = false;
    // Events are delivered one at a time: a writer still on its way to report its last
    // block would wait behind the held reader instead of sleeping. The reader is held at
    // its second report in a row, when the writer has long reported its turn.
    int previousCode = 0;
    handler.onEvent = [&](const CoreEventRecord& record) {
        const int lastCode = previousCode;
        previousCode = record.code;
        if (held || record.code != kEventReadProgress || lastCode != kEventReadProgress || record.bytesRead < 10 * MiB)
            return;
        held = true;  // the reader is filling the pool; the writer has emptied it and sleeps
        partialFileSeen = TestFiles::Exists(d / L"src\\big.bin");
        CountedEvent* cancel = handler.cancelSignal;
        const uint64_t before = cancel ? cancel->Changes() : 0;
        FromAnotherThread([&] { handler.Cancel(); });
        // The user's cancel counts once; the writer's signal for the other side once more.
        writerWoke = cancel && WaitUntil([&] { return cancel->Changes() >= before + 2; });
        partialFileRemoved = WaitUntil([&] { return !TestFiles::Exists(d / L"src\\big.bin"); });
    };
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(0, algorithm.Run());
    ASSERT_TRUE(held);
    EXPECT_TRUE(partialFileSeen) << "the writer had written earlier rounds";
    EXPECT_TRUE(writerWoke);
    EXPECT_TRUE(partialFileRemoved);
    EXPECT_EQ(kHandlerCancelled, handler.GetState());
    EXPECT_FALSE(TestFiles::Exists(d / L"src\\big.bin"));
    EXPECT_TRUE(TestFiles::Exists(c / L"src\\big.bin"));
}

// The same with the roles turned: the writer is held mid-round while the reader sleeps,
// waiting for the pool to empty. The cancel wakes the reader, which signals it again
// while the writer is still held; the writer then stops and removes its partial file.
TEST(CopyAlgorithmSignals, CancelWakesTheReaderWaitingForSpace) {
    TestFiles::TempDir c(L"rwait");
    ASSERT_TRUE(TestFiles::WritePattern(c / L"src\\big.bin", 40 * MiB, 13));
    TestFiles::TempDir d(L"rwaitdst");
    const CopyOption option = SmallPoolJob(c / L"src", d.Path());
    ASSERT_EQ(~0ull, option.readerWakeMinFree) << "the workers must take turns";

    CoreEventScriptHandler handler;
    bool held = false;
    bool readerWoke = false;
    handler.onEvent = [&](const CoreEventRecord& record) {
        if (held || record.code != kEventWriteProgress || record.bytesWritten < 10 * MiB)
            return;
        held = true;  // the writer is emptying the pool; the reader filled it and sleeps
        CountedEvent* cancel = handler.cancelSignal;
        const uint64_t before = cancel ? cancel->Changes() : 0;
        FromAnotherThread([&] { handler.Cancel(); });
        readerWoke = cancel && WaitUntil([&] { return cancel->Changes() >= before + 2; });
    };
    CoreEvent events(&FastTicks);
    events.Attach(&handler);
    CopyAlgorithmMultiThread algorithm(option, &events);
    EXPECT_EQ(0, algorithm.Run());
    ASSERT_TRUE(held);
    EXPECT_TRUE(readerWoke);
    EXPECT_EQ(kHandlerCancelled, handler.GetState());
    EXPECT_FALSE(TestFiles::Exists(d / L"src\\big.bin")) << "the partial copy is removed";
    EXPECT_TRUE(TestFiles::Exists(c / L"src\\big.bin"));
}
