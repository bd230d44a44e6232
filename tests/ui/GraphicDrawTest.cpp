// The drawing helpers: transparent bitmaps flattened onto a background, images scaled
// into a rectangle (with GDI and with GDI+), check boxes in the themed and the classic
// look, and drawing through an off-screen buffer. Each draws into an off-screen canvas
// whose pixels the tests read.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "framework/CDC.h"
#include "tests/framework/WindowTestSupport.h"
#include "tests/ui/ControlTestSupport.h"
#include "ui/BufferDC.h"
#include "ui/DrawCheckBox.h"
#include "ui/GdiplusApi.h"
#include "ui/RemoveAlpha.h"
#include "ui/ResizeDraw.h"

using Graphic::Draw::CDrawCheckBox;
using Graphic::Draw::CResizeDraw;

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(220, 30, 30);

bool Near(COLORREF a, COLORREF b, int tolerance = 2) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

// An opaque icon of one colour.
HICON SolidIcon(int size, COLORREF colour) {
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = SolidBitmap(size, size, colour);
    info.hbmMask = ::CreateBitmap(size, size, 1, 1, nullptr);  // all 0: every pixel opaque
    HICON icon = ::CreateIconIndirect(&info);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return icon;
}

class GraphicDrawTest : public ::testing::Test {
protected:
    void SetUp() override { PrepareWindowTest(); }
};

}  // namespace

TEST_F(GraphicDrawTest, TransparentBitmapIsLaidOverTheBackground) {
    TestCanvas canvas(8, 8);
    CDC dc = CDC::Borrow(canvas.Dc());
    CBitmap flat;
    HBITMAP half = AlphaBitmap(8, 8, RGB(255, 0, 0), 128);
    ASSERT_EQ(1, Graphic::Bitmap::CRemoveAlpha().RemoveAlpha(&dc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)),
                                                             half, flat));
    EXPECT_EQ(CSize(8, 8), flat.GetSize());
    TestCanvas shown(8, 8, RGB(0, 0, 0));
    CDC source;
    source.CreateCompatibleDC(canvas.Dc());
    {
        CSelectObject select(source, flat);
        ::BitBlt(shown.Dc(), 0, 0, 8, 8, source, 0, 0, SRCCOPY);
    }
    EXPECT_TRUE(Near(RGB(255, 127, 127), shown.Pixel(4, 4))) << std::hex << shown.Pixel(4, 4);
    ::DeleteObject(half);
}

// A bitmap without transparency is opaque as it is: flattening it (alpha 0 taken as
// "transparent") would wipe it out.
TEST_F(GraphicDrawTest, BitmapWithoutTransparencyIsNotFlattened) {
    TestCanvas canvas(8, 8);
    CDC dc = CDC::Borrow(canvas.Dc());
    HBRUSH white = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    HBITMAP device = SolidBitmap(8, 8, kRed);
    HBITMAP noAlpha = AlphaBitmap(8, 8, kRed, 0);
    CBitmap flat;
    EXPECT_EQ(0, Graphic::Bitmap::CRemoveAlpha().RemoveAlpha(&dc, white, device, flat));
    EXPECT_EQ(0, Graphic::Bitmap::CRemoveAlpha().RemoveAlpha(&dc, white, noAlpha, flat));
    EXPECT_EQ(nullptr, flat.m_hObject);

    CResizeDraw draw;
    draw.removeAlpha = 1;
    draw.Draw(&dc, device, CRect(0, 0, 8, 8));
    EXPECT_TRUE(canvas.All(RECT{0, 0, 8, 8}, kRed));
    ::DeleteObject(device);
    ::DeleteObject(noAlpha);
}

TEST_F(GraphicDrawTest, SquareImageInA64By48BoxIsScaledBy0_1875AndCentred) {
    double scale = 0;
    EXPECT_EQ(CSize(48, 48), CResizeDraw::FitSize(CSize(256, 256), CSize(64, 48), &scale));
    EXPECT_DOUBLE_EQ(0.1875, scale);
    EXPECT_EQ(CSize(64, 1), CResizeDraw::FitSize(CSize(1000, 2), CSize(64, 48)));  // never below one pixel
    EXPECT_EQ(CSize(20, 10), CResizeDraw::FitSize(CSize(20, 10), CSize(64, 48), &scale));
    EXPECT_DOUBLE_EQ(1.0, scale);

    HBITMAP big = SolidBitmap(256, 256, kRed);
    for (int gdiplus = 0; gdiplus <= 1; ++gdiplus) {
        for (int centred = 0; centred <= 1; ++centred) {
            TestCanvas canvas(100, 80);
            CDC dc = CDC::Borrow(canvas.Dc());
            CResizeDraw draw;
            draw.useGdiplus = gdiplus;
            draw.center = centred;
            draw.Draw(&dc, big, CRect(10, 20, 74, 68));
            const RECT expected = centred ? RECT{18, 20, 66, 68} : RECT{10, 20, 58, 68};
            const RECT drawn = canvas.Extent(kWhite);
            EXPECT_TRUE(SameRect(expected, drawn)) << "GDI+ " << gdiplus << " centred " << centred << ": "
                                                   << Text(drawn);
            EXPECT_TRUE(Near(kRed, canvas.Pixel((expected.left + expected.right) / 2, 44)));
        }
    }
    ::DeleteObject(big);
}

