#include "ipc/CopyAlgorithmMultiThreadElevateClient.h"

#include <memory>

#include "ipc/CopyAlgorithmMultiThreadElevate.h"
#include "ipc/CopyElevateData.h"
#include "ipc/CoreEventElevateClientHandler.h"

namespace Swiftlet {

using namespace ElevateCommand;

namespace {

class LockHold {
public:
    explicit LockHold(HANDLE lock) : m_lock(lock) { WaitForSingleObject(m_lock, INFINITE); }
    ~LockHold() { ReleaseSemaphore(m_lock, 1, nullptr); }
    LockHold(const LockHold&) = delete;
    LockHold& operator=(const LockHold&) = delete;

private:
    HANDLE m_lock;
};

CDataConverter Request(int32_t id) {
    CDataConverter request;
    request.AppendInt32(id);
    return request;
}

}  // namespace

CopyAlgorithmMultiThreadElevateClient::CopyAlgorithmMultiThreadElevateClient(const CString& pipeName,
                                                                             int chunkSize)
    : PipeCommandClient(pipeName, chunkSize), m_lock(CreateSemaphoreW(nullptr, 1, 1, nullptr)) {
    // A question waits for the user for as long as the user takes; the other process
    // ending breaks the pipe and ends the wait.
    SetIoTimeout(INFINITE);
}

CopyAlgorithmMultiThreadElevateClient::~CopyAlgorithmMultiThreadElevateClient() {
    if (m_lock) CloseHandle(m_lock);
}

bool CopyAlgorithmMultiThreadElevateClient::Call(const CDataConverter& request, std::vector<BYTE>& reply,
                                                 CDataParser& parser) {
    if (!m_lock) return false;
    {
        LockHold hold(m_lock);
        if (!Exchange(request, reply)) return false;
    }
    CDataParser whole(reply.data(), reply.size());
    int32_t status = -1;
    if (reply.size() < 4 || !whole.ReadInt32(status) || status != kSuccess) return false;
    parser = whole;
    return true;
}

bool CopyAlgorithmMultiThreadElevateClient::IsCompatible() {
    if (!m_lock) return false;
    LockHold hold(m_lock);
    return IsPeerCompatible();
}

bool CopyAlgorithmMultiThreadElevateClient::GetJob(CopyOption& option) {
    std::vector<BYTE> reply;
    CDataParser parser(nullptr, 0);
    CopyOption received;
    if (!Call(Request(kJob), reply, parser) || !ElevateData::DecodeJob(parser, received) || parser.Remaining() != 0)
        return false;
    option = received;
    return true;
}

bool CopyAlgorithmMultiThreadElevateClient::GetStatus(CopyStatus& status) {
    std::vector<BYTE> reply;
    CDataParser parser(nullptr, 0);
    CopyStatus received;
    if (!Call(Request(kStatus), reply, parser) || !ElevateData::DecodeStatus(parser, received) ||
        parser.Remaining() != 0)
        return false;
    status = received;
    return true;
}

bool CopyAlgorithmMultiThreadElevateClient::ReportEvent(int code, const CoreDisplayStatus& snapshot) {
    CDataConverter request = Request(kEvent);
    request.AppendInt32(code);
    ElevateData::EncodeSnapshot(request, snapshot);
    std::vector<BYTE> reply;
    CDataParser parser(nullptr, 0);
    return Call(request, reply, parser) && reply.size() == 4;
}

bool CopyAlgorithmMultiThreadElevateClient::Ask(int code, const CoreDisplayStatus& snapshot, int& answer,
                                                int& applyToAll, SelectionMap& selection) {
    CDataConverter request = Request(kQuestion);
    request.AppendInt32(code);
    ElevateData::EncodeSnapshot(request, snapshot);
    std::vector<BYTE> reply;
    CDataParser parser(nullptr, 0);
    int32_t receivedAnswer = 0, receivedForAll = 0;
    SelectionMap receivedSelection;
    if (!Call(request, reply, parser) || !parser.ReadInt32(receivedAnswer) || !parser.ReadInt32(receivedForAll) ||
        !ElevateData::DecodeSelection(parser, receivedSelection) || parser.Remaining() != 0)
        return false;
    answer = receivedAnswer;
    applyToAll = receivedForAll;
    selection = std::move(receivedSelection);
    return true;
}

bool CopyAlgorithmMultiThreadElevateClient::QueryFlag(int32_t command, int& flag) {
    std::vector<BYTE> reply;
    CDataParser parser(nullptr, 0);
    int32_t value = -1;
    if (!Call(Request(command), reply, parser) || reply.size() != 8 || !parser.ReadInt32(value)) return false;
    if (value != 0 && value != 1) return false;
    flag = value;
    return true;
}

bool CopyAlgorithmMultiThreadElevateClient::IsCancelled(int& cancelled) { return QueryFlag(kCancelQuery, cancelled); }

bool CopyAlgorithmMultiThreadElevateClient::IsPaused(int& paused) { return QueryFlag(kPauseQuery, paused); }

int RunElevatedCopy(const CString& pipeName, CopyCore& core, IPipePeers* peers) {
    SystemPipePeers systemPeers;
    CopyAlgorithmMultiThreadElevateClient client(pipeName);
    // Once: the user-interface process made the pipe before it started this process.
    if (!client.Open()) return 0;
    // Whoever serves the pipe decides what this process, with administrator rights,
    // writes and deletes: only the user's own Swiftlet may.
    if (!IsServerOwnProgram(client.Handle(), peers ? *peers : systemPeers) || !client.IsCompatible() ||
        core.thread.load() != nullptr) {
        client.Close();
        return 0;
    }
    CreateCopyOptionElevateClient job(&client);
    int ran = 0;
    if (job.Create() == 1) {
        core.option = job.option;
        std::unique_ptr<CoreEventElevateClientHandler> handler;
        try {
            handler = std::make_unique<CoreEventElevateClientHandler>(&client);
        } catch (...) {
            // Without the polls the user could neither pause nor cancel: no job.
        }
        if (handler) {
            core.handler = handler.get();
            core.elevatePeer = &client;
            // The process has nothing else to do while the job runs: it runs here.
            core.Run();
            core.handler = nullptr;
            core.elevatePeer = nullptr;
            handler.reset();
            ran = 1;
        }
    }
    client.Close();
    return ran;
}

}  // namespace Swiftlet
