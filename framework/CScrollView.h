#pragma once
// A view larger than its window: SetScrollSizes gives the total size, the view shows
// scroll bars where the window is smaller, scrolls by line, page, thumb and wheel, moves
// its child windows with it, and draws in coordinates of the whole (OnPrepareDC moves the
// origin by the scroll position).
//
// Sizes are in logical units of the mapping mode (MM_TEXT: pixels); positions given and
// returned are logical too. Ownership as CView: it deletes itself with its window.
#include "framework/CView.h"

class CScrollView : public CView {
    DECLARE_DYNAMIC(CScrollView)
public:
    // Page and line sizes default to a tenth of the total and a tenth of the page.
    static const CSize sizeDefault;

    void SetScrollSizes(int mapMode, SIZE total, const SIZE& page = sizeDefault, const SIZE& line = sizeDefault);
    CSize GetTotalSize() const noexcept { return m_totalLog; }
    void GetDeviceScrollSizes(int& mapMode, SIZE& total, SIZE& page, SIZE& line) const noexcept;
    // The position of the top-left corner of the window in the whole, logical units.
    CPoint GetScrollPosition() const;
    CPoint GetDeviceScrollPosition() const;
    // Scrolls so that point is the top-left corner (kept within the scroll range).
    void ScrollToPosition(POINT point);
    // Resizes the parent frame so that the view's client area is the total size
    // (shrinkOnly: never larger than it is now).
    void ResizeParentToFit(BOOL shrinkOnly = TRUE);

    // Scrolls by a device distance (kept within range); FALSE when nothing moved.
    virtual BOOL OnScrollBy(CSize size, BOOL doScroll = TRUE);
    // A scroll bar's code: LOBYTE the horizontal one's, HIBYTE the vertical one's
    // (0xFF: none). pos is the 32-bit thumb position for SB_THUMBTRACK/SB_THUMBPOSITION.
    virtual BOOL OnScroll(UINT scrollCode, UINT pos, BOOL doScroll = TRUE);
    void OnPrepareDC(CDC* dc) override;

protected:
    CScrollView() = default;
    DECLARE_MESSAGE_MAP()

    // Shows, hides and sets the scroll bars for the current client size.
    void UpdateBars();
    void ScrollToDevicePosition(POINT point);
    // The largest device position of a bar; 0 when the bar is not shown.
    int ScrollLimit(int bar) const;
    CSize ToDevice(SIZE logical) const;

    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnHScroll(UINT code, UINT pos, CWnd* scrollBar);
    afx_msg void OnVScroll(UINT code, UINT pos, CWnd* scrollBar);
    afx_msg BOOL OnMouseWheel(UINT flags, short delta, CPoint point);

    int m_nMapMode = 0;  // 0 until SetScrollSizes
    CSize m_totalLog;
    CSize m_totalDev;
    CSize m_pageDev;
    CSize m_lineDev;
    bool m_insideUpdate = false;
};
