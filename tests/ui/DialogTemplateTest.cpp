// The dialog templates of Swiftlet: each one exactly as the program's classes expect it
// (dialog units, styles, ids, classes, texts, font), each one loads with plain Win32,
// its Japanese text has glyphs in the font it gets, and no fixed text is cut off.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/DialogTemplateReader.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/resource.h"

namespace {

enum : unsigned { kHidden = 1, kDisabled = 2, kBorder = 4, kMultiline = 8 };

struct ControlSpec {
    int id;
    const wchar_t* className;
    short x, y, cx, cy;
    DWORD type;  // button type (BS_...) or static type and ellipsis (SS_...); 0 for others
    unsigned flags;
    const wchar_t* text;
};

struct TemplateSpec {
    int id;
    DWORD style;  // the frame and kind bits (popup or child, caption, borders, boxes)
    DWORD exStyle;
    short cx, cy;
    const wchar_t* caption;
    std::vector<ControlSpec> controls;
};

const wchar_t kGraph[] = L"" SWIFTLET_GRAPH_CLASS;
const DWORD kView = WS_CHILD | DS_SETFONT;

const TemplateSpec kTemplates[] = {
    {IDD_TASK_WINDOW, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | DS_SETFONT,
     WS_EX_APPWINDOW, 250, 61, L"Swiftlet",
     {
         {IDC_BANNER, L"Static", 0, 0, 250, 27, SS_BITMAP, 0, L"#133"},
         {IDC_LIST_PLACEHOLDER, L"Static", 0, 27, 251, 8, SS_BLACKFRAME, kHidden | kDisabled, L""},
         {IDC_DETAILS_TOGGLE, L"Button", 16, 40, 11, 14, BS_PUSHBUTTON, 0, L""},
         {IDC_DETAILS_LABEL, L"Static", 31, 43, 79, 8, SS_LEFT, 0, L"詳細情報"},
     }},
    {IDD_PROGRESS_DETAILED, kView, 0, 231, 132, L"",
     {
         {IDC_FROM_TO, L"SysLink", 7, 7, 217, 8, 0, 0, L""},
         {IDC_PROGRESS_CAPTION, L"Static", 7, 21, 169, 12, SS_LEFT, 0, L""},
         {IDC_PAUSE, L"Button", 197, 22, 10, 11, BS_PUSHBUTTON, 0, L"一時停止"},
         {IDCANCEL, L"Button", 214, 22, 10, 11, BS_PUSHBUTTON, 0, L"キャンセル"},
         {IDC_GRAPH, kGraph, 7, 37, 217, 49, 0, 0, L""},
         {IDC_NAME_LINE, L"Static", 7, 93, 217, 8, SS_LEFT | SS_ENDELLIPSIS, 0, L""},
         {IDC_TIME_REMAINING, L"Static", 7, 105, 217, 8, SS_LEFT, 0, L""},
         {IDC_ITEMS_REMAINING, L"Static", 7, 117, 217, 8, SS_LEFT, 0, L""},
     }},
    {IDD_OVERWRITE_FILE, kView, 0, 231, 180, L"",
     {
         {IDC_QUESTION_ICON, L"Static", 7, 7, 20, 20, SS_ICON, 0, L""},
         {IDC_STATIC, L"Static", 30, 7, 194, 8, SS_LEFT, 0, L"この場所には同じ名前のファイルが既にあります。"},
         {IDC_STATIC, L"Static", 30, 22, 194, 8, SS_LEFT, 0, L"このファイル"},
         {IDC_EXISTING_NAME, L"Static", 37, 37, 187, 8, SS_LEFT | SS_ENDELLIPSIS, 0, L""},
         {IDC_EXISTING_FOLDER, L"Static", 37, 47, 187, 8, SS_LEFT | SS_PATHELLIPSIS, 0, L""},
         {IDC_EXISTING_SIZE, L"Static", 37, 57, 187, 8, SS_LEFT, 0, L""},
         {IDC_EXISTING_MODIFIED, L"Static", 37, 67, 187, 8, SS_LEFT, 0, L""},
         {IDC_STATIC, L"Static", 30, 82, 194, 8, SS_LEFT, 0, L"を次のファイルで上書きしますか？"},
         {IDC_NEW_NAME, L"Static", 37, 97, 187, 8, SS_LEFT | SS_ENDELLIPSIS, 0, L""},
         {IDC_NEW_FOLDER, L"Static", 37, 107, 187, 8, SS_LEFT | SS_PATHELLIPSIS, 0, L""},
         {IDC_NEW_SIZE, L"Static", 37, 117, 187, 8, SS_LEFT | SS_ENDELLIPSIS, 0, L""},
         {IDC_NEW_MODIFIED, L"Static", 37, 127, 187, 8, SS_LEFT, 0, L""},
         {IDC_YES, L"Button", 61, 143, 50, 14, BS_DEFPUSHBUTTON, 0, L"はい(&Y)"},
         {IDC_SKIP, L"Button", 118, 143, 50, 14, BS_PUSHBUTTON, 0, L"スキップ(&S)"},
         {IDCANCEL, L"Button", 174, 143, 50, 14, BS_PUSHBUTTON, 0, L"キャンセル"},
         {IDC_APPLY_TO_ALL, L"Button", 30, 163, 194, 10, BS_AUTOCHECKBOX, 0, L"すべての項目にこれを実行する(&A)"},
     }},
    {IDD_MESSAGE, kView, 0, 231, 67, L"",
     {
         {IDC_QUESTION_ICON, L"Static", 7, 7, 18, 21, SS_ICON, 0, L""},
         {IDC_MESSAGE_TEXT, L"Static", 30, 7, 194, 32, SS_LEFT, 0, L""},
         {IDOK, L"Button", 174, 46, 50, 14, BS_DEFPUSHBUTTON, 0, L"OK"},
     }},
    {IDD_PROGRESS_COMPACT, kView, 0, 231, 53, L"",
     {
         {IDC_FROM_TO, L"SysLink", 7, 7, 217, 8, 0, 0, L""},
         {IDC_PROGRESS_CAPTION, L"Static", 7, 21, 169, 12, SS_LEFT, 0, L""},
         {IDC_PAUSE, L"Button", 200, 22, 10, 11, BS_PUSHBUTTON, 0, L"一時停止"},
         {IDCANCEL, L"Button", 214, 22, 10, 11, BS_PUSHBUTTON, 0, L"キャンセル"},
         {IDC_PROGRESS_BAR, L"msctls_progress32", 7, 37, 217, 9, 0, kBorder, L""},
     }},
    {IDD_ERROR_QUESTION, kView, 0, 231, 124, L"",
     {
         {IDC_ERROR_TEXT, L"Static", 7, 7, 217, 16, SS_LEFT, 0, L""},
         {IDC_ERROR_NOTE, L"Static", 7, 27, 217, 8, SS_LEFT, 0, L""},
         {IDC_ITEM_IMAGE, L"Static", 7, 39, 37, 43, SS_OWNERDRAW, 0, L""},
         {IDC_INFO_LINE1, L"Static", 48, 39, 176, 8, SS_LEFT, 0, L""},
         {IDC_INFO_LINE2, L"Static", 48, 49, 176, 8, SS_LEFT, 0, L""},
         {IDC_INFO_LINE3, L"Static", 48, 59, 176, 8, SS_LEFT, 0, L""},
         {IDC_INFO_LINE4, L"Static", 48, 69, 176, 8, SS_LEFT, 0, L""},
         {IDC_INFO_LINE5, L"Static", 48, 79, 176, 8, SS_LEFT, 0, L""},
         {IDC_APPLY_TO_ALL, L"Button", 7, 89, 194, 10, BS_AUTOCHECKBOX, 0, L"すべての項目にこれを実行する(&A)"},
         {IDC_MAIN_ACTION, L"Button", 66, 103, 50, 14, BS_PUSHBUTTON, 0, L"再試行(&R)"},
         {IDC_SKIP, L"Button", 120, 103, 50, 14, BS_PUSHBUTTON, 0, L"スキップ(&S)"},
         {IDCANCEL, L"Button", 174, 103, 50, 14, BS_PUSHBUTTON, 0, L"キャンセル"},
     }},
    {IDD_OVERWRITE_FILES, kView, 0, 231, 131, L"",
     {
         {IDC_CONFLICT_FROM_TO, L"SysLink", 7, 7, 217, 8, 0, 0, L""},
         {IDC_CONFLICT_HEADING, L"Static", 7, 22, 217, 12, SS_LEFT, 0, L""},
         {IDC_REPLACE_LINK, L"Button", 7, 41, 217, 25, BS_DEFCOMMANDLINK, 0, L"宛先のフォルダーにあるファイルを置き換える(&R)"},
         {IDC_SKIP_LINK, L"Button", 7, 67, 217, 25, BS_COMMANDLINK, 0, L"このファイルをスキップする(&S)"},
         {IDC_CHOOSE_LINK, L"Button", 7, 93, 217, 31, BS_COMMANDLINK, 0, L"宛先のフォルダーに保存するファイルを選択する(&C)"},
     }},
    {IDD_CHOOSE_FILES, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0, 270, 276,
     L"ファイルの競合",
     {
         {IDC_STATIC, L"Static", 9, 7, 252, 8, SS_LEFT, 0, L"どのファイルを保存しますか？"},
         {IDC_STATIC, L"Static", 9, 17, 252, 16, SS_LEFT, 0,
          L"両方のバージョンを選択すると、コピーされたファイルの名前に番号が追加されます。"},
         {IDC_NEW_FILES_CHECK, L"Button", 9, 34, 119, 10, BS_AUTO3STATE, 0, L"コピー元のファイル(&F)"},
         {IDC_EXISTING_FILES_CHECK, L"Button", 135, 34, 119, 10, BS_AUTO3STATE, 0, L"宛先に既に存在するファイル(&A)"},
         {IDC_FILE_LIST_PLACEHOLDER, L"Static", 0, 51, 270, 197, SS_BLACKFRAME, kHidden | kDisabled, L""},
         {IDC_SKIP_SAME_FILES, L"Button", 9, 253, 143, 18, BS_AUTOCHECKBOX, kMultiline,
          L"日付とサイズが同じファイルをスキップする(&S)"},
         {IDC_CONTINUE, L"Button", 156, 255, 50, 14, BS_PUSHBUTTON, 0, L"続行(&O)"},
         {IDCANCEL, L"Button", 213, 255, 50, 14, BS_PUSHBUTTON, 0, L"キャンセル(&C)"},
     }},
};

const DWORD kFrameBits = WS_POPUP | WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX |
                         WS_MAXIMIZEBOX | WS_VISIBLE | WS_DISABLED | DS_MODALFRAME | DS_SETFONT | DS_CONTROL;

// Class names compare without case, as the system compares them (the resource
// compiler writes some predefined ones in capitals).
bool SameClass(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

DWORD TypeBits(const std::wstring& className, DWORD style) {
    if (SameClass(className, L"Button")) return style & BS_TYPEMASK;
    if (SameClass(className, L"Static")) return style & (SS_TYPEMASK | SS_ELLIPSISMASK);
    return 0;
}

std::wstring ClassOf(HWND w) {
    wchar_t name[128] = {};
    GetClassNameW(w, name, 128);
    return name;
}

std::wstring TextOf(HWND w) {
    wchar_t text[512] = {};
    GetWindowTextW(w, text, 512);
    return text;
}

// The windows of a dialog in creation order, which is the template's order.
std::vector<HWND> Children(HWND dialog) {
    std::vector<HWND> all;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all.push_back(c);
    return all;
}

class DialogTemplates : public ::testing::TestWithParam<TemplateSpec> {};

std::string NameOf(const ::testing::TestParamInfo<TemplateSpec>& info) {
    return "Template" + std::to_string(info.param.id);
}

}  // namespace

TEST_P(DialogTemplates, ResourceHoldsTheLayoutStylesAndTexts) {
    const TemplateSpec& layout = GetParam();
    DialogTemplate t;
    ASSERT_TRUE(ReadDialogTemplate(GetModuleHandleW(nullptr), layout.id, t));
    EXPECT_EQ(layout.style, t.style & kFrameBits);
    EXPECT_EQ(layout.exStyle, t.exStyle);
    EXPECT_EQ(0, t.x);
    EXPECT_EQ(0, t.y);
    EXPECT_EQ(layout.cx, t.cx);
    EXPECT_EQ(layout.cy, t.cy);
    EXPECT_EQ(std::wstring(layout.caption), t.caption);
    EXPECT_EQ(9, t.pointSize);
    EXPECT_EQ(FW_NORMAL, t.weight);
    EXPECT_EQ(0, t.italic);
    EXPECT_EQ(SHIFTJIS_CHARSET, t.charset);
    EXPECT_EQ(std::wstring(L"MS UI Gothic"), t.typeface);

    ASSERT_EQ(layout.controls.size(), t.items.size());
    for (size_t i = 0; i < t.items.size(); ++i) {
        const ControlSpec& want = layout.controls[i];
        const DialogItemTemplate& got = t.items[i];
        SCOPED_TRACE("control " + std::to_string(want.id) + " (item " + std::to_string(i) + ")");
        EXPECT_EQ(want.id, got.id);
        EXPECT_TRUE(SameClass(want.className, got.className)) << ::testing::PrintToString(got.className);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
        EXPECT_EQ(want.type, TypeBits(got.className, got.style));
        EXPECT_EQ((want.flags & kHidden) == 0, (got.style & WS_VISIBLE) != 0);
        EXPECT_EQ((want.flags & kDisabled) != 0, (got.style & WS_DISABLED) != 0);
        EXPECT_EQ((want.flags & kBorder) != 0, (got.style & WS_BORDER) != 0);
        EXPECT_EQ((want.flags & kMultiline) != 0, (got.style & BS_MULTILINE) != 0 && SameClass(got.className, L"Button"));
        EXPECT_EQ(std::wstring(want.text), got.text);
    }
}

TEST_P(DialogTemplates, LoadsWithEveryControlOfItsClassAndText) {
    const TemplateSpec& layout = GetParam();
    TemplateWindow w(layout.id);
    ASSERT_NE(nullptr, w.Dialog()) << GetLastError();
    EXPECT_EQ(std::wstring(layout.caption), TextOf(w.Dialog()));
    RECT client;
    GetClientRect(w.Dialog(), &client);
    const RECT size = w.Pixels(0, 0, layout.cx, layout.cy);
    EXPECT_EQ(size.right, client.right);
    EXPECT_EQ(size.bottom, client.bottom);

    const std::vector<HWND> children = Children(w.Dialog());
    ASSERT_EQ(layout.controls.size(), children.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ControlSpec& want = layout.controls[i];
        HWND c = children[i];
        SCOPED_TRACE("control " + std::to_string(want.id) + " (item " + std::to_string(i) + ")");
        EXPECT_EQ(want.id, GetDlgCtrlID(c));
        if (want.id != IDC_STATIC) {
            EXPECT_EQ(c, w.Item(want.id));
        }
        EXPECT_EQ(std::wstring(want.className), ClassOf(c));
        if (want.text[0] != L'#') {
            // Read back as the program reads it: the exact code units.
            wchar_t text[512] = {};
            const UINT n = want.id == IDC_STATIC ? GetWindowTextW(c, text, 512)
                                                 : GetDlgItemTextW(w.Dialog(), want.id, text, 512);
            EXPECT_EQ(wcslen(want.text), n);
            EXPECT_EQ(std::wstring(want.text), std::wstring(text, n));
        }
        EXPECT_EQ((want.flags & kHidden) == 0, (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE) != 0);
        EXPECT_EQ((want.flags & kDisabled) == 0, IsWindowEnabled(c) != FALSE);
        const RECT at = w.ItemRect(c);
        const RECT planned = w.Pixels(want.x, want.y, want.cx, want.cy);
        EXPECT_EQ(planned.left, at.left);
        EXPECT_EQ(planned.top, at.top);
        EXPECT_EQ(planned.right, at.right);
        EXPECT_EQ(planned.bottom, at.bottom);
    }
}

// Under Wine the dialog font comes through the font substitutes; without a Japanese
// face every text of these dialogs would be boxes.
TEST_P(DialogTemplates, FontHasGlyphsForEveryJapaneseText) {
    const TemplateSpec& layout = GetParam();
    TemplateWindow w(layout.id);
    ASSERT_NE(nullptr, w.Dialog());
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(w.Dialog(), WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, font);
    LOGFONTW lf{};
    ASSERT_NE(0, GetObjectW(font, sizeof lf, &lf));
    EXPECT_STREQ(L"MS UI Gothic", lf.lfFaceName);
    HDC dc = GetDC(w.Dialog());
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_EQ(SHIFTJIS_CHARSET, GetTextCharset(dc));
    std::wstring texts = layout.caption;
    for (const ControlSpec& c : layout.controls) texts += c.text;
    // And the texts the program puts into these dialogs.
    texts += L"詳細情報の非表示名前：場所：サイズ：更新日時：残り時間：約分秒残りの項目：完了一時停止しています";
    std::vector<WORD> glyphs(texts.size());
    ASSERT_NE(GDI_ERROR, GetGlyphIndicesW(dc, texts.c_str(), static_cast<int>(texts.size()), glyphs.data(),
                                          GGI_MARK_NONEXISTING_GLYPHS));
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_NE(0xFFFF, glyphs[i]) << "no glyph for U+" << std::hex << static_cast<unsigned>(texts[i]);
    }
    SelectObject(dc, old);
    ReleaseDC(w.Dialog(), dc);
}

