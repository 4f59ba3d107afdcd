// Points, sizes and rectangles. A CRect is left/top inclusive and
// right/bottom exclusive unless an operation says otherwise.
#pragma once

#include <algorithm>

struct CSize {
    int cx = 0;
    int cy = 0;
    constexpr CSize() = default;
    constexpr CSize(int w, int h) : cx(w), cy(h) {}
    constexpr bool operator==(const CSize&) const = default;
};

struct CPoint {
    int x = 0;
    int y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(int px, int py) : x(px), y(py) {}
    constexpr bool operator==(const CPoint&) const = default;
    constexpr CPoint offset(int dx, int dy) const { return {x + dx, y + dy}; }
    constexpr CPoint operator+(CSize s) const { return {x + s.cx, y + s.cy}; }
    constexpr CPoint operator-(CSize s) const { return {x - s.cx, y - s.cy}; }
    constexpr CSize operator-(CPoint p) const { return {x - p.x, y - p.y}; }
    constexpr CPoint operator+(CPoint p) const { return {x + p.x, y + p.y}; }
    void Offset(int dx, int dy) { x += dx; y += dy; }
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(CPoint p, CSize s) : left(p.x), top(p.y), right(p.x + s.cx), bottom(p.y + s.cy) {}
    constexpr CRect(CPoint tl, CPoint br) : left(tl.x), top(tl.y), right(br.x), bottom(br.y) {}
    constexpr bool operator==(const CRect&) const = default;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr CSize Size() const { return {Width(), Height()}; }
    constexpr CPoint TopLeft() const { return {left, top}; }
    constexpr CPoint BottomRight() const { return {right, bottom}; }
    constexpr CPoint CenterPoint() const { return {(left + right) / 2, (top + bottom) / 2}; }
    constexpr bool IsRectEmpty() const { return right <= left || bottom <= top; }
    constexpr bool IsRectNull() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
    constexpr bool PtInRect(CPoint p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    constexpr bool contains(CPoint p) const { return PtInRect(p); }
    constexpr bool contains(const CRect& r) const {
        return r.left >= left && r.top >= top && r.right <= right && r.bottom <= bottom;
    }

    // Non-mutating helpers.
    constexpr CRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    constexpr CRect inflated(int dx, int dy) const { return {left - dx, top - dy, right + dx, bottom + dy}; }
    constexpr CRect deflated(int dx, int dy) const { return inflated(-dx, -dy); }
    constexpr CRect normalized() const {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    // The empty result is all zeros, as the platform reports it.
    constexpr CRect intersected(const CRect& o) const {
        CRect r{std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
        return r.IsRectEmpty() ? CRect{} : r;
    }
    // Empty rectangles take no part in a union.
    constexpr CRect united(const CRect& o) const {
        if (IsRectEmpty()) return o.IsRectEmpty() ? CRect{} : o;
        if (o.IsRectEmpty()) return *this;
        return {std::min(left, o.left), std::min(top, o.top), std::max(right, o.right), std::max(bottom, o.bottom)};
    }
    constexpr bool intersects(const CRect& o) const { return !intersected(o).IsRectEmpty(); }

    // Mutating forms the framework-style code calls.
    void SetRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }
    void SetRectEmpty() { *this = CRect{}; }
    void OffsetRect(int dx, int dy) { *this = offset(dx, dy); }
    void OffsetRect(CPoint p) { *this = offset(p.x, p.y); }
    void InflateRect(int dx, int dy) { *this = inflated(dx, dy); }
    void DeflateRect(int dx, int dy) { *this = deflated(dx, dy); }
    void NormalizeRect() { *this = normalized(); }
    bool IntersectRect(const CRect& a, const CRect& b) { *this = a.intersected(b); return !IsRectEmpty(); }
    bool UnionRect(const CRect& a, const CRect& b) { *this = a.united(b); return !IsRectEmpty(); }
};
