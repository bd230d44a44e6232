#pragma once
// Runs one copy or move job: a same-volume move by renaming where it can, otherwise the
// enumeration into item trees, the free-space check, one locked buffer pool, and two
// worker threads. The reader thread feeds file contents into the pool; the writer thread
// creates folders, writes files and, for a move, deletes the sources. The two coordinate
// through the item flags and the pool's queue, wake each other through a WakeSignal each,
// and meet at the end of a batch with set-aside conflicts through three batch events.
// Everything the job reports or asks goes to its ICopyEvents (engine/CopyEvents.h), which
// is handed the job's cancel and run events: whoever watches the job cancels, pauses and
// resumes it through those two.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>

#include "engine/CopyBufferManagerLock.h"
#include "engine/CopyEvents.h"
#include "engine/CopyFolderTimes.h"
#include "engine/CopyItemReader.h"
#include "engine/CopyItemWriter.h"
#include "engine/CopyOption.h"
#include "engine/CopyStatus.h"
#include "engine/ItemRemover.h"
#include "foundation/CountedEvent.h"
#include "foundation/Stopwatch.h"
#include "foundation/WakeSignal.h"
#include "foundation/noncopyable.h"
#include "framework/CSyncObject.h"
#include "framework/CWinThread.h"

namespace Swiftlet {

// The elevated process's channel back to the user-interface process, through which the
// algorithm receives the status of the job it continues.
class ICopyElevatePeer {
public:
    virtual ~ICopyElevatePeer() = default;
    // The item trees with their flags and both cursors; false when they did not arrive.
    virtual bool GetStatus(CopyStatus& status) = 0;
};

// What a job that stopped for administrator rights hands on: the process that continues
// it reads the job and the status from here, and the user's pause and cancel reach it
// through the two events.
struct CopyElevateJob {
    const CopyOption* option = nullptr;
    ICopyEvents* events = nullptr;
    CountedEvent* cancelEvent = nullptr;
    CountedEvent* runEvent = nullptr;
    CopyStatus* status = nullptr;
    const Stopwatch* totalWatch = nullptr;  // the whole job
    const Stopwatch* copyWatch = nullptr;   // its copy phase
};

// Continues a job in an elevated process (the user-interface process's side).
class ICopyElevateHandOver {
public:
    virtual ~ICopyElevateHandOver() = default;
    // Returns once the other process has ended, or could not be started or reached;
    // what it did not write stays unwritten.
    virtual void HandOver(const CopyElevateJob& job) = 0;
};

class ICopyAlgorithm : private noncopyable {
public:
    virtual ~ICopyAlgorithm() = default;
    // Null for an ordinary job.
    virtual void SetElevatePeer(ICopyElevatePeer* peer) = 0;
    // Runs the job to its end; never throws. 1 when it ended without an error.
    virtual int Run() = 0;
};

class CopyAlgorithmMultiThread : public ICopyAlgorithm {
public:
    // events must outlive the algorithm.
    CopyAlgorithmMultiThread(const CopyOption& option, ICopyEvents* events);
    ~CopyAlgorithmMultiThread() override;

    void SetElevatePeer(ICopyElevatePeer* peer) override;
    int Run() override;
    // Where a job that stops for administrator rights goes on (null: it ends there).
    void SetElevateHandOver(ICopyElevateHandOver* handOver) { elevateHandOver = handOver; }

    // 1 when a worker stopped so that the job continues with administrator rights.
    int IsStoppedForElevation() const { return stopForElevation.load(); }
    const CopyStatus& GetStatus() const { return status; }
    // The most the job's pool held at once, in bytes; kept after the pool is gone.
    uint64_t GetPoolPeakUsed() const { return poolPeakUsed; }
    // The size of the pool the job made (0 before it made one).
    uint64_t GetPoolSize() const { return poolSize; }

    // The pool a job needs: the configured size, or less when everything the reader can
    // queue for the found items at once, every record and block rounded up to the I/O
    // alignment, fits in less. The result stays a multiple of the alignment.
    static uint64_t PoolSizeFor(const CopyItemsData& items, uint64_t configured, uint32_t alignment,
                                uint64_t readBlockSize);

private:
    // Unexpected wait results, by the wait they came from.
    static constexpr int kSpaceWaitFailed = 1002;       // reader, pool space; pause
    static constexpr int kReaderBatchWaitFailed = 1003;
    static constexpr int kDataWaitFailed = 1102;        // writer, queued data
    static constexpr int kWriterBatchWaitFailed = 1103;

