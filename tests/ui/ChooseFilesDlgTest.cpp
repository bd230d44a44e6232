// The choose-files dialog in a window of the test: real files on both sides, the list's
// rows checked with the mouse, the keyboard and the column boxes, the rows of equal
// date and size hidden, and the result it reduces the choices to.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/framework/WindowTestSupport.h"
#include "tests/support/PrintCString.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "ui/ChooseFilesDlg.h"
#include "ui/ChooseFilesListView.h"
#include "ui/resource.h"

namespace {

using List = CChooseFilesListView;

FILETIME Time(int hour, int minute, int second, int milliseconds) {
    SYSTEMTIME system{2026, 12, 4, 10, static_cast<WORD>(hour), static_cast<WORD>(minute), static_cast<WORD>(second),
                      static_cast<WORD>(milliseconds)};
    FILETIME time{};
    SystemTimeToFileTime(&system, &time);
    return time;
}

FILETIME Plus(FILETIME time, ULONGLONG units) {
    ULARGE_INTEGER value{{time.dwLowDateTime, time.dwHighDateTime}};
    value.QuadPart += units;
    return FILETIME{value.LowPart, value.HighPart};
}

CChooseFilesDrawerData PairWithTimes(FILETIME newTime, FILETIME existingTime, DWORD newSize, DWORD existingSize) {
    CChooseFilesDrawerData pair;
    pair.newFile.data.ftLastWriteTime = newTime;
    pair.newFile.data.nFileSizeLow = newSize;
    pair.existingFile.data.ftLastWriteTime = existingTime;
    pair.existingFile.data.nFileSizeLow = existingSize;
    return pair;
}

// A modeless run of the dialog over real files: "new\fN.txt" against "old\fN.txt".
class ChooseFilesDlgTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (m_dialog && m_dialog->m_hWnd)
            m_dialog->DestroyWindow();
        PumpPending();
    }

    // A pair of files of the given contents and last-write times.
    void AddPair(const std::string& newBytes, FILETIME newTime, const std::string& oldBytes, FILETIME oldTime) {
        CString name;
        name.Format(L"f%d.txt", static_cast<int>(m_pairs.size()));
        CChooseFilesDrawerData pair;
        pair.newFile.path = m_dir / (L"new\\" + name).GetString();
        pair.existingFile.path = m_dir / (L"old\\" + name).GetString();
        ASSERT_TRUE(Write(pair.newFile.path, newBytes, newTime));
        ASSERT_TRUE(Write(pair.existingFile.path, oldBytes, oldTime));
        ASSERT_TRUE(pair.newFile.Load());
        ASSERT_TRUE(pair.existingFile.Load());
        m_pairs.push_back(pair);
    }

    static bool Write(const CString& path, const std::string& bytes, FILETIME time) {
        if (!TestFiles::WriteBytes(path, bytes))
            return false;
        HANDLE file = CreateFileW(path, FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool set = file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        return set;
    }

    void Open() {
        m_dialog = std::make_unique<CChooseFilesDlg>(&m_pairs);
        m_dialog->SetFolders(m_dir / L"new", m_dir / L"old");
        ASSERT_TRUE(m_dialog->Create(IDD_CHOOSE_FILES));
        m_dialog->ShowWindow(SW_SHOW);
        ASSERT_NE(nullptr, m_dialog->GetList());
        m_list = m_dialog->GetList();
        m_dialog->UpdateWindow();
        m_list->UpdateWindow();
        PumpPending();
    }

    LRESULT ToList(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
        return m_list->SendMessage(message, wParam, lParam);
    }
    bool Checked(int row, int side) {
        int args[2] = {row, side};
        return ToList(List::kIsChecked, reinterpret_cast<WPARAM>(args)) == 1;
    }
    int ColumnState(int id) { return static_cast<int>(m_dialog->SendDlgItemMessage(id, BM_GETCHECK)); }
    void ClickColumn(int id) { m_dialog->SendDlgItemMessage(id, BM_CLICK); }
    int Continue() {
        m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_CONTINUE, BN_CLICKED),
                              reinterpret_cast<LPARAM>(m_dialog->GetDlgItem(IDC_CONTINUE)->m_hWnd));
        return m_dialog->GetResult();
    }
    // A click of the left button at a point of the list (list coordinates).
    void Click(CPoint at, CPoint upAt) {
        const CPoint scroll = m_list->GetScrollPosition();
        m_list->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x - scroll.x, at.y - scroll.y));
        m_list->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(upAt.x - scroll.x, upAt.y - scroll.y));
        m_list->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(upAt.x - scroll.x, upAt.y - scroll.y));
    }
    // Dark dots on the line just above a side's body, the list drawn into a bitmap.
    int FocusFrameDots(const CChooseFilesDrawerFileItem& side) {
        CRect client;
        m_list->GetClientRect(&client);
        CClientDC screen(m_list);
        CDC memory;
        CBitmap bitmap;
        if (!memory.CreateCompatibleDC(&screen) || !bitmap.CreateCompatibleBitmap(&screen, client.Width(), client.Height()))
            return -1;
        CSelectObject select(memory, bitmap);
        m_list->OnDraw(&memory);
        int dots = 0;
        for (int x = side.bodyRect.left - 1; x <= side.bodyRect.right; ++x)
            dots += memory.GetPixel(x, side.bodyRect.top - 1) != RGB(255, 255, 255);
        return dots;
    }
    CChooseFilesDrawerFileItem& Side(int row, int side) { return *m_list->GetDrawer(row)->GetItem()->Side(side); }
    static CPoint Centre(const CRect& rect) { return CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2); }

    TestFiles::TempDir m_dir{L"choose"};
    std::vector<CChooseFilesDrawerData> m_pairs;
    std::unique_ptr<CChooseFilesDlg> m_dialog;
    List* m_list = nullptr;
};

}  // namespace

