// The program directory, the help file and the choice of the data directory.
#include <gtest/gtest.h>

#include "diary/appdir.h"

TEST(AppDir, CutAfterTheLastSlash) {
    struct Case {
        const char16_t* exe;
        const char16_t* dir;
    };
    const Case cases[] = {
        {u"/opt/tools/diary/diary", u"/opt/tools/diary/"},
        {u"/opt/tools/diary/", u"/opt/tools/"},  // trailing slashes go first
        {u"/opt//diary//", u"/opt//"},
        {u"/diary", u"/"},
        {u"/", u""},
        {u"diary", u""},
        {u"", u""},
        {u"rel/dir/diary", u"rel/dir/"},
        {u"/dir with space/ünï\\code/diary", u"/dir with space/ünï\\code/"},  // '\' is an ordinary character here
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.exe));
        EXPECT_EQ(AppDirFromExePath(c.exe), c.dir);
    }
    // No length cut: a deep install keeps its whole directory.
    const CString deep = u"/" + CString(300, u'd') + u"/diary";
    EXPECT_EQ(AppDirFromExePath(deep), u"/" + CString(300, u'd') + u"/");

    EXPECT_EQ(HelpFileFor(u"/opt/tools/diary/"), u"/opt/tools/diary/Norvello.chm");
    EXPECT_EQ(HelpFileFor(u""), u"Norvello.chm");
}

TEST(AppDir, TheRealExecutableGivesItsOwnDirectory) {
    const CString exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    const CString dir = AppDirFromExePath(exe);
    EXPECT_EQ(dir.back(), u'/');
    EXPECT_EQ(exe.substr(0, dir.size()), dir);
    EXPECT_EQ(exe.find(u'/', dir.size()), CString::npos);
}

TEST(AppDir, DataDirArgument) {
    const char* plain[] = {"diary", "--data-dir", "/tmp/x"};
    EXPECT_EQ(DataDirArgument(3, plain), "/tmp/x");
    const char* joined[] = {"diary", "--data-dir=/a", "--data-dir", "b"};
    EXPECT_EQ(DataDirArgument(4, joined), "b");
    const char* dangling[] = {"diary", "--data-dir"};
    EXPECT_EQ(DataDirArgument(2, dangling), std::nullopt);
    const char* other[] = {"diary", "--data-directory", "x", "-automation"};
    EXPECT_EQ(DataDirArgument(4, other), std::nullopt);
}

TEST(AppDir, ChoiceOfTheDataDirectory) {
    struct Case {
        const char* name;
        DataDirInputs in;
        const char* dir;
    };
    const Case cases[] = {
        {"override wins over everything", {"/opt/d/", std::string("/data"), "/xdg", "/home/u", true}, "/data/"},
        {"override keeps its slash", {"/opt/d/", std::string("rel/"), nullptr, nullptr, false}, "rel/"},
        {"writable program directory", {"/opt/d/", std::nullopt, "/xdg", "/home/u", true}, "/opt/d/"},
        {"XDG_DATA_HOME", {"/opt/d/", std::nullopt, "/xdg/", "/home/u", false}, "/xdg/velmora/"},
        {"relative XDG_DATA_HOME is ignored", {"/opt/d/", std::nullopt, "xdg", "/home/u", false},
         "/home/u/.local/share/velmora/"},
        {"empty XDG_DATA_HOME is ignored", {"/opt/d/", std::nullopt, "", "/home/u", false},
         "/home/u/.local/share/velmora/"},
        {"HOME default", {"/opt/d/", std::nullopt, nullptr, "/home/u/", false}, "/home/u/.local/share/velmora/"},
        {"nothing better", {"/opt/d/", std::nullopt, nullptr, nullptr, false}, "/opt/d/"},
        {"program without directory", {"", std::nullopt, nullptr, nullptr, true}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ChooseDataDir(c.in), c.dir);
    }
}
