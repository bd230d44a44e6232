// Screenshots of every dialog template, filled with the kind of text the program puts
// into them (file names, folders, sizes, times), with the button images drawn as the
// bitmap buttons draw them and the large captions in the font the views give them. For
// people to judge the layout: build/screenshots/<name>.png. Nothing here is compared
// pixel by pixel; a test only fails when a window or a screenshot cannot be made.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "tests/support/Screenshot.h"
#include "tests/ui/GraphSamples.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/CGraphProgressControl.h"
#include "ui/resource.h"

namespace {

// Bitmaps and fonts a screenshot needs, released at the end of the test.
class Resources {
public:
    Resources() = default;
    ~Resources() {
        for (HGDIOBJ o : m_objects) DeleteObject(o);
        for (HICON i : m_icons) DestroyIcon(i);
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;

    HBITMAP Bitmap(int id) {
        HBITMAP b = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
        m_objects.push_back(b);
        return b;
    }
    // The large caption font of the views: the dialog font, as tall as the control less
    // two dialog frames, taken as points.
    HFONT CaptionFont(HWND control) {
        LOGFONTW lf{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
        RECT client;
        GetClientRect(control, &client);
        HDC dc = GetDC(control);
        lf.lfHeight = -MulDiv(client.bottom - 2 * GetSystemMetrics(SM_CYDLGFRAME), GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(control, dc);
        HFONT f = CreateFontIndirectW(&lf);
        m_objects.push_back(f);
        return f;
    }
    // The shell's icon for a kind of file, as the error view shows the item.
    HICON FileIcon(const wchar_t* extension) {
        SHFILEINFOW info{};
        SHGetFileInfoW(extension, FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_ICON | SHGFI_LARGEICON | SHGFI_USEFILEATTRIBUTES);
        HICON icon = info.hIcon ? info.hIcon : CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
        m_icons.push_back(icon);
        return icon;
    }

    // The speed graph of a detailed view; it lets go of its window when the view ends.
    CGraphProgressControl& Graph() {
        m_graphs.push_back(std::make_unique<CGraphProgressControl>());
        return *m_graphs.back();
    }

private:
    std::vector<std::unique_ptr<CGraphProgressControl>> m_graphs;
    std::vector<HGDIOBJ> m_objects;
    std::vector<HICON> m_icons;
};

// The task window's icon, big and small, as the program sets it.
void SetTaskIcon(HWND task) {
    for (int big : {ICON_BIG, ICON_SMALL}) {
        const int size = GetSystemMetrics(big == ICON_BIG ? SM_CXICON : SM_CXSMICON);
        HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SWIFTLET),
                                                   IMAGE_ICON, size, size, LR_SHARED));
        SendMessageW(task, WM_SETICON, big, reinterpret_cast<LPARAM>(icon));
    }
}

void SetText(const TemplateWindow& w, int id, const wchar_t* text) {
    SetDlgItemTextW(w.Dialog(), id, text);
}

// The from/to line, the caption and the two buttons both progress views share.
void FillProgressTop(TemplateWindow& w, Resources& r, const wchar_t* caption, bool paused) {
    SetText(w, IDC_FROM_TO, L"<a>ドキュメント</a> から <a>バックアップ</a> へ 1234 個の項目をコピーしています");
    w.SetItemFont(IDC_PROGRESS_CAPTION, r.CaptionFont(w.Item(IDC_PROGRESS_CAPTION)));
    SetText(w, IDC_PROGRESS_CAPTION, caption);
    w.SetButtonImage(IDC_PAUSE, r.Bitmap(paused ? IDB_RESUME_NORMAL : IDB_PAUSE_NORMAL));
    w.SetButtonImage(IDCANCEL, r.Bitmap(IDB_CANCEL_NORMAL));
}

void FillDetailed(TemplateWindow& w, Resources& r) {
    FillProgressTop(w, r, L"42% 完了", false);
    CGraphProgressControl& graph = r.Graph();
    graph.SubclassWindow(w.Item(IDC_GRAPH));
    FeedSampleCopy(graph, 42);
    SetText(w, IDC_NAME_LINE, L"名前： 2024年度_決算報告書_経理部提出用_最終版（修正済み）_山田.xlsx");
    SetText(w, IDC_TIME_REMAINING, L"残り時間： 約2分5秒");
    SetText(w, IDC_ITEMS_REMAINING, L"残りの項目： 812（1.21GB）");
}

void FillCompact(TemplateWindow& w, Resources& r, bool paused) {
    FillProgressTop(w, r, paused ? L"一時停止 - 42% 完了" : L"42% 完了", paused);
    HWND bar = w.Item(IDC_PROGRESS_BAR);
    SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
    SendMessageW(bar, PBM_SETPOS, 420, 0);
    if (paused) SendMessageW(bar, PBM_SETSTATE, PBST_PAUSED, 0);
}

void Capture(const TemplateWindow& w, HWND window, const wchar_t* name) {
    ASSERT_TRUE(SaveWindowScreenshot(window, name)) << "screenshot " << name;
    RECT r;
    GetWindowRect(window, &r);
    const SIZE s = ScreenshotSize(name);
    EXPECT_EQ(r.right - r.left, s.cx) << name;
    EXPECT_EQ(r.bottom - r.top, s.cy) << name;
    (void)w;
}

}  // namespace

