#include "ui/FileImageStatic.h"

#include "ui/BufferDC.h"
#include "ui/ResizeDraw.h"

BEGIN_MESSAGE_MAP(CFileImageStatic, CStatic)
    ON_MESSAGE(FISM_SETFILE, OnSetFile)
END_MESSAGE_MAP()

void CFileImageStatic::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    ModifyStyle(SS_TYPEMASK, SS_OWNERDRAW);
}

LRESULT CFileImageStatic::OnSetFile(WPARAM wParam, LPARAM) {
    const auto* path = reinterpret_cast<LPCWSTR>(wParam);
    if (!path)
        return 0;
    m_image.Release();
    CRect client;
    GetClientRect(&client);
    LoadImage(path, client.Size(), m_image);
    Invalidate(TRUE);
    return 0;
}

void CFileImageStatic::LoadImage(LPCWSTR path, SIZE size, UShell::CFileImageGetterData& image) {
    UShell::CFileImageGetter().GetImage(path, size, image);
}

void CFileImageStatic::DrawItem(LPDRAWITEMSTRUCT dis) {
    CDC target = CDC::Borrow(dis->hDC);
    const CRect rect(dis->rcItem);
    Graphic::DC::CBufferDC buffer(&target, rect);
    CDC* dc = buffer.GetDC();
    dc->FillSolidRect(&rect, target.GetBkColor());
    Graphic::Draw::CResizeDraw draw;
    draw.center = 1;
    draw.removeAlpha = 1;
    draw.useGdiplus = 1;
    if (m_image.GetIcon())
        draw.Draw(dc, m_image.GetIcon(), rect);
    else if (m_image.GetBitmap())
        draw.Draw(dc, m_image.GetBitmap(), rect);
}
