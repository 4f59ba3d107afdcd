#include "tools/gallery/controls_dialog.h"

#include <cstdio>

#include "platform/base/timefmt.h"
#include "platform/controls/button.h"
#include "platform/controls/combobox.h"
#include "platform/controls/datetimectrl.h"
#include "platform/controls/dialog.h"
#include "platform/controls/edit.h"
#include "platform/gfx/png.h"
#include "platform/win/user.h"

namespace {

enum {
    kStart = 1072, kExpire = 1076, kWeather = 1073, kSchedule = 1077, kTitle = 1011, kContent = 1009,
    kRemark = 1010, kTickStart = 1075, kTickWeather = 1079, kTickOff = 1086, kFace = 1064, kOff = 1099,
};

DialogTemplate GalleryTemplate() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
    t.caption = u"Standard controls";
    t.place = CRect(0, 0, 330, 232);
    t.Add(WC_BUTTON, -1, u"Record", BS_GROUPBOX, 4, 2, 322, 64);
    t.Add(WC_STATIC, -1, u"Starting Time", SS_RIGHT, 8, 18, 56, 8);
    t.Add(WC_DATETIMEPICK, kStart, u"", WS_TABSTOP | DTS_UPDOWN, 68, 14, 145, 15);
    t.Add(WC_STATIC, -1, u"Expiring Time", SS_RIGHT, 8, 39, 56, 8);
    t.Add(WC_DATETIMEPICK, kExpire, u"", WS_TABSTOP | DTS_UPDOWN, 68, 35, 145, 15);
    t.Add(WC_STATIC, -1, u"Weather", SS_RIGHT, 216, 17, 36, 8);
    t.Add(WC_COMBOBOX, kWeather, u"", WS_TABSTOP | CBS_DROPDOWNLIST, 256, 14, 64, 120).items = {
        u"Sunny", u"Fine", u"Bright", u"Cloudy", u"Windy", u"Mist", u"Foggy", u"Rain", u"Shower", u"Storm", u"Dew", u"Snow"};
    t.Add(WC_STATIC, -1, u"Schedule", SS_RIGHT, 216, 38, 36, 8);
    t.Add(WC_COMBOBOX, kSchedule, u"", WS_TABSTOP | CBS_DROPDOWNLIST, 256, 35, 64, 80).items = {
        u"on Schedule", u"behind Schedule", u"ahead of Schedule", u"Cancellation"};
    t.Add(WC_STATIC, -1, u"Title", SS_LEFT, 8, 72, 40, 8);
    t.Add(WC_EDIT, kTitle, u"Team meeting about the new plan", WS_TABSTOP | WS_BORDER, 8, 82, 200, 14);
    t.Add(WC_STATIC, -1, u"Content", SS_LEFT, 8, 100, 40, 8);
    t.Add(WC_EDIT, kContent, u"", WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN, 8, 110, 200, 56);
    t.Add(WC_STATIC, -1, u"Remark (disabled)", SS_LEFT, 8, 170, 80, 8);
    t.Add(WC_EDIT, kRemark, u"Nothing to add", WS_TABSTOP | WS_BORDER | WS_DISABLED, 8, 180, 200, 14);
    t.Add(WC_BUTTON, kTickStart, u"Starting Time", WS_TABSTOP | BS_AUTOCHECKBOX, 220, 82, 90, 10);
    t.Add(WC_BUTTON, kTickWeather, u"Weather", WS_TABSTOP | BS_AUTOCHECKBOX, 220, 96, 90, 10);
    t.Add(WC_BUTTON, kTickOff, u"Title (disabled)", WS_TABSTOP | BS_AUTOCHECKBOX | WS_DISABLED, 220, 110, 90, 10);
    t.Add(WC_STATIC, -1, u"Bitmap button:", SS_LEFT, 220, 130, 60, 8);
    t.Add(WC_BUTTON, kFace, u"", WS_TABSTOP | BS_OWNERDRAW, 284, 127, 17, 14);
    t.Add(WC_BUTTON, kOff, u"Disabled", WS_TABSTOP | WS_DISABLED, 220, 150, 60, 14);
    t.Add(WC_BUTTON, IDOK, u"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, 196, 208, 60, 14);
    t.Add(WC_BUTTON, IDCANCEL, u"Cancel", WS_TABSTOP, 262, 208, 60, 14);
    return t;
}

class GalleryDialog : public CDialog {
public:
    explicit GalleryDialog(const DialogTemplate* t) : CDialog(0, nullptr) { SetTemplate(t); }

    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        for (int id : {kStart, kExpire}) {
            auto* p = dynamic_cast<CDateTimeCtrl*>(GetDlgItem(id));
            p->SetFormat(u"HH':'mm':'ss dddd MMM dd', 'yyyy");
            CivilTime c;
            c.year = 2004, c.month = 6, c.day = id == kStart ? 1 : 2, c.hour = 9, c.minute = 30;
            p->SetTime(FromLocalCivil(c));
        }
        SendDlgItemMessage(kWeather, CB_SETCURSEL, 3);
        SendDlgItemMessage(kSchedule, CB_SETCURSEL, 0);
        SetDlgItemText(kContent, u"Agenda:\r\nthe quarter's figures, the new office and who takes the minutes "
                                 u"while the usual writer is away on holiday.");
        CheckDlgButton(kTickStart, BST_CHECKED);
        // A small face drawn in code: a white cross on the caption blue.
        std::vector<std::uint32_t> px(17 * 21, ToPixel(RGB(35, 96, 177)));
        for (int i = 4; i < 13; ++i) {
            px[std::size_t(i + 2) * 17 + std::size_t(i)] = 0xFFFFFF;
            px[std::size_t(i + 2) * 17 + std::size_t(16 - i)] = 0xFFFFFF;
        }
        m_face.m_bitmap.CreateBitmap(17, 21, 1, 32, px.data());
        m_face.SubclassDlgItem(kFace, this);
        m_face.SizeToContent();
        CenterWindow();
        return TRUE;
    }

    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM w = 0, LPARAM l = 0) {
        CWnd* c = GetDlgItem(id);
        return c ? c->SendMessage(msg, w, l) : 0;
    }

