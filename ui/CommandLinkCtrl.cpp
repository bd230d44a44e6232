#include "ui/CommandLinkCtrl.h"

#include <iterator>

#include "foundation/OSVersion.h"

namespace {

// The arrow, in a 16 x 16 cell.
const POINT kArrowPoints[] = {{2, 6}, {3, 5},  {8, 5},  {6, 2},  {8, 0}, {15, 7},
                              {8, 14}, {6, 12}, {8, 10}, {3, 10}, {2, 8}};
const int kArrowCell = 16;
const int kArrowLeft = 4;
const int kTextLeft = 24;

}  // namespace

BEGIN_MESSAGE_MAP(CCommandLinkCtrl, TRolloverEventHandler<CButton>)
    ON_WM_THEMECHANGED()
END_MESSAGE_MAP()

CCommandLinkCtrl::CCommandLinkCtrl() {
    m_backgroundBrush.CreateSolidBrush(kBackground);
    m_hoverBrush.CreateSolidBrush(kHoverBackground);
    m_pressedBrush.CreateSolidBrush(kPressedBackground);
    m_arrowBrush.CreateSolidBrush(kArrow);
    m_hoverArrowBrush.CreateSolidBrush(kHoverArrow);
    m_pressedArrowBrush.CreateSolidBrush(kPressedArrow);
    m_hoverPen.CreatePen(PS_SOLID, 1, kHoverFrame);
    m_pressedPen.CreatePen(PS_SOLID, 1, kPressedFrame);
    ownerDrawn = ComputeOwnerDrawn();
}

int CCommandLinkCtrl::NeedsOwnerDraw(DWORD majorVersion, int appThemed, int themeActive) {
    if (majorVersion < 6)
        return 1;
    if (appThemed == -1 || themeActive == -1)
        return 0;
    return appThemed == 1 && themeActive == 1 ? 0 : 1;
}

int CCommandLinkCtrl::ComputeOwnerDrawn() {
    COSVersion os;
    const bool present = m_isAppThemed && m_isThemeActive;
    return NeedsOwnerDraw(os.osvi.dwMajorVersion, present ? (m_isAppThemed() ? 1 : 0) : -1,
                          present ? (m_isThemeActive() ? 1 : 0) : -1);
}

BOOL CCommandLinkCtrl::PreCreateWindow(CREATESTRUCTW& cs) {
    cs.style = (cs.style & ~static_cast<DWORD>(BS_TYPEMASK)) | ButtonType();
    return TRolloverEventHandler<CButton>::PreCreateWindow(cs);
}

void CCommandLinkCtrl::PreSubclassWindow() {
    TRolloverEventHandler<CButton>::PreSubclassWindow();
    ApplyButtonType();
}

void CCommandLinkCtrl::ApplyButtonType() {
    if (ModifyStyle(BS_TYPEMASK, ButtonType()))
        Invalidate(TRUE);
}

LRESULT CCommandLinkCtrl::OnThemeChanged() {
    const LRESULT result = Default();
    ownerDrawn = ComputeOwnerDrawn();
    ApplyButtonType();
    return result;
}

void CCommandLinkCtrl::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC dc = CDC::Borrow(dis->hDC);
    CSaveDC saved(dc);
    CRect rect(dis->rcItem);
    DrawBackground(dc, rect, dis->itemState);
    DrawArrow(dc, rect, dis->itemState);
    DrawLabel(dc, rect, dis->itemState);
}

void CCommandLinkCtrl::DrawBackground(CDC& dc, CRect& rect, UINT state) {
    const bool pressed = (state & ODS_SELECTED) != 0;
    if (pressed || hover) {
        CSelectObject pen(dc, pressed ? m_pressedPen : m_hoverPen);
        CSelectObject brush(dc, pressed ? m_pressedBrush : m_hoverBrush);
        dc.RoundRect(rect.left, rect.top, rect.right, rect.bottom, 5, 7);
    } else {
        dc.FillRect(&rect, &m_backgroundBrush);
    }
    rect.DeflateRect(1, 1);
    rect.DeflateRect(1, 1);
    // The focus shows while pressed, and while the keyboard has it.
    if ((pressed || (state & ODS_FOCUS)) && !(state & ODS_NOFOCUSRECT))
        dc.DrawFocusRect(&rect);
    rect.DeflateRect(1, 1);
}

void CCommandLinkCtrl::DrawArrow(CDC& dc, const CRect& rect, UINT state) {
    const int x = rect.left + kArrowLeft;
    const int y = rect.top + (rect.Height() >= kArrowCell ? (rect.Height() - kArrowCell) / 2 : 0);
    POINT points[std::size(kArrowPoints)];
    for (size_t i = 0; i < std::size(kArrowPoints); ++i)
        points[i] = POINT{kArrowPoints[i].x + x, kArrowPoints[i].y + y};
    CRgn arrow;
    if (!arrow.CreatePolygonRgn(points, static_cast<int>(std::size(points)), WINDING))
        return;
    CBrush& brush = (state & ODS_SELECTED) ? m_pressedArrowBrush : hover ? m_hoverArrowBrush : m_arrowBrush;
    dc.FillRgn(&arrow, &brush);
}

void CCommandLinkCtrl::DrawLabel(CDC& dc, const CRect& rect, UINT state) {
    CString text = GetWindowText();
    CRect area(rect.left + kTextLeft, rect.top, rect.right, rect.bottom);
    if (area.IsRectEmpty())
        return;
    HFONT font = GetFont();
    CSelectObject selectFont(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    dc.SetBkMode(TRANSPARENT);
    if (state & ODS_DISABLED)
        dc.SetTextColor(::GetSysColor(COLOR_GRAYTEXT));
    const UINT format = DT_WORDBREAK | DT_END_ELLIPSIS;
    CRect measured = area;
    dc.DrawText(text, &measured, format | DT_CALCRECT);
    if (measured.Height() < area.Height())
        area.top += (area.Height() - measured.Height()) / 2;
    dc.DrawText(text, &area, format);
}
