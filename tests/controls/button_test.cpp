// Push buttons, tick boxes, owner-drawn and bitmap buttons, driven by the
// mouse and the space bar on the virtual screen.
#include "controls_fixture.h"

#include "platform/gfx/syscolors.h"

namespace {

class Buttons : public ControlsTest {
protected:
    DialogTemplate t = BaseTemplate();
    TestDialog dlg{&t};

    void Open() {
        ASSERT_TRUE(dlg.CreateIndirect(t));
        screen.RunUntilIdle();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
};

TEST_F(Buttons, ClickedOnlyWhenReleasedInside) {
    t.Add(WC_BUTTON, 10, u"Push", WS_TABSTOP | BS_PUSHBUTTON, 20, 20, 60, 14);
    Open();
    CWnd* b = dlg.GetDlgItem(10);
    CRect r;
    b->GetWindowRect(&r);
    CPoint in = r.CenterPoint(), out(r.right + 40, r.bottom + 40);
    struct Case {
        const char* name;
        std::vector<CPoint> path;   // press at the first point, release at the last
        int clicks;
    } cases[] = {
        {"press and release inside", {in, in}, 1},
        {"released outside", {in, out}, 0},
        {"out and back in", {in, out, in}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dlg.commands.clear();
        screen.Move(c.path.front());
        screen.Press();
        EXPECT_TRUE(b->SendMessage(BM_GETSTATE) & BST_PUSHED) << "pushed while held inside";
        for (std::size_t i = 1; i < c.path.size(); ++i) {
            screen.Move(c.path[i]);
            bool inside = r.PtInRect(c.path[i]);
            EXPECT_EQ((b->SendMessage(BM_GETSTATE) & BST_PUSHED) != 0, inside);
        }
        screen.Release();
        EXPECT_EQ(dlg.Count(10, BN_CLICKED), c.clicks);
        EXPECT_FALSE(b->SendMessage(BM_GETSTATE) & BST_PUSHED);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
    }
    EXPECT_EQ(CWnd::GetFocus(), b) << "a press takes the focus";
}

TEST_F(Buttons, SpaceBarPushesOnDownAndClicksOnUp) {
    t.Add(WC_BUTTON, 10, u"Push", WS_TABSTOP | BS_PUSHBUTTON, 20, 20, 60, 14);
    t.Add(WC_BUTTON, 11, u"Tick", WS_TABSTOP | BS_AUTOCHECKBOX, 20, 40, 60, 10);
    Open();
    for (int id : {10, 11}) {
        CWnd* b = dlg.GetDlgItem(id);
        b->SetFocus();
        screen.KeyDown(VK_SPACE, u' ');
        EXPECT_TRUE(b->SendMessage(BM_GETSTATE) & BST_PUSHED);
        EXPECT_EQ(dlg.Count(id, BN_CLICKED), 0);
        screen.KeyUp(VK_SPACE);
        EXPECT_EQ(dlg.Count(id, BN_CLICKED), 1);
    }
    EXPECT_EQ(dlg.IsDlgButtonChecked(11), 1u) << "the space bar ticks an auto box";
}

TEST_F(Buttons, TickBoxesToggleAndShowTheirMark) {
    t.Add(WC_BUTTON, 11, u"Auto", WS_TABSTOP | BS_AUTOCHECKBOX, 20, 20, 60, 10);
    t.Add(WC_BUTTON, 12, u"Manual", WS_TABSTOP | BS_CHECKBOX, 20, 40, 60, 10);
    Open();
    struct Case {
        int id;
        std::vector<UINT> afterClicks;
    } cases[] = {{11, {1, 0, 1}}, {12, {0, 0, 0}}};
    for (const Case& c : cases) {
        CWnd* box = dlg.GetDlgItem(c.id);
        CRect r;
        box->GetClientRect(&r);
        CPoint boxCentre(6, r.Height() / 2);
        for (UINT want : c.afterClicks) {
            ClickOn(box);
            EXPECT_EQ(dlg.IsDlgButtonChecked(c.id), want);
            // The tick is drawn in window-text colour through the box's middle.
            bool marked = false;
            for (int dy = -2; dy <= 2; ++dy)
                marked |= PixelIn(box, CPoint(boxCentre.x, boxCentre.y + dy)) == GetSysColor(COLOR_WINDOWTEXT);
            EXPECT_EQ(marked, want == 1);
        }
        EXPECT_EQ(dlg.Count(c.id, BN_CLICKED), 3) << "every click notifies, ticking or not";
    }
}

TEST_F(Buttons, DefaultButtonHasTheDarkFrameAndFollowsTheFocus) {
    t.Add(WC_EDIT, 9, u"", WS_TABSTOP | WS_BORDER, 20, 4, 60, 12);
    t.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 20, 20, 60, 14);
    t.Add(WC_BUTTON, 10, u"Other", WS_TABSTOP | BS_PUSHBUTTON, 20, 40, 60, 14);
    Open();
    CWnd* ok = dlg.GetDlgItem(IDOK);
    CWnd* other = dlg.GetDlgItem(10);
    COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
    EXPECT_EQ(PixelIn(ok, CPoint(0, 0)), frame);
    EXPECT_NE(PixelIn(other, CPoint(0, 0)), frame);
    dlg.GotoDlgCtrl(other);
    screen.RunUntilIdle();
    EXPECT_EQ(other->GetStyle() & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "a focused push button is the default";
    EXPECT_EQ(ok->GetStyle() & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(PixelIn(other, CPoint(0, 0)), frame);
    dlg.GotoDlgCtrl(dlg.GetDlgItem(9));
    screen.RunUntilIdle();
    EXPECT_EQ(ok->GetStyle() & BS_TYPEMASK, BS_DEFPUSHBUTTON) << "back to the dialog's default";
}

// An owner-drawn button attached by data exchange: red while selected.
class RecordingButton : public CButton {
public:
    std::vector<UINT> states;
    void DrawItem(DRAWITEMSTRUCT* dis) override {
        states.push_back(dis->itemState);
        CDC dc;
        dc.Attach(dis->hDC);
        dc.FillSolidRect(dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 128, 0));
        dc.Detach();
    }
};

TEST_F(Buttons, OwnerDrawnButtonsDrawThroughDrawItemWithTheirState) {
    t.Add(WC_BUTTON, 20, u"Close", WS_TABSTOP | BS_OWNERDRAW, 20, 20, 40, 14);
    RecordingButton button;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Control(dx, 20, button); };
    Open();
    ASSERT_NE(button.m_hWnd, nullptr);
    EXPECT_EQ(PixelIn(&button, CPoint(3, 3)), RGB(0, 128, 0));
    CPoint c = CenterOf(&button);
    screen.Move(c);
    screen.Press();
    EXPECT_EQ(PixelIn(&button, CPoint(3, 3)), RGB(255, 0, 0));
    ASSERT_FALSE(button.states.empty());
    EXPECT_TRUE(button.states.back() & ODS_SELECTED);
    EXPECT_TRUE(button.states.back() & ODS_FOCUS);
    screen.Release();
    EXPECT_EQ(PixelIn(&button, CPoint(3, 3)), RGB(0, 128, 0));
    EXPECT_EQ(dlg.Count(20, BN_CLICKED), 1);
    // The highlight set by code draws the same way.
    button.SendMessage(BM_SETSTATE, 2);
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(&button, CPoint(3, 3)), RGB(255, 0, 0));
    button.EnableWindow(FALSE);
    button.SendMessage(BM_SETSTATE, 0);
    screen.RunUntilIdle();
    EXPECT_TRUE(button.states.back() & ODS_DISABLED);
}

TEST_F(Buttons, BitmapButtonShowsTheFaceOfItsState) {
    t.Add(WC_BUTTON, 20, u"", WS_TABSTOP | BS_OWNERDRAW, 20, 20, 40, 14);
    CBitmapButton button;
    auto solid = [](CBitmap& b, COLORREF c) {
        std::vector<std::uint32_t> px(8 * 8, ToPixel(c));
        b.CreateBitmap(8, 8, 1, 32, px.data());
    };
    solid(button.m_bitmap, RGB(10, 20, 30));
    solid(button.m_bitmapSel, RGB(200, 0, 0));
    solid(button.m_bitmapDisabled, RGB(90, 90, 90));
    dlg.exchange = [&](CDataExchange* dx) { DDX_Control(dx, 20, button); };
    Open();
    button.SizeToContent();
    screen.RunUntilIdle();
    CRect r;
    button.GetWindowRect(&r);
    EXPECT_EQ(r.Size(), CSize(8, 8));
    EXPECT_EQ(PixelIn(&button, CPoint(4, 4)), RGB(10, 20, 30));
    screen.Move(CenterOf(&button));
    screen.Press();
    EXPECT_EQ(PixelIn(&button, CPoint(4, 4)), RGB(200, 0, 0));
    screen.Release();
    button.EnableWindow(FALSE);
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(&button, CPoint(4, 4)), RGB(90, 90, 90));
}

