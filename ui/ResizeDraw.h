#pragma once
// Images drawn into a fixed rectangle: a bitmap keeps its proportions and is shrunk
// (never enlarged) to fit; an icon is shown at its own size, or stretched over the
// rectangle when it is larger.
#include <windows.h>

#include "framework/CDC.h"
#include "framework/CRect.h"

namespace Graphic::Draw {

class CResizeDraw {
public:
    // Draws bitmap into rect on dc. The bitmap must not be selected into a DC.
    void Draw(CDC* dc, HBITMAP bitmap, const CRect& rect) const;
    // Draws icon into rect on dc.
    void Draw(CDC* dc, HICON icon, const CRect& rect) const;

    // The size an image of size image is shown at in a rectangle of size box: itself
    // when it fits, else shrunk by the smaller of the two ratios (each side at least one
    // pixel). scale, when given, receives the factor (1 when the image fits).
    static CSize FitSize(CSize image, CSize box, double* scale = nullptr);
    // Where a piece of size `size` goes in rect: centred, or at the top-left corner.
    static CPoint Place(CSize size, const CRect& rect, bool centred);

    int center = 0;       // 1: the image is centred in the rectangle
    int removeAlpha = 0;  // 1: transparent bitmaps are flattened onto the background first
    int useGdiplus = 0;   // 1: bitmaps are shrunk by GDI+ (smoother than StretchBlt)

private:
    // Copies a bitmap of size `size` unscaled into rect.
    void Copy(CDC* dc, HBITMAP bitmap, CSize size, const CRect& rect) const;
    // GDI+'s thumbnail of bitmap at size; null when GDI+ is missing or fails.
    static HBITMAP GdiplusThumbnail(HBITMAP bitmap, CSize size, COLORREF background);
};

}  // namespace Graphic::Draw
