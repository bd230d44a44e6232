// Children following their parent's size, and the task window's banner at the screen's
// resolution; the task window and the progress view with the real image buttons.
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/Screenshot.h"
#include "tests/ui/ControlTestSupport.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/BitmapButtons.h"
#include "ui/DialogBitmap.h"
#include "ui/ResizeManager.h"
#include "ui/resource.h"

namespace {

class ResizeAndBannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        PrepareWindowTest();
        RegisterTemplateClasses();
    }

    // A child's rectangle in its parent's client coordinates.
    static CRect Place(HWND child) {
        CRect rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    HWND Child(const CRect& rect) {
        return ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top, rect.Width(),
                                 rect.Height(), m_host, nullptr, nullptr, nullptr);
    }

    CWhiteHost m_host;
};

}  // namespace

TEST_F(ResizeAndBannerTest, ChildrenMoveAndStretchByTheParentsChange) {
    ASSERT_TRUE(m_host.Open(L"サイズ", 300, 200));
    const CRect start(20, 30, 80, 60);
    HWND moved = Child(start), stretched = Child(start), staying = Child(start), slid = Child(start);
    ResizeManager manager;
    HWND none = nullptr;
    EXPECT_EQ(0, manager.Init(&none));
    HWND parent = m_host;
    ASSERT_EQ(1, manager.Init(&parent));
    manager.Add({moved, 0x3});
    manager.Add({stretched, 0x30});
    manager.Add({staying, 0x1000});
    manager.Add({slid, 0x11});  // moves right and its right edge with it

    CRect frame;
    m_host.GetWindowRect(&frame);
    m_host.SetWindowPos(nullptr, 0, 0, frame.Width() + 40, frame.Height() + 10, SWP_NOMOVE | SWP_NOZORDER);
    manager.OnSize();
    EXPECT_EQ(CRect(60, 40, 120, 70), Place(moved));
    EXPECT_EQ(CRect(20, 30, 120, 70), Place(stretched));
    EXPECT_EQ(start, Place(staying));
    EXPECT_EQ(CRect(60, 30, 120, 60), Place(slid));

    // The next change counts from this size.
    m_host.SetWindowPos(nullptr, 0, 0, frame.Width() + 30, frame.Height() + 10, SWP_NOMOVE | SWP_NOZORDER);
    manager.OnSize();
    EXPECT_EQ(CRect(50, 40, 110, 70), Place(moved));

    manager.Clear();
    m_host.SetWindowPos(nullptr, 0, 0, frame.Width(), frame.Height(), SWP_NOMOVE | SWP_NOZORDER);
    manager.OnSize();  // no items: nothing moves
    EXPECT_EQ(CRect(50, 40, 110, 70), Place(moved));
}

TEST(DialogBitmapSize, ScaledFrom96DotsPerInchAndKeptInItsRoom) {
    EXPECT_EQ(438, ScaledDialogBitmapSize(SIZE{438, 57}, 96, 96, SIZE{1000, 1000}).cx);
    const SIZE large = ScaledDialogBitmapSize(SIZE{438, 57}, 144, 144, SIZE{1000, 1000});
    EXPECT_EQ(657, large.cx);
    EXPECT_EQ(86, large.cy);
    const SIZE kept = ScaledDialogBitmapSize(SIZE{438, 57}, 144, 144, SIZE{500, 60});
    EXPECT_EQ(500, kept.cx);
    EXPECT_EQ(60, kept.cy);
}

// The task window as the program shows it: the banner scaled for the screen, the
// chevron with its captions; and a detailed progress view with pause and cancel.
TEST_F(ResizeAndBannerTest, TaskWindowAndProgressViewWithTheirImages) {
    CBitmap banner;
    CBitmapChevronButton chevron;
    CWhiteDialog task(IDD_TASK_WINDOW);
    task.onInit = [&](TWhite<CDialog>& dialog) { chevron.SubclassDlgItem(IDC_DETAILS_TOGGLE, &dialog); };
    ASSERT_TRUE(task.Open());
    ASSERT_EQ(1, LoadScaledDialogBitmap(task, IDC_BANNER, IDB_BANNER, banner));
    const HGDIOBJ first = banner.m_hObject;
    HWND picture = ::GetDlgItem(task, IDC_BANNER);
    EXPECT_EQ(first, reinterpret_cast<HGDIOBJ>(::SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)));
    CClientDC screen(nullptr);
    CRect client, place = Place(picture);
    task.GetClientRect(&client);
    const SIZE expected =
        ScaledDialogBitmapSize(SIZE{438, 57}, screen.GetDeviceCaps(LOGPIXELSX), screen.GetDeviceCaps(LOGPIXELSY),
                               SIZE{client.right - place.left, client.bottom - place.top});
    EXPECT_EQ(CSize(expected), banner.GetSize());
    ASSERT_EQ(1, LoadScaledDialogBitmap(task, IDC_BANNER, IDB_BANNER, banner));  // again: the first one goes
    EXPECT_EQ(0u, ::GetObjectType(first));
    EXPECT_EQ(0, LoadScaledDialogBitmap(task, 4242, IDB_BANNER, banner));

    ASSERT_EQ(1, chevron.LoadBitmaps(IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_NORMAL_EXPANDED,
                                     IDB_CHEVRON_PRESSED_COLLAPSED, IDB_CHEVRON_PRESSED_EXPANDED,
                                     IDB_CHEVRON_HOT_COLLAPSED, IDB_CHEVRON_HOT_EXPANDED,
                                     IDB_CHEVRON_DISABLED_COLLAPSED, IDB_CHEVRON_DISABLED_EXPANDED,
                                     RGB(255, 255, 255)));
    chevron.SetCaptions(L"詳細情報の非表示", L"詳細情報");
    EXPECT_TRUE(SaveWindowScreenshot(task, L"task-window-banner-and-chevron"));

    CWhiteHost host;
    ASSERT_TRUE(host.Open(L"コピー中", 400, 240));
    CBitmapPauseButton pause;
    CBitmapCancelButton cancel;
    CWhiteDialog view(IDD_PROGRESS_DETAILED);
    view.onInit = [&](TWhite<CDialog>& dialog) {
        pause.SubclassDlgItem(IDC_PAUSE, &dialog);
        cancel.SubclassDlgItem(IDCANCEL, &dialog);
        dialog.SetDlgItemText(IDC_FROM_TO, L"<a>ダウンロード</a> から <a>写真</a> に 12 個の項目をコピー中");
        dialog.SetDlgItemText(IDC_NAME_LINE, L"名前: 夕焼け.png");
        dialog.SetDlgItemText(IDC_TIME_REMAINING, L"残り時間: 約 10 秒");
        dialog.SetDlgItemText(IDC_ITEMS_REMAINING, L"残りの項目: 4 (1.2 GB)");
    };
    ASSERT_TRUE(view.Open(&host));
    ASSERT_EQ(1, pause.LoadBitmaps(IDB_PAUSE_NORMAL, IDB_PAUSE_DISABLED, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER,
                                   IDB_RESUME_NORMAL, IDB_RESUME_DISABLED, IDB_RESUME_PRESSED, IDB_RESUME_HOVER,
                                   RGB(255, 255, 255)));
    ASSERT_EQ(1, cancel.LoadBitmaps(IDB_CANCEL_NORMAL, IDB_CANCEL_DISABLED, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER,
                                    RGB(255, 255, 255)));
    EXPECT_TRUE(SaveWindowScreenshot(host, L"progress-view-pause-and-cancel"));
    view.DestroyWindow();
    task.DestroyWindow();
}
