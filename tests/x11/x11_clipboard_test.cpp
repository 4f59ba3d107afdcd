// The clipboard against xclip as the other program: text we copy is read
// by xclip in every target it asks for, text xclip holds (non-ASCII, large
// enough for INCR) is read and pasted into a window, and an owner that
// never answers costs no more than the timeout.
#include <chrono>
#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/x11/xvfb_session.h"

using X11Clipboard = X11Test;

namespace {
// xclip -i serves from a background copy of itself: wait until that copy
// has taken the selection from whoever held it before.
void XclipHolds(X11Peer* peer, const std::string& file) {
    unsigned long before = peer->ClipboardOwner();
    ASSERT_EQ(RunTool("xclip -i -selection clipboard " + file), 0);
    for (int i = 0; i < 500 && (peer->ClipboardOwner() == before || !peer->ClipboardOwner()); ++i) usleep(10000);
    ASSERT_NE(peer->ClipboardOwner(), before);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
}  // namespace

TEST_F(X11Clipboard, TextCopiedHereIsReadByXclip) {
    ASSERT_TRUE(m_x11->SetClipboardText(U16("Grüße aus Köln\r\nzweite Zeile €")));
    struct Case {
        const char* target;
        std::string want;
    } const cases[] = {
        {"UTF8_STRING", "Grüße aus Köln\nzweite Zeile €"},
        {"TEXT", "Grüße aus Köln\nzweite Zeile €"},
        {"STRING", "Gr\xFC\xDF" "e aus K\xF6ln\nzweite Zeile ?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        std::string out = TempPath("clip-out.txt");
        pid_t tool = SpawnTool(std::string("xclip -o -selection clipboard -t ") + c.target + " > " + out);
        int status = -1;
        ASSERT_TRUE(PumpUntilFinished(tool, 10000, &status));
        EXPECT_EQ(status, 0);
        EXPECT_EQ(ReadFile(out), c.want);
    }
    std::string targets = TempPath("clip-targets.txt");
    pid_t tool = SpawnTool("xclip -o -selection clipboard -t TARGETS > " + targets);
    ASSERT_TRUE(PumpUntilFinished(tool));
    std::string list = ReadFile(targets);
    for (const char* t : {"TARGETS", "UTF8_STRING", "STRING", "TEXT"}) EXPECT_NE(list.find(t), std::string::npos) << t;

    // Large enough to go in INCR pieces.
    std::string big;
    for (int i = 0; big.size() < 1500000; ++i) big += "Zeile " + std::to_string(i) + " äöü\n";
    ASSERT_TRUE(m_x11->SetClipboardText(FromUtf8(big)));
    std::string out = TempPath("clip-big.txt");
    tool = SpawnTool("xclip -o -selection clipboard -t UTF8_STRING > " + out);
    ASSERT_TRUE(PumpUntilFinished(tool, 20000));
    EXPECT_EQ(ReadFile(out).size(), big.size());
    EXPECT_TRUE(ReadFile(out) == big);
}

TEST_F(X11Clipboard, TextSetWithXclipIsReadAndPastedIntoAWindow) {
    std::string in = TempPath("clip-in.txt");
    WriteFile(in, "Žluťoučký kůň ✓\nzweite Zeile");
    XclipHolds(m_peer.get(), in);
    CString text;
    ASSERT_TRUE(m_x11->GetClipboardText(&text));
    EXPECT_EQ(text, U16("Žluťoučký kůň ✓\r\nzweite Zeile"));

    TestWnd edit;
    ASSERT_TRUE(edit.CreateTop(u"edit", CRect(100, 100, 300, 200)));
    ASSERT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(edit)); }));
    pid_t tool = SpawnTool("xdotool mousemove 150 150 click 1 sleep 0.1 type 'x' ; xdotool key ctrl+v");
    ASSERT_TRUE(PumpUntilFinished(tool));
    EXPECT_TRUE(PumpUntil([&] { return edit.typed.size() > 1; }));
    EXPECT_EQ(edit.typed, U16("xŽluťoučký kůň ✓\r\nzweite Zeile"));

    // A large text from xclip arrives in INCR pieces.
    std::string big;
    for (int i = 0; big.size() < 1200000; ++i) big += "řádek " + std::to_string(i) + "\n";
    WriteFile(in, big);
    XclipHolds(m_peer.get(), in);
    ASSERT_TRUE(m_x11->GetClipboardText(&text));
    CString want;
    for (char16_t c : FromUtf8(big)) {
        if (c == u'\n') want.push_back(u'\r');
        want.push_back(c);
    }
    EXPECT_EQ(text.size(), want.size());
    EXPECT_TRUE(text == want);
}

TEST_F(X11Clipboard, AnOwnerThatNeverAnswersCostsAtMostTheTimeout) {
    ASSERT_TRUE(m_peer->OwnClipboardSilently());
    m_x11->SetClipboardTimeout(400);
    auto start = std::chrono::steady_clock::now();
    CString text = u"unchanged";
    EXPECT_FALSE(m_x11->GetClipboardText(&text));
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(text, u"unchanged");
    EXPECT_GE(ms, 350) << "it did wait for an answer";
    EXPECT_LE(ms, 400 + 400) << "and not (much) longer than its timeout, even on a loaded machine";
    // The program is still responsive afterwards: a window still appears.
    TestWnd w;
    ASSERT_TRUE(w.CreateTop(u"after", CRect(10, 10, 60, 60)));
    EXPECT_TRUE(PumpUntil([&] { return m_peer->Viewable(XId(w)); }, 2000));
}

// Both ends ours: a second program (a child process) owns a text too large
// for one request, so it goes out in INCR pieces, and we read it back whole.
TEST_F(X11Clipboard, ALargeTextTravelsInPiecesBetweenTwoOfOurPrograms) {
    std::string big;
    for (int i = 0; big.size() < 900000; ++i) big += "Eintrag " + std::to_string(i) + " – Ärger\r\n";
    CString want = FromUtf8(big);
    unsigned long before = m_peer->ClipboardOwner();
    pid_t child = fork();
    if (child == 0) {
        std::string error;
        auto other = CreateX11Backend(Display().c_str(), &error);
        if (!other || !other->SetClipboardText(want)) _exit(3);
        RawEvent e;
        for (int i = 0; i < 1000; ++i) {   // serves for at most 10 s
            while (other->PollEvent(&e)) {
            }
            other->WaitForEvents(10);
        }
        _exit(0);
    }
    ASSERT_GT(child, 0);
    for (int i = 0; i < 500 && m_peer->ClipboardOwner() == before; ++i) usleep(10000);
    m_x11->SetClipboardTimeout(3000);
    CString text;
    EXPECT_TRUE(m_x11->GetClipboardText(&text));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_EQ(text.size(), want.size());
    EXPECT_TRUE(text == want);
}