private:
    CBitmapButton m_face;
};

// The states a user meets: the weather list dropped down with an item
// highlighted, a ticked box, text in every edit.
void ShowOpenList(CDialog& dlg) {
    auto* weather = dynamic_cast<CComboBox*>(dlg.GetDlgItem(kWeather));
    dlg.GotoDlgCtrl(weather);
    weather->ShowDropDown(TRUE);
    for (int i = 0; i < 2; ++i) weather->SendMessage(WM_KEYDOWN, VK_DOWN);
}

bool WriteShot(CDialog& dlg, const std::string& path, std::string* error) {
    CRect area;
    dlg.GetWindowRect(&area);
    auto* weather = dynamic_cast<CComboBox*>(dlg.GetDlgItem(kWeather));
    CRect dropped;
    weather->GetDroppedControlRect(&dropped);
    area = area.united(dropped).inflated(8, 8);
    Surface whole;
    if (!GetBackend() || !GetBackend()->CaptureScreen(&whole)) {
        if (error) *error = "the screen could not be read";
        return false;
    }
    area = area.intersected(whole.bounds());
    Surface shot(area.Width(), area.Height());
    for (int y = 0; y < area.Height(); ++y)
        for (int x = 0; x < area.Width(); ++x) shot.setPixel(x, y, whole.pixel(area.left + x, area.top + y));
    return WritePng(shot, path, error);
}

}  // namespace

int RunControlsPage(const std::string& shot) {
    DialogTemplate t = GalleryTemplate();
    GalleryDialog dlg(&t);
    if (shot.empty()) return dlg.DoModal() < 0 ? 1 : 0;
    if (!dlg.CreateIndirect(t)) {
        std::fprintf(stderr, "gallery: the dialog could not be made\n");
        return 1;
    }
    RunUntilIdle();
    ShowOpenList(dlg);
    RunUntilIdle();
    std::string error;
    bool ok = WriteShot(dlg, shot, &error);
    dlg.DestroyWindow();
    if (!ok) {
        std::fprintf(stderr, "gallery: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", shot.c_str());
    return 0;
}
