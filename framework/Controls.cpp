#include "framework/Controls.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CLinkCtrl, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

namespace {

// An owner-drawn control's WM_DRAWITEM, reflected by its parent, goes to its DrawItem.
template <class Control>
BOOL ChildNotifyWithDrawItem(Control* control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_DRAWITEM)
        return control->CWnd::OnChildNotify(message, wParam, lParam, result);
    control->DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    if (result)
        *result = TRUE;
    return TRUE;
}

}  // namespace

BOOL CButton::Create(LPCWSTR caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(L"BUTTON", caption, style, rect, parent, id);
}

void CButton::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CButton::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ChildNotifyWithDrawItem(this, message, wParam, lParam, result);
}

BOOL CStatic::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(L"STATIC", text, style, rect, parent, id);
}

void CStatic::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CStatic::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return ChildNotifyWithDrawItem(this, message, wParam, lParam, result);
}

BOOL CLinkCtrl::Create(LPCWSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    AfxInitCommonControls();
    return CWnd::Create(WC_LINK, text, style, rect, parent, id);
}

BOOL CLinkCtrl::SetItemUrl(int index, LPCWSTR url) noexcept {
    if (!url || lstrlenW(url) >= static_cast<int>(L_MAX_URL_LENGTH))
        return FALSE;
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = index;
    lstrcpynW(item.szUrl, url, L_MAX_URL_LENGTH);
    return SetItem(&item);
}

BOOL CLinkCtrl::GetItemUrl(int index, CString& url) const {
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = index;
    if (!GetItem(&item))
        return FALSE;
    url = item.szUrl;
    return TRUE;
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    AfxInitCommonControls();
    return CWnd::Create(PROGRESS_CLASSW, nullptr, style, rect, parent, id);
}

void CProgressCtrl::GetRange(int& lower, int& upper) const noexcept {
    PBRANGE range{};
    SendMessage(PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    lower = range.iLow;
    upper = range.iHigh;
}
