#include "WindowTestSupport.h"

#include <winternl.h>

#include "framework/CWinThread.h"

void PumpPending() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG end = ::GetTickCount64() + timeoutMs;
    while (!done()) {
        if (::GetTickCount64() >= end)
            return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        PumpPending();
    }
    return true;
}

namespace {

// One entry of the GDI handle table that the system maps into every process (the layout
// Windows and Wine share).
struct GdiHandleEntry {
    ULONGLONG object;
    USHORT processId;
    USHORT count;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    ULONGLONG user;
};
static_assert(sizeof(GdiHandleEntry) == 24);

int CountGdiTable() {
    PROCESS_BASIC_INFORMATION info{};
    if (NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof(info), nullptr) != 0)
        return -1;
    // PEB.GdiSharedHandleTable of a 64-bit process.
    auto* table = *reinterpret_cast<GdiHandleEntry**>(reinterpret_cast<BYTE*>(info.PebBaseAddress) + 0xF8);
    if (!table)
        return -1;
    USHORT self = static_cast<USHORT>(::GetCurrentProcessId());
    int n = 0;
    for (int i = 0; i < 0x10000; ++i)
        if (table[i].type && (table[i].processId == self || table[i].processId == 0))
            ++n;
    return n;
}

BOOL CALLBACK CountChild(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM counter) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    wchar_t className[8] = {};
    ::GetClassNameW(hwnd, className, 8);
    // The system makes and ends a thread's IME window along with its top-level windows.
    if (pid == ::GetCurrentProcessId() && lstrcmpiW(className, L"IME") != 0) {
        ++*reinterpret_cast<int*>(counter);
        ::EnumChildWindows(hwnd, &CountChild, counter);
    }
    return TRUE;
}

}  // namespace

int GdiObjectCount() {
    DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    return n ? static_cast<int>(n) : CountGdiTable();
}

int WindowCount() {
    int n = 0;
    ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&n));
    return n;
}
