// The controls that show files and folders, bound to the program's templates: the image
// of the error view (a file's icon, or a thumbnail scaled into it), the "from / to" line
// whose links open their folders, and the choose-files dialog's check boxes whose
// captions are such links.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/FileImageStatic.h"
#include "ui/ShellOpenLinkCtrl.h"
#include "ui/resource.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);

// Keeps what it would open instead of starting Explorer.
class CRecordingLink : public CShellOpenLinkCtrl {
public:
    std::vector<CString> opened;
    INT_PTR HitTest(CPoint point, TOOLINFOW* ti) const { return OnToolHitTest(point, ti); }

protected:
    void Open(LPCWSTR url) override { opened.emplace_back(url); }
};

// A thumbnail from a shell that makes them (Wine's does not): a picture of 256 x 256.
class CThumbnailStatic : public CFileImageStatic {
public:
    SIZE asked{};

protected:
    void LoadImage(LPCWSTR, SIZE size, UShell::CFileImageGetterData& image) override {
        asked = size;
        TestCanvas picture(256, 256, RGB(70, 130, 200));
        HBRUSH sun = ::CreateSolidBrush(RGB(250, 200, 40));
        HGDIOBJ old = ::SelectObject(picture.Dc(), sun);
        ::Ellipse(picture.Dc(), 150, 30, 230, 110);
        ::SelectObject(picture.Dc(), old);
        ::DeleteObject(sun);
        RECT ground{0, 180, 256, 256};
        HBRUSH grass = ::CreateSolidBrush(RGB(60, 160, 70));
        ::FillRect(picture.Dc(), &ground, grass);
        ::DeleteObject(grass);
        HBITMAP copy = SolidBitmap(256, 256, 0);
        HDC dc = ::CreateCompatibleDC(picture.Dc());
        HGDIOBJ previous = ::SelectObject(dc, copy);
        ::BitBlt(dc, 0, 0, 256, 256, picture.Dc(), 0, 0, SRCCOPY);
        ::SelectObject(dc, previous);
        ::DeleteDC(dc);
        image.SetBitmap(copy);
    }
};

// What an owner-drawn static draws, on white.
void Render(CStatic& control, TestCanvas& canvas) {
    DRAWITEMSTRUCT dis{ODT_STATIC, 0, 0, ODA_DRAWENTIRE, 0, control, canvas.Dc(),
                       RECT{0, 0, canvas.Width(), canvas.Height()}, 0};
    control.DrawItem(&dis);
}

// The centre of link `index` of a link control, found by hit testing along its lines.
bool FindLink(const CShellOpenLinkCtrl& link, int index, POINT* at) {
    CRect client;
    link.GetClientRect(&client);
    for (int y = client.top + 1; y < client.bottom; y += 3) {
        int first = -1, last = -1;
        for (int x = client.left; x < client.right; ++x)
            if (link.LinkAt(CPoint(x, y)) == index) {
                if (first < 0)
                    first = x;
                last = x;
            }
        if (first >= 0) {
            *at = POINT{(first + last) / 2, y};
            return true;
        }
    }
    return false;
}

void Click(HWND window, POINT at) {
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

const wchar_t kFromTo[] =
    L"<a href=\"C:\\Users\\テスト\\ダウンロード\">ダウンロード</a> から "
    L"<a href=\"D:\\バックアップ\\写真\">写真</a> に 12 個の項目をコピー中";

class LinkAndImageControlTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareWindowTest(); }

    // The error view with image bound to its picture and the file's lines filled.
    void OpenErrorView(CFileImageStatic& image, const wchar_t* name, const wchar_t* type, const wchar_t* size) {
        m_view.onInit = [&image, name, type, size](TWhite<CDialog>& dialog) {
            image.SubclassDlgItem(IDC_ITEM_IMAGE, &dialog);
            dialog.SetDlgItemText(IDC_ERROR_TEXT, CString(L"ファイル \"") + name + L"\" をコピーできません");
            dialog.SetDlgItemText(IDC_ERROR_NOTE, L"ファイルは別のプログラムで使用中です");
            dialog.SetDlgItemText(IDC_INFO_LINE1, name);
            dialog.SetDlgItemText(IDC_INFO_LINE2, CString(L"種類: ") + type);
            dialog.SetDlgItemText(IDC_INFO_LINE3, CString(L"サイズ: ") + size);
        };
        ASSERT_TRUE(m_host.Open(L"エラー", 400, 240));
        ASSERT_TRUE(m_view.Open(&m_host));
        ASSERT_NE(nullptr, image.m_hWnd);
    }
    // The compact progress view with link bound to its "from / to" line.
    void OpenFromToLine(CRecordingLink& link) {
        m_compact.onInit = [&link](TWhite<CDialog>& dialog) {
            link.SubclassDlgItem(IDC_FROM_TO, &dialog);
            link.SetWindowText(kFromTo);
        };
        ASSERT_TRUE(m_host.Open(L"コピー", 400, 100));
        ASSERT_TRUE(m_compact.Open(&m_host));
        m_host.ShowWindow(SW_SHOWNOACTIVATE);
    }

    CWhiteHost m_host;
    CWhiteDialog m_view{IDD_ERROR_QUESTION};
    CWhiteDialog m_compact{IDD_PROGRESS_COMPACT};
};

}  // namespace

