// Dialogs from templates: placement in dialog units, tab order, the default
// button, Esc, data exchange in both directions, colours and centring.
#include "controls_fixture.h"

#include "platform/base/timefmt.h"
#include "platform/gfx/syscolors.h"

namespace {

class Dialog : public ControlsTest {};

DialogTemplate TabTemplate() {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_BUTTON, 102, u"Other", WS_TABSTOP | BS_PUSHBUTTON, 10, 120, 50, 14);
    t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 20, 100, 14);
    t.Add(WC_STATIC, -1, u"Label", SS_LEFT, 10, 40, 60, 8);
    t.Add(WC_BUTTON, 104, u"Off", WS_TABSTOP | WS_DISABLED | BS_AUTOCHECKBOX, 10, 60, 60, 10);
    t.Add(WC_BUTTON, 103, u"Tick", WS_TABSTOP | BS_AUTOCHECKBOX, 10, 80, 60, 10);
    t.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 120, 50, 14);
    t.Add(WC_BUTTON, IDCANCEL, u"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 180, 120, 50, 14);
    return t;
}

TEST_F(Dialog, ControlsSitInDialogUnitsAndTabFollowsTheTemplate) {
    DialogTemplate t = TabTemplate();
    TestDialog dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();

    CSize base = dlg.GetBaseUnits();
    EXPECT_GT(base.cx, 3);
    EXPECT_GT(base.cy, 8);
    CRect want = DialogUnitsToPixels(CRect(10, 20, 110, 34), base);
    CRect got;
    dlg.GetDlgItem(101)->GetWindowRect(&got);
    dlg.ScreenToClient(&got);
    EXPECT_EQ(got, want);
    CRect client;
    dlg.GetClientRect(&client);
    EXPECT_EQ(client.Size(), DialogUnitsToPixels(CRect(0, 0, 240, 160), base).Size());

    // Focus starts on the first tab stop; Tab skips the label and the disabled box.
    EXPECT_EQ(CWnd::GetFocus(), dlg.GetDlgItem(102));
    dlg.SetDlgItemText(101, u"abc");
    std::vector<int> forward;
    for (int i = 0; i < 5; ++i) {
        screen.Key(VK_TAB);
        forward.push_back(CWnd::GetFocus()->GetDlgCtrlID());
    }
    EXPECT_EQ(forward, (std::vector<int>{101, 103, IDOK, IDCANCEL, 102}));
    int a = 0, b = 0;
    dynamic_cast<CEdit*>(dlg.GetDlgItem(101))->GetSel(a, b);
    EXPECT_EQ(std::make_pair(a, b), std::make_pair(0, 3)) << "tabbing into an edit selects its text";
    std::vector<int> backward;
    screen.KeyDown(VK_SHIFT);
    for (int i = 0; i < 3; ++i) {
        screen.Key(VK_TAB);
        backward.push_back(CWnd::GetFocus()->GetDlgCtrlID());
    }
    screen.KeyUp(VK_SHIFT);
    EXPECT_EQ(backward, (std::vector<int>{IDCANCEL, IDOK, 103}));
    int clicks = 0;
    for (auto& c : dlg.commands) clicks += c.second == BN_CLICKED;
    EXPECT_EQ(clicks, 0) << "moving the focus clicks nothing";
    dlg.DestroyWindow();
}

// Each way of ending (or not ending) a modal run, driven by scripted input.
TEST_F(Dialog, EnterEscAndCloseEndTheModalRun) {
    struct Case {
        const char* name;
        std::function<void(ControlsTest&, TestDialog&, HeadlessScreen&)> act;
        INT_PTR result;
        int okCalls;
        int otherClicks;
    };
    auto key = [](UINT vk) {
        return [vk](ControlsTest&, TestDialog& d, HeadlessScreen& s) {
            d.GotoDlgCtrl(d.GetDlgItem(101));
            s.Key(vk);
        };
    };
    std::vector<Case> cases = {
        {"Enter in the edit", key(VK_RETURN), IDOK, 1, 0},
        {"Esc", key(VK_ESCAPE), IDCANCEL, 0, 0},
        {"Enter on a focused push button clicks it, Esc then ends",
         [](ControlsTest&, TestDialog& d, HeadlessScreen& s) {
             d.GetDlgItem(102)->SetFocus();
             s.Key(VK_RETURN);
             s.Key(VK_ESCAPE);
         },
         IDCANCEL, 0, 1},
        {"the window is closed",
         [](ControlsTest&, TestDialog& d, HeadlessScreen&) { d.PostMessage(WM_CLOSE); },
         IDCANCEL, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogTemplate t = TabTemplate();
        TestDialog dlg(&t);
        screen.Step([&] { c.act(*this, dlg, screen); });
        EXPECT_EQ(dlg.DoModal(), c.result);
        EXPECT_EQ(dlg.okCalls, c.okCalls);
        EXPECT_EQ(dlg.Count(102, BN_CLICKED), c.otherClicks);
        EXPECT_EQ(dlg.m_hWnd, nullptr) << "the window is gone after the run";
    }
}

TEST_F(Dialog, EnterGoesToTheTemplatesDefaultButton) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER, 10, 20, 100, 14);
    t.Add(WC_BUTTON, 106, u"Go", WS_TABSTOP | BS_DEFPUSHBUTTON, 120, 120, 50, 14);
    TestDialog dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();
    EXPECT_EQ(LOWORD(dlg.GetDefID()), 106);
    screen.Key(VK_RETURN);
    EXPECT_EQ(dlg.Count(106, BN_CLICKED), 1);
    EXPECT_EQ(dlg.okCalls, 0);
    dlg.DestroyWindow();
}

