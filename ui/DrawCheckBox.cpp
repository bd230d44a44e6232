#include "ui/DrawCheckBox.h"

#include <vssym32.h>

namespace Graphic::Draw {

namespace {

// The classic bitmap holds 4 x 3 cells; its first row is the check box: unchecked,
// checked, then the same two pressed.
const int kClassicColumns = 4;
const int kClassicRows = 3;
// OBM_CHECKBOXES, one of the system's bitmaps.
const UINT kCheckBoxesBitmap = 0x7FF7;

}  // namespace

bool CDrawCheckBox::HasThemeFunctions() const {
    return m_isAppThemed && m_isThemeActive && m_openThemeData && m_closeThemeData && m_drawThemeBackground &&
           m_getThemePartSize && m_isPartiallyTransparent && m_drawThemeParentBackground;
}

void CDrawCheckBox::CloseTheme() {
    if (m_theme && m_closeThemeData)
        m_closeThemeData(m_theme);
    m_theme = nullptr;
}

int CDrawCheckBox::Prepare(HWND window) {
    CloseTheme();
    m_window = window;
    mode = none;
    if (enabled == 1 && HasThemeFunctions() && m_isAppThemed() == TRUE && m_isThemeActive() == TRUE) {
        m_theme = m_openThemeData(window, L"BUTTON");
        if (m_theme) {
            mode = themed;
            return 1;
        }
    }
    if (!m_classicBitmap.m_hObject)
        m_classicBitmap.LoadOEMBitmap(kCheckBoxesBitmap);
    const CSize bitmap = m_classicBitmap.GetSize();
    if (bitmap.cx > 0 && bitmap.cy > 0) {
        cellSize = CSize(bitmap.cx / kClassicColumns, bitmap.cy / kClassicRows);
        mode = classic;
    }
    return mode != none ? 1 : 0;
}

int CDrawCheckBox::ThemeState(UINT state) {
    if (state & kChecked)
        return (state & kPressed) ? CBS_CHECKEDPRESSED : (state & kHot) ? CBS_CHECKEDHOT : CBS_CHECKEDNORMAL;
    return (state & kPressed) ? CBS_UNCHECKEDPRESSED : (state & kHot) ? CBS_UNCHECKEDHOT : CBS_UNCHECKEDNORMAL;
}

CSize CDrawCheckBox::GetSize(CDC* dc) const {
    if (mode == themed) {
        SIZE size{};
        if (SUCCEEDED(m_getThemePartSize(m_theme, dc ? dc->GetSafeHdc() : nullptr, BP_CHECKBOX, CBS_UNCHECKEDNORMAL,
                                         nullptr, TS_TRUE, &size)))
            return CSize(size);
        return CSize();
    }
    return mode == classic ? cellSize : CSize();
}

void CDrawCheckBox::Draw(CDC* dc, POINT position, UINT state) const {
    if (!dc)
        return;
    if (mode == themed) {
        const int part = BP_CHECKBOX;
        const int partState = ThemeState(state);
        SIZE size{};
        if (FAILED(m_getThemePartSize(m_theme, *dc, part, partState, nullptr, TS_TRUE, &size)))
            return;
        const RECT rect{position.x, position.y, position.x + size.cx, position.y + size.cy};
        if (m_isPartiallyTransparent(m_theme, part, partState) == TRUE)
            m_drawThemeParentBackground(m_window, *dc, &rect);
        m_drawThemeBackground(m_theme, *dc, part, partState, &rect, nullptr);
        return;
    }
    if (mode != classic)
        return;
    CDC cells;
    if (!cells.CreateCompatibleDC(dc))
        return;
    CSelectObject select(cells, m_classicBitmap);
    const int column = ((state & kChecked) ? 1 : 0) + ((state & kPressed) ? 2 : 0);
    dc->BitBlt(position.x, position.y, cellSize.cx, cellSize.cy, &cells, column * cellSize.cx, 0, SRCCOPY);
}

}  // namespace Graphic::Draw
