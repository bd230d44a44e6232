#pragma once
// Things that draw themselves into a window they do not own (the rows of the program's
// own lists).
#include <windows.h>

#include "framework/CDC.h"
#include "framework/CRect.h"

namespace Graphic::Draw {

class IDrawer {
public:
    virtual ~IDrawer() = default;
    // Draws into dc; clip is the part that needs drawing, in the same coordinates.
    virtual void Draw(CDC* dc, const CRect& clip) = 0;
};

// A drawer that belongs to a window and covers a rectangle of it.
class CWndDrawer : public IDrawer {
public:
    // Takes window and rect; 0 (and nothing taken) when window is not a window.
    int SetWindow(HWND window, const CRect& rect) {
        if (!::IsWindow(window))
            return 0;
        m_window = window;
        m_rect = rect;
        return 1;
    }
    HWND GetWindow() const { return m_window; }
    const CRect& GetRect() const { return m_rect; }
    void SetRect(const CRect& rect) { m_rect = rect; }

protected:
    HWND m_window = nullptr;
    CRect m_rect;
};

}  // namespace Graphic::Draw
