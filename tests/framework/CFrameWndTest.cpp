// Frames and their views on real windows: the pane id, activation, layout, scrolling,
// form views from a template, and the objects' self-deletion with their windows.
#include <gtest/gtest.h>

#include "WindowTestIds.h"
#include "WindowTestSupport.h"
#include "tests/support/Screenshot.h"
#include "framework/CDC.h"
#include "framework/CDataExchange.h"
#include "framework/CFormView.h"
#include "framework/CFrameWnd.h"
#include "framework/CScrollView.h"
#include "framework/Controls.h"

namespace {

int g_live = 0;  // frames and views constructed and not yet deleted

class CCountingFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CCountingFrame)
public:
    CCountingFrame() { ++g_live; }
    ~CCountingFrame() override { --g_live; }
    static inline bool s_failCreate = false;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg int OnCreate(LPCREATESTRUCT cs) { return s_failCreate ? -1 : CFrameWnd::OnCreate(cs); }
};
IMPLEMENT_DYNCREATE(CCountingFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CCountingFrame, CFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

class CCountingView : public CView {
    DECLARE_DYNCREATE(CCountingView)
public:
    CCountingView() { ++g_live; }
    ~CCountingView() override { --g_live; }
    int activated = 0;
    int deactivated = 0;
    void OnDraw(CDC* dc) override { dc->FillSolidRect(CRect(0, 0, 20, 20), RGB(255, 0, 0)); }
    void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView) override {
        ++(activate ? activated : deactivated);
        CView::OnActivateView(activate, activateView, deactiveView);
    }
};
IMPLEMENT_DYNCREATE(CCountingView, CView)

class CTestScrollView : public CScrollView {
    DECLARE_DYNCREATE(CTestScrollView)
public:
    CTestScrollView() { ++g_live; }
    ~CTestScrollView() override { --g_live; }
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CTestScrollView, CScrollView)

class CTestFormView : public CFormView {
    DECLARE_DYNCREATE(CTestFormView)
public:
    CTestFormView() : CFormView(IDD_TEST_FORM) { ++g_live; }
    ~CTestFormView() override { --g_live; }
    CString m_label = L"名前： 写真.jpg";
    CProgressCtrl m_progress;
    CLinkCtrl m_link;
    int cancelled = 0;

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Text(dx, IDC_TEST_LABEL, m_label);
        DDX_Control(dx, IDC_TEST_PROGRESS, m_progress);
        DDX_Control(dx, IDC_TEST_LINK, m_link);
    }
    afx_msg void OnCancel() { ++cancelled; }
};
IMPLEMENT_DYNCREATE(CTestFormView, CFormView)
BEGIN_MESSAGE_MAP(CTestFormView, CFormView)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CCountingFrame* NewFrame(CRuntimeClass* viewClass, DWORD style, const RECT& rect, CWnd* parent = nullptr) {
    CCreateContext context;
    context.m_pNewViewClass = viewClass;
    auto* frame = new CCountingFrame;
    return frame->Create(nullptr, L"枠", style, rect, parent, nullptr, 0, &context) ? frame : nullptr;
}

template <class View>
View* Pane(CFrameWnd* frame) {
    return static_cast<View*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
}

// A rectangle of a child in its parent's client coordinates.
CRect ChildRect(CWnd* child) {
    CRect r;
    child->GetWindowRect(&r);
    ::MapWindowPoints(nullptr, ::GetParent(child->m_hWnd), reinterpret_cast<LPPOINT>(&r), 2);
    return r;
}

class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_live = 0;
        CCountingFrame::s_failCreate = false;
    }
};

}  // namespace

