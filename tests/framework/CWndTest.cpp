// Framework windows on real windows: binding, message maps, reflection to controls,
// exceptions contained at the window procedure, destruction.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "WindowTestSupport.h"
#include "framework/CDC.h"
#include "framework/Controls.h"
#include "framework/CWnd.h"

namespace {

// Handler signatures are checked when a map is compiled; these are the checks.
struct SignatureProbe : CWnd {
    void Paint() {}
    int Paint2() { return 0; }
    LRESULT Message(WPARAM, LPARAM) { return 0; }
    void Notify(NMHDR*, LRESULT*) {}
};
static_assert(AfxMsg::Is<&SignatureProbe::Paint, void()>);
static_assert(!AfxMsg::Is<&SignatureProbe::Paint2, void()>);
static_assert(AfxMsg::Is<&SignatureProbe::Message, LRESULT(WPARAM, LPARAM)>);
static_assert(!AfxMsg::Is<&SignatureProbe::Message, LRESULT(WPARAM)>);
static_assert(AfxMsg::Is<&SignatureProbe::Notify, void(NMHDR*, LRESULT*)>);
static_assert(!std::is_copy_constructible_v<CWnd>);

const UINT WM_TEST_ADD = WM_APP + 1;
const UINT WM_TEST_THROW = WM_APP + 2;

class CRecordingWnd : public CWnd {
public:
    std::vector<UINT> seen;
    bool boundAtCreate = false;
    bool throwOnCreate = false;
    bool throwOnPaint = false;
    int paints = 0;
    int destroyed = 0;
    int postNcDestroyed = 0;
    UINT_PTR timerFired = 0;

protected:
    DECLARE_MESSAGE_MAP()

    afx_msg int OnCreate(LPCREATESTRUCT cs) {
        boundAtCreate = FromHandlePermanent(m_hWnd) == this && GetCurrentMessage()->message == WM_CREATE;
        if (throwOnCreate)
            throw std::runtime_error("create");
        return CWnd::OnCreate(cs);
    }
    afx_msg LRESULT OnAdd(WPARAM wParam, LPARAM lParam) {
        seen.push_back(WM_TEST_ADD);
        return static_cast<LRESULT>(wParam + lParam);
    }
    afx_msg LRESULT OnThrow(WPARAM, LPARAM) { throw std::runtime_error("handler"); }
    afx_msg void OnPaint() {
        ++paints;
        if (throwOnPaint)
            throw 7;
        CPaintDC dc(this);
    }
    afx_msg void OnTimer(UINT_PTR id) {
        timerFired = id;
        KillTimer(id);
    }
    afx_msg void OnDestroy() {
        ++destroyed;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { ++postNcDestroyed; }
};

BEGIN_MESSAGE_MAP(CRecordingWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_TEST_ADD, OnAdd)
    ON_MESSAGE(WM_TEST_THROW, OnThrow)
    ON_WM_PAINT()
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

// A button that remembers the first message it saw and what was reflected to it.
class CProbeButton : public CButton {
public:
    UINT firstMessage = 0;
    int reflectedClicks = 0;
    int drawn = 0;
    BOOL passClickOn = TRUE;
    HWND drawnItem = nullptr;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (!firstMessage)
            firstMessage = message;
        return CButton::WindowProc(message, wParam, lParam);
    }
    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++drawn;
        drawnItem = dis->hwndItem;
        CDC dc = CDC::Borrow(dis->hDC);
        dc.FillSolidRect(&dis->rcItem, RGB(0, 128, 255));
    }

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg BOOL OnReflectedClick() {
        ++reflectedClicks;
        return !passClickOn;  // FALSE lets the parent see the click too
    }
    afx_msg HBRUSH CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)); }
};

BEGIN_MESSAGE_MAP(CProbeButton, CButton)
    ON_CONTROL_REFLECT_EX(BN_CLICKED, OnReflectedClick)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

// A parent that counts its children's notifications.
class CParentWnd : public CRecordingWnd {
public:
    int clicks = 0;
    int linkClicks = 0;
    HBRUSH staticBrush = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnButtonClicked() { ++clicks; }
    afx_msg void OnLinkClick(NMHDR*, LRESULT* result) {
        ++linkClicks;
        *result = 1;
    }
    afx_msg HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
        if (ctlColor == CTLCOLOR_STATIC && staticBrush)
            return staticBrush;
        return CWnd::OnCtlColor(dc, wnd, ctlColor);
    }
};