INSTANTIATE_TEST_SUITE_P(Swiftlet, DialogTemplates, ::testing::ValuesIn(kTemplates), NameOf);

// --- nothing cut off ---

namespace {

// How much wider or taller than its control a text is drawn (0 when it fits), measured
// in the control's font the way the control lays it out.
struct Overflow {
    int cx = 0;
    int cy = 0;
};

Overflow MeasureOverflow(HWND control, const std::wstring& text) {
    RECT client;
    GetClientRect(control, &client);
    const std::wstring cls = ClassOf(control);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const DWORD type = style & BS_TYPEMASK;
    Overflow o;
    if (cls == L"Button" && (type == BS_COMMANDLINK || type == BS_DEFCOMMANDLINK)) {
        // A command link knows the height its text needs at its width.
        const std::wstring before = TextOf(control);
        SetWindowTextW(control, text.c_str());
        SIZE ideal{client.right, 0};
        SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal));
        SetWindowTextW(control, before.c_str());
        o.cy = std::max(0L, ideal.cy - client.bottom);
        return o;
    }
    int room = client.right;
    UINT format = DT_CALCRECT;
    if (cls == L"Static") {
        format |= DT_WORDBREAK;  // a plain static wraps its text
    } else {
        if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE) {
            room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the box and the gap after it
        } else {
            room -= 2 * GetSystemMetrics(SM_CXEDGE) + 4;  // the raised edge and the focus frame
        }
        format |= (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
    }
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, room, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, format);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    o.cx = std::max(0L, r.right - room);
    o.cy = std::max(0L, r.bottom - client.bottom);
    return o;
}

