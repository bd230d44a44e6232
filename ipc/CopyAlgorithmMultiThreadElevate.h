#pragma once
// The user-interface process's end of the elevation pipe. When the user chooses to go on
// with administrator rights, the job's algorithm (its workers already stopped) starts
// Swiftlet.exe elevated with "/p" and the name of a fresh pipe, and serves it from the
// algorithm's own thread: the job and its status go out, every event the elevated process
// reports is replayed on the job's own event channel (so the panel shows it as if it
// happened here), the user's answers go back, and the two polls tell it about pause and
// cancel. The hand-over ends when that process closes the pipe or ends.
#include <windows.h>

#include <vector>

#include "engine/CopyAlgorithm.h"
#include "ipc/PipeCommand.h"

namespace Swiftlet {
namespace ElevateCommand {

enum Command : int32_t {
    kVersion = 1,
    kJob = 2,
    kStatus = 3,
    kEvent = 5,
    kQuestion = 6,
    kCancelQuery = 10,
    kPauseQuery = 11,
};

// Reply statuses of the elevation server.
enum Status : int32_t {
    kSuccess = 0,
    kMalformed = 1,  // also the answer to a request shorter than its id
    kUnknownCommand = 2,
};

// The events the elevated process reports, and the one it asks. Nothing else is replayed:
// the end of the job (2001, 1001) is this process's own to report.
bool IsReportedEvent(int32_t code);
inline bool IsQuestionEvent(int32_t code) { return code == 2003; }

}  // namespace ElevateCommand

// Starts the process that continues the job.
class IElevatedStarter {
public:
    virtual ~IElevatedStarter() = default;
    // Starts it with the command-line parameters; its process handle (the caller closes
    // it), or null when it did not start (the user refused the prompt, for instance).
    virtual HANDLE Start(const CString& parameters) = 0;
};

// The program's own executable, started with "runas" (with "open" before Vista, which
// knows no elevation).
class ShellElevatedStarter : public IElevatedStarter {
public:
    HANDLE Start(const CString& parameters) override;
};

class CopyAlgorithmMultiThreadElevate : public PipeCommandServer {
public:
    // The pipe is named after this process and the constructing thread.
    explicit CopyAlgorithmMultiThreadElevate(const CopyElevateJob& job);
    // Closes the kept process handle.
    ~CopyAlgorithmMultiThreadElevate() override;

    // Also ends when the child process ends: a child that never connects, or that ends
    // without closing its end first, does not keep the job waiting.
    bool Wait(HANDLE event, DWORD timeoutMs) override;
    void OnCommand(const std::vector<BYTE>& message) override;

    // Readies the status for the elevated process (everything not written is read again,
    // both walks start where the writer stood), keeps its record for the status request,
    // and takes back the cancel that stopped the workers. HandOver starts with it.
    void PrepareStatus();

    // The whole hand-over: readies the status, creates the pipe, starts the child with
    // starter, accepts it and serves it until it goes. False when it never got as far as
    // serving (no pipe, no child, no connection, or another process connected).
    bool HandOver(IElevatedStarter& starter);

private:
    int32_t HandleReplay(CDataParser& parser, bool question);
    // The cancel and pause polls; neither takes a signal away from anyone.
    bool IsCancelled() const;
    bool IsPaused() const;
    // The process connected to the pipe is the child that was started.
    bool IsClientTheChild() const;

    CopyElevateJob m_job;
    std::vector<BYTE> m_statusRecord;  // encoded once, before the child starts
    HANDLE m_child = nullptr;
};

// The hand-over the user interface gives its jobs.
class CopyElevateHandOver : public ICopyElevateHandOver {
public:
    // starter: what starts the child (the program itself when null); must outlive this.
    explicit CopyElevateHandOver(IElevatedStarter* starter = nullptr) : m_starter(starter) {}
    void HandOver(const CopyElevateJob& job) override;

private:
    ShellElevatedStarter m_shell;
    IElevatedStarter* m_starter;
};

}  // namespace Swiftlet
