// The window system's hot paths: the message queue and a full repaint.
#include <benchmark/benchmark.h>

#include "platform/gfx/syscolors.h"
#include "platform/win/headless_screen.h"
#include "platform/win/user.h"
#include "platform/win/wnd.h"

namespace {

class Counter : public CWnd {
public:
    long long handled = 0;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_USER) {
            handled += static_cast<long long>(w & 1) + 1;
            return 0;
        }
        return CWnd::WindowProc(msg, w, l);
    }
};

// A million posted messages, each taken from the queue and dispatched.
void BM_PostAndDispatchMillion(benchmark::State& state) {
    HeadlessScreen screen;
    Counter w;
    w.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0);
    screen.RunUntilIdle();
    constexpr int kMessages = 1000000;
    for (auto _ : state) {
        w.handled = 0;
        for (int i = 0; i < kMessages; ++i) ::PostMessage(w.m_hWnd, WM_USER, WPARAM(i), 0);
        screen.RunUntilIdle();
        benchmark::DoNotOptimize(w.handled);
    }
    if (w.handled != kMessages + kMessages / 2) state.SkipWithError("messages were lost");
    state.SetItemsProcessed(state.iterations() * kMessages);
}
BENCHMARK(BM_PostAndDispatchMillion)->Unit(benchmark::kMillisecond);

// A control that paints as a simple control does: face, edge, text.
long long g_controlPaints = 0;

class Control : public CWnd {
public:
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_PAINT) {
            ++g_controlPaints;
            CPaintDC dc(this);
            CRect rc;
            GetClientRect(&rc);
            dc.FillSolidRect(rc, GetSysColor(COLOR_BTNFACE));
            CRect edge = rc;
            dc.DrawEdge(&edge, EDGE_RAISED, BF_RECT);
            dc.SetBkMode(TRANSPARENT);
            dc.DrawText(GetWindowText(), &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            return 0;
        }
        return CWnd::WindowProc(msg, w, l);
    }
};

// The diary window's size with 30 child controls: invalidate everything,
// then let the loop erase, paint every window and present the surface.
void BM_FullRepaint918x658With30Children(benchmark::State& state) {
    HeadlessScreen screen;
    CWnd top;
    top.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, CRect(50, 50, 50 + 918, 50 + 658), nullptr, 0);
    std::vector<std::unique_ptr<Control>> controls;
    for (int i = 0; i < 30; ++i) {
        auto c = std::make_unique<Control>();
        int col = i % 6, row = i / 6;
        CRect rc(10 + col * 150, 10 + row * 128, 10 + col * 150 + 140, 10 + row * 128 + 110);
        c->Create(nullptr, (u"Control " + ToU16(i)).c_str(), WS_VISIBLE, rc, &top, UINT(100 + i));
        controls.push_back(std::move(c));
    }
    screen.RunUntilIdle();
    int presents = screen.backend().PresentCount();
    g_controlPaints = 0;
    for (auto _ : state) {
        top.Invalidate();
        screen.RunUntilIdle();
    }
    if (screen.backend().PresentCount() - presents < int(state.iterations())) state.SkipWithError("nothing was presented");
    if (g_controlPaints != 30 * static_cast<long long>(state.iterations())) state.SkipWithError("a control did not repaint");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FullRepaint918x658With30Children)->Unit(benchmark::kMillisecond);

}  // namespace