TEST_F(GraphicDrawTest, ImageThatFitsIsCopiedAtItsOwnSize) {
    HBITMAP small = SolidBitmap(20, 10, kRed);
    TestCanvas canvas(64, 48);
    CDC dc = CDC::Borrow(canvas.Dc());
    CResizeDraw draw;
    draw.center = 1;
    draw.Draw(&dc, small, CRect(0, 0, 64, 48));
    EXPECT_TRUE(SameRect(RECT{22, 19, 42, 29}, canvas.Extent(kWhite))) << Text(canvas.Extent(kWhite));
    ::DeleteObject(small);
}

TEST_F(GraphicDrawTest, TransparentThumbnailIsShownOnTheBackgroundColour) {
    HBITMAP half = AlphaBitmap(16, 16, RGB(255, 0, 0), 128);
    TestCanvas canvas(64, 48);
    CDC dc = CDC::Borrow(canvas.Dc());
    CResizeDraw draw;
    draw.center = 1;
    draw.removeAlpha = 1;
    draw.Draw(&dc, half, CRect(0, 0, 64, 48));
    EXPECT_TRUE(Near(RGB(255, 127, 127), canvas.Pixel(32, 24))) << std::hex << canvas.Pixel(32, 24);
    ::DeleteObject(half);
}

TEST_F(GraphicDrawTest, IconKeepsItsSizeOrFillsARectangleTooSmall) {
    HICON icon = SolidIcon(32, kRed);
    ASSERT_NE(nullptr, icon);
    CResizeDraw draw;
    draw.center = 1;
    {
        TestCanvas canvas(64, 48);
        CDC dc = CDC::Borrow(canvas.Dc());
        draw.Draw(&dc, icon, CRect(0, 0, 64, 48));
        EXPECT_TRUE(SameRect(RECT{16, 8, 48, 40}, canvas.Extent(kWhite))) << Text(canvas.Extent(kWhite));
    }
    {
        TestCanvas canvas(64, 48);
        CDC dc = CDC::Borrow(canvas.Dc());
        draw.Draw(&dc, icon, CRect(5, 5, 25, 45));  // narrower than the icon: stretched over it
        EXPECT_TRUE(SameRect(RECT{5, 5, 25, 45}, canvas.Extent(kWhite))) << Text(canvas.Extent(kWhite));
    }
    ::DestroyIcon(icon);
}

TEST_F(GraphicDrawTest, GdiplusIsStartedOnFirstUseAndCanBeEndedAndStartedAgain) {
    Graphic::GdiplusApi* api = Graphic::GdiplusApi::Get();
    ASSERT_NE(nullptr, api);
    EXPECT_EQ(api, Graphic::GdiplusApi::Get());
    HBITMAP source = SolidBitmap(40, 40, kRed);
    auto* image = api->CreateBitmapFromHBITMAP(source);
    ASSERT_NE(nullptr, image);
    auto* thumbnail = api->GetImageThumbnail(image, 10, 5);
    ASSERT_NE(nullptr, thumbnail);
    HBITMAP result = api->CreateHBITMAPFromBitmap(thumbnail, 0xFFFFFFFF);
    BITMAP info{};
    ASSERT_TRUE(::GetObjectW(result, sizeof info, &info));
    EXPECT_EQ(10, info.bmWidth);
    EXPECT_EQ(5, info.bmHeight);
    api->DisposeImage(thumbnail);
    api->DisposeImage(image);
    ::DeleteObject(result);
    ::DeleteObject(source);
    Graphic::GdiplusApi::Shutdown();
    Graphic::GdiplusApi::Shutdown();  // a second end does nothing
    EXPECT_NE(nullptr, Graphic::GdiplusApi::Get());
    Graphic::GdiplusApi::Shutdown();
}

TEST(CheckBoxState, ThemedPartStates) {
    EXPECT_EQ(1, CDrawCheckBox::ThemeState(0));
    EXPECT_EQ(2, CDrawCheckBox::ThemeState(CDrawCheckBox::kHot));
    EXPECT_EQ(3, CDrawCheckBox::ThemeState(CDrawCheckBox::kPressed | CDrawCheckBox::kHot));
    EXPECT_EQ(5, CDrawCheckBox::ThemeState(CDrawCheckBox::kChecked));
    EXPECT_EQ(6, CDrawCheckBox::ThemeState(CDrawCheckBox::kChecked | CDrawCheckBox::kHot));
    EXPECT_EQ(7, CDrawCheckBox::ThemeState(CDrawCheckBox::kChecked | CDrawCheckBox::kPressed));
}