TEST(ChooseFilesData, TimesCountAsEqualWhenTheyRiseToTheSameTwoSeconds) {
    const FILETIME a = Time(10, 0, 1, 200);
    const FILETIME b = Time(10, 0, 1, 900);
    const FILETIME c = Time(10, 0, 2, 100);
    EXPECT_TRUE(PairWithTimes(a, b, 5, 5).HasSameDateAndSize()) << "both rise to 10:00:02";
    EXPECT_FALSE(PairWithTimes(b, c, 5, 5).HasSameDateAndSize()) << "10:00:02 against 10:00:04";
    EXPECT_FALSE(PairWithTimes(a, b, 5, 6).HasSameDateAndSize()) << "sizes differ";
    const FILETIME even = Time(10, 0, 2, 0);
    EXPECT_EQ(CChooseFilesDrawerData::RoundUpToTwoSeconds(even), CChooseFilesDrawerData::RoundUpToTwoSeconds(Plus(even, 0)));
    EXPECT_FALSE(PairWithTimes(even, Plus(even, 1), 5, 5).HasSameDateAndSize())
        << "a time on a multiple stays; one unit later rises to the next";
}

TEST(ChooseFilesData, TheNewerTimeAndTheLargerSizeStandOut) {
    CChooseFilesDrawerItem row;
    row.left.file.data.ftLastWriteTime = Time(9, 0, 0, 0);
    row.right.file.data.ftLastWriteTime = Time(8, 0, 0, 0);
    row.left.file.data.nFileSizeLow = 10;
    row.right.file.data.nFileSizeHigh = 1;  // 4 GiB: larger though its low word is 0
    const CChooseFilesDrawerBoldInfo bold(row);
    EXPECT_TRUE(bold.left.time);
    EXPECT_FALSE(bold.right.time);
    EXPECT_FALSE(bold.left.size);
    EXPECT_TRUE(bold.right.size);
    row.right.file.data = row.left.file.data;
    const CChooseFilesDrawerBoldInfo same(row);
    EXPECT_FALSE(same.left.time || same.right.time || same.left.size || same.right.size);
}

TEST(ChooseFilesData, ChoicesReduceToOneResultOrMixed) {
    EXPECT_EQ(CChooseFilesDlg::kResultExisting, CChooseFilesDlg::Reduce({}));
    EXPECT_EQ(CChooseFilesDlg::kResultNew, CChooseFilesDlg::Reduce({1, 1, 1}));
    EXPECT_EQ(CChooseFilesDlg::kResultBoth, CChooseFilesDlg::Reduce({3, 3}));
    EXPECT_EQ(CChooseFilesDlg::kResultMixed, CChooseFilesDlg::Reduce({2, 2, 1}));
    EXPECT_EQ(CChooseFilesDlg::kResultMixed, CChooseFilesDlg::Reduce({1, 2, 1}));
}