TEST_F(Dialog, AFailedReadKeepsTheDialogOpenOnTheBadField) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER, 10, 20, 100, 14);
    t.Add(WC_EDIT, 102, u"", WS_TABSTOP | WS_BORDER, 10, 40, 100, 14);
    TestDialog dlg(&t);
    int number = 5;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Text(dx, 102, number); };
    bool openAfterEnter = false;
    int focusAfterEnter = 0;
    screen.Step([&] {
        dlg.GetDlgItem(102)->SetFocus();
        screen.Key(VK_END);
        screen.Type(u"x");
        screen.Key(VK_RETURN);
    });
    screen.Step([&] {
        openAfterEnter = dlg.m_hWnd && dlg.IsWindowVisible();
        focusAfterEnter = CWnd::GetFocus() ? CWnd::GetFocus()->GetDlgCtrlID() : 0;
        screen.Key(VK_ESCAPE);
    });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(openAfterEnter) << "\"5x\" is not a number: OK must not end the dialog";
    EXPECT_EQ(focusAfterEnter, 102);
    EXPECT_EQ(number, 5) << "the member keeps its value";
}

TEST_F(Dialog, DataExchangeRoundTripsEveryKind) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_EDIT, 201, u"", WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_WANTRETURN, 10, 10, 150, 40);
    auto& combo = t.Add(WC_COMBOBOX, 202, u"", WS_TABSTOP | CBS_DROPDOWNLIST, 10, 60, 90, 100);
    combo.items = {u"Sunny", u"Fine", u"Cloudy", u"Shower", u"Storm"};
    t.Add(WC_DATETIMEPICK, 203, u"", WS_TABSTOP | DTS_UPDOWN, 10, 80, 145, 15);
    t.Add(WC_BUTTON, 204, u"Tick", WS_TABSTOP | BS_AUTOCHECKBOX, 10, 100, 60, 10);
    TestDialog dlg(&t);
    CString text = u"first line\r\nsecond";
    CString weather = u"cloudy";
    std::int32_t when = 1086082200;   // 2004-06-01 09:30:00 UTC
    int tick = 1;
    dlg.exchange = [&](CDataExchange* dx) {
        DDX_Text(dx, 201, text);
        DDX_CBString(dx, 202, weather);
        DDX_DateTimeCtrl(dx, 203, when);
        DDX_Check(dx, 204, tick);
    };
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();
    // What the controls show now.
    EXPECT_EQ(dlg.GetDlgItemText(201), u"first line\r\nsecond");
    EXPECT_EQ(dlg.GetDlgItemText(202), u"Cloudy") << "the case-insensitive match is selected";
    EXPECT_EQ(dlg.IsDlgButtonChecked(204), 1u);
    auto* dtp = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(203));
    ASSERT_NE(dtp, nullptr);
    EXPECT_EQ(dtp->GetTime(), 1086082200);

    text.clear();
    weather.clear();
    when = 0;
    tick = 0;
    ASSERT_TRUE(dlg.UpdateData(TRUE));
    EXPECT_EQ(text, u"first line\r\nsecond");
    EXPECT_EQ(weather, u"Cloudy") << "reading gives the item's own text";
    EXPECT_EQ(when, 1086082200);
    EXPECT_EQ(tick, 1);

    // Writing a combo value selects the first item that begins with it.
    struct ComboCase {
        const char16_t* write;
        const char16_t* read;
    } comboCases[] = {{u"SH", u"Shower"}, {u"s", u"Sunny"}, {u"", u"Sunny"}, {u"storm", u"Storm"},
                      {u"Hail", u"Storm"} /* no match: the selection stays */};
    for (const ComboCase& c : comboCases) {
        SCOPED_TRACE(ToUtf8(c.write));
        weather = c.write;
        dlg.UpdateData(FALSE);
        weather = u"?";
        dlg.UpdateData(TRUE);
        EXPECT_EQ(weather, c.read);
    }
    // The extremes of 32-bit time survive the trip.
    for (std::int32_t v : {INT32_MIN, -1, 0, INT32_MAX}) {
        when = v;
        dlg.UpdateData(FALSE);
        when = 12345;
        dlg.UpdateData(TRUE);
        EXPECT_EQ(when, v);
    }
    dlg.DestroyWindow();
}

