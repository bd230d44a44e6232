#pragma once
// The texts the console shows of a job: the status line while it runs, the summary at
// its end, and the exit status that goes with the summary. Pure functions of plain
// records, so that they read the same on a terminal, in a file and in a test.
#include <vector>

#include "console/ConsoleQuestion.h"
#include "framework/CString.h"

namespace Swiftlet {

enum ConsoleProgressPhase : int {
    kProgressNone = 0,
    kProgressFinding = 1,
    kProgressCopying = 2,
    kProgressVerifying = 3,
    kProgressRemoving = 4,  // a verified move removes its sources
    kProgressCancelling = 5,
};

struct ConsoleProgress {
    int phase = kProgressNone;
    unsigned long long itemsFound = 0;  // finding
    unsigned long long bytesFound = 0;
    unsigned long long weightedTotal = 0;  // copying (weighted bytes, as the window's bar)
    unsigned long long weightedDone = 0;
    unsigned long long bytesTotal = 0;  // copying, verifying
    unsigned long long bytesDone = 0;
    unsigned long long speed = 0;  // bytes per second; 0: not known yet
    int remainingKnown = 0;
    unsigned long long remaining = 0;  // seconds
    unsigned long long itemsTotal = 0;  // removing
    unsigned long long itemsDone = 0;
    CString name;  // the item at hand
};

// One status line of at most columns terminal columns; the item's name gives way first.
CString FormatStatusLine(const ConsoleProgress& progress, int columns);

// Exit statuses.
enum ConsoleExitCode : int {
    kExitDone = 0,
    kExitProblems = 1,    // items skipped or failed, an error, a copy that did not compare equal
    kExitCommandLine = 2,
    kExitCancelled = 3,
};

struct ConsoleSummary {
    int move = 0;
    int cancelled = 0;
    unsigned long long items = 0;  // files and folders copied (or moved)
    unsigned long long bytes = 0;
    unsigned long long totalMs = 0;  // the whole job
    unsigned long long copyMs = 0;   // its copy phase
    unsigned long long renamed = 0;  // sources a move renamed instead of copying
    int verified = 0;                // --verify ran
    unsigned long long verifiedFiles = 0;
    unsigned long long verifiedBytes = 0;
    unsigned long long mismatches = 0;
    int sourcesKept = 0;  // a verified move stopped before deleting any source
    std::vector<CString> errors;           // errors that ended or stopped the job
    std::vector<ConsoleProblem> problems;  // items skipped or failed
};

std::vector<CString> FormatSummary(const ConsoleSummary& summary);
int GetExitCode(const ConsoleSummary& summary);

}  // namespace Swiftlet
