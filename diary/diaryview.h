// What the diary's files need from the diary window: refilling the grid, the
// four state colours held by the pickers, and a message box. The window
// implements it; tests implement it with a recorder.
#pragma once

#include "platform/base/text.h"
#include "platform/base/types.h"

class IDiaryView {
public:
    virtual ~IDiaryView() = default;
    // Refills the grid from the record list; the window's version ends by saving it.
    virtual void RebuildRows() = 0;
    // state: 0 on Schedule, 1 behind Schedule, 2 ahead of Schedule, 3 Cancellation.
    virtual COLORREF GetStateColour(int state) const = 0;
    virtual void SetStateColour(int state, COLORREF colour) = 0;
    virtual void ShowMessage(const CString& text, const CString& caption) = 0;
};
