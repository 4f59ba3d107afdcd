// gallery: a real top-level window whose child windows paint themselves:
// the drawing layer's reference sheet, the system colours, a push area that
// counts clicks and a line of facts about the screen.
//   gallery --screenshot FILE.png   shows it on the headless screen and writes the window as a PNG.
//   gallery                         shows it in a window on the display ($DISPLAY).
//   gallery --controls [...]        the same for the dialog of standard controls.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/backend/backend_choice.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/png.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"
#include "platform/win/wnd.h"
#include "tools/gallery/controls_dialog.h"
#include "tools/gallery/drawing_sheet.h"

namespace {

constexpr int kWidth = 900;    // the whole window, frame and caption included
constexpr int kHeight = 700;
constexpr int kStripHeight = 22;

// The drawing layer's reference sheet.
class SheetPane : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        default: return CWnd::WindowProc(msg, w, l);
        }
    }

private:
    void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        DrawReferenceSheet(dc, rc);
    }
};

// The system colours the controls paint with, one swatch each.
class SwatchStrip : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_SYSCOLORCHANGE: Invalidate(); return 0;
        default: return CWnd::WindowProc(msg, w, l);
        }
    }

private:
    void OnPaint() {
        static const int kColours[] = {COLOR_BTNFACE,    COLOR_BTNSHADOW,  COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW,
                                       COLOR_WINDOW,     COLOR_WINDOWTEXT, COLOR_HIGHLIGHT,    COLOR_ACTIVECAPTION,
                                       COLOR_INFOBK,     COLOR_GRAYTEXT,   COLOR_SCROLLBAR,    COLOR_INFOTEXT};
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
        int n = int(std::size(kColours));
        int w = rc.Width() / n;
        for (int i = 0; i < n; ++i) {
            CRect cell(rc.left + i * w + 1, rc.top + 1, rc.left + (i + 1) * w - 1, rc.bottom - 1);
            dc.Draw3dRect(cell, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
            dc.FillSolidRect(cell.deflated(1, 1), GetSysColor(kColours[i]));
        }
    }
};

// A push area: raised, sunken while the left button holds it (with the
// capture, so sliding off and back works as on a button), counts clicks.
class ClickPad : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: OnLButtonDown(); return 0;
        case WM_LBUTTONUP: OnLButtonUp(CPoint(GET_X_LPARAM(l), GET_Y_LPARAM(l))); return 0;
        case WM_CAPTURECHANGED: OnCaptureChanged(); return 0;
        default: return CWnd::WindowProc(msg, w, l);
        }
    }

private:
    void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
        CRect edge = rc;
        dc.DrawEdge(&edge, m_pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
        if (CFont* f = GetFont()) dc.SelectObject(f);
        CRect text = rc.offset(m_pressed ? 1 : 0, m_pressed ? 1 : 0);
        dc.DrawText(u"Clicks: " + ToU16(m_clicks), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    void OnLButtonDown() {
        SetCapture();
        m_pressed = true;
        Invalidate();
    }
    void OnLButtonUp(CPoint p) {
        if (GetCapture() != this) return;
        CRect rc;
        GetClientRect(&rc);
        if (rc.PtInRect(p)) ++m_clicks;
        ReleaseCapture();   // OnCaptureChanged redraws
    }
    void OnCaptureChanged() {
        m_pressed = false;
        Invalidate();
    }
    bool m_pressed = false;
    int m_clicks = 0;
};

// One line of facts about the screen the gallery is on.
class FactsLine : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_PAINT: OnPaint(); return 0;
        case WM_NCHITTEST: return HTTRANSPARENT;   // a label: presses reach the window behind
        default: return CWnd::WindowProc(msg, w, l);
        }
    }