struct PlacedText {
    int dialog;
    int control;  // IDC_STATIC: every unnamed static of the dialog
    const wchar_t* text;  // null: the template's own text
};

// Fixed texts of the templates, and the longest texts the program puts into controls
// that wrap nothing and cannot grow.
const PlacedText kTexts[] = {
    {IDD_TASK_WINDOW, IDC_DETAILS_LABEL, L"詳細情報の非表示"},
    {IDD_OVERWRITE_FILE, IDC_STATIC, nullptr},
    {IDD_OVERWRITE_FILE, IDC_YES, nullptr},
    {IDD_OVERWRITE_FILE, IDC_SKIP, nullptr},
    {IDD_OVERWRITE_FILE, IDCANCEL, nullptr},
    {IDD_OVERWRITE_FILE, IDC_APPLY_TO_ALL, nullptr},
    {IDD_MESSAGE, IDOK, nullptr},
    // A report: the item's path, a blank line and an error text of two lines.
    {IDD_MESSAGE, IDC_MESSAGE_TEXT,
     L"C:\\Users\\山田\\Documents\\経理部\r\n\r\n"
     L"別のプロセスがこのファイルを使用しているため、プロセスはファイルにアクセスできません。"},
    {IDD_ERROR_QUESTION, IDC_APPLY_TO_ALL, nullptr},
    {IDD_ERROR_QUESTION, IDC_MAIN_ACTION, L"再試行(&R)"},
    {IDD_ERROR_QUESTION, IDC_MAIN_ACTION, L"続行(&C)"},
    {IDD_ERROR_QUESTION, IDC_MAIN_ACTION, L"はい(&Y)"},
    {IDD_ERROR_QUESTION, IDC_SKIP, nullptr},
    {IDD_ERROR_QUESTION, IDCANCEL, nullptr},
    {IDD_ERROR_QUESTION, IDC_ERROR_NOTE, L"ファイルを閉じてから再試行してください。"},
    {IDD_ERROR_QUESTION, IDC_ERROR_NOTE, L"暗号化をサポートしていない宛先に、フォルダーを移動します。"},
    {IDD_ERROR_QUESTION, IDC_ERROR_TEXT,
     L"指定されたフォルダー名と同じ名前のファイルが既に存在します。別の名前を指定してください。"},
    {IDD_ERROR_QUESTION, IDC_ERROR_TEXT, L"コピーを続行するには管理者のアクセス許可を提供する必要があります。"},
    {IDD_OVERWRITE_FILES, IDC_REPLACE_LINK, L"宛先のフォルダーにある複数のファイルを置き換える(&R)"},
    {IDD_OVERWRITE_FILES, IDC_SKIP_LINK, L"これらの複数のファイルをスキップする(&S)"},
    {IDD_OVERWRITE_FILES, IDC_CHOOSE_LINK, L"宛先のフォルダーに保存する複数のファイルを選択する(&C)"},
    {IDD_CHOOSE_FILES, IDC_STATIC, nullptr},
    {IDD_CHOOSE_FILES, IDC_SKIP_SAME_FILES, L"日付とサイズが同じ9999ファイルをスキップする(&S)"},
    {IDD_CHOOSE_FILES, IDC_CONTINUE, nullptr},
    {IDD_CHOOSE_FILES, IDCANCEL, nullptr},
};

}  // namespace

TEST(DialogTemplateTexts, FixedTextsFitTheirControls) {
    for (const PlacedText& p : kTexts) {
        TemplateWindow w(p.dialog);
        ASSERT_NE(nullptr, w.Dialog()) << p.dialog;
        for (HWND c : Children(w.Dialog())) {
            if (GetDlgCtrlID(c) != p.control) continue;
            const std::wstring text = p.text ? p.text : TextOf(c);
            const Overflow o = MeasureOverflow(c, text);
            EXPECT_EQ(0, o.cx) << p.dialog << "/" << p.control << " is " << o.cx << " px too narrow for "
                               << ::testing::PrintToString(text);
            EXPECT_EQ(0, o.cy) << p.dialog << "/" << p.control << " is " << o.cy << " px too low for "
                               << ::testing::PrintToString(text);
        }
    }
}