TEST_F(LinkAndImageControlTest, ErrorViewShowsTheIconOfATextFile) {
    TestFiles::TempDir dir(L"image");
    const CString text = dir / L"報告書.txt";
    ASSERT_TRUE(TestFiles::WriteBytes(text, "text"));
    CFileImageStatic image;
    OpenErrorView(image, L"報告書.txt", L"テキスト ドキュメント", L"4 バイト");

    image.SetFile(text);
    ASSERT_NE(nullptr, image.GetImage().GetIcon());
    CRect client;
    image.GetClientRect(&client);
    TestCanvas canvas(client.Width(), client.Height());
    Render(image, canvas);
    const RECT drawn = canvas.Extent(kWhite);
    // The icon at its own size, centred.
    EXPECT_LE(drawn.right - drawn.left, 32);
    EXPECT_NEAR((drawn.left + drawn.right) / 2.0, client.Width() / 2.0, 2.0);
    EXPECT_NEAR((drawn.top + drawn.bottom) / 2.0, client.Height() / 2.0, 2.0);
    EXPECT_TRUE(SaveWindowScreenshot(m_host, L"file-image-static-icon"));

    const HICON shown = image.GetImage().GetIcon();
    image.SendMessage(FISM_SETFILE, 0);  // no path: nothing changes
    EXPECT_EQ(shown, image.GetImage().GetIcon());
}

TEST_F(LinkAndImageControlTest, ThumbnailIsScaledIntoTheImageAndCentred) {
    CThumbnailStatic image;
    OpenErrorView(image, L"夕焼け.png", L"PNG ファイル", L"1.2 MB");
    image.SetFile(L"C:\\夕焼け.png");
    CRect client;
    image.GetClientRect(&client);
    EXPECT_EQ(client.Size(), CSize(image.asked));  // asked for the size of the control
    ASSERT_NE(nullptr, image.GetImage().GetBitmap());
    TestCanvas canvas(client.Width(), client.Height());
    Render(image, canvas);
    const int side = std::min(client.Width(), client.Height());
    const RECT drawn = canvas.Extent(kWhite);
    EXPECT_EQ(side, drawn.right - drawn.left);
    EXPECT_EQ(side, drawn.bottom - drawn.top);
    EXPECT_EQ((client.Width() - side) / 2, drawn.left);
    EXPECT_TRUE(SaveWindowScreenshot(m_host, L"file-image-static-thumbnail"));
}

