#include "tests/support/PipeTestSupport.h"

#include <aclapi.h>
#include <psapi.h>
#include <sddl.h>

#include <atomic>

#include "tests/support/TestFiles.h"

namespace PipeTest {

CString UniquePipeName(const wchar_t* tag) {
    static std::atomic<unsigned> counter{0};
    CString name;
    name.Format(L"\\\\.\\pipe\\swiftlet-test-%s-%lu-%u-%lu", tag, GetCurrentProcessId(), counter.fetch_add(1),
                GetTickCount());
    return name;
}

bool WaitForPipe(const CString& name, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (WaitNamedPipeW(name, 50)) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

Bytes Words(std::initializer_list<int32_t> words) {
    CDataConverter c;
    for (int32_t w : words) c.AppendInt32(w);
    return ToBytes(c);
}

Bytes ToBytes(const CDataConverter& message) { return message.Bytes(); }

Bytes VersionReply() { return Words({0, 1, 0, 0, 1}); }

Bytes RawClient::Send(const Bytes& request) {
    Bytes reply;
    if (!Write(request.data(), static_cast<DWORD>(request.size()))) return {};
    if (!Read(reply)) return {};
    return reply;
}

BusyClient::BusyClient(const CString& name)
    : m_client(name), m_connected(m_client.Connect(20000)), m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!m_connected) return;
    m_thread = std::thread([this] {
        while (WaitForSingleObject(m_stop, 20) == WAIT_TIMEOUT) m_client.Send(Words({1}));
    });
}

BusyClient::~BusyClient() {
    SetEvent(m_stop);
    if (m_thread.joinable()) m_thread.join();
    CloseHandle(m_stop);
}

namespace {
std::wstring SidString(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return L"?";
    std::wstring result(text);
    LocalFree(text);
    return result;
}
}  // namespace

bool ReadDacl(HANDLE object, std::vector<AceEntry>& entries) {
    entries.clear();
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return false;
    const bool present = dacl != nullptr;
    for (DWORD i = 0; present && i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) break;
        // Allowed and denied entries share their layout: header, mask, then the SID.
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        entries.push_back({allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask,
                           SidString(const_cast<DWORD*>(&allowed->SidStart))});
    }
    LocalFree(descriptor);
    return present;
}

std::wstring CurrentUserSidString() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
    std::vector<ULONG_PTR> buffer(256);
    DWORD size = 0;
    std::wstring result;
    if (GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(ULONG_PTR)),
                            &size))
        result = SidString(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
    CloseHandle(token);
    return result;
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

ServerRunner::ServerRunner(PipeCommandServer& server) : m_server(server) {
    m_thread = std::thread([this] { m_result = m_server.Run(); });
}

ServerRunner::~ServerRunner() { Stop(); }

int ServerRunner::Stop() {
    if (!m_joined) m_server.RequestStop();
    return Join();
}

int ServerRunner::Join() {
    if (!m_joined) {
        m_thread.join();
        m_joined = true;
    }
    return m_result;
}

ScriptedServer::ScriptedServer(const CString& name, std::vector<Bytes> replies)
    : PipeCommandServer(name, kPipeChunkSize), m_replies(std::move(replies)) {}

void ScriptedServer::OnCommand(const std::vector<BYTE>& message) {
    Bytes reply;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_requests.push_back(message);
        if (m_replies.empty()) {
            reply = Words({9});
        } else {
            reply = m_replies[m_next < m_replies.size() ? m_next : m_replies.size() - 1];
            ++m_next;
        }
    }
    Write(reply.data(), static_cast<DWORD>(reply.size()));
}

std::vector<Bytes> ScriptedServer::Requests() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests;
}

ChildProcess::ChildProcess(const wchar_t* program, const CString& arguments, const CString& folder) {
    CString line = Quote(TestFiles::ExeFolder() + L"\\" + program) + L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, line.GetBuffer(line.GetLength() + 1), nullptr, nullptr, FALSE, 0, nullptr,
                       folder.IsEmpty() ? nullptr : folder.GetString(), &si, &pi)) {
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
    }
    line.ReleaseBuffer();
}

ChildProcess::~ChildProcess() {
    if (!m_process) return;
    if (Running()) {
        TerminateProcess(m_process, 1);
        WaitForSingleObject(m_process, 10000);
    }
    CloseHandle(m_process);
}

bool ChildProcess::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

int ChildProcess::Wait(DWORD timeoutMs) {
    if (!m_process || WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    return static_cast<int>(code);
}

FixedPipeLock::FixedPipeLock(const wchar_t* name) : m_mutex(CreateMutexW(nullptr, FALSE, name)) {
    // An abandoned mutex still passes: its last holder has ended, and so has its use of
    // the pipe.
    const DWORD r = m_mutex ? WaitForSingleObject(m_mutex, 240000) : WAIT_FAILED;
    m_held = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

FixedPipeLock::~FixedPipeLock() {
    if (m_held) ReleaseMutex(m_mutex);
    if (m_mutex) CloseHandle(m_mutex);
}

CString Quote(const CString& argument) { return L"\"" + argument + L"\""; }

uint64_t PeakCommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakPagefileUsage;
}

CString ReadUtf8File(const CString& path) {
    std::string bytes;
    if (!TestFiles::ReadBytes(path, bytes) || bytes.empty()) return CString();
    const int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return CString(text);
}

}  // namespace PipeTest
