#include "ui/CGraphProgressControl.h"

#include <algorithm>

#include "framework/Afx.h"
#include "framework/CException.h"
#include "framework/Resource.h"
#include "ui/resource.h"

namespace {

const wchar_t kClassName[] = L"" SWIFTLET_GRAPH_CLASS;
const UINT_PTR kMarqueeTimer = 1000;

// Pens: 0 grid outside the part done (and the marquee) and 1 grid inside it, running;
// 2 and 3 the same, paused; 4 the latest-speed line.
const COLORREF kPenColours[5] = {RGB(205, 239, 211), RGB(142, 221, 123), RGB(239, 234, 204),
                                 RGB(235, 225, 131), RGB(0, 0, 0)};
// Brushes: 0 the part done and 1 the speed area, running; 2 and 3 the same, paused.
const COLORREF kBrushColours[4] = {RGB(167, 229, 145), RGB(6, 176, 37), RGB(241, 233, 151), RGB(176, 152, 0)};

const COLORREF kWhite = RGB(255, 255, 255);

// A fraction of a length in whole pixels, truncated as the grid and the chart need it.
int Part(int length, double divisor, double times) { return static_cast<int>(length / divisor * times); }

// A band over [left, right) x [top, bottom) shading from one colour to another.
void FillGradient(CDC& dc, int left, int right, int top, int bottom, int limit, COLORREF from, COLORREF to) {
    if (left >= limit || left >= right)
        return;
    TRIVERTEX v[2] = {
        {left, top, static_cast<COLOR16>(GetRValue(from) << 8), static_cast<COLOR16>(GetGValue(from) << 8),
         static_cast<COLOR16>(GetBValue(from) << 8), 0},
        {right, bottom, static_cast<COLOR16>(GetRValue(to) << 8), static_cast<COLOR16>(GetGValue(to) << 8),
         static_cast<COLOR16>(GetBValue(to) << 8), 0}};
    GRADIENT_RECT rect{0, 1};
    dc.GradientFill(v, 2, &rect, 1, GRADIENT_FILL_RECT_H);
}

}  // namespace

BEGIN_MESSAGE_MAP(CGraphProgressControl, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_TIMER()
    ON_WM_DESTROY()
    ON_MESSAGE(GPM_SETRANGE, OnSetRange)
    ON_MESSAGE(GPM_GETRANGE, OnGetRange)
    ON_MESSAGE(GPM_SETSPEEDRANGE, OnSetSpeedRange)
    ON_MESSAGE(GPM_GETSPEEDRANGE, OnGetSpeedRange)
    ON_MESSAGE(GPM_SETPOS, OnSetPos)
    ON_MESSAGE(GPM_GETPOS, OnGetPos)
    ON_MESSAGE(GPM_SETSTATE, OnSetState)
    ON_MESSAGE(GPM_GETSTATE, OnGetState)
    ON_MESSAGE(GPM_SETMARQUEE, OnSetMarquee)
    ON_MESSAGE(WM_SETFONT, OnSetFont)
    ON_MESSAGE(WM_GETFONT, OnGetFont)
    ON_MESSAGE(WM_PRINT, OnPrint)
END_MESSAGE_MAP()

CGraphProgressControl::CGraphProgressControl() {
    RegisterClassOnce();
    CreateDrawingObjects();
}

CGraphProgressControl::~CGraphProgressControl() = default;

void CGraphProgressControl::RegisterClassOnce() {
    HINSTANCE instance = AfxGetInstanceHandle();
    WNDCLASSW wc{};
    if (::GetClassInfoW(instance, kClassName, &wc))
        return;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    // Another thread may have registered it since the question above.
    if (!::RegisterClassW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        AfxThrowResourceException();
}

void CGraphProgressControl::CreateDrawingObjects() {
    bool made = true;
    for (int i = 0; i < 5; ++i)
        made = m_pens[i].CreatePen(PS_SOLID, 1, kPenColours[i]) && made;
    for (int i = 0; i < 4; ++i)
        made = m_brushes[i].CreateSolidBrush(kBrushColours[i]) && made;
    if (made)
        return;
    for (CPen& pen : m_pens) pen.DeleteObject();
    for (CBrush& brush : m_brushes) brush.DeleteObject();
    AfxThrowResourceException();
}

void CGraphProgressControl::PreSubclassWindow() {
    CWnd::PreSubclassWindow();
    if (m_font.m_hObject) {
        m_hFont = m_font;
    } else if (HWND parent = ::GetParent(m_hWnd)) {
        m_hFont = reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0));
    }
}