TEST_F(LinkAndImageControlTest, ClickedLinkOpensTheFolderItCarries) {
    CRecordingLink link;
    OpenFromToLine(link);
    // What clicking link `index` opens (empty when nothing).
    auto clicking = [&link](int index) {
        POINT at{};
        const size_t before = link.opened.size();
        if (!FindLink(link, index, &at))
            return CString(L"(no such link)");
        Click(link, at);
        return link.opened.size() > before ? link.opened.back() : CString();
    };
    EXPECT_EQ(CString(L"D:\\バックアップ\\写真"), clicking(1));
    EXPECT_EQ(CString(L"C:\\Users\\テスト\\ダウンロード"), clicking(0));

    // Among three links the middle one opens its own folder, by click and by Enter.
    link.SetWindowText(L"<a href=\"C:\\一\">一</a> と <a href=\"C:\\二\">二</a> と <a href=\"C:\\三\">三</a>");
    EXPECT_EQ(CString(L"C:\\二"), clicking(1));
    link.SetFocus();
    link.SendMessage(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(CString(L"C:\\二"), link.opened.back());
    EXPECT_EQ(4u, link.opened.size());

    // A link without a path opens nothing.
    link.SetWindowText(L"<a>どこでもない</a>");
    EXPECT_EQ(CString(), clicking(0));
}

TEST_F(LinkAndImageControlTest, LinkShowsItsFolderAsToolTip) {
    CRecordingLink link;
    OpenFromToLine(link);
    HWND tip = link.GetToolTipHandle();
    ASSERT_NE(nullptr, tip);  // enabled when bound

    POINT second{};
    ASSERT_TRUE(FindLink(link, 1, &second));
    TOOLINFOW ti{sizeof ti};
    EXPECT_EQ(1, link.HitTest(CPoint(second), &ti));
    CRect client;
    link.GetClientRect(&client);
    EXPECT_EQ(-1, link.HitTest(CPoint(client.right - 2, second.y), &ti));  // plain text

    NMTTDISPINFOW info{};
    info.hdr = NMHDR{tip, 1, TTN_NEEDTEXTW};
    link.SendMessage(WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(nullptr, info.lpszText);
    EXPECT_STREQ(L"D:\\バックアップ\\写真", info.lpszText);
    EXPECT_EQ(200, ::SendMessageW(tip, TTM_GETMAXTIPWIDTH, 0, 0));
}

TEST_F(LinkAndImageControlTest, CheckBoxCaptionBecomesALinkBesideTheBox) {
    CShellOpenLinkCtrlCheckBox boxes[2];
    CWhiteDialog dialog(IDD_CHOOSE_FILES);
    dialog.onInit = [&](TWhite<CDialog>& d) {
        boxes[0].SubclassDlgItem(IDC_NEW_FILES_CHECK, &d);
        boxes[1].SubclassDlgItem(IDC_EXISTING_FILES_CHECK, &d);
    };
    ASSERT_TRUE(dialog.Open());
    for (auto& box : boxes) {
        ASSERT_NE(nullptr, box.m_hWnd);
        EXPECT_EQ(0, box.GetWindowTextLength());
        CShellOpenLinkCtrl& link = box.GetLinkCtrl();
        ASSERT_NE(nullptr, link.m_hWnd);
        EXPECT_EQ(static_cast<int>(CShellOpenLinkCtrlCheckBox::kLinkId), link.GetDlgCtrlID());
        EXPECT_EQ(box.GetFont(), link.GetFont());
        EXPECT_TRUE(link.GetStyle() & WS_TABSTOP);
        CRect client, place;
        box.GetClientRect(&client);
        link.GetWindowRect(&place);
        box.ScreenToClient(&place);
        EXPECT_EQ(::GetSystemMetrics(SM_CXSMICON) + ::GetSystemMetrics(SM_CXFOCUSBORDER), place.left);
        EXPECT_EQ(client.right - ::GetSystemMetrics(SM_CXFOCUSBORDER), place.right);
        EXPECT_EQ(::GetSystemMetrics(SM_CYFOCUSBORDER), place.top);
    }
    EXPECT_EQ(CString(L"コピー元のファイル(&F)"), boxes[0].GetLinkCtrl().GetWindowText());

    boxes[0].GetLinkCtrl().SetWindowText(L"<a href=\"C:\\Users\\テスト\\ダウンロード\">ダウンロード</a> のファイル");
    boxes[1].GetLinkCtrl().SetWindowText(L"<a href=\"D:\\バックアップ\\写真\">写真</a> のファイル");
    boxes[0].SetCheck(BST_CHECKED);
    boxes[1].SetCheck(BST_INDETERMINATE);
    EXPECT_TRUE(SaveWindowScreenshot(dialog, L"link-check-boxes"));

    // Tab goes from the box to its link; Shift+Tab back to the control before the box.
    EXPECT_TRUE(boxes[1].SendMessage(WM_GETDLGCODE) & DLGC_WANTTAB);
    boxes[1].SetFocus();
    boxes[1].SendMessage(WM_KEYDOWN, VK_TAB);
    EXPECT_EQ(boxes[1].GetLinkCtrl().m_hWnd, ::GetFocus());
    boxes[1].SetFocus();
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    boxes[1].SendMessage(WM_KEYDOWN, VK_TAB);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
    EXPECT_EQ(::GetNextDlgTabItem(dialog, boxes[1], TRUE), ::GetFocus());
    dialog.DestroyWindow();
}
