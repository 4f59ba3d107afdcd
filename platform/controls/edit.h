// The edit control: single-line (scrolling sideways with ES_AUTOHSCROLL,
// otherwise refusing text that would not fit the box) and multi-line
// (lines wrap at the box's width, "\r\n" separates lines, the vertical
// scroll bar follows the text, Enter makes a new line only with
// ES_WANTRETURN when the edit sits in a dialog).
//
// The caret is a one-pixel bar at the caret position, drawn while the edit
// has the focus. Selection: mouse drag, Shift with the movement keys,
// double click for a word, Ctrl+A for all. Ctrl+C/X/V and Ctrl+Z (one level
// of undo, which a second undo takes back). A disabled or read-only edit
// takes the static colours; disabled text is grey.
//
// Index: creation and API · messages · keys · mouse · editing · layout ·
// painting.
#pragma once

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

struct EditState;

class CEdit : public CWnd {
public:
    using CWnd::Create;  // keep the generic form reachable beside this one
    BOOL Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    void GetSel(int& start, int& end) const;
    void SetSel(int start, int end, BOOL noScroll = FALSE);
    void ReplaceSel(const char16_t* text, BOOL canUndo = FALSE);
    void SetLimitText(UINT max);
    BOOL CanUndo() const;
    BOOL Undo();
    void EmptyUndoBuffer();
    BOOL GetModify() const;
    void SetModify(BOOL modified = TRUE);
    int GetLineCount() const;
    int GetFirstVisibleLine() const;
    int LineIndex(int line = -1) const;
    int LineFromChar(int index = -1) const;
    BOOL SetReadOnly(BOOL readOnly = TRUE);
    void Copy() { SendMessage(WM_COPY); }
    void Cut() { SendMessage(WM_CUT); }
    void Paste() { SendMessage(WM_PASTE); }
    void Clear() { SendMessage(WM_CLEAR); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:

private:
    struct Line {
        int start;
        int end;    // the line's text ends here (break characters excluded)
    };
    EditState& S() const;
    bool Multi() const;
    CRect FormatRect() const;
    int LineHeight() const;
    std::vector<Line> Layout() const;
    int LineOf(const std::vector<Line>& lines, int pos) const;
    CPoint PosFromChar(int pos) const;
    int CharFromPoint(CPoint pt) const;
    int VisibleLines() const;
    int TextWidth(int from, int to) const;

    void OnKeyDown(UINT vk);
    void OnChar(char16_t ch);
    void OnLButtonDown(CPoint pt, bool dbl);
    void OnVScroll(UINT code, int pos);
    void OnPaint();

    void MoveCaret(int pos, bool extend);
    bool Insert(CString text, bool user);
    void DeleteRange(int from, int to);
    void DeleteSelection();
    void SaveUndo();
    void Changed();
    void EnsureCaretVisible();
    void UpdateScrollBar();
    void CopySelection();
    void PasteClipboard();
    int PrevChar(int pos) const;
    int NextChar(int pos) const;
    int PrevWord(int pos) const;
    int NextWord(int pos) const;
};
