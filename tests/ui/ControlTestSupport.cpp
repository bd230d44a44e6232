#include "tests/ui/ControlTestSupport.h"

#include <objbase.h>

#include <algorithm>

#include "tests/support/Screenshot.h"

void PrepareWindowTest() {
    static const bool prepared = [] {
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ::LoadLibraryW(L"UxTheme.dll");
        ::LoadLibraryW(L"shell32.dll");
        AfxInitCommonControls();
        return true;
    }();
    (void)prepared;
}

BEGIN_TEMPLATE_MESSAGE_MAP(TWhite, B, B)
    ON_WM_CTLCOLOR()
    ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

template <class B>
bool TWhite<B>::Open(const wchar_t* title, int width, int height, POINT at) {
    RECT frame{0, 0, width, height};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    return this->CreateEx(0, nullptr, title, style, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
                          nullptr, nullptr) != FALSE;
}

template class TWhite<CWnd>;
template class TWhite<CDialog>;

bool CWhiteDialog::Open(CWhiteHost* host) {
    if (!host)
        return Create(m_lpszTemplateName, nullptr) != FALSE;
    if (!Create(m_lpszTemplateName, host))
        return false;
    CRect own;
    GetWindowRect(&own);
    RECT frame{0, 0, own.Width(), own.Height()};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(host->GetStyle()), FALSE, 0);
    host->SetWindowPos(nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return true;
}

namespace {

// A 32-bit top-down DIB section and its pixels.
HBITMAP TopDownDib(int width, int height, DWORD** bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    *bits = static_cast<DWORD*>(pixels);
    return bitmap;
}

}  // namespace

TestCanvas::TestCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    HDC screen = ::GetDC(nullptr);
    m_dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    m_bitmap = TopDownDib(width, height, &m_bits);
    m_old = ::SelectObject(m_dc, m_bitmap);
    HBRUSH brush = ::CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    ::FillRect(m_dc, &all, brush);
    ::DeleteObject(brush);
    ::SetBkColor(m_dc, fill);
}

TestCanvas::~TestCanvas() {
    if (m_old)
        ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

COLORREF TestCanvas::Pixel(int x, int y) const {
    ::GdiFlush();
    const DWORD p = m_bits[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool TestCanvas::All(const RECT& rect, COLORREF colour) const {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (Pixel(x, y) != colour)
                return false;
    return true;
}

RECT TestCanvas::Extent(COLORREF background) const {
    RECT box{m_width, m_height, 0, 0};
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (Pixel(x, y) != background) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box.right > box.left ? box : RECT{0, 0, 0, 0};
}

bool TestCanvas::SameAs(const TestCanvas& other) const {
    if (other.m_width != m_width || other.m_height != m_height)
        return false;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x)
            if (Pixel(x, y) != other.Pixel(x, y))
                return false;
    return true;
}

void TestCanvas::Paste(const TestCanvas& other, int x, int y, int factor) {
    ::SetStretchBltMode(m_dc, COLORONCOLOR);
    ::StretchBlt(m_dc, x, y, other.m_width * factor, other.m_height * factor, other.m_dc, 0, 0, other.m_width,
                 other.m_height, SRCCOPY);
}

bool TestCanvas::Save(const wchar_t* name) {
    ::SelectObject(m_dc, m_old);
    const bool saved = SaveBitmapScreenshot(m_bitmap, name);
    m_old = ::SelectObject(m_dc, m_bitmap);
    return saved;
}

HBITMAP SolidBitmap(int width, int height, COLORREF colour) {
    HDC screen = ::GetDC(nullptr);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc, bitmap);
    HBRUSH brush = ::CreateSolidBrush(colour);
    RECT all{0, 0, width, height};
    ::FillRect(dc, &all, brush);
    ::DeleteObject(brush);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    return bitmap;
}

HBITMAP AlphaBitmap(int width, int height, COLORREF colour, BYTE alpha) {
    DWORD* p = nullptr;
    HBITMAP bitmap = TopDownDib(width, height, &p);
    const DWORD r = GetRValue(colour) * alpha / 255, g = GetGValue(colour) * alpha / 255,
                b = GetBValue(colour) * alpha / 255;
    const DWORD pixel = (static_cast<DWORD>(alpha) << 24) | (r << 16) | (g << 8) | b;
    for (int i = 0; i < width * height; ++i)
        p[i] = pixel;
    return bitmap;
}
