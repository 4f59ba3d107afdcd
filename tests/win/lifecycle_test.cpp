// Creation, destruction, handles and the window tree.
#include <gtest/gtest.h>

#include "probe.h"
#include "platform/gfx/syscolors.h"
#include "platform/win/user.h"

namespace {

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override { RegisterProbeClasses(); }
    HeadlessScreen screen;
    Journal journal;
};

TEST_F(Lifecycle, DestroyingAParentDestroysItsChildrenInPlatformOrder) {
    ProbeWnd p(&journal, "P"), a(&journal, "A"), b(&journal, "B"), a1(&journal, "A1");
    ASSERT_TRUE(p.CreateEx(0, u"Probe", u"parent", WS_POPUP | WS_VISIBLE, CRect(10, 10, 310, 210), nullptr, 0));
    ASSERT_TRUE(a.Create(u"Probe", u"", WS_VISIBLE, CRect(0, 0, 50, 50), &p, 1));
    ASSERT_TRUE(b.Create(u"Probe", u"", WS_VISIBLE, CRect(60, 0, 110, 50), &p, 2));
    ASSERT_TRUE(a1.Create(u"Probe", u"", WS_VISIBLE, CRect(5, 5, 20, 20), &a, 3));
    HWND handles[] = {p.m_hWnd, a.m_hWnd, b.m_hWnd, a1.m_hWnd};
    EXPECT_EQ(p.GetDlgItem(2), &b);
    EXPECT_EQ(p.GetDlgItem(3), nullptr) << "GetDlgItem looks at direct children only";
    EXPECT_EQ(a1.GetTopLevelParent(), &p);

    // A message posted before the destruction must not reach freed objects.
    p.PostMessage(WM_USER, 1, 2);
    a1.PostMessage(WM_USER, 3, 4);
    journal.Clear();
    ASSERT_TRUE(p.DestroyWindow());
    EXPECT_EQ(journal.Names({WM_DESTROY, WM_NCDESTROY}),
              (std::vector<std::string>{"P:DESTROY", "A:DESTROY", "A1:DESTROY", "A1:NCDESTROY", "A:NCDESTROY",
                                        "B:DESTROY", "B:NCDESTROY", "P:NCDESTROY"}));
    for (HWND h : handles) {
        EXPECT_FALSE(IsWindow(h));
        EXPECT_EQ(CWnd::FromHandle(h), nullptr);
    }
    EXPECT_EQ(p.m_hWnd, nullptr);
    EXPECT_EQ(a1.m_hWnd, nullptr);
    journal.Clear();
    screen.RunUntilIdle();
    EXPECT_EQ(journal.Count("P", WM_USER) + journal.Count("A1", WM_USER), 0);
    EXPECT_FALSE(PostMessage(handles[0], WM_USER, 0, 0)) << "posting to a dead handle fails";
}

// Objects that own themselves: destroyed from inside their own handlers,
// with messages still queued for them. Run under the sanitizer build this
// catches any use after free.
class SelfDestroying : public CWnd {
public:
    explicit SelfDestroying(int* alive) : m_alive(alive) { ++*m_alive; }
    ~SelfDestroying() override { --*m_alive; }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        switch (msg) {
        case WM_LBUTTONDOWN:
            PostMessage(WM_USER, 0, 0);   // still queued when the window goes
            DestroyWindow();
            return 0;                     // `this` is gone: touch nothing
        case WM_USER:
            ADD_FAILURE() << "a message reached a destroyed window";
            return 0;
        case WM_TIMER:
            DestroyWindow();
            return 0;
        default:
            return CWnd::WindowProc(msg, w, l);
        }
    }
    void PostNcDestroy() override { delete this; }

private:
    int* m_alive;
};