// The way the program's skinned buttons use the base: hover holds the
// capture, the handlers set the highlight and then call the default
// processing, which must still click exactly once on a release inside.
class HoverButton : public CBitmapButton {
public:
    int state = 0;
    bool tracking = false;
    LRESULT WindowProc(UINT m, WPARAM w, LPARAM l) override {
        switch (m) {
        case WM_MOUSEMOVE: {
            LRESULT r = CBitmapButton::WindowProc(m, w, l);
            CRect rc;
            GetClientRect(&rc);
            CPoint pt(GET_X_LPARAM(l), GET_Y_LPARAM(l));
            if (!(tracking && GetCapture() == this) && state == 0) {
                tracking = true;
                state = 2;
                SetCapture();
            } else if (state == 2 && !rc.PtInRect(pt)) {
                state = 0;
                tracking = false;
                ::ReleaseCapture();
            }
            return r;
        }
        case WM_LBUTTONDOWN:
            state = 1;
            SendMessage(BM_SETSTATE, 1);
            return CBitmapButton::WindowProc(m, w, l);
        case WM_LBUTTONUP: {
            state = 1;
            SendMessage(BM_SETSTATE, 1);
            LRESULT r = CBitmapButton::WindowProc(m, w, l);
            state = 0;
            SendMessage(BM_SETSTATE, 0);
            return r;
        }
        default:
            return CBitmapButton::WindowProc(m, w, l);
        }
    }
};

