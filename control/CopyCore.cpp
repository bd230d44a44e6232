#include "control/CopyCore.h"

#include <memory>

#include "control/CoreEvent.h"
#include "engine/CopyException.h"
#include "foundation/Paths.h"

namespace Swiftlet {

namespace {

bool IsDriveRoot(const CString& path) {
    return path.GetLength() == 3 && path[1] == L':' && path[2] == L'\\';
}

CString WithoutTrailingBackslash(const CString& path) {
    return IsDriveRoot(path) ? path : StripTrailingBackslash(path);
}

// The destination is the folder itself or lies inside it.
bool LiesInFolder(const CString& destination, const CString& folder) {
    if (destination.CompareNoCase(folder) == 0)
        return true;
    CString prefix = folder;
    if (prefix.IsEmpty() || prefix[prefix.GetLength() - 1] != L'\\')
        prefix += L'\\';
    return destination.GetLength() >= prefix.GetLength() &&
           destination.Left(prefix.GetLength()).CompareNoCase(prefix) == 0;
}

}  // namespace

int CopyCore::Start() {
    if (thread.load())
        return 0;
    // Suspended until thread is set: Run clears it when the job ends, which may be at
    // once.
    CWinThread* started = AfxBeginThread(&ThreadProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    if (!started)
        return 0;
    thread = started;
    started->ResumeThread();
    return 1;
}

UINT __cdecl CopyCore::ThreadProc(LPVOID self) {
    static_cast<CopyCore*>(self)->Run();
    return 0;
}

CopyAlgorithmMultiThread* CopyCore::CreateAlgorithm(CoreEvent* events) {
    return new CopyAlgorithmMultiThread(option, events);
}

void CopyCore::RunJob(CoreEvent& events) {
    if (CheckPaths(option, events) != 1 || option.algorithm != 2)
        return;
    std::unique_ptr<CopyAlgorithmMultiThread> algorithm(CreateAlgorithm(&events));
    algorithm->SetElevatePeer(elevatePeer);
    algorithm->SetElevateHandOver(elevateHandOver);
    algorithm->Run();
    poolPeakUsed = algorithm->GetPoolPeakUsed();
    poolSize = algorithm->GetPoolSize();
    AlgorithmEnded(*algorithm);
}

void CopyCore::Run() {
    std::unique_ptr<CoreEvent> events;
    try {
        events.reset(new CoreEvent);
        if (handler)
            events->Attach(handler);
    } catch (...) {
        // Without a channel nobody can be told: the job ends unseen.
        thread = nullptr;
        return;
    }
    // Whoever shows the job waits for its end: whatever happens, the end is reported.
    try {
        events->OnCoreStart();
        RunJob(*events);
    } catch (const Exception& e) {
        ReportEscaped(*events, &e);
    } catch (...) {
        ReportEscaped(*events, nullptr);
    }
    thread = nullptr;
    try {
        events->OnCoreEnd();
    } catch (...) {
        // Nothing may unwind out of the job's thread.
    }
}

void CopyCore::ReportEscaped(CoreEvent& events, const Exception* e) {
    try {
        if (e) {
            events.OnError(const_cast<Exception*>(e));
        } else {
            CopyException failed(kCopyPrepareFailed);
            events.OnError(&failed);
        }
        // The algorithm did not get to report its end (it may not even exist): the
        // display learns that the job is over, with no time spent copying.
        events.OnAlgorithmEnd(0, 0);
    } catch (...) {
    }
}

int CopyCore::CheckPaths(CopyOption& job, CoreEvent& events) {
    std::vector<CString> sources;
    for (const CString& source : job.sources)
        sources.push_back(WithoutTrailingBackslash(source));
    const CString destination = WithoutTrailingBackslash(job.destination);

    if (job.move == 1) {
        // Moving an item into the folder it already lies in does nothing.
        std::vector<CString> kept;
        for (const CString& source : sources) {
            if (GetParentFolder(source).CompareNoCase(destination) != 0)
                kept.push_back(source);
        }
        sources = kept;
        if (sources.empty()) {
            CopyException e(kCopyNothingToDo);
            events.OnError(&e);
            return 0;
        }
    }
    for (const CString& source : sources) {
        DWORD attributes = GetFileAttributesW(ToLongPath(source));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            LiesInFolder(destination, source)) {
            CopyException e(kCopyDestinationInSource);
            events.OnError(&e);
            return 0;
        }
    }
    job.sources = sources;
    job.destination = destination;
    return 1;
}

}  // namespace Swiftlet
