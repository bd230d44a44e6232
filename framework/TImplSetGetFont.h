#pragma once
// A window of the framework's own class that keeps the font its parent gives it: the
// plain window procedure forgets WM_SETFONT, so a self-drawn window would never learn
// the dialog's font. The font stays the giver's; redraws when asked to.
#include <windows.h>

#include "framework/CWnd.h"

// B: a framework window class.
template <class B>
class TImplSetGetFont : public B {
public:
    HFONT GetStoredFont() const noexcept { return m_font; }

protected:
    // The font changed (after it is stored, before the redraw).
    virtual void OnFontChanged() {}

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETFONT) {
            m_font = reinterpret_cast<HFONT>(wParam);
            OnFontChanged();
            if (LOWORD(lParam))
                this->Invalidate(TRUE);
            return 0;
        }
        if (message == WM_GETFONT)
            return reinterpret_cast<LRESULT>(m_font);
        return B::WindowProc(message, wParam, lParam);
    }

private:
    HFONT m_font = nullptr;
};
