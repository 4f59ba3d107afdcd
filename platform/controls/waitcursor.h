// The wait cursor, shown for the life of the object. Nested objects keep it
// until the outermost one ends; then the cursor from before comes back.
#pragma once

#include "platform/win/messages.h"

class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    // Shows the wait cursor again (after something else changed it).
    void Restore();
    static bool Active();
};
