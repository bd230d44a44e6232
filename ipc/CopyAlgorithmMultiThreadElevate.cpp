#include "ipc/CopyAlgorithmMultiThreadElevate.h"

#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "control/CopyStatus.h"
#include "control/CoreEvent.h"
#include "foundation/DynamicFunction.h"
#include "foundation/OSVersion.h"
#include "ipc/CopyElevateData.h"
#include "ipc/PipeNames.h"

namespace DLL {

// From Vista on.
SWIFTLET_DYNAMIC_FUNCTION(GetNamedPipeClientProcessId, L"kernel32.dll", BOOL(WINAPI*)(HANDLE, PULONG))

}  // namespace DLL

namespace Swiftlet {

namespace ElevateCommand {

bool IsReportedEvent(int32_t code) {
    switch (code) {
    case kEventAlgorithmStart:
    case kEventError:
    case kEventProgress:
    case kEventReadProgress:
    case kEventWriteProgress:
    case kEventCopyPaused:
    case kEventCopyResumed:
        return true;
    default:
        return false;
    }
}

}  // namespace ElevateCommand

using namespace ElevateCommand;

namespace {

bool IsSignalled(HANDLE event) {
    if (!event) return false;
    const DWORD result = WaitForSingleObject(event, 0);
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

// Whole milliseconds of a stopwatch; 0 for one that never started.
uint64_t Milliseconds(const Stopwatch* watch) {
    if (!watch || watch->start == 0) return 0;
    return static_cast<uint64_t>(watch->ElapsedMicroseconds() / 1000);
}

CString OwnExecutable() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return CString();
    path.resize(length);
    return CString(path);
}

}  // namespace

HANDLE ShellElevatedStarter::Start(const CString& parameters) {
    const CString program = OwnExecutable();
    if (program.IsEmpty()) return nullptr;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = COSVersion().IsVistaOrLater() ? L"runas" : L"open";
    info.lpFile = program.GetString();
    info.lpParameters = parameters.GetString();
    info.nShow = SW_SHOW;
    // The shell may hand the start to COM objects: this thread is the job's, not the
    // user interface's, and has no apartment of its own yet.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL started = ShellExecuteExW(&info);
    if (SUCCEEDED(com)) CoUninitialize();
    if (!started || reinterpret_cast<INT_PTR>(info.hInstApp) <= 32) {
        if (info.hProcess) CloseHandle(info.hProcess);
        return nullptr;
    }
    return info.hProcess;
}

CopyAlgorithmMultiThreadElevate::CopyAlgorithmMultiThreadElevate(const CopyElevateJob& job)
    : PipeCommandServer(PipeNames::ElevationPipeName(static_cast<int>(GetCurrentProcessId()),
                                                     static_cast<int>(GetCurrentThreadId())),
                        kPipeChunkSize, PipeAccess::kCurrentUser),
      m_job(job) {
    // The child may be silent for as long as it likes: it is watched instead (Wait).
    SetIoTimeout(INFINITE);
}

CopyAlgorithmMultiThreadElevate::~CopyAlgorithmMultiThreadElevate() {
    if (m_child) CloseHandle(m_child);
}

bool CopyAlgorithmMultiThreadElevate::Wait(HANDLE event, DWORD timeoutMs) {
    HANDLE handles[3] = {event, m_stopEvent, m_child};
    const DWORD count = m_child ? 3 : 2;
    const DWORD result = WaitForMultipleObjects(count, handles, FALSE, timeoutMs);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_OBJECT_0 + 1 || result == WAIT_OBJECT_0 + 2) {
        AbandonIo(event);
        Close();
    }
    return false;
}

bool CopyAlgorithmMultiThreadElevate::IsClientTheChild() const {
    static const DLL::GetNamedPipeClientProcessId clientProcessId;
    if (!clientProcessId.IsAvailable()) return true;  // before Vista nothing tells
    ULONG client = 0;
    return clientProcessId(m_pipe, &client) && client != 0 && client == GetProcessId(m_child);
}

void CopyAlgorithmMultiThreadElevate::PrepareStatus() {
    if (!m_job.status) return;
    CopyStatusElevateOperator(m_job.status).Prepare();
    CDataConverter record;
    record.AppendInt32(kSuccess);
    ElevateData::EncodeStatus(record, *m_job.status);
    m_statusRecord = record.Bytes();
    // The worker that stopped first signalled cancel to stop the other one.
    if (m_job.cancelEvent) m_job.cancelEvent->Reset();
}