BEGIN_MESSAGE_MAP(CParentWnd, CRecordingWnd)
    ON_BN_CLICKED(100, OnButtonClicked)
    ON_NOTIFY(NM_CLICK, 101, OnLinkClick)
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

class CReflectingLink : public CLinkCtrl {
public:
    int clicks = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnClick(NMHDR*, LRESULT* result) {
        ++clicks;
        *result = 2;
    }
};

BEGIN_MESSAGE_MAP(CReflectingLink, CLinkCtrl)
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
END_MESSAGE_MAP()

class WindowTest : public ::testing::Test {
protected:
    void CreateParent(CRecordingWnd& wnd) {
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"テスト", WS_OVERLAPPEDWINDOW, CRect(10, 10, 330, 250), nullptr, 0));
    }
};

}  // namespace

TEST_F(WindowTest, CreatedWindowIsBoundBeforeCreateAndHandlesItsMessages) {
    CRecordingWnd wnd;
    CreateParent(wnd);
    EXPECT_TRUE(wnd.boundAtCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.SendMessage(WM_TEST_ADD, 2, 3), 5);
    wnd.PostMessage(WM_TEST_ADD, 1, 1);
    EXPECT_TRUE(PumpUntil([&] { return wnd.seen.size() == 2; }));
    // Unhandled messages take the default way.
    wnd.SetWindowText(L"名前");
    EXPECT_EQ(wnd.GetWindowText(), CString(L"名前"));
    wnd.SetTimer(77, 10);
    EXPECT_TRUE(PumpUntil([&] { return wnd.timerFired == 77; }));

    HWND hwnd = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.destroyed, 1);
    EXPECT_EQ(wnd.postNcDestroyed, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

TEST_F(WindowTest, ThrowingHandlerIsContainedAndTheWindowLivesOn) {
    CRecordingWnd wnd;
    CreateParent(wnd);
    EXPECT_EQ(wnd.SendMessage(WM_TEST_THROW), 0);
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    EXPECT_EQ(wnd.SendMessage(WM_TEST_ADD, 4, 5), 9);

    // A paint that throws is validated, not asked for again and again.
    wnd.throwOnPaint = true;
    wnd.ShowWindow(SW_SHOWNA);
    wnd.Invalidate();
    wnd.UpdateWindow();
    EXPECT_EQ(wnd.paints, 1);
    EXPECT_FALSE(::GetUpdateRect(wnd.m_hWnd, nullptr, FALSE));
    wnd.DestroyWindow();
}

TEST_F(WindowTest, CreateThatThrowsFailsAndCleansUp) {
    CRecordingWnd wnd;
    wnd.throwOnCreate = true;
    int windows = WindowCount();
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, L"x", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(wnd.postNcDestroyed, 1);
    EXPECT_EQ(WindowCount(), windows);
}

TEST_F(WindowTest, SystemControlIsBoundBeforeItsFirstMessageAndKeepsItsBehaviour) {
    CParentWnd parent;
    CreateParent(parent);
    CProbeButton button;
    ASSERT_TRUE(button.Create(L"確認", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, CRect(5, 5, 120, 25), &parent, 100));
    EXPECT_EQ(button.firstMessage, static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(button.GetDlgCtrlID(), 100);
    button.SetCheck(BST_CHECKED);
    EXPECT_EQ(button.GetCheck(), BST_CHECKED);
    EXPECT_EQ(button.GetWindowText(), CString(L"確認"));
    parent.DestroyWindow();
    EXPECT_EQ(button.m_hWnd, nullptr);  // the child went with its parent
}

TEST_F(WindowTest, ClickIsReflectedToTheButtonAndOnlyPassedOnWhenItSaysSo) {
    CParentWnd parent;
    CreateParent(parent);
    CProbeButton button;
    ASSERT_TRUE(button.Create(L"OK", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, CRect(5, 5, 80, 30), &parent, 100));
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.reflectedClicks, 1);
    EXPECT_EQ(parent.clicks, 1);
    button.passClickOn = FALSE;
    button.SendMessage(BM_CLICK);
    EXPECT_EQ(button.reflectedClicks, 2);
    EXPECT_EQ(parent.clicks, 1);
    parent.DestroyWindow();
}

TEST_F(WindowTest, NotificationsReachTheControlFirstThenTheParentsMap) {
    CParentWnd parent;
    CreateParent(parent);
    CReflectingLink reflecting;
    CLinkCtrl plain;
    ASSERT_TRUE(reflecting.Create(L"<a href=\"x\">x</a>", WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 20), &parent, 102));
    ASSERT_TRUE(plain.Create(L"<a>y</a>", WS_CHILD | WS_VISIBLE, CRect(5, 25, 100, 40), &parent, 101));
    NMLINK link{};
    link.hdr = {reflecting.m_hWnd, 102, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 102, reinterpret_cast<LPARAM>(&link)), 2);
    EXPECT_EQ(reflecting.clicks, 1);
    EXPECT_EQ(parent.linkClicks, 0);
    link.hdr = {plain.m_hWnd, 101, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, 101, reinterpret_cast<LPARAM>(&link)), 1);
    EXPECT_EQ(parent.linkClicks, 1);
    parent.DestroyWindow();
}

