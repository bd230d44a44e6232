#pragma once
// The channel from the copy engine to whoever shows the job. Every progress report,
// error and question of one job is raised here by the engine's threads; the observers
// (the job window's handler, or the elevated process's pipe forwarder) run on the
// raising thread while the channel's semaphore is held, so at most one event of a job is
// being delivered at any time and an observer reads the event and its display status
// without a lock of its own. Questions are answered by writing `answer` (and
// `applyToAll`) before the observer returns; some answers are remembered for the job.
#include <windows.h>

#include <atomic>
#include <map>

#include "control/CoreDisplayStatus.h"
#include "engine/CopyException.h"
#include "foundation/CountedEvent.h"
#include "foundation/Observer.h"
#include "framework/CString.h"

namespace Swiftlet {

// Event codes.
enum CoreEventCode : int {
    kEventCoreStart = 1000,
    kEventCoreEnd = 1001,  // last event of a job
    kEventAlgorithmStart = 2000,
    kEventAlgorithmEnd = 2001,
    kEventError = 2002,     // status.exception is the error, or null for an unknown one
    kEventQuestion = 2003,  // status.exception describes it; an answer is expected
    kEventFindBegin = 2050,
    kEventFindEnd = 2051,
    kEventFindPaused = 2052,
    kEventFindResumed = 2053,
    kEventCopyBegin = 2100,
    kEventProgress = 2101,
    kEventReadProgress = 3000,
    kEventWriteProgress = 3001,
    kEventCopyPaused = 4000,
    kEventCopyResumed = 4001,
};

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
    mutable SRWLOCK lock = SRWLOCK_INIT;
    CString from;
    CString to;
};

// What the channel reads of the reader's or the writer's cursor of the copy status; the
// status's read and write operators implement it. Called on the thread that raises the
// progress event.
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

class CoreEvent : public DesignPatterns::Observable {
public:
    using TickSource = DWORD(WINAPI*)();

    // tickSource reads the millisecond clock that throttles progress events. Throws
    // WindowsException when the semaphore cannot be created.
    explicit CoreEvent(TickSource tickSource = &::GetTickCount);
    ~CoreEvent() override;
    CoreEvent(const CoreEvent&) = delete;
    CoreEvent& operator=(const CoreEvent&) = delete;

    // Slots 1-3 (Attach, Detach, Notify) are inherited. Observers are attached before the
    // job's thread starts raising events.

    virtual void OnCoreStart();
    virtual void OnCoreEnd();
    virtual void OnAlgorithmStart();
    virtual void OnAlgorithmEnd(unsigned long long totalMs, unsigned long long copyMs);
    // e (may be null for an unknown error) is shown while the observers run, never owned.
    virtual void OnError(Exception* e);
    virtual void OnQuestion(Exception* e);
    // findStatus must stay valid until OnFindEnd.
    virtual void OnFindBegin(HANDLE cancelEvent, HANDLE runEvent, CoreEventFindStatus* findStatus);
    // The same with the engine's own events, through which the controls then signal.
    void OnFindBegin(CountedEvent& cancelEvent, CountedEvent& runEvent, CoreEventFindStatus* findStatus);
    virtual void OnFindEnd();
    virtual void OnFindPaused();
    virtual void OnFindResumed();
    virtual void OnCopyBegin(const ICoreCopyTotals* copyStatus, HANDLE cancelEvent, HANDLE runEvent);
    void OnCopyBegin(const ICoreCopyTotals* copyStatus, CountedEvent& cancelEvent, CountedEvent& runEvent);
    // Progress of both sides; throttled by the writer's state.
    virtual void OnProgress(const ICoreProgressCursor* read, const ICoreProgressCursor* write,
                            unsigned long long totalMs, unsigned long long copyMs,
                            unsigned long long readPartialBytes, unsigned long long writtenPartialBytes);
    virtual void OnReadProgress(const ICoreProgressCursor* read, unsigned long long totalMs,
                                unsigned long long copyMs, unsigned long long partialBytes);
    virtual void OnWriteProgress(const ICoreProgressCursor* write, unsigned long long totalMs,
                                 unsigned long long copyMs, unsigned long long partialBytes);
    // Questions: each returns the answer (CopyAnswer; 0 when nobody answered). Answers
    // other than 0 and 1 given with applyToAll are reused for the rest of the job.
    virtual int AskRetry(CopyExceptionRetryFile* e);
    virtual int AskEncrypted(CopyExceptionEncrypted* e);
    virtual int AskOverwrite(CopyExceptionOverwrite* e);
    // Answer 8 fills selection (may be null) with the user's per-file choices.
    virtual int AskOverwriteFiles(CopyExceptionOverwriteFiles* e, SelectionMap* selection);
    virtual void OnCopyPaused();
    virtual void OnCopyResumed();
    // Delivers an event that happened in another process: the snapshot's progress and
    // exception (not owned) are shown with code. Returns the answer; *applyToAll (may be
    // null) is set only for answers other than 0 and 1, else 0; answer 8 fills selection.
    virtual int Replay(int code, const CoreDisplayStatus* snapshot, int* applyToAll, SelectionMap* selection);
    // Only sets eventCode.
    virtual void Raise(int code);

    // The user interface gives its per-file choices before answering 8.
    void SetSelection(const SelectionMap& map);

    HANDLE cancelEvent = nullptr;  // the algorithm's cancel event, handed over with 2050 and 2100
    HANDLE runEvent = nullptr;     // the algorithm's run event, same
    // The objects behind the two handles when the engine handed them over: whoever sets
    // or resets the events does it through them, so that the workers notice.
    CountedEvent* cancelSignal = nullptr;
    CountedEvent* runSignal = nullptr;
    int eventCode = 0;
    CoreDisplayStatus status;
    int answer = 0;
    int applyToAll = 0;
    HANDLE semaphore = nullptr;
    std::map<int, int> retryAnswers;  // Windows error code → remembered answer
    // Remembered answers read before the semaphore is taken: they only move from 0 to a
    // final answer.
    std::atomic<int> encryptedFileAnswer{0};
    std::atomic<int> encryptedFolderAnswer{0};
    std::atomic<int> fileOverFileAnswer{0};
    std::atomic<int> folderOverFileAnswer{0};
    std::atomic<int> folderOverFolderAnswer{0};
    std::atomic<int> fileOverFolderAnswer{0};
    SelectionMap selection;
    std::atomic<DWORD> bothProgressTick{0};
    std::atomic<DWORD> readProgressTick{0};
    std::atomic<DWORD> writeProgressTick{0};
    CoreEventFindStatus* findStatus = nullptr;

private:
    // Raises an event without arguments: semaphore, code, notify, release.
    void RaiseSimple(int code);
    // Whether a progress event of a slot passes the 100 ms throttle.
    bool Accept(const std::atomic<DWORD>& tick, const ICoreProgressCursor* side) const;
    // Shows e as a question and returns the answer with the observer's applyToAll; the
    // caller holds the semaphore.
    int AskUnderSemaphore(Exception* e, int* forAll);
    int AskRemembered(Exception* e, std::atomic<int>& remembered);
    void BeginFind(HANDLE cancel, HANDLE run, CountedEvent* cancelObject, CountedEvent* runObject,
                   CoreEventFindStatus* find);
    void BeginCopy(const ICoreCopyTotals* copyStatus, HANDLE cancel, HANDLE run, CountedEvent* cancelObject,
                   CountedEvent* runObject);

    TickSource tickSource;
};

}  // namespace Swiftlet
