// Point, size and rectangle value types of the framework.
#pragma once

#include "platform/win/WinUser.h"

class CSize : public SIZE
{
public:
    CSize() noexcept : SIZE{0, 0} {}
    CSize(int x, int y) noexcept : SIZE{x, y} {}
    CSize(SIZE s) noexcept : SIZE(s) {}
    bool operator==(const CSize& o) const noexcept { return cx == o.cx && cy == o.cy; }
};

class CPoint : public POINT
{
public:
    CPoint() noexcept : POINT{0, 0} {}
    CPoint(int x0, int y0) noexcept : POINT{x0, y0} {}
    CPoint(POINT p) noexcept : POINT(p) {}
    // The screen position packed in a message position or lParam.
    explicit CPoint(DWORD dwPoint) noexcept
        : POINT{static_cast<short>(LOWORD(dwPoint)), static_cast<short>(HIWORD(dwPoint))}
    {
    }
    operator LPPOINT() noexcept { return this; }
    bool operator==(const CPoint& o) const noexcept { return x == o.x && y == o.y; }
    void Offset(int dx, int dy) noexcept
    {
        x += dx;
        y += dy;
    }
};

class CRect : public RECT
{
public:
    CRect() noexcept : RECT{0, 0, 0, 0} {}
    CRect(int l, int t, int r, int b) noexcept : RECT{l, t, r, b} {}
    CRect(const RECT& r) noexcept : RECT(r) {}
    CRect(POINT topLeft, SIZE size) noexcept
        : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy}
    {
    }
    int Width() const noexcept { return right - left; }
    int Height() const noexcept { return bottom - top; }
    CSize Size() const noexcept { return CSize(Width(), Height()); }
    CPoint TopLeft() const noexcept { return CPoint(left, top); }
    CPoint BottomRight() const noexcept { return CPoint(right, bottom); }
    CPoint CenterPoint() const noexcept { return CPoint((left + right) / 2, (top + bottom) / 2); }
    BOOL IsRectEmpty() const noexcept { return right <= left || bottom <= top; }
    BOOL PtInRect(POINT p) const noexcept
    {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    void OffsetRect(int dx, int dy) noexcept
    {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
    }
    void InflateRect(int dx, int dy) noexcept
    {
        left -= dx;
        right += dx;
        top -= dy;
        bottom += dy;
    }
    void DeflateRect(int dx, int dy) noexcept { InflateRect(-dx, -dy); }
    void MoveToXY(int x, int y) noexcept
    {
        right += x - left;
        bottom += y - top;
        left = x;
        top = y;
    }
    operator LPRECT() noexcept { return this; }
    operator LPCRECT() const noexcept { return this; }
    bool operator==(const CRect& o) const noexcept
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};
