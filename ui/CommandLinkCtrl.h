#pragma once
// A command link: the system's own (BS_COMMANDLINK) when visual styles are on, else a
// button that draws itself the same way (an arrow and the text on white, a rounded
// frame while the mouse is over it or it is pressed).
#include <windows.h>

#include "foundation/DynamicFunction.h"
#include "framework/CGdiObject.h"
#include "framework/Controls.h"
#include "ui/RolloverEventHandler.h"

class CCommandLinkCtrl : public TRolloverEventHandler<CButton> {
public:
    CCommandLinkCtrl();

    // Whether the control draws itself: before Windows Vista, or when the theme functions
    // exist and themes are not both on for the program and active. majorVersion is the
    // system's; a function missing from UxTheme is passed as -1.
    static int NeedsOwnerDraw(DWORD majorVersion, int appThemed, int themeActive);

    int IsOwnerDrawn() const { return ownerDrawn; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override;

    // Colours of the owner-drawn form (0x00BBGGRR).
    static const COLORREF kBackground = 0xFFFFFF;
    static const COLORREF kHoverBackground = 0xFEFEFE;
    static const COLORREF kHoverFrame = 0xA5A5A5;
    static const COLORREF kPressedBackground = 0xF3F3F2;
    static const COLORREF kPressedFrame = 0xADADAD;
    static const COLORREF kArrow = 0x33D300;
    static const COLORREF kHoverArrow = 0x05E434;
    static const COLORREF kPressedArrow = 0x00D333;

protected:
    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void PreSubclassWindow() override;
    afx_msg LRESULT OnThemeChanged();
    // Asks the system again whether to draw itself (at construction and on
    // WM_THEMECHANGED).
    virtual int ComputeOwnerDrawn();
    // The button type bits this control's style needs now.
    DWORD ButtonType() const { return ownerDrawn ? BS_OWNERDRAW : BS_COMMANDLINK; }
    void ApplyButtonType();

    int ownerDrawn = 0;
    CBrush m_backgroundBrush, m_hoverBrush, m_pressedBrush;
    CBrush m_arrowBrush, m_hoverArrowBrush, m_pressedArrowBrush;
    CPen m_hoverPen, m_pressedPen;
    Theme::IsAppThemed m_isAppThemed;
    Theme::IsThemeActive m_isThemeActive;

private:
    void DrawBackground(CDC& dc, CRect& rect, UINT state);
    void DrawArrow(CDC& dc, const CRect& rect, UINT state);
    void DrawLabel(CDC& dc, const CRect& rect, UINT state);

    DECLARE_MESSAGE_MAP()
};
