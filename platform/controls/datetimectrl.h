// The date-time picker in up-down style: the time shown through a display
// format of fields (HH H hh h mm m ss s dddd ddd dd d MMMM MMM MM M yyyy yy
// tt) and literals ('quoted', '' for a quote), with spin buttons at the
// right. One field is selected; Left/Right and the mouse choose it, Up/Down
// and the spin buttons step it (wrapping inside its range, without carrying
// into the next field), typed digits set it. The time is kept as seconds
// since 1970 UTC and shown in local time; only times that fit in signed 32
// bits are taken.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/controls/ctrlconst.h"
#include "platform/win/wnd.h"

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags = GDT_VALID;
    std::int64_t time = 0;   // seconds since 1970 UTC
};

struct DateTimeState;

class CDateTimeCtrl : public CWnd {
public:
    using CWnd::Create;  // keep the generic form reachable beside this one
    BOOL Create(DWORD style, const CRect& rect, CWnd* parent, UINT id);

    // FALSE (and no change) for a time outside the signed 32-bit range.
    BOOL SetTime(std::int64_t secondsUtc);
    std::int64_t GetTime() const;
    // Null or empty goes back to the style's default format.
    BOOL SetFormat(const char16_t* format);

    // For tests and accessibility: the text shown, the editable fields'
    // rectangles (client coordinates) and the selected one.
    CString GetDisplayText() const;
    int GetFieldCount() const;
    CRect GetFieldRect(int field) const;
    int GetSelectedField() const;
    CRect GetSpinRect(bool up) const;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:

private:
    DateTimeState& S() const;
    void Parse();
    void Step(int delta);
    void TypeDigit(int digit);
    void FinishTyping();
    bool Apply(int fieldIndex, int value);
    void SelectField(int editable);
    void Notify();
    void OnPaint();
    std::vector<CRect> Layout(std::vector<CString>* texts) const;
};