TEST_F(Buttons, HoverCaptureAndTheDefaultProcessingClickOnce) {
    t.Add(WC_BUTTON, 20, u"New", WS_TABSTOP | BS_OWNERDRAW, 20, 20, 50, 14);
    HoverButton button;
    dlg.exchange = [&](CDataExchange* dx) { DDX_Control(dx, 20, button); };
    Open();
    CRect r;
    button.GetWindowRect(&r);
    CPoint in = r.CenterPoint(), out(r.right + 30, r.bottom + 30);
    screen.Move(in);
    EXPECT_EQ(button.state, 2);
    EXPECT_EQ(CWnd::GetCapture(), &button) << "hovering holds the capture";
    screen.Move(out);
    EXPECT_EQ(button.state, 0);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);
    struct Case {
        CPoint release;
        int clicks;
    } cases[] = {{in, 1}, {out, 0}};
    int total = 0;
    for (const Case& c : cases) {
        screen.Advance(1000);
        screen.Move(in);
        screen.Press();
        EXPECT_EQ(button.state, 1);
        screen.Move(c.release);
        screen.Release();
        total += c.clicks;
        EXPECT_EQ(dlg.Count(20, BN_CLICKED), total);
        EXPECT_EQ(button.state, 0);
        EXPECT_FALSE(button.GetState() & BST_PUSHED);
        screen.Move(out);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
    }
}

}  // namespace
