#include "framework/CScrollView.h"

#include <algorithm>
#include <cstdlib>

#include "framework/CDC.h"
#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

const CSize CScrollView::sizeDefault(0, 0);

CSize CScrollView::ToDevice(SIZE logical) const {
    CSize size(logical);
    if (m_nMapMode != MM_TEXT && m_nMapMode != 0) {
        CDC dc;
        if (dc.CreateCompatibleDC(static_cast<HDC>(nullptr))) {
            dc.SetMapMode(m_nMapMode);
            dc.LPtoDP(&size);
        }
    }
    return CSize(std::abs(size.cx), std::abs(size.cy));
}

void CScrollView::SetScrollSizes(int mapMode, SIZE total, const SIZE& page, const SIZE& line) {
    m_nMapMode = mapMode;
    m_totalLog = total;
    m_totalDev = ToDevice(total);
    m_pageDev = ToDevice(page);
    m_lineDev = ToDevice(line);
    if (m_pageDev.cx == 0)
        m_pageDev.cx = m_totalDev.cx / 10;
    if (m_pageDev.cy == 0)
        m_pageDev.cy = m_totalDev.cy / 10;
    if (m_lineDev.cx == 0)
        m_lineDev.cx = m_pageDev.cx / 10;
    if (m_lineDev.cy == 0)
        m_lineDev.cy = m_pageDev.cy / 10;
    if (m_hWnd) {
        UpdateBars();
        Invalidate(TRUE);
    }
}

void CScrollView::GetDeviceScrollSizes(int& mapMode, SIZE& total, SIZE& page, SIZE& line) const noexcept {
    mapMode = m_nMapMode;
    total = m_totalDev;
    page = m_pageDev;
    line = m_lineDev;
}

CPoint CScrollView::GetDeviceScrollPosition() const {
    DWORD style = GetStyle();
    return CPoint((style & WS_HSCROLL) ? GetScrollPos(SB_HORZ) : 0, (style & WS_VSCROLL) ? GetScrollPos(SB_VERT) : 0);
}

CPoint CScrollView::GetScrollPosition() const {
    CPoint position = GetDeviceScrollPosition();
    if (m_nMapMode != MM_TEXT && m_nMapMode != 0) {
        CDC dc;
        if (dc.CreateCompatibleDC(static_cast<HDC>(nullptr))) {
            dc.SetMapMode(m_nMapMode);
            dc.DPtoLP(&position);
        }
    }
    return position;
}

int CScrollView::ScrollLimit(int bar) const {
    if (!(GetStyle() & (bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL)))
        return 0;
    SCROLLINFO info{};
    GetScrollInfo(bar, &info, SIF_RANGE | SIF_PAGE);
    return std::max(0, info.nMax - info.nMin + 1 - static_cast<int>(info.nPage));
}

void CScrollView::ScrollToPosition(POINT point) {
    CPoint device(point);
    if (m_nMapMode != MM_TEXT && m_nMapMode != 0) {
        CDC dc;
        if (dc.CreateCompatibleDC(static_cast<HDC>(nullptr))) {
            dc.SetMapMode(m_nMapMode);
            dc.LPtoDP(&device);
        }
    }
    device.x = std::clamp<int>(device.x, 0, ScrollLimit(SB_HORZ));
    device.y = std::clamp<int>(device.y, 0, ScrollLimit(SB_VERT));
    ScrollToDevicePosition(device);
}

