#include "ui/BufferDC.h"

namespace Graphic::DC {

CBufferDC::CBufferDC(CDC* target, const CRect& rect) : m_target(target), m_rect(rect) {
    if (!target || rect.IsRectEmpty() || !m_memory.CreateCompatibleDC(target) ||
        !m_bitmap.CreateCompatibleBitmap(target, rect.Width(), rect.Height()))
        return;
    m_oldBitmap = m_memory.SelectObject(m_bitmap);
    m_memory.SetViewportOrg(-rect.left, -rect.top);
    // The target's colours and font, so that drawing looks the same either way.
    m_memory.SetBkColor(target->GetBkColor());
    m_memory.SetTextColor(target->GetTextColor());
    m_memory.SelectObject(target->GetCurrentObject(OBJ_FONT));
    m_buffered = true;
}

CBufferDC::~CBufferDC() {
    if (!m_buffered)
        return;
    m_target->BitBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), &m_memory, m_rect.left, m_rect.top,
                     SRCCOPY);
    m_memory.SelectObject(m_oldBitmap);
}

}  // namespace Graphic::DC
