#include "console/ConsoleReport.h"

#include "console/ConsoleText.h"
#include "console/resource.h"
#include "control/CoreDisplayStatus.h"
#include "control/ErrorText.h"

namespace Swiftlet {

namespace {

// The program's string table.
constexpr UINT kCalculating = 3004;
constexpr UINT kApproximately = 3106;
constexpr UINT kDiscoveringItems = 3115;  // %I64d 個の項目（%s）の検出...
constexpr UINT kPercentComplete = 3120;   // %d%% 完了
constexpr UINT kTimeRemaining = 5009;     // 残り時間：
constexpr UINT kCancelled = 6004;         // 作業を取り消しました。

CString Loaded(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

int Percent(unsigned long long done, unsigned long long total) {
    if (total == 0)
        return 0;
    return static_cast<int>((done >= total ? total : done) * 100 / total);
}

CString PercentText(unsigned long long done, unsigned long long total) {
    CString text;
    text.Format(kPercentComplete, Percent(done, total));
    return text;
}

CString Amounts(unsigned long long done, unsigned long long total) {
    return FormatByteSize(done) + L" / " + FormatByteSize(total);
}

CString StatusWithoutName(const ConsoleProgress& p) {
    CString line;
    switch (p.phase) {
    case kProgressFinding:
        line.Format(kDiscoveringItems, p.itemsFound, FormatByteSize(p.bytesFound).GetString());
        return line;
    case kProgressCopying:
        line = PercentText(p.weightedDone, p.weightedTotal) + L"  " + Amounts(p.bytesDone, p.bytesTotal);
        if (p.speed > 0)
            line += L"  " + FormatByteSize(p.speed) + L"/s";
        line += L"  " + Loaded(kTimeRemaining);
        if (p.remainingKnown)
            line += Loaded(kApproximately) + FormatDuration(p.remaining);
        else
            line += Loaded(kCalculating);
        return line;
    case kProgressVerifying:
        return Loaded(IDS_CONSOLE_VERIFYING) + L"  " + PercentText(p.bytesDone, p.bytesTotal) + L"  " +
               Amounts(p.bytesDone, p.bytesTotal);
    case kProgressRemoving:
        line.Format(L"%s  %I64d / %I64d", Loaded(IDS_CONSOLE_REMOVING_SOURCES).GetString(), p.itemsDone,
                    p.itemsTotal);
        return line;
    case kProgressCancelling:
        return Loaded(IDS_CONSOLE_CANCELLING);
    default:
        return CString();
    }
}

}  // namespace

CString FormatStatusLine(const ConsoleProgress& progress, int columns) {
    const CString line = StatusWithoutName(progress);
    const bool named = progress.phase == kProgressCopying || progress.phase == kProgressVerifying ||
                       progress.phase == kProgressRemoving;
    if (!named || progress.name.IsEmpty())
        return ConsoleText::KeepStart(line, columns);
    const int room = columns - ConsoleText::DisplayWidth(line) - 2;
    if (room < 8)
        return ConsoleText::KeepStart(line, columns);
    return line + L"  " + ConsoleText::KeepEnd(progress.name, room);
}

std::vector<CString> FormatSummary(const ConsoleSummary& s) {
    std::vector<CString> lines;
    if (s.cancelled)
        lines.push_back(Loaded(kCancelled));
    // The average over the copy phase; a job that only renamed has none.
    const unsigned long long ms = s.copyMs > 0 ? s.copyMs : (s.totalMs > 0 ? s.totalMs : 1);
    const unsigned long long average = s.bytes * 1000 / ms;
    CString done;
    done.Format(IDS_CONSOLE_DONE, s.items, FormatByteSize(s.bytes).GetString(), GetOperationText(s.move).GetString(),
                FormatDuration((s.totalMs + 500) / 1000).GetString(), FormatByteSize(average).GetString());
    // A move that only renamed has nothing to count but what it renamed.
    if (s.items > 0 || s.renamed == 0)
        lines.push_back(done);
    if (s.renamed > 0) {
        CString renamed;
        renamed.Format(IDS_CONSOLE_RENAMED, s.renamed);
        lines.push_back(renamed);
    }
    if (s.verified) {
        CString verified;
        if (s.mismatches == 0)
            verified.Format(IDS_CONSOLE_VERIFIED, s.verifiedFiles, FormatByteSize(s.verifiedBytes).GetString());
        else
            verified.Format(IDS_CONSOLE_NOT_VERIFIED, s.verifiedFiles, s.mismatches);
        lines.push_back(verified);
    }
    if (s.sourcesKept)
        lines.push_back(Loaded(IDS_CONSOLE_SOURCES_KEPT));
    for (const CString& error : s.errors) {
        CString line;
        line.Format(IDS_CONSOLE_ERROR, error.GetString());
        lines.push_back(line);
    }
    if (!s.problems.empty()) {
        CString heading;
        heading.Format(IDS_CONSOLE_PROBLEMS, static_cast<unsigned long long>(s.problems.size()));
        lines.push_back(heading);
        for (const ConsoleProblem& problem : s.problems)
            lines.push_back(L"  " + problem.path + L": " + problem.reason);
    }
    return lines;
}

int GetExitCode(const ConsoleSummary& s) {
    if (s.cancelled)
        return kExitCancelled;
    if (!s.errors.empty() || !s.problems.empty() || s.mismatches > 0)
        return kExitProblems;
    return kExitDone;
}

}  // namespace Swiftlet