TEST_F(Lifecycle, WindowsThatDeleteThemselvesDuringTheirOwnMessages) {
    int alive = 0;
    auto* top = new SelfDestroying(&alive);
    ASSERT_TRUE(top->CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(100, 100, 200, 200), nullptr, 0));
    auto* child = new SelfDestroying(&alive);
    ASSERT_TRUE(child->Create(u"Probe", u"", WS_VISIBLE, CRect(0, 0, 40, 40), top, 7));
    HWND topHandle = top->m_hWnd, childHandle = child->m_hWnd;
    EXPECT_EQ(alive, 2);

    screen.Click(110, 110);   // on the child
    EXPECT_FALSE(IsWindow(childHandle));
    EXPECT_TRUE(IsWindow(topHandle));
    EXPECT_EQ(alive, 1);

    // The top-level one goes from a timer message; a second timer that was
    // due at the same moment must be dropped with it.
    ::SetTimer(topHandle, 1, 10, nullptr);
    ::SetTimer(topHandle, 2, 10, nullptr);
    screen.Advance(10);
    EXPECT_FALSE(IsWindow(topHandle));
    EXPECT_EQ(alive, 0);
}

// An object the window system makes for a class created by name is freed
// with its window, with no PostNcDestroy of its own.
int g_madeByName = 0;
class MadeByName : public CWnd {
public:
    MadeByName() { ++g_madeByName; }
    ~MadeByName() override { --g_madeByName; }
    static CWnd* Make() { return new MadeByName(); }
};

TEST_F(Lifecycle, ObjectsMadeByTheClassGoWithTheirWindows) {
    WNDCLASS wc{};
    wc.lpszClassName = u"MadeByName";
    wc.pfnCreateObject = &MadeByName::Make;
    ASSERT_TRUE(RegisterClass(&wc));
    HWND h = CreateWindowEx(0, u"MadeByName", u"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(IsWindow(h));
    EXPECT_EQ(g_madeByName, 1);
    ASSERT_TRUE(DestroyWindow(h));
    EXPECT_EQ(g_madeByName, 0);
}

TEST_F(Lifecycle, AnObjectGoingOutOfScopeTakesItsWindowAlong) {
    HWND h;
    {
        ProbeWnd w(&journal, "W");
        ASSERT_TRUE(w.CreateEx(0, u"Probe", u"", WS_POPUP | WS_VISIBLE, CRect(0, 0, 50, 50), nullptr, 0));
        h = w.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(h));
    ProbeWnd next(&journal, "N");
    ASSERT_TRUE(next.CreateEx(0, u"Probe", u"", WS_POPUP, CRect(0, 0, 50, 50), nullptr, 0));
    EXPECT_NE(next.m_hWnd, h) << "handles are never reused";
}

TEST_F(Lifecycle, CreationFailures) {
    ProbeWnd refuses(&journal, "R");
    refuses.handler = [](ProbeWnd&, UINT msg, WPARAM, LPARAM, LRESULT& res) {
        if (msg != WM_CREATE) return false;
        res = -1;
        return true;
    };
    EXPECT_FALSE(refuses.CreateEx(0, u"Probe", u"", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_EQ(refuses.m_hWnd, nullptr);
    EXPECT_EQ(journal.Count("R", WM_NCDESTROY), 1) << "a refused window is cleaned up";

    ProbeWnd orphan(&journal, "O");
    EXPECT_FALSE(orphan.CreateEx(0, u"Probe", u"", WS_CHILD, CRect(0, 0, 10, 10), nullptr, 0))
        << "a child needs a parent";
    EXPECT_FALSE(orphan.CreateEx(0, u"NoSuchClass", u"", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0));
    EXPECT_TRUE(TopLevelWindows().empty());
}

TEST_F(Lifecycle, GeometryTextAndStyles) {
    ProbeWnd top(&journal, "T"), child(&journal, "C");
    ASSERT_TRUE(top.CreateEx(0, u"Probe", u"Title", WS_POPUP | WS_BORDER | WS_VISIBLE, CRect(100, 50, 400, 250), nullptr, 0));
    ASSERT_TRUE(child.CreateEx(WS_EX_CLIENTEDGE, u"Probe", u"", WS_CHILD | WS_VISIBLE, CRect(10, 20, 110, 70), &top, 5));

    CRect rc;
    top.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 298, 198)) << "a one-pixel border on each side";
    child.GetWindowRect(&rc);
    EXPECT_EQ(rc, CRect(111, 71, 211, 121));
    child.GetClientRect(&rc);
    EXPECT_EQ(rc, CRect(0, 0, 96, 46)) << "the client edge takes two pixels a side";
    CPoint p(0, 0);
    child.ClientToScreen(&p);
    EXPECT_EQ(p, CPoint(113, 73));
    child.ScreenToClient(&p);
    EXPECT_EQ(p, CPoint(0, 0));

    EXPECT_EQ(top.GetWindowText(), u"Title");
    top.SetWindowText(u"Renamed");
    EXPECT_EQ(top.GetWindowText(), u"Renamed");
    EXPECT_EQ(screen.backend().NativeWindowTitle(1), u"Renamed") << "the display shows the new title";

    journal.Clear();
    child.MoveWindow(20, 30, 150, 60);
    EXPECT_EQ(journal.Count("C", WM_MOVE), 1);
    EXPECT_EQ(journal.Count("C", WM_SIZE), 1);
    const Seen* size = nullptr;
    for (const Seen& s : journal.Items())
        if (s.msg == WM_SIZE) size = &s;
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(LOWORD(size->lParam), 146);
    EXPECT_EQ(HIWORD(size->lParam), 56);

    EXPECT_TRUE(child.GetStyle() & WS_VISIBLE);
    child.ModifyStyle(0, WS_TABSTOP);
    EXPECT_TRUE(child.GetStyle() & WS_TABSTOP);
    child.ShowWindow(SW_HIDE);
    EXPECT_FALSE(child.IsWindowVisible());
    top.ShowWindow(SW_HIDE);
    child.ShowWindow(SW_SHOW);
    EXPECT_FALSE(child.IsWindowVisible()) << "a child of a hidden window is not visible";
    EXPECT_TRUE(child.GetStyle() & WS_VISIBLE);
}

}  // namespace

