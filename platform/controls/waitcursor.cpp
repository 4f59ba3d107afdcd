#include "platform/controls/waitcursor.h"

#include "platform/win/user.h"

namespace {
int g_depth = 0;
HCURSOR g_before = nullptr;
}  // namespace

// The window layer keeps the wait cursor up through mouse messages handled
// meanwhile (its default WM_SETCURSOR).
CWaitCursor::CWaitCursor() {
    if (g_depth++ == 0) {
        g_before = GetCursor();
        SetBusyCursor(true);
    }
    Restore();
}

CWaitCursor::~CWaitCursor() {
    if (--g_depth == 0) {
        SetBusyCursor(false);
        SetCursor(g_before);
    }
}

void CWaitCursor::Restore() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }

bool CWaitCursor::Active() { return g_depth > 0; }
