#pragma once
// Points, sizes and rectangles as plain values over the system's POINT, SIZE and RECT,
// so that they pass wherever the system takes a pointer to one.
#include <windows.h>

class CSize : public SIZE {
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int x, int y) noexcept : SIZE{x, y} {}
    CSize(SIZE s) noexcept : SIZE(s) {}

    bool operator==(SIZE s) const noexcept { return cx == s.cx && cy == s.cy; }
    bool operator!=(SIZE s) const noexcept { return !(*this == s); }
    CSize operator+(SIZE s) const noexcept { return CSize(cx + s.cx, cy + s.cy); }
    CSize operator-(SIZE s) const noexcept { return CSize(cx - s.cx, cy - s.cy); }
    CSize operator-() const noexcept { return CSize(-cx, -cy); }
};

class CPoint : public POINT {
public:
    CPoint() noexcept : POINT{0, 0} {}
    CPoint(int x0, int y0) noexcept : POINT{x0, y0} {}
    CPoint(POINT p) noexcept : POINT(p) {}
    CPoint(SIZE s) noexcept : POINT{s.cx, s.cy} {}
    // The packed coordinates of a mouse message's LPARAM (signed).
    explicit CPoint(LPARAM packed) noexcept
        : POINT{static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))} {}

    void Offset(int dx, int dy) noexcept { x += dx; y += dy; }
    bool operator==(POINT p) const noexcept { return x == p.x && y == p.y; }
    bool operator!=(POINT p) const noexcept { return !(*this == p); }
    CPoint operator+(SIZE s) const noexcept { return CPoint(x + s.cx, y + s.cy); }
    CPoint operator-(SIZE s) const noexcept { return CPoint(x - s.cx, y - s.cy); }
    CSize operator-(POINT p) const noexcept { return CSize(x - p.x, y - p.y); }
    CPoint operator-() const noexcept { return CPoint(-x, -y); }
    CPoint& operator+=(SIZE s) noexcept { x += s.cx; y += s.cy; return *this; }
    CPoint& operator-=(SIZE s) noexcept { x -= s.cx; y -= s.cy; return *this; }
};

class CRect : public RECT {
public:
    CRect() noexcept : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
    CRect(const RECT& r) noexcept : RECT(r) {}
    CRect(const RECT* r) noexcept : RECT(r ? *r : RECT{0, 0, 0, 0}) {}
    CRect(POINT topLeft, SIZE size) noexcept
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}
    CRect(POINT topLeft, POINT bottomRight) noexcept
        : RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y} {}

    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint TopLeft() const noexcept { return CPoint(left, top); }
    CPoint BottomRight() const noexcept { return CPoint(right, bottom); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const noexcept { return right <= left || bottom <= top; }
    bool IsRectNull() const noexcept { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    bool PtInRect(POINT p) const noexcept { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }

    void SetRect(int l, int t, int r, int b) noexcept { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() noexcept { SetRect(0, 0, 0, 0); }
    void OffsetRect(int dx, int dy) noexcept { left += dx; right += dx; top += dy; bottom += dy; }
    void OffsetRect(POINT p) noexcept { OffsetRect(p.x, p.y); }
    void OffsetRect(SIZE s) noexcept { OffsetRect(s.cx, s.cy); }
    void MoveToXY(int x, int y) noexcept { OffsetRect(x - left, y - top); }
    void MoveToXY(POINT p) noexcept { MoveToXY(p.x, p.y); }
    void InflateRect(int dx, int dy) noexcept { left -= dx; top -= dy; right += dx; bottom += dy; }
    void InflateRect(int l, int t, int r, int b) noexcept { left -= l; top -= t; right += r; bottom += b; }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    void DeflateRect(int l, int t, int r, int b) noexcept { InflateRect(-l, -t, -r, -b); }
    void NormalizeRect() noexcept {
        if (left > right) { LONG t = left; left = right; right = t; }
        if (top > bottom) { LONG t = top; top = bottom; bottom = t; }
    }
    BOOL IntersectRect(const RECT* a, const RECT* b) noexcept { return ::IntersectRect(this, a, b); }
    BOOL UnionRect(const RECT* a, const RECT* b) noexcept { return ::UnionRect(this, a, b); }

    bool operator==(const RECT& r) const noexcept {
        return left == r.left && top == r.top && right == r.right && bottom == r.bottom;
    }
    bool operator!=(const RECT& r) const noexcept { return !(*this == r); }
    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }
};