namespace {

// A control that draws itself from its parent's WM_DRAWITEM and lets the
// parent have its clicks.
class SelfDrawn : public CWnd {
public:
    int drawn = 0;
    BOOL OnChildNotify(UINT msg, WPARAM, LPARAM l, LRESULT* result) override {
        if (msg != WM_DRAWITEM) return FALSE;
        auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
        drawn += dis->itemState == ODS_SELECTED ? 10 : 1;
        *result = TRUE;
        return TRUE;
    }
};

class CommandParent : public CWnd {
public:
    std::vector<std::pair<int, int>> commands;   // id, notification code
    BOOL OnCommand(WPARAM w, LPARAM) override {
        commands.emplace_back(LOWORD(w), HIWORD(w));
        return TRUE;
    }
};

TEST(Reflection, ControlsSeeTheirOwnParentMessagesFirst) {
    HeadlessScreen screen;
    CommandParent parent;
    SelfDrawn button;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    ASSERT_TRUE(button.Create(nullptr, u"OK", WS_VISIBLE, CRect(10, 10, 60, 30), &parent, 1064));
    DRAWITEMSTRUCT dis;
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = 1064;
    dis.hwndItem = button.m_hWnd;
    dis.itemState = ODS_SELECTED;
    EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 1064, reinterpret_cast<LPARAM>(&dis)), TRUE);
    EXPECT_EQ(button.drawn, 10);
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(1064, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
    button.PostMessage(WM_NULL);   // posted notifications arrive in order
    ::PostMessage(parent.m_hWnd, WM_COMMAND, MAKEWPARAM(1065, 3), 0);
    screen.RunUntilIdle();
    EXPECT_EQ(parent.commands, (std::vector<std::pair<int, int>>{{1064, BN_CLICKED}, {1065, 3}}));
    EXPECT_EQ(button.GetOwner(), &parent) << "a child without an owner reports to its parent";
}

}  // namespace

