#include "engine/CopyAlgorithm.h"

#include "engine/CopyException.h"
#include "engine/CopyStatusFind.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

HANDLE MakeEvent(BOOL manualReset, BOOL signalled) {
    HANDLE event = CreateEventW(nullptr, manualReset, signalled, nullptr);
    if (!event)
        throw CopyException(kCopyPrepareFailed);
    return event;
}

void MakeEvent(CountedEvent& event, bool manualReset, bool signalled) {
    event.Close();
    if (!event.Create(manualReset, signalled))
        throw CopyException(kCopyPrepareFailed);
}

void MakeEvent(WakeSignal& event) {
    event.Close();
    if (!event.Create())
        throw CopyException(kCopyPrepareFailed);
}

void CloseEvent(HANDLE& event) {
    if (event) {
        CloseHandle(event);
        event = nullptr;
    }
}

}  // namespace

CopyAlgorithmMultiThread::CopyAlgorithmMultiThread(const CopyOption& option, ICopyEvents* events)
    : option(option), events(events), readWalk(&status), writeWalk(&status), pauseLock(1, 1) {}

CopyAlgorithmMultiThread::~CopyAlgorithmMultiThread() {
    Cleanup();
    cancelEvent.Close();
    runEvent.Close();
}

void CopyAlgorithmMultiThread::SetElevatePeer(ICopyElevatePeer* peer) {
    elevatePeer = peer;
}

uint64_t CopyAlgorithmMultiThread::TotalMs() const {
    return static_cast<uint64_t>(totalWatch.ElapsedMicroseconds() / 1000);
}

uint64_t CopyAlgorithmMultiThread::CopyMs() const {
    return static_cast<uint64_t>(copyWatch.ElapsedMicroseconds() / 1000);
}

void CopyAlgorithmMultiThread::Report(const Exception* e) {
    failed = 1;
    if (events)
        events->OnError(const_cast<Exception*>(e));
}

int CopyAlgorithmMultiThread::Run() {
    uint64_t copyMs = 0;
    try {
        totalWatch.Start();
        if (events)
            events->OnAlgorithmStart();
        Prepare();
        bool done = false;
        if (elevatePeer) {
            if (!elevatePeer->GetStatus(status))
                throw CopyException(kCopyElevatedNoStatus);
            status.option = &option;
            if (events) {
                events->OnCopyBegin(&status, cancelEvent, runEvent);
                // What was done before the job came here is shown from the start.
                events->OnProgress(&readWalk, &writeWalk, TotalMs(), 0, 0, 0);
            }
        } else if (MoveByRenaming() == 1) {
            done = true;
        } else {
            Find();
            if (events)
                events->OnCopyBegin(&status, cancelEvent, runEvent);
            CheckFreeSpace();
        }
        if (!done) {
            CreatePool();
            copyWatch.Start();
            RunThreads();
            copyMs = CopyMs();
            if (failed == 0 && stopForElevation == 0)
                CheckEverythingDone();
            // A worker that stopped for administrator rights leaves the rest of the job
            // to the elevated process; this run ends when that process has ended.
            if (stopForElevation == 1)
                HandOverToElevated();
        }
    } catch (const Exception& e) {
        Report(&e);
    } catch (...) {
        Report(nullptr);
    }
    try {
        if (copyWatch.start != 0)
            copyMs = CopyMs();
        uint64_t totalMs = TotalMs();
        Cleanup();
        totalWatch.Stop();
        if (copyWatch.start != 0)
            copyWatch.Stop();
        if (events)
            events->OnAlgorithmEnd(totalMs, copyMs);
    } catch (...) {
        failed = 1;
    }
    // The user interface holds these two until the finished event: closed only now, so
    // that a late click never signals a handle that was closed (or reused) under it.
    cancelEvent.Close();
    runEvent.Close();
    return failed ? 0 : 1;
}

