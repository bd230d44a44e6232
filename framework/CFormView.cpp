#include "framework/CFormView.h"

#include "framework/CDialog.h"
#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CFormView, CScrollView)

BOOL CFormView::Create(LPCWSTR, LPCWSTR, DWORD style, const RECT& rect, CWnd* parent, UINT id, CCreateContext*) {
    CREATESTRUCTW cs{};
    cs.style = style ? style : AFX_WS_DEFAULT_VIEW;
    LPCDLGTEMPLATEW dialogTemplate = AfxLoadDialogTemplate(m_lpszTemplateName);
    if (!dialogTemplate || !PreCreateWindow(cs) || m_hWnd) {
        PostNcDestroy();
        return FALSE;
    }
    bool bound = false;
    HWND hwnd = AfxCreateDialog(this, dialogTemplate, SafeHwnd(parent), &bound);
    if (!hwnd) {
        // Destroyed after binding: WM_NCDESTROY has run PostNcDestroy already.
        if (!bound)
            PostNcDestroy();
        return FALSE;
    }
    // The template's size is the size of the whole form.
    CRect templateRect;
    GetClientRect(&templateRect);
    // The template's style, with the border and the client edge the view asked for.
    ModifyStyle(WS_BORDER | WS_CAPTION, cs.style & (WS_BORDER | WS_CAPTION));
    ModifyStyleEx(WS_EX_CLIENTEDGE, cs.dwExStyle & WS_EX_CLIENTEDGE, SWP_FRAMECHANGED);
    SetDlgCtrlID(static_cast<int>(id));
    CRect requested(rect);
    if (requested.IsRectEmpty()) {
        // The window around a client area of the template's size.
        requested = templateRect;
        ::AdjustWindowRectEx(&requested, GetStyle() & ~(WS_HSCROLL | WS_VSCROLL), FALSE, GetExStyle());
    }
    SetWindowPos(nullptr, rect.left, rect.top, requested.Width(), requested.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
    SetScrollSizes(MM_TEXT, templateRect.Size());
    if (cs.style & WS_VISIBLE)
        ShowWindow(SW_SHOWNORMAL);
    return TRUE;
}

void CFormView::OnInitialUpdate() {
    UpdateData(FALSE);
    CScrollView::OnInitialUpdate();
}

void CFormView::OnDraw(CDC*) {}

BOOL CFormView::PreTranslateMessage(MSG* msg) {
    bool input = (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) ||
                 (msg->message >= WM_MOUSEFIRST && msg->message <= WM_MOUSELAST);
    // An empty form has nothing to navigate.
    if (!input || !::GetWindow(m_hWnd, GW_CHILD))
        return FALSE;
    return ::IsDialogMessageW(m_hWnd, msg);
}
