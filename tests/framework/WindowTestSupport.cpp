#include "WindowTestSupport.h"

#include <winternl.h>

#include <gdiplus.h>

#include <vector>

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

namespace {

bool PngEncoder(CLSID* clsid) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || size == 0)
        return false;
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, size, encoders) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i)
        if (lstrcmpW(encoders[i].MimeType, L"image/png") == 0) {
            *clsid = encoders[i].Clsid;
            return true;
        }
    return false;
}

}  // namespace

void SaveScreenshot(HWND hwnd, const wchar_t* name) {
    RECT r{};
    if (!::GetWindowRect(hwnd, &r) || r.right <= r.left || r.bottom <= r.top)
        return;
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
    PumpPending();
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) {
        CLSID png;
        if (PngEncoder(&png)) {
            ::CreateDirectoryW(L"screenshots", nullptr);
            wchar_t path[MAX_PATH];
            wsprintfW(path, L"screenshots\\%s.png", name);
            Gdiplus::Bitmap* image = Gdiplus::Bitmap::FromHBITMAP(bitmap, nullptr);
            if (image) {
                image->Save(path, &png, nullptr);
                delete image;
            }
        }
        Gdiplus::GdiplusShutdown(token);
    }
    ::DeleteObject(bitmap);
}