// --- data ------------------------------------------------------------------------------

int CGraphProgressControl::PercentIn(int value, int minimum, int maximum) noexcept {
    if (maximum == minimum)
        return -1;  // nowhere to place it
    const double percent = (static_cast<double>(value) - minimum) / (static_cast<double>(maximum) - minimum) * 100;
    return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}

void CGraphProgressControl::UpdatePercentage() {
    // Measured from the range's minimum like the points, so that the part done ends
    // where the latest point stands whatever the range starts at.
    int percentage = 0;
    if (m_rangeMax != m_rangeMin && m_position != 0)
        percentage = std::max(PercentIn(m_position, m_rangeMin, m_rangeMax), 0);
    if (percentage == m_percentage)
        return;
    m_percentage = percentage;
    if (m_hWnd)
        Invalidate();
}

bool CGraphProgressControl::StoreRange(WPARAM wParam, LPARAM lParam, int& minimum, int& maximum) noexcept {
    const int newMinimum = static_cast<int>(wParam), newMaximum = static_cast<int>(lParam);
    if (newMinimum == minimum && newMaximum == maximum)
        return false;
    minimum = newMinimum;
    maximum = newMaximum;
    return true;
}

LRESULT CGraphProgressControl::OnSetRange(WPARAM wParam, LPARAM lParam) {
    if (!StoreRange(wParam, lParam, m_rangeMin, m_rangeMax))
        return 0;
    const int minimum = m_rangeMin, maximum = m_rangeMax;
    for (auto& [position, point] : m_points)
        if (position >= minimum && position <= maximum)
            point.xPercent = PercentIn(position, minimum, maximum);
    UpdatePercentage();
    return 0;
}

LRESULT CGraphProgressControl::OnGetRange(WPARAM wParam, LPARAM lParam) {
    if (int* minimum = reinterpret_cast<int*>(wParam)) *minimum = m_rangeMin;
    if (int* maximum = reinterpret_cast<int*>(lParam)) *maximum = m_rangeMax;
    return 0;
}

LRESULT CGraphProgressControl::OnSetSpeedRange(WPARAM wParam, LPARAM lParam) {
    if (!StoreRange(wParam, lParam, m_speedMin, m_speedMax))
        return 0;
    const int minimum = m_speedMin, maximum = m_speedMax;
    for (auto& entry : m_points) {
        VDrawData& point = entry.second;
        if (point.speed >= minimum && point.speed <= maximum)
            point.yPercent = PercentIn(point.speed, minimum, maximum);
    }
    UpdatePercentage();
    return 0;
}

LRESULT CGraphProgressControl::OnGetSpeedRange(WPARAM wParam, LPARAM lParam) {
    if (int* minimum = reinterpret_cast<int*>(wParam)) *minimum = m_speedMin;
    if (int* maximum = reinterpret_cast<int*>(lParam)) *maximum = m_speedMax;
    return 0;
}

LRESULT CGraphProgressControl::OnSetPos(WPARAM wParam, LPARAM lParam) {
    const int position = static_cast<int>(wParam);
    const int previous = m_position;
    bool changed = false;
    if (position != m_position) {
        m_position = position;
        if (position < previous)
            m_points.erase(m_points.upper_bound(position), m_points.end());
        changed = true;
    }
    const VData* data = reinterpret_cast<const VData*>(lParam);
    // A point outside the ranges is not kept; the position is.
    if (data && position >= m_rangeMin && position <= m_rangeMax && data->speed >= m_speedMin &&
        data->speed <= m_speedMax) {
        VDrawData point(*data, PercentIn(position, m_rangeMin, m_rangeMax),
                        PercentIn(data->speed, m_speedMin, m_speedMax));
        auto it = m_points.find(position);
        const bool same = it != m_points.end() && it->second.speed == point.speed &&
                          it->second.label == point.label && it->second.xPercent == point.xPercent &&
                          it->second.yPercent == point.yPercent;
        if (!same) {
            m_points.insert_or_assign(position, point);
            changed = true;
        }
    }
    if (changed)
        UpdatePercentage();
    return previous;
}

LRESULT CGraphProgressControl::OnGetPos(WPARAM, LPARAM) { return m_position; }

LRESULT CGraphProgressControl::OnSetState(WPARAM wParam, LPARAM) {
    const int previous = m_state;
    const int state = static_cast<int>(wParam);
    if ((state == stateRunning || state == statePaused) && state != m_state) {
        m_state = state;
        Invalidate();
    }
    return previous;
}

LRESULT CGraphProgressControl::OnGetState(WPARAM, LPARAM) { return m_state; }

