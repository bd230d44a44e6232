// The copy engine alone, for the copy benchmark: builds the job the command line would
// build (the same destination probe and tuning), runs it on a CopyCore thread with an
// observer that answers every question, and reports what the job's events said.
//
//   CopyCoreBench.exe SOURCE... DESTINATION
//
// Prints one line of key=value words: bytes and items from the copy-begin totals, the
// copy phase's and the whole job's milliseconds from the algorithm's end, the pool size
// of the job and the most of it in use at once, the number of progress events, errors and questions. Exits 0 when the job
// ended without an error or a question, 1 otherwise, 2 on a bad command line.
#include <windows.h>

#include <cstdio>
#include <map>
#include <vector>

#include "control/CopyCore.h"
#include "control/CoreEvent.h"
#include "tests/support/CoreEventScript.h"
#include "engine/CreateCopyOptionCmdLine.h"
#include "foundation/Exception.h"
#include "foundation/Paths.h"

using namespace Swiftlet;

namespace {

double Seconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Takes the totals that only the copy-begin event carries; everything else is recorded by
// the script handler. A question is answered with skip: the destination is empty, so any
// question is already a failure, and the job must not hang on it.
class BenchHandler : public CoreEventScriptHandler {
public:
    BenchHandler() : CoreEventScriptHandler(kAnswerSkip) {}

    void Dispatch() override {
        // Only the engine's threads deliver, one event at a time.
        firstSeen.emplace(event->eventCode, Seconds());
        if (event->eventCode == kEventCopyBegin) {
            bytesTotal = event->status.bytes.total;
            itemsTotal = event->status.items.total;
        }
        if (event->eventCode == kEventError || event->eventCode == kEventQuestion) {
            CString what = L"?";
            if (const WindowsFileException* file = AsWindowsFileException(event->status.exception))
                what.Format(L"%s (error %lu)", file->path.GetString(), file->error);
            fwprintf(stderr, L"CopyCoreBench: event %d: %ls\n", event->eventCode, what.GetString());
        }
        CoreEventScriptHandler::Dispatch();
    }

    std::map<int, double> firstSeen;  // event code -> when it first came
    unsigned long long bytesTotal = 0;
    unsigned long long itemsTotal = 0;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: CopyCoreBench SOURCE... DESTINATION\n");
        return 2;
    }
    std::vector<CString> sources;
    for (int i = 1; i < argc - 1; ++i)
        sources.push_back(GetFullPath(argv[i]));
    const CString destination = GetFullPath(argv[argc - 1]);
    const int move = 0;
    const double started = Seconds();
    CreateCopyOptionCmdLine builder(&sources, &destination, &move);
    const int built = builder.Create();
    const double buildSeconds = Seconds() - started;
    if (built != 1) {
        fwprintf(stderr, L"CopyCoreBench: the job could not be built\n");
        return 1;
    }

    BenchHandler handler;
    CopyCore core;
    core.option = builder.option;
    core.handler = &handler;
    if (core.Start() != 1) {
        fwprintf(stderr, L"CopyCoreBench: the job's thread did not start\n");
        return 1;
    }
    handler.WaitFor(kEventCoreEnd, INFINITE);

    unsigned long long totalMs = 0, copyMs = 0, written = 0;
    int progress = 0;
    for (const CoreEventRecord& r : handler.Records()) {
        if (r.code == kEventAlgorithmEnd) {
            totalMs = r.totalMs;
            copyMs = r.copyMs;
        }
        if (r.code == kEventProgress || r.code == kEventReadProgress || r.code == kEventWriteProgress) {
            ++progress;
            if (r.bytesWritten > written) written = r.bytesWritten;
        }
    }
    // Where the job's time went: building it (the destination probe), then the steps its
    // events mark, each from the core's start.
    auto at = [&](int code) {
        auto found = handler.firstSeen.find(code);
        auto start = handler.firstSeen.find(kEventCoreStart);
        return found == handler.firstSeen.end() || start == handler.firstSeen.end() ? -1.0
                                                                                     : found->second - start->second;
    };
    printf("build_s=%.4f find_begin_s=%.4f find_end_s=%.4f copy_begin_s=%.4f algorithm_end_s=%.4f core_end_s=%.4f\n",
           buildSeconds, at(kEventFindBegin), at(kEventFindEnd), at(kEventCopyBegin), at(kEventAlgorithmEnd),
           at(kEventCoreEnd));
    const int errors = handler.Count(kEventError);
    const int questions = handler.Count(kEventQuestion);
    printf("bytes=%llu written=%llu items=%llu copy_ms=%llu total_ms=%llu pool_size=%llu pool_peak=%llu progress_events=%d "
           "errors=%d questions=%d\n",
           handler.bytesTotal, written, handler.itemsTotal, copyMs, totalMs,
           static_cast<unsigned long long>(core.poolSize.load() != 0 ? core.poolSize.load() : core.option.bufferSize),
           static_cast<unsigned long long>(core.poolPeakUsed.load()), progress, errors, questions);
    return errors == 0 && questions == 0 && handler.Count(kEventAlgorithmEnd) == 1 ? 0 : 1;
}
