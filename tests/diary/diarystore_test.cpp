// Loading and saving the diary and colour files through the store, on disk.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "diary/diaryfile.h"
#include "platform/base/fileio.h"
#include "tests/diary/diary_test_support.h"

using namespace diarytest;
using Outcome = CDiaryStore::Outcome;

namespace {

struct stat StatOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return st;
}

void SetTimes(const std::string& path, std::time_t atime, std::time_t mtime) {
    const struct timespec t[2] = {{atime, 123456789}, {mtime, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), t, 0), 0);
}

}  // namespace

using DiaryStore = DiaryDirTest;

TEST_F(DiaryStore, MissingDiaryGivesAnEmptyListAndCreatesNoFile) {
    m_view.records.push_back(Record(1, 2, u"Fine", u"", u"", u"", u""));
    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Missing);
    EXPECT_TRUE(m_view.records.empty());
    EXPECT_EQ(m_view.rebuilds, 0);
    EXPECT_TRUE(m_view.messages.empty());
    EXPECT_TRUE(ListDir(m_dir).empty());

    EXPECT_EQ(m_store->LoadColours(), Outcome::Missing);
    EXPECT_TRUE(m_view.colourCalls.empty());
    EXPECT_TRUE(ListDir(m_dir).empty());
}

TEST_F(DiaryStore, SaveThenLoadGivesTheSameRecordsAndRewritesTheFile) {
    const CDiaryRecordList list{
        Record(100, 200, u"Dew", u"on Schedule", u"Ärger", u"a\r\nb", u"\U0001F600"),
        Record(300, 400, u"Mist", u"Cancellation", u"Two", u"", u"r\r\n"),
    };
    EXPECT_EQ(m_store->SaveDiary(list), Outcome::Done);
    EXPECT_EQ(Hex(ReadAll(Path("Diary.tmp"))), Hex(Encoded(list)));

    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Done);
    ASSERT_EQ(m_view.records.size(), 2u);
    for (size_t i = 0; i < list.size(); ++i) EXPECT_TRUE(m_view.records[i].SameFields(list[i]));
    EXPECT_EQ(m_view.rebuilds, 1);
    EXPECT_EQ(m_view.lastSave, Outcome::Done);
    EXPECT_TRUE(m_view.messages.empty());
    EXPECT_EQ(ListDir(m_dir), std::vector<std::string>{"Diary.tmp"});
}

TEST_F(DiaryStore, UnmarkedTextLoadsAndIsWrittenBackMarked) {
    // One record as an 8-bit writer left it: Weather in UTF-8, Title in Windows-1252.
    const std::string old = Bytes("01 00 00 00  0A 00 00 00  14 00 00 00") + "\x06" + "S\xC3\xBCnny" + "\x0B" +
                            "on Schedule" + "\x04" + "Caf\xE9" + Bytes("00") + Bytes("FF FE FF 01 41 00");
    WriteAll(Path("Diary.tmp"), old);

    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Done);
    ASSERT_EQ(m_view.records.size(), 1u);
    const CDiaryRecordDlg expected = Record(10, 20, u"Sünny", u"on Schedule", u"Café", u"", u"A");
    EXPECT_TRUE(m_view.records[0].SameFields(expected));
    EXPECT_EQ(Hex(ReadAll(Path("Diary.tmp"))), Hex(Encoded({expected})));
}

TEST_F(DiaryStore, ResetAttributesMakesTheFileWritableAndKeepsItsTimes) {
    const std::string path = Path("Diary.tmp");
    WriteAll(path, Encoded({}));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::time_t now = std::time(nullptr);
    SetTimes(path, now - 60, now - 7200);

    ASSERT_TRUE(fileio::ResetAttributes(path).ok());
    const struct stat st = StatOf(path);
    EXPECT_EQ(st.st_mode & 07777, 0644u);
    EXPECT_EQ(st.st_atim.tv_sec, now - 60);
    EXPECT_EQ(st.st_atim.tv_nsec, 123456789);
    EXPECT_EQ(st.st_mtim.tv_sec, now - 7200);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);

    EXPECT_TRUE(fileio::ResetAttributes(Path("absent")).ok());
    EXPECT_FALSE(fileio::Exists(Path("absent")));
}

