// Lines with folder links: labels from the shell's display names, shortened from the end
// against the real width of the text in the dialogs' font, and a real SysLink that gets
// the text and the folders' paths.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "tests/support/Screenshot.h"
#include "tests/support/TestFiles.h"
#include "tests/support/PrintCString.h"
#include "ui/LinkLine.h"

using LinkLine::FitLabels;

namespace {

const wchar_t kFromTo[] = L"<a>%s</a> から <a>%s</a> へ 1234 個の項目をコピーしています";

// A screen-compatible memory DC with the dialogs' font (MS UI Gothic 9 pt) selected.
class MeasuringDC {
public:
    MeasuringDC() {
        m_dc = CreateCompatibleDC(nullptr);
        m_font = CreateFontW(-MulDiv(9, GetDeviceCaps(m_dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                             FALSE, SHIFTJIS_CHARSET, 0, 0, 0, 0, L"MS UI Gothic");
        m_old = SelectObject(m_dc, m_font);
    }
    ~MeasuringDC() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_font);
        DeleteDC(m_dc);
    }
    MeasuringDC(const MeasuringDC&) = delete;
    MeasuringDC& operator=(const MeasuringDC&) = delete;

    operator HDC() const { return m_dc; }
    HFONT Font() const { return m_font; }
    int Width(const CString& text) const {
        SIZE s{};
        GetTextExtentPoint32W(m_dc, text, text.GetLength(), &s);
        return s.cx;
    }

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};

CString Shown(const CString& text, const std::vector<CString>& labels) {
    return LinkLine::FillLabels(LinkLine::WithoutLinkTags(text), labels);
}

bool EndsWithEllipsis(const CString& s) { return s.GetLength() >= 3 && s.Right(3) == L"..."; }

}  // namespace

TEST(LinkLine, LabelsAreTheLastPartOfTheDisplayNameOrOfThePath) {
    using LinkLine::FolderLabel;
    EXPECT_EQ(CString(L"Documents"), FolderLabel(L"C:\\Users\\山田\\Documents", L"C:\\Users\\山田\\Documents"));
    // A colon in a display name is no separator.
    EXPECT_EQ(CString(L"ローカル ディスク (C:)"), FolderLabel(L"ローカル ディスク (C:)", L"C:\\"));
    EXPECT_EQ(CString(L"写真"), FolderLabel(L"", L"D:\\データ\\写真"));
    EXPECT_EQ(CString(L"D:\\データ\\"), FolderLabel(L"", L"D:\\データ\\"));

    TestFiles::TempDir dir(L"link");
    const CString folder = dir / L"2024年度 決算資料";
    ASSERT_TRUE(CreateDirectoryW(folder, nullptr));
    EXPECT_EQ(CString(L"2024年度 決算資料"), FolderLabel(folder));
    EXPECT_EQ(CString(L"存在しない"), FolderLabel(dir / L"存在しない"));
}

TEST(LinkLine, LabelsAreFilledInOrderWithoutFormatting) {
    EXPECT_EQ(CString(L"<a>100%</a> から <a>b</a> へ"),
              LinkLine::FillLabels(L"<a>%s</a> から <a>%s</a> へ", {L"100%", L"b"}));
    EXPECT_EQ(CString(L"x 1  y"), LinkLine::FillLabels(L"x %s %s y", {L"1"}));
    EXPECT_EQ(CString(L"から へ"), LinkLine::WithoutLinkTags(L"<a></a>から <a></a>へ"));
}

TEST(LinkLine, TheLongestLabelIsCutFromTheEndUntilTheLineFits) {
    MeasuringDC dc;
    const CString source = L"2024年度_決算報告書_経理部提出用_最終版のバックアップ";
    const CString destination = L"共有";
    const CString bare = Shown(kFromTo, {L"", L""});
    const int width = dc.Width(bare) + dc.Width(destination) + dc.Width(source) / 2;

    const auto labels = FitLabels(dc, kFromTo, {source, destination}, width, true);
    ASSERT_EQ(2u, labels.size());
    EXPECT_EQ(destination, labels[1]) << "the short label stays whole";
    ASSERT_TRUE(EndsWithEllipsis(labels[0]));
    const CString kept = labels[0].Left(labels[0].GetLength() - 3);
    EXPECT_EQ(source.Left(kept.GetLength()), kept) << "cut from the end";
    EXPECT_LE(dc.Width(Shown(kFromTo, labels)), width);
    // One more character would not have fitted.
    const CString longer = source.Left(kept.GetLength() + 1) + L"...";
    EXPECT_GT(dc.Width(Shown(kFromTo, {longer, destination})), width);

    // The tags take no room: measured with them the line would need more.
    EXPECT_GT(dc.Width(LinkLine::FillLabels(kFromTo, labels)), dc.Width(Shown(kFromTo, labels)));
}

