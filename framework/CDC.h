#pragma once
// Device contexts.
//
// Ownership: a CDC knows how its handle must end and ends it when it is destroyed:
//   - CreateCompatibleDC / Attach: DeleteDC;
//   - CClientDC / CWindowDC: ReleaseDC to the window they were taken from;
//   - CPaintDC: EndPaint (it is only made while handling WM_PAINT);
//   - CDC::Borrow: nothing, the handle stays the caller's (a DC handed in by a message:
//     WM_ERASEBKGND, WM_CTLCOLOR..., WM_DRAWITEM, WM_PRINT).
// A CDC can be moved (the duty moves with it), never copied; Detach gives the handle
// back without ending it.
//
// Objects selected into a DC stay the caller's: select the old ones back before the DC
// or the object ends. CSelectObject and CSaveDC do that at the end of a scope.
#include <windows.h>

#include "framework/CGdiObject.h"
#include "framework/CObject.h"
#include "framework/CRect.h"

class CWnd;

class CDC : public CObject {
    DECLARE_DYNAMIC(CDC)
public:
    CDC() = default;
    ~CDC() override;
    CDC(CDC&& other) noexcept;
    CDC& operator=(CDC&& other) noexcept;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A CDC over a handle that stays the caller's.
    static CDC Borrow(HDC dc) noexcept;

    operator HDC() const noexcept { return m_hDC; }
    HDC GetSafeHdc() const noexcept { return m_hDC; }

    // A memory DC compatible with dc (the screen when dc is null).
    BOOL CreateCompatibleDC(CDC* dc) noexcept;
    BOOL CreateCompatibleDC(HDC dc) noexcept;
    // Ends the handle as its kind requires (see above) and empties the object.
    BOOL DeleteDC() noexcept;
    // Takes a handle this object then deletes (DeleteDC); FALSE when one is held.
    BOOL Attach(HDC dc) noexcept;
    HDC Detach() noexcept;

    // State
    int SaveDC() noexcept { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) noexcept { return ::RestoreDC(m_hDC, saved); }
    HGDIOBJ SelectObject(HGDIOBJ object) noexcept { return ::SelectObject(m_hDC, object); }
    HFONT SelectObject(CFont* font) noexcept { return static_cast<HFONT>(SelectObject(font->m_hObject)); }
    HBITMAP SelectObject(CBitmap* bitmap) noexcept {
        return static_cast<HBITMAP>(SelectObject(bitmap->m_hObject));
    }
    HBRUSH SelectObject(CBrush* brush) noexcept { return static_cast<HBRUSH>(SelectObject(brush->m_hObject)); }
    HPEN SelectObject(CPen* pen) noexcept { return static_cast<HPEN>(SelectObject(pen->m_hObject)); }
    HGDIOBJ SelectStockObject(int index) noexcept { return SelectObject(::GetStockObject(index)); }
    HGDIOBJ GetCurrentObject(UINT type) const noexcept { return ::GetCurrentObject(m_hDC, type); }
    int GetDeviceCaps(int index) const noexcept { return ::GetDeviceCaps(m_hDC, index); }

    // Colours and modes
    COLORREF SetBkColor(COLORREF color) noexcept { return ::SetBkColor(m_hDC, color); }
    COLORREF GetBkColor() const noexcept { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) noexcept { return ::SetBkMode(m_hDC, mode); }
    int GetBkMode() const noexcept { return ::GetBkMode(m_hDC); }
    COLORREF SetTextColor(COLORREF color) noexcept { return ::SetTextColor(m_hDC, color); }
    COLORREF GetTextColor() const noexcept { return ::GetTextColor(m_hDC); }
    int SetStretchBltMode(int mode) noexcept { return ::SetStretchBltMode(m_hDC, mode); }
    int SetMapMode(int mode) noexcept { return ::SetMapMode(m_hDC, mode); }
    int GetMapMode() const noexcept { return ::GetMapMode(m_hDC); }

    // Coordinates
    CPoint SetViewportOrg(int x, int y) noexcept;
    CPoint SetViewportOrg(POINT p) noexcept { return SetViewportOrg(p.x, p.y); }
    CPoint OffsetViewportOrg(int dx, int dy) noexcept;
    CPoint GetViewportOrg() const noexcept;
    CPoint SetWindowOrg(int x, int y) noexcept;
    CPoint GetWindowOrg() const noexcept;
    void LPtoDP(LPPOINT points, int count = 1) const noexcept { ::LPtoDP(m_hDC, points, count); }
    void LPtoDP(LPRECT rect) const noexcept { ::LPtoDP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }
    void LPtoDP(LPSIZE size) const noexcept;
    void DPtoLP(LPPOINT points, int count = 1) const noexcept { ::DPtoLP(m_hDC, points, count); }
    void DPtoLP(LPRECT rect) const noexcept { ::DPtoLP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }

