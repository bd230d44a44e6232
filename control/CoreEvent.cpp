#include "control/CoreEvent.h"

#include <utility>

#include "framework/Resource.h"

namespace Swiftlet {

namespace {

// Progress of one slot is shown at most this often.
constexpr DWORD kProgressIntervalMs = 100;

bool IsFolder(const WIN32_FILE_ATTRIBUTE_DATA& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Remembers(int answer) {
    return answer != 0 && answer != kAnswerRetry;
}

}  // namespace

CoreEvent::CoreEvent(TickSource tickSource) : m_tickSource(tickSource != nullptr ? tickSource : &::GetTickCount) {
    semaphore = CreateSemaphoreW(nullptr, 1, 1, nullptr);
    if (semaphore == nullptr) {
        throw WindowsException(GetLastError());
    }
}

CoreEvent::~CoreEvent() {
    CloseHandle(semaphore);
}

void CoreEvent::Raise(int code) {
    eventCode = code;
}

void CoreEvent::RaiseSimple(int code) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    Raise(code);
    Notify();
}

void CoreEvent::OnCoreStart() { RaiseSimple(kEventCoreStart); }
void CoreEvent::OnCoreEnd() { RaiseSimple(kEventCoreEnd); }
void CoreEvent::OnAlgorithmStart() { RaiseSimple(kEventAlgorithmStart); }
void CoreEvent::OnFindPaused() { RaiseSimple(kEventFindPaused); }
void CoreEvent::OnFindResumed() { RaiseSimple(kEventFindResumed); }
void CoreEvent::OnCopyPaused() { RaiseSimple(kEventCopyPaused); }
void CoreEvent::OnCopyResumed() { RaiseSimple(kEventCopyResumed); }

void CoreEvent::OnAlgorithmEnd(unsigned long long totalMs, unsigned long long copyMs) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    status.totalElapsedMs = totalMs;
    status.copyElapsedMs = copyMs;
    Raise(kEventAlgorithmEnd);
    Notify();
}

void CoreEvent::OnError(Exception* e) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    status.SetException(e);
    const auto forget = ScopeExit([this] { status.ReleaseException(); });
    Raise(kEventError);
    Notify();
}

void CoreEvent::OnQuestion(Exception* e) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    status.SetException(e);
    const auto forget = ScopeExit([this] { status.ReleaseException(); });
    Raise(kEventQuestion);
    Notify();
}

void CoreEvent::OnFindBegin(HANDLE cancel, HANDLE run, CoreEventFindStatus* find) {
    BeginFind(cancel, run, nullptr, nullptr, find);
}

void CoreEvent::OnFindBegin(CountedEvent& cancel, CountedEvent& run, CoreEventFindStatus* find) {
    BeginFind(cancel.Handle(), run.Handle(), &cancel, &run, find);
}

void CoreEvent::BeginFind(HANDLE cancel, HANDLE run, CountedEvent* cancelObject, CountedEvent* runObject,
                          CoreEventFindStatus* find) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    cancelEvent = cancel;
    runEvent = run;
    cancelSignal = cancelObject;
    runSignal = runObject;
    findStatus = find;
    Raise(kEventFindBegin);
    Notify();
}

void CoreEvent::OnFindEnd() {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    cancelEvent = nullptr;
    runEvent = nullptr;
    cancelSignal = nullptr;
    runSignal = nullptr;
    findStatus = nullptr;
    Raise(kEventFindEnd);
    Notify();
}

void CoreEvent::OnCopyBegin(const ICoreCopyTotals* copyStatus, HANDLE cancel, HANDLE run) {
    BeginCopy(copyStatus, cancel, run, nullptr, nullptr);
}

void CoreEvent::OnCopyBegin(const ICoreCopyTotals* copyStatus, CountedEvent& cancel, CountedEvent& run) {
    BeginCopy(copyStatus, cancel.Handle(), run.Handle(), &cancel, &run);
}

void CoreEvent::BeginCopy(const ICoreCopyTotals* copyStatus, HANDLE cancel, HANDLE run, CountedEvent* cancelObject,
                          CountedEvent* runObject) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    cancelEvent = cancel;
    runEvent = run;
    cancelSignal = cancelObject;
    runSignal = runObject;
    if (copyStatus != nullptr) {
        unsigned long long bytes = 0, weighted = 0, items = 0;
        copyStatus->GetCopyTotals(&bytes, &weighted, &items);
        status.SetTotals(bytes, weighted, items);
    }
    Raise(kEventCopyBegin);
    Notify();
}

bool CoreEvent::Accept(const std::atomic<DWORD>& tick, const ICoreProgressCursor* side) const {
    // The last report of a side that has finished always gets through: dropping it would
    // leave the display short of 100 %.
    if (side != nullptr && side->GetCursorState() == 2) {
        return true;
    }
    const DWORD last = tick.load();
    return last == 0 || m_tickSource() - last >= kProgressIntervalMs;
}

void CoreEvent::OnProgress(const ICoreProgressCursor* read, const ICoreProgressCursor* write,
                           unsigned long long totalMs, unsigned long long copyMs,
                           unsigned long long readPartialBytes, unsigned long long writtenPartialBytes) {
    if (!Accept(bothProgressTick, write)) {
        return;
    }
    {
        const SemaphoreHold delivery = HoldSemaphore(semaphore);
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        if (write != nullptr) {
            status.UpdateWrite(write->GetDisplayCursor(), writtenPartialBytes);
        }
        if (read != nullptr) {
            status.UpdateRead(read->GetDisplayCursor(), readPartialBytes);
        }
        Raise(kEventProgress);
        Notify();
    }
    bothProgressTick = m_tickSource();
}

