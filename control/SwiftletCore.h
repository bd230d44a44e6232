#pragma once
// The process-level object behind start-up: hands a job to the running instance, or
// makes this process the one that shows the user interface.
#include <functional>
#include <vector>

#include "framework/CString.h"
#include "foundation/noncopyable.h"
#include "ipc/MultiUICommand.h"

namespace Swiftlet {

class ISwiftletCore : private noncopyable {
public:
    virtual ~ISwiftletCore() = default;
    // flag: the move flag (1 move, 0 copy). Returns nonzero when the job was handed
    // over or run.
    virtual int Execute(const std::vector<CString>& sources, const CString& destination, int* flag) = 0;
};

class SwiftletCore : public ISwiftletCore {
public:
    // What runs the job when no running instance takes it: the program's task window
    // (the user interface gives it at start-up). Same arguments and result as Execute.
    using LocalRunner = std::function<int(const std::vector<CString>&, const CString&, int*)>;

    // Hands jobs over on the job hand-over pipe; runLocally runs the rest.
    explicit SwiftletCore(LocalRunner runLocally);
    // Hands jobs over on another pipe (tests). peers: what the system says about the
    // server's process (the system itself when null).
    SwiftletCore(const CString& handOverPipeName, LocalRunner runLocally, IPipePeers* peers = nullptr);
    ~SwiftletCore() override;

    // Hands the job over; failing that, this process becomes a UI instance and runs it.
    // Relative paths are made full first, against this process's current folder: the
    // running instance has a current folder of its own.
    int Execute(const std::vector<CString>& sources, const CString& destination, int* flag) override;

    // Gives the job to the running instance; 1 when it took it, else 0. An instance that
    // runs as another user, or in another session, is never offered anything. The pipe
    // is closed in every case.
    int HandOver(const std::vector<CString>& sources, const CString& destination, int flag);

    // How long a busy hand-over pipe is retried: the running instance is serving
    // another later instance and is free again soon.
    static constexpr DWORD kBusyPipeTimeoutMs = 5000;

private:
    MultiUICommand::Client m_client;
    LocalRunner m_runLocally;
};

// The one SwiftletCore of the process: set by start-up, cleared by clean-up.
ISwiftletCore* GetSwiftletCore();
void SetSwiftletCore(ISwiftletCore* core);

}  // namespace Swiftlet
