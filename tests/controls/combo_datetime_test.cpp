// The drop-down list and the date-time picker driven on the virtual screen.
#include "controls_fixture.h"

#include "platform/base/timefmt.h"

namespace {

class Lists : public ControlsTest {
protected:
    DialogTemplate t = BaseTemplate(240, 200);
    TestDialog dlg{&t};

    CComboBox* Open(std::vector<CString> items, int cy = 100) {
        auto& c = t.Add(WC_COMBOBOX, 5, u"", WS_TABSTOP | CBS_DROPDOWNLIST, 10, 10, 90, cy);
        c.items = std::move(items);
        t.Add(WC_EDIT, 6, u"", WS_TABSTOP | WS_BORDER, 120, 10, 60, 14);
        EXPECT_TRUE(dlg.CreateIndirect(t));
        screen.RunUntilIdle();
        return dynamic_cast<CComboBox*>(dlg.GetDlgItem(5));
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    // Screen point of item i in the dropped list.
    CPoint ItemPoint(CComboBox* c, int i) {
        CRect wr;
        c->GetWindowRect(&wr);
        int ih = c->GetItemHeight();
        return CPoint(wr.left + 10, wr.bottom + 1 + i * ih + ih / 2);
    }
    CString Selected(CComboBox* c) {
        CString s;
        c->GetLBText(c->GetCurSel(), s);
        return s;
    }
};

const std::vector<CString> kWeather = {u"Sunny", u"Fine", u"Cloudy", u"Shower", u"Storm"};

TEST_F(Lists, ClickOpensTheListAndAClickOnAnItemChoosesIt) {
    CComboBox* c = Open(kWeather);
    ASSERT_NE(c, nullptr);
    c->SetCurSel(0);
    CRect wr;
    c->GetWindowRect(&wr);
    EXPECT_EQ(wr.Height(), c->GetItemHeight() + 6) << "the field is one item high, not the template's height";
    ClickOn(c);
    EXPECT_TRUE(c->GetDroppedState());
    HWND list = WindowFromPoint(ItemPoint(c, 2));
    ASSERT_NE(list, nullptr);
    EXPECT_NE(list, dlg.m_hWnd) << "the list is a window of its own over the dialog";
    CRect lr;
    ::GetWindowRect(list, &lr);
    EXPECT_EQ(lr.top, wr.bottom);
    EXPECT_EQ(lr.Height(), 5 * c->GetItemHeight() + 2) << "all five items fit in the dropped height";
    screen.Move(ItemPoint(c, 3));
    EXPECT_EQ(c->GetHotItem(), 3) << "the item under the pointer is highlighted";
    screen.Click(ItemPoint(c, 3).x, ItemPoint(c, 3).y);
    EXPECT_FALSE(c->GetDroppedState());
    EXPECT_FALSE(::IsWindow(list));
    EXPECT_EQ(Selected(c), u"Shower");
    EXPECT_EQ(dlg.Count(5, CBN_SELCHANGE), 1);
    EXPECT_EQ(CWnd::GetCapture(), nullptr);

    // Press on the field, drag to an item, release: chosen too.
    CPoint field = CenterOf(c);
    screen.Drag(field, ItemPoint(c, 1));
    EXPECT_EQ(Selected(c), u"Fine");
    // A press outside closes without a change.
    ClickOn(c);
    ASSERT_TRUE(c->GetDroppedState());
    screen.Click(wr.right + 150, wr.top);
    EXPECT_FALSE(c->GetDroppedState());
    EXPECT_EQ(Selected(c), u"Fine");
    EXPECT_EQ(dlg.Count(5, CBN_SELCHANGE), 2);
}

TEST_F(Lists, ArrowKeysAndTypedLettersSelect) {
    CComboBox* c = Open(kWeather);
    c->SetCurSel(0);
    dlg.GotoDlgCtrl(c);
    struct Case {
        UINT vk;
        char16_t typed;
        const char16_t* want;
    } cases[] = {
        {VK_DOWN, 0, u"Fine"},     {VK_DOWN, 0, u"Cloudy"}, {VK_UP, 0, u"Fine"},     {VK_END, 0, u"Storm"},
        {VK_DOWN, 0, u"Storm"},    {VK_HOME, 0, u"Sunny"},  {'S', u's', u"Shower"},  {'S', u'S', u"Storm"},
        {'S', u's', u"Sunny"},     {'C', u'c', u"Cloudy"},  {'Z', u'z', u"Cloudy"},
    };
    for (const Case& k : cases) {
        screen.Key(k.vk, k.typed);
        EXPECT_EQ(ToUtf8(Selected(c)), ToUtf8(k.want)) << "after key " << k.vk;
    }
    EXPECT_EQ(c->GetWindowText(), u"Cloudy");
    // Opened from the keyboard: arrows move the highlight, Enter takes it, Esc does not.
    screen.Key(VK_F4);
    ASSERT_TRUE(c->GetDroppedState());
    screen.Key(VK_DOWN);
    screen.Key(VK_RETURN);
    EXPECT_FALSE(c->GetDroppedState());
    EXPECT_EQ(Selected(c), u"Shower");
    EXPECT_TRUE(dlg.IsWindowVisible()) << "Enter in an open list does not end the dialog";
    screen.Key(VK_F4);
    screen.Key(VK_UP);
    screen.Key(VK_ESCAPE);
    EXPECT_FALSE(c->GetDroppedState());
    EXPECT_EQ(Selected(c), u"Shower");
    EXPECT_EQ(dlg.okCalls, 0);
}

TEST_F(Lists, TheDroppedHeightComesFromTheTemplate) {
    std::vector<CString> many;
    for (int i = 0; i < 30; ++i) many.push_back(FromUtf8("item " + std::to_string(i)));
    CComboBox* c = Open(many, 60);
    CRect dropped;
    c->GetDroppedControlRect(&dropped);
    EXPECT_EQ(dropped.Height(), DialogUnitsToPixels(CRect(0, 0, 90, 60), dlg.GetBaseUnits()).Height());
    ClickOn(c);
    HWND list = WindowFromPoint(ItemPoint(c, 0));
    ASSERT_NE(list, nullptr);
    CRect lr, wr;
    ::GetWindowRect(list, &lr);
    c->GetWindowRect(&wr);
    EXPECT_LE(wr.Height() + lr.Height(), dropped.Height());
    EXPECT_GE(wr.Height() + lr.Height(), dropped.Height() - c->GetItemHeight());
    // Keys scroll the list to keep the highlight in view; the last item can be chosen.
    screen.Key(VK_END);
    screen.Key(VK_RETURN);
    EXPECT_EQ(Selected(c), u"item 29");
}

// ---------------------------------------------------------------- date-time picker

class Picker : public ControlsTest {
protected:
    DialogTemplate t = BaseTemplate(240, 120);
    TestDialog dlg{&t};
    CDateTimeCtrl* p = nullptr;
    static constexpr const char16_t* kFormat = u"HH':'mm':'ss dddd MMM dd', 'yyyy";

