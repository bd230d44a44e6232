#pragma once
// The request/reply channel over a local named pipe that every Swiftlet process speaks.
// A message is whatever one Write sends; the reader ends it when the pipe holds no more
// bytes, so each side sends one message and then waits for the answer.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "foundation/noncopyable.h"
#include "framework/CString.h"
#include "ipc/DataConverter.h"
#include "ipc/PipeAccessList.h"

// Shared by every channel; on the wire the 16 bytes read as int32 1, 0, 0, 1.
struct ProtocolVersion {
    uint64_t major;
    uint64_t minor;
    bool operator==(const ProtocolVersion&) const = default;
};
inline constexpr ProtocolVersion kProtocolVersion{1, 4294967296ull};

inline constexpr int32_t kVersionCommand = 1;
inline constexpr int kPipeChunkSize = 1024;
// Larger messages are refused by both Read and Write: no request in the system comes
// near this, and a peer must not make us grow a buffer without bound.
inline constexpr size_t kMaxPipeMessageSize = 256u * 1024u * 1024u;
// How long one Read or one Write waits for the peer. A peer that stops talking, or a
// server that stops answering, is given up after this, and the connection with it.
inline constexpr DWORD kPipeIoTimeoutMs = 5000;

class PipeCommandBase : private noncopyable {
public:
    PipeCommandBase(const CString& pipeName, int chunkSize);
    virtual ~PipeCommandBase();

    virtual void Close();
    // Receives one message; false on a failed or broken read (the end of a connection
    // shows up as a false with an empty message).
    virtual bool Read(std::vector<BYTE>& message);
    // Sends one message with a single overlapped WriteFile.
    virtual bool Write(const void* data, DWORD length);
    // Waits for an I/O event at most timeoutMs; false means the operation is to be
    // abandoned.
    virtual bool Wait(HANDLE event, DWORD timeoutMs);

    bool Write(const CDataConverter& message);
    bool WriteStatus(int32_t status);

    HANDLE Handle() const { return m_pipe; }
    bool IsOpen() const { return m_pipe != INVALID_HANDLE_VALUE; }
    const CString& PipeName() const { return m_name; }
    int ChunkSize() const { return m_chunkSize; }

    // The bound of each later Read and Write (kPipeIoTimeoutMs at construction).
    void SetIoTimeout(DWORD timeoutMs) { m_ioTimeoutMs = timeoutMs; }
    DWORD IoTimeout() const { return m_ioTimeoutMs; }
    // Every later Read and Write also ends by startTick + windowMs (GetTickCount
    // values), so that a whole exchange stays within one window.
    void SetDeadline(DWORD startTick, DWORD windowMs);

protected:
    // How long an operation that began at startTick may still wait.
    DWORD TimeLeft(DWORD startTick) const;
    // An overlapped operation whose Wait gave up must be finished before its OVERLAPPED
    // and buffer go away: cancel it and wait for the cancellation to land. Overrides of
    // Wait that close the pipe must call this first.
    // Harmless when the operation already ended: the event is then signalled already.
    void AbandonIo(HANDLE event);

    HANDLE m_pipe = INVALID_HANDLE_VALUE;
    CString m_name;
    int m_chunkSize;
    DWORD m_ioTimeoutMs = kPipeIoTimeoutMs;
    bool m_hasDeadline = false;
    DWORD m_deadlineStart = 0;
    DWORD m_deadlineWindow = 0;
};

class PipeCommandClient : public PipeCommandBase {
public:
    using PipeCommandBase::PipeCommandBase;

    // One CreateFileW; GetLastError tells why it failed. The server may identify the
    // client but never act in its name.
    virtual bool Open();
    // Open, retried every 10 ms until timeoutMs have passed.
    virtual bool Connect(DWORD timeoutMs);

    // Write the request, Read the reply; false when either fails.
    bool Exchange(const CDataConverter& request, std::vector<BYTE>& reply);
    // Version query: true only for an exact 20-byte reply with status 0.
    bool QueryVersion(ProtocolVersion& version);
    // The peer answers the version query with our own protocol version.
    bool IsPeerCompatible();
};

class PipeCommandServer : public PipeCommandBase {
public:
    // access: who may open the pipe.
    PipeCommandServer(const CString& pipeName, int chunkSize, PipeAccess access = PipeAccess::kCurrentUser);
    ~PipeCommandServer() override;

    // Waits on the I/O event and the stop event; the stop event closes the pipe.
    bool Wait(HANDLE event, DWORD timeoutMs) override;
    // Serves clients one after another until stopped: 0 when stopped by request, -1
    // when the pipe instance cannot be created. A client that stops talking for longer
    // than the I/O bound is dropped.
    virtual int Run();
    // The pipe's only instance, for local clients only. Fails when a pipe of the name
    // exists already, whoever made it: a server never joins a pipe someone else owns.
    virtual bool Create();
    virtual bool Accept();
    // Handles one request and writes its reply.
    virtual void OnCommand(const std::vector<BYTE>& message) = 0;

    // From another thread: flag first, then the event.
    void RequestStop();
    bool StopRequested() const { return m_stopFlag.load() != 0; }
    HANDLE StopEvent() const { return m_stopEvent; }

    // Status 0 and our protocol version.
    bool WriteVersionReply();

protected:
    HANDLE m_stopEvent;
    std::atomic<LONG> m_stopFlag{0};
    PipeAccess m_access;
};
