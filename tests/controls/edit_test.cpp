// The edit control on the virtual screen: typing, keys, selection by mouse
// and Shift, the clipboard, undo, the width limit of a box that does not
// scroll, multi-line wrapping, Enter with and without ES_WANTRETURN.
#include "controls_fixture.h"

#include "platform/gfx/syscolors.h"

namespace {

class Edits : public ControlsTest {
protected:
    DialogTemplate t = BaseTemplate(300, 200);
    TestDialog dlg{&t};

    CEdit* Open(int id) {
        EXPECT_TRUE(dlg.CreateIndirect(t));
        screen.RunUntilIdle();
        auto* e = dynamic_cast<CEdit*>(dlg.GetDlgItem(id));
        if (e) {
            dlg.GotoDlgCtrl(e);
            screen.RunUntilIdle();
        }
        return e;
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    static std::pair<int, int> Sel(CEdit* e) {
        int a, b;
        e->GetSel(a, b);
        return {a, b};
    }
    CString Clipboard() {
        CString c;
        if (!screen.backend().GetClipboardText(&c)) return u"<none>";
        return c;
    }
};

// Key scripts on "one two three" with the caret at the end.
TEST_F(Edits, KeysSelectionClipboardAndUndo) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 14);
    CEdit* e = Open(1);
    ASSERT_NE(e, nullptr);
    using Script = std::function<void(Edits&)>;
    auto keys = [](std::vector<UINT> vks, UINT modifier = 0) {
        return [=](Edits& f) {
            if (modifier) f.screen.KeyDown(modifier);
            for (UINT vk : vks) f.screen.Key(vk);
            if (modifier) f.screen.KeyUp(modifier);
        };
    };
    struct Case {
        const char* name;
        Script script;
        const char16_t* text;
        std::pair<int, int> sel;
        const char16_t* clipboard;
    } cases[] = {
        {"typing appends", [](Edits& f) { f.screen.Type(u"!"); }, u"one two three!", {14, 14}, u"<none>"},
        {"Home, Shift+Right x3", [](Edits& f) {
             f.screen.Key(VK_HOME);
             f.screen.KeyDown(VK_SHIFT);
             for (int i = 0; i < 3; ++i) f.screen.Key(VK_RIGHT);
             f.screen.KeyUp(VK_SHIFT);
         }, u"one two three", {0, 3}, u"<none>"},
        {"Ctrl+Left twice", keys({VK_LEFT, VK_LEFT}, VK_CONTROL), u"one two three", {4, 4}, u"<none>"},
        {"Ctrl+Home, Ctrl+Right", [](Edits& f) {
             f.Chord(VK_CONTROL, VK_HOME);
             f.Chord(VK_CONTROL, VK_RIGHT);
         }, u"one two three", {4, 4}, u"<none>"},
        {"Shift+Ctrl+Left selects the last word", [](Edits& f) {
             f.screen.KeyDown(VK_SHIFT);
             f.Chord(VK_CONTROL, VK_LEFT);
             f.screen.KeyUp(VK_SHIFT);
         }, u"one two three", {8, 13}, u"<none>"},
        {"Backspace and Delete", [](Edits& f) {
             f.screen.Key(VK_BACK);
             f.screen.Key(VK_HOME);
             f.screen.Key(VK_DELETE);
         }, u"ne two thre", {0, 0}, u"<none>"},
        {"Ctrl+A, Ctrl+C copies all", [](Edits& f) {
             f.Chord(VK_CONTROL, 'A');
             f.Chord(VK_CONTROL, 'C');
         }, u"one two three", {0, 13}, u"one two three"},
        {"cut the last word and paste it at the start", [](Edits& f) {
             f.screen.KeyDown(VK_SHIFT);
             f.Chord(VK_CONTROL, VK_LEFT);
             f.screen.KeyUp(VK_SHIFT);
             f.Chord(VK_CONTROL, 'X');
             f.screen.Key(VK_HOME);
             f.Chord(VK_CONTROL, 'V');
         }, u"threeone two ", {5, 5}, u"three"},
        {"typing over a selection, then undo", [](Edits& f) {
             f.Chord(VK_CONTROL, 'A');
             f.screen.Type(u"x");
             f.Chord(VK_CONTROL, 'Z');
         }, u"one two three", {0, 13}, u"<none>"},
        {"a second undo takes the undo back", [](Edits& f) {
             f.Chord(VK_CONTROL, 'A');
             f.screen.Type(u"x");
             f.Chord(VK_CONTROL, 'Z');
             f.Chord(VK_CONTROL, 'Z');
         }, u"x", {1, 1}, u"<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        screen.backend().SetClipboardText(u"<none>");
        e->SetWindowText(u"one two three");
        e->SetSel(13, 13);
        c.script(*this);
        EXPECT_EQ(ToUtf8(e->GetWindowText()), ToUtf8(c.text));
        EXPECT_EQ(Sel(e), c.sel);
        EXPECT_EQ(ToUtf8(Clipboard()), ToUtf8(c.clipboard));
    }
}

TEST_F(Edits, MouseSelectsByDragShiftClickAndDoubleClick) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 200, 14);
    CEdit* e = Open(1);
    e->SetWindowText(u"alpha beta");
    screen.RunUntilIdle();
    CRect rc;
    e->GetClientRect(&rc);
    int mid = rc.Height() / 2;
    screen.Drag(ScreenPoint(e, CPoint(1, mid)), ScreenPoint(e, CPoint(rc.right - 2, mid)));
    EXPECT_EQ(Sel(e), std::make_pair(0, 10)) << "dragging past the end selects everything";
    screen.Advance(1000);   // no double clicks from here on
    ClickAt(e, CPoint(1, mid));
    EXPECT_EQ(Sel(e), std::make_pair(0, 0));
    screen.KeyDown(VK_SHIFT);
    ClickAt(e, CPoint(rc.right - 2, mid));
    screen.KeyUp(VK_SHIFT);
    EXPECT_EQ(Sel(e), std::make_pair(0, 10));
    // A double click on the second word selects it.
    screen.Advance(1000);
    ClickAt(e, CPoint(rc.right - 2, mid));
    CPoint p = ScreenPoint(e, CPoint(rc.right - 2, mid));
    screen.Click(p.x, p.y);
    EXPECT_EQ(Sel(e), std::make_pair(6, 10));
}

