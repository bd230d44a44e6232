// The program's images: every bitmap and the icon load, at the size of the control
// that shows them, and the button images are drawn the way the buttons use them
// (white is transparent; hover, pressed and disabled look like what they are; the
// chevron points the right way for each status). A sheet of all of them, enlarged, is
// saved for people to look at.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "tests/support/Screenshot.h"
#include "tests/ui/TemplateWindow.h"
#include "ui/resource.h"

namespace {

enum class Kind { Banner, Chevron, Button };

struct Art {
    int id;
    Kind kind;
    const wchar_t* label;  // for the sheet
};

const Art kArt[] = {
    {IDB_BANNER, Kind::Banner, L"バナー"},
    {IDB_CHEVRON_NORMAL_COLLAPSED, Kind::Chevron, L"詳細▼ 通常"},
    {IDB_CHEVRON_PRESSED_COLLAPSED, Kind::Chevron, L"詳細▼ 押下"},
    {IDB_CHEVRON_HOT_COLLAPSED, Kind::Chevron, L"詳細▼ ホット"},
    {IDB_CHEVRON_DISABLED_COLLAPSED, Kind::Chevron, L"詳細▼ 無効"},
    {IDB_CHEVRON_NORMAL_EXPANDED, Kind::Chevron, L"詳細▲ 通常"},
    {IDB_CHEVRON_PRESSED_EXPANDED, Kind::Chevron, L"詳細▲ 押下"},
    {IDB_CHEVRON_HOT_EXPANDED, Kind::Chevron, L"詳細▲ ホット"},
    {IDB_CHEVRON_DISABLED_EXPANDED, Kind::Chevron, L"詳細▲ 無効"},
    {IDB_CANCEL_NORMAL, Kind::Button, L"取消 通常"},
    {IDB_CANCEL_DISABLED, Kind::Button, L"取消 無効"},
    {IDB_CANCEL_PRESSED, Kind::Button, L"取消 押下"},
    {IDB_CANCEL_HOVER, Kind::Button, L"取消 ホバー"},
    {IDB_PAUSE_NORMAL, Kind::Button, L"一時停止 通常"},
    {IDB_PAUSE_DISABLED, Kind::Button, L"一時停止 無効"},
    {IDB_PAUSE_PRESSED, Kind::Button, L"一時停止 押下"},
    {IDB_PAUSE_HOVER, Kind::Button, L"一時停止 ホバー"},
    {IDB_RESUME_NORMAL, Kind::Button, L"再開 通常"},
    {IDB_RESUME_DISABLED, Kind::Button, L"再開 無効"},
    {IDB_RESUME_PRESSED, Kind::Button, L"再開 押下"},
    {IDB_RESUME_HOVER, Kind::Button, L"再開 ホバー"},
};

// The four images of one look of a button: normal, pressed, hover (hot), disabled.
struct States {
    int normal, pressed, hover, disabled;
};
const States kButtonStates[] = {
    {IDB_CANCEL_NORMAL, IDB_CANCEL_PRESSED, IDB_CANCEL_HOVER, IDB_CANCEL_DISABLED},
    {IDB_PAUSE_NORMAL, IDB_PAUSE_PRESSED, IDB_PAUSE_HOVER, IDB_PAUSE_DISABLED},
    {IDB_RESUME_NORMAL, IDB_RESUME_PRESSED, IDB_RESUME_HOVER, IDB_RESUME_DISABLED},
    {IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_PRESSED_COLLAPSED, IDB_CHEVRON_HOT_COLLAPSED,
     IDB_CHEVRON_DISABLED_COLLAPSED},
    {IDB_CHEVRON_NORMAL_EXPANDED, IDB_CHEVRON_PRESSED_EXPANDED, IDB_CHEVRON_HOT_EXPANDED,
     IDB_CHEVRON_DISABLED_EXPANDED},
};

const COLORREF kWhite = RGB(255, 255, 255);  // the transparent colour the buttons pass

HBITMAP LoadArt(int id) {
    return static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
}

// An image's pixels, top row first.
class Pixels {
public:
    explicit Pixels(int id) {
        HBITMAP bitmap = LoadArt(id);
        BITMAP bm{};
        if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm)) return;
        m_width = bm.bmWidth;
        m_height = bm.bmHeight;
        m_bitsPerPixel = bm.bmBitsPixel;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), m_width, -m_height, 1, 32, BI_RGB};
        m_bgra.resize(static_cast<size_t>(m_width) * m_height);
        HDC dc = GetDC(nullptr);
        GetDIBits(dc, bitmap, 0, m_height, m_bgra.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, dc);
        DeleteObject(bitmap);
    }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int BitsPerPixel() const { return m_bitsPerPixel; }
    COLORREF At(int x, int y) const {
        const DWORD v = m_bgra[static_cast<size_t>(y) * m_width + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    static int Luminance(COLORREF c) { return (GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11) / 100; }
    // Pixels that are not a grey: the accent or the red of cancel.
    int CountTinted() const {
        int n = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                const COLORREF c = At(x, y);
                const int hi = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
                const int lo = std::min({GetRValue(c), GetGValue(c), GetBValue(c)});
                n += hi - lo > 8;
            }
        }
        return n;
    }
    int Darkest() const {
        int d = 255;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) d = std::min(d, Luminance(At(x, y)));
        return d;
    }
    double MeanLuminance() const {
        double sum = 0;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) sum += Luminance(At(x, y));
        return sum / (m_width * m_height);
    }
    // The row of the darkest pixel of column x between rows y0 and y1.
    int DarkestRow(int x, int y0, int y1) const {
        int best = y0;
        for (int y = y0; y <= y1; ++y)
            if (Luminance(At(x, y)) < Luminance(At(x, best))) best = y;
        return best;
    }

