// Static text: a label drawn left, centred or right in the dialog's static
// colours. It answers HTTRANSPARENT so presses on it reach the dialog,
// unless it has SS_NOTIFY.
#pragma once

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

class CStatic : public CWnd {
public:
    using CWnd::Create;  // keep the generic form reachable beside this one
    BOOL Create(const char16_t* text, DWORD style, const CRect& rect, CWnd* parent, UINT id = 0xFFFF);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:

private:
    void OnPaint();
};
