#pragma once
// The console's observer of a job's event channel. It runs on the engine's threads: it
// keeps a copy of the progress for the status line (drawn by another thread), asks the
// job's questions on the terminal while the engine waits, or, with nobody to ask,
// answers them by the command line's rules, and notes every item left out and every
// error with the words the window would show.
#include <windows.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "console/ConsoleInput.h"
#include "console/ConsoleOutput.h"
#include "console/ConsoleQuestion.h"
#include "console/ConsoleReport.h"
#include "control/CoreEventHandler.h"

namespace Swiftlet {

class ConsoleEventHandler : public CoreEventHandler {
public:
    // input: null when questions are not asked but decided by ifExists (ConsoleIfExists).
    ConsoleEventHandler(ConsoleOutput& out, ConsoleInput* input, int ifExists, int move);
    ~ConsoleEventHandler() override;

    void Dispatch() override;

    // Ctrl+C: cancels through the engine's cancel event, at once when the engine has
    // handed it over, else as soon as it does; a pending question is answered cancel.
    void RequestCancel();
    bool CancelRequested() const { return cancelRequested.load(); }

    // The status line's record; a copy, taken under the handler's lock.
    ConsoleProgress Progress() const;

    // After the job: what it reported.
    bool Cancelled() const { return cancelled; }
    std::vector<CString> Errors() const;
    std::vector<ConsoleProblem> Problems() const;
    unsigned long long TotalMs() const { return totalMs; }
    unsigned long long CopyMs() const { return copyMs; }

private:
    void CaptureProgress();
    void OnError();
    void OnQuestion();
    int Ask(const ConsoleQuestion& question, int* applyToAll);

    ConsoleOutput& out;
    ConsoleInput* input;
    int ifExists;
    int move;
    std::atomic<bool> cancelRequested{false};

    mutable std::mutex lock;
    ConsoleProgress progress;
    CoreEventFindStatus* find = nullptr;  // between find begin and find end
    bool cancelled = false;
    std::vector<CString> errors;
    std::vector<ConsoleProblem> problems;
    unsigned long long totalMs = 0;
    unsigned long long copyMs = 0;
};

}  // namespace Swiftlet
