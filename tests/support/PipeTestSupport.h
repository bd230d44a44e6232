#pragma once
// Real pipes, servers on threads of their own and child processes for the channel tests.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/CString.h"
#include "ipc/DataConverter.h"
#include "ipc/PipeCommand.h"

namespace PipeTest {

using Bytes = std::vector<BYTE>;

// A pipe name no other test uses, in this process or another.
CString UniquePipeName(const wchar_t* tag);
// Waits until the pipe exists with an instance free to connect; false after timeoutMs.
bool WaitForPipe(const CString& name, DWORD timeoutMs = 20000);

// Builds a message from int32 words.
Bytes Words(std::initializer_list<int32_t> words);
Bytes ToBytes(const CDataConverter& message);
// The 20-byte answer to the version query.
Bytes VersionReply();

// A raw client: sends bytes, returns the reply exactly as it arrived.
class RawClient : public PipeCommandClient {
public:
    explicit RawClient(const CString& name) : PipeCommandClient(name, kPipeChunkSize) {}
    // Empty when the exchange failed.
    Bytes Send(const Bytes& request);
};

// Keeps a server busy the way a live client does: connects, then sends a version query
// every few milliseconds until destroyed. A client that only holds the pipe is dropped
// after the server's I/O bound; this one never is.
class BusyClient {
public:
    explicit BusyClient(const CString& name);
    ~BusyClient();
    BusyClient(const BusyClient&) = delete;
    BusyClient& operator=(const BusyClient&) = delete;
    bool Connected() const { return m_connected; }

private:
    RawClient m_client;
    bool m_connected;
    HANDLE m_stop;
    std::thread m_thread;
};

// One entry of a DACL as the system reads it back.
struct AceEntry {
    BYTE type;  // ACCESS_ALLOWED_ACE_TYPE, ACCESS_DENIED_ACE_TYPE, ...
    BYTE flags;
    ACCESS_MASK mask;
    std::wstring sid;  // "S-1-5-18"
    bool operator==(const AceEntry&) const = default;
};
// The DACL of a kernel object read back with GetSecurityInfo; false when it cannot be
// read or there is none.
bool ReadDacl(HANDLE object, std::vector<AceEntry>& entries);
// "S-1-..." of the user this process runs as.
std::wstring CurrentUserSidString();

// Wine leaves some of the system's security out; tests of what only Windows does skip.
bool RunningUnderWine();

// Runs server.Run() on a thread of its own; the destructor stops the server and joins.
class ServerRunner {
public:
    explicit ServerRunner(PipeCommandServer& server);
    ~ServerRunner();
    ServerRunner(const ServerRunner&) = delete;
    ServerRunner& operator=(const ServerRunner&) = delete;

    // Stops the server and returns what Run returned.
    int Stop();
    // Waits for Run to end by itself.
    int Join();

private:
    PipeCommandServer& m_server;
    std::thread m_thread;
    int m_result = 0;
    bool m_joined = false;
};

// A server that records every request and answers with the next scripted reply (the
// last one again when the script runs out; a 4-byte status 9 when there is none).
class ScriptedServer : public PipeCommandServer {
public:
    explicit ScriptedServer(const CString& name, std::vector<Bytes> replies = {});
    void OnCommand(const std::vector<BYTE>& message) override;

    std::vector<Bytes> Requests();

private:
    std::mutex m_lock;
    std::vector<Bytes> m_replies;
    size_t m_next = 0;
    std::vector<Bytes> m_requests;
};

// A child process started from the test's own folder; terminated by the destructor if
// it is still running.
class ChildProcess {
public:
    // program: file name beside the test executable; arguments: the rest of the line;
    // folder: its current folder (empty: this process's).
    ChildProcess(const wchar_t* program, const CString& arguments, const CString& folder = CString());
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return m_process != nullptr; }
    DWORD Id() const { return m_process ? GetProcessId(m_process) : 0; }
    bool Running() const;
    HANDLE Handle() const { return m_process; }
    // Exit code, or -1 when the process did not end within timeoutMs.
    int Wait(DWORD timeoutMs = 60000);

private:
    HANDLE m_process = nullptr;
};

// Held for the whole of a test that uses one of the system's fixed pipe names, or starts
// a program that does: such tests cannot run side by side, in one test process or in
// several. Wait for Held() before touching the pipe.
class FixedPipeLock {
public:
    // The job hand-over pipe, which Swiftlet.exe opens to find a running instance.
    static constexpr wchar_t kHandOver[] = L"SwiftletHandOverPipeTests";
    // The disk cache service's pipe, which every job built with the real destination
    // probe asks. Running the service program outside the service manager counts too:
    // Wine then connects it to the control pipe of the service started last.
    static constexpr wchar_t kService[] = L"SwiftletServicePipeTests";

    explicit FixedPipeLock(const wchar_t* name);
    ~FixedPipeLock();
    FixedPipeLock(const FixedPipeLock&) = delete;
    FixedPipeLock& operator=(const FixedPipeLock&) = delete;
    bool Held() const { return m_held; }

private:
    HANDLE m_mutex;
    bool m_held = false;
};

// Quotes one command-line argument for CommandLineToArgvW-style parsing.
CString Quote(const CString& argument);

// Bytes of private memory the process has committed at most so far.
uint64_t PeakCommittedBytes();

// Reads a UTF-8 file as UTF-16 text; empty when it cannot be read.
CString ReadUtf8File(const CString& path);

}  // namespace PipeTest