void CopyAlgorithmMultiThread::Prepare() {
    status.ResetCounters();
    CopyStatusSetOptionOperator(&status).Set(&option);
    manager = new CopyBufferManagerSlimLock;
    reader = new CopyItemReader;
    writer = new CopyItemWriter;
    MakeEvent(cancelEvent, false, false);
    // Manual reset: a worker that checks it never takes the signal away, so a pause the
    // user asks for while a worker looks at the event cannot be lost.
    MakeEvent(runEvent, true, true);
    MakeEvent(readerWake);
    MakeEvent(writerWake);
    readerPolls = WorkerPolls{};
    writerPolls = WorkerPolls{};
    if (option.batchFileConflicts == 1) {
        batchReaderDone = MakeEvent(FALSE, FALSE);
        batchWriterDone = MakeEvent(FALSE, FALSE);
        batchDecided = MakeEvent(FALSE, FALSE);
    }
    stopForElevation = 0;
    try {
        int noEvent = 0;
        uint64_t blockSize = option.readBlockSize;
        reader->Init(manager, &noEvent, &blockSize);
        writer->Init(manager, &noEvent, &option);
    } catch (...) {
        throw CopyException(kCopyPrepareFailed);
    }
}

int CopyAlgorithmMultiThread::MoveByRenaming() {
    if (option.move != 1 || option.sources.empty())
        return 0;
    const CString destinationLong = ToLongPath(option.destination);
    for (const CString& source : option.sources) {
        if (!IsOnSameRoot(ToLongPath(source), destinationLong))
            return 0;
    }
    CString folder = option.destination;
    if (folder.IsEmpty() || folder[folder.GetLength() - 1] != L'\\')
        folder += L'\\';
    std::vector<CString> remaining;
    for (const CString& source : option.sources) {
        // MoveFileW never replaces an existing target: such a source is copied below,
        // through the conflict handling, and then deleted. A source that is a link the
        // system cannot open as itself (Wine) is copied too: renaming it by its name
        // would move what it leads to.
        const CString target = folder + CopyStatusFindOperator::SourceItemName(source);
        if (remover.OpensAsItself(FindCopyItem::NormalizeSource(source)) != 1 ||
            !MoveFileW(ToLongPath(source), ToLongPath(target)))
            remaining.push_back(source);
    }
    if (remaining.empty())
        return 1;
    option.sources = remaining;
    return 0;
}

void CopyAlgorithmMultiThread::Find() {
    CopyStatusFindOperator find(&status, events, cancelEvent, runEvent);
    find.Find(option.sources, option.destination, option.move == 1 ? 1 : 0);
}

void CopyAlgorithmMultiThread::CheckFreeSpace() {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(ToLongPath(option.destination), &available, nullptr, nullptr))
        throw WindowsFileException(GetLastError(), option.destination);
    const uint64_t needed = status.items.totalSize;
    if (available.QuadPart < needed)
        throw CopyExceptionNotFreeSpace(needed - available.QuadPart);
}

void CopyAlgorithmMultiThread::CreatePool() {
    unsigned long long size = option.bufferSize;
    uint32_t alignment = GetIoAlignment(option.destination, option.sources, size);
    // The pool is committed and locked in full: a small job need not pay for 64 MiB.
    uint64_t created = PoolSizeFor(status.items, size, alignment, option.readBlockSize);
    if (manager->Create(&created, &alignment) != 1)
        throw CopyException(kCopyBufferPoolFailed);
    poolSize = created;
}

uint64_t CopyAlgorithmMultiThread::PoolSizeFor(const CopyItemsData& items, uint64_t configured, uint32_t alignment,
                                               uint64_t readBlockSize) {
    // Every record and block is rounded up to the alignment (at least a cache line here).
    const uint64_t unit = alignment > 64 ? alignment : 64;
    auto roundUp = [](uint64_t value, uint64_t to) { return (value + to - 1) / to * to; };
    uint64_t need = 0;
    for (const CopyItemTree& tree : items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->type != CopyItemData::File && it->type != CopyItemData::Stream)
                continue;
            // A file as large as the pool takes all of it, in turns.
            if (it->size >= configured)
                return configured;
            const uint64_t blocks = readBlockSize != 0 ? it->size / readBlockSize + 1 : 1;
            need += roundUp(ICopyBufferManager::FileBufferQueueData::kHeaderLength, unit) + roundUp(it->size, unit) +
                    blocks * unit;
            if (need >= configured)
                return configured;
        }
    }
    // Whole allocation units of the system, unless the alignment does not divide them.
    const uint64_t grain = alignment == 0 || 0x10000 % alignment == 0 ? 0x10000 : alignment;
    const uint64_t sized = roundUp(need == 0 ? 1 : need, grain);
    return sized < configured ? sized : configured;
}

