#pragma once
// --verify: reads back every file a job wrote and compares it byte by byte with its
// source; for a move, deletes a source only once its copy compared equal, with the same
// retries the engine gives a moved source.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "console/ConsoleCopyCore.h"
#include "console/ConsoleQuestion.h"
#include "framework/CString.h"

namespace Swiftlet {

enum ConsoleCompareResult : int {
    kCompareStopped = -1,
    kCompareDifferent = 0,  // or unreadable; the reason says which
    kCompareEqual = 1,
};

class ConsoleVerifier {
public:
    // stop: an event that ends the work early (not owned; may be null).
    explicit ConsoleVerifier(HANDLE stop);
    ~ConsoleVerifier();
    ConsoleVerifier(const ConsoleVerifier&) = delete;
    ConsoleVerifier& operator=(const ConsoleVerifier&) = delete;

    // Compares one file (or named stream) with its copy. The copy is read past the
    // system's cache where the file system allows it, so that what is compared is what
    // reached the disk. *reason is set for kCompareDifferent.
    int Compare(const CString& source, const CString& destination, CString* reason);

    // Compares every file of a job. equal[i] tells whether outcome.files[i] and, for a
    // file, all of its streams compared equal. Problems get the files that did not, with
    // keptSources saying that their sources stay. kCompareStopped when stopped.
    int VerifyAll(const ConsoleJobOutcome& outcome, bool keptSources, std::vector<char>* equal,
                  std::vector<ConsoleProblem>* problems);

    // A verified move: deletes the sources of the files that compared equal (a file with
    // a stream that did not stays whole), then removes the source folders that are empty
    // now. Attempts and pauses as the engine's (retryCount + 1 attempts, retryWaitMs
    // apart). Failures go to problems. kCompareStopped when stopped.
    int RemoveSources(const ConsoleJobOutcome& outcome, const std::vector<char>& equal, uint32_t retryCount,
                      uint32_t retryWaitMs, std::vector<ConsoleProblem>* problems);

    // Progress, read by the status line from another thread.
    std::atomic<unsigned long long> bytesDone{0};
    std::atomic<unsigned long long> bytesTotal{0};
    std::atomic<unsigned long long> itemsDone{0};
    std::atomic<unsigned long long> itemsTotal{0};
    CString Current() const;

    // What VerifyAll found.
    unsigned long long filesCompared = 0;
    unsigned long long bytesCompared = 0;
    unsigned long long mismatches = 0;

private:
    bool Stopped() const;
    void SetCurrent(const CString& path);
    // Retries attempt like the engine; ERROR_SUCCESS or the last error.
    DWORD Retry(uint32_t retryCount, uint32_t retryWaitMs, DWORD stopOn, bool (*attempt)(const CString&),
                const CString& path);

    HANDLE stop;
    BYTE* buffers = nullptr;  // two aligned buffers, source then copy
    mutable SRWLOCK currentLock = SRWLOCK_INIT;
    CString current;
};

}  // namespace Swiftlet