// Each look, each state: unchecked, checked, pressed, checked and pressed, hot.
TEST_F(GraphicDrawTest, CheckBoxesThemedAndClassic) {
    CWhiteHost host;
    ASSERT_TRUE(host.Open(L"チェック", 200, 60));
    const UINT states[] = {0, CDrawCheckBox::kChecked, CDrawCheckBox::kPressed,
                           CDrawCheckBox::kChecked | CDrawCheckBox::kPressed, CDrawCheckBox::kHot};
    TestCanvas sheet(5 * 24 * 4 + 8, 2 * 24 * 4 + 8);
    for (int classic = 0; classic <= 1; ++classic) {
        CDrawCheckBox box;
        box.enabled = classic ? 0 : 1;
        ASSERT_EQ(1, box.Prepare(host));
        // Wine's theme is on, so the themed look is what runs here unless turned off.
        EXPECT_EQ(classic ? CDrawCheckBox::classic : CDrawCheckBox::themed, box.GetMode());
        TestCanvas row(5 * 24, 24);
        CDC dc = CDC::Borrow(row.Dc());
        const CSize size = box.GetSize(&dc);
        if (classic) {
            // A cell of the system's classic bitmap: 13 x 13 on Windows (Wine's is 14 wide).
            CBitmap cells;
            ASSERT_TRUE(cells.LoadOEMBitmap(0x7FF7));
            const CSize cell(cells.GetSize().cx / 4, cells.GetSize().cy / 3);
            EXPECT_EQ(13, cell.cy);
            EXPECT_EQ(cell, box.GetCellSize());
            EXPECT_EQ(cell, size);
        }
        ASSERT_GT(size.cx, 0);
        for (int i = 0; i < 5; ++i)
            box.Draw(&dc, POINT{i * 24 + 4, 4}, states[i]);
        // Checked and unchecked look different; every state draws something.
        TestCanvas unchecked(size.cx, size.cy), checked(size.cx, size.cy);
        ::BitBlt(unchecked.Dc(), 0, 0, size.cx, size.cy, row.Dc(), 4, 4, SRCCOPY);
        ::BitBlt(checked.Dc(), 0, 0, size.cx, size.cy, row.Dc(), 28, 4, SRCCOPY);
        EXPECT_FALSE(unchecked.SameAs(checked));
        for (int i = 0; i < 5; ++i) {
            const RECT cell{i * 24 + 4, 4, i * 24 + 4 + size.cx, 4 + size.cy};
            EXPECT_FALSE(row.All(cell, kWhite)) << "state " << i << " classic " << classic;
        }
        sheet.Paste(row, 4, 4 + classic * 24 * 4, 4);
    }
    EXPECT_TRUE(sheet.Save(L"checkbox-themed-and-classic"));
    host.DestroyWindow();
}

TEST_F(GraphicDrawTest, BufferIsCopiedToTheTargetWhenItEnds) {
    TestCanvas target(60, 40);
    CDC dc = CDC::Borrow(target.Dc());
    {
        Graphic::DC::CBufferDC buffer(&dc, CRect(10, 10, 50, 30));
        ASSERT_TRUE(buffer.IsBuffered());
        CDC* drawing = buffer.GetDC();
        drawing->FillSolidRect(&buffer.GetRect(), kWhite);
        const RECT red{20, 15, 40, 25};  // the target's coordinates
        drawing->FillSolidRect(&red, kRed);
        drawing->FillSolidRect(0, 0, 60, 5, kRed);  // outside the buffered rectangle: lost
        EXPECT_EQ(kWhite, target.Pixel(30, 20));     // nothing shows before the end
    }
    EXPECT_EQ(kRed, target.Pixel(30, 20));
    EXPECT_TRUE(SameRect(RECT{20, 15, 40, 25}, target.Extent(kWhite))) << Text(target.Extent(kWhite));

    Graphic::DC::CBufferDC empty(&dc, CRect(5, 5, 5, 5));  // nothing to buffer: straight to the target
    EXPECT_FALSE(empty.IsBuffered());
    EXPECT_EQ(&dc, empty.GetDC());
}

// Drawing over and over leaves no GDI object behind (a leak would show once per round;
// a little slack for what other processes do to the shared table meanwhile).
TEST_F(GraphicDrawTest, DrawingLeavesNoGdiObjectBehind) {
    HBITMAP big = AlphaBitmap(256, 256, kRed, 200);
    HICON icon = SolidIcon(32, kRed);
    TestCanvas canvas(64, 48);
    CDC dc = CDC::Borrow(canvas.Dc());
    CResizeDraw draw;
    draw.center = draw.removeAlpha = draw.useGdiplus = 1;
    auto round = [&] {
        draw.Draw(&dc, big, CRect(0, 0, 64, 48));
        draw.Draw(&dc, icon, CRect(0, 0, 16, 16));
        Graphic::DC::CBufferDC buffer(&dc, CRect(0, 0, 64, 48));
        CDrawCheckBox box;
        box.enabled = 0;
        box.Prepare(nullptr);
        box.Draw(buffer.GetDC(), POINT{2, 2}, CDrawCheckBox::kChecked);
    };
    round();  // GDI+ and the classic bitmap are loaded once
    const int before = GdiObjectCount();
    for (int i = 0; i < 20; ++i)
        round();
    EXPECT_LT(GdiObjectCount() - before, 10);
    ::DeleteObject(big);
    ::DestroyIcon(icon);
}