TEST_F(Edits, WithoutAutoScrollTypingStopsAtTheBoxWidth) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER, 10, 10, 40, 14);
    t.Add(WC_EDIT, 2, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 30, 40, 14);
    CEdit* fixed = Open(1);
    auto* scrolling = dynamic_cast<CEdit*>(dlg.GetDlgItem(2));
    CString many(40, u'W');
    screen.Type(many);
    int kept = fixed->GetWindowTextLength();
    EXPECT_GT(kept, 0);
    EXPECT_LT(kept, 40);
    CDC dc;
    dc.SelectObject(ControlFont(fixed));
    CRect rc;
    fixed->GetClientRect(&rc);
    EXPECT_LE(dc.GetTextExtent(fixed->GetWindowText()).cx, rc.Width());
    // A paste takes only what fits, too, however long it is.
    screen.backend().SetClipboardText(CString(20000, u'W'));
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(fixed->GetWindowTextLength(), kept);
    fixed->SetWindowText(u"");
    Chord(VK_CONTROL, 'V');
    EXPECT_EQ(fixed->GetWindowTextLength(), kept) << "an empty box takes as much as typing gave";

    dlg.GotoDlgCtrl(scrolling);
    screen.Type(many);
    EXPECT_EQ(scrolling->GetWindowText(), many) << "a scrolling box takes it all";
    // Its end stays in view: text is drawn in the right half of the box.
    scrolling->GetClientRect(&rc);
    bool inkNearRight = false;
    for (int x = rc.Width() / 2; x < rc.right - 2; ++x)
        inkNearRight |= PixelIn(scrolling, CPoint(x, rc.Height() / 2)) == GetSysColor(COLOR_WINDOWTEXT);
    EXPECT_TRUE(inkNearRight);
}

