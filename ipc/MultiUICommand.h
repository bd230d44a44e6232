#pragma once
// The job hand-over pipe: a later Swiftlet process gives its job (sources, destination,
// flags) to the process that already shows the user interface.
#include <vector>

#include "foundation/Observer.h"
#include "ipc/PipeCommand.h"

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
    explicit Client(const CString& pipeName, int chunkSize = kPipeChunkSize)
        : PipeCommandClient(pipeName, chunkSize) {}

    // True only when the running instance answered that it took the job.
    bool CopyRequest(const std::vector<CString>& sources, const CString& destination, int32_t flags);
};

// Decodes a copy request after its command id. Returns kSuccess with param filled, or
// kMalformed when a field is missing, a count is impossible, or a byte is left over.
Status DecodeCopyRequest(CDataParser& parser, ServerCopyFileCommandParam& param);

class Server : public PipeCommandServer {
public:
    explicit Server(const CString& pipeName, int chunkSize = kPipeChunkSize)
        : PipeCommandServer(pipeName, chunkSize) {}

    void OnCommand(const std::vector<BYTE>& message) override;

    DesignPatterns::TObservable<ServerCopyFileCommandParam>& Jobs() { return m_jobs; }

private:
    DesignPatterns::TObservable<ServerCopyFileCommandParam> m_jobs;
};

}  // namespace MultiUICommand
}  // namespace Swiftlet
