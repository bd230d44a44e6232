#include "ipc/MultiUICommand.h"

namespace Swiftlet {
namespace MultiUICommand {

bool Client::CopyRequest(const std::vector<CString>& sources, const CString& destination, int32_t flags) {
    CDataConverter request;
    request.AppendInt32(kCopyFile);
    request.AppendStringList(sources);
    request.AppendString(destination);
    request.AppendInt32(flags);
    if (!Write(request)) return false;
    std::vector<BYTE> reply;
    const DWORD ioTimeout = IoTimeout();
    SetIoTimeout(m_jobReplyTimeoutMs);
    const bool answered = Read(reply);
    SetIoTimeout(ioTimeout);
    if (!answered || reply.size() != 8) return false;
    CDataParser parser(reply.data(), reply.size());
    int32_t status = -1;
    int32_t accepted = 0;
    return parser.ReadInt32(status) && status == kSuccess && parser.ReadInt32(accepted) && accepted == 1;
}

Status DecodeCopyRequest(CDataParser& parser, ServerCopyFileCommandParam& param) {
    if (!parser.ReadPathList(param.sources)) return kMalformed;
    if (!parser.ReadPath(param.destination)) return kMalformed;
    if (!parser.ReadInt32(param.flags)) return kMalformed;
    if (parser.Remaining() != 0) return kMalformed;
    return kSuccess;
}

void Server::OnCommand(const std::vector<BYTE>& message) {
    if (message.size() < 4) {
        WriteStatus(kMalformed);
        return;
    }
    CDataParser parser(message.data(), message.size());
    int32_t id = 0;
    parser.ReadInt32(id);

    Status status = kUnknownCommand;
    if (id == kVersion) {
        if (parser.Remaining() == 0) {
            WriteVersionReply();
            return;
        }
        status = kMalformed;
    } else if (id == kCopyFile) {
        ServerCopyFileCommandParam param;
        status = DecodeCopyRequest(parser, param);
        if (status == kSuccess) {
            m_jobs.Notify(&param);
            CDataConverter reply;
            reply.AppendInt32(kSuccess);
            reply.AppendInt32(param.result);
            Write(reply);
            return;
        }
    }
    WriteStatus(status);
}

}  // namespace MultiUICommand
}  // namespace Swiftlet
