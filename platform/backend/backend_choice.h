// Which backend a program runs on: a real display when there is one, the
// virtual screen when asked for (screenshots) or when no display can be
// opened.
#pragma once

#include <memory>
#include <string>

#include "platform/backend/backend.h"

struct BackendChoice {
    std::unique_ptr<Backend> backend;
    bool headless = true;
    std::string note;   // why the virtual screen was taken, for the user
};

// wantHeadless: the virtual screen whatever is there (--screenshot).
// Otherwise the display named by $DISPLAY, falling back to the virtual
// screen with a note when $DISPLAY is unset or cannot be opened.
BackendChoice ChooseBackend(bool wantHeadless);
