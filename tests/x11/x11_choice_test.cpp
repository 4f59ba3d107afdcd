// The program's choice of backend: the display when $DISPLAY names one that
// opens, the virtual screen otherwise or when a screenshot is wanted.
#include <cstdlib>

#include "platform/backend/backend_choice.h"
#include "tests/x11/xvfb_session.h"

TEST(X11Choice, TheDisplayWhenThereIsOneTheVirtualScreenOtherwise) {
    std::string why;
    XvfbServer* server = SharedServer(&why);
    if (!server) GTEST_SKIP() << "no Xvfb: " << why;
    struct Case {
        const char* display;   // null: unset
        bool wantHeadless;
        const char* backend;
        bool noted;
    } const cases[] = {
        {server->Display().c_str(), false, "x11", false},
        {server->Display().c_str(), true, "headless", false},
        {nullptr, false, "headless", true},
        {"", false, "headless", true},
        {":999", false, "headless", true},
    };
    std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.display ? c.display : "(unset)") + (c.wantHeadless ? " --screenshot" : ""));
        if (c.display) setenv("DISPLAY", c.display, 1);
        else unsetenv("DISPLAY");
        BackendChoice choice = ChooseBackend(c.wantHeadless);
        ASSERT_TRUE(choice.backend);
        EXPECT_STREQ(choice.backend->Name(), c.backend);
        EXPECT_EQ(choice.headless, std::string(c.backend) == "headless");
        EXPECT_EQ(!choice.note.empty(), c.noted) << choice.note;
    }
    setenv("DISPLAY", saved.c_str(), 1);
}