private:
    int m_width = 0;
    int m_height = 0;
    int m_bitsPerPixel = 0;
    std::vector<DWORD> m_bgra;
};

// The pixel size of a control of a template, as the dialog manager lays it out here.
SIZE ControlSize(int dialog, int x, int y, int cx, int cy) {
    TemplateWindow w(dialog);
    const RECT r = w.Pixels(x, y, cx, cy);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

// The bitmap buttons take the size of their first image and the banner's static the size
// of its bitmap, so each image is as large as its control in the template: 10 x 11 dialog
// units for pause and cancel, 11 x 14 for the chevron, 250 x 27 for the banner.
TEST(Artwork, BitmapsLoadAtTheSizeOfTheirControls) {
    const SIZE banner = ControlSize(IDD_TASK_WINDOW, 0, 0, 250, 27);
    const SIZE chevron = ControlSize(IDD_TASK_WINDOW, 16, 40, 11, 14);
    const SIZE button = ControlSize(IDD_PROGRESS_DETAILED, 214, 22, 10, 11);
    EXPECT_EQ(button.cx, ControlSize(IDD_PROGRESS_COMPACT, 214, 22, 10, 11).cx);
    for (const Art& a : kArt) {
        SCOPED_TRACE(a.id);
        const Pixels p(a.id);
        const SIZE want = a.kind == Kind::Banner ? banner : a.kind == Kind::Chevron ? chevron : button;
        EXPECT_EQ(want.cx, p.Width());
        EXPECT_EQ(want.cy, p.Height());
        EXPECT_EQ(24, p.BitsPerPixel());
        HBITMAP plain = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(a.id));
        EXPECT_NE(nullptr, plain);
        if (plain) DeleteObject(plain);
    }
}

TEST(Artwork, ButtonImagesAreWhiteWhereTheWindowShowsThrough) {
    for (const Art& a : kArt) {
        if (a.kind == Kind::Banner) continue;
        SCOPED_TRACE(a.id);
        const Pixels p(a.id);
        ASSERT_GT(p.Width(), 0);
        const int w = p.Width(), h = p.Height();
        EXPECT_EQ(kWhite, p.At(0, 0));
        EXPECT_EQ(kWhite, p.At(w - 1, 0));
        EXPECT_EQ(kWhite, p.At(0, h - 1));
        EXPECT_EQ(kWhite, p.At(w - 1, h - 1));
        EXPECT_LT(p.Darkest(), 215) << "no glyph";
    }
    // Normal and disabled images have no background of their own: their outer rows are
    // transparent all along.
    for (const States& s : kButtonStates) {
        for (int id : {s.normal, s.disabled}) {
            const Pixels p(id);
            for (int x = 0; x < p.Width(); ++x) {
                EXPECT_EQ(kWhite, p.At(x, 0)) << id;
                EXPECT_EQ(kWhite, p.At(x, p.Height() - 1)) << id;
            }
        }
    }
}

