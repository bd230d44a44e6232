#include "framework/CDC.h"

#include <utility>

#include "framework/CWnd.h"

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

CDC::~CDC() { DeleteDC(); }

CDC::CDC(CDC&& other) noexcept
    : CObject(other),
      m_hDC(std::exchange(other.m_hDC, nullptr)),
      m_ps(other.m_ps),
      m_ending(std::exchange(other.m_ending, Ending::none)),
      m_hWndOwner(std::exchange(other.m_hWndOwner, nullptr)) {}

CDC& CDC::operator=(CDC&& other) noexcept {
    if (this != &other) {
        DeleteDC();
        m_hDC = std::exchange(other.m_hDC, nullptr);
        m_ps = other.m_ps;
        m_ending = std::exchange(other.m_ending, Ending::none);
        m_hWndOwner = std::exchange(other.m_hWndOwner, nullptr);
    }
    return *this;
}

CDC CDC::Borrow(HDC dc) noexcept {
    CDC borrowed;
    borrowed.m_hDC = dc;
    return borrowed;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) noexcept { return CreateCompatibleDC(dc ? dc->m_hDC : nullptr); }

BOOL CDC::CreateCompatibleDC(HDC dc) noexcept {
    if (m_hDC)
        return FALSE;
    return Attach(::CreateCompatibleDC(dc));
}

BOOL CDC::DeleteDC() noexcept {
    HDC dc = std::exchange(m_hDC, nullptr);
    Ending ending = std::exchange(m_ending, Ending::none);
    HWND owner = std::exchange(m_hWndOwner, nullptr);
    if (!dc)
        return FALSE;
    switch (ending) {
    case Ending::deleteDC:
        return ::DeleteDC(dc);
    case Ending::releaseDC:
        return ::ReleaseDC(owner, dc) == 1;
    case Ending::endPaint:
        return ::EndPaint(owner, &m_ps);
    case Ending::none:
        break;
    }
    return TRUE;
}

BOOL CDC::Attach(HDC dc) noexcept {
    if (m_hDC || !dc)
        return FALSE;
    m_hDC = dc;
    m_ending = Ending::deleteDC;
    return TRUE;
}

HDC CDC::Detach() noexcept {
    m_ending = Ending::none;
    m_hWndOwner = nullptr;
    return std::exchange(m_hDC, nullptr);
}

CPoint CDC::SetViewportOrg(int x, int y) noexcept {
    POINT old{};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::OffsetViewportOrg(int dx, int dy) noexcept {
    POINT old{};
    ::OffsetViewportOrgEx(m_hDC, dx, dy, &old);
    return old;
}

CPoint CDC::GetViewportOrg() const noexcept {
    POINT p{};
    ::GetViewportOrgEx(m_hDC, &p);
    return p;
}

CPoint CDC::SetWindowOrg(int x, int y) noexcept {
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}

CPoint CDC::GetWindowOrg() const noexcept {
    POINT p{};
    ::GetWindowOrgEx(m_hDC, &p);
    return p;
}

void CDC::LPtoDP(LPSIZE size) const noexcept {
    // A size is a distance: convert two points and take their difference.
    POINT pts[2] = {{0, 0}, {size->cx, size->cy}};
    ::LPtoDP(m_hDC, pts, 2);
    size->cx = pts[1].x - pts[0].x;
    size->cy = pts[1].y - pts[0].y;
}

CPoint CDC::MoveTo(int x, int y) noexcept {
    POINT old{};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) noexcept {
    // ExtTextOut with an opaque rectangle fills with the background colour without
    // needing a brush object.
    COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) noexcept {
    RECT r{x, y, x + cx, y + cy};
    FillSolidRect(&r, color);
}

void CDC::Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight) noexcept {
    Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) noexcept {
    // The top-left colour owns the top and left edges but the two far corners, which
    // belong to the bottom and right edges.
    FillSolidRect(x, y, cx - 1, 1, topLeft);
    FillSolidRect(x, y, 1, cy - 1, topLeft);
    FillSolidRect(x + cx - 1, y, 1, cy, bottomRight);
    FillSolidRect(x, y + cy - 1, cx, 1, bottomRight);
}

CSize CDC::GetTextExtent(LPCWSTR text, int length) const noexcept {
    SIZE s{};
    ::GetTextExtentPoint32W(m_hDC, text, length, &s);
    return s;
}

BOOL CDC::DrawState(POINT p, SIZE size, LPCWSTR text, UINT flags, BOOL prefixText, int length,
                    HBRUSH brush) noexcept {
    flags &= ~DST_PREFIXTEXT & ~DST_TEXT;
    flags |= prefixText ? DST_PREFIXTEXT : DST_TEXT;
    return ::DrawStateW(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(text), static_cast<WPARAM>(length), p.x,
                        p.y, size.cx, size.cy, flags);
}

CPaintDC::CPaintDC(CWnd* wnd) noexcept {
    HWND hwnd = wnd->GetSafeHwnd();
    m_hDC = ::BeginPaint(hwnd, &m_ps);
    if (m_hDC) {
        m_ending = Ending::endPaint;
        m_hWndOwner = hwnd;
    }
}

CClientDC::CClientDC(CWnd* wnd) noexcept {
    HWND hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    m_hDC = ::GetDC(hwnd);
    if (m_hDC) {
        m_ending = Ending::releaseDC;
        m_hWndOwner = hwnd;
    }
}

CWindowDC::CWindowDC(CWnd* wnd) noexcept {
    HWND hwnd = wnd ? wnd->GetSafeHwnd() : nullptr;
    m_hDC = ::GetWindowDC(hwnd);
    if (m_hDC) {
        m_ending = Ending::releaseDC;
        m_hWndOwner = hwnd;
    }
}

CMemDC::CMemDC(CDC& target, CWnd* wnd) noexcept : m_target(target) {
    if (wnd)
        ::GetClientRect(wnd->GetSafeHwnd(), &m_rect);
    Prepare();
}

CMemDC::CMemDC(CDC& target, const CRect& rect) noexcept : m_target(target), m_rect(rect) { Prepare(); }

void CMemDC::Prepare() noexcept {
    if (m_rect.IsRectEmpty() || !m_memory.CreateCompatibleDC(&m_target))
        return;
    if (!m_bitmap.CreateCompatibleBitmap(&m_target, m_rect.Width(), m_rect.Height())) {
        m_memory.DeleteDC();
        return;
    }
    m_oldBitmap = m_memory.SelectObject(&m_bitmap);
    // Drawing uses the target's coordinates.
    m_memory.SetViewportOrg(-m_rect.left, -m_rect.top);
    m_buffered = TRUE;
}

CMemDC::~CMemDC() {
    if (!m_buffered)
        return;
    m_memory.SetViewportOrg(0, 0);
    m_target.BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), &m_memory, 0, 0, SRCCOPY);
    m_memory.SelectObject(m_oldBitmap);
}
