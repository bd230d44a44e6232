#pragma once
// How a process that becomes the UI instance starts its first job: at once, and without a
// window for as long as none is needed. Most jobs of a few small files are over in a
// fraction of a second, and a window, hidden or not, costs a process the start of the
// window system (under Wine that alone reads every installed font). The hand-over server
// serves from the start, so later starts hand their jobs to this process as before; the
// task window is made, hidden, when the job has run for kWithoutWindowMs, asks the user
// something, or another start hands a job over. It then shows as always, a second after
// the job started (at once for a question), its panel taking up the job where it is.
#include <vector>

#include "foundation/noncopyable.h"
#include "framework/CString.h"

namespace Swiftlet {
class ICreateCopyOption;
namespace MultiUICommand {
class ServerThread;
}
}  // namespace Swiftlet
class CTaskFrameWnd;

class CTaskWindowStart : private noncopyable {
public:
    // How long a job runs before the window is made for it anyway.
    static constexpr DWORD kWithoutWindowMs = 250;

    CTaskWindowStart();
    // Stops the server and ends a job not handed on (it is cancelled if it still runs).
    ~CTaskWindowStart();

    // Builds job and starts it, and the hand-over server, without a window. false when
    // the job cannot be built or started; nothing runs then.
    bool Begin(Swiftlet::ICreateCopyOption& job);
    // Waits while the job runs without a window, at most timeoutMs. true when it ended
    // with nothing asking for a window: the server has stopped then (a job another start
    // was handing over goes back to it). false when the window is to be made.
    bool EndsWithoutWindow(DWORD timeoutMs);

    // For the task window, which owns them from then on (CFileCopyDlg::SetStartedJob).
    CTaskFrameWnd* TakePanel();
    Swiftlet::MultiUICommand::ServerThread* TakeServer();

private:
    void StopServer();

    HANDLE m_jobWaiting = nullptr;
    Swiftlet::MultiUICommand::ServerThread* m_server = nullptr;
    CTaskFrameWnd* m_panel = nullptr;
};

// What a process that becomes the UI instance runs (the application's runner): the job
// without a window while none is needed, then the task window with the job in it, by
// RunTaskWindow's rules. 1 when the job ran, or could not be built; 0 when it could not
// be made at all.
int RunJobThenTaskWindow(const std::vector<CString>& sources, const CString& destination, int* flag);
