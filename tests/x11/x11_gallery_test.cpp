// The gallery as a user starts it on a desktop: a real window that shows
// the reference sheet and ends when the display asks it to close.
#include <set>

#include "platform/gfx/png.h"
#include "platform/gfx/surface.h"
#include "tests/x11/xvfb_session.h"

using X11Gallery = X11Test;

TEST_F(X11Gallery, TheGalleryOpensInARealWindowAndClosesFromTheDisplay) {
    ASSERT_EQ(RunTool("xsetroot -solid '#3A6EA5'"), 0);
    pid_t gallery = SpawnTool(std::string("exec ") + VELMORA_GALLERY_PROGRAM);
    std::string ids = TempPath("gallery-id.txt");
    ASSERT_EQ(RunTool("timeout 20 xdotool search --sync --onlyvisible --name 'Velmora gallery' > " + ids), 0);
    unsigned long xid = std::stoul(ReadFile(ids));
    CRect r;
    ASSERT_TRUE(m_peer->RootRect(xid, &r));
    EXPECT_EQ(r.Size(), CSize(900, 700));
    // Its pixels are the sheet: many colours, and not the desktop.
    Surface shot;
    std::set<std::uint32_t> colours;
    bool painted = PumpUntil([&] {
        if (!m_x11->CaptureScreen(&shot)) return false;
        colours.clear();
        for (int y = r.top; y < r.bottom; y += 3)
            for (int x = r.left; x < r.right; x += 3) colours.insert(shot.pixel(x, y));
        return colours.size() > 20 && !colours.count(0x3A6EA5);
    });
    EXPECT_TRUE(painted) << colours.size() << " colours";
    std::string error;
    EXPECT_TRUE(WritePng(shot, TempPath("gallery.png"), &error)) << error;

    m_peer->SendDeleteWindow(xid);
    int status = -1;
    ASSERT_TRUE(PumpUntilFinished(gallery, 10000, &status));
    EXPECT_EQ(status, 0);
}
