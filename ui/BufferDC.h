#pragma once
// Drawing without flicker: everything goes to an off-screen bitmap covering a rectangle
// of the target, which is copied to the target in one piece at the end.
#include <windows.h>

#include "framework/CDC.h"
#include "framework/CGdiObject.h"
#include "framework/CRect.h"

namespace Graphic::DC {

class CBufferDC {
public:
    // rect is in the target's coordinates, and drawing into GetDC() uses them too.
    CBufferDC(CDC* target, const CRect& rect);
    // Copies the buffer to the target when it was made.
    ~CBufferDC();
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

    // Whether the buffer was made; when not, GetDC() is the target itself.
    bool IsBuffered() const { return m_buffered; }
    CDC* GetDC() { return m_buffered ? &m_memory : m_target; }
    const CRect& GetRect() const { return m_rect; }

private:
    CDC* m_target;
    CDC m_memory;
    CBitmap m_bitmap;
    HGDIOBJ m_oldBitmap = nullptr;
    CRect m_rect;
    bool m_buffered = false;
};

}  // namespace Graphic::DC
