#include "framework/CView.h"

#include "framework/CDC.h"
#include "framework/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_PAINT()
    ON_WM_MOUSEACTIVATE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CView::PreCreateWindow(CREATESTRUCTW& cs) {
    if (!cs.lpszClass)
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    // A view's border is drawn as a client edge.
    if (cs.style & WS_BORDER) {
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
        cs.style &= ~WS_BORDER;
    }
    return cs.lpszClass != nullptr;
}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnPrepareDC(&dc);
    OnDraw(&dc);
}

void CView::OnInitialUpdate() { Invalidate(TRUE); }

void CView::OnPrepareDC(CDC*) {}

BOOL CView::IsTopParentActive() const {
    CWnd* top = GetTopLevelParent();
    return top && top->m_hWnd == ::GetActiveWindow();
}

void CView::OnActivateView(BOOL activate, CView* activateView, CView*) {
    if (activate && activateView == this && IsTopParentActive())
        SetFocus();
}

int CView::OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message) {
    int result = CWnd::OnMouseActivate(topParent, hitTest, message);
    if (result == MA_NOACTIVATE || result == MA_NOACTIVATEANDEAT)
        return result;
    if (CFrameWnd* frame = GetParentFrame()) {
        HWND focus = ::GetFocus();
        if (frame->GetActiveView() == this && focus != m_hWnd && !::IsChild(m_hWnd, focus))
            OnActivateView(TRUE, this, this);  // active already, but the focus is elsewhere
        else
            frame->SetActiveView(this);
    }
    return result;
}

void CView::OnDestroy() {
    CFrameWnd* frame = GetParentFrame();
    if (frame && frame->GetActiveView() == this)
        frame->SetActiveView(nullptr);
    CWnd::OnDestroy();
}

void CView::CalcWindowRect(LPRECT clientRect, UINT adjustType) {
    if (adjustType == adjustOutside) {
        // Room for the scroll bars the view shows.
        DWORD style = GetStyle();
        if (style & WS_VSCROLL)
            clientRect->right += ::GetSystemMetrics(SM_CXVSCROLL);
        if (style & WS_HSCROLL)
            clientRect->bottom += ::GetSystemMetrics(SM_CYHSCROLL);
    }
    CWnd::CalcWindowRect(clientRect, adjustType);
}

void CView::PostNcDestroy() { delete this; }
