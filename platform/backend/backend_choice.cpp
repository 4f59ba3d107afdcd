#include "platform/backend/backend_choice.h"

#include <cstdlib>

#include "platform/backend/x11/x11_backend.h"

BackendChoice ChooseBackend(bool wantHeadless) {
    BackendChoice c;
    const char* display = std::getenv("DISPLAY");
    if (!wantHeadless && display && *display) {
        std::string error;
        if (auto x = CreateX11Backend(display, &error)) {
            c.backend = std::move(x);
            c.headless = false;
            return c;
        }
        c.note = error;
    } else if (!wantHeadless) {
        c.note = "no display (DISPLAY is not set)";
    }
    c.backend = CreateHeadlessBackend();
    return c;
}
