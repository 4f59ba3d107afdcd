// Message boxes, the colour dialog and the wait cursor.
#include "controls_fixture.h"

#include "platform/controls/colordlg.h"
#include "platform/controls/msgbox.h"
#include "platform/controls/waitcursor.h"
#include "platform/gfx/syscolors.h"

namespace {

class Boxes : public ControlsTest {};

TEST_F(Boxes, MessageBoxAnswersIdOkHoweverItIsClosed) {
    DialogTemplate ownerTmpl = BaseTemplate();
    TestDialog owner(&ownerTmpl);
    ASSERT_TRUE(owner.CreateIndirect(ownerTmpl));
    screen.RunUntilIdle();
    struct Case {
        const char* name;
        UINT type;
        std::function<void(Boxes&, CWnd*)> close;
        int result;
    } cases[] = {
        {"Enter", MB_OK | MB_ICONINFORMATION, [](Boxes& f, CWnd*) { f.screen.Key(VK_RETURN); }, IDOK},
        {"Esc", MB_OK | MB_ICONINFORMATION, [](Boxes& f, CWnd*) { f.screen.Key(VK_ESCAPE); }, IDOK},
        {"a click on OK", MB_OK | MB_ICONINFORMATION, [](Boxes& f, CWnd* box) { f.ClickOn(box->GetDlgItem(IDOK)); }, IDOK},
        {"closing the window", MB_OK | MB_ICONINFORMATION, [](Boxes&, CWnd* box) { box->PostMessage(WM_CLOSE); }, IDOK},
        {"Esc with OK and Cancel", MB_OKCANCEL, [](Boxes& f, CWnd*) { f.screen.Key(VK_ESCAPE); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CString caption, text;
        bool ownerDisabled = false;
        COLORREF iconPixel = 0;
        screen.Step([&] {
            CWnd* box = CWnd::GetActiveWindow();
            ASSERT_NE(box, nullptr);
            ASSERT_NE(box, &owner);
            caption = box->GetWindowText();
            for (CWnd* ch = box->GetWindow(GW_CHILD); ch; ch = ch->GetWindow(GW_HWNDNEXT))
                if (ch->GetClassName() == CString(WC_STATIC)) text = ch->GetWindowText();
            ownerDisabled = !owner.IsWindowEnabled();
            iconPixel = PixelIn(box, CPoint(12 + 16, 12 + 20));   // the stem of the "i"
            c.close(*this, box);
        });
        EXPECT_EQ(MessageBox(owner.m_hWnd, u"Please choose the record to be deleted.", u"Error", c.type), c.result);
        EXPECT_EQ(caption, u"Error");
        EXPECT_EQ(text, u"Please choose the record to be deleted.");
        EXPECT_TRUE(ownerDisabled) << "the owner is disabled while the box runs";
        EXPECT_TRUE(owner.IsWindowEnabled());
        if (c.type & MB_ICONINFORMATION) {
            EXPECT_EQ(iconPixel, RGB(255, 255, 255));
        }
    }
    owner.DestroyWindow();
}

TEST_F(Boxes, ColourConversionsFollowTheZeroTo240Scale) {
    struct Case {
        COLORREF rgb;
        int h, l, s;
    } cases[] = {
        {RGB(255, 0, 0), 0, 120, 240},     {RGB(0, 255, 0), 80, 120, 240},   {RGB(0, 0, 255), 160, 120, 240},
        {RGB(255, 255, 0), 40, 120, 240},  {RGB(255, 255, 255), 160, 240, 0}, {RGB(0, 0, 0), 160, 0, 0},
        {RGB(128, 128, 128), 160, 120, 0}, {RGB(204, 235, 255), 136, 216, 240},
    };
    for (const Case& c : cases) {
        int h, l, s;
        RgbToHls(c.rgb, &h, &l, &s);
        EXPECT_EQ(h, c.h) << std::hex << c.rgb;
        EXPECT_NEAR(l, c.l, 1) << std::hex << c.rgb;
        EXPECT_EQ(s, c.s) << std::hex << c.rgb;
    }
    // There and back stays within a step of the coarser scale.
    for (COLORREF c : {RGB(12, 34, 56), RGB(200, 100, 50), RGB(1, 254, 127), RGB(77, 77, 200)}) {
        int h, l, s;
        RgbToHls(c, &h, &l, &s);
        COLORREF back = HlsToRgb(h, l, s);
        EXPECT_NEAR(GetRValue(back), GetRValue(c), 3);
        EXPECT_NEAR(GetGValue(back), GetGValue(c), 3);
        EXPECT_NEAR(GetBValue(back), GetBValue(c), 3);
    }
}

class Colours : public ControlsTest {
protected:
    CColorDialog dlg{RGB(0, 0, 0), CC_FULLOPEN};
    void SelectField(int id) {
        ClickOn(dlg.GetDlgItem(id));
        Chord(VK_CONTROL, 'A');
    }
};

TEST_F(Colours, BasicColourPickedIsTheResult) {
    COLORREF corner = 0;
    screen.Step([&] {
        corner = PixelIn(&dlg, dlg.SpectrumRect().TopLeft());
        ClickAt(&dlg, dlg.BasicSwatchRect(8).CenterPoint());
    });
    screen.Step([&] { ClickOn(dlg.GetDlgItem(IDOK)); });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetColor(), CColorDialog::BasicColors()[8]);
    EXPECT_EQ(dlg.GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(corner, RGB(255, 0, 0)) << "full open shows the spectrum, pure hue 0 at the top left";
}

TEST_F(Colours, TypedRedGreenBlueIsTheResultAndTheOtherFieldsFollow) {
    CString hue, sat, lum;
    COLORREF preview = 0;
    screen.Step([&] {
        SelectField(IDC_COLOR_RED);
        screen.Type(u"12");
        SelectField(IDC_COLOR_GREEN);
        screen.Type(u"34");
        SelectField(IDC_COLOR_BLUE);
        screen.Type(u"56");
    });
    screen.Step([&] {
        hue = dlg.GetDlgItemText(IDC_COLOR_HUE);
        sat = dlg.GetDlgItemText(IDC_COLOR_SAT);
        lum = dlg.GetDlgItemText(IDC_COLOR_LUM);
        preview = PixelIn(&dlg, CPoint(240, 210));
        screen.Key(VK_RETURN);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetColor(), RGB(12, 34, 56));
    int h, l, s;
    RgbToHls(RGB(12, 34, 56), &h, &l, &s);
    EXPECT_EQ(ToUtf8(hue), std::to_string(h));
    EXPECT_EQ(ToUtf8(sat), std::to_string(s));
    EXPECT_EQ(ToUtf8(lum), std::to_string(l));
    EXPECT_EQ(preview, RGB(12, 34, 56));
}

TEST_F(Colours, CancelReturnsNothing) {
    CColorDialog picked(RGB(1, 2, 3), CC_FULLOPEN);
    screen.Step([&] { ClickAt(&picked, picked.BasicSwatchRect(20).CenterPoint()); });
    screen.Step([&] { ClickOn(picked.GetDlgItem(IDCANCEL)); });
    EXPECT_EQ(picked.DoModal(), IDCANCEL);
    EXPECT_EQ(picked.GetColor(), RGB(1, 2, 3));
    screen.Step([&] { screen.Key(VK_ESCAPE); });
    EXPECT_EQ(picked.DoModal(), IDCANCEL);
    EXPECT_EQ(picked.GetColor(), RGB(1, 2, 3));
}

TEST_F(Colours, SpectrumLuminanceAndCustomColours) {
    COLORREF saved[16];
    std::fill(saved, saved + 16, RGB(255, 255, 255));
    dlg.m_cc.lpCustColors = saved;
    COLORREF customShown = 0;
    screen.Step([&] {
        CRect sp = dlg.SpectrumRect();
        // The middle of the spectrum's top row: hue near 120, full saturation.
        ClickAt(&dlg, CPoint(sp.left + sp.Width() / 2, sp.top));
        // The top of the luminance bar is white whatever the hue.
        CRect lb = dlg.LuminanceRect();
        screen.Advance(1000);
        ClickAt(&dlg, CPoint(lb.CenterPoint().x, lb.top + lb.Height() / 4));
        ClickOn(dlg.GetDlgItem(IDC_COLOR_ADD));
    });
    screen.Step([&] {
        customShown = PixelIn(&dlg, dlg.CustomSwatchRect(0).CenterPoint());
        ClickOn(dlg.GetDlgItem(IDOK));   // Enter would press the focused Add button again
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    int h, l, s;
    RgbToHls(dlg.GetColor(), &h, &l, &s);
    EXPECT_NEAR(h, 120, 2);
    EXPECT_NEAR(s, 240, 2);
    EXPECT_NEAR(l, 180, 3) << "a quarter down the bar";
    EXPECT_EQ(customShown, dlg.GetColor());
    EXPECT_EQ(saved[0], dlg.GetColor()) << "OK hands the custom colours back";
}

TEST_F(Boxes, WaitCursorLastsForTheObjectsLife) {
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        CWaitCursor outer;
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT));
        {
            CWaitCursor inner;
            EXPECT_TRUE(CWaitCursor::Active());
        }
        EXPECT_EQ(GetCursor(), LoadCursor(nullptr, IDC_WAIT)) << "the outer wait still holds";
    }
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_FALSE(CWaitCursor::Active());
}

}  // namespace
