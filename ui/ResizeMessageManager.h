#pragma once
// A window that can fit itself to what it shows (the operation panels and their list).
class ResizeMessageManager {
public:
    virtual ~ResizeMessageManager() = default;
    // 1 when the window changed its size; the default changes nothing.
    virtual int FitToContent() { return 0; }
};