bool CopyAlgorithmMultiThreadElevate::HandOver(IElevatedStarter& starter) {
    if (!m_job.status || !m_job.option) return false;
    PrepareStatus();
    if (!Create()) return false;
    CString parameters;
    parameters.Format(L"/p %s", PipeName().GetString());
    m_child = starter.Start(parameters);
    if (!m_child) {
        Close();
        return false;
    }
    if (!Accept() || !IsClientTheChild()) {
        Close();
        return false;
    }
    std::vector<BYTE> message;
    while (Read(message)) {
        try {
            OnCommand(message);
        } catch (...) {
            break;
        }
    }
    Close();
    return true;
}

bool CopyAlgorithmMultiThreadElevate::IsCancelled() const {
    CountedEvent* cancel = m_job.cancelEvent;
    if (!cancel || !IsSignalled(cancel->Handle())) return false;
    // Auto-reset: the test took the signal, which belongs to whoever waits for it.
    cancel->Set();
    return true;
}

bool CopyAlgorithmMultiThreadElevate::IsPaused() const {
    // The run event is reset to pause and set to resume by the user interface alone;
    // setting it again here could undo a pause asked for a moment ago.
    CountedEvent* run = m_job.runEvent;
    return run && !IsSignalled(run->Handle());
}

int32_t CopyAlgorithmMultiThreadElevate::HandleReplay(CDataParser& parser, bool question) {
    int32_t code = 0;
    CoreDisplayStatus snapshot;
    if (!parser.ReadInt32(code) || !ElevateData::DecodeSnapshot(parser, snapshot) || parser.Remaining() != 0)
        return kMalformed;
    if (question ? !IsQuestionEvent(code) : !IsReportedEvent(code)) return kMalformed;
    // The panel shows this process's own clock: the job began here.
    snapshot.totalElapsedMs = Milliseconds(m_job.totalWatch);
    snapshot.copyElapsedMs = Milliseconds(m_job.copyWatch);
    int applyToAll = 0;
    SelectionMap selection;
    // The other process's algorithm starts before it has its status: its first snapshot
    // knows no progress, and the panel keeps what it shows until the next one.
    const CoreDisplayStatus* shown = code == kEventAlgorithmStart ? nullptr : &snapshot;
    const int answer = m_job.events ? m_job.events->Replay(code, shown, &applyToAll, &selection) : 0;
    CDataConverter reply;
    reply.AppendInt32(kSuccess);
    if (question) {
        reply.AppendInt32(answer);
        reply.AppendInt32(applyToAll);
        ElevateData::EncodeSelection(reply, selection);
    }
    Write(reply);
    return kSuccess;
}

void CopyAlgorithmMultiThreadElevate::OnCommand(const std::vector<BYTE>& message) {
    if (message.size() < 4) {
        WriteStatus(kMalformed);
        return;
    }
    CDataParser parser(message.data(), message.size());
    int32_t id = 0;
    parser.ReadInt32(id);
    int32_t status = kUnknownCommand;
    CDataConverter reply;
    switch (id) {
    case kVersion:
        WriteVersionReply();
        return;
    case kJob:
        if (!m_job.option) break;
        reply.AppendInt32(kSuccess);
        ElevateData::EncodeJob(reply, *m_job.option);
        Write(reply);
        return;
    case kStatus:
        if (m_statusRecord.empty()) break;
        Write(m_statusRecord.data(), static_cast<DWORD>(m_statusRecord.size()));
        return;
    case kEvent:
    case kQuestion:
        status = HandleReplay(parser, id == kQuestion);
        break;
    case kCancelQuery:
    case kPauseQuery:
        reply.AppendInt32(kSuccess);
        reply.AppendInt32((id == kCancelQuery ? IsCancelled() : IsPaused()) ? 1 : 0);
        Write(reply);
        return;
    default:
        break;
    }
    if (status != kSuccess) WriteStatus(status);
}

void CopyElevateHandOver::HandOver(const CopyElevateJob& job) {
    CopyAlgorithmMultiThreadElevate server(job);
    server.HandOver(m_starter ? *m_starter : m_shell);
}

}  // namespace Swiftlet