TEST_F(Dialog, ApplicationColoursPaintTheDialogAndItsLabels) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_STATIC, -1, u"", SS_LEFT, 10, 10, 60, 8);
    t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER, 10, 30, 100, 14);
    SetDialogBkColor(RGB(204, 235, 255), RGB(0, 0, 0));
    TestDialog dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(&dlg, CPoint(2, 2)), RGB(204, 235, 255));
    CWnd* label = dlg.GetWindow(GW_CHILD);
    EXPECT_EQ(PixelIn(label, CPoint(3, 3)), RGB(204, 235, 255));
    EXPECT_EQ(PixelIn(dlg.GetDlgItem(101), CPoint(40, 5)), RGB(255, 255, 255)) << "edits keep the window colour";
    dlg.DestroyWindow();
    ResetDialogBkColor();

    TestDialog plain(&t);
    ASSERT_TRUE(plain.CreateIndirect(t));
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(&plain, CPoint(2, 2)), GetSysColor(COLOR_BTNFACE));
    plain.DestroyWindow();
}

TEST_F(Dialog, CentresOnTheDesktopAndPressesOnLabelsReachTheDialog) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_STATIC, -1, u"Label", SS_LEFT, 10, 10, 60, 8);
    struct ClickDialog : TestDialog {
        using TestDialog::TestDialog;
        int presses = 0;
        LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
            if (m == WM_LBUTTONDOWN) ++presses;
            return TestDialog::WindowProc(m, w, l);
        }
    } dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    dlg.CenterWindow();
    screen.RunUntilIdle();
    CRect r;
    dlg.GetWindowRect(&r);
    EXPECT_NEAR(r.CenterPoint().x, 640, 1);
    EXPECT_NEAR(r.CenterPoint().y, 512, 1);
    ClickOn(dlg.GetWindow(GW_CHILD));
    EXPECT_EQ(dlg.presses, 1) << "static text is transparent to the mouse";
    dlg.DestroyWindow();
}

TEST_F(Dialog, LabelsAlignAndGroupBoxesLetPressesThrough) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_BUTTON, -1, u"Group", BS_GROUPBOX, 4, 4, 200, 100);
    t.Add(WC_STATIC, 31, u"Left", SS_LEFT, 10, 20, 120, 8);
    t.Add(WC_STATIC, 32, u"Right", SS_RIGHT, 10, 34, 120, 8);
    t.Add(WC_BUTTON, 33, u"Inside", WS_TABSTOP | BS_AUTOCHECKBOX, 10, 60, 80, 10);
    TestDialog dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();
    // Where each label's ink lies: the left one starts at its left edge, the
    // right one ends at its right edge.
    auto inkSpan = [&](CWnd* label) {
        CRect rc;
        label->GetClientRect(&rc);
        COLORREF bg = PixelIn(label, CPoint(rc.right - 1, 0));
        int first = -1, last = -1;
        for (int x = 0; x < rc.Width(); ++x)
            for (int y = 0; y < rc.Height(); ++y)
                if (PixelIn(label, CPoint(x, y)) != bg) {
                    if (first < 0) first = x;
                    last = x;
                }
        return std::make_pair(first, rc.Width() - 1 - last);
    };
    auto left = inkSpan(dlg.GetDlgItem(31));
    auto right = inkSpan(dlg.GetDlgItem(32));
    EXPECT_LT(left.first, 3);
    EXPECT_GT(left.second, 40);
    EXPECT_GT(right.first, 40);
    EXPECT_LT(right.second, 3);
    ClickOn(dlg.GetDlgItem(33));
    EXPECT_EQ(dlg.IsDlgButtonChecked(33), 1u) << "the group box does not swallow the press";
    dlg.DestroyWindow();
}

