#include "ipc/PipePeers.h"

#include "foundation/DynamicFunction.h"

namespace PipeIdentity {

bool TokenUser(HANDLE token, Sid& sid) {
    DWORD size = 0;
    GetTokenInformation(token, ::TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return false;
    // TOKEN_USER holds a pointer: the buffer must be aligned for it.
    std::vector<ULONG_PTR> buffer((size + sizeof(ULONG_PTR) - 1) / sizeof(ULONG_PTR));
    if (!GetTokenInformation(token, ::TokenUser, buffer.data(), size, &size)) return false;
    const PSID user = reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid;
    if (!user || !IsValidSid(user)) return false;
    const BYTE* bytes = static_cast<const BYTE*>(user);
    sid.assign(bytes, bytes + GetLengthSid(user));
    return true;
}

bool CurrentUser(Sid& sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const bool ok = TokenUser(token, sid);
    CloseHandle(token);
    return ok;
}

}  // namespace PipeIdentity

namespace DLL {

// From Vista on.
SWIFTLET_DYNAMIC_FUNCTION(GetNamedPipeServerProcessId, L"kernel32.dll", BOOL(WINAPI*)(HANDLE, PULONG))

}  // namespace DLL

bool SystemPipePeers::ServerProcessId(HANDLE pipe, DWORD& processId) {
    static const DLL::GetNamedPipeServerProcessId serverProcessId;
    ULONG id = 0;
    if (!serverProcessId.IsAvailable() || !serverProcessId(pipe, &id) || id == 0) return false;
    processId = id;
    return true;
}

bool SystemPipePeers::ProcessUser(DWORD processId, PipeIdentity::Sid& sid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    HANDLE token = nullptr;
    bool ok = false;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        ok = PipeIdentity::TokenUser(token, sid);
        CloseHandle(token);
    }
    CloseHandle(process);
    return ok;
}

bool SystemPipePeers::ProcessSession(DWORD processId, DWORD& sessionId) {
    return ProcessIdToSessionId(processId, &sessionId) != FALSE;
}

bool IsServerOfThisUser(HANDLE pipe, IPipePeers& peers) {
    DWORD server = 0;
    if (pipe == INVALID_HANDLE_VALUE || !peers.ServerProcessId(pipe, server)) return false;
    const DWORD self = GetCurrentProcessId();
    PipeIdentity::Sid ours, theirs;
    if (!peers.ProcessUser(self, ours) || !peers.ProcessUser(server, theirs)) return false;
    if (ours.empty() || ours != theirs) return false;
    DWORD ourSession = 0, theirSession = 0;
    if (!peers.ProcessSession(self, ourSession) || !peers.ProcessSession(server, theirSession)) return false;
    return ourSession == theirSession;
}
