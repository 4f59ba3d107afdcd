#include "platform/shell/settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("velmora-settings-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        path_ = (dir_ / "sub" / "settings").string();
        setenv("VELMORA_SETTINGS_FILE", path_.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("VELMORA_SETTINGS_FILE");
        std::filesystem::remove_all(dir_);
    }
    void WriteFile(const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(path_).parent_path());
        std::ofstream(path_) << text;
    }
    std::filesystem::path dir_;
    std::string path_;
};

TEST_F(SettingsTest, ReadsValuesByKeyAndNameIgnoringCase) {
    WriteFile("; comment\n[Other]\nWheelScrollLines=99\n\n"
              "[control panel\\DESKTOP]\n  wheelscrolllines = 10 \nEmpty=\n");
    struct Case { const char* key; const char* name; bool found; const char* value; };
    const Case cases[] = {
        {"Control Panel\\Desktop", "WheelScrollLines", true, "10"},
        {"Other", "WHEELSCROLLLINES", true, "99"},
        {"Control Panel\\Desktop", "Empty", true, ""},
        {"Control Panel\\Desktop", "Missing", false, ""},
        {"Control Panel", "WheelScrollLines", false, ""},
    };
    for (const Case& c : cases) {
        CString v = u"untouched";
        EXPECT_EQ(settings::ReadValue(U16(c.key), U16(c.name), &v), c.found) << c.key << " " << c.name;
        if (c.found) EXPECT_EQ(ToUtf8(v), c.value);
        else EXPECT_EQ(v, u"untouched");
    }
}

TEST_F(SettingsTest, MissingFileReadsNothing) {
    CString v;
    EXPECT_FALSE(settings::ReadValue(u"Control Panel\\Desktop", u"WheelScrollLines", &v));
}

TEST_F(SettingsTest, WriteCreatesReplacesAndKeepsOtherLines) {
    WriteFile("[A]\nx=1\n; keep me\n[B]\ny=2\n");
    ASSERT_TRUE(settings::WriteValue(u"a", u"X", u"5"));      // replace in place
    ASSERT_TRUE(settings::WriteValue(u"A", u"z", u"6"));      // add to existing key
    ASSERT_TRUE(settings::WriteValue(u"New Key", u"w", u"ü")); // new key at the end
    CString v;
    ASSERT_TRUE(settings::ReadValue(u"A", u"x", &v)); EXPECT_EQ(v, u"5");
    ASSERT_TRUE(settings::ReadValue(u"A", u"z", &v)); EXPECT_EQ(v, u"6");
    ASSERT_TRUE(settings::ReadValue(u"B", u"y", &v)); EXPECT_EQ(v, u"2");
    ASSERT_TRUE(settings::ReadValue(u"New Key", u"w", &v)); EXPECT_EQ(v, u"ü");
    EXPECT_FALSE(settings::ReadValue(u"B", u"z", &v));
    std::ifstream in(path_);
    std::string all((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(all.find("; keep me"), std::string::npos);
}

TEST_F(SettingsTest, WriteIntoMissingFolderCreatesIt) {
    ASSERT_TRUE(settings::WriteValue(u"Control Panel\\Desktop", u"WheelScrollLines", u"7"));
    CString v;
    ASSERT_TRUE(settings::ReadValue(u"Control Panel\\Desktop", u"WheelScrollLines", &v));
    EXPECT_EQ(v, u"7");
}

TEST(SettingsPath, FollowsXdgConfigHome) {
    unsetenv("VELMORA_SETTINGS_FILE");
    const char* old = std::getenv("XDG_CONFIG_HOME");
    std::string saved = old ? old : "";
    const char* oldHome = std::getenv("HOME");
    std::string savedHome = oldHome ? oldHome : "";
    setenv("XDG_CONFIG_HOME", "/tmp/cfg", 1);
    EXPECT_EQ(settings::StorePath(), "/tmp/cfg/velmora/settings");
    setenv("XDG_CONFIG_HOME", "", 1);
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(settings::StorePath(), "/home/u/.config/velmora/settings");
    if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1); else unsetenv("XDG_CONFIG_HOME");
    if (oldHome) setenv("HOME", savedHome.c_str(), 1); else unsetenv("HOME");
}

}  // namespace