LRESULT CGraphProgressControl::OnSetMarquee(WPARAM wParam, LPARAM lParam) {
    if (wParam) {
        const int period = static_cast<int>(lParam);
        if (period != m_marquee.period || !m_marquee.timerId) {
            m_marquee.period = period;
            // Setting the timer again replaces a running one, so a new period takes effect.
            m_marquee.timerId = SetTimer(kMarqueeTimer, static_cast<UINT>(std::max(period, 0)));
        }
    } else if (m_marquee.timerId) {
        KillTimer(m_marquee.timerId);
        m_marquee.timerId = 0;
    }
    Invalidate();
    return 1;
}

LRESULT CGraphProgressControl::OnSetFont(WPARAM wParam, LPARAM lParam) {
    m_hFont = reinterpret_cast<HFONT>(wParam);
    if (LOWORD(lParam))
        Invalidate();
    return 0;
}

LRESULT CGraphProgressControl::OnGetFont(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hFont); }

LRESULT CGraphProgressControl::OnPrint(WPARAM wParam, LPARAM) {
    try {
        CDC dc = CDC::Borrow(reinterpret_cast<HDC>(wParam));
        Draw(&dc);
    } catch (...) {
    }
    return 0;
}

void CGraphProgressControl::OnTimer(UINT_PTR id) {
    if (id != kMarqueeTimer) {
        CWnd::OnTimer(id);
        return;
    }
    // While paused the band stands still.
    if (m_state == stateRunning)
        Invalidate();
}

void CGraphProgressControl::OnDestroy() {
    if (m_marquee.timerId) {
        KillTimer(m_marquee.timerId);
        m_marquee.timerId = 0;
    }
    CWnd::OnDestroy();
}

// --- drawing ---------------------------------------------------------------------------

void CGraphProgressControl::OnPaint() {
    CPaintDC dc(this);
    Draw(&dc);
}

BOOL CGraphProgressControl::OnEraseBkgnd(CDC*) { return TRUE; }