TEST_F(FrameTest, FrameCreatesItsViewAsThePaneAndLaysItOut) {
    CCountingFrame* frame = NewFrame(RUNTIME_CLASS(CCountingView), WS_OVERLAPPEDWINDOW, CRect(0, 0, 320, 240));
    ASSERT_NE(frame, nullptr);
    auto* view = Pane<CCountingView>(frame);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->IsKindOf(RUNTIME_CLASS(CCountingView)));
    EXPECT_EQ(view->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    EXPECT_TRUE(view->GetExStyle() & WS_EX_CLIENTEDGE);  // the view's border
    EXPECT_EQ(view->GetParentFrame(), frame);
    EXPECT_EQ(frame->GetParentFrame(), nullptr);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(ChildRect(view), client);

    frame->SetWindowPos(nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    frame->GetClientRect(&client);
    EXPECT_EQ(ChildRect(view), client);

    // Window rectangles around client rectangles.
    CRect around(0, 0, 100, 50);
    view->CalcWindowRect(&around, CWnd::adjustOutside);
    EXPECT_EQ(around.Width(), 104);  // the client edge
    CRect withoutEdge(0, 0, 100, 50);
    view->CalcWindowRect(&withoutEdge, CWnd::adjustBorder);
    EXPECT_EQ(withoutEdge.Width(), 100);

    frame->DestroyWindow();
    EXPECT_EQ(g_live, 0);  // frame and view deleted themselves
}

TEST_F(FrameTest, ActiveViewChangesWithNotificationsAndTakesThePane) {
    CCountingFrame* frame = NewFrame(RUNTIME_CLASS(CCountingView), WS_OVERLAPPEDWINDOW, CRect(0, 0, 320, 240));
    ASSERT_NE(frame, nullptr);
    auto* first = Pane<CCountingView>(frame);
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CCountingView);
    auto* second = static_cast<CCountingView*>(frame->CreateView(&context, AFX_IDW_PANE_FIRST + 1));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->GetDlgCtrlID(), AFX_IDW_PANE_FIRST + 1);

    frame->SetActiveView(first);
    EXPECT_EQ(frame->GetActiveView(), first);
    EXPECT_EQ(first->activated, 1);
    frame->SetActiveView(first);  // again: nothing happens
    EXPECT_EQ(first->activated, 1);
    frame->SetActiveView(second, FALSE);
    EXPECT_EQ(first->deactivated, 0);
    frame->SetActiveView(first);
    EXPECT_EQ(second->deactivated, 1);

    // With two panes of the same id the active one is laid out.
    second->SetDlgCtrlID(AFX_IDW_PANE_FIRST);
    frame->SetActiveView(second);
    frame->SetWindowPos(nullptr, 0, 0, 350, 260, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CRect client;
    frame->GetClientRect(&client);
    EXPECT_EQ(ChildRect(second), client);

    // A view destroyed while active leaves the frame without one.
    second->DestroyWindow();
    EXPECT_EQ(frame->GetActiveView(), nullptr);
    EXPECT_EQ(g_live, 2);
    frame->DestroyWindow();
    EXPECT_EQ(g_live, 0);
}

TEST_F(FrameTest, FrameWhoseCreationFailsDeletesItself) {
    CCountingFrame::s_failCreate = true;
    int windows = WindowCount();
    EXPECT_EQ(NewFrame(RUNTIME_CLASS(CCountingView), WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100)), nullptr);
    EXPECT_EQ(g_live, 0);
    EXPECT_EQ(WindowCount(), windows);
}

TEST_F(FrameTest, FormViewTakesItsTemplateAndTheChildFrameFitsIt) {
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, L"フォーム", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(50, 50, 450, 350), nullptr, 0));
    CCountingFrame* frame = NewFrame(nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), &host);
    ASSERT_NE(frame, nullptr);
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CTestFormView);
    auto* form = static_cast<CTestFormView*>(frame->CreateView(&context));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->GetDlgCtrlID(), AFX_IDW_PANE_FIRST);
    CRect templateRect(0, 0, 150, 80);
    ::MapDialogRect(form->m_hWnd, &templateRect);
    EXPECT_EQ(form->GetTotalSize(), templateRect.Size());
    CRect formClient;
    form->GetClientRect(&formClient);
    EXPECT_EQ(formClient.Size(), templateRect.Size());  // an empty rectangle keeps the template's size

    form->OnInitialUpdate();
    CString label;
    form->GetDlgItemText(IDC_TEST_LABEL, label);
    EXPECT_EQ(label, CString(L"名前： 写真.jpg"));
    EXPECT_EQ(form->m_progress.m_hWnd, ::GetDlgItem(form->m_hWnd, IDC_TEST_PROGRESS));
    form->m_progress.SetRange32(0, 10);
    form->m_progress.SetPos(4);
    EXPECT_EQ(form->m_progress.GetPos(), 4);
    EXPECT_TRUE(form->m_link.SetItemUrl(1, L"D:\\"));
    CString url;
    EXPECT_TRUE(form->m_link.GetItemUrl(1, url));
    EXPECT_EQ(url, CString(L"D:\\"));

    form->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    frame->RecalcLayout();
    form->ResizeParentToFit(FALSE);
    CRect frameClient;
    frame->GetClientRect(&frameClient);
    EXPECT_EQ(frameClient.Size(), templateRect.Size());
    EXPECT_EQ(ChildRect(form), frameClient);
    SaveWindowScreenshot(host.m_hWnd, L"framework-form-view");

    // Dialog keys of the form go through the pump's pre-translation.
    HWND edit = ::GetDlgItem(form->m_hWnd, IDC_TEST_EDIT);
    ::PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(PumpUntil([&] { return form->cancelled == 1; }));

    host.DestroyWindow();
    EXPECT_EQ(g_live, 0);
}

