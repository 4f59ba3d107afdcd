#include "platform/controls/waitcursor.h"

#include "platform/win/user.h"

namespace {
int g_depth = 0;
HCURSOR g_before = nullptr;
}  // namespace

// FIXME: the window layer's default WM_SETCURSOR does not know about the
// wait; a mouse message handled while waiting may put the arrow back until
// Restore(). The program's waits are synchronous, so none arrives meanwhile.
CWaitCursor::CWaitCursor() {
    if (g_depth++ == 0) g_before = GetCursor();
    Restore();
}

CWaitCursor::~CWaitCursor() {
    if (--g_depth == 0) SetCursor(g_before);
}

void CWaitCursor::Restore() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }

bool CWaitCursor::Active() { return g_depth > 0; }
