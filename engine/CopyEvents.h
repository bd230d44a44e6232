#pragma once
// What the copy engine tells whoever watches a job, declared here so that the engine
// needs nothing above it: the algorithm and the find step report progress, errors and
// questions to an ICopyEvents, and hand over small read-only views of their status with
// those reports. The job's event channel (control/CoreEvent) implements it.
#include <windows.h>

#include <atomic>
#include <map>

#include "engine/CopyException.h"
#include "foundation/CountedEvent.h"
#include "framework/CString.h"

namespace Swiftlet {

// Orders paths without regard to case, by the system's ordinal upper-case mapping.
struct CStringLessNoCase {
    bool operator()(const CString& a, const CString& b) const { return a.CompareNoCase(b) < 0; }
};

// The user's per-file choice in the many-conflicts question: full source path → 2 (skip),
// 5 (overwrite) or 7 (keep both).
using SelectionMap = std::map<CString, int, CStringLessNoCase>;

// What enumeration shows while it runs. The enumeration thread writes it and the user
// interface reads it from a timer without waiting for an event, so the paths sit behind
// a lock and the counters are atomic.
class CoreEventFindStatus {
public:
    CoreEventFindStatus();
    virtual ~CoreEventFindStatus();
    CoreEventFindStatus(const CoreEventFindStatus&) = delete;
    CoreEventFindStatus& operator=(const CoreEventFindStatus&) = delete;

    void SetFrom(const CString& path);
    void SetTo(const CString& path);
    CString GetFrom() const;
    CString GetTo() const;

    std::atomic<unsigned long long> bytesFound{0};
    std::atomic<unsigned long long> itemsFound{0};

private:
    mutable SRWLOCK m_lock = SRWLOCK_INIT;
    CString m_from;
    CString m_to;
};

// What the display takes from the reader's or the writer's cursor of the copy status.
struct CoreDisplayCursor {
    int state = 0;  // 1 running, 2 finished, 3 failed
    unsigned long long itemsDone = 0;
    unsigned long long bytesDone = 0;
    unsigned long long weightedBytesDone = 0;
    CString folder;             // base folder of the cursor's tree
    CString sourcePath;         // full source path of the current item
    CString destinationFolder;  // destination name of the tree's base folder
    CString destinationPath;    // full destination path of the current item
};

// What a progress report reads of the reader's or the writer's cursor of the copy
// status; the status's read and write operators implement it. Called on the thread that
// raises the progress event.
class ICoreProgressCursor {
public:
    virtual ~ICoreProgressCursor() = default;
    // 1 running, 2 finished, 3 failed. Asked before an event is throttled, so it must be
    // cheap.
    virtual int GetCursorState() const = 0;
    virtual CoreDisplayCursor GetDisplayCursor() const = 0;
};

// The enumeration totals of the copy status (total size, weighted size, folders plus
// files); the status implements it.
class ICoreCopyTotals {
public:
    virtual ~ICoreCopyTotals() = default;
    virtual void GetCopyTotals(unsigned long long* totalBytes, unsigned long long* weightedBytes,
                               unsigned long long* items) const = 0;
};

// Every report of a running job, in the order a job raises them: algorithm start, the
// find step (begin, paused/resumed, end), copy begin, progress of either side, paused
// and resumed, errors and questions at any time, algorithm end. Each call returns once
// the report has been dealt with; a question returns its answer (CopyAnswer; 0 when
// nobody answered). Called from the job's thread and from both worker threads.
class ICopyEvents {
public:
    virtual ~ICopyEvents() = default;

    virtual void OnAlgorithmStart() = 0;
    virtual void OnAlgorithmEnd(unsigned long long totalMs, unsigned long long copyMs) = 0;
    // e (may be null for an unknown error) is shown while the report is dealt with, never
    // owned.
    virtual void OnError(Exception* e) = 0;

    // The find step hands over its cancel and run events, by handle or as the engine's own
    // objects, through which the watcher then signals; findStatus stays valid until
    // OnFindEnd.
    virtual void OnFindBegin(HANDLE cancelEvent, HANDLE runEvent, CoreEventFindStatus* findStatus) = 0;
    virtual void OnFindBegin(CountedEvent& cancelEvent, CountedEvent& runEvent,
                             CoreEventFindStatus* findStatus) = 0;
    virtual void OnFindEnd() = 0;
    virtual void OnFindPaused() = 0;
    virtual void OnFindResumed() = 0;

    // copyStatus gives the totals of the enumeration.
    virtual void OnCopyBegin(const ICoreCopyTotals* copyStatus, CountedEvent& cancelEvent,
                             CountedEvent& runEvent) = 0;
    // Progress of both sides at once (a job continued from another process shows what was
    // done before it came).
    virtual void OnProgress(const ICoreProgressCursor* read, const ICoreProgressCursor* write,
                            unsigned long long totalMs, unsigned long long copyMs,
                            unsigned long long readPartialBytes, unsigned long long writtenPartialBytes) = 0;
    // partialBytes: what the side has done of its current file.
    virtual void OnReadProgress(const ICoreProgressCursor* read, unsigned long long totalMs,
                                unsigned long long copyMs, unsigned long long partialBytes) = 0;
    virtual void OnWriteProgress(const ICoreProgressCursor* write, unsigned long long totalMs,
                                 unsigned long long copyMs, unsigned long long partialBytes) = 0;
    virtual void OnCopyPaused() = 0;
    virtual void OnCopyResumed() = 0;

    virtual int AskRetry(CopyExceptionRetryFile* e) = 0;
    virtual int AskEncrypted(CopyExceptionEncrypted* e) = 0;
    virtual int AskOverwrite(CopyExceptionOverwrite* e) = 0;
    // Answer 8 fills selection (may be null) with the user's per-file choices.
    virtual int AskOverwriteFiles(CopyExceptionOverwriteFiles* e, SelectionMap* selection) = 0;
};

}  // namespace Swiftlet
