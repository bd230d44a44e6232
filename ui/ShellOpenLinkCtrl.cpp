#include "ui/ShellOpenLinkCtrl.h"

#include <shellapi.h>

#include "foundation/ComApartment.h"

BEGIN_MESSAGE_MAP(CShellOpenLinkCtrl, CLinkCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnLinkClick)
    ON_NOTIFY_REFLECT(NM_RETURN, OnLinkClick)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnToolTipText)
END_MESSAGE_MAP()

namespace {

const int kToolTipWidth = 200;

}  // namespace

void CShellOpenLinkCtrl::PreSubclassWindow() {
    CLinkCtrl::PreSubclassWindow();
    EnableToolTips(TRUE);
}

void CShellOpenLinkCtrl::OnLinkClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    // The notification names the clicked link's URL itself. (Its link index cannot be
    // trusted everywhere: Wine counts the plain text between links too, so reading the
    // URL back by index could open another link's folder.)
    const auto* link = reinterpret_cast<const NMLINK*>(header);
    if (link->item.szUrl[0])
        Open(link->item.szUrl);
}

void CShellOpenLinkCtrl::Open(LPCWSTR url) {
    Com::EnsureThreadApartment();
    ::ShellExecuteW(m_hWnd, L"open", url, nullptr, nullptr, SW_SHOWNORMAL);
}

int CShellOpenLinkCtrl::LinkAt(CPoint point, CString* url) const {
    LHITTESTINFO hit{};
    hit.pt = point;
    if (!HitTest(&hit))
        return -1;
    if (url)
        *url = hit.item.szUrl;
    return hit.item.iLink;
}

INT_PTR CShellOpenLinkCtrl::OnToolHitTest(CPoint point, TOOLINFOW* ti) const {
    const int link = LinkAt(point);
    if (link < 0)
        return -1;
    GetClientRect(&ti->rect);
    return link;
}

BOOL CShellOpenLinkCtrl::OnToolTipText(UINT id, NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    *result = 0;
    if (!GetItemUrl(static_cast<int>(id), m_toolTipText))
        m_toolTipText.Empty();
    ::SendMessageW(header->hwndFrom, TTM_SETMAXTIPWIDTH, 0, kToolTipWidth);
    info->lpszText = const_cast<LPWSTR>(m_toolTipText.GetString());
    info->hinst = nullptr;
    return TRUE;
}

BEGIN_MESSAGE_MAP(CShellOpenLinkCtrlCheckBox, CButton)
    ON_WM_GETDLGCODE()
    ON_WM_KEYDOWN()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

void CShellOpenLinkCtrlCheckBox::PreSubclassWindow() {
    CButton::PreSubclassWindow();
    const CString caption = GetWindowText();
    SetWindowText(L"");
    CRect rect;
    GetClientRect(&rect);
    rect.left += ::GetSystemMetrics(SM_CXSMICON);
    rect.DeflateRect(::GetSystemMetrics(SM_CXFOCUSBORDER), ::GetSystemMetrics(SM_CYFOCUSBORDER));
    if (m_link.Create(caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, this, kLinkId))
        m_link.SetFont(GetFont());
}

UINT CShellOpenLinkCtrlCheckBox::OnGetDlgCode() { return static_cast<UINT>(Default()) | DLGC_WANTTAB; }

void CShellOpenLinkCtrlCheckBox::OnKeyDown(UINT key, UINT, UINT) {
    if (key != VK_TAB) {
        Default();
        return;
    }
    if (::GetKeyState(VK_SHIFT) < 0) {
        HWND dialog = ::GetParent(m_hWnd);
        if (HWND previous = ::GetNextDlgTabItem(dialog, m_hWnd, TRUE))
            ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(previous), TRUE);
    } else if (m_link.m_hWnd) {
        m_link.SetFocus();
    }
}

HBRUSH CShellOpenLinkCtrlCheckBox::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    // The links lie on the dialog: they take its colours, not the button's.
    if (wnd && wnd->m_hWnd == m_link.m_hWnd)
        return reinterpret_cast<HBRUSH>(::SendMessageW(::GetParent(m_hWnd), WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc->m_hDC),
                                                       reinterpret_cast<LPARAM>(m_link.m_hWnd)));
    return CButton::OnCtlColor(dc, wnd, ctlColor);
}
