#include "tests/diary/diary_test_support.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "diary/diaryfile.h"
#include "platform/base/fileio.h"

namespace diarytest {

std::string Bytes(const std::string& hex) {
    std::string out, digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        out += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return out;
}

std::string Hex(const std::string& bytes) {
    std::string out;
    char buf[4];
    for (unsigned char c : bytes) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        out += buf;
    }
    if (!out.empty()) out.pop_back();
    return out;
}

std::string Encoded(const CDiaryRecordList& list) {
    std::string out;
    EXPECT_TRUE(EncodeDiary(list, out));
    return out;
}

std::string ReadAll(const std::string& path) {
    std::string out;
    EXPECT_TRUE(fileio::ReadFile(path, out).ok()) << path;
    return out;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(f.good()) << path;
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

CDiaryRecordDlg Record(std::int32_t start, std::int32_t expire, std::u16string weather, std::u16string state,
                       std::u16string title, std::u16string content, std::u16string remark) {
    CDiaryRecordDlg r;
    r.m_timeStart = start;
    r.m_timeExpire = expire;
    r.m_strWeather = std::move(weather);
    r.m_strState = std::move(state);
    r.m_strTitle = std::move(title);
    r.m_strContent = std::move(content);
    r.m_strRemark = std::move(remark);
    return r;
}

void FakeView::RebuildRows() {
    ++rebuilds;
    if (store) lastSave = store->SaveDiary(records);
}

void FakeView::SetStateColour(int state, COLORREF colour) {
    colours[state] = colour;
    colourCalls.emplace_back(state, colour);
}

void FakeView::ShowMessage(const CString& text, const CString&) { messages.push_back(text); }

void DiaryDirTest::SetUp() {
    const char* base = std::getenv("VELMORA_TEST_OUTPUT");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/diary-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    m_dir = tmpl + "/";
    m_store = std::make_unique<CDiaryStore>(FromUtf8(m_dir), m_view);
    m_view.store = m_store.get();
}

void DiaryDirTest::TearDown() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

}  // namespace diarytest
