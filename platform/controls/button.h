// Push buttons (plain, default, owner-drawn), tick boxes, radio buttons and
// group boxes, and the bitmap button base class.
//
// A press by mouse takes the capture and shows the button pushed while the
// pointer is inside; BN_CLICKED goes to the parent only when the release
// happens inside. The space bar pushes on key down and clicks on key up.
// Owner-drawn buttons send WM_DRAWITEM to their parent, whose default
// handling reflects it back to the button's DrawItem (a parent that does
// not answer gets the button's own DrawItem anyway).
#pragma once

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

class CButton : public CWnd {
public:
    CButton() = default;
    using CWnd::Create;  // keep the generic form reachable beside this one
    BOOL Create(const char16_t* caption, DWORD style, const CRect& rect, CWnd* parent, UINT id);

    int GetCheck() const;
    void SetCheck(int check);
    UINT GetState() const;                 // BST_* bits
    void SetState(BOOL highlight);
    UINT GetButtonStyle() const { return UINT(GetStyle() & 0xFFFF); }
    void SetButtonStyle(UINT style, BOOL redraw = TRUE);
    // What a completed click does: auto tick boxes toggle, then BN_CLICKED.
    void Click();

    // Owner-drawn buttons: called for WM_DRAWITEM. The base draws nothing.
    virtual void DrawItem(DRAWITEMSTRUCT* dis);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // WM_DRAWITEM sent to the parent comes back here and calls DrawItem.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

protected:

private:
    void OnPaint();
    void PaintPushButton(CDC& dc, const CRect& rc);
    void PaintCheckOrRadio(CDC& dc, const CRect& rc, bool radio);
    void PaintGroupBox(CDC& dc, const CRect& rc);
    void Repaint();
};

// A button whose face is one of four bitmaps: normal, selected (pushed),
// focused and disabled; a missing one falls back to the normal face.
class CBitmapButton : public CButton {
public:
    BOOL LoadBitmaps(UINT normal, UINT selected = 0, UINT focus = 0, UINT disabled = 0);
    // Resizes the button to its normal bitmap.
    void SizeToContent();
    void DrawItem(DRAWITEMSTRUCT* dis) override;

    CBitmap m_bitmap;
    CBitmap m_bitmapSel;
    CBitmap m_bitmapFocus;
    CBitmap m_bitmapDisabled;
};
