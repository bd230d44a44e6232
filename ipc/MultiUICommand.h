#pragma once
// The job hand-over pipe: a later Swiftlet process gives its job (sources, destination,
// flags) to the process that already shows the user interface.
#include <vector>

#include "foundation/Observer.h"
#include "ipc/PipeCommand.h"
#include "ipc/PipePeers.h"

namespace Swiftlet {
namespace MultiUICommand {

enum Command : int32_t {
    kVersion = 1,
    kCopyFile = 2,
};

// Reply statuses of the hand-over server.
enum Status : int32_t {
    kSuccess = 0,
    kUnknownCommand = 1,
    kMalformed = 2,  // also the answer to a request shorter than its id
};

// One received job, published to the server's observers. Lives only for the duration
// of the notification.
class ServerCopyFileCommandParam {
public:
    virtual ~ServerCopyFileCommandParam() = default;

    std::vector<CString> sources;
    CString destination;
    int32_t flags = 0;   // the sender's move flag, passed through unchanged
    int32_t result = 0;  // set to 1 by the window that takes the job
};

class Client : public PipeCommandClient {
public:
    // peers: what the system says about the server's process (the system itself when
    // null); it must outlive the client.
    explicit Client(const CString& pipeName, int chunkSize = kPipeChunkSize, IPipePeers* peers = nullptr)
        : PipeCommandClient(pipeName, chunkSize), m_peers(peers ? peers : &m_systemPeers) {}

    // The process serving the open pipe runs as this process's user, in its session.
    // A job goes nowhere else: it would run there with another user's rights.
    bool IsServerOfThisUser() { return ::IsServerOfThisUser(m_pipe, *m_peers); }

    // True only when the running instance answered that it took the job.
    bool CopyRequest(const std::vector<CString>& sources, const CString& destination, int32_t flags);

    // How long the answer to a copy request is waited for. The window builds the job
    // before it answers (the disk cache service is asked on the way), which may take
    // longer than the I/O bound; a hand-over given up while the window still takes the
    // job would run the job twice.
    static constexpr DWORD kJobReplyTimeoutMs = 30000;
    void SetJobReplyTimeout(DWORD timeoutMs) { m_jobReplyTimeoutMs = timeoutMs; }

private:
    SystemPipePeers m_systemPeers;
    IPipePeers* m_peers;
    DWORD m_jobReplyTimeoutMs = kJobReplyTimeoutMs;
};

// Decodes a copy request after its command id. Returns kSuccess with param filled, or
// kMalformed when a field is missing, a count is impossible, a path holds a NUL
// character, or a byte is left over.
Status DecodeCopyRequest(CDataParser& parser, ServerCopyFileCommandParam& param);

// Only processes of the user who runs the server can open its pipe.
class Server : public PipeCommandServer {
public:
    explicit Server(const CString& pipeName, int chunkSize = kPipeChunkSize)
        : PipeCommandServer(pipeName, chunkSize, PipeAccess::kCurrentUser) {}

    void OnCommand(const std::vector<BYTE>& message) override;

    DesignPatterns::TObservable<ServerCopyFileCommandParam>& Jobs() { return m_jobs; }

private:
    DesignPatterns::TObservable<ServerCopyFileCommandParam> m_jobs;
};

}  // namespace MultiUICommand
}  // namespace Swiftlet
