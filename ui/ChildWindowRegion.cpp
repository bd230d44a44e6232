#include "ui/ChildWindowRegion.h"

BOOL CEnumChildWindow::OnWindow(HWND hwnd) {
    m_windows.push_back(hwnd);
    return TRUE;
}

void CEnumChildWindow::Enumerate(HWND parent) { ::EnumChildWindows(parent, &Proc, reinterpret_cast<LPARAM>(this)); }

BOOL CALLBACK CEnumChildWindow::Proc(HWND hwnd, LPARAM self) {
    try {
        return reinterpret_cast<CEnumChildWindow*>(self)->OnWindow(hwnd);
    } catch (...) {
        return FALSE;  // nothing unwinds into the system
    }
}

BOOL CCreateRgnRemoveChildWindowRect::IsRemovedChild(HWND parent, HWND child) const {
    return ::IsWindow(child) && ::GetParent(child) == parent && ::IsWindowVisible(child) &&
           (::GetWindowLongPtrW(child, GWL_STYLE) & WS_CHILD);
}

BOOL CCreateRgnRemoveChildWindowRect::Create(HWND parent, CRgn& region) const {
    RECT client;
    if (!::GetClientRect(parent, &client))
        return FALSE;
    region.DeleteObject();
    if (!region.CreateRectRgnIndirect(&client))
        return FALSE;
    std::vector<HWND> children;
    CEnumChildWindow(children).Enumerate(parent);
    for (HWND child : children) {
        if (!IsRemovedChild(parent, child))
            continue;
        RECT rect;
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&rect), 2);
        CRgn cut;
        if (cut.CreateRectRgnIndirect(&rect))
            region.CombineRgn(&region, &cut, RGN_DIFF);
    }
    return TRUE;
}
