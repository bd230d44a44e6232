#include "ipc/PipeCommand.h"

#include <algorithm>

#include "foundation/OSVersion.h"

#include "framework/Resource.h"

namespace {

// An auto-reset event for one overlapped operation, closed when the call returns.
UniqueHandle NewIoEvent() { return UniqueHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr)); }

// What is left of a window of windowMs that began at start.
DWORD Remaining(DWORD start, DWORD windowMs, DWORD now) {
    if (windowMs == INFINITE) return INFINITE;
    // Elapsed time in unsigned arithmetic survives the tick count wrapping.
    const DWORD elapsed = now - start;
    return elapsed >= windowMs ? 0 : windowMs - elapsed;
}

}  // namespace

// ---- PipeCommandBase --------------------------------------------------------------

PipeCommandBase::PipeCommandBase(const CString& pipeName, int chunkSize)
    : m_name(pipeName), m_chunkSize(chunkSize > 0 ? chunkSize : kPipeChunkSize) {}

PipeCommandBase::~PipeCommandBase() {
    if (m_pipe != INVALID_HANDLE_VALUE) CloseHandle(m_pipe);
}

void PipeCommandBase::Close() {
    if (m_pipe != INVALID_HANDLE_VALUE) {
        CloseHandle(m_pipe);
        m_pipe = INVALID_HANDLE_VALUE;
    }
}

bool PipeCommandBase::Wait(HANDLE event, DWORD timeoutMs) {
    return WaitForSingleObject(event, timeoutMs) == WAIT_OBJECT_0;
}

void PipeCommandBase::SetDeadline(DWORD startTick, DWORD windowMs) {
    m_hasDeadline = true;
    m_deadlineStart = startTick;
    m_deadlineWindow = windowMs;
}

DWORD PipeCommandBase::TimeLeft(DWORD startTick) const {
    const DWORD now = GetTickCount();
    DWORD left = Remaining(startTick, m_ioTimeoutMs, now);
    if (m_hasDeadline) left = std::min(left, Remaining(m_deadlineStart, m_deadlineWindow, now));
    return left;
}

void PipeCommandBase::AbandonIo(HANDLE event) {
    if (m_pipe == INVALID_HANDLE_VALUE) return;
    CancelIo(m_pipe);
    // Cancellation completes the operation and signals its event; until then the
    // system may still write into the OVERLAPPED and the buffer.
    WaitForSingleObject(event, INFINITE);
}

bool PipeCommandBase::Write(const void* data, DWORD length) {
    if (m_pipe == INVALID_HANDLE_VALUE || length > kMaxPipeMessageSize) return false;
    const DWORD start = GetTickCount();
    UniqueHandle event = NewIoEvent();
    if (!event) return false;
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    DWORD written = 0;
    if (WriteFile(m_pipe, data, length, &written, &ov)) {
        // Completed at once: the count is in the OVERLAPPED as well.
        return ov.InternalHigh == length;
    }
    if (GetLastError() != ERROR_IO_PENDING) return false;
    if (!Wait(event.get(), TimeLeft(start))) {
        AbandonIo(event.get());
        return false;
    }
    if (m_pipe == INVALID_HANDLE_VALUE) return false;
    if (!GetOverlappedResult(m_pipe, &ov, &written, TRUE)) return false;
    return written == length;
}

bool PipeCommandBase::Write(const CDataConverter& message) {
    return Write(message.Data(), static_cast<DWORD>(message.Size()));
}

bool PipeCommandBase::WriteStatus(int32_t status) {
    return Write(&status, sizeof status);
}

bool PipeCommandBase::Read(std::vector<BYTE>& message) {
    message.clear();
    if (m_pipe == INVALID_HANDLE_VALUE) return false;
    const size_t chunk = static_cast<size_t>(m_chunkSize);
    size_t offset = 0;
    // The bound holds for the whole message, however it arrives.
    const DWORD start = GetTickCount();
    for (;;) {
        if (offset + chunk > kMaxPipeMessageSize) {
            message.clear();
            return false;
        }
        UniqueHandle event = NewIoEvent();
        if (!event) {
            message.clear();
            return false;
        }
        message.resize(offset + chunk);
        OVERLAPPED ov{};
        ov.hEvent = event.get();
        DWORD got = 0;
        bool ok = ReadFile(m_pipe, message.data() + offset, static_cast<DWORD>(chunk), &got, &ov) != FALSE;
        if (ok) {
            got = static_cast<DWORD>(ov.InternalHigh);
        } else if (GetLastError() == ERROR_IO_PENDING) {
            if (!Wait(event.get(), TimeLeft(start))) {
                AbandonIo(event.get());
            } else if (m_pipe != INVALID_HANDLE_VALUE) {
                ok = GetOverlappedResult(m_pipe, &ov, &got, FALSE) != FALSE;
            }
        }
        if (!ok) {
            // A message cut off by a broken pipe is lost, not delivered short.
            message.clear();
            return false;
        }
        offset += got;
        message.resize(offset);
        DWORD available = 0;
        if (!PeekNamedPipe(m_pipe, nullptr, 0, nullptr, &available, nullptr)) available = 0;
        if (available == 0) return true;
    }
}

