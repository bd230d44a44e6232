#pragma once
// Hover tracking for a control that looks different while the mouse is over it.
#include <windows.h>

#include "framework/CWnd.h"

// B: a framework window class. hover is 1 from the first mouse move over the window
// until the mouse leaves it; the window is redrawn at both changes.
template <class B>
class TRolloverEventHandler : public B {
public:
    int hover = 0;

protected:
    virtual void OnMouseEnter() {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, this->m_hWnd, HOVER_DEFAULT};
        ::TrackMouseEvent(&track);
        hover = 1;
        this->Invalidate(TRUE);
    }
    virtual void OnMouseLeave() {
        hover = 0;
        this->Invalidate(TRUE);
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_MOUSEMOVE && hover == 0)
            OnMouseEnter();
        else if (message == WM_MOUSELEAVE && hover == 1)
            OnMouseLeave();
        return B::WindowProc(message, wParam, lParam);
    }
};