TEST_F(DiaryStore, ReadOnlyDiaryBecomesWritableOnLoadAndIsRewritten) {
    const std::string path = Path("Diary.tmp");
    const CDiaryRecordList list{Record(5, 6, u"Rain", u"on Schedule", u"Hi", u"", u"")};
    WriteAll(path, Encoded(list));
    ASSERT_EQ(::chmod(path.c_str(), 0440), 0);
    const std::time_t now = std::time(nullptr);
    SetTimes(path, now - 60, now - 7200);

    m_view.store = nullptr;  // a window that does not save on refill: only the load touches the file
    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Done);
    struct stat st = StatOf(path);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_mtim.tv_sec, now - 7200);
    EXPECT_EQ(st.st_mtim.tv_nsec, 987654321);

    // The next save rewrites it normally and keeps the (now writable) permission bits.
    m_view.records.push_back(Record(7, 8, u"Fine", u"Cancellation", u"", u"", u""));
    ASSERT_EQ(::chmod(path.c_str(), 0400), 0);
    EXPECT_EQ(m_store->SaveDiary(m_view.records), Outcome::Done);
    st = StatOf(path);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(Hex(ReadAll(path)), Hex(Encoded(m_view.records)));
}

TEST_F(DiaryStore, SaveThroughASymbolicLinkReplacesTheTarget) {
    ASSERT_EQ(::mkdir(Path("real").c_str(), 0700), 0);
    WriteAll(Path("real/Diary.tmp"), Encoded({}));
    ASSERT_EQ(::symlink("real/Diary.tmp", Path("Diary.tmp").c_str()), 0);
    const CDiaryRecordList list{Record(1, 2, u"Fine", u"", u"", u"", u"")};
    EXPECT_EQ(m_store->SaveDiary(list), Outcome::Done);
    struct stat st;
    ASSERT_EQ(::lstat(Path("Diary.tmp").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(Hex(ReadAll(Path("real/Diary.tmp"))), Hex(Encoded(list)));
}

TEST_F(DiaryStore, DefaultColoursAreWrittenAsTheDocumentedSixteenBytes) {
    EXPECT_EQ(m_store->SaveColours(), Outcome::Done);
    EXPECT_EQ(Hex(ReadAll(Path("DiaryColor.tmp"))), "FF FF FF 00 FF FF FF 00 FF FF FF 00 C8 C8 C8 00");
}

TEST_F(DiaryStore, ColourFileIsAppliedInOrderAndOnlyItsFirstSixteenBytesCount) {
    // 20 bytes: the last four are never read, and the file is written back as 16.
    WriteAll(Path("DiaryColor.tmp"), Bytes("FF FF FF 00 FF 00 00 00 00 FF 00 00 C8 C8 C8 00 11 22 33 44"));
    EXPECT_EQ(m_store->LoadColours(), Outcome::Done);
    const std::vector<std::pair<int, COLORREF>> calls{
        {0, RGB(255, 255, 255)}, {1, RGB(255, 0, 0)}, {2, RGB(0, 255, 0)}, {3, RGB(200, 200, 200)}};
    EXPECT_EQ(m_view.colourCalls, calls);
    EXPECT_TRUE(m_view.messages.empty());
    EXPECT_EQ(m_store->SaveColours(), Outcome::Done);
    EXPECT_EQ(Hex(ReadAll(Path("DiaryColor.tmp"))), "FF FF FF 00 FF 00 00 00 00 FF 00 00 C8 C8 C8 00");
}

TEST_F(DiaryStore, ShortColourFileAppliesTheWholeValuesAndSaysSoOnce) {
    const std::string full = Bytes("01 02 03 00 04 05 06 00 07 08 09 00 0A 0B 0C 00");
    for (size_t size = 0; size < 16; ++size) {
        SCOPED_TRACE(size);
        FakeView view;
        CDiaryStore store(FromUtf8(m_dir), view);
        WriteAll(Path("DiaryColor.tmp"), full.substr(0, size));
        EXPECT_EQ(store.LoadColours(), Outcome::Damaged);
        ASSERT_EQ(view.colourCalls.size(), size / 4);
        for (size_t i = 0; i < size / 4; ++i) EXPECT_EQ(view.colourCalls[i].second, COLORREF(0x00030201 + 0x030303 * i));
        for (size_t i = size / 4; i < 4; ++i) EXPECT_EQ(view.colours[i], kDefaultStateColours[i]);
        ASSERT_EQ(view.messages.size(), 1u);
        EXPECT_NE(ToUtf8(view.messages[0]).find("DiaryColor.tmp"), std::string::npos);
        // The end of the run writes a sound file again.
        EXPECT_EQ(store.SaveColours(), Outcome::Done);
        EXPECT_EQ(ReadAll(Path("DiaryColor.tmp")).size(), 16u);
    }
}