TEST_F(WindowTest, ControlColoursComeFromTheParentOrTheControl) {
    CParentWnd parent;
    CreateParent(parent);
    CStatic label;
    CProbeButton button;
    ASSERT_TRUE(label.Create(L"ラベル", WS_CHILD | WS_VISIBLE, CRect(5, 5, 100, 20), &parent));
    ASSERT_TRUE(button.Create(L"b", WS_CHILD | WS_VISIBLE, CRect(5, 25, 100, 45), &parent, 100));
    HDC dc = ::GetDC(parent.m_hWnd);
    parent.staticBrush = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(label.m_hWnd)),
              reinterpret_cast<LRESULT>(parent.staticBrush));
    // The parent leaves buttons to their own ON_WM_CTLCOLOR_REFLECT.
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(button.m_hWnd)),
              reinterpret_cast<LRESULT>(::GetStockObject(GRAY_BRUSH)));
    ::ReleaseDC(parent.m_hWnd, dc);
    parent.DestroyWindow();
}

TEST_F(WindowTest, OwnerDrawnButtonDrawsItselfThroughReflection) {
    CParentWnd parent;
    CreateParent(parent);
    parent.ShowWindow(SW_SHOWNA);
    CProbeButton button;
    ASSERT_TRUE(button.Create(L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(5, 5, 45, 25), &parent, 103));
    button.Invalidate();
    button.UpdateWindow();
    EXPECT_GE(button.drawn, 1);
    EXPECT_EQ(button.drawnItem, button.m_hWnd);
    parent.DestroyWindow();
}

