// Small helpers for pixel tests: a white canvas with a context on it, and
// the bounding box and amount of "ink" that differs from the background.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "platform/gfx/dc.h"
#include "platform/gfx/surface.h"

struct Canvas {
    explicit Canvas(int w = 200, int h = 100, COLORREF background = RGB(255, 255, 255))
        : surface(w, h, ToPixel(background)), dc(&surface, {0, 0}, surface.bounds()), bg(background) {}
    COLORREF at(int x, int y) const { return surface.GetPixel(x, y); }

    // Pixels that differ from the background, in surface coordinates.
    CRect ink() const {
        CRect box;
        bool any = false;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x)
                if (surface.GetPixel(x, y) != bg) {
                    if (!any) box = CRect(x, y, x + 1, y + 1);
                    box = box.united(CRect(x, y, x + 1, y + 1));
                    any = true;
                }
        return box;
    }
    // Sum of darkness over the whole surface (for black text on white).
    long darkness() const {
        long sum = 0;
        for (int y = 0; y < surface.height(); ++y)
            for (int x = 0; x < surface.width(); ++x) sum += 255 - (surface.pixel(x, y) & 0xFF);
        return sum;
    }

    Surface surface;
    CDC dc;
    COLORREF bg;
};
