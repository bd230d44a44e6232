#include "ui/DialogBitmap.h"

#include <algorithm>
#include <utility>

#include "framework/CDC.h"
#include "framework/CRect.h"

SIZE ScaledDialogBitmapSize(SIZE size, int dpiX, int dpiY, SIZE room) {
    return SIZE{std::min<LONG>(::MulDiv(size.cx, dpiX, 96), room.cx),
                std::min<LONG>(::MulDiv(size.cy, dpiY, 96), room.cy)};
}

int LoadScaledDialogBitmap(HWND dialog, int staticId, UINT bitmapId, CBitmap& image) {
    HWND picture = ::GetDlgItem(dialog, staticId);
    CBitmap original;
    if (!picture || !original.LoadBitmap(bitmapId))
        return 0;
    CRect client, place;
    ::GetClientRect(dialog, &client);
    ::GetWindowRect(picture, &place);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    CClientDC screen(nullptr);
    const SIZE size = ScaledDialogBitmapSize(original.GetSize(), screen.GetDeviceCaps(LOGPIXELSX),
                                             screen.GetDeviceCaps(LOGPIXELSY),
                                             SIZE{client.right - place.left, client.bottom - place.top});
    CDC source, target;
    CBitmap scaled;
    if (size.cx <= 0 || size.cy <= 0 || !source.CreateCompatibleDC(&screen) || !target.CreateCompatibleDC(&screen) ||
        !scaled.CreateCompatibleBitmap(&screen, size.cx, size.cy))
        return 0;
    {
        CSelectObject selectSource(source, original);
        CSelectObject selectTarget(target, scaled);
        target.SetStretchBltMode(HALFTONE);
        ::SetBrushOrgEx(target, 0, 0, nullptr);
        const CSize from = original.GetSize();
        if (!target.StretchBlt(0, 0, size.cx, size.cy, &source, 0, 0, from.cx, from.cy, SRCCOPY))
            return 0;
    }
    HGDIOBJ shown = reinterpret_cast<HGDIOBJ>(
        ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(static_cast<HBITMAP>(scaled))));
    if (shown && shown != image.m_hObject)
        ::DeleteObject(shown);
    image = std::move(scaled);
    return 1;
}
