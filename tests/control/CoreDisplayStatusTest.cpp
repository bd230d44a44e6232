#include <gtest/gtest.h>

#include "control/CoreDisplayStatus.h"

using Swiftlet::CoreDisplayCursor;
using Swiftlet::CoreDisplayStatus;
using Swiftlet::CoreDisplayStatusLapTime;
using Swiftlet::LapVector;

namespace {

CoreDisplayCursor Running(unsigned long long weighted, const wchar_t* folder = L"C:\\src",
                          const wchar_t* destinationFolder = L"D:\\dst") {
    CoreDisplayCursor c;
    c.state = 1;
    c.itemsDone = 1;
    c.bytesDone = weighted;
    c.weightedBytesDone = weighted;
    c.folder = folder;
    c.sourcePath = CString(folder) + L"\\a.bin";
    c.destinationFolder = destinationFolder;
    c.destinationPath = CString(destinationFolder) + L"\\a.bin";
    return c;
}

// A job of 10 items and 100000 weighted bytes, read at 4000 B/s and written at
// 2000 B/s after 10 s of the copy phase.
CoreDisplayStatus HalfDoneJob(const wchar_t* readFolder, const wchar_t* writeDestinationFolder) {
    CoreDisplayStatus s;
    s.SetTotals(100000, 100000, 10);
    s.copyElapsedMs = 10000;
    s.UpdateRead(Running(40000, readFolder, writeDestinationFolder), 0);
    s.UpdateWrite(Running(20000, readFolder, writeDestinationFolder), 0);
    return s;
}

}  // namespace

TEST(CoreDisplayStatus, FirstLapRunsFromCopyStartAndLaterLapsAreDifferences) {
    CoreDisplayStatus s;
    s.copyElapsedMs = 100;
    s.UpdateWrite(Running(1000), 0);
    s.copyElapsedMs = 300;
    s.UpdateWrite(Running(1000), 5000);  // partial bytes of the current file count
    ASSERT_EQ(2u, s.writeLaps.size());
    EXPECT_EQ(100u, s.writeLaps[0].milliseconds);
    EXPECT_EQ(1000u, s.writeLaps[0].bytes);
    EXPECT_EQ(200u, s.writeLaps[1].milliseconds);
    EXPECT_EQ(5000u, s.writeLaps[1].bytes);
    ASSERT_EQ(2u, s.writeTotals.size());
    EXPECT_EQ(6000u, s.writeTotals[1].bytes);
    EXPECT_EQ(6000u, s.bytes.written);
    EXPECT_EQ(6000u, s.weightedBytes.written);
    EXPECT_EQ(300u, s.lastWrite.milliseconds);
    EXPECT_TRUE(s.readLaps.empty());
}

TEST(CoreDisplayStatus, ProgressWithoutNewBytesOrTimeAddsNoLap) {
    CoreDisplayStatus s;
    s.UpdateRead(Running(500), 0);  // no time yet: neither sample nor lap
    EXPECT_TRUE(s.readTotals.empty());
    EXPECT_TRUE(s.readLaps.empty());

    s.copyElapsedMs = 100;
    s.UpdateRead(Running(500), 0);
    s.UpdateRead(Running(500), 0);  // same time, same bytes
    s.copyElapsedMs = 200;
    s.UpdateRead(Running(500), 0);  // time moved, bytes did not
    EXPECT_EQ(1u, s.readLaps.size());
    EXPECT_EQ(3u, s.readTotals.size());
}

TEST(CoreDisplayStatus, StoppedSideKeepsFolderButClearsCurrentPaths) {
    CoreDisplayStatus s;
    s.copyElapsedMs = 10;
    s.UpdateRead(Running(1), 0);
    s.UpdateWrite(Running(1), 0);
    EXPECT_EQ(CString(L"C:\\src\\a.bin"), s.readPath);
    EXPECT_EQ(CString(L"D:\\dst\\a.bin"), s.writeDestinationPath);

    CoreDisplayCursor done = Running(2, L"X:\\other", L"Y:\\other");
    done.state = 2;
    s.UpdateRead(done, 0);
    s.UpdateWrite(done, 0);
    EXPECT_EQ(CString(L"C:\\src"), s.readFolder);
    EXPECT_TRUE(s.readPath.IsEmpty());
    EXPECT_EQ(CString(L"C:\\src"), s.writeFolder);
    EXPECT_EQ(CString(L"D:\\dst"), s.writeDestinationFolder);
    EXPECT_TRUE(s.writeSourcePath.IsEmpty());
    EXPECT_TRUE(s.writeDestinationPath.IsEmpty());
    EXPECT_EQ(2u, s.bytes.written);
}

TEST(CoreDisplayStatus, SpeedIsBytesPerSecondOfTheLastLap) {
    EXPECT_EQ(0u, CoreDisplayStatus::GetSpeed(LapVector{}));
    EXPECT_EQ(5000u, CoreDisplayStatus::GetSpeed(LapVector{{1000, 999999}, {200, 1000}}));
    // 1500 bytes in 1000 ms: the coarse division loses the half.
    EXPECT_EQ(1000u, CoreDisplayStatus::GetSpeed(LapVector{{1000, 1500}}));
    // Below 1000 B/s the finer form applies.
    EXPECT_EQ(500u, CoreDisplayStatus::GetSpeed(LapVector{{2000, 1000}}));
}

