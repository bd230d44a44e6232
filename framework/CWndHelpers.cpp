// CWnd: text, style, geometry and data exchange.
#include "framework/CDataExchange.h"
#include "framework/CException.h"
#include "framework/CFrameWnd.h"
#include "framework/CGdiObject.h"
#include "framework/CWnd.h"

void CWnd::GetWindowText(CString& text) const {
    int length = ::GetWindowTextLengthW(m_hWnd);
    LPWSTR buffer = text.GetBuffer(length);
    int copied = ::GetWindowTextW(m_hWnd, buffer, length + 1);
    text.ReleaseBuffer(copied);
}

CString CWnd::GetWindowText() const {
    CString text;
    GetWindowText(text);
    return text;
}

int CWnd::GetDlgItemText(int id, CString& text) const {
    text.Empty();
    HWND item = ::GetDlgItem(m_hWnd, id);
    if (item) {
        int length = ::GetWindowTextLengthW(item);
        LPWSTR buffer = text.GetBuffer(length);
        int copied = ::GetWindowTextW(item, buffer, length + 1);
        text.ReleaseBuffer(copied);
    }
    return text.GetLength();
}

namespace {

BOOL ModifyLong(HWND hwnd, int index, DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
    DWORD changed = (style & ~remove) | add;
    if (changed == style)
        return FALSE;
    ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | swpFlags);
    return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

BOOL CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) noexcept {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

BOOL CWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const noexcept {
    placement->length = sizeof(WINDOWPLACEMENT);
    return ::GetWindowPlacement(m_hWnd, placement);
}

void CWnd::ClientToScreen(LPRECT rect) const noexcept {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(rect), 2);
}

void CWnd::ScreenToClient(LPRECT rect) const noexcept {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(rect), 2);
}

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) noexcept {
    return ::SetWindowPos(m_hWnd, SafeHwnd(insertAfter), x, y, cx, cy, flags);
}

BOOL CWnd::GetScrollInfo(int bar, SCROLLINFO* info, UINT mask) const noexcept {
    info->cbSize = sizeof(SCROLLINFO);
    info->fMask = mask;
    return ::GetScrollInfo(m_hWnd, bar, info);
}

BOOL CWnd::SetScrollInfo(int bar, SCROLLINFO* info, BOOL redraw) noexcept {
    info->cbSize = sizeof(SCROLLINFO);
    ::SetScrollInfo(m_hWnd, bar, info, redraw);
    return TRUE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep) const {
    for (HWND child = ::GetTopWindow(m_hWnd); child; child = ::GetNextWindow(child, GW_HWNDNEXT)) {
        ::SendMessageW(child, message, wParam, lParam);
        if (deep && ::GetTopWindow(child)) {
            CWnd* wnd = FromHandle(child);
            wnd->SendMessageToDescendants(message, wParam, lParam, TRUE);
        }
    }
}

void CWnd::SetFont(CFont* font, BOOL redraw) noexcept { SetFont(font ? static_cast<HFONT>(*font) : nullptr, redraw); }

CFrameWnd* CWnd::GetParentFrame() const noexcept {
    for (HWND hwnd = ::GetParent(m_hWnd); hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandlePermanent(hwnd);
        if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CFrameWnd)))
            return static_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

CWnd* CWnd::GetTopLevelParent() const {
    HWND top = m_hWnd;
    while (top && (::GetWindowLongPtrW(top, GWL_STYLE) & WS_CHILD))
        top = ::GetParent(top);
    return FromHandle(top);
}

void CWnd::CalcWindowRect(LPRECT clientRect, UINT adjustType) {
    DWORD exStyle = GetExStyle();
    if (adjustType == adjustBorder)
        exStyle &= ~WS_EX_CLIENTEDGE;
    ::AdjustWindowRectEx(clientRect, GetStyle(), FALSE, exStyle);
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (CUserException&) {
        return FALSE;
    }
    return TRUE;
}
