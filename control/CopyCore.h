#pragma once
// Runs one copy job on a thread of its own: checks the job's paths, creates the job's
// event channel, runs the multithreaded algorithm and brackets everything with the
// events 1000 and 1001.
#include <windows.h>

#include <atomic>

#include "engine/CopyAlgorithm.h"
#include "engine/CopyOption.h"
#include "foundation/Exception.h"
#include "foundation/Observer.h"
#include "framework/CWinThread.h"

namespace Swiftlet {

class CoreEvent;

class CopyCore {
public:
    CopyCore() = default;
    CopyCore(const CopyCore&) = delete;
    CopyCore& operator=(const CopyCore&) = delete;
    // Does not stop a running job: the owner waits for event 1001 first.
    virtual ~CopyCore() = default;

    // 0 while a job runs or when the thread cannot be created; else 1.
    int Start();
    // The job, on the core's thread.
    virtual void Run();

    // Checks and cleans the paths of a job: trailing backslashes go (not from a drive
    // root), a move drops the sources already in the destination. Reports type 1 (nothing
    // left to move) or 11 (the destination lies in a source folder) through events and
    // answers 0; on success the job's paths are the cleaned ones and it answers 1.
    static int CheckPaths(CopyOption& option, CoreEvent& events);

    // Set by the owner before Start; the handler must outlive the thread.
    CopyOption option;
    std::atomic<CWinThread*> thread{nullptr};
    DesignPatterns::IObserver* handler = nullptr;
    ICopyElevatePeer* elevatePeer = nullptr;
    // Where a job that stops for administrator rights goes on; null: it ends there.
    ICopyElevateHandOver* elevateHandOver = nullptr;
    // After event 1001: the most the job's buffer pool held at once, in bytes.
    std::atomic<uint64_t> poolPeakUsed{0};
    std::atomic<uint64_t> poolSize{0};  // the size of the job's pool

protected:
    // The job's algorithm, owned by the caller.
    virtual CopyAlgorithmMultiThread* CreateAlgorithm(CoreEvent* events);
    // On the job's thread once the algorithm has run, before event 1001, while its item
    // trees (with what was written and what was skipped) still exist.
    virtual void AlgorithmEnded(const CopyAlgorithmMultiThread& /*algorithm*/) {}

private:
    // Runs the path check and the algorithm; whatever escapes is reported by Run.
    void RunJob(CoreEvent& events);
    // An error that escaped the job, as the error event (null: type 2, not prepared).
    static void ReportEscaped(CoreEvent& events, const Exception* e);
    static UINT __cdecl ThreadProc(LPVOID self);
};

}  // namespace Swiftlet