void CScrollView::ScrollToDevicePosition(POINT point) {
    CPoint old = GetDeviceScrollPosition();
    DWORD style = GetStyle();
    if (style & WS_HSCROLL)
        SetScrollPos(SB_HORZ, point.x);
    if (style & WS_VSCROLL)
        SetScrollPos(SB_VERT, point.y);
    CPoint now = GetDeviceScrollPosition();
    if (now == old)
        return;
    int dx = old.x - now.x, dy = old.y - now.y;
    if (IsWindowVisible()) {
        ScrollWindow(dx, dy);  // moves the drawing and the child windows
        return;
    }
    // A hidden window is not scrolled by the system; its children still have to move.
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CRect r;
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(&r), 2);
        ::SetWindowPos(child, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CScrollView::UpdateBars() {
    if (m_insideUpdate || !m_hWnd || m_nMapMode == 0)
        return;
    m_insideUpdate = true;
    const int barWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    DWORD style = GetStyle();
    CRect client;
    GetClientRect(&client);
    // The client area as it would be without scroll bars.
    CSize full(client.Width() + ((style & WS_VSCROLL) ? barWidth : 0),
               client.Height() + ((style & WS_HSCROLL) ? barHeight : 0));
    bool needH = m_totalDev.cx > full.cx;
    bool needV = m_totalDev.cy > full.cy;
    // One bar can make room short for the other direction.
    if (needH && !needV && m_totalDev.cy > full.cy - barHeight)
        needV = true;
    if (needV && !needH && m_totalDev.cx > full.cx - barWidth)
        needH = true;
    CSize view(full.cx - (needV ? barWidth : 0), full.cy - (needH ? barHeight : 0));
    CPoint position = GetDeviceScrollPosition();
    CPoint target(needH ? std::clamp<int>(position.x, 0, std::max<int>(0, m_totalDev.cx - view.cx)) : 0,
                  needV ? std::clamp<int>(position.y, 0, std::max<int>(0, m_totalDev.cy - view.cy)) : 0);
    if (target != position)
        ScrollToDevicePosition(target);
    auto apply = [this](int bar, bool need, int total, int page, int pos) {
        SCROLLINFO info{};
        info.fMask = SIF_PAGE | SIF_RANGE | SIF_POS;
        if (need) {
            info.nMax = total - 1;
            info.nPage = static_cast<UINT>(std::max(0, page));
            info.nPos = pos;
        }
        SetScrollInfo(bar, &info, TRUE);
        ShowScrollBar(bar, need);
    };
    apply(SB_HORZ, needH, m_totalDev.cx, view.cx, target.x);
    apply(SB_VERT, needV, m_totalDev.cy, view.cy, target.y);
    m_insideUpdate = false;
}

void CScrollView::OnSize(UINT type, int cx, int cy) {
    CView::OnSize(type, cx, cy);
    UpdateBars();
}

BOOL CScrollView::OnScroll(UINT scrollCode, UINT pos, BOOL doScroll) {
    CPoint start = GetDeviceScrollPosition();
    auto step = [&](BYTE code, int current, int page, int line, int limit) {
        switch (code) {
        case SB_TOP: return 0;
        case SB_BOTTOM: return limit;
        case SB_LINEUP: return current - line;
        case SB_LINEDOWN: return current + line;
        case SB_PAGEUP: return current - page;
        case SB_PAGEDOWN: return current + page;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: return static_cast<int>(pos);
        default: return current;
        }
    };
    int x = step(LOBYTE(scrollCode), start.x, m_pageDev.cx, m_lineDev.cx, ScrollLimit(SB_HORZ));
    int y = step(HIBYTE(scrollCode), start.y, m_pageDev.cy, m_lineDev.cy, ScrollLimit(SB_VERT));
    return OnScrollBy(CSize(x - start.x, y - start.y), doScroll);
}

BOOL CScrollView::OnScrollBy(CSize size, BOOL doScroll) {
    CPoint start = GetDeviceScrollPosition();
    CPoint target(std::clamp<int>(start.x + size.cx, 0, ScrollLimit(SB_HORZ)),
                  std::clamp<int>(start.y + size.cy, 0, ScrollLimit(SB_VERT)));
    if (target == start)
        return FALSE;
    if (doScroll) {
        ScrollToDevicePosition(target);
        UpdateWindow();
    }
    return TRUE;
}

void CScrollView::OnHScroll(UINT code, UINT pos, CWnd* scrollBar) {
    if (scrollBar) {
        CView::OnHScroll(code, pos, scrollBar);
        return;
    }
    // The message's position has 16 bits; the bar's own track position has 32.
    SCROLLINFO info{};
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
        if (GetScrollInfo(SB_HORZ, &info, SIF_TRACKPOS))
            pos = static_cast<UINT>(info.nTrackPos);
    OnScroll(MAKEWORD(code, 0xFF), pos);
}

void CScrollView::OnVScroll(UINT code, UINT pos, CWnd* scrollBar) {
    if (scrollBar) {
        CView::OnVScroll(code, pos, scrollBar);
        return;
    }
    SCROLLINFO info{};
    if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)
        if (GetScrollInfo(SB_VERT, &info, SIF_TRACKPOS))
            pos = static_cast<UINT>(info.nTrackPos);
    OnScroll(MAKEWORD(0xFF, code), pos);
}

BOOL CScrollView::OnMouseWheel(UINT, short delta, CPoint) {
    DWORD style = GetStyle();
    bool vertical = (style & WS_VSCROLL) != 0;
    if (!vertical && !(style & WS_HSCROLL))
        return FALSE;
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    int page = vertical ? m_pageDev.cy : m_pageDev.cx;
    int line = vertical ? m_lineDev.cy : m_lineDev.cx;
    int distance = lines == WHEEL_PAGESCROLL ? -::MulDiv(page, delta, WHEEL_DELTA)
                                             : -::MulDiv(line * static_cast<int>(lines), delta, WHEEL_DELTA);
    return OnScrollBy(vertical ? CSize(0, distance) : CSize(distance, 0));
}

void CScrollView::OnPrepareDC(CDC* dc) {
    CView::OnPrepareDC(dc);
    if (m_nMapMode == 0)
        return;
    dc->SetMapMode(m_nMapMode);
    CPoint position = GetDeviceScrollPosition();
    dc->SetViewportOrg(-position.x, -position.y);
}

void CScrollView::ResizeParentToFit(BOOL shrinkOnly) {
    CFrameWnd* frame = GetParentFrame();
    if (!frame || m_nMapMode == 0)
        return;
    // The view's window around a client area of the total size, without scroll bars.
    CRect desired(0, 0, m_totalDev.cx, m_totalDev.cy);
    ::AdjustWindowRectEx(&desired, GetStyle() & ~(WS_HSCROLL | WS_VSCROLL), FALSE, GetExStyle());
    CRect current;
    GetWindowRect(&current);
    CSize size = desired.Size();
    if (shrinkOnly) {
        size.cx = std::min<int>(size.cx, current.Width());
        size.cy = std::min<int>(size.cy, current.Height());
    }
    CRect frameRect;
    frame->GetWindowRect(&frameRect);
    frame->SetWindowPos(nullptr, 0, 0, frameRect.Width() + size.cx - current.Width(),
                        frameRect.Height() + size.cy - current.Height(),
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