TEST_F(ChooseFilesDlgTest, ShowsEveryPairAndContinuesWithWhatIsChecked) {
    AddPair("new zero", Time(10, 0, 0, 0), "old", Time(9, 0, 0, 0));
    AddPair("n1", Time(8, 0, 0, 0), "old one", Time(9, 0, 0, 0));
    AddPair("same", Time(10, 0, 1, 200), "SAME", Time(10, 0, 1, 900));
    Open();
    CString caption;
    caption.Format(IDS_FILE_CONFLICTS, 3LL);
    EXPECT_EQ(caption, m_dialog->GetWindowText());
    EXPECT_EQ(3, ToList(List::kCount));
    EXPECT_EQ(3, ToList(List::kVisibleCount));
    EXPECT_EQ(1, ToList(List::kCountSame));
    CString skip;
    skip.Format(IDS_SKIP_SAME_FILES, 1);
    EXPECT_EQ(skip, m_dialog->GetDlgItem(IDC_SKIP_SAME_FILES)->GetWindowText());
    EXPECT_TRUE(m_dialog->GetDlgItem(IDC_SKIP_SAME_FILES)->IsWindowEnabled());
    EXPECT_EQ(BST_UNCHECKED, ColumnState(IDC_NEW_FILES_CHECK));
    EXPECT_EQ(2, Continue()) << "nothing checked: every file is skipped";
    EXPECT_TRUE(m_dialog->GetFileResults().empty());

    // The mouse: a click on a check box and a click on a file's image both tick it.
    Click(Centre(Side(0, 1).checkRect), Centre(Side(0, 1).checkRect));
    Click(Centre(Side(1, 2).bodyRect), Centre(Side(1, 2).bodyRect));
    EXPECT_TRUE(Checked(0, 1));
    EXPECT_TRUE(Checked(1, 2));
    EXPECT_EQ(BST_INDETERMINATE, ColumnState(IDC_NEW_FILES_CHECK));
    EXPECT_EQ(BST_INDETERMINATE, ColumnState(IDC_EXISTING_FILES_CHECK));
    // Pressed on a check box, released off it: nothing changes.
    Click(Centre(Side(2, 1).checkRect), CPoint(1, 1));
    EXPECT_FALSE(Checked(2, 1));

    // The keyboard: the focus is on the last row clicked; down, right, space ticks.
    m_list->SetFocus();
    m_list->SendMessage(WM_KEYDOWN, VK_DOWN);
    m_list->SendMessage(WM_KEYDOWN, VK_LEFT);
    m_list->SendMessage(WM_KEYDOWN, VK_SPACE);
    m_list->SendMessage(WM_KEYUP, VK_SPACE);
    m_list->SendMessage(WM_KEYDOWN, VK_RIGHT);
    m_list->SendMessage(WM_KEYDOWN, VK_SPACE);
    m_list->SendMessage(WM_KEYUP, VK_SPACE);
    EXPECT_TRUE(Checked(2, 1));
    EXPECT_TRUE(Checked(2, 2));
    // The focused file (the third row's existing one) has the dotted focus frame.
    EXPECT_EQ(m_list->m_hWnd, GetFocus());
    EXPECT_GT(FocusFrameDots(Side(2, 2)), 10);
    EXPECT_EQ(0, FocusFrameDots(Side(2, 1)));
    // (Raising the dialog for the picture leaves no window of the test with the focus,
    // so the picture shows the list without the frame.)
    EXPECT_TRUE(SaveWindowScreenshot(m_dialog->m_hWnd, L"choose-files-checked"));

    EXPECT_EQ(CChooseFilesDlg::kResultMixed, Continue());
    const CChooseFilesDlg::FileResults expected{
        {m_pairs[0].newFile.path, 1}, {m_pairs[1].newFile.path, 2}, {m_pairs[2].newFile.path, 3}};
    EXPECT_EQ(expected, m_dialog->GetFileResults());
}

