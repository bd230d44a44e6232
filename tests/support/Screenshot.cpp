#include "tests/support/Screenshot.h"

#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

namespace {

// GDI+ for the lifetime of one call; cheap enough for a few screenshots per test.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool Ok() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

// The PNG encoder of GDI+ (image/png); fixed by the system.
const CLSID kPngEncoder = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

CString PathOf(const wchar_t* name) {
    return ScreenshotFolder() + L"\\" + name + L".png";
}

// A 32-bit top-down DIB section selected into a memory device context.
class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc = CreateCompatibleDC(nullptr);
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &m_bits, nullptr, 0);
        if (m_dc && m_bitmap) m_old = SelectObject(m_dc, m_bitmap);
    }
    ~Canvas() {
        if (m_old) SelectObject(m_dc, m_old);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_dc) DeleteDC(m_dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool Ok() const { return m_old != nullptr; }
    HDC Dc() const { return m_dc; }

    // Copies the screen's rectangle at (x, y) of the canvas's size.
    bool Grab(int x, int y) {
        HDC screen = GetDC(nullptr);
        const BOOL copied = BitBlt(m_dc, 0, 0, m_width, m_height, screen, x, y, SRCCOPY | CAPTUREBLT);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        return copied != FALSE;
    }
    bool SamePixels(const Canvas& other) const {
        return m_width == other.m_width && m_height == other.m_height &&
               memcmp(m_bits, other.m_bits, static_cast<size_t>(m_width) * m_height * 4) == 0;
    }

    bool SavePng(const wchar_t* name) const {
        GdiFlush();
        GdiplusSession gdiplus;
        if (!gdiplus.Ok()) return false;
        CreateDirectoryW(ScreenshotFolder(), nullptr);
        Gdiplus::Bitmap image(m_width, m_height, m_width * 4, PixelFormat32bppRGB, static_cast<BYTE*>(m_bits));
        return image.Save(PathOf(name), &kPngEncoder, nullptr) == Gdiplus::Ok;
    }

private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    void* m_bits = nullptr;
    HGDIOBJ m_old = nullptr;
};

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

std::vector<LONG> SamplesAcross(LONG from, LONG to) {
    std::vector<LONG> samples;
    for (LONG at = from + 1; at < to - 2; at += 16) samples.push_back(at);
    if (to - 2 >= from) samples.push_back(to - 2);
    return samples;
}

// True when every sampled point of the rectangle shows a window of `root` (none of
// another program's windows lies over it). The points lie 16 pixels apart: another test's
// small popup menu or tooltip, topmost too, must not slip between them.
bool Uncovered(HWND root, const RECT& r) {
    const std::vector<LONG> xs = SamplesAcross(r.left, r.right), ys = SamplesAcross(r.top, r.bottom);
    for (LONG y : ys) {
        for (LONG x : xs) {
            HWND at = WindowFromPoint(POINT{x, y});
            if (!at || GetAncestor(at, GA_ROOT) != root) return false;
        }
    }
    return true;
}

// Shows the top-level window above the others for the capture and puts it back after.
class RaisedForCapture {
public:
    explicit RaisedForCapture(HWND root)
        : m_root(root),
          m_wasVisible(IsWindowVisible(root) != FALSE),
          m_wasTopmost((GetWindowLongPtrW(root, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        SetWindowPos(root, HWND_TOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    ~RaisedForCapture() {
        if (!m_wasTopmost)
            SetWindowPos(m_root, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (!m_wasVisible) ShowWindow(m_root, SW_HIDE);
    }
    RaisedForCapture(const RaisedForCapture&) = delete;
    RaisedForCapture& operator=(const RaisedForCapture&) = delete;

private:
    HWND m_root;
    bool m_wasVisible;
    bool m_wasTopmost;
};

}  // namespace

CString ScreenshotFolder() {
    wchar_t module[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, module, MAX_PATH * 4);
    CString path(module, static_cast<int>(n));
    CString folder = path.Left(path.ReverseFind(L'\\')) + L"\\screenshots";
    CreateDirectoryW(folder, nullptr);
    return folder;
}

// Captured from the screen: under Wine, PrintWindow and WM_PRINT leave out the frame
// and the child controls, so the screen is the one place the whole window is drawn.
bool SaveWindowScreenshot(HWND window, const wchar_t* name) {
    if (!IsWindow(window)) return false;
    HWND root = GetAncestor(window, GA_ROOT);
    RaisedForCapture raised(root);
    RedrawWindow(root, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    RECT r{};
    for (int attempt = 0; attempt < 20; ++attempt) {
        PumpFor(100);  // Wine hands the painted window to the X server a moment later
        GetWindowRect(window, &r);
        if (Uncovered(root, r)) break;
    }
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return false;
    // Wine's X surfaces can lag a part of the window (a child painted last) behind the rest:
    // take the picture once it holds still between two looks. A window that keeps moving (a
    // running progress graph) gets the last look.
    Canvas first(width, height), second(width, height);
    if (!first.Ok() || !second.Ok()) return false;
    Canvas* latest = &first;
    Canvas* earlier = &second;
    bool copied = latest->Grab(r.left, r.top);
    for (int attempt = 0; copied && attempt < 10; ++attempt) {
        PumpFor(60);
        std::swap(latest, earlier);
        copied = latest->Grab(r.left, r.top);
        if (latest->SamePixels(*earlier) && Uncovered(root, r)) break;
    }
    return copied && latest->SavePng(name);
}

bool SaveBitmapScreenshot(HBITMAP bitmap, const wchar_t* name) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return false;
    Canvas canvas(bm.bmWidth, bm.bmHeight);
    HDC source = CreateCompatibleDC(nullptr);
    if (!canvas.Ok() || !source) {
        if (source) DeleteDC(source);
        return false;
    }
    HGDIOBJ old = SelectObject(source, bitmap);
    const BOOL copied = old && BitBlt(canvas.Dc(), 0, 0, bm.bmWidth, bm.bmHeight, source, 0, 0, SRCCOPY);
    if (old) SelectObject(source, old);
    DeleteDC(source);
    return copied && canvas.SavePng(name);
}

SIZE ScreenshotSize(const wchar_t* name) {
    GdiplusSession gdiplus;
    if (!gdiplus.Ok()) return SIZE{};
    Gdiplus::Bitmap image(PathOf(name));
    if (image.GetLastStatus() != Gdiplus::Ok) return SIZE{};
    return SIZE{static_cast<LONG>(image.GetWidth()), static_cast<LONG>(image.GetHeight())};
}

COLORREF ScreenshotPixel(const wchar_t* name, int x, int y) {
    GdiplusSession gdiplus;
    if (!gdiplus.Ok()) return CLR_INVALID;
    Gdiplus::Bitmap image(PathOf(name));
    Gdiplus::Color c;
    if (image.GetLastStatus() != Gdiplus::Ok || image.GetPixel(x, y, &c) != Gdiplus::Ok) return CLR_INVALID;
    return RGB(c.GetR(), c.GetG(), c.GetB());
}
