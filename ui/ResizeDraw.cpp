#include "ui/ResizeDraw.h"

#include <algorithm>
#include <cmath>

#include "framework/CGdiObject.h"
#include "ui/GdiplusApi.h"
#include "ui/RemoveAlpha.h"

namespace Graphic::Draw {

CSize CResizeDraw::FitSize(CSize image, CSize box, double* scale) {
    if (image.cx <= box.cx && image.cy <= box.cy) {
        if (scale)
            *scale = 1.0;
        return image;
    }
    const double ratio = std::min(static_cast<double>(box.cy) / image.cy, static_cast<double>(box.cx) / image.cx);
    if (scale)
        *scale = ratio;
    return CSize(std::max(1L, std::lround(image.cx * ratio)), std::max(1L, std::lround(image.cy * ratio)));
}

CPoint CResizeDraw::Place(CSize size, const CRect& rect, bool centred) {
    if (!centred)
        return rect.TopLeft();
    return CPoint(rect.left + (rect.Width() - size.cx) / 2, rect.top + (rect.Height() - size.cy) / 2);
}

void CResizeDraw::Draw(CDC* dc, HBITMAP bitmap, const CRect& rect) const {
    BITMAP info{};
    if (!dc || !bitmap || !::GetObjectW(bitmap, sizeof info, &info) || rect.IsRectEmpty())
        return;
    CBitmap flat;
    if (removeAlpha == 1) {
        CBrush background;
        if (background.CreateSolidBrush(dc->GetBkColor()) &&
            Bitmap::CRemoveAlpha().RemoveAlpha(dc, background, bitmap, flat) == 1)
            bitmap = flat;
    }
    const CSize size(info.bmWidth, info.bmHeight);
    const CSize target = FitSize(size, rect.Size());
    if (target == size) {
        Copy(dc, bitmap, size, rect);
        return;
    }
    if (useGdiplus == 1) {
        CBitmap thumbnail;
        if (thumbnail.Attach(GdiplusThumbnail(bitmap, target, dc->GetBkColor()))) {
            Copy(dc, thumbnail, thumbnail.GetSize(), rect);
            return;
        }
    }
    // Without GDI+ (or when it fails) the bitmap is stretched.
    CDC source;
    if (!source.CreateCompatibleDC(dc))
        return;
    CSelectObject select(source, bitmap);
    const CPoint at = Place(target, rect, center == 1);
    const int oldMode = dc->SetStretchBltMode(HALFTONE);
    POINT oldOrigin{};
    ::SetBrushOrgEx(*dc, 0, 0, &oldOrigin);
    dc->StretchBlt(at.x, at.y, target.cx, target.cy, &source, 0, 0, size.cx, size.cy, SRCCOPY);
    ::SetBrushOrgEx(*dc, oldOrigin.x, oldOrigin.y, nullptr);
    dc->SetStretchBltMode(oldMode);
}

void CResizeDraw::Copy(CDC* dc, HBITMAP bitmap, CSize size, const CRect& rect) const {
    CDC source;
    if (!source.CreateCompatibleDC(dc))
        return;
    CSelectObject select(source, bitmap);
    const CPoint at = Place(size, rect, center == 1);
    dc->BitBlt(at.x, at.y, size.cx, size.cy, &source, 0, 0, SRCCOPY);
}

HBITMAP CResizeDraw::GdiplusThumbnail(HBITMAP bitmap, CSize size, COLORREF background) {
    GdiplusApi* gdiplus = GdiplusApi::Get();
    if (!gdiplus)
        return nullptr;
    GdiplusApi::GpImage* image = gdiplus->CreateBitmapFromHBITMAP(bitmap);
    GdiplusApi::GpImage* thumbnail = image ? gdiplus->GetImageThumbnail(image, static_cast<UINT>(size.cx),
                                                                        static_cast<UINT>(size.cy))
                                           : nullptr;
    // GDI+ colours are 0xAARRGGBB.
    const GdiplusApi::ARGB argb =
        0xFF000000u | (GetRValue(background) << 16) | (GetGValue(background) << 8) | GetBValue(background);
    HBITMAP result = thumbnail ? gdiplus->CreateHBITMAPFromBitmap(thumbnail, argb) : nullptr;
    gdiplus->DisposeImage(thumbnail);
    gdiplus->DisposeImage(image);
    return result;
}

void CResizeDraw::Draw(CDC* dc, HICON icon, const CRect& rect) const {
    ICONINFO info{};
    if (!dc || !icon || !::GetIconInfo(icon, &info))
        return;
    BITMAP bitmap{};
    CSize size;
    if (info.hbmColor && ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap))
        size = CSize(bitmap.bmWidth, bitmap.bmHeight);
    else if (info.hbmMask && ::GetObjectW(info.hbmMask, sizeof bitmap, &bitmap))
        size = CSize(bitmap.bmWidth, bitmap.bmHeight / 2);  // a monochrome icon: mask over image
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask)
        ::DeleteObject(info.hbmMask);
    if (size.cx > rect.Width() || size.cy > rect.Height()) {
        ::DrawIconEx(*dc, rect.left, rect.top, icon, rect.Width(), rect.Height(), 0, nullptr, DI_NORMAL);
        return;
    }
    // At the icon's own size (DrawIcon would draw it at the system's icon size).
    const CPoint at = Place(size, rect, center == 1);
    ::DrawIconEx(*dc, at.x, at.y, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
}

}  // namespace Graphic::Draw
