#include "control/CoreDisplayStatus.h"

#include <algorithm>
#include <cmath>

namespace Swiftlet {

CoreDisplayStatus::~CoreDisplayStatus() {
    ReleaseException();
}

CoreDisplayStatus::CoreDisplayStatus(const CoreDisplayStatus& other) {
    CopyProgressFrom(other);
    exception = other.exception;
}

CoreDisplayStatus& CoreDisplayStatus::operator=(const CoreDisplayStatus& other) {
    if (this != &other) {
        CopyProgressFrom(other);
        SetException(other.exception);
    }
    return *this;
}

void CoreDisplayStatus::SetTotals(unsigned long long totalBytes, unsigned long long totalWeightedBytes,
                                  unsigned long long itemCount) {
    bytes.total = totalBytes;
    weightedBytes.total = totalWeightedBytes;
    items.total = itemCount;
}

void CoreDisplayStatus::UpdateRead(const CoreDisplayCursor& cursor, unsigned long long partialBytes) {
    items.read = cursor.itemsDone;
    bytes.read = cursor.bytesDone + partialBytes;
    weightedBytes.read = cursor.weightedBytesDone + partialBytes;
    AddLap(CoreDisplayStatusLapTime(copyElapsedMs, weightedBytes.read), lastRead, readLaps, readTotals);
    if (cursor.state == 1) {
        readFolder = cursor.folder;
        readPath = cursor.sourcePath;
    } else {
        readPath.Empty();
    }
}

void CoreDisplayStatus::UpdateWrite(const CoreDisplayCursor& cursor, unsigned long long partialBytes) {
    items.written = cursor.itemsDone;
    bytes.written = cursor.bytesDone + partialBytes;
    weightedBytes.written = cursor.weightedBytesDone + partialBytes;
    AddLap(CoreDisplayStatusLapTime(copyElapsedMs, weightedBytes.written), lastWrite, writeLaps, writeTotals);
    if (cursor.state == 1) {
        writeFolder = cursor.folder;
        writeSourcePath = cursor.sourcePath;
        writeDestinationFolder = cursor.destinationFolder;
        writeDestinationPath = cursor.destinationPath;
    } else {
        writeSourcePath.Empty();
        writeDestinationPath.Empty();
    }
}

void CoreDisplayStatus::SetException(Exception* e) {
    if (e != nullptr && e == exception) {
        return;  // deleting it here would leave the record holding a freed object
    }
    ReleaseException();
    exception = e;
    ownsException = 0;
}

void CoreDisplayStatus::ReleaseException() {
    if (ownsException == 1) {
        delete exception;
    }
    exception = nullptr;
    ownsException = 0;
}

void CoreDisplayStatus::CopyProgressFrom(const CoreDisplayStatus& other) {
    if (this == &other) {
        return;
    }
    totalElapsedMs = other.totalElapsedMs;
    copyElapsedMs = other.copyElapsedMs;
    bytes = other.bytes;
    weightedBytes = other.weightedBytes;
    items = other.items;
    readFolder = other.readFolder;
    readPath = other.readPath;
    writeFolder = other.writeFolder;
    writeSourcePath = other.writeSourcePath;
    writeDestinationFolder = other.writeDestinationFolder;
    writeDestinationPath = other.writeDestinationPath;
    lastRead = other.lastRead;
    lastWrite = other.lastWrite;
    readLaps = other.readLaps;
    writeLaps = other.writeLaps;
    readTotals = other.readTotals;
    writeTotals = other.writeTotals;
}

void CoreDisplayStatus::AddLap(const CoreDisplayStatusLapTime& sample, CoreDisplayStatusLapTime& previous,
                               LapVector& laps, LapVector& samples) {
    if (sample.milliseconds != 0 && sample.bytes != 0) {
        samples.push_back(sample);
    }
    CoreDisplayStatusLapTime lap = sample;
    if (!laps.empty()) {
        lap.milliseconds = sample.milliseconds - previous.milliseconds;
        lap.bytes = sample.bytes - previous.bytes;
    }
    if (lap.milliseconds != 0 && lap.bytes != 0) {
        laps.push_back(lap);
    }
    previous = sample;
}

unsigned long long CoreDisplayStatus::GetSpeed(const LapVector& laps) {
    if (laps.empty() || laps.back().milliseconds == 0) {
        return 0;
    }
    const CoreDisplayStatusLapTime& lap = laps.back();
    const unsigned long long speed = lap.bytes / lap.milliseconds * 1000;
    if (speed != 0) {
        return speed;
    }
    return lap.bytes * 1000 / lap.milliseconds;
}

int CoreDisplayStatus::EstimateSeconds(const LapVector& samples, unsigned long long total, unsigned long long done,
                                       unsigned long long* seconds) {
    if (samples.empty() || done >= total || samples.back().milliseconds == 0) {
        return 0;
    }
    const CoreDisplayStatusLapTime& last = samples.back();
    unsigned long long rate = last.bytes / last.milliseconds * 1000;
    if (rate == 0) {
        // Below 1000 bytes a second the coarse rate is 0; without the finer one a crawling
        // copy would claim to be a second from the end.
        rate = last.bytes * 1000 / last.milliseconds;
    }
    if (rate == 0) {
        return 1;
    }
    const unsigned long long remaining = total - done;
    *seconds = remaining / rate + (remaining % rate != 0 ? 1 : 0);
    return 1;
}

namespace {

// The drive letter of a folder in lower case, 0 for a network or other path. A long-path
// prefix ("\\?\C:\...") is looked through so that it does not pass for a network path.
wchar_t LowerDriveLetter(const CString& folder) {
    int first = 0;
    if (folder.GetLength() >= 6 && folder.Left(4) == L"\\\\?\\" && folder.GetAt(5) == L':') {
        first = 4;
    }
    if (folder.GetLength() <= first) {
        return 0;
    }
    wchar_t ch = folder.GetAt(first);
    if (ch >= L'A' && ch <= L'Z') {
        ch = static_cast<wchar_t>(ch - L'A' + L'a');
    }
    return (ch >= L'a' && ch <= L'z') ? ch : 0;
}

}  // namespace

int CoreDisplayStatus::GetRemainingSeconds(unsigned long long* seconds) const {
    unsigned long long result = 0;
    if (items.written >= items.total) {
        *seconds = 0;
        return 1;
    }
    unsigned long long readSeconds = 0;
    unsigned long long writeSeconds = 0;
    if (EstimateSeconds(readTotals, weightedBytes.total, weightedBytes.read, &readSeconds) != 1) {
        readSeconds = 0;
    }
    if (EstimateSeconds(writeTotals, weightedBytes.total, weightedBytes.written, &writeSeconds) != 1) {
        return 0;
    }
    const wchar_t readDrive = LowerDriveLetter(readFolder);
    if (readDrive != 0 && readDrive == LowerDriveLetter(writeDestinationFolder)) {
        // One disk does both the reading and the writing.
        result = readSeconds + writeSeconds;
    } else {
        result = std::max(readSeconds, writeSeconds);
    }
    *seconds = result == 0 ? 1 : result;
    return 1;
}

CString FormatByteSize(unsigned long long size) {
    static const wchar_t* const kUnits[] = {L"バイト", L"KB", L"MB", L"GB", L"TB", L"PB", L"EB"};
    constexpr int kUnitCount = static_cast<int>(sizeof(kUnits) / sizeof(kUnits[0]));
    CString text;
    if (size < 1000) {
        text.Format(L"%d", static_cast<int>(size));
        return text + kUnits[0];
    }
    unsigned long long v = size;
    int unit = 1;
    for (; unit < kUnitCount; ++unit) {
        if (v / 1024 < 100) {
            // v is below 102400 here. Cut to two decimals first, then printed with two
            // below 10 and one above: 1023 bytes is "0.99KB", 102399 is "100.0KB".
            const double x = std::floor(static_cast<double>(static_cast<int>(v)) * (1.0 / 1024) * 100) / 100;
            text.Format(x < 10 ? L"%.2f" : L"%.1f", x);
            return text + kUnits[unit];
        }
        if (v / 1024 < 1000) {
            text.Format(L"%d", static_cast<int>(v / 1024));
            return text + kUnits[unit];
        }
        v /= 1024;
    }
    text.Format(L"%d", static_cast<int>(v));
    return text + kUnits[kUnitCount - 1];
}

CString FormatDuration(unsigned long long seconds) {
    const unsigned long long hours = seconds / 3600;
    const unsigned long long minutes = seconds % 3600 / 60;
    const unsigned long long rest = seconds % 60;
    CString text;
    if (hours > 0)
        text.AppendFormat(L"%I64d%s", hours, L"時間");
    if (minutes > 0)
        text.AppendFormat(L"%I64d%s", minutes, L"分");
    if (hours == 0 && rest > 0)
        text.AppendFormat(L"%I64d%s", rest, L"秒");
    if (text.IsEmpty())
        text.Format(L"0%s", L"秒");
    return text;
}

}  // namespace Swiftlet
