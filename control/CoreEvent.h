#pragma once
// The channel from the copy engine to whoever shows the job. Every progress report,
// error and question of one job is raised here by the engine's threads; the observers
// (the job's panel's handler in the task window, or the terminal's) run on the
// raising thread while the channel's semaphore is held, so at most one event of a job is
// being delivered at any time and an observer reads the event and its display status
// without a lock of its own. Questions are answered by writing `answer` (and
// `applyToAll`) before the observer returns; some answers are remembered for the job.
#include <windows.h>

#include <atomic>
#include <map>

#include "control/CoreDisplayStatus.h"
#include "engine/CopyEvents.h"
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

// The engine reports through ICopyEvents; the job's runner raises the start and end of
// the job here, and events that happened in another process are replayed here.
class CoreEvent : public DesignPatterns::Observable, public ICopyEvents {
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
    void OnAlgorithmStart() override;
    void OnAlgorithmEnd(unsigned long long totalMs, unsigned long long copyMs) override;
    // e (may be null for an unknown error) is shown while the observers run, never owned.
    void OnError(Exception* e) override;
    virtual void OnQuestion(Exception* e);
    // findStatus must stay valid until OnFindEnd.
    void OnFindBegin(HANDLE cancelEvent, HANDLE runEvent, CoreEventFindStatus* findStatus) override;
    // The same with the engine's own events, through which the controls then signal.
    void OnFindBegin(CountedEvent& cancelEvent, CountedEvent& runEvent, CoreEventFindStatus* findStatus) override;
    void OnFindEnd() override;
    void OnFindPaused() override;
    void OnFindResumed() override;
    virtual void OnCopyBegin(const ICoreCopyTotals* copyStatus, HANDLE cancelEvent, HANDLE runEvent);
    void OnCopyBegin(const ICoreCopyTotals* copyStatus, CountedEvent& cancelEvent, CountedEvent& runEvent) override;
    // Progress of both sides; throttled by the writer's state.
    void OnProgress(const ICoreProgressCursor* read, const ICoreProgressCursor* write, unsigned long long totalMs,
                    unsigned long long copyMs, unsigned long long readPartialBytes,
                    unsigned long long writtenPartialBytes) override;
    void OnReadProgress(const ICoreProgressCursor* read, unsigned long long totalMs, unsigned long long copyMs,
                        unsigned long long partialBytes) override;
    void OnWriteProgress(const ICoreProgressCursor* write, unsigned long long totalMs, unsigned long long copyMs,
                         unsigned long long partialBytes) override;
    // Questions: each returns the answer (CopyAnswer; 0 when nobody answered). Answers
    // other than 0 and 1 given with applyToAll are reused for the rest of the job.
    int AskRetry(CopyExceptionRetryFile* e) override;
    int AskEncrypted(CopyExceptionEncrypted* e) override;
    int AskOverwrite(CopyExceptionOverwrite* e) override;
    // Answer 8 fills selection (may be null) with the user's per-file choices.
    int AskOverwriteFiles(CopyExceptionOverwriteFiles* e, SelectionMap* selection) override;
    void OnCopyPaused() override;
    void OnCopyResumed() override;
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

    TickSource m_tickSource;
};

}  // namespace Swiftlet