    void SetUp() override {
        t.Add(WC_DATETIMEPICK, 7, u"", WS_TABSTOP | DTS_UPDOWN, 10, 10, 145, 15);
        t.Add(WC_EDIT, 8, u"", WS_TABSTOP | WS_BORDER, 10, 40, 60, 14);
        ASSERT_TRUE(dlg.CreateIndirect(t));
        p = dynamic_cast<CDateTimeCtrl*>(dlg.GetDlgItem(7));
        ASSERT_NE(p, nullptr);
        p->SetFormat(kFormat);
        dlg.GotoDlgCtrl(p);
        screen.RunUntilIdle();
    }
    void TearDown() override {
        if (dlg.m_hWnd) dlg.DestroyWindow();
    }
    static std::int64_t Local(int y, int mo, int d, int h, int mi, int s) {
        CivilTime c;
        c.year = y, c.month = mo, c.day = d, c.hour = h, c.minute = mi, c.second = s;
        return FromLocalCivil(c);
    }
    void SelectField(int f) {
        screen.Key(VK_HOME);
        for (int i = 0; i < f; ++i) screen.Key(VK_RIGHT);
    }
};

TEST_F(Picker, ShowsTheCustomFormatInLocalTime) {
    std::int64_t t0 = Local(2004, 6, 1, 9, 30, 0);
    ASSERT_TRUE(p->SetTime(t0));
    EXPECT_EQ(ToUtf8(p->GetDisplayText()), "09:30:00 Tuesday Jun 01, 2004");
    EXPECT_EQ(p->GetFieldCount(), 7);
    p->SetFormat(u"'It''s' d/M/yy h tt");
    EXPECT_EQ(ToUtf8(p->GetDisplayText()), "It's 1/6/04 9 AM");
}

// Each field stepped by Up or Down: the other fields stay, nothing carries.
TEST_F(Picker, KeysStepEachFieldAndWriteExactSeconds) {
    struct Case {
        int field;
        UINT vk;
        std::int64_t want;
    } cases[] = {
        {0, VK_UP, Local(2004, 6, 1, 10, 30, 0)},   {0, VK_DOWN, Local(2004, 6, 1, 8, 30, 0)},
        {1, VK_DOWN, Local(2004, 6, 1, 9, 29, 0)},  {2, VK_DOWN, Local(2004, 6, 1, 9, 30, 59)},
        {3, VK_UP, Local(2004, 6, 2, 9, 30, 0)},    {4, VK_UP, Local(2004, 7, 1, 9, 30, 0)},
        {5, VK_DOWN, Local(2004, 6, 30, 9, 30, 0)}, {6, VK_UP, Local(2005, 6, 1, 9, 30, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        p->SetTime(Local(2004, 6, 1, 9, 30, 0));
        SelectField(c.field);
        EXPECT_EQ(p->GetSelectedField(), c.field);
        screen.Key(c.vk);
        EXPECT_EQ(p->GetTime(), c.want);
    }
    // A day that does not exist in the new month is brought to its last day.
    p->SetTime(Local(2004, 3, 31, 12, 0, 0));
    SelectField(4);
    screen.Key(VK_DOWN);
    EXPECT_EQ(p->GetTime(), Local(2004, 2, 29, 12, 0, 0));
}

TEST_F(Picker, MouseChoosesTheFieldAndTheSpinButtonsStepIt) {
    p->SetTime(Local(2004, 6, 1, 9, 30, 0));
    CRect month = p->GetFieldRect(4);
    ClickAt(p, month.CenterPoint());
    EXPECT_EQ(p->GetSelectedField(), 4);
    ClickAt(p, p->GetSpinRect(true).CenterPoint());
    EXPECT_EQ(p->GetTime(), Local(2004, 7, 1, 9, 30, 0));
    screen.Advance(1000);
    ClickAt(p, p->GetSpinRect(false).CenterPoint());
    screen.Advance(1000);
    ClickAt(p, p->GetSpinRect(false).CenterPoint());
    EXPECT_EQ(p->GetTime(), Local(2004, 5, 1, 9, 30, 0));
    ClickAt(p, p->GetFieldRect(2).CenterPoint());
    EXPECT_EQ(p->GetSelectedField(), 2);
}

TEST_F(Picker, TypedDigitsSetFieldsAndMoveOn) {
    p->SetTime(Local(2004, 6, 1, 9, 30, 0));
    SelectField(0);
    screen.Type(u"23");
    EXPECT_EQ(p->GetSelectedField(), 1) << "two digits fill the hour";
    screen.Type(u"07");
    screen.Type(u"5");   // the seconds: 5, then 59
    screen.Type(u"9");
    EXPECT_EQ(p->GetTime(), Local(2004, 6, 1, 23, 7, 59));
    SelectField(6);
    screen.Type(u"2010");
    EXPECT_EQ(p->GetTime(), Local(2010, 6, 1, 23, 7, 59));
    SelectField(5);
    screen.Type(u"4");
    EXPECT_EQ(p->GetSelectedField(), 6) << "no day starts with 4 and one more digit";
    EXPECT_EQ(p->GetTime(), Local(2010, 6, 4, 23, 7, 59));
}

TEST_F(Picker, OnlyTimesThatFitInThirtyTwoBitsAreTaken) {
    EXPECT_FALSE(p->SetTime(std::int64_t(INT32_MAX) + 1));
    EXPECT_FALSE(p->SetTime(std::int64_t(INT32_MIN) - 1));
    ASSERT_TRUE(p->SetTime(INT32_MAX));
    for (int field : {2, 5, 6}) {   // seconds, day and year would all pass the end
        SelectField(field);
        screen.Key(VK_UP);
        EXPECT_EQ(p->GetTime(), INT32_MAX) << "field " << field;
    }
    ASSERT_TRUE(p->SetTime(INT32_MIN));
    SelectField(6);
    screen.Key(VK_DOWN);
    EXPECT_EQ(p->GetTime(), INT32_MIN);
}

TEST_F(Picker, ChangesByKeysReachTheMemberOnOK) {
    dlg.DestroyWindow();
    DialogTemplate tm = BaseTemplate(240, 120);
    tm.Add(WC_DATETIMEPICK, 7, u"", WS_TABSTOP | DTS_UPDOWN, 10, 10, 145, 15);
    TestDialog modal(&tm);
    std::int32_t start = std::int32_t(Local(2004, 6, 1, 9, 30, 0));
    modal.init = [&] { dynamic_cast<CDateTimeCtrl*>(modal.GetDlgItem(7))->SetFormat(kFormat); };
    modal.exchange = [&](CDataExchange* dx) { DDX_DateTimeCtrl(dx, 7, start); };
    screen.Step([&] {
        screen.Key(VK_RIGHT);
        screen.Key(VK_RIGHT);
        screen.Key(VK_UP);   // seconds
        screen.Key(VK_RETURN);
    });
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(start, Local(2004, 6, 1, 9, 30, 1));
}

}  // namespace
