#include "framework/CFrameWnd.h"

#include "framework/Afx.h"
#include "framework/CView.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return cs.lpszClass != nullptr;
}

BOOL CFrameWnd::Create(LPCWSTR className, LPCWSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                       LPCWSTR menuName, DWORD exStyle, CCreateContext* context) {
    HMENU menu = nullptr;
    if (menuName && !(style & WS_CHILD)) {
        menu = ::LoadMenuW(AfxGetResourceHandle(), menuName);
        if (!menu) {
            PostNcDestroy();
            return FALSE;
        }
    }
    int x = rect.left, y = rect.top, cx = rect.right - rect.left, cy = rect.bottom - rect.top;
    if (CRect(rect) == rectDefault)
        x = y = cx = cy = CW_USEDEFAULT;
    // Nothing of the object may be used after a failure: it may have deleted itself.
    if (!CreateEx(exStyle, className, windowName, style, x, y, cx, cy, SafeHwnd(parent), menu, context)) {
        if (menu && ::IsMenu(menu))
            ::DestroyMenu(menu);
        return FALSE;
    }
    return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1)
        return -1;
    if (!OnCreateClient(cs, static_cast<CCreateContext*>(cs->lpCreateParams)))
        return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    if (context && context->m_pNewViewClass)
        return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
    if (!context || !context->m_pNewViewClass || !context->m_pNewViewClass->IsDerivedFrom(RUNTIME_CLASS(CWnd)))
        return nullptr;
    CWnd* view = static_cast<CWnd*>(context->m_pNewViewClass->CreateObject());
    if (!view)
        return nullptr;
    context->m_pCurrentFrame = this;
    // A view that fails to be created deletes itself.
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 0, 0), this, id, context))
        return nullptr;
    return view;
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* old = m_pViewActive;
    if (view == old)
        return;
    m_pViewActive = nullptr;
    if (notify && old)
        old->OnActivateView(FALSE, view, old);
    m_pViewActive = view;
    if (notify && view)
        view->OnActivateView(TRUE, view, old);
}

void CFrameWnd::RecalcLayout(BOOL) {
    if (!m_hWnd)
        return;
    HWND pane = nullptr;
    if (m_pViewActive && m_pViewActive->m_hWnd && ::GetParent(m_pViewActive->m_hWnd) == m_hWnd &&
        ::GetDlgCtrlID(m_pViewActive->m_hWnd) == AFX_IDW_PANE_FIRST)
        pane = m_pViewActive->m_hWnd;
    else
        pane = ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
    if (!pane)
        return;
    CRect client;
    GetClientRect(&client);
    CRect current;
    ::GetWindowRect(pane, &current);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(&current), 2);
    if (current != client)
        ::SetWindowPos(pane, nullptr, client.left, client.top, client.Width(), client.Height(),
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void CFrameWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    if (type != SIZE_MINIMIZED)
        RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd* oldWnd) {
    if (m_pViewActive && m_pViewActive->m_hWnd)
        m_pViewActive->SetFocus();
    else
        CWnd::OnSetFocus(oldWnd);
}

BOOL CFrameWnd::OnEraseBkgnd(CDC* dc) {
    // A visible active view paints the whole client area itself.
    if (m_pViewActive && m_pViewActive->m_hWnd && m_pViewActive->IsWindowVisible())
        return TRUE;
    return CWnd::OnEraseBkgnd(dc);
}

void CFrameWnd::OnDestroy() {
    SetActiveView(nullptr, FALSE);
    CWnd::OnDestroy();
}

BOOL CFrameWnd::OnCmdMsg(UINT id, UINT code) {
    // The active view gets the frame's commands first.
    if (m_pViewActive && m_pViewActive->m_hWnd && m_pViewActive->OnCmdMsg(id, code))
        return TRUE;
    return CWnd::OnCmdMsg(id, code);
}

void CFrameWnd::PostNcDestroy() { delete this; }
