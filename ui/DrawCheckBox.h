#pragma once
// Check boxes drawn by the program itself (in its own lists): in the visual style of the
// system when themes are on, else from the classic check-box bitmap.
#include <windows.h>
#include <uxtheme.h>

#include "foundation/DynamicFunction.h"
#include "framework/CDC.h"
#include "framework/CGdiObject.h"

namespace Graphic::Draw {

class CDrawCheckBox : private noncopyable {
public:
    // Bits of Draw's state.
    static const UINT kChecked = 0x1;
    static const UINT kPressed = 0x4;
    static const UINT kHot = 0x8;

    enum Mode { none = 0, classic = 1, themed = 2 };

    CDrawCheckBox() = default;
    ~CDrawCheckBox() { CloseTheme(); }

    // Chooses how to draw for window (again after WM_THEMECHANGED): themed when enabled is
    // 1, the system's theme functions are there, themes are on and the window has a
    // button theme; else classic. 1 when there is a way to draw.
    int Prepare(HWND window);
    // Draws a check box with its top-left corner at position.
    void Draw(CDC* dc, POINT position, UINT state) const;
    // The check box's size in the current mode ((0, 0) before Prepare).
    CSize GetSize(CDC* dc) const;

    int GetMode() const { return mode; }
    CSize GetCellSize() const { return cellSize; }
    // The themed part state of a Draw state (CBS_...).
    static int ThemeState(UINT state);

    int enabled = 1;  // 0: always classic

private:
    bool HasThemeFunctions() const;
    void CloseTheme();

    Theme::IsAppThemed m_isAppThemed;
    Theme::IsThemeActive m_isThemeActive;
    Theme::OpenThemeData m_openThemeData;
    Theme::CloseThemeData m_closeThemeData;
    Theme::DrawThemeBackground m_drawThemeBackground;
    Theme::GetThemePartSize m_getThemePartSize;
    Theme::IsThemeBackgroundPartiallyTransparent m_isPartiallyTransparent;
    Theme::DrawThemeParentBackground m_drawThemeParentBackground;
    int mode = none;
    CSize cellSize;
    CBitmap m_classicBitmap;
    HWND m_window = nullptr;
    HTHEME m_theme = nullptr;
};

}  // namespace Graphic::Draw
