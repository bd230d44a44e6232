#include "service/ServiceCommandServer.h"

#include "ipc/PipeNames.h"
#include "ipc/ServiceCommandClient.h"

namespace Swiftlet {

static_assert(sizeof(DiskCacheRecord) == ServiceCommand::kDiskCacheRecordSize,
              "the service sends the record the client decodes");

ServiceCommandServer::ServiceCommandServer(const CString& pipeName, IVolumeDevices* devices)
    : PipeCommandServer(pipeName, kPipeChunkSize, PipeAccess::kInteractiveUsers), m_devices(devices ? devices : &m_systemDevices) {}

void ServiceCommandServer::OnCommand(const std::vector<BYTE>& message) {
    if (message.size() < 4) {
        WriteStatus(ServiceCommand::kMalformed);
        return;
    }
    CDataParser parser(message.data(), message.size());
    int32_t id = 0;
    parser.ReadInt32(id);

    int32_t status = ServiceCommand::kUnknownCommand;
    if (id == ServiceCommand::kVersion) {
        if (parser.Remaining() == 0) {
            WriteVersionReply();
            return;
        }
        status = ServiceCommand::kMalformed;
    } else if (id == ServiceCommand::kDiskCache) {
        status = HandleDiskCache(parser);
        if (status == ServiceCommand::kSuccess) return;
    }
    WriteStatus(status);
}

int32_t ServiceCommandServer::HandleDiskCache(CDataParser& parser) {
    // A request without its whole letter is refused: a letter that was never sent must
    // not be guessed.
    uint16_t letter = 0;
    if (!parser.ReadUInt16(letter) || parser.Remaining() != 0) return ServiceCommand::kMalformed;
    const DiskCacheRecord record = QueryDiskCache(static_cast<wchar_t>(letter), *m_devices);
    CDataConverter reply;
    reply.AppendInt32(ServiceCommand::kSuccess);
    reply.AppendBytes(&record, sizeof record);
    Write(reply);
    return ServiceCommand::kSuccess;
}

// ---- ServiceCommandServerThread ---------------------------------------------------

IMPLEMENT_DYNCREATE(ServiceCommandServerThread, CWinThread)

ServiceCommandServerThread::ServiceCommandServerThread()
    : m_server(new ServiceCommandServer(PipeNames::ServicePipeName())) {}

ServiceCommandServerThread::~ServiceCommandServerThread() { delete m_server; }

ServiceCommandServerThread* ServiceCommandServerThread::Start(IVolumeDevices* devices, const CString& pipeName) {
    CWinThread* created =
        AfxBeginThread(RUNTIME_CLASS(ServiceCommandServerThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    auto* thread = dynamic_cast<ServiceCommandServerThread*>(created);
    if (!thread) return nullptr;
    // Still suspended: the server may be replaced before the thread uses it.
    thread->m_bAutoDelete = FALSE;
    if (devices || !pipeName.IsEmpty()) {
        delete thread->m_server;
        thread->m_server =
            new ServiceCommandServer(pipeName.IsEmpty() ? PipeNames::ServicePipeName() : pipeName, devices);
    }
    thread->ResumeThread();
    return thread;
}

BOOL ServiceCommandServerThread::InitInstance() {
    try {
        m_server->Run();
    } catch (...) {
        // Nothing may unwind out of the thread; the service just stops answering.
    }
    return FALSE;
}

void ServiceCommandServerThread::Stop() {
    m_server->RequestStop();
    PostThreadMessage(WM_QUIT, 0, 0);
    if (WaitForSingleObject(m_hThread, 10000) == WAIT_TIMEOUT) TerminateThread(m_hThread, 0xFFFFFFFF);
}

}  // namespace Swiftlet