void CGraphProgressControl::Draw(CDC* target) {
    GetClientRect(&m_clientRect);
    if (!target || m_clientRect.IsRectEmpty())
        return;
    // All of it goes to a bitmap first and reaches the target in one copy: no flicker.
    if (!m_memDC.CreateCompatibleDC(target))
        return;
    if (!m_memBitmap.CreateCompatibleBitmap(target, m_clientRect.Width(), m_clientRect.Height())) {
        m_memDC.DeleteDC();
        return;
    }
    m_oldBitmap = m_memDC.SelectObject(&m_memBitmap);
    auto release = ScopeExit([this]() noexcept {
        m_memDC.SelectObject(m_oldBitmap);
        m_oldBitmap = nullptr;
        m_memBitmap.DeleteObject();
        m_memDC.DeleteDC();
    });

    DrawBorder(m_memDC);
    m_memDC.FillRect(m_plotRect, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    {
        CSaveDC saved(m_memDC);
        m_memDC.IntersectClipRect(m_plotRect);
        if (m_marquee.timerId)
            DrawMarquee(m_memDC);
        else
            DrawChart(m_memDC);
    }
    target->BitBlt(0, 0, m_clientRect.Width(), m_clientRect.Height(), &m_memDC, 0, 0, SRCCOPY);
}

void CGraphProgressControl::DrawBorder(CDC& dc) {
    CRect r = m_clientRect;
    const COLORREF shadow = ::GetSysColor(COLOR_BTNSHADOW);
    dc.Draw3dRect(r, shadow, shadow);
    r.DeflateRect(1, 1);
    dc.Draw3dRect(r, ::GetSysColor(COLOR_ACTIVEBORDER), ::GetSysColor(COLOR_3DLIGHT));
    r.DeflateRect(1, 1);
    m_plotRect = r;
}

void CGraphProgressControl::DrawMarquee(CDC& dc) {
    const int L = m_plotRect.left, T = m_plotRect.top, R = m_plotRect.right, B = m_plotRect.bottom;
    const int W = m_plotRect.Width();
    if (Paused()) {
        m_marquee.offset = 0;
    } else {
        // A band twice `half` wide, brightest in its middle, moving right by `step`.
        const int half = Part(W, 10.0, 1), step = Part(W, 20.0, 1);
        const int e = m_marquee.offset + step;
        const COLORREF colour = kPenColours[0];
        if (e > half) {
            FillGradient(dc, std::max(L, L + e - 2 * half), std::min(R, L + e - half), T, B, R, kWhite, colour);
            FillGradient(dc, L + e - half, std::min(R, L + e), T, B, R, colour, kWhite);
        } else {
            FillGradient(dc, L, L + e, T, B, R, colour, kWhite);
        }
        m_marquee.offset = R < e - 2 * half ? 0 : e;
    }
    DrawGrid(dc, L, R, GridPart::all, m_pens[Paused() ? 2 : 0]);
}

void CGraphProgressControl::DrawGrid(CDC& dc, int from, int to, GridPart part, CPen& pen) {
    const int L = m_plotRect.left, T = m_plotRect.top, B = m_plotRect.bottom;
    const int W = m_plotRect.Width(), H = m_plotRect.Height();
    const int progressWidth = Part(W, 100.0, m_percentage);
    CSelectObject select(dc, pen);
    for (int i = 1; i <= 5; ++i) {
        const int y = T + Part(H, 6.0, i);
        dc.MoveTo(from, y);
        dc.LineTo(to, y);
    }
    for (int i = 1; i <= 9; ++i) {
        const int offset = Part(W, 10.0, i);
        if ((part == GridPart::inside && offset > progressWidth) || (part == GridPart::outside && offset <= progressWidth))
            continue;
        dc.MoveTo(L + offset, T);
        dc.LineTo(L + offset, B);
    }
}

void CGraphProgressControl::DrawChart(CDC& dc) {
    const int L = m_plotRect.left, T = m_plotRect.top, R = m_plotRect.right, B = m_plotRect.bottom;
    const int P = L + Part(m_plotRect.Width(), 100.0, m_percentage);
    const CRect done(L, T, P, B);
    dc.FillRect(done, &m_brushes[Paused() ? 2 : 0]);
    DrawGrid(dc, P, R, GridPart::outside, m_pens[Paused() ? 2 : 0]);
    DrawGrid(dc, L, P, GridPart::inside, m_pens[Paused() ? 3 : 1]);
    DrawSpeedArea(dc, P);
    DrawLatestSpeed(dc);
}

void CGraphProgressControl::FillQuad(CDC& dc, POINT a, POINT b, POINT c, POINT d, CBrush& brush) {
    const POINT corners[4] = {a, b, c, d};
    CRgn region;
    if (region.CreatePolygonRgn(corners, 4, ALTERNATE))
        dc.FillRgn(&region, &brush);
}

void CGraphProgressControl::DrawSpeedArea(CDC& dc, int progressRight) {
    const int L = m_plotRect.left, B = m_plotRect.bottom;
    const int W = m_plotRect.Width(), H = m_plotRect.Height();
    CBrush& brush = m_brushes[Paused() ? 3 : 1];
    const VDrawData* last = nullptr;
    POINT previous{L, B};
    for (const auto& entry : m_points) {
        const VDrawData& point = entry.second;
        if (point.xPercent == -1 || point.yPercent == -1)
            continue;
        const POINT here{L + Part(W, 100.0, point.xPercent), B - Part(H, 100.0, point.yPercent)};
        if (!last)
            previous = POINT{L, here.y};  // the area starts flat at the left edge
        FillQuad(dc, previous, POINT{previous.x, B}, POINT{here.x, B}, here, brush);
        previous = here;
        last = &point;
    }
    // Up to the part done at the latest speed.
    if (last && last->xPercent < m_percentage)
        FillQuad(dc, previous, POINT{previous.x, B}, POINT{progressRight, B}, POINT{progressRight, previous.y}, brush);
}

void CGraphProgressControl::DrawLatestSpeed(CDC& dc) {
    if (m_points.empty() || Paused())
        return;
    const VDrawData& last = m_points.rbegin()->second;
    if (last.xPercent == -1 || last.yPercent == -1 || last.label.IsEmpty())
        return;
    const int L = m_plotRect.left, R = m_plotRect.right, B = m_plotRect.bottom;
    const int y = B - Part(m_plotRect.Height(), 100.0, last.yPercent);
    {
        CSelectObject select(dc, m_pens[4]);
        dc.MoveTo(L, y);
        dc.LineTo(R, y);
    }
    CSaveDC saved(dc);
    if (m_hFont)
        dc.SelectObject(m_hFont);
    dc.SetBkMode(TRANSPARENT);
    const CSize size = dc.GetTextExtent(last.label, last.label.GetLength());
    // Below the line in the upper half of the graph, above it in the lower half.
    const int top = last.yPercent >= 50 ? y + 3 : y - size.cy - 3;
    dc.TextOut(R - size.cx - 3, top, last.label, last.label.GetLength());
}
