#pragma once
// The shell hand-over pipe: the Explorer extension holds a dropped file list, the drop
// folder and the chosen operation, starts Swiftlet.exe with "/FCP" and the pipe's name,
// and answers the started program's requests for the three values until it closes the
// pipe. Both ends live in processes of the same user; the server end is in Explorer.
#include <vector>

#include "ipc/PipeCommand.h"
#include "ipc/PipePeers.h"

namespace Swiftlet {
namespace RunCopyCommand {

enum Command : int32_t {
    kVersion = 1,
    kFileList = 2,
    kDestination = 3,
    kFlags = 4,
};

// Reply statuses of the extension's server.
enum Status : int32_t {
    kSuccess = 0,
    kTooShort = 1,
    kUnknownCommand = 2,
    kMalformed = 2,  // a request of a known id with bytes after the id
};

// The operation flag on the wire.
inline constexpr int32_t kCopy = 0;
inline constexpr int32_t kMove = 1;

// Reply decoders, each after the caller has taken the status word. Every one accepts
// only a complete reply with nothing left over.
// The file list: N paths, none of them empty or holding a NUL character (an empty path
// would read as the current folder).
bool DecodeFileList(CDataParser& parser, std::vector<CString>& list);
// The destination: one path; a reply of the bare status reads as an empty destination,
// which the caller then refuses.
bool DecodeDestination(CDataParser& parser, CString& destination);
// The operation: exactly one int32, copy or move; any other value is no operation.
bool DecodeFlags(CDataParser& parser, int32_t& flags);

}  // namespace RunCopyCommand

// The started program's end. Each request is one exchange; false when the exchange
// fails or the reply is refused, and then the output is left unchanged (the list is
// emptied first).
class RunCopyClient : public PipeCommandClient {
public:
    explicit RunCopyClient(const CString& pipeName, int chunkSize = kPipeChunkSize)
        : PipeCommandClient(pipeName, chunkSize) {}

    // The process serving the open pipe runs as this process's user, in its session: a
    // file list from anybody else would be carried out with this user's rights.
    bool IsServerOfThisUser();

    bool GetFileList(std::vector<CString>& list);
    bool GetDestination(CString& destination);
    bool GetFlags(int32_t& flags);
};

// The whole of the started program's side: one Open (the extension made the pipe
// before it started us), the version, the list, the destination and the operation, in
// this order, then Close. True with the three values when every step succeeded and
// there is a job: at least one source and a destination.
bool FetchShellJob(const CString& pipeName, std::vector<CString>& sources, CString& destination, int32_t& flags);

}  // namespace Swiftlet
