#include "ui/RemoveAlpha.h"

#include <utility>
#include <vector>

namespace Graphic::Bitmap {

bool CRemoveAlpha::HasAlpha(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !::GetObjectW(bitmap, sizeof info, &info) || info.bmBitsPixel != 32 || info.bmWidth <= 0 ||
        info.bmHeight <= 0)
        return false;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::vector<RGBQUAD> pixels(static_cast<size_t>(info.bmWidth) * static_cast<size_t>(info.bmHeight));
    CDC screen;
    if (!screen.CreateCompatibleDC(static_cast<HDC>(nullptr)) ||
        ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &format, DIB_RGB_COLORS) !=
            info.bmHeight)
        return false;
    for (const RGBQUAD& pixel : pixels)
        if (pixel.rgbReserved)
            return true;
    return false;
}

int CRemoveAlpha::RemoveAlpha(CDC* dc, HBRUSH background, HBITMAP source, CBitmap& output) const {
    output.DeleteObject();
    if (!dc || !background || !HasAlpha(source))
        return 0;
    BITMAP info{};
    ::GetObjectW(source, sizeof info, &info);
    CDC sourceDC, outputDC;
    if (!sourceDC.CreateCompatibleDC(dc) || !outputDC.CreateCompatibleDC(dc))
        return 0;
    CBitmap flat;
    if (!flat.CreateCompatibleBitmap(dc, info.bmWidth, info.bmHeight))
        return 0;
    BOOL blended;
    {
        CSelectObject selectSource(sourceDC, source);
        CSelectObject selectOutput(outputDC, flat);
        const RECT all{0, 0, info.bmWidth, info.bmHeight};
        outputDC.FillRect(&all, background);
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        blended = outputDC.AlphaBlend(0, 0, info.bmWidth, info.bmHeight, &sourceDC, 0, 0, info.bmWidth,
                                      info.bmHeight, blend);
    }
    if (!blended)
        return 0;
    output = std::move(flat);
    return 1;
}

}  // namespace Graphic::Bitmap