    // Clipping
    int GetClipBox(LPRECT rect) const noexcept { return ::GetClipBox(m_hDC, rect); }
    int SelectClipRgn(CRgn* region) noexcept { return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr); }
    int SelectClipRgn(CRgn* region, int mode) noexcept {
        return ::ExtSelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr, mode);
    }
    int IntersectClipRect(int l, int t, int r, int b) noexcept { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(LPCRECT r) noexcept { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
    int ExcludeClipRect(int l, int t, int r, int b) noexcept { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int ExcludeClipRect(LPCRECT r) noexcept { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }
    BOOL RectVisible(LPCRECT rect) const noexcept { return ::RectVisible(m_hDC, rect); }

    // Lines and shapes
    CPoint MoveTo(int x, int y) noexcept;
    CPoint MoveTo(POINT p) noexcept { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) noexcept { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) noexcept { return LineTo(p.x, p.y); }
    BOOL Rectangle(int l, int t, int r, int b) noexcept { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(LPCRECT r) noexcept { return Rectangle(r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) noexcept { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL RoundRect(LPCRECT r, POINT p) noexcept { return RoundRect(r->left, r->top, r->right, r->bottom, p.x, p.y); }
    BOOL Ellipse(int l, int t, int r, int b) noexcept { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Polygon(const POINT* points, int count) noexcept { return ::Polygon(m_hDC, points, count); }
    BOOL Polyline(const POINT* points, int count) noexcept { return ::Polyline(m_hDC, points, count); }

    // Filling
    void FillRect(LPCRECT rect, CBrush* brush) noexcept { ::FillRect(m_hDC, rect, *brush); }
    void FillRect(LPCRECT rect, HBRUSH brush) noexcept { ::FillRect(m_hDC, rect, brush); }
    void FillSolidRect(LPCRECT rect, COLORREF color) noexcept;
    void FillSolidRect(int x, int y, int cx, int cy, COLORREF color) noexcept;
    BOOL FillRgn(CRgn* region, CBrush* brush) noexcept { return ::FillRgn(m_hDC, *region, *brush); }
    BOOL FillRgn(HRGN region, HBRUSH brush) noexcept { return ::FillRgn(m_hDC, region, brush); }
    void FrameRect(LPCRECT rect, CBrush* brush) noexcept { ::FrameRect(m_hDC, rect, *brush); }
    void FrameRect(LPCRECT rect, HBRUSH brush) noexcept { ::FrameRect(m_hDC, rect, brush); }
    void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) noexcept;
    void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) noexcept;
    void DrawFocusRect(LPCRECT rect) noexcept { ::DrawFocusRect(m_hDC, rect); }
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) noexcept { return ::DrawEdge(m_hDC, rect, edge, flags); }
    BOOL DrawFrameControl(LPRECT rect, UINT type, UINT state) noexcept {
        return ::DrawFrameControl(m_hDC, rect, type, state);
    }
    // The blending calls go to gdi32's own exports, which msimg32 only forwards to: the
    // program then never maps msimg32 for a job that draws nothing.
    BOOL GradientFill(TRIVERTEX* vertices, ULONG count, void* mesh, ULONG meshCount, DWORD mode) noexcept {
        return ::GdiGradientFill(m_hDC, vertices, count, mesh, meshCount, mode);
    }

    // Bitmaps and icons
    BOOL BitBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, DWORD rop) noexcept {
        return ::BitBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, rop);
    }
    BOOL StretchBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, DWORD rop) noexcept {
        return ::StretchBlt(m_hDC, x, y, width, height, src ? src->m_hDC : nullptr, xSrc, ySrc, srcWidth,
                            srcHeight, rop);
    }
    BOOL TransparentBlt(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                        int srcHeight, UINT transparent) noexcept {
        return ::GdiTransparentBlt(m_hDC, x, y, width, height, src->m_hDC, xSrc, ySrc, srcWidth, srcHeight,
                                transparent);
    }
    BOOL AlphaBlend(int x, int y, int width, int height, CDC* src, int xSrc, int ySrc, int srcWidth,
                    int srcHeight, BLENDFUNCTION blend) noexcept {
        return ::GdiAlphaBlend(m_hDC, x, y, width, height, src->m_hDC, xSrc, ySrc, srcWidth, srcHeight, blend);
    }
    BOOL PatBlt(int x, int y, int width, int height, DWORD rop) noexcept {
        return ::PatBlt(m_hDC, x, y, width, height, rop);
    }
    BOOL DrawIcon(int x, int y, HICON icon) noexcept { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) noexcept { return DrawIcon(p.x, p.y, icon); }
    COLORREF GetPixel(int x, int y) const noexcept { return ::GetPixel(m_hDC, x, y); }
    COLORREF SetPixel(int x, int y, COLORREF color) noexcept { return ::SetPixel(m_hDC, x, y, color); }

    // Text
    BOOL TextOut(int x, int y, LPCWSTR text, int length) noexcept { return ::TextOutW(m_hDC, x, y, text, length); }
    BOOL TextOut(int x, int y, LPCWSTR text) noexcept { return TextOut(x, y, text, lstrlenW(text)); }
    int DrawText(LPCWSTR text, int length, LPRECT rect, UINT format) noexcept {
        return ::DrawTextW(m_hDC, text, length, rect, format);
    }
    int DrawText(LPCWSTR text, LPRECT rect, UINT format) noexcept { return DrawText(text, -1, rect, format); }
    CSize GetTextExtent(LPCWSTR text, int length) const noexcept;
    CSize GetTextExtent(LPCWSTR text) const noexcept { return GetTextExtent(text, lstrlenW(text)); }
    BOOL GetTextMetrics(LPTEXTMETRICW metrics) const noexcept { return ::GetTextMetricsW(m_hDC, metrics); }
    BOOL DrawState(POINT p, SIZE size, LPCWSTR text, UINT flags, BOOL prefixText = TRUE, int length = 0,
                   HBRUSH brush = nullptr) noexcept;

    HDC m_hDC = nullptr;
    // Filled while a CPaintDC is painting.
    PAINTSTRUCT m_ps{};

protected:
    enum class Ending { none, deleteDC, releaseDC, endPaint };
    Ending m_ending = Ending::none;
    HWND m_hWndOwner = nullptr;  // window of releaseDC and endPaint
};