TEST(CoreDisplayStatus, EstimateRoundsUpAndFailsWithoutSamplesOrWork) {
    unsigned long long seconds = 77;
    EXPECT_EQ(0, CoreDisplayStatus::EstimateSeconds(LapVector{}, 100, 0, &seconds));
    EXPECT_EQ(0, CoreDisplayStatus::EstimateSeconds(LapVector{{1000, 1000}}, 100, 100, &seconds));
    EXPECT_EQ(77u, seconds);

    EXPECT_EQ(1, CoreDisplayStatus::EstimateSeconds(LapVector{{1000, 1000}}, 10000, 1000, &seconds));
    EXPECT_EQ(9u, seconds);
    EXPECT_EQ(1, CoreDisplayStatus::EstimateSeconds(LapVector{{1000, 1000}}, 10001, 1000, &seconds));
    EXPECT_EQ(10u, seconds);
    // A copy crawling at 100 B/s is far from done, not a second away.
    EXPECT_EQ(1, CoreDisplayStatus::EstimateSeconds(LapVector{{10000, 1000}}, 11000, 1000, &seconds));
    EXPECT_EQ(100u, seconds);
}

TEST(CoreDisplayStatus, RemainingTimeNeedsAWriteSample) {
    CoreDisplayStatus s;
    s.SetTotals(1000, 1000, 3);
    s.copyElapsedMs = 1000;
    s.UpdateRead(Running(500), 0);
    unsigned long long seconds = 0;
    EXPECT_EQ(0, s.GetRemainingSeconds(&seconds));  // shown as "calculating"
}

TEST(CoreDisplayStatus, EverythingWrittenLeavesZeroSeconds) {
    CoreDisplayStatus s;
    s.SetTotals(1000, 1000, 3);
    s.items.written = 3;
    unsigned long long seconds = 99;
    EXPECT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(0u, seconds);
}

TEST(CoreDisplayStatus, SameDriveLetterSumsReadAndWriteEstimates) {
    // read: 60000 left at 4000 B/s = 15 s; write: 80000 left at 2000 B/s = 40 s.
    unsigned long long seconds = 0;
    CoreDisplayStatus s = HalfDoneJob(L"C:\\", L"c:\\backup");
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(55u, seconds);

    s = HalfDoneJob(L"\\\\?\\C:\\data", L"C:\\backup");
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(55u, seconds);
}

TEST(CoreDisplayStatus, OtherDriveOrNetworkTakesTheLarger) {
    unsigned long long seconds = 0;
    CoreDisplayStatus s = HalfDoneJob(L"C:\\", L"D:\\");
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(40u, seconds);

    s = HalfDoneJob(L"\\\\server\\share", L"\\\\server\\share2");
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(40u, seconds);

    s = HalfDoneJob(L"", L"");
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(40u, seconds);
}

TEST(CoreDisplayStatus, WriteEstimateWithoutReadEstimateStillCounts) {
    CoreDisplayStatus s;
    s.SetTotals(100000, 100000, 10);
    s.copyElapsedMs = 10000;
    s.UpdateRead(Running(100000), 0);  // reader done: its estimate fails, counts as 0
    s.UpdateWrite(Running(99999), 0);
    unsigned long long seconds = 0;
    ASSERT_EQ(1, s.GetRemainingSeconds(&seconds));
    EXPECT_EQ(1u, seconds);  // a fraction of a second left is still shown as one
}

TEST(CoreDisplayStatus, OwnedExceptionIsDeletedOnReplacementButNotWhenSetAgain) {
    struct Counted : Exception {
        explicit Counted(int* deletions) : deletions(deletions) {}
        ~Counted() override { ++*deletions; }
        int* deletions;
    };
    int deletions = 0;
    {
        CoreDisplayStatus s;
        auto* first = new Counted(&deletions);
        s.SetException(first);
        s.ownsException = 1;
        s.SetException(first);  // already held: kept, still owned
        EXPECT_EQ(0, deletions);
        EXPECT_EQ(first, s.exception);
        EXPECT_EQ(1, s.ownsException);

        Counted borrowed(&deletions);
        s.SetException(&borrowed);  // the owned one goes
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(0, s.ownsException);
        s.SetException(nullptr);  // borrowed ones are never deleted
        EXPECT_EQ(1, deletions);

        s.SetException(new Counted(&deletions));
        s.ownsException = 1;
        CoreDisplayStatus copy(s);  // a copy views it without owning it
        EXPECT_EQ(s.exception, copy.exception);
        EXPECT_EQ(0, copy.ownsException);
    }
    EXPECT_EQ(3, deletions);  // the owned one once with its record, the local one
}

TEST(FormatByteSize, ThreeFiguresTruncatedInUnitsOf1024) {
    const std::pair<unsigned long long, const wchar_t*> cases[] = {
        {0, L"0バイト"},          {999, L"999バイト"},     {1000, L"0.97KB"},
        {1023, L"0.99KB"},       {1024, L"1.00KB"},        {10239, L"9.99KB"},
        {10240, L"10.0KB"},      {102399, L"100.0KB"},     {102400, L"100KB"},
        {1023999, L"999KB"},     {1024000, L"0.97MB"},     {5000000, L"4.76MB"},
        {4ull << 30, L"4.00GB"}, {~0ull, L"16.0EB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CString(c.second), Swiftlet::FormatByteSize(c.first)) << c.first;
    }
}

TEST(FormatDuration, HoursDropTheSecondsAndNothingLeftIsZeroSeconds) {
    const std::pair<unsigned long long, const wchar_t*> cases[] = {
        {0, L"0秒"},        {1, L"1秒"},           {59, L"59秒"},        {60, L"1分"},
        {125, L"2分5秒"},   {3599, L"59分59秒"},    {3600, L"1時間"},     {3601, L"1時間"},
        {3725, L"1時間2分"}, {90061, L"25時間1分"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CString(c.second), Swiftlet::FormatDuration(c.first)) << c.first;
    }
}