void CopyAlgorithmMultiThread::RunThreads() {
    readerThread = AfxBeginThread(&ReaderThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    writerThread = AfxBeginThread(&WriterThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!readerThread || !writerThread) {
        // A thread that never ran deletes nothing itself: end it unstarted.
        for (CWinThread** thread : {&readerThread, &writerThread}) {
            if (*thread) {
                (*thread)->m_bAutoDelete = FALSE;
                TerminateThread((*thread)->m_hThread, 0);
                WaitForSingleObject((*thread)->m_hThread, INFINITE);
                delete *thread;
                *thread = nullptr;
            }
        }
        throw CopyException(kCopyPrepareFailed);
    }
    // Run waits on the handles: the objects must outlive the threads.
    readerThread->m_bAutoDelete = FALSE;
    writerThread->m_bAutoDelete = FALSE;
    readerThread->ResumeThread();
    writerThread->ResumeThread();

    HANDLE threads[2] = {readerThread->m_hThread, writerThread->m_hThread};
    DWORD first = WaitForMultipleObjects(2, threads, FALSE, INFINITE);
    // A side that failed stops the other one too.
    if (first == WAIT_OBJECT_0 && readWalk.GetState() == CopyStatusItemInfo::Failed)
        cancelEvent.Set();
    else if (first == WAIT_OBJECT_0 + 1 && writeWalk.GetState() == CopyStatusItemInfo::Failed)
        cancelEvent.Set();
    // Both threads use the pool, the reader and the writer: wait for both whatever
    // state their walks are in.
    WaitForMultipleObjects(2, threads, TRUE, INFINITE);
}

void CopyAlgorithmMultiThread::CheckEverythingDone() const {
    for (const CopyItemTree& tree : status.items.trees) {
        for (auto it = tree.begin(); it != tree.end(); ++it) {
            if (it->type == CopyItemData::BaseFolder)
                continue;
            // A file still set aside never got its decision: its skip is not the user's.
            const bool undecided = it->type == CopyItemData::File && it->HasFlags(CopyItemData::Deferred);
            if (undecided || !it->HasFlags(CopyItemData::Written | CopyItemData::Skip))
                throw CopyException(kCopyItemsLeftUndone);
        }
    }
}

void CopyAlgorithmMultiThread::HandOverToElevated() {
    ReleaseWorkers();
    if (!elevateHandOver)
        return;
    CopyElevateJob job;
    job.option = &option;
    job.events = events;
    job.cancelEvent = &cancelEvent;
    job.runEvent = &runEvent;
    job.status = &status;
    job.totalWatch = &totalWatch;
    job.copyWatch = &copyWatch;
    elevateHandOver->HandOver(job);
}

void CopyAlgorithmMultiThread::Cleanup() {
    ReleaseWorkers();
    status.ResetCounters();
}

void CopyAlgorithmMultiThread::ReleaseWorkers() {
    for (CWinThread** thread : {&readerThread, &writerThread}) {
        if (*thread) {
            WaitForSingleObject((*thread)->m_hThread, INFINITE);
            delete *thread;
            *thread = nullptr;
        }
    }
    delete reader;
    reader = nullptr;
    delete writer;
    writer = nullptr;
    if (manager && manager->GetPeakUsed() > poolPeakUsed)
        poolPeakUsed = manager->GetPeakUsed();
    delete manager;
    manager = nullptr;
    readerWake.Close();
    writerWake.Close();
    for (HANDLE* event : {&batchReaderDone, &batchWriterDone, &batchDecided})
        CloseEvent(*event);
    folderTimes.Clear();
}

// ---- checks and waits shared by both workers ----

void CopyAlgorithmMultiThread::PauseCheck(WorkerPolls& polls) {
    // The run event stays signalled while the job runs (manual reset): the check of a
    // running job changes nothing, and while nobody set or reset the event since this
    // worker last found it signalled it needs no system call either. Only the user
    // interface sets and resets it: a worker that set it again after its check, or after
    // its resumed event, would undo a pause the user asked for meanwhile.
    if (polls.run.Poll(runEvent, WAIT_OBJECT_0) == WAIT_OBJECT_0)
        return;
    CSingleLock hold(&pauseLock, TRUE);
    DWORD running = WaitForSingleObject(runEvent.Handle(), 0);
    if (running == WAIT_OBJECT_0 || running == WAIT_ABANDONED)
        return;
    if (events)
        events->OnCopyPaused();
    HANDLE handles[2] = {cancelEvent.Handle(), runEvent.Handle()};
    DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    if (result == WAIT_OBJECT_0) {
        StopBothSides(kCopyCancelled);
    }
    if (result == WAIT_OBJECT_0 + 1) {
        if (events)
            events->OnCopyResumed();
        return;
    }
    if (result == WAIT_FAILED)
        return;
    if (result == WAIT_ABANDONED_0)
        throw CopyException(kCopyCancelled);
    throw CopyException(kSpaceWaitFailed);
}

void CopyAlgorithmMultiThread::CancelCheck(WorkerPolls& polls) {
    DWORD result = polls.cancel.Poll(cancelEvent, WAIT_TIMEOUT);
    if (result == WAIT_OBJECT_0) {
        StopBothSides(kCopyCancelled);
    }
    if (result == WAIT_ABANDONED)
        throw CopyException(kCopyCancelled);
}

void CopyAlgorithmMultiThread::StopBothSides(int type) {
    // The cancel event is auto-reset and a waiting side may just have taken it: signal
    // it (again) so that the other side stops too.
    cancelEvent.Set();
    throw CopyException(type);
}

// All bits set: the pool can never hold that much, so only running out of data or space
// wakes the other side, and the pool need not be asked.
void CopyAlgorithmMultiThread::WakeWriter() {
    if (option.writerWakeMinUsed != ~0ull && manager->GetUsed() >= option.writerWakeMinUsed)
        writerWake.Wake();
}

void CopyAlgorithmMultiThread::WakeReader() {
    if (option.readerWakeMinFree != ~0ull && manager->GetFree() >= option.readerWakeMinFree)
        readerWake.Wake();
}

DWORD CopyAlgorithmMultiThread::WaitAny(HANDLE* handles, DWORD count) {
    return WaitForMultipleObjects(count, handles, FALSE, INFINITE);
}

// A wake-up that came while the worker was getting ready to sleep keeps it from waiting;
// the checks of the worker's next step see a cancel or the other side's end.
void CopyAlgorithmMultiThread::WaitForSpace() {
    readerWake.Clear();
    writerWake.Wake();
    if (!readerWake.Sleep())
        return;
    HANDLE handles[3] = {writerThread->m_hThread, cancelEvent.Handle(), readerWake.Handle()};
    DWORD result = WaitAny(handles, 3);
    readerWake.Awake(result == WAIT_OBJECT_0 + 2);
    if (result == WAIT_OBJECT_0) {
        if (writeWalk.GetState() == CopyStatusItemInfo::Failed)
            throw CopyException(kCopyCancelled);
        return;
    }
    if (result == WAIT_OBJECT_0 + 1) {
        StopBothSides(kCopyCancelled);
    }
    if (result == WAIT_OBJECT_0 + 2 || result == WAIT_FAILED)
        return;
    throw CopyException(kSpaceWaitFailed);
}

void CopyAlgorithmMultiThread::WaitForData() {
    writerWake.Clear();
    readerWake.Wake();
    if (!writerWake.Sleep())
        return;
    HANDLE handles[4] = {readerThread->m_hThread, cancelEvent.Handle(), writerWake.Handle(), batchReaderDone};
    DWORD result = WaitAny(handles, batchReaderDone ? 4 : 3);
    writerWake.Awake(result == WAIT_OBJECT_0 + 2);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) {
        if (readWalk.GetState() == CopyStatusItemInfo::Failed)
            throw CopyException(kCopyCancelled);
        return;
    }
    if (result == WAIT_OBJECT_0 + 1) {
        StopBothSides(kCopyCancelled);
    }
    if (result == WAIT_OBJECT_0 + 2)
        return;
    if (batchReaderDone && result == WAIT_OBJECT_0 + 3) {
        // The reader has queued everything it can before the decision: keep it
        // signalled so that no later wait of this pass blocks.
        SetEvent(batchReaderDone);
        return;
    }
    throw CopyException(kDataWaitFailed);
}

}  // namespace Swiftlet
