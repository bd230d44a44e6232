#include "ipc/RunCopyCommand.h"

#include <utility>

namespace Swiftlet {
namespace RunCopyCommand {

bool DecodeFileList(CDataParser& parser, std::vector<CString>& list) {
    std::vector<CString> received;
    if (!parser.ReadPathList(received) || parser.Remaining() != 0) return false;
    for (const CString& path : received)
        if (path.IsEmpty()) return false;
    list = std::move(received);
    return true;
}

bool DecodeDestination(CDataParser& parser, CString& destination) {
    if (parser.Remaining() < sizeof(int32_t)) {
        if (parser.Remaining() != 0) return false;
        destination.Empty();
        return true;
    }
    CString received;
    if (!parser.ReadPath(received) || parser.Remaining() != 0) return false;
    destination = received;
    return true;
}

bool DecodeFlags(CDataParser& parser, int32_t& flags) {
    int32_t received = -1;
    if (!parser.ReadInt32(received) || parser.Remaining() != 0) return false;
    if (received != kCopy && received != kMove) return false;
    flags = received;
    return true;
}

}  // namespace RunCopyCommand

bool RunCopyClient::IsServerOfThisUser() {
    SystemPipePeers peers;
    return ::IsServerOfThisUser(m_pipe, peers);
}

namespace {

// Sends the id alone and checks the status of the reply; the parser then stands after it.
bool SendRequest(RunCopyClient& client, int32_t id, std::vector<BYTE>& reply) {
    CDataConverter request;
    request.AppendInt32(id);
    if (!client.Exchange(request, reply) || reply.size() < 4) return false;
    int32_t status = -1;
    CDataParser parser(reply.data(), reply.size());
    return parser.ReadInt32(status) && status == RunCopyCommand::kSuccess;
}

CDataParser AfterStatus(const std::vector<BYTE>& reply) { return CDataParser(reply.data() + 4, reply.size() - 4); }

}  // namespace

bool RunCopyClient::GetFileList(std::vector<CString>& list) {
    list.clear();
    std::vector<BYTE> reply;
    if (!SendRequest(*this, RunCopyCommand::kFileList, reply)) return false;
    CDataParser parser = AfterStatus(reply);
    return RunCopyCommand::DecodeFileList(parser, list);
}

bool RunCopyClient::GetDestination(CString& destination) {
    std::vector<BYTE> reply;
    if (!SendRequest(*this, RunCopyCommand::kDestination, reply)) return false;
    CDataParser parser = AfterStatus(reply);
    return RunCopyCommand::DecodeDestination(parser, destination);
}

bool RunCopyClient::GetFlags(int32_t& flags) {
    std::vector<BYTE> reply;
    if (!SendRequest(*this, RunCopyCommand::kFlags, reply)) return false;
    CDataParser parser = AfterStatus(reply);
    return RunCopyCommand::DecodeFlags(parser, flags);
}

bool FetchShellJob(const CString& pipeName, std::vector<CString>& sources, CString& destination, int32_t& flags) {
    RunCopyClient client(pipeName);
    if (!client.Open()) return false;
    std::vector<CString> list;
    CString folder;
    int32_t operation = RunCopyCommand::kCopy;
    const bool fetched = client.IsServerOfThisUser() && client.IsPeerCompatible() && client.GetFileList(list) &&
                         client.GetDestination(folder) && client.GetFlags(operation);
    // Closing ends the extension's side, which holds an Explorer thread until then.
    client.Close();
    if (!fetched || list.empty() || folder.IsEmpty()) return false;
    sources = std::move(list);
    destination = folder;
    flags = operation;
    return true;
}

}  // namespace Swiftlet