TEST_F(WindowTest, SubclassingAnExistingWindowIsUndoneOnRequest) {
    CParentWnd parent;
    CreateParent(parent);
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd,
                                  reinterpret_cast<HMENU>(UINT_PTR{104}), nullptr, nullptr);
    LONG_PTR original = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    CProbeButton wrapper;  // any framework class will do
    ASSERT_TRUE(wrapper.SubclassDlgItem(104, &parent));
    EXPECT_NE(::GetWindowLongPtrW(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(wrapper.GetWindowText(), CString(L"abc"));
    EXPECT_EQ(wrapper.UnsubclassWindow(), edit);
    EXPECT_EQ(::GetWindowLongPtrW(edit, GWLP_WNDPROC), original);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    // A window bound once cannot be bound by a second object.
    CWnd first, second;
    ASSERT_TRUE(first.SubclassWindow(edit));
    EXPECT_FALSE(second.SubclassWindow(edit));
    first.UnsubclassWindow();
    parent.DestroyWindow();
}

TEST_F(WindowTest, TemporaryObjectsNeverOwnTheirWindow) {
    CParentWnd parent;
    CreateParent(parent);
    HWND child = ::CreateWindowExW(0, L"STATIC", L"t", WS_CHILD, 0, 0, 10, 10, parent.m_hWnd,
                                   reinterpret_cast<HMENU>(UINT_PTR{105}), nullptr, nullptr);
    CWnd* temp = parent.GetDlgItem(105);
    ASSERT_NE(temp, nullptr);
    EXPECT_EQ(temp->m_hWnd, child);
    EXPECT_EQ(CWnd::FromHandle(child), temp);
    EXPECT_EQ(CWnd::FromHandlePermanent(child), nullptr);
    EXPECT_EQ(temp->GetParent(), &parent);
    CWnd::DeleteTempMap();
    EXPECT_TRUE(::IsWindow(child));
    parent.DestroyWindow();
}

TEST_F(WindowTest, ObjectDestroyedWithItsWindowStillAliveTakesTheWindowAlong) {
    HWND hwnd;
    {
        CRecordingWnd wnd;
        CreateParent(wnd);
        hwnd = wnd.m_hWnd;
    }
    EXPECT_FALSE(::IsWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

namespace {

class CTipWnd : public CWnd {
public:
    mutable int hitTests = 0;
    INT_PTR OnToolHitTest(CPoint point, TOOLINFOW* ti) const override {
        ++hitTests;
        if (point.x >= 50)
            return -1;
        ti->rect = {0, 0, 50, 50};
        return 7;
    }
};

}  // namespace

TEST_F(WindowTest, ToolTipsAskTheWindowWhichToolIsUnderTheMouse) {
    CTipWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"tips", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 200), nullptr, 0));
    ASSERT_TRUE(wnd.EnableToolTips());
    HWND tip = wnd.GetToolTipHandle();
    ASSERT_NE(tip, nullptr);
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(wnd.hitTests, 1);
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(100, 10));
    EXPECT_EQ(::SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
    wnd.DestroyWindow();
    EXPECT_FALSE(::IsWindow(tip));
}

namespace {

// A mix-in over any window class, with a message map of its own, as the custom controls
// build them.
template <class Base>
class THoverCounter : public Base {
public:
    int moves = 0;
    int leaves = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg void OnMouseMove(UINT flags, CPoint point) {
        ++moves;
        Base::OnMouseMove(flags, point);
    }
    afx_msg void OnMouseLeave() { ++leaves; }
};

BEGIN_TEMPLATE_MESSAGE_MAP(THoverCounter, Base, Base)
    ON_WM_MOUSEMOVE()
    ON_WM_MOUSELEAVE()
END_MESSAGE_MAP()

class CHoverButton : public THoverCounter<CProbeButton> {};

class CTextTipWnd : public CTipWnd {
public:
    UINT askedFor = 0;

protected:
    DECLARE_MESSAGE_MAP()
    afx_msg BOOL OnNeedText(UINT id, NMHDR* header, LRESULT* result) {
        askedFor = id;
        reinterpret_cast<NMTTDISPINFOW*>(header)->lpszText = const_cast<LPWSTR>(L"C:\\写真\\夏.jpg");
        *result = 0;
        return TRUE;
    }
};

BEGIN_MESSAGE_MAP(CTextTipWnd, CTipWnd)
    ON_NOTIFY_EX_RANGE(TTN_NEEDTEXTW, 0, 0xFFFF, OnNeedText)
END_MESSAGE_MAP()

}  // namespace

TEST_F(WindowTest, TemplateMixInAddsItsMapAboveItsBasesMap) {
    CParentWnd parent;
    CreateParent(parent);
    CHoverButton button;
    ASSERT_TRUE(button.Create(L"OK", WS_CHILD | WS_VISIBLE, CRect(5, 5, 80, 30), &parent, 100));
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(button.moves, 1);
    EXPECT_EQ(button.leaves, 1);
    button.SendMessage(BM_CLICK);  // the base's reflection entry still applies
    EXPECT_EQ(button.reflectedClicks, 1);
    parent.DestroyWindow();
}

TEST_F(WindowTest, ToolTipAsksItsWindowForTheTextOfTheToolHit) {
    CTextTipWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"tips", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 200), nullptr, 0));
    ASSERT_TRUE(wnd.EnableToolTips());
    wnd.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    wchar_t text[80] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = wnd.m_hWnd;
    ti.uId = 7;
    ti.lpszText = text;
    ::SendMessageW(wnd.GetToolTipHandle(), TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    EXPECT_EQ(wnd.askedFor, 7u);
    EXPECT_STREQ(text, L"C:\\写真\\夏.jpg");
    wnd.DestroyWindow();
}