// ---- PipeCommandClient ------------------------------------------------------------

bool PipeCommandClient::Open() {
    Close();
    m_pipe = CreateFileW(m_name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
    return m_pipe != INVALID_HANDLE_VALUE;
}

bool PipeCommandClient::Connect(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    bool open = Open();
    // Elapsed time in unsigned arithmetic survives the tick count wrapping.
    while (!open && GetTickCount() - start < timeoutMs) {
        Sleep(10);
        open = Open();
    }
    return m_pipe != INVALID_HANDLE_VALUE;
}

bool PipeCommandClient::Exchange(const CDataConverter& request, std::vector<BYTE>& reply) {
    reply.clear();
    if (!Write(request)) return false;
    return Read(reply);
}

bool PipeCommandClient::QueryVersion(ProtocolVersion& version) {
    CDataConverter request;
    request.AppendInt32(kVersionCommand);
    std::vector<BYTE> reply;
    if (!Exchange(request, reply)) return false;
    if (reply.size() != 20) return false;
    CDataParser parser(reply.data(), reply.size());
    int32_t status = -1;
    ProtocolVersion v{};
    if (!parser.ReadInt32(status) || status != 0) return false;
    if (!parser.ReadUInt64(v.major) || !parser.ReadUInt64(v.minor)) return false;
    version = v;
    return true;
}

bool PipeCommandClient::IsPeerCompatible() {
    ProtocolVersion v{};
    return QueryVersion(v) && v == kProtocolVersion;
}

// ---- PipeCommandServer ------------------------------------------------------------

PipeCommandServer::PipeCommandServer(const CString& pipeName, int chunkSize, PipeAccess access)
    : PipeCommandBase(pipeName, chunkSize),
      m_stopEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_access(access) {}

PipeCommandServer::~PipeCommandServer() {
    if (m_stopEvent) CloseHandle(m_stopEvent);
}

bool PipeCommandServer::Wait(HANDLE event, DWORD timeoutMs) {
    const HANDLE handles[2] = {event, m_stopEvent};
    const DWORD r = WaitForMultipleObjects(2, handles, FALSE, timeoutMs);
    if (r == WAIT_OBJECT_0) return true;
    if (r == WAIT_OBJECT_0 + 1) {
        AbandonIo(event);
        Close();
    }
    return false;
}

bool PipeCommandServer::Create() {
    Close();
    PipeAccessList access(m_access);
    if (!access.IsValid()) return false;
    // The first instance only: a pipe of this name that another process made first is
    // never joined, so nobody can sit on the name and take our clients. Remote clients
    // are refused where the system knows how (from Vista on).
    const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE;
    const DWORD pipeMode = COSVersion().IsVistaOrLater() ? PIPE_REJECT_REMOTE_CLIENTS : 0;
    const DWORD buffer = static_cast<DWORD>(m_chunkSize);
    m_pipe = CreateNamedPipeW(m_name, openMode, pipeMode, 1, buffer, buffer, 60000, access.Attributes());
    if (m_pipe == INVALID_HANDLE_VALUE) return false;
    // Where the flag is not honoured (Wine), a pipe made by another process with room
    // for more instances takes ours in beside its own: then ours is not the only one.
    DWORD instances = 0;
    if (!GetNamedPipeHandleStateW(m_pipe, nullptr, &instances, nullptr, nullptr, nullptr, 0) || instances != 1) {
        Close();
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    return true;
}

bool PipeCommandServer::Accept() {
    if (m_pipe == INVALID_HANDLE_VALUE) return false;
    UniqueHandle event = NewIoEvent();
    if (!event) return false;
    OVERLAPPED ov{};
    ov.hEvent = event.get();
    if (ConnectNamedPipe(m_pipe, &ov)) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) return true;
    if (error != ERROR_IO_PENDING) return false;
    // Waiting for the next client has no bound: only the stop request ends it.
    if (!Wait(event.get(), INFINITE)) {
        AbandonIo(event.get());
        return false;
    }
    DWORD unused = 0;
    return m_pipe != INVALID_HANDLE_VALUE && GetOverlappedResult(m_pipe, &ov, &unused, FALSE);
}

int PipeCommandServer::Run() {
    if (!Create()) return -1;
    for (;;) {
        std::vector<BYTE> message;
        if (Accept()) {
            while (Read(message)) {
                try {
                    OnCommand(message);
                } catch (...) {
                    // A failing handler ends only this client's connection.
                    break;
                }
            }
        }
        if (StopRequested()) {
            Close();
            return 0;
        }
        // Keep the one pipe instance for the next client: while it exists a client that
        // comes now finds the channel busy and waits, where a closed pipe would tell it
        // that nobody serves the channel.
        if (IsOpen() && DisconnectNamedPipe(m_pipe)) continue;
        Close();
        if (!Create()) return -1;
    }
}

void PipeCommandServer::RequestStop() {
    m_stopFlag.store(1);
    SetEvent(m_stopEvent);
}

bool PipeCommandServer::WriteVersionReply() {
    CDataConverter reply;
    reply.AppendInt32(0);
    reply.AppendUInt64(kProtocolVersion.major);
    reply.AppendUInt64(kProtocolVersion.minor);
    return Write(reply);
}
