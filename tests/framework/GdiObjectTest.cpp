// GDI objects and device contexts: single ownership, scoped selection and state, the
// off-screen buffer; and whole windows that leave no GDI object or window behind.
#include <gtest/gtest.h>

#include <type_traits>
#include <utility>

#include "WindowTestIds.h"
#include "WindowTestSupport.h"
#include "framework/CDC.h"
#include "framework/CDataExchange.h"
#include "framework/CDialog.h"
#include "framework/CFormView.h"
#include "framework/CFrameWnd.h"
#include "framework/CGdiObject.h"
#include "framework/Controls.h"

static_assert(!std::is_copy_constructible_v<CFont> && !std::is_copy_assignable_v<CBrush>);
static_assert(std::is_nothrow_move_constructible_v<CBitmap> && std::is_nothrow_move_assignable_v<CPen>);
static_assert(std::is_nothrow_move_constructible_v<CRgn>);
static_assert(!std::is_copy_constructible_v<CDC> && std::is_nothrow_move_constructible_v<CDC>);
static_assert(!std::is_copy_constructible_v<CPaintDC> && !std::is_copy_constructible_v<CSelectObject>);
static_assert(!std::is_copy_constructible_v<CSaveDC> && !std::is_copy_constructible_v<CMemDC>);

TEST(GdiObjectTest, EachHandleHasOneOwnerThatDeletesIt) {
    HGDIOBJ brushHandle;
    {
        CBrush brush(RGB(1, 2, 3));
        brushHandle = brush.m_hObject;
        CBrush moved(std::move(brush));
        EXPECT_EQ(brush.m_hObject, nullptr);
        EXPECT_EQ(moved.m_hObject, brushHandle);
        EXPECT_EQ(::GetObjectType(brushHandle), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(::GetObjectType(brushHandle), 0u);

    CPen first(PS_SOLID, 1, RGB(0xA5, 0xA5, 0xA5));
    CPen second(PS_SOLID, 1, RGB(0xAD, 0xAD, 0xAD));
    HGDIOBJ replaced = first.m_hObject;
    first = std::move(second);
    EXPECT_EQ(::GetObjectType(replaced), 0u);
    LOGPEN pen{};
    ASSERT_TRUE(first.GetLogPen(&pen));
    EXPECT_EQ(pen.lopnColor, RGB(0xAD, 0xAD, 0xAD));

    CFont font;
    ASSERT_TRUE(font.CreatePointFont(90, L"MS UI Gothic"));
    EXPECT_FALSE(font.Attach(::GetStockObject(DEFAULT_GUI_FONT)));  // holds one already
    LOGFONTW lf{};
    ASSERT_TRUE(font.GetLogFont(&lf));
    EXPECT_EQ(lf.lfHeight, -::MulDiv(90, 96, 720) * ::GetDeviceCaps(CClientDC(nullptr), LOGPIXELSY) / 96);
    HGDIOBJ kept = font.Detach();
    EXPECT_EQ(font.m_hObject, nullptr);
    EXPECT_EQ(::GetObjectType(kept), static_cast<DWORD>(OBJ_FONT));
    ::DeleteObject(kept);
}

TEST(GdiObjectTest, RegionsAndBitmaps) {
    // The arrow of an owner-drawn command link.
    const POINT arrow[] = {{2, 6}, {3, 5}, {8, 5}, {6, 2}, {8, 0}, {15, 7}, {8, 14}, {6, 12}, {8, 10}, {3, 10}, {2, 8}};
    CRgn region;
    ASSERT_TRUE(region.CreatePolygonRgn(arrow, 11, ALTERNATE));
    EXPECT_TRUE(region.PtInRegion(10, 7));
    EXPECT_FALSE(region.PtInRegion(0, 0));
    CRgn hole, rest;
    ASSERT_TRUE(hole.CreateRectRgn(9, 0, 16, 16));
    ASSERT_TRUE(rest.CreateRectRgn(0, 0, 0, 0));
    EXPECT_NE(rest.CombineRgn(&region, &hole, RGN_DIFF), ERROR);
    EXPECT_FALSE(rest.PtInRegion(10, 7));
    EXPECT_TRUE(rest.PtInRegion(5, 7));

    CBitmap checkBoxes;
    const UINT checkBoxesId = 32759;  // OBM_CHECKBOXES: four by three check-box cells
    ASSERT_TRUE(checkBoxes.LoadOEMBitmap(checkBoxesId));
    CSize cells = checkBoxes.GetSize();
    EXPECT_EQ(cells.cx % 4, 0);
    EXPECT_EQ(cells.cy % 3, 0);
    CBitmap missing;
    EXPECT_FALSE(missing.LoadBitmap(12345u));
    EXPECT_EQ(missing.GetSize(), CSize(0, 0));
}

TEST(GdiObjectTest, SelectionsAndStateComeBackAtTheEndOfTheirScope) {
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(static_cast<CDC*>(nullptr)));
    HGDIOBJ initialBitmap = dc.GetCurrentObject(OBJ_BITMAP);
    CBitmap bitmap;
    CClientDC screen(nullptr);
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(&screen, 20, 10));
    {
        CSelectObject selected(dc, bitmap);
        EXPECT_EQ(selected.Previous(), initialBitmap);
        dc.FillSolidRect(CRect(0, 0, 20, 10), RGB(255, 255, 255));
        dc.Draw3dRect(CRect(0, 0, 20, 10), RGB(255, 0, 0), RGB(0, 0, 255));
        EXPECT_EQ(dc.GetPixel(0, 0), RGB(255, 0, 0));
        EXPECT_EQ(dc.GetPixel(19, 0), RGB(0, 0, 255));  // far corners: bottom-right colour
        EXPECT_EQ(dc.GetPixel(0, 9), RGB(0, 0, 255));
        EXPECT_EQ(dc.GetPixel(5, 5), RGB(255, 255, 255));
        {
            CSaveDC saved(dc);
            dc.SetTextColor(RGB(1, 2, 3));
            dc.SetViewportOrg(-4, -4);
        }
        EXPECT_NE(dc.GetTextColor(), RGB(1, 2, 3));
        EXPECT_EQ(dc.GetViewportOrg(), CPoint(0, 0));
    }
    EXPECT_EQ(dc.GetCurrentObject(OBJ_BITMAP), initialBitmap);

    HDC handle = dc.m_hDC;
    CDC moved(std::move(dc));
    EXPECT_EQ(dc.m_hDC, nullptr);
    EXPECT_TRUE(moved.DeleteDC());
    EXPECT_EQ(::GetObjectType(handle), 0u);
}