    // Run's steps.
    void Prepare();
    // 1 when renaming moved every source and nothing is left to copy.
    int MoveByRenaming();
    void Find();
    void CheckFreeSpace();
    void CreatePool();
    void RunThreads();
    // Throws when the workers ended without failing yet left an item neither written
    // nor left out on purpose: such a job must never pass for complete.
    void CheckEverythingDone() const;
    // Gives the rest of the job to the elevated process, once the workers are gone.
    void HandOverToElevated();
    // The workers' objects: reader, writer, pool, wake and batch events.
    void ReleaseWorkers();
    void Cleanup();

    // What one worker last saw of the run and cancel events.
    struct WorkerPolls {
        CountedEventPoll run;
        CountedEventPoll cancel;
    };

    // Checks both worker threads make between items and blocks; each passes its own polls.
    void PauseCheck(WorkerPolls& polls);
    void CancelCheck(WorkerPolls& polls);
    // Signals cancelEvent again, since a waiting side may just have taken the auto-reset
    // event, so that the other side stops too; then throws CopyException of type
    // (cancelled, or stopped for the elevated process).
    [[noreturn]] void StopBothSides(int type);
    void WaitForSpace();
    void WaitForData();
    uint64_t TotalMs() const;
    uint64_t CopyMs() const;

    // Reader thread.
    static UINT __cdecl ReaderThreadProc(LPVOID self);
    void ReaderThread();
    void ReaderLoop();
    // 1 when the loop has to run again for files released by the decision at the end.
    int ReaderBatchEnd();
    void ReaderStep();
    int ReaderConflictCheck();
    void EncryptedFolderCheck();
    void ReadItem();
    // Gives up the open item when the other side skipped it while it was being read, so
    // that none of its blocks stays in the queue. 1 when it was given up.
    int ReaderAbandonIfSkipped();
    void ApplyReaderAnswer(int answer);

    // Writer thread.
    static UINT __cdecl WriterThreadProc(LPVOID self);
    void WriterThread();
    void WriterLoop();
    int WriterBatchEnd();
    void WriterStep();
    void WriteItem();
    void CreateFolder();
    void DeleteSourceFile();
    void RemoveSourceFolder();
    // The source folder stays: something in it was not moved.
    void KeepSourceFolder();
    // Runs attempt up to retryCount + 1 times, retryWaitMs apart, until it succeeds or
    // fails with stopOn (ERROR_SUCCESS: none); true when it succeeded, else *error is
    // the last error.
    bool RetryPaused(const std::function<bool()>& attempt, DWORD stopOn, DWORD* error);
    void AskWriterQuestion(const WindowsFileException& e);
    void ApplyWriterAnswer(int answer);

    void WakeWriter();
    void WakeReader();
    void Report(const Exception* e);
    // The cancel that stopping for administrator rights gave the other side: not the
    // user's, and not shown (the job goes on elsewhere).
    bool IsStopsOwnCancel(const CopyException& e) const {
        return e.type == kCopyCancelled && stopForElevation.load() == 1;
    }
    // Waits for one of the handles (null ones are left out).
    DWORD WaitAny(HANDLE* handles, DWORD count);

    Stopwatch totalWatch;
    Stopwatch copyWatch;
    CopyOption option;
    ICopyEvents* events;
    CopyBufferManagerSlimLock* manager = nullptr;
    CopyItemReader* reader = nullptr;
    CopyItemWriter* writer = nullptr;
    CopyStatus status;
    CopyStatusReadOperator readWalk;
    CopyStatusWriteOperator writeWalk;
    // Whoever watches the job sets and resets these two through the objects (they are
    // handed over with the find-begin and copy-begin reports); the workers poll them
    // between blocks without a system call while nothing changed, and wait on them when
    // they must wait.
    CountedEvent cancelEvent;
    CountedEvent runEvent;
    CSemaphore pauseLock;
    CWinThread* readerThread = nullptr;
    CWinThread* writerThread = nullptr;
    // Signalled in the kernel only when the woken worker sleeps, or is about to.
    WakeSignal readerWake;
    WakeSignal writerWake;
    WorkerPolls readerPolls;
    WorkerPolls writerPolls;
    std::atomic<int> stopForElevation{0};
    ICopyElevatePeer* elevatePeer = nullptr;
    ICopyElevateHandOver* elevateHandOver = nullptr;
    HANDLE batchReaderDone = nullptr;
    HANDLE batchWriterDone = nullptr;
    HANDLE batchDecided = nullptr;

    // Per worker: what the last step left to wait for.
    int readerNoBuffer = 0;
    int writerNotReady = 0;
    std::atomic<int> failed{0};  // an error was reported
    uint64_t poolPeakUsed = 0;
    uint64_t poolSize = 0;
    // Renames and removals of sources, and the replacement of a destination file by a
    // folder: on the job's thread before the workers start, then on the writer thread.
    ItemRemover remover;
    // The times of the folders the writer created, given once their content is in.
    CopyFolderTimes folderTimes;
};

}  // namespace Swiftlet