TEST(LinkLine, EqualLabelsAreCutInTurnTheFirstOneFirst) {
    MeasuringDC dc;
    const CString a = L"AAAAAAAAAAAAAAAAAAAA", b = L"BBBBBBBBBBBBBBBBBBBB";
    const int width = dc.Width(Shown(kFromTo, {L"", L""})) + dc.Width(a) + dc.Width(b) - dc.Width(L"AAAAAA");
    const auto labels = FitLabels(dc, kFromTo, {a, b}, width, true);
    ASSERT_TRUE(EndsWithEllipsis(labels[0]));
    ASSERT_TRUE(EndsWithEllipsis(labels[1]));
    const int first = labels[0].GetLength() - 3, second = labels[1].GetLength() - 3;
    EXPECT_TRUE(first == second || first + 1 == second) << first << " " << second;
    EXPECT_LE(dc.Width(Shown(kFromTo, labels)), width);
}

TEST(LinkLine, LabelsStayWholeWhenTheyFitOrNothingCanFit) {
    MeasuringDC dc;
    const std::vector<CString> labels{L"ドキュメント", L"バックアップ"};
    const int bare = dc.Width(Shown(kFromTo, {L"", L""}));
    EXPECT_EQ(labels, FitLabels(dc, kFromTo, labels, bare + dc.Width(L"ドキュメントバックアップ"), true));
    // The rest of the line alone is wider than the control: cutting would not help.
    EXPECT_EQ(labels, FitLabels(dc, kFromTo, labels, bare, true));
    EXPECT_EQ(labels, FitLabels(dc, kFromTo, labels, bare / 2, true));
    // Cut down to one character and no further.
    const auto cut = FitLabels(dc, kFromTo, labels, bare + 1, true);
    EXPECT_EQ(CString(L"ド..."), cut[0]);
    EXPECT_EQ(CString(L"バ..."), cut[1]);
    // A pair of surrogates goes as one character.
    const auto pair = FitLabels(dc, L"%s", {L"𠮷𠮷𠮷𠮷𠮷𠮷"}, dc.Width(L"𠮷𠮷..."), false);
    ASSERT_EQ(1u, pair.size());
    EXPECT_FALSE(IS_HIGH_SURROGATE(pair[0][pair[0].GetLength() - 4]));
}

// The from/to line of the progress views: a SysLink in the dialogs' font.
TEST(LinkLine, SysLinkGetsTheFittedTextAndTheFoldersAsLinks) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    MeasuringDC dc;
    HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 720, 800, 340, 30, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, host);
    HWND link = CreateWindowExW(0, WC_LINK, L"", WS_CHILD | WS_VISIBLE, 6, 8, 326, 14, host, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, link);
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(dc.Font()), FALSE);

    const CString source = L"C:\\Users\\山田\\Documents\\2024年度_決算報告書_経理部提出用_最終版のバックアップ";
    const CString destination = L"D:\\共有";
    LinkLine::Fit(link, kFromTo, {source, destination}, true);
    wchar_t text[512] = {};
    GetWindowTextW(link, text, 512);
    const CString shown = text;
    EXPECT_EQ(0, shown.Find(L"<a>2024年度")) << "the folder's own name, cut: " << ::testing::PrintToString(shown);
    EXPECT_GT(shown.Find(L"...</a> から <a>共有</a> へ 1234 個の項目をコピーしています"), 0);
    EXPECT_LE(dc.Width(LinkLine::WithoutLinkTags(shown)), 326);

    for (int i = 0; i < 2; ++i) {
        LITEM item{};
        item.mask = LIF_ITEMINDEX | LIF_URL;
        item.iLink = i;
        ASSERT_TRUE(SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(i == 0 ? source : destination, CString(item.szUrl));
    }
    ShowWindow(host, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(SaveWindowScreenshot(host, L"link-line-fitted"));

    // A path too long for an address: the label shows, the link has no address.
    const CString deep = L"D:\\" + CString(L'x', 2100) + L"\\深い";
    LinkLine::Fit(link, kFromTo, {L"C:\\a", deep}, true);
    LITEM item{};
    item.mask = LIF_ITEMINDEX | LIF_URL;
    item.iLink = 1;
    ASSERT_TRUE(SendMessageW(link, LM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(CString(), CString(item.szUrl));
    GetWindowTextW(link, text, 512);
    EXPECT_EQ(CString(L"<a>a</a> から <a>深い</a> へ 1234 個の項目をコピーしています"), CString(text));

    // More than two folders: the text as it stands.
    LinkLine::Fit(link, L"%s %s %s", {L"C:\\a", L"C:\\b", L"C:\\c"}, false);
    GetWindowTextW(link, text, 512);
    EXPECT_EQ(CString(L"%s %s %s"), CString(text));
    DestroyWindow(host);
}
