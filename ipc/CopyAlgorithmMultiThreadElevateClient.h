#pragma once
// The elevated process's end of the elevation pipe: it fetches the job and its status
// from the user-interface process, reports its events there, asks its questions there
// and polls there for pause and cancel. Requests come from several threads (the engine's
// events, the algorithm's status request, the timer's polls); each request and its reply
// are one exchange under the client's pipe lock, so that no two interleave on the pipe.
#include <windows.h>

#include "control/CopyCore.h"
#include "control/CoreDisplayStatus.h"
#include "control/CoreEvent.h"
#include "engine/CopyAlgorithm.h"
#include "engine/CopyOption.h"
#include "ipc/PipeCommand.h"
#include "ipc/PipePeers.h"

namespace Swiftlet {

class CopyAlgorithmMultiThreadElevateClient : public PipeCommandClient, public ICopyElevatePeer {
public:
    explicit CopyAlgorithmMultiThreadElevateClient(const CString& pipeName, int chunkSize = kPipeChunkSize);
    ~CopyAlgorithmMultiThreadElevateClient() override;

    // Each is one exchange; false when it fails or the reply is not exactly what the
    // request expects, and then the outputs are left unchanged.
    bool IsCompatible();
    bool GetJob(CopyOption& option);
    bool GetStatus(CopyStatus& status) override;
    bool ReportEvent(int code, const CoreDisplayStatus& snapshot);
    bool Ask(int code, const CoreDisplayStatus& snapshot, int& answer, int& applyToAll, SelectionMap& selection);
    bool IsCancelled(int& cancelled);
    bool IsPaused(int& paused);

private:
    // One locked exchange; on success parser reads the reply after its status 0.
    bool Call(const CDataConverter& request, std::vector<BYTE>& reply, CDataParser& parser);
    bool QueryFlag(int32_t command, int& flag);

    HANDLE m_lock;
};

// The job record, from the user-interface process.
class CreateCopyOptionElevateClient : public ICreateCopyOption {
public:
    explicit CreateCopyOptionElevateClient(CopyAlgorithmMultiThreadElevateClient* client) : m_client(client) {}
    int Create() override { return m_client && m_client->GetJob(option) ? 1 : 0; }

private:
    CopyAlgorithmMultiThreadElevateClient* m_client;
};

// The whole of an elevated process's work, on the calling thread: opens the pipe once,
// takes a job only from the user's own Swiftlet (the same program file, run by the same
// user in the same session), runs it in core and forwards its events. 1 when a job ran.
// peers: what the system says about the server's process (the system itself when null).
int RunElevatedCopy(const CString& pipeName, CopyCore& core, IPipePeers* peers = nullptr);

}  // namespace Swiftlet
