// Helpers every control shares: state kept per window handle, the control's
// font, the control-colour request to the parent, notifications and the
// registration of the control classes.
#pragma once

#include <memory>
#include <unordered_map>

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

// A control's state lives beside its window, not in the C++ object, so a
// dialog that attaches its own object to a control made from a template
// (DDX_Control) finds the items, text and selection already there.
template <class T>
class ControlStateTable {
public:
    static T& Of(HWND hwnd) {
        auto& slot = Map()[hwnd];
        if (!slot) slot = std::make_unique<T>();
        return *slot;
    }
    static bool Has(HWND hwnd) { return Map().count(hwnd) != 0; }
    static void Drop(HWND hwnd) { Map().erase(hwnd); }

private:
    static std::unordered_map<HWND, std::unique_ptr<T>>& Map() {
        static std::unordered_map<HWND, std::unique_ptr<T>> map;
        return map;
    }
};

// The font set with WM_SETFONT, else the desktop message font.
CFont* ControlFont(const CWnd* ctrl);
// Sends WM_CTLCOLOR* for the control to its parent (the control's own
// default handling when it has none); the context gets the text and
// background colours. Returns the brush, null for "leave it unpainted".
HBRUSH RequestCtlColor(CWnd* ctrl, CDC& dc, UINT message);
// Fills rect with the brush unless it is null or the null brush.
void FillWithBrush(CDC& dc, const CRect& rect, HBRUSH brush);
// WM_COMMAND to the parent with the control's id and the code. Returns false
// when the control was destroyed meanwhile.
bool NotifyParent(CWnd* ctrl, WORD code);
bool IsKeyDown(UINT vk);
// WM_GETTEXT's answer: copies text into the caller's buffer of wParam characters.
LRESULT CopyTextOut(const CString& text, WPARAM wParam, LPARAM lParam);
// The white field of edits, lists and pickers: asks for the edit colours
// (the static ones when disabled or read-only), draws the sunken edge when
// asked, fills the inside (*inner on return). Returns the text colour.
COLORREF PaintFieldBackground(CWnd* ctrl, CDC& dc, CRect* inner, bool sunkenEdge, bool editable = true);
// A small push face (the combo box's drop button, the spin buttons): raised,
// or flat with a shadow frame while pressed.
void PaintPushFace(CDC& dc, const CRect& rect, bool pressed);

// Registers Button, Static, Edit, ComboBox, the drop-down list and the
// date-time picker with the window system in use (again after a restart).
void EnsureControlClasses();
