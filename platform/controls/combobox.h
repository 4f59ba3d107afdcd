// The drop-down list combo box: a field showing the selected item with a
// button beside it, and a popup list under it. The text cannot be typed;
// a typed letter selects the next item that starts with it. The height in
// the template is the height of the field and the dropped list together.
//
// While the list is down the combo box holds the mouse capture, so it sees
// every press: inside the list chooses the item under the pointer, on the
// field closes the list, anywhere else closes it without a change.
#pragma once

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

struct ComboState;

class CComboBox : public CWnd {
public:
    using CWnd::Create;  // keep the generic form reachable beside this one
    BOOL Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    int AddString(const char16_t* text);
    int InsertString(int index, const char16_t* text);
    int DeleteString(int index);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int index);
    int GetLBText(int index, CString& text) const;
    int GetLBTextLen(int index) const;
    int FindString(int startAfter, const char16_t* prefix) const;
    int FindStringExact(int startAfter, const char16_t* text) const;
    int SelectString(int startAfter, const char16_t* prefix);
    void ShowDropDown(BOOL show = TRUE);
    BOOL GetDroppedState() const;
    void GetDroppedControlRect(CRect* rect) const;   // screen coordinates
    int GetItemHeight() const;
    // The item highlighted in the dropped list (-1 when closed).
    int GetHotItem() const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:

private:
    friend class CComboListPopup;
    ComboState& S() const;
    int ItemHeight() const;
    int FieldHeight() const;
    CRect ButtonRect() const;
    void FitFieldHeight();
    void Drop();
    void CloseUp(bool accept);
    void Choose(int index, bool notify);
    void ShowSelection(int index);
    int ItemAtScreen(CPoint screenPt, bool* inList) const;
    int VisibleItems() const;
    void EnsureHotVisible();
    void SyncListBar();
    void OnKeyDown(UINT vk);
    void OnChar(char16_t ch);
    void OnPaint();
    void PaintList(CDC& dc, const CRect& client);
};

// The dropped list's window. It only paints; the combo box does the rest.
class CComboListPopup : public CWnd {
public:
    HWND m_combo = nullptr;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
};