private:
    void OnPaint() {
        CPaintDC dc(this);
        CRect rc;
        GetClientRect(&rc);
        dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
        Backend* b = GetBackend();
        std::string facts = std::string(b ? b->Name() : "?") + " screen " +
                            std::to_string(GetSystemMetrics(SM_CXSCREEN)) + " x " +
                            std::to_string(GetSystemMetrics(SM_CYSCREEN));
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(GetSysColor(COLOR_BTNTEXT));
        if (CFont* f = GetFont()) dc.SelectObject(f);
        CRect text = rc.deflated(4, 0);
        dc.DrawText(FromUtf8(facts), &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
};

class GalleryWnd : public CWnd {
public:
    BOOL Create() {
        if (!CreateEx(0, nullptr, u"Velmora gallery", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CRect(60, 40, 60 + kWidth, 40 + kHeight), nullptr, 0))
            return FALSE;
        CRect rc;
        GetClientRect(&rc);
        int stripTop = rc.bottom - kStripHeight;
        int third = rc.Width() / 3;
        if (!m_sheet.Create(nullptr, u"", WS_VISIBLE, CRect(0, 0, rc.right, stripTop), this, 1) ||
            !m_swatches.Create(nullptr, u"", WS_VISIBLE, CRect(0, stripTop, third, rc.bottom), this, 2) ||
            !m_pad.Create(nullptr, u"", WS_VISIBLE, CRect(third, stripTop, 2 * third, rc.bottom), this, 3) ||
            !m_facts.Create(nullptr, u"", WS_VISIBLE, CRect(2 * third, stripTop, rc.right, rc.bottom), this, 4))
            return FALSE;
        // The strip's texts use the desktop's message font.
        LOGFONT lf = GetDesktopMessageFont();
        if (m_font.CreateFontIndirect(&lf)) {
            m_pad.SetFont(&m_font, FALSE);
            m_facts.SetFont(&m_font, FALSE);
        }
        return TRUE;
    }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_DESTROY: PostQuitMessage(0); break;
        default: break;
        }
        return CWnd::WindowProc(msg, w, l);
    }

private:
    CFont m_font;   // outlives the children that use it (declared first)
    SheetPane m_sheet;
    SwatchStrip m_swatches;
    ClickPad m_pad;
    FactsLine m_facts;
};

// The window as the screen shows it.
bool WriteWindowShot(Backend& backend, const CWnd& wnd, const std::string& path, std::string* error) {
    Surface screen;
    if (!backend.CaptureScreen(&screen)) {
        *error = "the screen could not be read";
        return false;
    }
    CRect wr;
    wnd.GetWindowRect(&wr);
    wr = wr.intersected(screen.bounds());
    Surface shot(wr.Width(), wr.Height());
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) shot.setPixel(x, y, screen.pixel(wr.left + x, wr.top + y));
    return WritePng(shot, path, error);
}

int Run(const std::string& shot, bool controls) {
    BackendChoice choice = ChooseBackend(!shot.empty());
    if (shot.empty() && choice.headless) {
        std::fprintf(stderr, "gallery: %s; use gallery --screenshot FILE.png\n", choice.note.c_str());
        return 2;
    }
    if (!InitWindowSystem(choice.backend.get())) {
        std::fprintf(stderr, "gallery: the window system did not start\n");
        return 1;
    }
    if (controls) {
        int code = RunControlsPage(shot);
        ShutdownWindowSystem();
        return code;
    }
    int code = 0;
    {
        GalleryWnd wnd;
        if (!wnd.Create()) {
            std::fprintf(stderr, "gallery: the window could not be made\n");
            ShutdownWindowSystem();
            return 1;
        }
        wnd.ShowWindow(SW_SHOW);
        wnd.UpdateWindow();
        if (!shot.empty()) {
            RunUntilIdle();
            std::string error;
            if (!WriteWindowShot(*choice.backend, wnd, shot, &error)) {
                std::fprintf(stderr, "gallery: %s\n", error.c_str());
                code = 1;
            } else {
                std::printf("%s\n", shot.c_str());
            }
        } else {
            MSG m;
            int r;
            while ((r = GetMessage(&m)) > 0) {
                TranslateMessage(&m);
                DispatchMessage(&m);
            }
            code = r == 0 ? int(m.wParam) : 1;
        }
    }
    ShutdownWindowSystem();
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::string shot;
    bool controls = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--controls") == 0) controls = true;
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "gallery: --screenshot needs a file name\n");
                return 2;
            }
            shot = argv[++i];
        }
    }
    return Run(shot, controls);
}
