#include "grid/offscreendc.h"

COffscreenDC::COffscreenDC(CDC* target) : m_target(target) {
    m_memory = !target->IsPrinting();
    target->GetClipBox(&m_area);
    if (m_memory) {
        CRect device = m_area;
        target->LPtoDP(&device);
        if (!CreateCompatibleDC(target)) {
            m_memory = false;   // no memory context: draw straight onto the target
        } else if (!m_bitmap.CreateCompatibleBitmap(target, device.Width(), device.Height())) {
            // No bitmap: draw straight onto the target instead.
            DeleteDC();
            m_memory = false;
        } else {
            m_oldBitmap = SelectObject(&m_bitmap);
            SetMapMode(target->GetMapMode());
            SetWindowOrg(m_area.left, m_area.top);
        }
    }
    if (!m_memory) {
        Attach(target->GetSafeHdc());
        SetPrinting(target->IsPrinting());
    }
}

COffscreenDC::~COffscreenDC() {
    if (m_memory) {
        m_target->BitBlt(m_area.left, m_area.top, m_area.Width(), m_area.Height(), this, m_area.left,
                         m_area.top, SRCCOPY);
        if (m_oldBitmap) SelectObject(m_oldBitmap);
        m_bitmap.DeleteObject();
        DeleteDC();
    } else {
        Detach();
    }
}
