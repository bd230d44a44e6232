#pragma once
// Backgrounds that are erased around the child windows, never under them: the region
// of a window's client area that no visible child covers.
#include <windows.h>

#include <vector>

#include "framework/CGdiObject.h"

// Collects the windows EnumChildWindows reports (every descendant) into a vector.
class CEnumChildWindow {
public:
    explicit CEnumChildWindow(std::vector<HWND>& windows) : m_windows(windows) {}
    virtual ~CEnumChildWindow() = default;
    CEnumChildWindow(const CEnumChildWindow&) = delete;
    CEnumChildWindow& operator=(const CEnumChildWindow&) = delete;

    // Called for each window: appends it; TRUE goes on.
    virtual BOOL OnWindow(HWND hwnd);
    void Enumerate(HWND parent);

private:
    static BOOL CALLBACK Proc(HWND hwnd, LPARAM self);
    std::vector<HWND>& m_windows;
};

// The client rectangle of a window minus the window rectangles of its direct, visible
// child windows.
class CCreateRgnRemoveChildWindowRect {
public:
    CCreateRgnRemoveChildWindowRect() = default;
    virtual ~CCreateRgnRemoveChildWindowRect() = default;
    CCreateRgnRemoveChildWindowRect(const CCreateRgnRemoveChildWindowRect&) = delete;
    CCreateRgnRemoveChildWindowRect& operator=(const CCreateRgnRemoveChildWindowRect&) = delete;

    // Whether child is cut out of parent's region: a visible child window of parent itself.
    virtual BOOL IsRemovedChild(HWND parent, HWND child) const;
    // Builds the region in parent's client coordinates; FALSE when it cannot be made.
    BOOL Create(HWND parent, CRgn& region) const;
};
