#include "shellext/RunCopyServer.h"

#include <algorithm>

#include "foundation/DynamicFunction.h"
#include "ipc/PipeNames.h"
#include "ipc/RunCopyCommand.h"

namespace DLL {

// From Vista on.
SWIFTLET_DYNAMIC_FUNCTION(GetNamedPipeClientProcessId, L"kernel32.dll", BOOL(WINAPI*)(HANDLE, PULONG))

}  // namespace DLL

namespace ShellEx {

using namespace Swiftlet::RunCopyCommand;

RunCopyServer::RunCopyServer(const CString& pipeName, int chunkSize, const CString* programPath,
                             const std::vector<CString>* sources, const CString* destination, const int32_t* flags)
    : PipeCommandServer(pipeName, chunkSize, PipeAccess::kCurrentUser),
      m_started{},
      m_programPath(programPath),
      m_sources(sources),
      m_destination(destination),
      m_flags(flags) {}

RunCopyServer::~RunCopyServer() { EndProgramWatch(); }

CString RunCopyServer::PipeNameOfThisThread() {
    return Swiftlet::PipeNames::ShellHandOverPipeName(static_cast<int>(GetCurrentProcessId()),
                                                      static_cast<int>(GetCurrentThreadId()));
}

void RunCopyServer::EndProgramWatch() {
    if (m_started.hProcess) CloseHandle(m_started.hProcess);
    m_started = SHELLEXECUTEINFOW{};
}

bool RunCopyServer::Wait(HANDLE event, DWORD timeoutMs) {
    if (m_accepting) timeoutMs = std::min(timeoutMs, m_connectTimeoutMs);
    HANDLE handles[3] = {event, m_stopEvent, m_started.hProcess};
    const DWORD count = m_started.hProcess ? 3 : 2;
    const DWORD r = WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + 1) {
        AbandonIo(event);
        Close();
    }
    // The program's end, the time-out or a failed wait: the caller abandons the operation.
    return false;
}

bool RunCopyServer::StartProgram() {
    m_parameters.Format(L"/FCP %s", PipeName().GetString());
    m_started = SHELLEXECUTEINFOW{};
    m_started.cbSize = sizeof m_started;
    // A start that fails is quiet, like every failure of the hand-over: no message box
    // from the system on Explorer's thread.
    m_started.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    m_started.lpVerb = L"open";
    m_started.lpFile = m_programPath->GetString();
    m_started.lpParameters = m_parameters.GetString();
    m_started.nShow = SW_SHOW;
    const bool started = ShellExecuteExW(&m_started) != FALSE &&
                         reinterpret_cast<INT_PTR>(m_started.hInstApp) > 32;
    // Without its process handle the program could not be watched while it connects.
    if (!started || !m_started.hProcess) {
        EndProgramWatch();
        return false;
    }
    m_startedProcessId = GetProcessId(m_started.hProcess);
    return true;
}

bool RunCopyServer::IsClientOurProgram() const {
    static const DLL::GetNamedPipeClientProcessId clientProcessId;
    if (!clientProcessId.IsAvailable()) return true;  // the pipe's access list is all there is
    ULONG client = 0;
    if (!clientProcessId(m_pipe, &client)) return false;
    return client == m_startedProcessId;
}

int RunCopyServer::Run() {
    if (!m_programPath || !m_sources || !m_destination || !m_flags) return -1;
    if (!Create()) return -1;
    if (!StartProgram()) {
        Close();
        return -1;
    }
    m_accepting = true;
    const bool connected = Accept();
    m_accepting = false;
    // The list is the user's: it goes to the program we started and to nobody else.
    if (connected && IsClientOurProgram()) {
        std::vector<BYTE> message;
        while (Read(message)) {
            try {
                OnCommand(message);
            } catch (...) {
                break;
            }
        }
    }
    EndProgramWatch();
    Close();
    return 0;
}

void RunCopyServer::OnCommand(const std::vector<BYTE>& message) {
    if (message.size() < 4) {
        WriteStatus(kTooShort);
        return;
    }
    CDataParser parser(message.data(), message.size());
    int32_t id = 0;
    parser.ReadInt32(id);
    if (id < kVersion || id > kFlags) {
        WriteStatus(kUnknownCommand);
        return;
    }
    if (parser.Remaining() != 0) {
        WriteStatus(kMalformed);
        return;
    }
    if (id == kVersion) {
        WriteVersionReply();
        return;
    }
    CDataConverter reply;
    reply.AppendInt32(kSuccess);
    if (id == kFileList) reply.AppendStringList(*m_sources);
    else if (id == kDestination) reply.AppendString(*m_destination);
    else reply.AppendInt32(*m_flags);
    Write(reply);
}

}  // namespace ShellEx