TEST(Artwork, EachStateLooksLikeWhatItIs) {
    for (const States& s : kButtonStates) {
        SCOPED_TRACE(s.normal);
        const Pixels normal(s.normal), pressed(s.pressed), hover(s.hover), disabled(s.disabled);
        // At rest a button is grey; under the mouse and pressed it takes a tinted
        // background, pressed the deeper one.
        EXPECT_EQ(0, normal.CountTinted());
        EXPECT_EQ(0, disabled.CountTinted());
        EXPECT_GT(hover.CountTinted(), hover.Width() * hover.Height() / 3);
        EXPECT_GT(pressed.CountTinted(), pressed.Width() * pressed.Height() / 3);
        EXPECT_LT(pressed.MeanLuminance(), hover.MeanLuminance());
        // A disabled glyph is fainter than a normal one.
        EXPECT_GT(disabled.Darkest(), normal.Darkest() + 60);
    }
}

// Status 0 of the details toggle is "details hidden": its chevron points down, so the
// middle of the glyph lies lower than its arms; status 1 points up.
TEST(Artwork, ChevronPointsDownWhileDetailsAreHidden) {
    const int down[] = {IDB_CHEVRON_NORMAL_COLLAPSED, IDB_CHEVRON_PRESSED_COLLAPSED, IDB_CHEVRON_HOT_COLLAPSED,
                        IDB_CHEVRON_DISABLED_COLLAPSED};
    const int up[] = {IDB_CHEVRON_NORMAL_EXPANDED, IDB_CHEVRON_PRESSED_EXPANDED, IDB_CHEVRON_HOT_EXPANDED,
                      IDB_CHEVRON_DISABLED_EXPANDED};
    auto tipBelowArms = [](int id) {
        const Pixels p(id);
        const int cx = p.Width() / 2, cy = p.Height() / 2;
        const int tip = p.DarkestRow(cx, cy - 5, cy + 5);
        const int arm = p.DarkestRow(cx - 3, cy - 5, cy + 5);
        return tip - arm;
    };
    for (int id : down) EXPECT_GT(tipBelowArms(id), 1) << id;
    for (int id : up) EXPECT_LT(tipBelowArms(id), -1) << id;
}

// Icon 165 holds its own image for each size the shell asks for, in full colour with
// alpha, so none of them is a scaled copy.
TEST(Artwork, IconHoldsEverySize) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(IDI_SWIFTLET), RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(nullptr, dir);
    const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + i * 14;  // GRPICONDIRENTRY
        const int size = entry[0] ? entry[0] : 256;
        EXPECT_EQ(entry[0], entry[1]);
        EXPECT_EQ(32, *reinterpret_cast<const WORD*>(entry + 6)) << size;
        sizes.insert(size);
    }
    EXPECT_EQ((std::set<int>{16, 24, 32, 48, 256}), sizes);
    for (int size : sizes) {
        HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDI_SWIFTLET), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor, sizeof bm, &bm);
        EXPECT_EQ(size, bm.bmWidth);
        EXPECT_EQ(size, bm.bmHeight);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// --- the sheet: every image four times its size with its id, and as the buttons draw
// it (white transparent) on white and on grey ---

