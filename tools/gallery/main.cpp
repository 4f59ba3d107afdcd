// gallery: the reference sheet of the drawing layer.
//   gallery --screenshot FILE.png   draws it into a 900 x 700 image and writes the PNG.
//   gallery                         shows it in a window on the display ($DISPLAY).
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/backend/backend_choice.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/png.h"
#include "platform/win/user.h"
#include "platform/win/wnd.h"
#include "tools/gallery/drawing_sheet.h"

namespace {

class GalleryWnd : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_PAINT: {
            CPaintDC dc(this);
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(rc, RGB(255, 255, 255));
            DrawReferenceSheet(dc, rc);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            break;
        default:
            break;
        }
        return CWnd::WindowProc(msg, w, l);
    }
};

int ShowInWindow() {
    BackendChoice choice = ChooseBackend(false);
    if (choice.headless) {
        std::fprintf(stderr, "gallery: %s; use gallery --screenshot FILE.png\n", choice.note.c_str());
        return 2;
    }
    if (!InitWindowSystem(choice.backend.get())) {
        std::fprintf(stderr, "gallery: the window system did not start\n");
        return 1;
    }
    int code = 0;
    {
        GalleryWnd wnd;
        if (!wnd.CreateEx(0, nullptr, u"Velmora gallery", WS_OVERLAPPEDWINDOW, CRect(60, 40, 60 + 900, 40 + 700),
                          nullptr, 0)) {
            std::fprintf(stderr, "gallery: the window could not be made\n");
            ShutdownWindowSystem();
            return 1;
        }
        wnd.ShowWindow(SW_SHOW);
        wnd.UpdateWindow();
        MSG m;
        int r;
        while ((r = GetMessage(&m)) > 0) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        code = r == 0 ? int(m.wParam) : 1;
    }
    ShutdownWindowSystem();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::string shot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) shot = argv[++i];
    }
    if (shot.empty()) return ShowInWindow();
    Surface surface(900, 700, 0xFFFFFF);
    CDC dc(&surface, {0, 0}, surface.bounds());
    DrawReferenceSheet(dc, surface.bounds());
    std::string error;
    if (!WritePng(surface, shot, &error)) {
        std::fprintf(stderr, "gallery: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", shot.c_str());
    return 0;
}
