// Stands in for the UI instance in the hand-over tests: serves a job hand-over pipe with
// the real server thread and a real window, takes the jobs whose destination starts with
// a given prefix, refuses the others, and writes every job it is offered to a log.
//
//   HandOverHost.exe PIPE LOG ACCEPT_PREFIX QUIT_EVENT
//
// Log lines (UTF-8): "job <flags> <taken> <destination> <- <source>|<source>..." and,
// when QUIT_EVENT is signalled, "stopped <run result> <thread exit code>".
#include <windows.h>

#include <string>

#include "ipc/MultiUIServerThread.h"

using Swiftlet::MultiUICommand::ServerCopyFileCommandParam;
using Swiftlet::MultiUICommand::ServerThread;

namespace {

constexpr UINT kJobMessage = Swiftlet::MultiUICommand::kJobArrivedMessage;

std::wstring g_log;
std::wstring g_acceptPrefix;

void AppendLog(const std::wstring& line) {
    const std::wstring text = line + L"\n";
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    HANDLE f = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != kJobMessage) return DefWindowProcW(hwnd, msg, wp, lp);
    auto* job = reinterpret_cast<ServerCopyFileCommandParam*>(wp);
    const std::wstring destination(job->destination.GetString());
    const bool take = !g_acceptPrefix.empty() && destination.compare(0, g_acceptPrefix.size(), g_acceptPrefix) == 0;
    std::wstring line = L"job " + std::to_wstring(job->flags) + L" " + (take ? L"1" : L"0") + L" " + destination +
                        L" <- ";
    for (size_t i = 0; i < job->sources.size(); ++i) {
        if (i) line += L"|";
        line += job->sources[i].GetString();
    }
    AppendLog(line);
    if (take) job->result = 1;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 5) return 2;
    g_log = argv[2];
    g_acceptPrefix = argv[3];
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[4]);
    if (!quit) return 3;

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HandOverHostWindow";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!window) return 4;

    ServerThread* server = ServerThread::Start(window, kJobMessage, argv[1]);
    if (!server) return 5;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        if (MsgWaitForMultipleObjectsEx(1, &quit, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0) break;
    }
    server->Stop();
    DWORD code = 0;
    GetExitCodeThread(server->m_hThread, &code);
    AppendLog(L"stopped " + std::to_wstring(server->RunResult()) + L" " + std::to_wstring(code));
    delete server;
    DestroyWindow(window);
    CloseHandle(quit);
    return 0;
}