TEST_F(ChooseFilesDlgTest, TheTipOverAFileIsItsFullPath) {
    AddPair("a", Time(10, 0, 0, 0), "b", Time(9, 0, 0, 0));
    AddPair("c", Time(10, 0, 0, 0), "d", Time(9, 0, 0, 0));
    Open();
    const CPoint scroll = m_list->GetScrollPosition();
    auto tipAt = [&](CPoint at) {
        TOOLINFOW info{};
        info.cbSize = sizeof info;
        const INT_PTR id = m_list->OnToolHitTest(CPoint(at.x - scroll.x, at.y - scroll.y), &info);
        if (id < 0)
            return CString(L"(none)");
        NMTTDISPINFOW display{};
        display.hdr = NMHDR{m_list->GetToolTipHandle(), static_cast<UINT_PTR>(id), TTN_NEEDTEXTW};
        m_list->SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&display));
        return CString(display.lpszText ? display.lpszText : L"");
    };
    EXPECT_EQ(m_pairs[1].existingFile.path, tipAt(Centre(Side(1, 2).bodyRect)));
    EXPECT_EQ(m_pairs[0].newFile.path, tipAt(Centre(Side(0, 1).bodyRect)));
    EXPECT_EQ(CString(L"(none)"), tipAt(Centre(Side(0, 1).checkRect))) << "a check box has no tip";
}

TEST_F(ChooseFilesDlgTest, ColumnBoxesTickAWholeSideAndFollowTheRows) {
    for (int i = 0; i < 4; ++i)
        AddPair("new " + std::to_string(i), Time(10, 0, 0, 0), "old", Time(9, 0, 0, 0));
    Open();
    ClickColumn(IDC_NEW_FILES_CHECK);
    EXPECT_EQ(BST_CHECKED, ColumnState(IDC_NEW_FILES_CHECK));
    EXPECT_EQ(CChooseFilesDlg::kResultNew, Continue());

    m_list->GetDrawer(1)->SetCheck(1, false);
    EXPECT_EQ(BST_INDETERMINATE, ColumnState(IDC_NEW_FILES_CHECK));
    ClickColumn(IDC_NEW_FILES_CHECK);
    EXPECT_EQ(BST_CHECKED, ColumnState(IDC_NEW_FILES_CHECK)) << "a partly checked column is checked whole";
    EXPECT_TRUE(Checked(1, 1));
    ClickColumn(IDC_NEW_FILES_CHECK);
    EXPECT_EQ(BST_UNCHECKED, ColumnState(IDC_NEW_FILES_CHECK));
    EXPECT_FALSE(Checked(0, 1));

    // Ctrl+F and Ctrl+A flip the columns as a click would.
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CChooseFilesDlg::kToggleNewColumn, 1));
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CChooseFilesDlg::kToggleExistingColumn, 1));
    EXPECT_EQ(BST_CHECKED, ColumnState(IDC_EXISTING_FILES_CHECK));
    EXPECT_EQ(CChooseFilesDlg::kResultBoth, Continue()) << "both sides of every row";
    m_dialog->SendMessage(WM_COMMAND, MAKEWPARAM(CChooseFilesDlg::kToggleNewColumn, 1));
    EXPECT_EQ(BST_UNCHECKED, ColumnState(IDC_NEW_FILES_CHECK));
    EXPECT_EQ(CChooseFilesDlg::kResultExisting, Continue());
}

TEST_F(ChooseFilesDlgTest, RowsOfTheSameDateAndSizeAreHiddenAndSkipped) {
    AddPair("differs", Time(10, 0, 0, 0), "old", Time(9, 0, 0, 0));
    AddPair("equal", Time(10, 0, 1, 200), "EQUAL", Time(10, 0, 1, 900));
    AddPair("also", Time(11, 0, 0, 0), "ALSO", Time(11, 0, 0, 0));
    Open();
    ClickColumn(IDC_NEW_FILES_CHECK);
    ClickColumn(IDC_SKIP_SAME_FILES);
    EXPECT_EQ(1, ToList(List::kVisibleCount));
    EXPECT_FALSE(Checked(1, 1)) << "a hidden row is unchecked";
    EXPECT_EQ(BST_CHECKED, ColumnState(IDC_NEW_FILES_CHECK)) << "only the visible row counts";
    EXPECT_EQ(CChooseFilesDlg::kResultMixed, Continue());
    const CChooseFilesDlg::FileResults expected{
        {m_pairs[0].newFile.path, 1}, {m_pairs[1].newFile.path, 2}, {m_pairs[2].newFile.path, 2}};
    EXPECT_EQ(expected, m_dialog->GetFileResults());

    ClickColumn(IDC_SKIP_SAME_FILES);
    EXPECT_EQ(3, ToList(List::kVisibleCount));
    EXPECT_EQ(BST_INDETERMINATE, ColumnState(IDC_NEW_FILES_CHECK)) << "shown again, unchecked";
}