TEST_F(FrameTest, ScrollViewScrollsItsDrawingAndItsChildren) {
    CCountingFrame* frame = NewFrame(RUNTIME_CLASS(CTestScrollView), WS_OVERLAPPEDWINDOW, CRect(0, 0, 300, 250));
    ASSERT_NE(frame, nullptr);
    auto* view = Pane<CTestScrollView>(frame);
    view->ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    view->SetScrollSizes(MM_TEXT, CSize(500, 1200));
    EXPECT_EQ(view->GetTotalSize(), CSize(500, 1200));
    EXPECT_TRUE(view->GetStyle() & WS_VSCROLL);
    EXPECT_TRUE(view->GetStyle() & WS_HSCROLL);
    CStatic marker;
    ASSERT_TRUE(marker.Create(L"印", WS_CHILD | WS_VISIBLE, CRect(10, 600, 60, 620), view));

    // Hidden, the children move all the same.
    view->ScrollToPosition(CPoint(0, 400));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 400));
    EXPECT_EQ(ChildRect(&marker).TopLeft(), CPoint(10, 200));
    frame->ShowWindow(SW_SHOWNA);
    view->ScrollToPosition(CPoint(0, 300));
    EXPECT_EQ(ChildRect(&marker).TopLeft(), CPoint(10, 300));
    view->ScrollToPosition(CPoint(0, 400));

    // Line: a tenth of the page, which is a tenth of the total.
    view->SendMessage(WM_VSCROLL, SB_LINEDOWN);
    EXPECT_EQ(view->GetScrollPosition().y, 412);
    view->SendMessage(WM_VSCROLL, SB_PAGEDOWN);
    EXPECT_EQ(view->GetScrollPosition().y, 532);
    view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)));
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    EXPECT_EQ(view->GetScrollPosition().y, 532 + static_cast<int>(lines) * 12);
    CRect client;
    view->GetClientRect(&client);
    view->SendMessage(WM_VSCROLL, SB_BOTTOM);
    EXPECT_EQ(view->GetScrollPosition().y, 1200 - client.Height());
    view->ScrollToPosition(CPoint(9999, 9999));  // kept within range
    EXPECT_EQ(view->GetScrollPosition(), CPoint(500 - client.Width(), 1200 - client.Height()));
    EXPECT_EQ(ChildRect(&marker).TopLeft(), CPoint(10 - (500 - client.Width()), 600 - (1200 - client.Height())));

    {
        CClientDC dc(view);
        view->OnPrepareDC(&dc);
        EXPECT_EQ(dc.GetViewportOrg(), CPoint(-(500 - client.Width()), -(1200 - client.Height())));
    }
    view->SendMessage(WM_HSCROLL, SB_TOP);
    view->SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));

    // A frame that fits the whole needs no scroll bars, and the position goes home.
    view->ScrollToPosition(CPoint(20, 300));
    view->SetScrollSizes(MM_TEXT, CSize(200, 150));
    view->ResizeParentToFit(FALSE);
    view->GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(200, 150));
    EXPECT_FALSE(view->GetStyle() & (WS_VSCROLL | WS_HSCROLL));
    EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
    EXPECT_EQ(ChildRect(&marker).TopLeft(), CPoint(10, 600));

    frame->DestroyWindow();
    EXPECT_EQ(g_live, 0);
}
