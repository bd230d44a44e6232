#include "ui/ResizeManager.h"

int ResizeManager::Init(HWND* window) {
    if (!window || !*window)
        return 0;
    parent = *window;
    ::GetWindowRect(parent, &lastRect);
    return 1;
}

void ResizeManager::Add(const ResizeItem& item) { items.push_back(item); }

void ResizeManager::Clear() { items.clear(); }

void ResizeManager::OnSize() {
    if (!parent || items.empty())
        return;
    CRect now;
    ::GetWindowRect(parent, &now);
    const int dx = now.Width() - lastRect.Width();
    const int dy = now.Height() - lastRect.Height();
    for (const ResizeItem& item : items)
        MoveItem(item, &dx, &dy);
    lastRect = now;
}

void ResizeManager::MoveItem(const ResizeItem& item, const int* dx, const int* dy) {
    CRect rect;
    if (!::GetWindowRect(item.window, &rect))
        return;
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    const int x = rect.left + ((item.flags & ResizeItem::moveX) ? *dx : 0);
    const int y = rect.top + ((item.flags & ResizeItem::moveY) ? *dy : 0);
    const int right = rect.right + ((item.flags & ResizeItem::stretchX) ? *dx : 0);
    const int bottom = rect.bottom + ((item.flags & ResizeItem::stretchY) ? *dy : 0);
    UINT swp = SWP_NOZORDER | SWP_NOACTIVATE;
    if (!(item.flags & (ResizeItem::moveX | ResizeItem::moveY)))
        swp |= SWP_NOMOVE;
    if (!(item.flags & (ResizeItem::stretchX | ResizeItem::stretchY)))
        swp |= SWP_NOSIZE;
    if (item.flags & ResizeItem::noRedraw)
        swp |= SWP_NOREDRAW;
    ::SetWindowPos(item.window, nullptr, x, y, right - x, bottom - y, swp);
}
