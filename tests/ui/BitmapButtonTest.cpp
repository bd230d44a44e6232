// The image buttons of a job panel, bound to the controls of the program's own
// templates: which image each state shows (a state without an image of its own shows the
// normal image of its status), the statuses of the pause and chevron buttons and the
// parent's notification, the chevron's texts, hover tracking. The images are compared
// with the artwork drawn as the buttons draw it. A sheet of every button in every state,
// at real size and enlarged, is saved for people to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "tests/framework/WindowTestSupport.h"
#include "tests/ui/ControlTestSupport.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/BitmapButtons.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

enum State { normal, hover, pressed, disabled, focused };
const wchar_t* const kStateNames[] = {L"通常", L"ホバー", L"押下", L"無効", L"フォーカス"};

// What a button draws in a state, on white.
template <class Button>
std::unique_ptr<TestCanvas> Render(Button& button, State state) {
    CRect rect;
    button.GetClientRect(&rect);
    auto canvas = std::make_unique<TestCanvas>(rect.Width(), rect.Height());
    button.hover = state == hover ? 1 : 0;
    if (state == disabled)
        button.EnableWindow(FALSE);
    DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(button.GetDlgCtrlID()), 0, ODA_DRAWENTIRE, 0, button,
                       canvas->Dc(), rect, 0};
    dis.itemState = state == pressed ? ODS_SELECTED : state == focused ? ODS_FOCUS : state == disabled ? ODS_DISABLED
                                                                                                        : 0;
    button.DrawItem(&dis);
    button.EnableWindow(TRUE);
    button.hover = 0;
    return canvas;
}

// An image of the artwork drawn over a rectangle of this size as the buttons draw it.
std::unique_ptr<TestCanvas> Artwork(UINT id, int width, int height) {
    auto canvas = std::make_unique<TestCanvas>(width, height);
    CBitmap image;
    image.LoadBitmap(id);
    HDC source = ::CreateCompatibleDC(canvas->Dc());
    HGDIOBJ old = ::SelectObject(source, image);
    const CSize size = image.GetSize();
    ::GdiTransparentBlt(canvas->Dc(), 0, 0, width, height, source, 0, 0, size.cx, size.cy, kWhite);
    ::SelectObject(source, old);
    ::DeleteDC(source);
    return canvas;
}

template <class Button>
bool Shows(Button& button, State state, UINT id) {
    auto drawn = Render(button, state);
    return drawn->SameAs(*Artwork(id, drawn->Width(), drawn->Height()));
}

// The detailed progress view (pause 1035, cancel) or the task window (chevron 1043).
class BitmapButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareWindowTest();
        RegisterTemplateClasses();
    }
    void OpenProgressView() {
        ASSERT_TRUE(m_host.Open(L"進行状況", 400, 240));
        m_view.onInit = [this](TWhite<CDialog>& view) {
            m_pause.SubclassDlgItem(IDC_PAUSE, &view);
            m_cancel.SubclassDlgItem(IDCANCEL, &view);
        };
        ASSERT_TRUE(m_view.Open(&m_host));
        ASSERT_NE(nullptr, m_pause.m_hWnd);
        ASSERT_NE(nullptr, m_cancel.m_hWnd);
    }
    void OpenTaskWindow() {
        m_task.onInit = [this](TWhite<CDialog>& dialog) { m_chevron.SubclassDlgItem(IDC_DETAILS_TOGGLE, &dialog); };
        ASSERT_TRUE(m_task.Open());
        ASSERT_NE(nullptr, m_chevron.m_hWnd);
    }
    int LoadChevron() {
        return m_chevron.LoadBitmaps(IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_NORMAL_EXPANDED,
                                     IDB_CHEVRON_PRESSED_COLLAPSED, IDB_CHEVRON_PRESSED_EXPANDED,
                                     IDB_CHEVRON_HOT_COLLAPSED, IDB_CHEVRON_HOT_EXPANDED,
                                     IDB_CHEVRON_DISABLED_COLLAPSED, IDB_CHEVRON_DISABLED_EXPANDED, kWhite);
    }
    int LoadPause() {
        return m_pause.LoadBitmaps(IDB_PAUSE_NORMAL, IDB_PAUSE_DISABLED, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER,
                                   IDB_RESUME_NORMAL, IDB_RESUME_DISABLED, IDB_RESUME_PRESSED, IDB_RESUME_HOVER,
                                   kWhite);
    }
    // The notifications of the status changes the parent got.
    static int StatusNotifications(const std::vector<ReceivedNotification>& got, UINT_PTR id) {
        int n = 0;
        for (const auto& notification : got)
            n += notification.code == MSBN_STATUSCHANGED && notification.id == id;
        return n;
    }

    CWhiteHost m_host;
    CWhiteDialog m_view{IDD_PROGRESS_DETAILED};
    CWhiteDialog m_task{IDD_TASK_WINDOW};
    CBitmapPauseButton m_pause;
    CBitmapCancelButton m_cancel;
    CBitmapChevronButton m_chevron;
};

}  // namespace

