#include "ipc/PipePeers.h"

#include <string>

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
SWIFTLET_DYNAMIC_FUNCTION(QueryFullProcessImageNameW, L"kernel32.dll", BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD))

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

bool SystemPipePeers::ProcessImagePath(DWORD processId, CString& path) {
    static const DLL::QueryFullProcessImageNameW imageName;
    if (!imageName.IsAvailable()) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process) return false;
    std::wstring buffer(32768, L'\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    const bool ok = imageName(process, 0, buffer.data(), &length) && length > 0 && length < buffer.size();
    CloseHandle(process);
    if (!ok) return false;
    buffer.resize(length);
    path = CString(buffer);
    return true;
}

namespace {

// The long form of a path, so that an 8.3 name and the long name compare equal.
CString LongForm(const CString& path) {
    std::wstring buffer(32768, L'\0');
    const DWORD length = GetLongPathNameW(path, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return path;
    buffer.resize(length);
    return CString(buffer);
}

}  // namespace

bool IsServerOwnProgram(HANDLE pipe, IPipePeers& peers) {
    if (!IsServerOfThisUser(pipe, peers)) return false;
    DWORD server = 0;
    CString ours, theirs;
    if (!peers.ServerProcessId(pipe, server) || !peers.ProcessImagePath(GetCurrentProcessId(), ours) ||
        !peers.ProcessImagePath(server, theirs))
        return false;
    return !ours.IsEmpty() && LongForm(ours).CompareNoCase(LongForm(theirs)) == 0;
}
