#pragma once
// The console program: parses the command line, runs the job on the program's engine
// with the console's event handler, shows a status line on a terminal, verifies when
// asked, prints the summary and answers the exit status.
#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "console/ConsoleCommandLine.h"
#include "console/ConsoleOutput.h"
#include "console/ConsoleReport.h"
#include "framework/CString.h"

namespace Swiftlet {

class ConsoleEventHandler;

class ConsoleApp {
public:
    ConsoleApp();
    ~ConsoleApp();
    ConsoleApp(const ConsoleApp&) = delete;
    ConsoleApp& operator=(const ConsoleApp&) = delete;

    // The arguments after the program's name; returns the exit status (ConsoleExitCode).
    int Run(const std::vector<CString>& args);

    // Ctrl+C, Ctrl+Break, a closed console: cancels the job through the engine's cancel
    // event, or stops the verification. Any thread.
    void Interrupt();
    // Set once Run has printed its summary.
    HANDLE Finished() const { return finished; }

private:
    int RunJob(const ConsoleCommandLine& command);
    // The sources that exist; the others become problems with the system's reason.
    std::vector<CString> ExistingSources(const std::vector<CString>& sources, ConsoleSummary* summary);
    void RunVerification(const ConsoleCommandLine& command, const struct ConsoleJobOutcome& outcome,
                         uint32_t retryCount, uint32_t retryWaitMs, ConsoleSummary* summary);
    int Finish(const ConsoleSummary& summary);

    // Draws the status line from progress every quarter second while a step runs (on a
    // terminal only).
    void StartStatus(std::function<ConsoleProgress()> progress);
    void StopStatus();

    ConsoleOutput out;
    HANDLE interrupt = nullptr;  // manual-reset: set by the first Ctrl+C, for good
    HANDLE finished = nullptr;
    HANDLE statusStop = nullptr;
    std::thread statusThread;
    // The running job's handler, for the control handler's thread; null between jobs.
    std::mutex handlerLock;
    ConsoleEventHandler* handler = nullptr;
};

}  // namespace Swiftlet