TEST(GdiObjectTest, MemoryBufferReachesTheTargetOnlyWhenItEnds) {
    CClientDC screen(nullptr);
    CDC target;
    ASSERT_TRUE(target.CreateCompatibleDC(&screen));
    CBitmap surface;
    ASSERT_TRUE(surface.CreateCompatibleBitmap(&screen, 40, 40));
    CSelectObject selected(target, surface);
    target.FillSolidRect(CRect(0, 0, 40, 40), RGB(255, 255, 255));
    {
        CMemDC buffer(target, CRect(10, 10, 30, 30));
        ASSERT_TRUE(buffer.IsMemDC());
        buffer.GetDC().FillSolidRect(CRect(10, 10, 30, 30), RGB(0, 128, 0));  // the target's coordinates
        EXPECT_EQ(target.GetPixel(15, 15), RGB(255, 255, 255));
    }
    EXPECT_EQ(target.GetPixel(15, 15), RGB(0, 128, 0));
    EXPECT_EQ(target.GetPixel(29, 29), RGB(0, 128, 0));
    EXPECT_EQ(target.GetPixel(5, 5), RGB(255, 255, 255));
}

namespace {

class CLeakForm : public CFormView {
    DECLARE_DYNCREATE(CLeakForm)
public:
    CLeakForm() : CFormView(IDD_TEST_FORM) {}
    CProgressCtrl m_progress;
    CFont m_font;

    void OnInitialUpdate() override {
        CFormView::OnInitialUpdate();
        m_font.CreatePointFont(140, L"MS UI Gothic");
        GetDlgItem(IDC_TEST_LABEL)->SetFont(&m_font);
        EnableToolTips();
    }

protected:
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDC_TEST_PROGRESS, m_progress); }
    void OnDraw(CDC* dc) override {
        CMemDC buffer(*dc, this);
        CBrush brush(RGB(250, 250, 250));
        CRect client;
        GetClientRect(&client);
        buffer.GetDC().FillRect(&client, &brush);
    }
};
IMPLEMENT_DYNCREATE(CLeakForm, CFormView)

class CEndingDialog : public CDialog {
public:
    CEndingDialog() : CDialog(IDD_TEST_DIALOG) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        SetTimer(1, 10);
        return TRUE;
    }
    afx_msg void OnTimer(UINT_PTR) { EndDialog(IDOK); }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CEndingDialog, CDialog)
    ON_WM_TIMER()
END_MESSAGE_MAP()

// A frame with a painted form view, and a modal dialog, made and destroyed.
void MakeAndDestroyWindows() {
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CLeakForm);
    auto* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"漏れ", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 300, 200), nullptr,
                              nullptr, 0, &context));
    auto* form = static_cast<CLeakForm*>(CWnd::FromHandlePermanent(::GetDlgItem(frame->m_hWnd, AFX_IDW_PANE_FIRST)));
    form->OnInitialUpdate();
    frame->SetActiveView(form);
    frame->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    form->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    frame->DestroyWindow();
    CEndingDialog dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    PumpPending();
    CWnd::DeleteTempMap();
}

}  // namespace

TEST(GdiObjectTest, CountsOfGdiObjectsAndWindowsFollowWhatIsMade) {
    int gdi = GdiObjectCount();
    int windows = WindowCount();
    ASSERT_GT(gdi, 0);
    {
        CBrush brush(RGB(9, 9, 9));
        EXPECT_EQ(GdiObjectCount(), gdi + 1);
        CWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"c", WS_OVERLAPPED, CRect(0, 0, 50, 50), nullptr, 0));
        EXPECT_EQ(WindowCount(), windows + 1);
    }
    EXPECT_EQ(GdiObjectCount(), gdi);
    EXPECT_EQ(WindowCount(), windows);
}

TEST(GdiObjectTest, DestroyedWindowsLeaveNoGdiObjectOrWindowBehind) {
    // The first rounds create what the system keeps for the thread: Wine's cache of
    // window device contexts grows by an entry in one round or another until it holds
    // as many as the windows use at once. Rounds until two in a row create nothing; a
    // leak grows in every round, so it still shows below.
    int steady = 0;
    for (int round = 0; round < 10 && steady < 2; ++round) {
        const int before = GdiObjectCount();
        MakeAndDestroyWindows();
        steady = GdiObjectCount() == before ? steady + 1 : 0;
    }
    int gdi = GdiObjectCount();
    int windows = WindowCount();
    for (int i = 0; i < 3; ++i)
        MakeAndDestroyWindows();
    EXPECT_EQ(GdiObjectCount(), gdi);
    EXPECT_EQ(WindowCount(), windows);
}
