#pragma once
// Views: child windows that draw something (OnDraw) inside a frame window.
//
// Ownership: a view deletes itself when its window is destroyed (PostNcDestroy), like
// its frame: create it with new or through its run-time class (CFrameWnd::CreateView),
// never on the stack. A view that is destroyed while active tells its frame, which then
// has no active view.
#include "framework/CWnd.h"

class CFrameWnd;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    // Draws the view (called by WM_PAINT after OnPrepareDC).
    virtual void OnDraw(CDC* dc) = 0;
    // Runs once after the view is made (the frame or the code that made it calls it):
    // the default redraws the view.
    virtual void OnInitialUpdate();
    // Sets up the DC for drawing (scroll views move the origin).
    virtual void OnPrepareDC(CDC* dc);
    // The frame's active view changes: activate is TRUE for the view becoming active.
    virtual void OnActivateView(BOOL activate, CView* activateView, CView* deactiveView);

    BOOL PreCreateWindow(CREATESTRUCTW& cs) override;
    void CalcWindowRect(LPRECT clientRect, UINT adjustType = adjustBorder) override;

protected:
    CView() = default;
    DECLARE_MESSAGE_MAP()

    void PostNcDestroy() override;
    // Whether the top-level window holding the view is the active window.
    BOOL IsTopParentActive() const;

    afx_msg void OnPaint();
    afx_msg int OnMouseActivate(CWnd* topParent, UINT hitTest, UINT message);
    afx_msg void OnDestroy();
};