// A control that asks for keys through WM_GETDLGCODE gets them; the
// dialog manager keeps the rest.
class KeyHungry : public CWnd {
public:
    UINT code = 0;
    std::vector<UINT> keys;
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
        if (m == WM_GETDLGCODE) return code;
        if (m == WM_KEYDOWN) keys.push_back(UINT(w));
        if (m == WM_LBUTTONDOWN) SetFocus();
        return CWnd::WindowProc(m, w, l);
    }
};

TEST_F(Dialog, ControlsClaimKeysThroughTheirDialogCode) {
    struct Case {
        UINT code;
        std::vector<UINT> reachControl;
    } cases[] = {
        {0, {}},
        {DLGC_WANTTAB, {VK_TAB}},
        {DLGC_WANTALLKEYS, {VK_TAB, VK_RETURN, VK_ESCAPE}},
        {DLGC_WANTARROWS, {}},
    };
    for (const Case& c : cases) {
        DialogTemplate t = BaseTemplate();
        t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER, 10, 120, 50, 14);
        TestDialog dlg(&t);
        ASSERT_TRUE(dlg.CreateIndirect(t));
        KeyHungry ctl;
        ctl.code = c.code;
        ASSERT_TRUE(ctl.CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, CRect(10, 10, 60, 30), &dlg, 55));
        screen.RunUntilIdle();
        ctl.SetFocus();
        for (UINT vk : {VK_TAB, VK_RETURN, VK_ESCAPE}) {
            ctl.SetFocus();
            screen.Key(vk);
        }
        EXPECT_EQ(ctl.keys, c.reachControl) << "code " << c.code;
        int ends = dlg.okCalls + dlg.Count(IDCANCEL, BN_CLICKED);
        EXPECT_EQ(ends, c.code & DLGC_WANTALLKEYS ? 0 : 2) << "Enter and Esc went to the dialog";
        ctl.DestroyWindow();
        dlg.DestroyWindow();
    }
}

TEST_F(Dialog, ADerivedDialogColoursOneControl) {
    DialogTemplate t = BaseTemplate();
    t.Add(WC_EDIT, 101, u"", WS_TABSTOP | WS_BORDER, 10, 10, 100, 14);
    t.Add(WC_EDIT, 102, u"", WS_TABSTOP | WS_BORDER, 10, 30, 100, 14);
    struct Tinted : TestDialog {
        using TestDialog::TestDialog;
        CBrush brush{RGB(255, 0, 0)};
        HBRUSH OnCtlColor(CDC* dc, CWnd* w, UINT type) override {
            HBRUSH base = CDialog::OnCtlColor(dc, w, type);   // the platform's handling first
            if (w && w->GetDlgCtrlID() == 102) {
                dc->SetBkMode(TRANSPARENT);
                return brush.GetSafeHandle();
            }
            return base;
        }
    } dlg(&t);
    ASSERT_TRUE(dlg.CreateIndirect(t));
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(dlg.GetDlgItem(101), CPoint(60, 5)), RGB(255, 255, 255));
    EXPECT_EQ(PixelIn(dlg.GetDlgItem(102), CPoint(60, 5)), RGB(255, 0, 0));
    dlg.DestroyWindow();
}

TEST_F(Dialog, TemplatesAreFoundByNumber) {
    DialogTemplate t = BaseTemplate();
    t.caption = u"By number";
    t.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 10, 50, 14);
    RegisterDialogTemplate(9001, t);
    CDialog modeless(9001);
    ASSERT_TRUE(modeless.Create(9001));
    EXPECT_EQ(modeless.GetWindowText(), u"By number");
    EXPECT_NE(modeless.GetDlgItem(IDOK), nullptr);
    modeless.DestroyWindow();

    CDialog missing(9002);
    EXPECT_EQ(missing.DoModal(), -1) << "no template: the run fails at once";
    EXPECT_FALSE(missing.Create(9002));
    // A control of an unknown class leaves its place empty; the rest is made.
    DialogTemplate odd = BaseTemplate();
    odd.Add(u"NoSuchClass", 5, u"", 0, 10, 10, 50, 14);
    odd.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP, 10, 30, 50, 14);
    CDialog partial;
    partial.SetTemplate(&odd);
    ASSERT_TRUE(partial.CreateIndirect(odd));
    EXPECT_EQ(partial.GetDlgItem(5), nullptr);
    EXPECT_NE(partial.GetDlgItem(IDOK), nullptr);
    partial.DestroyWindow();
}

}  // namespace
