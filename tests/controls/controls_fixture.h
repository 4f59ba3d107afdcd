// Shared set-up of the control tests: a virtual screen, a dialog made from
// a template written in the test, and helpers to press on controls.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/controls/button.h"
#include "platform/controls/combobox.h"
#include "platform/controls/ctrlutil.h"
#include "platform/controls/datetimectrl.h"
#include "platform/controls/dialog.h"
#include "platform/controls/edit.h"
#include "platform/controls/static.h"
#include "platform/win/headless_screen.h"
#include "platform/win/user.h"

// A dialog whose data exchange and commands the test supplies and records.
class TestDialog : public CDialog {
public:
    explicit TestDialog(const DialogTemplate* tmpl, CWnd* parent = nullptr) : CDialog(0, parent) { SetTemplate(tmpl); }
    std::function<void(CDataExchange*)> exchange;
    std::function<void()> init;
    std::vector<std::pair<int, int>> commands;   // (id, code) of WM_COMMAND seen
    int okCalls = 0;

    void DoDataExchange(CDataExchange* pDX) override {
        if (exchange) exchange(pDX);
    }
    BOOL OnInitDialog() override {
        BOOL r = CDialog::OnInitDialog();
        if (init) init();
        return r;
    }
    void OnOK() override {
        ++okCalls;
        CDialog::OnOK();
    }
    BOOL OnCommand(WPARAM w, LPARAM l) override {
        commands.emplace_back(LOWORD(w), HIWORD(w));
        return CDialog::OnCommand(w, l);
    }
    int Count(int id, int code) const {
        int n = 0;
        for (auto& c : commands) n += c.first == id && c.second == code;
        return n;
    }
};

inline DialogTemplate BaseTemplate(int cx = 240, int cy = 160) {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
    t.caption = u"Test";
    t.place = CRect(10, 10, 10 + cx, 10 + cy);
    return t;
}

class ControlsTest : public ::testing::Test {
public:   // scripts in case tables reach the screen through the fixture
    HeadlessScreen screen;

    static CPoint CenterOf(const CWnd* w) {
        CRect r;
        w->GetWindowRect(&r);
        return r.CenterPoint();
    }
    static CPoint ScreenPoint(const CWnd* w, CPoint client) {
        w->ClientToScreen(&client);
        return client;
    }
    void ClickOn(const CWnd* w) {
        CPoint p = CenterOf(w);
        screen.Click(p.x, p.y);
    }
    void ClickAt(const CWnd* w, CPoint client) {
        CPoint p = ScreenPoint(w, client);
        screen.Click(p.x, p.y);
    }
    void Chord(UINT modifier, UINT vk) {
        screen.KeyDown(modifier);
        screen.Key(vk);
        screen.KeyUp(modifier);
    }
    // Colour of the screen at a control's client point.
    COLORREF PixelIn(const CWnd* w, CPoint client) {
        CPoint p = ScreenPoint(w, client);
        return screen.Pixel(p.x, p.y);
    }
};
