#include "ui/TaskFrameFormView.h"

#include "framework/CDC.h"
#include "ui/FileCopyDlg.h"
#include "ui/TaskFrameWnd.h"
#include "ui/TaskFrameWndListView.h"
#include "ui/TaskWindowMessages.h"

IMPLEMENT_DYNAMIC(CTaskFrameFormView, CFormView)

BEGIN_MESSAGE_MAP(CTaskFrameFormView, CFormView)
    ON_WM_ERASEBKGND()
    ON_WM_CTLCOLOR()
    ON_WM_CLOSE()
    ON_WM_MOUSEACTIVATE()
    ON_MESSAGE(TaskMessages::kRefreshCaption, OnRefreshCaption)
END_MESSAGE_MAP()

CString CTaskFrameFormView::GetCaptionText() { return CString(); }

void CTaskFrameFormView::WriteAnswer(Swiftlet::CoreEvent&) {}

void CTaskFrameFormView::OnInitialUpdate() {
    CFormView::OnInitialUpdate();
    ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    // Without the edge the window is the template's size itself.
    const CSize size = GetTotalSize();
    SetWindowPos(nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(SW_HIDE);
    if (CFrameWnd* frame = GetParentFrame()) {
        frame->RecalcLayout();
        ResizeParentToFit(FALSE);
    }
}

void CTaskFrameFormView::OnDraw(CDC* dc) {
    // White, then every visible child as it looks now, all in one copy to the screen:
    // the controls then paint over an image of themselves instead of a blank page.
    CMemDC buffer(*dc, this);
    CDC& out = buffer.GetDC();
    CRect client;
    GetClientRect(&client);
    out.FillSolidRect(&client, RGB(255, 255, 255));
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!::IsWindowVisible(child) || !(::GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD))
            continue;
        CRect rect;
        ::GetWindowRect(child, &rect);
        ScreenToClient(&rect);
        CDC image;
        CBitmap bitmap;
        if (!image.CreateCompatibleDC(&out) || !bitmap.CreateCompatibleBitmap(&out, rect.Width(), rect.Height()))
            continue;
        CSelectObject selected(image, bitmap);
        image.FillSolidRect(CRect(0, 0, rect.Width(), rect.Height()), RGB(255, 255, 255));
        ::SendMessageW(child, WM_PRINT, reinterpret_cast<WPARAM>(image.GetSafeHdc()), PRF_CLIENT);
        out.BitBlt(rect.left, rect.top, rect.Width(), rect.Height(), &image, 0, 0, SRCCOPY);
    }
}

BOOL CTaskFrameFormView::OnEraseBkgnd(CDC*) { return TRUE; }

HBRUSH CTaskFrameFormView::OnCtlColor(CDC* dc, CWnd*, UINT) {
    dc->SetBkColor(RGB(255, 255, 255));
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

void CTaskFrameFormView::OnClose() { SendMessage(WM_COMMAND, IDCANCEL, 0); }

int CTaskFrameFormView::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }

LRESULT CTaskFrameFormView::OnRefreshCaption(WPARAM, LPARAM) {
    if (CFileCopyDlg* taskWindow = GetTaskWindow())
        UpdateCaption(taskWindow, GetCaptionText());
    return 0;
}

CTaskFrameWnd* CTaskFrameFormView::GetTaskFrame() const {
    CFrameWnd* frame = GetParentFrame();
    return frame && frame->IsKindOf(RUNTIME_CLASS(CTaskFrameWnd)) ? static_cast<CTaskFrameWnd*>(frame) : nullptr;
}

CFileCopyDlg* CTaskFrameFormView::GetTaskWindow() const {
    // The panel lies in the operation list, and the list in the task window.
    CTaskFrameWnd* frame = GetTaskFrame();
    CWnd* list = frame ? CWnd::FromHandlePermanent(::GetParent(frame->m_hWnd)) : nullptr;
    if (!list || !list->IsKindOf(RUNTIME_CLASS(CTaskFrameWndListView)))
        return nullptr;
    CWnd* window = CWnd::FromHandlePermanent(::GetParent(list->m_hWnd));
    return window && window->IsKindOf(RUNTIME_CLASS(CFileCopyDlg)) ? static_cast<CFileCopyDlg*>(window) : nullptr;
}