TEST_F(BitmapButtonTest, LoadingMakesTheButtonOwnerDrawnAndTheSizeOfItsImage) {
    OpenProgressView();
    ASSERT_EQ(1, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                                      kWhite));
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), m_cancel.GetStyle() & BS_TYPEMASK);
    CRect rect;
    m_cancel.GetWindowRect(&rect);
    CBitmap image;
    image.LoadBitmap(IDB_CANCEL_NORMAL);
    EXPECT_EQ(image.GetSize(), rect.Size());
    EXPECT_EQ(1, m_cancel.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(::GetDC(nullptr))));
}

TEST_F(BitmapButtonTest, CancelButtonWithOnlyItsNormalImageShowsItInEveryState) {
    OpenProgressView();
    ASSERT_EQ(1, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, 0, 0, 0, kWhite));
    for (State state : {normal, hover, pressed, disabled})
        EXPECT_TRUE(Shows(m_cancel, state, IDB_CANCEL_NORMAL)) << state;
}

TEST_F(BitmapButtonTest, CancelButtonShowsTheImageOfEachState) {
    OpenProgressView();
    ASSERT_EQ(1, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                                      kWhite));
    EXPECT_TRUE(Shows(m_cancel, normal, IDB_CANCEL_NORMAL));
    EXPECT_TRUE(Shows(m_cancel, hover, IDB_CANCEL_HOVER));
    EXPECT_TRUE(Shows(m_cancel, pressed, IDB_CANCEL_PRESSED));
    EXPECT_TRUE(Shows(m_cancel, disabled, IDB_CANCEL_DISABLED));
    EXPECT_FALSE(Shows(m_cancel, hover, IDB_CANCEL_NORMAL));  // the images do differ
}

TEST_F(BitmapButtonTest, ImagesThatDoNotAllLoadLeaveNone) {
    OpenProgressView();
    EXPECT_EQ(0, m_pause.LoadBitmaps(IDB_PAUSE_NORMAL, IDB_PAUSE_DISABLED, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER,
                                     IDB_RESUME_NORMAL, 0, IDB_RESUME_PRESSED, IDB_RESUME_HOVER, kWhite));
    EXPECT_EQ(0, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, 9999, 0, 0, kWhite));  // no such bitmap
    for (int i = 0; i < 8; ++i)
        EXPECT_FALSE(m_pause.HasImage(i)) << i;
    EXPECT_FALSE(m_cancel.HasImage(0));
}

TEST_F(BitmapButtonTest, PauseButtonClickTogglesItsStatusAndTellsTheParent) {
    OpenProgressView();
    ASSERT_EQ(1, LoadPause());
    EXPECT_TRUE(Shows(m_pause, normal, IDB_PAUSE_NORMAL));  // no status yet: the pause images
    m_pause.SendMessage(BM_CLICK);
    EXPECT_EQ(1, m_pause.GetStatus());
    EXPECT_EQ(1, StatusNotifications(m_view.notifications, IDC_PAUSE));
    bool clicked = false;
    for (const auto& command : m_view.commands)
        clicked |= command == std::make_pair(static_cast<UINT>(IDC_PAUSE), static_cast<UINT>(BN_CLICKED));
    EXPECT_TRUE(clicked);  // the view hears of the click too
    EXPECT_TRUE(Shows(m_pause, normal, IDB_RESUME_NORMAL));
    EXPECT_TRUE(Shows(m_pause, hover, IDB_RESUME_HOVER));
    EXPECT_TRUE(Shows(m_pause, pressed, IDB_RESUME_PRESSED));
    EXPECT_TRUE(Shows(m_pause, disabled, IDB_RESUME_DISABLED));
    m_pause.SendMessage(BM_CLICK);
    EXPECT_EQ(0, m_pause.GetStatus());
    EXPECT_TRUE(Shows(m_pause, hover, IDB_PAUSE_HOVER));
    EXPECT_EQ(2, StatusNotifications(m_view.notifications, IDC_PAUSE));
}

TEST_F(BitmapButtonTest, StatusOutsideTheButtonsStatusesIsRefused) {
    OpenProgressView();
    EXPECT_EQ(0, m_pause.SetStatus(2));
    EXPECT_EQ(0, m_pause.SetStatus(-1));
    EXPECT_EQ(-1, m_pause.GetStatus());
    EXPECT_EQ(0, StatusNotifications(m_view.notifications, IDC_PAUSE));
    CBitmapPauseButton windowless;
    EXPECT_EQ(1, windowless.SetStatus(1));  // nobody to tell
    EXPECT_EQ(1, windowless.GetStatus());
}

