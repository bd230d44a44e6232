#pragma once
// Child windows that follow their parent's size: each moves right or down, and/or grows,
// by as much as the parent did since the last layout.
#include <windows.h>

#include <vector>

#include "framework/CRect.h"

struct ResizeItem {
    enum Flags {
        moveX = 0x1,        // moves right with the parent's width
        moveY = 0x2,        // moves down with the parent's height
        stretchX = 0x10,    // its right edge follows the parent's width
        stretchY = 0x20,    // its bottom edge follows the parent's height
        noRedraw = 0x1000,  // not redrawn while moved
    };
    HWND window = nullptr;
    int flags = 0;
};

class ResizeManager {
public:
    virtual ~ResizeManager() = default;
    // Takes the parent and its present size; 0 for a null window.
    virtual int Init(HWND* window);
    // Moves and stretches every item by the parent's change since the last layout.
    virtual void OnSize();
    virtual void Add(const ResizeItem& item);
    virtual void Clear();
    // Moves one item by (dx, dy) as its flags say.
    virtual void MoveItem(const ResizeItem& item, const int* dx, const int* dy);

    HWND GetParent() const { return parent; }
    const std::vector<ResizeItem>& GetItems() const { return items; }

protected:
    HWND parent = nullptr;
    CRect lastRect;  // the parent's window rectangle at the last layout (screen)
    std::vector<ResizeItem> items;
};

// Windows that can fit themselves to what they show (the task window's panels).
class ResizeMessageManager {
public:
    virtual ~ResizeMessageManager() = default;
    // Fits the window to its content; 1 when its size changed.
    virtual int FitToContent() { return 0; }
};
