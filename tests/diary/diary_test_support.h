// Shared pieces of the diary tests: a fresh directory per test, a view that
// records what the store asks of the window, and byte helpers.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diary/colourfile.h"
#include "diary/diaryrecorddlg.h"
#include "diary/diarystore.h"
#include "diary/diaryview.h"

namespace diarytest {

// "01 00 FF" → bytes; spaces and '|' are ignored.
std::string Bytes(const std::string& hex);
std::string Hex(const std::string& bytes);

// The diary file's bytes for `list`.
std::string Encoded(const CDiaryRecordList& list);

std::string ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
// Names in the directory, sorted.
std::vector<std::string> ListDir(const std::string& dir);

CDiaryRecordDlg Record(std::int32_t start, std::int32_t expire, std::u16string weather, std::u16string state,
                       std::u16string title, std::u16string content, std::u16string remark);

// Plays the diary window: RebuildRows saves the list, as the window's does.
class FakeView : public IDiaryView {
public:
    void RebuildRows() override;
    COLORREF GetStateColour(int state) const override { return colours[state]; }
    void SetStateColour(int state, COLORREF colour) override;
    void ShowMessage(const CString& text, const CString& caption) override;

    CDiaryStore* store = nullptr;
    CDiaryRecordList records;
    StateColours colours{kDefaultStateColours[0], kDefaultStateColours[1], kDefaultStateColours[2],
                         kDefaultStateColours[3]};
    std::vector<std::pair<int, COLORREF>> colourCalls;
    std::vector<std::u16string> messages;
    int rebuilds = 0;
    CDiaryStore::Outcome lastSave = CDiaryStore::Outcome::Done;
};

// A fresh directory under the test output directory, removed afterwards.
class DiaryDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string Path(const std::string& name) const { return m_dir + name; }

    std::string m_dir;  // ends with '/'
    FakeView m_view;
    std::unique_ptr<CDiaryStore> m_store;
};

}  // namespace diarytest