TEST_F(BitmapButtonTest, ChevronInStatus1WithoutItsPressedImageShowsItsNormalImage) {
    OpenTaskWindow();
    ASSERT_EQ(1, m_chevron.LoadBitmaps(IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_NORMAL_EXPANDED,
                                       IDB_CHEVRON_PRESSED_COLLAPSED, 0, IDB_CHEVRON_HOT_COLLAPSED,
                                       IDB_CHEVRON_HOT_EXPANDED, IDB_CHEVRON_DISABLED_COLLAPSED,
                                       IDB_CHEVRON_DISABLED_EXPANDED, kWhite));
    EXPECT_TRUE(Shows(m_chevron, pressed, IDB_CHEVRON_PRESSED_COLLAPSED));
    ASSERT_EQ(1, m_chevron.SetStatus(1));
    EXPECT_TRUE(Shows(m_chevron, pressed, IDB_CHEVRON_NORMAL_EXPANDED));
    EXPECT_TRUE(Shows(m_chevron, hover, IDB_CHEVRON_HOT_EXPANDED));
    EXPECT_TRUE(Shows(m_chevron, focused, IDB_CHEVRON_HOT_EXPANDED));  // the focus looks hot
    EXPECT_TRUE(Shows(m_chevron, disabled, IDB_CHEVRON_DISABLED_EXPANDED));
}

TEST_F(BitmapButtonTest, ChevronSaysWhatAClickDoes) {
    OpenTaskWindow();
    ASSERT_EQ(1, LoadChevron());
    m_chevron.SetCaptions(L"詳細情報の非表示", L"詳細情報");
    EXPECT_EQ(CString(L"詳細情報 >>"), m_chevron.GetWindowText());  // status 0: details hidden
    m_chevron.SendMessage(BM_CLICK);
    EXPECT_EQ(1, m_chevron.GetStatus());
    EXPECT_EQ(CString(L"<< 詳細情報の非表示"), m_chevron.GetWindowText());
    EXPECT_EQ(1, StatusNotifications(m_task.notifications, IDC_DETAILS_TOGGLE));
    EXPECT_TRUE(Shows(m_chevron, normal, IDB_CHEVRON_NORMAL_EXPANDED));
    m_chevron.SendMessage(BM_CLICK);
    EXPECT_EQ(0, m_chevron.GetStatus());
    EXPECT_EQ(CString(L"詳細情報 >>"), m_chevron.GetWindowText());
    EXPECT_EQ(2, StatusNotifications(m_task.notifications, IDC_DETAILS_TOGGLE));
}

// Images loaded again replace the ones before (a leak would show once per round).
TEST_F(BitmapButtonTest, LoadingAgainLeavesNoImageBehind) {
    OpenProgressView();
    ASSERT_EQ(1, LoadPause());
    const int before = GdiObjectCount();
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(1, LoadPause());
    EXPECT_LT(GdiObjectCount() - before, 8);
}

TEST_F(BitmapButtonTest, MouseOverTheButtonIsTracked) {
    OpenProgressView();
    ASSERT_EQ(1, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                                      kWhite));
    m_cancel.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(1, m_cancel.hover);
    m_cancel.SendMessage(WM_MOUSELEAVE);
    EXPECT_EQ(0, m_cancel.hover);
}

// Every button, status and state, at real size and four times enlarged, on white.
TEST_F(BitmapButtonTest, SheetOfEveryButtonInEveryState) {
    OpenProgressView();
    OpenTaskWindow();
    ASSERT_EQ(1, m_cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                                      kWhite));
    ASSERT_EQ(1, LoadPause());
    ASSERT_EQ(1, LoadChevron());
    const int kZoom = 4, kCell = 130, kRow = 140, kLabel = 110;
    TestCanvas sheet(kLabel + 4 * kCell, 5 * kRow + 30);
    HFONT font = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                               L"MS UI Gothic");
    HGDIOBJ oldFont = ::SelectObject(sheet.Dc(), font);
    const State states[] = {normal, hover, pressed, disabled};
    for (int column = 0; column < 4; ++column)
        ::TextOutW(sheet.Dc(), kLabel + column * kCell, 6, kStateNames[states[column]],
                   lstrlenW(kStateNames[states[column]]));
    struct Row {
        const wchar_t* name;
        std::function<std::unique_ptr<TestCanvas>(State)> render;
    };
    const Row rows[] = {
        {L"キャンセル", [&](State s) { return Render(m_cancel, s); }},
        {L"一時停止", [&](State s) { m_pause.SetStatus(0); return Render(m_pause, s); }},
        {L"再開", [&](State s) { m_pause.SetStatus(1); return Render(m_pause, s); }},
        {L"詳細 (閉)", [&](State s) { m_chevron.SetStatus(0); return Render(m_chevron, s); }},
        {L"詳細 (開)", [&](State s) { m_chevron.SetStatus(1); return Render(m_chevron, s); }},
    };
    int y = 30;
    for (const Row& row : rows) {
        ::TextOutW(sheet.Dc(), 6, y + 40, row.name, lstrlenW(row.name));
        for (int column = 0; column < 4; ++column) {
            auto image = row.render(states[column]);
            const int x = kLabel + column * kCell;
            sheet.Paste(*image, x, y);
            sheet.Paste(*image, x + image->Width() + 8, y, kZoom);
        }
        y += kRow;
    }
    ::SelectObject(sheet.Dc(), oldFont);
    ::DeleteObject(font);
    EXPECT_TRUE(sheet.Save(L"bitmap-buttons-every-state"));
}