// The DC of a WM_PAINT: BeginPaint at construction, EndPaint at the end.
class CPaintDC : public CDC {
    DECLARE_DYNAMIC(CPaintDC)
public:
    explicit CPaintDC(CWnd* wnd) noexcept;
    CPaintDC(CPaintDC&&) = default;
};

// The client area's DC of a window (the screen's for a null window).
class CClientDC : public CDC {
    DECLARE_DYNAMIC(CClientDC)
public:
    explicit CClientDC(CWnd* wnd) noexcept;
    CClientDC(CClientDC&&) = default;
};

// The whole window's DC, frame included.
class CWindowDC : public CDC {
    DECLARE_DYNAMIC(CWindowDC)
public:
    explicit CWindowDC(CWnd* wnd) noexcept;
    CWindowDC(CWindowDC&&) = default;
};

// Draws through an off-screen bitmap: GetDC() is a memory DC covering the rectangle (the
// window's client area, or the given rectangle in the target's coordinates) that is
// copied to the target when the object ends. When the buffer cannot be made, GetDC() is
// the target itself and drawing goes straight to it.
class CMemDC {
public:
    CMemDC(CDC& target, CWnd* wnd) noexcept;
    CMemDC(CDC& target, const CRect& rect) noexcept;
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    CDC& GetDC() noexcept { return m_buffered ? m_memory : m_target; }
    BOOL IsMemDC() const noexcept { return m_buffered; }

private:
    void Prepare() noexcept;

    CDC& m_target;
    CRect m_rect;
    CDC m_memory;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    BOOL m_buffered = FALSE;
};

// Selects an object into a DC for the rest of a scope and selects the previous one back
// at its end. Not for regions (SelectClipRgn copies them).
class CSelectObject {
public:
    CSelectObject(CDC& dc, HGDIOBJ object) noexcept : m_dc(dc), m_old(dc.SelectObject(object)) {}
    CSelectObject(CDC& dc, CGdiObject& object) noexcept : CSelectObject(dc, object.m_hObject) {}
    ~CSelectObject() {
        if (m_old && m_old != HGDI_ERROR)
            ::SelectObject(m_dc, m_old);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
    // The object that was selected before.
    HGDIOBJ Previous() const noexcept { return m_old; }

private:
    CDC& m_dc;
    HGDIOBJ m_old;
};

// Saves the whole state of a DC (objects, colours, modes, clipping, origins) and
// restores it at the end of the scope.
class CSaveDC {
public:
    explicit CSaveDC(CDC& dc) noexcept : m_dc(dc), m_saved(dc.SaveDC()) {}
    ~CSaveDC() {
        if (m_saved)
            m_dc.RestoreDC(m_saved);
    }
    CSaveDC(const CSaveDC&) = delete;
    CSaveDC& operator=(const CSaveDC&) = delete;

private:
    CDC& m_dc;
    int m_saved;
};