namespace {

class Sheet {
public:
    Sheet(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all{0, 0, width, height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        m_font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0,
                             L"MS UI Gothic");
        m_oldFont = SelectObject(m_dc, m_font);
        SetBkMode(m_dc, TRANSPARENT);
    }
    ~Sheet() {
        SelectObject(m_dc, m_oldFont);
        DeleteObject(m_font);
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    HDC Dc() const { return m_dc; }
    HBITMAP Detach() {
        SelectObject(m_dc, m_old);
        return m_bitmap;
    }

    void Label(int x, int y, const std::wstring& text) { TextOutW(m_dc, x, y, text.c_str(), static_cast<int>(text.size())); }

    // The image enlarged (plain pixels), then at its size as a button draws it, on white
    // and on grey. Returns the size of what was drawn.
    SIZE Draw(int id, int x, int y, int scale) {
        HBITMAP image = LoadArt(id);
        BITMAP bm{};
        GetObjectW(image, sizeof bm, &bm);
        HDC source = CreateCompatibleDC(m_dc);
        HGDIOBJ old = SelectObject(source, image);
        SetStretchBltMode(m_dc, COLORONCOLOR);
        StretchBlt(m_dc, x, y, bm.bmWidth * scale, bm.bmHeight * scale, source, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        const int sx = x + bm.bmWidth * scale + 8;
        GdiTransparentBlt(m_dc, sx, y, bm.bmWidth, bm.bmHeight, source, 0, 0, bm.bmWidth, bm.bmHeight, kWhite);
        RECT grey{sx, y + bm.bmHeight + 4, sx + bm.bmWidth, y + 2 * bm.bmHeight + 4};
        HBRUSH brush = CreateSolidBrush(RGB(200, 200, 200));
        FillRect(m_dc, &grey, brush);
        DeleteObject(brush);
        GdiTransparentBlt(m_dc, sx, grey.top, bm.bmWidth, bm.bmHeight, source, 0, 0, bm.bmWidth, bm.bmHeight, kWhite);
        SelectObject(source, old);
        DeleteDC(source);
        DeleteObject(image);
        return SIZE{bm.bmWidth * (scale + 1) + 8, std::max(bm.bmHeight * scale, 2 * bm.bmHeight + 4)};
    }

private:
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
    HFONT m_font = nullptr;
    HGDIOBJ m_oldFont = nullptr;
};

}  // namespace

TEST(Artwork, SheetOfEveryImage) {
    const int width = 1340, margin = 8, labelHeight = 18, gap = 14;
    Sheet sheet(width, 780);
    int y = margin;
    sheet.Label(margin, y, L"133 バナー（2倍、等倍）");
    y += labelHeight + sheet.Draw(IDB_BANNER, margin, y + labelHeight, 2).cy + gap;

    // The button images, four times their size, in rows.
    int x = margin, rowHeight = 0;
    for (const Art& a : kArt) {
        if (a.kind == Kind::Banner) continue;
        const Pixels p(a.id);
        const int cell = std::max(p.Width() * 5 + 8, 112) + 16;
        if (x + cell > width) {
            x = margin;
            y += rowHeight + gap;
            rowHeight = 0;
        }
        sheet.Label(x, y, std::to_wstring(a.id) + L" " + a.label);
        rowHeight = std::max(rowHeight, labelHeight + static_cast<int>(sheet.Draw(a.id, x, y + labelHeight, 4).cy));
        x += cell;
    }
    y += rowHeight + gap;

    // The icon: each size as it is, and the small ones four times their size below.
    sheet.Label(margin, y, L"165 アイコン（16, 24, 32, 48, 256）");
    y += labelHeight;
    x = margin;
    for (int size : {16, 24, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SWIFTLET), IMAGE_ICON, size, size, 0));
        ASSERT_NE(nullptr, icon) << size;
        DrawIconEx(sheet.Dc(), x, y, icon, size, size, 0, nullptr, DI_NORMAL);
        if (size < 256) {
            // Enlarged pixel by pixel from the icon of this size.
            HDC dc = sheet.Dc();
            HDC small = CreateCompatibleDC(dc);
            HBITMAP cell = CreateCompatibleBitmap(dc, size, size);
            HGDIOBJ old = SelectObject(small, cell);
            BitBlt(small, 0, 0, size, size, dc, x, y, SRCCOPY);
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, x, y + 56, size * 4, size * 4, small, 0, 0, size, size, SRCCOPY);
            SelectObject(small, old);
            DeleteObject(cell);
            DeleteDC(small);
        }
        DestroyIcon(icon);
        x += size < 256 ? size * 4 + gap : 0;
    }
    HBITMAP result = sheet.Detach();
    EXPECT_TRUE(SaveBitmapScreenshot(result, L"artwork"));
    DeleteObject(result);
}