TEST(TemplateScreenshots, TaskWindow) {
    Resources r;
    TemplateWindow w(IDD_TASK_WINDOW);
    ASSERT_NE(nullptr, w.Dialog());
    w.SetButtonImage(IDC_DETAILS_TOGGLE, r.Bitmap(IDB_CHEVRON_NORMAL_COLLAPSED));
    SetTaskIcon(w.Dialog());
    w.Show();
    Capture(w, w.Dialog(), L"task-window");
}

// The task window as it looks with one job: a panel over the list placeholder, indented
// by a scroll bar's width, a light line under it, and the details toggle below.
TEST(TemplateScreenshots, TaskWindowWithOnePanel) {
    for (bool detailed : {false, true}) {
        Resources r;
        TemplateWindow task(IDD_TASK_WINDOW);
        ASSERT_NE(nullptr, task.Dialog());
        const RECT list = task.ItemRect(task.Item(IDC_LIST_PLACEHOLDER));
        TemplateWindow panel(detailed ? IDD_PROGRESS_DETAILED : IDD_PROGRESS_COMPACT, task.Dialog(),
                             POINT{GetSystemMetrics(SM_CXVSCROLL), list.top});
        ASSERT_NE(nullptr, panel.Dialog());
        if (detailed) FillDetailed(panel, r);
        else FillCompact(panel, r, false);
        RECT p;
        GetWindowRect(panel.Dialog(), &p);
        const int grow = (p.bottom - p.top) + 1 - (list.bottom - list.top);
        for (int id : {IDC_DETAILS_TOGGLE, IDC_DETAILS_LABEL}) {
            const RECT c = task.ItemRect(task.Item(id));
            SetWindowPos(task.Item(id), nullptr, c.left, c.top + grow, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        RECT frame;
        GetWindowRect(task.Dialog(), &frame);
        SetWindowPos(task.Dialog(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + grow,
                     SWP_NOMOVE | SWP_NOZORDER);
        task.SetButtonImage(IDC_DETAILS_TOGGLE,
                            r.Bitmap(detailed ? IDB_CHEVRON_NORMAL_EXPANDED : IDB_CHEVRON_NORMAL_COLLAPSED));
        SetDlgItemTextW(task.Dialog(), IDC_DETAILS_LABEL, detailed ? L"詳細情報の非表示" : L"詳細情報");
        SetWindowTextW(task.Dialog(), L"42% 完了");
        SetTaskIcon(task.Dialog());
        panel.Show();
        task.Show();
        Capture(task, task.Dialog(), detailed ? L"task-window-detailed" : L"task-window-compact");
    }
}

TEST(TemplateScreenshots, ProgressViews) {
    Resources r;
    {
        TemplateWindow w(IDD_PROGRESS_DETAILED);
        ASSERT_NE(nullptr, w.Dialog());
        FillDetailed(w, r);
        w.Show();
        Capture(w, w.Dialog(), L"progress-detailed");
    }
    for (bool paused : {false, true}) {
        TemplateWindow w(IDD_PROGRESS_COMPACT);
        ASSERT_NE(nullptr, w.Dialog());
        FillCompact(w, r, paused);
        w.Show();
        Capture(w, w.Dialog(), paused ? L"progress-compact-paused" : L"progress-compact");
    }
}

TEST(TemplateScreenshots, OverwriteFile) {
    TemplateWindow w(IDD_OVERWRITE_FILE);
    ASSERT_NE(nullptr, w.Dialog());
    SendDlgItemMessageW(w.Dialog(), IDC_QUESTION_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_WARNING)), 0);
    SetText(w, IDC_EXISTING_NAME, L"名前： 2024年度_決算報告書_経理部提出用_最終版（修正済み）.xlsx");
    SetText(w, IDC_EXISTING_FOLDER, L"場所： D:\\バックアップ\\経理部\\2024年度\\決算資料\\提出済み\\最終版");
    SetText(w, IDC_EXISTING_SIZE, L"サイズ： 1.18MB");
    SetText(w, IDC_EXISTING_MODIFIED, L"更新日時： 2024/03/14 9:05");
    SetText(w, IDC_NEW_NAME, L"名前： 2024年度_決算報告書_経理部提出用_最終版（修正済み）.xlsx");
    SetText(w, IDC_NEW_FOLDER, L"場所： C:\\Users\\山田\\Documents\\経理部\\2024年度\\決算資料\\提出済み\\最終版");
    SetText(w, IDC_NEW_SIZE, L"サイズ： 1.21MB");
    SetText(w, IDC_NEW_MODIFIED, L"更新日時： 2024/03/15 14:32");
    w.Show();
    Capture(w, w.Dialog(), L"overwrite-file");
}

TEST(TemplateScreenshots, Message) {
    TemplateWindow w(IDD_MESSAGE);
    ASSERT_NE(nullptr, w.Dialog());
    SetText(w, IDC_MESSAGE_TEXT,
            L"C:\\Users\\山田\\Documents\\経理部\r\n\r\n受け側のフォルダーは、送り側フォルダーのサブフォルダーです。");
    w.Show();
    Capture(w, w.Dialog(), L"message");
}

TEST(TemplateScreenshots, ErrorQuestion) {
    Resources r;
    TemplateWindow w(IDD_ERROR_QUESTION);
    ASSERT_NE(nullptr, w.Dialog());
    SetText(w, IDC_ERROR_TEXT, L"別のプロセスがこのファイルを使用しているため、プロセスはファイルにアクセスできません。");
    SetText(w, IDC_ERROR_NOTE, L"ファイルを閉じてから再試行してください。");
    w.SetStaticIcon(IDC_ITEM_IMAGE, r.FileIcon(L".txt"));
    SetText(w, IDC_INFO_LINE1, L"決算報告書_最終版.txt");
    SetText(w, IDC_INFO_LINE2, L"種類： テキスト ドキュメント");
    SetText(w, IDC_INFO_LINE3, L"サイズ： 12.4KB");
    SetText(w, IDC_INFO_LINE4, L"更新日時： 2024/03/15 14:32");
    w.Show();
    Capture(w, w.Dialog(), L"error-question");
}

TEST(TemplateScreenshots, OverwriteFiles) {
    Resources r;
    TemplateWindow w(IDD_OVERWRITE_FILES);
    ASSERT_NE(nullptr, w.Dialog());
    SetText(w, IDC_CONFLICT_FROM_TO, L"<a>ドキュメント</a> から <a>バックアップ</a> へ 24 個の項目をコピーしています");
    w.SetItemFont(IDC_CONFLICT_HEADING, r.CaptionFont(w.Item(IDC_CONFLICT_HEADING)));
    SetText(w, IDC_CONFLICT_HEADING, L"宛先には同じ名前のファイルが12個存在します");
    SetText(w, IDC_REPLACE_LINK, L"宛先のフォルダーにある複数のファイルを置き換える(&R)");
    SetText(w, IDC_SKIP_LINK, L"これらの複数のファイルをスキップする(&S)");
    SetText(w, IDC_CHOOSE_LINK, L"宛先のフォルダーに保存する複数のファイルを選択する(&C)");
    w.Show();
    Capture(w, w.Dialog(), L"overwrite-files");
}

TEST(TemplateScreenshots, ChooseFiles) {
    TemplateWindow w(IDD_CHOOSE_FILES);
    ASSERT_NE(nullptr, w.Dialog());
    SetWindowTextW(w.Dialog(), L"12 ファイルの競合");
    SetText(w, IDC_NEW_FILES_CHECK, L"ドキュメントのファイル(&F)");
    // The program shortens the folder's name until the line fits.
    SetText(w, IDC_EXISTING_FILES_CHECK, L"バッ...に既に存在するファイル(&A)");
    SetText(w, IDC_SKIP_SAME_FILES, L"日付とサイズが同じ3ファイルをスキップする(&S)");
    w.Show();
    Capture(w, w.Dialog(), L"choose-files");
}