void CoreEvent::OnReadProgress(const ICoreProgressCursor* read, unsigned long long totalMs,
                               unsigned long long copyMs, unsigned long long partialBytes) {
    if (!Accept(readProgressTick, read)) {
        return;
    }
    {
        const SemaphoreHold delivery = HoldSemaphore(semaphore);
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        if (read != nullptr) {
            status.UpdateRead(read->GetDisplayCursor(), partialBytes);
        }
        Raise(kEventReadProgress);
        Notify();
    }
    readProgressTick = m_tickSource();
}

void CoreEvent::OnWriteProgress(const ICoreProgressCursor* write, unsigned long long totalMs,
                                unsigned long long copyMs, unsigned long long partialBytes) {
    if (!Accept(writeProgressTick, write)) {
        return;
    }
    {
        const SemaphoreHold delivery = HoldSemaphore(semaphore);
        status.totalElapsedMs = totalMs;
        status.copyElapsedMs = copyMs;
        if (write != nullptr) {
            status.UpdateWrite(write->GetDisplayCursor(), partialBytes);
        }
        Raise(kEventWriteProgress);
        Notify();
    }
    writeProgressTick = m_tickSource();
}

int CoreEvent::AskUnderSemaphore(Exception* e, int* forAll) {
    answer = 0;
    applyToAll = 0;
    status.SetException(e);
    // The question is forgotten however the observers return.
    const auto forget = ScopeExit([this] {
        status.ReleaseException();
        answer = 0;
        applyToAll = 0;
    });
    Raise(kEventQuestion);
    Notify();
    *forAll = applyToAll;
    return answer;
}

int CoreEvent::AskRetry(CopyExceptionRetryFile* e) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    // Answers are remembered per Windows error; a question rebuilt without its inner
    // error has nothing to be remembered by.
    const WindowsFileException* inner = e != nullptr ? e->error : nullptr;
    const int key = inner != nullptr ? static_cast<int>(inner->error) : 0;
    if (inner != nullptr) {
        const int remembered = retryAnswers.emplace(key, 0).first->second;
        if (remembered != 0) {
            return remembered;
        }
    }
    int forAll = 0;
    const int result = AskUnderSemaphore(e, &forAll);
    if (inner != nullptr && forAll == 1 && Remembers(result)) {
        retryAnswers[key] = result;
    }
    return result;
}

int CoreEvent::AskRemembered(Exception* e, std::atomic<int>& remembered) {
    const int early = remembered.load();
    if (early != 0) {
        return early;
    }
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    // Another thread may have had the same question answered for all while this one
    // waited for the semaphore.
    const int late = remembered.load();
    if (late != 0) {
        return late;
    }
    int forAll = 0;
    const int result = AskUnderSemaphore(e, &forAll);
    if (forAll == 1 && Remembers(result)) {
        remembered = result;
    }
    return result;
}

int CoreEvent::AskEncrypted(CopyExceptionEncrypted* e) {
    const bool folder = e != nullptr && IsFolder(e->data);
    return AskRemembered(e, folder ? encryptedFolderAnswer : encryptedFileAnswer);
}

int CoreEvent::AskOverwrite(CopyExceptionOverwrite* e) {
    const bool sourceFolder = e != nullptr && IsFolder(e->sourceData);
    const bool existingFolder = e != nullptr && IsFolder(e->destinationData);
    std::atomic<int>& remembered = existingFolder ? (sourceFolder ? folderOverFolderAnswer : fileOverFolderAnswer)
                                                  : (sourceFolder ? folderOverFileAnswer : fileOverFileAnswer);
    return AskRemembered(e, remembered);
}

int CoreEvent::AskOverwriteFiles(CopyExceptionOverwriteFiles* e, SelectionMap* chosen) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    answer = 0;
    applyToAll = 0;
    status.SetException(e);
    selection.clear();
    const auto forget = ScopeExit([this] {
        status.ReleaseException();
        answer = 0;
        applyToAll = 0;
        selection.clear();
    });
    Raise(kEventQuestion);
    Notify();
    const int result = answer;
    if (result == kAnswerSelection && chosen != nullptr) {
        *chosen = selection;
    }
    return result;
}

int CoreEvent::Replay(int code, const CoreDisplayStatus* snapshot, int* forAllOut, SelectionMap* chosen) {
    const SemaphoreHold delivery = HoldSemaphore(semaphore);
    if (snapshot != nullptr) {
        status.CopyProgressFrom(*snapshot);
    }
    answer = 0;
    applyToAll = 0;
    status.SetException(snapshot != nullptr ? snapshot->exception : nullptr);
    const auto forget = ScopeExit([this] {
        status.ReleaseException();
        answer = 0;
        applyToAll = 0;
        selection.clear();
    });
    Raise(code);
    Notify();
    const int result = answer;
    if (forAllOut != nullptr) {
        *forAllOut = Remembers(result) ? applyToAll : 0;
    }
    if (result == kAnswerSelection && chosen != nullptr) {
        *chosen = selection;
    }
    return result;
}

void CoreEvent::SetSelection(const SelectionMap& map) {
    selection = map;
}

}  // namespace Swiftlet