TEST_F(Edits, EnterMakesANewLineOnlyWithWantReturn) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, 10, 10, 200, 60);
    t.Add(WC_EDIT, 2, u"", WS_TABSTOP | WS_BORDER | ES_MULTILINE | WS_VSCROLL, 10, 80, 200, 30);
    t.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 120, 50, 14);
    CString content, remark;
    dlg.exchange = [&](CDataExchange* dx) {
        DDX_Text(dx, 1, content);
        DDX_Text(dx, 2, remark);
    };
    bool openAfterFirst = false;
    screen.Step([&] {
        dlg.GotoDlgCtrl(dlg.GetDlgItem(1));
        screen.Type(u"one");
        screen.Key(VK_RETURN);
        screen.Type(u"two");
    });
    screen.Step([&] {
        openAfterFirst = dlg.IsWindowVisible() != FALSE;
        dlg.GotoDlgCtrl(dlg.GetDlgItem(2));
        screen.Type(u"note");
        screen.Key(VK_RETURN);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(openAfterFirst);
    EXPECT_EQ(content, u"one\r\ntwo");
    EXPECT_EQ(remark, u"note") << "Enter without ES_WANTRETURN is the default button's";
}

TEST_F(Edits, MultiLineTextWrapsAndScrollsWithItsBar) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER | ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL, 10, 10, 80, 40);
    CEdit* e = Open(1);
    e->SetWindowText(u"short");
    EXPECT_TRUE(e->GetStyle() & WS_VSCROLL) << "the bar shows, disabled, while the text fits";
    e->SetWindowText(u"the quick brown fox jumps over the lazy dog again and again");
    screen.RunUntilIdle();
    int lines = e->GetLineCount();
    EXPECT_GT(lines, 2) << "long text wraps at the box's width";
    CDC dc;
    dc.SelectObject(ControlFont(e));
    CRect rc;
    e->GetClientRect(&rc);
    CString text = e->GetWindowText();
    for (int l = 0; l < lines; ++l) {
        int a = e->LineIndex(l);
        int n = int(e->SendMessage(EM_LINELENGTH, WPARAM(a)));
        CString line = text.substr(std::size_t(a), std::size_t(n));
        while (!line.empty() && line.back() == u' ') line.pop_back();   // spaces hang past the edge
        EXPECT_LE(dc.GetTextExtent(line).cx, rc.Width() - 4) << ToUtf8(line);
        if (l > 0) {
            EXPECT_NE(text[std::size_t(a) - 1], u'\n') << "wrapped lines add no break characters";
        }
    }
    // A word longer than the box breaks inside the word; nothing is lost.
    CString longWord(300, u'm');
    e->SetWindowText(longWord);
    EXPECT_GT(e->GetLineCount(), 3);
    EXPECT_EQ(e->GetWindowText(), longWord);
    for (int l = 0; l < e->GetLineCount(); ++l) {
        int n = int(e->SendMessage(EM_LINELENGTH, WPARAM(e->LineIndex(l))));
        EXPECT_GT(n, 0);
        EXPECT_LE(dc.GetTextExtent(CString(std::size_t(n), u'm')).cx, rc.Width() - 4);
    }
    // Typing many lines scrolls down; the bar's range covers all of them.
    e->SetWindowText(u"");
    for (int i = 0; i < 12; ++i) {
        screen.Type(u"line");
        screen.Key(VK_RETURN);
    }
    EXPECT_GT(e->GetFirstVisibleLine(), 0);
    screen.RunUntilIdle();
    SCROLLINFO si;
    ASSERT_TRUE(e->GetScrollInfo(SB_VERT, &si));
    EXPECT_EQ(si.nMax + 1, e->GetLineCount());
    EXPECT_EQ(si.nPos, e->GetFirstVisibleLine());
    // The bar scrolls the text back to the top.
    e->SendMessage(WM_VSCROLL, SB_TOP);
    EXPECT_EQ(e->GetFirstVisibleLine(), 0);
    // Up and Down move between lines.
    e->SetSel(0, 0);
    screen.Key(VK_DOWN);
    EXPECT_EQ(e->LineFromChar(-1), 1);
}

TEST_F(Edits, DisabledBoxesLookDisabledAndTakeNoInput) {
    t.Add(WC_EDIT, 1, u"text", WS_TABSTOP | WS_BORDER, 10, 10, 100, 14);
    t.Add(WC_EDIT, 2, u"", WS_TABSTOP | WS_BORDER, 10, 30, 100, 14);
    CEdit* e = Open(1);
    EXPECT_EQ(PixelIn(e, CPoint(80, 4)), GetSysColor(COLOR_WINDOW));
    e->EnableWindow(FALSE);
    screen.RunUntilIdle();
    EXPECT_EQ(PixelIn(e, CPoint(80, 4)), GetSysColor(COLOR_BTNFACE));
    // Anti-aliased grey ink: the darkest text pixel is near the grey text
    // colour, nowhere near black.
    int darkest = 255;
    CRect rc;
    e->GetClientRect(&rc);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < rc.Height(); ++y) {
            COLORREF c = PixelIn(e, CPoint(x, y));
            darkest = std::min<int>(darkest, std::min({GetRValue(c), GetGValue(c), GetBValue(c)}));
        }
    EXPECT_GE(darkest, GetRValue(GetSysColor(COLOR_GRAYTEXT)) - 8) << "disabled text is grey, not black";
    EXPECT_LT(darkest, 0xB0) << "and it is drawn";
    ClickOn(e);
    screen.Type(u"zz");
    EXPECT_EQ(e->GetWindowText(), u"text");
    // A read-only box keeps its text but can be copied from.
    auto* ro = dynamic_cast<CEdit*>(dlg.GetDlgItem(2));
    ro->SetWindowText(u"keep");
    ro->SetReadOnly(TRUE);
    dlg.GotoDlgCtrl(ro);
    screen.Type(u"zz");
    Chord(VK_CONTROL, 'X');
    EXPECT_EQ(ro->GetWindowText(), u"keep");
    Chord(VK_CONTROL, 'C');
    EXPECT_EQ(Clipboard(), u"keep");
}

TEST_F(Edits, TheCaretShowsOnlyWithTheFocus) {
    t.Add(WC_EDIT, 1, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 10, 100, 14);
    t.Add(WC_EDIT, 2, u"", WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 10, 30, 100, 14);
    CEdit* e = Open(1);
    CRect rc;
    e->GetClientRect(&rc);
    auto caretColumn = [&](int x) {
        int dark = 0;
        for (int y = 0; y < rc.Height(); ++y) dark += PixelIn(e, CPoint(x, y)) == GetSysColor(COLOR_WINDOWTEXT);
        return dark;
    };
    EXPECT_GE(caretColumn(2), rc.Height() / 2) << "an empty focused box shows the caret at its left";
    dlg.GotoDlgCtrl(dlg.GetDlgItem(2));
    screen.RunUntilIdle();
    EXPECT_EQ(caretColumn(2), 0) << "no caret without the focus";
}

}  // namespace