TEST_F(ChooseFilesDlgTest, WithEveryRowHiddenTheListSaysSoAndTheColumnsAreOff) {
    AddPair("equal", Time(10, 0, 1, 200), "EQUAL", Time(10, 0, 1, 900));
    AddPair("also", Time(11, 0, 0, 0), "ALSO", Time(11, 0, 0, 0));
    Open();
    ClickColumn(IDC_SKIP_SAME_FILES);
    EXPECT_EQ(0, ToList(List::kVisibleCount));
    EXPECT_FALSE(m_dialog->GetDlgItem(IDC_NEW_FILES_CHECK)->IsWindowEnabled());
    EXPECT_FALSE(m_dialog->GetDlgItem(IDC_EXISTING_FILES_CHECK)->IsWindowEnabled());
    m_list->UpdateWindow();
    EXPECT_TRUE(SaveWindowScreenshot(m_dialog->m_hWnd, L"choose-files-all-same"));
    EXPECT_EQ(CChooseFilesDlg::kResultExisting, Continue());
}

TEST_F(ChooseFilesDlgTest, ScrollingThroughManyRowsKeepsAtMostTwentyImages) {
    for (int i = 0; i < 30; ++i)
        AddPair("n" + std::to_string(i), Time(10, 0, 0, 0), "o", Time(9, 0, 0, 0));
    Open();
    EXPECT_GT(m_list->GetLoadedImageCount(), 0u);
    const int total = m_list->GetTotalSize().cy;
    for (int y = 0; y < total; y += 50) {
        m_list->ScrollToPosition(CPoint(0, y));
        m_list->UpdateWindow();
        ASSERT_LE(m_list->GetLoadedImageCount(), CChooseFilesImageCache::kLimit) << y;
    }
    EXPECT_EQ(CChooseFilesImageCache::kLimit, m_list->GetLoadedImageCount());
    EXPECT_TRUE(Side(29, 1).image.GetIcon() || Side(29, 1).image.GetBitmap()) << "the last row was drawn";
    EXPECT_TRUE(Side(0, 1).image.IsEmpty()) << "the first row's image was let go";
}

namespace {

// Thumbnails as a shell with thumbnail handlers makes them (Wine's makes none): a
// 256 x 192 picture for the files being copied, the shell's icon for the others.
class CPictureGetter : public UShell::CFileImageGetter {
public:
    int GetImage(LPCWSTR path, SIZE size, UShell::CFileImageGetterData& data) const override {
        if (!wcsstr(path, L"\\new\\"))
            return UShell::CFileImageGetter::GetImage(path, size, data);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 256, 192);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        for (int y = 0; y < 192; y += 8) {
            RECT band{0, y, 256, y + 8};
            HBRUSH brush = CreateSolidBrush(RGB(40 + y / 2, 120, 220 - y / 2));
            FillRect(dc, &band, brush);
            DeleteObject(brush);
        }
        SelectObject(dc, old);
        DeleteDC(dc);
        data.Release();
        data.SetBitmap(bitmap);
        return 1;
    }
};

}  // namespace

TEST_F(ChooseFilesDlgTest, ThumbnailsAndTheStandingOutValuesAsAUserSeesThem) {
    AddPair(std::string(300000, 'n'), Time(10, 0, 0, 0), "old", Time(9, 0, 0, 0));
    AddPair("n1", Time(8, 0, 0, 0), std::string(5000, 'o'), Time(9, 30, 0, 0));
    AddPair("same", Time(7, 0, 0, 0), "SAME", Time(7, 0, 0, 0));
    Open();
    CPictureGetter pictures;
    m_list->SetImageGetter(&pictures);
    m_list->UpdateWindow();
    EXPECT_TRUE(Side(0, 1).image.GetBitmap()) << "the new file's thumbnail";
    EXPECT_TRUE(SaveWindowScreenshot(m_dialog->m_hWnd, L"choose-files-thumbnails"));
    m_list->SetImageGetter(nullptr);
}
