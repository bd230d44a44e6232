#pragma once
// What the user sees of a running job: counters, current paths, the samples and laps
// behind the speed graph, and the error or question being shown. Kept up to date by the
// job's event channel while it holds its semaphore, so it has no lock of its own.
#include <vector>

#include "engine/CopyEvents.h"
#include "foundation/Exception.h"
#include "framework/CString.h"

namespace Swiftlet {

// One quantity counted three ways.
class ReadWriteData {
public:
    virtual ~ReadWriteData() = default;

    unsigned long long total = 0;
    unsigned long long read = 0;
    unsigned long long written = 0;
};

// A cumulative sample (time since the copy phase began, bytes so far) or a lap (the
// difference between two consecutive samples).
class CoreDisplayStatusLapTime {
public:
    CoreDisplayStatusLapTime() = default;
    CoreDisplayStatusLapTime(unsigned long long milliseconds, unsigned long long bytes)
        : milliseconds(milliseconds), bytes(bytes) {}
    virtual ~CoreDisplayStatusLapTime() = default;
    CoreDisplayStatusLapTime(const CoreDisplayStatusLapTime&) = default;
    CoreDisplayStatusLapTime& operator=(const CoreDisplayStatusLapTime&) = default;

    unsigned long long milliseconds = 0;
    unsigned long long bytes = 0;
};

using LapVector = std::vector<CoreDisplayStatusLapTime>;

class CoreDisplayStatus {
public:
    CoreDisplayStatus() = default;
    virtual ~CoreDisplayStatus();
    // A copy carries the progress and views the exception without owning it: only one
    // record may delete it.
    CoreDisplayStatus(const CoreDisplayStatus& other);
    CoreDisplayStatus& operator=(const CoreDisplayStatus& other);

    // Enumeration totals at copy begin; itemCount is folders plus files.
    void SetTotals(unsigned long long totalBytes, unsigned long long totalWeightedBytes,
                   unsigned long long itemCount);
    void UpdateRead(const CoreDisplayCursor& cursor, unsigned long long partialBytes);
    void UpdateWrite(const CoreDisplayCursor& cursor, unsigned long long partialBytes);

    // Holds e (not owned). An owned exception held before is deleted, unless it is e
    // itself, which stays held with its ownership.
    void SetException(Exception* e);
    // Deletes an owned exception and clears the pointer.
    void ReleaseException();
    // Takes the elapsed times, counters, paths, samples and laps of another record.
    void CopyProgressFrom(const CoreDisplayStatus& other);

    // Bytes per second of the last lap; 0 when there is none.
    static unsigned long long GetSpeed(const LapVector& laps);
    // 1 with the whole seconds left in seconds, 0 when no estimate is possible yet.
    int GetRemainingSeconds(unsigned long long* seconds) const;

    static void AddLap(const CoreDisplayStatusLapTime& sample, CoreDisplayStatusLapTime& previous,
                       LapVector& laps, LapVector& samples);
    static int EstimateSeconds(const LapVector& samples, unsigned long long total, unsigned long long done,
                               unsigned long long* seconds);

    unsigned long long totalElapsedMs = 0;
    unsigned long long copyElapsedMs = 0;
    ReadWriteData bytes;
    ReadWriteData weightedBytes;
    ReadWriteData items;
    CString readFolder;
    CString readPath;
    CString writeFolder;
    CString writeSourcePath;
    CString writeDestinationFolder;
    CString writeDestinationPath;
    CoreDisplayStatusLapTime lastRead;
    CoreDisplayStatusLapTime lastWrite;
    LapVector readLaps;
    LapVector writeLaps;
    LapVector readTotals;
    LapVector writeTotals;
    Exception* exception = nullptr;
    int ownsException = 0;
};

// Size text shown to the user: "999バイト", "0.97KB", "100.0KB", "100KB", "4.76MB". Three
// significant figures, truncated rather than rounded, in units of 1024.
CString FormatByteSize(unsigned long long size);

// Duration text of a time remaining in whole seconds: "1時間2分" (no seconds once there
// are hours), "2分5秒", "59秒", "0秒". The caller puts "約" in front where it is an estimate.
CString FormatDuration(unsigned long long seconds);

}  // namespace Swiftlet
