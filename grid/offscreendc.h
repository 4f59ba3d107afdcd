// COffscreenDC: a paint context that draws into a bitmap the size of the
// paint area and copies it to the screen in one step when it goes, so a
// paint never shows half-drawn cells. On a printer context it draws straight
// through. Its lifetime is one WM_PAINT.
#pragma once

#include "platform/gfx/dc.h"
#include "platform/gfx/gdiobj.h"

class COffscreenDC : public CDC {
public:
    explicit COffscreenDC(CDC* target);
    ~COffscreenDC() override;
    COffscreenDC(const COffscreenDC&) = delete;
    COffscreenDC& operator=(const COffscreenDC&) = delete;

    const CRect& Area() const { return m_area; }
    bool IntoMemory() const { return m_memory; }

private:
    CBitmap m_bitmap;
    CBitmap* m_oldBitmap = nullptr;
    CDC* m_target = nullptr;
    CRect m_area;
    bool m_memory = false;
};