namespace {

TEST(TopLevel, StylesDecideTheDisplayFlagsAndTheStackingBand) {
    HeadlessScreen screen;
    RegisterProbeClasses();
    CWnd owner;
    ASSERT_TRUE(owner.CreateEx(WS_EX_APPWINDOW, u"Probe", u"Diary", WS_POPUP | WS_VISIBLE, CRect(0, 0, 300, 300), nullptr, 0));
    struct Case {
        DWORD exStyle;
        bool owned;
        bool overrideRedirect, taskbar, topmost;
    } cases[] = {
        {WS_EX_TOOLWINDOW | WS_EX_TOPMOST, true, true, false, true},   // a title tip
        {WS_EX_TOPMOST, true, true, false, true},                       // a palette popup
        {WS_EX_APPWINDOW, true, false, true, false},                    // a skinned dialog
        {0, true, false, false, false},
        {0, false, false, true, false},
    };
    std::vector<std::unique_ptr<CWnd>> made;
    for (const Case& c : cases) {
        auto w = std::make_unique<CWnd>();
        ASSERT_TRUE(w->CreateEx(c.exStyle, u"Probe", u"", WS_POPUP, CRect(10, 10, 50, 50), c.owned ? &owner : nullptr, 0));
        NativeWindowId id = NativeWindowId(screen.backend().NativeWindowCount());
        NativeWindowFlags f = screen.backend().NativeWindowFlagsOf(id);
        EXPECT_EQ(f.overrideRedirect, c.overrideRedirect) << c.exStyle;
        EXPECT_EQ(f.taskbar, c.taskbar) << c.exStyle;
        EXPECT_EQ(f.topmost, c.topmost) << c.exStyle;
        EXPECT_EQ(w->GetOwner() == &owner, c.owned);
        made.push_back(std::move(w));
    }
    // Activating an ordinary window keeps the topmost ones above it, and an
    // owner comes up with its owned windows in front of it.
    std::vector<HWND> order;
    auto pos = [&](const CWnd& w) { return std::find(order.begin(), order.end(), w.m_hWnd) - order.begin(); };
    made[4]->SetActiveWindow();
    order = TopLevelWindows();
    EXPECT_LT(pos(*made[0]), pos(*made[4]));
    EXPECT_LT(pos(*made[1]), pos(*made[4]));
    EXPECT_LT(pos(*made[4]), pos(owner));
    owner.SetActiveWindow();
    order = TopLevelWindows();
    EXPECT_LT(pos(*made[0]), pos(owner));
    EXPECT_LT(pos(*made[2]), pos(owner));
    EXPECT_LT(pos(*made[3]), pos(owner));
    EXPECT_LT(pos(owner), pos(*made[4]));

    // Owned windows go with their owner.
    HWND tip = made[0]->m_hWnd, loose = made[4]->m_hWnd;
    owner.DestroyWindow();
    EXPECT_FALSE(IsWindow(tip));
    EXPECT_TRUE(IsWindow(loose));
}

}  // namespace

namespace {

TEST(DefaultHandling, CloseTextFontAndControlColours) {
    HeadlessScreen screen;
    CWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, u"Diary", WS_POPUP | WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 0));
    HWND h = w.m_hWnd;

    // Text: WM_GETTEXT truncates to the buffer and always terminates it.
    char16_t buf[4] = {u'x', u'x', u'x', u'x'};
    EXPECT_EQ(w.SendMessage(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(buf)), 3);
    EXPECT_EQ(CString(buf), u"Dia");
    EXPECT_EQ(w.SendMessage(WM_GETTEXTLENGTH), 5);

    // Fonts: the default handling keeps what it is given.
    CFont font;
    LOGFONT lf = GetDesktopMessageFont();
    ASSERT_TRUE(font.CreateFontIndirect(&lf));
    w.SetFont(&font);
    ASSERT_NE(w.GetFont(), nullptr);
    EXPECT_EQ(w.GetFont()->GetSafeHandle(), font.GetSafeHandle());

    // Control colours: a brush of the system colour for the kind of control.
    LRESULT brush = w.SendMessage(WM_CTLCOLOREDIT, 0, 0);
    ASSERT_NE(brush, 0);
    EXPECT_EQ(CBrush::FromHandle(reinterpret_cast<HBRUSH>(brush))->GetColor(), GetSysColor(COLOR_WINDOW));

    // The display asks the window to close: WM_CLOSE, and by default it goes.
    screen.backend().InjectCloseRequest(1);
    screen.RunUntilIdle();
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(screen.backend().NativeWindowCount(), 0);
}

}  // namespace
