// Damaged diary files: nothing crashes, nothing is allocated beyond what the
// bytes can back, the records read whole are kept, a copy of the damaged file
// is kept beside it, the user is told once, and the next save is sound.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "diary/diaryfile.h"
#include "platform/base/fileio.h"
#include "platform/base/timefmt.h"
#include "tests/diary/diary_test_support.h"

using namespace diarytest;
using Outcome = CDiaryStore::Outcome;

// Tracks the largest single allocation while armed.
namespace {
std::atomic<bool> g_armed{false};
std::atomic<size_t> g_largest{0};

void* Allocate(size_t size) {
    if (g_armed.load(std::memory_order_relaxed)) {
        size_t seen = g_largest.load(std::memory_order_relaxed);
        while (size > seen && !g_largest.compare_exchange_weak(seen, size)) {}
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

namespace {

// Copies and saves without waiting for the disk: these tests are about the bytes.
int NoSync(int) { return 0; }
fileio::SysCalls FastCalls() {
    fileio::SysCalls s = fileio::RealSysCalls();
    s.fsync = NoSync;
    return s;
}
const fileio::SysCalls kFast = FastCalls();

CDiaryRecordList ValidList() {
    return {
        Record(1, 2, u"Rain", u"on Schedule", u"First", u"a\r\nb", u""),
        Record(3, 4, u"Snow", u"Cancellation", u"Second", std::u16string(300, u'c'), u"r"),
        Record(5, 6, u"Dew", u"ahead of Schedule", u"Third", u"", u"end"),
    };
}

std::string WithCount(std::string bytes, std::int32_t n) {
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((std::uint32_t(n) >> (8 * i)) & 0xFF);
    return bytes;
}

// The window's refill saves the list; only the load itself is measured.
class LoadOnlyMeasured : public FakeView {
public:
    void RebuildRows() override {
        g_armed = false;
        FakeView::RebuildRows();
    }
};

class DamagedDiary : public DiaryDirTest {
protected:
    void SetUp() override {
        DiaryDirTest::SetUp();
        m_store->SetSysCalls(kFast);
        m_store->SetClock([] { return std::int64_t(1086082200); });
    }

    // Loads `bytes` as Diary.tmp in a fresh store and checks every promise about it.
    void ExpectDamagedLoad(const std::string& bytes, size_t intact) {
        for (const std::string& name : ListDir(m_dir)) std::remove(Path(name).c_str());
        WriteAll(Path("Diary.tmp"), bytes);
        LoadOnlyMeasured view;
        CDiaryStore store(FromUtf8(m_dir), view);
        store.SetSysCalls(kFast);
        store.SetClock([] { return std::int64_t(1086082200); });
        view.store = &store;

        g_largest = 0;
        g_armed = true;
        const Outcome outcome = store.LoadDiary(view.records);
        g_armed = false;

        EXPECT_EQ(outcome, Outcome::Damaged);
        // What the bytes can back: texts (8-bit text doubles as UTF-16), the read
        // buffer, and room for at most one record per 13 bytes (twice, for growth).
        const size_t backed = 4 * bytes.size() + (2 * (bytes.size() / 13) + 1) * sizeof(CDiaryRecordDlg) + 4096;
        EXPECT_LE(g_largest.load(), backed) << "allocation not backed by the bytes";
        const CDiaryRecordList valid = ValidList();
        ASSERT_EQ(view.records.size(), intact);
        for (size_t i = 0; i < intact; ++i) EXPECT_TRUE(view.records[i].SameFields(valid[i])) << i;
        EXPECT_EQ(view.messages.size(), 1u);
        EXPECT_EQ(view.rebuilds, 1);

        // The copy keeps the damaged bytes; the diary itself is now sound.
        const std::string copy = store.DamagedCopyPath();
        const std::string stamp = ToUtf8(FormatLocalTime(1086082200, u"%Y%m%d-%H%M%S"));
        EXPECT_EQ(copy, Path("Diary.tmp.damaged-" + stamp));
        EXPECT_EQ(ReadAll(copy), bytes);
        EXPECT_EQ(view.lastSave, Outcome::Done);
        CDiaryRecordList reread;
        EXPECT_FALSE(DecodeDiary(ReadAll(Path("Diary.tmp")), reread).damaged);
        EXPECT_EQ(reread.size(), intact);
    }
};

}  // namespace

TEST_F(DamagedDiary, EveryPrefixOfAValidFileKeepsTheRecordsBeforeTheCut) {
    const CDiaryRecordList valid = ValidList();
    const std::string bytes = Encoded(valid);
    // Where each record ends: the header is the same size whatever N says.
    std::vector<size_t> ends;
    for (size_t i = 1; i <= valid.size(); ++i)
        ends.push_back(Encoded(CDiaryRecordList(valid.begin(), valid.begin() + i)).size());
    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        SCOPED_TRACE("prefix of " + std::to_string(cut) + " bytes");
        size_t intact = 0;
        while (intact < ends.size() && ends[intact] <= cut) ++intact;
        ExpectDamagedLoad(bytes.substr(0, cut), intact);
        if (HasFatalFailure()) return;
    }
}

TEST_F(DamagedDiary, ImpossibleCountsAndLengths) {
    const std::string valid = Encoded(ValidList());
    // The last string (Remark "end") starts 10 bytes from the end: FF FE FF 03 + 6 bytes.
    std::string lengthPastEnd = valid;
    lengthPastEnd[valid.size() - 7] = 4;
    std::string nested = valid;
    nested.insert(valid.size() - 7, Bytes("FF FE FF"));
    struct Case {
        const char* name;
        std::string bytes;
        size_t intact;
    };
    const Case cases[] = {
        {"N = -1", WithCount(valid, -1), 3},
        {"N = 0x7FFFFFFF", WithCount(valid, 0x7FFFFFFF), 3},
        {"N = 1000000", WithCount(valid, 1000000), 3},
        {"N one more than the records", WithCount(valid, 4), 3},
        {"N = -1 without records", WithCount(Bytes("00 00 00 00"), -1), 0},
        {"a length one past the end", lengthPastEnd, 2},
        {"an odd UTF-16 byte count at the end", valid.substr(0, valid.size() - 1), 2},
        {"the marker nests", nested, 2},
        {"bytes after the last record", valid + Bytes("00"), 3},
        {"a 32-bit length of 4 GiB", Bytes("01 00 00 00 00 00 00 00 00 00 00 00 FF FE FF FF FF FF FF FF FF FF"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectDamagedLoad(c.bytes, c.intact);
        if (HasFatalFailure()) return;
    }
}

TEST_F(DamagedDiary, AnExistingCopyIsNeverOverwritten) {
    const std::string damaged = Encoded(ValidList()).substr(0, 20);
    const std::string stamp = ToUtf8(FormatLocalTime(1086082200, u"%Y%m%d-%H%M%S"));
    const std::string first = Path("Diary.tmp.damaged-" + stamp);
    WriteAll(first, "earlier copy");
    WriteAll(Path("Diary.tmp"), damaged);
    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Damaged);
    EXPECT_EQ(ReadAll(first), "earlier copy");
    EXPECT_EQ(m_store->DamagedCopyPath(), first + "-2");
    EXPECT_EQ(ReadAll(first + "-2"), damaged);
}

TEST_F(DamagedDiary, WithoutACopyTheOriginalIsNotReplaced) {
    // The copy cannot be written (its temporary file cannot be created): the
    // damaged original must survive the whole run.
    static int (*const realOpen)(const char*, int, mode_t) = fileio::RealSysCalls().open;
    static fileio::SysCalls noCopy = kFast;
    noCopy.open = [](const char* path, int flags, mode_t mode) -> int {
        if (std::string(path).find(".damaged-") != std::string::npos) {
            errno = ENOSPC;
            return -1;
        }
        return realOpen(path, flags, mode);
    };
    m_store->SetSysCalls(noCopy);
    const std::string damaged = WithCount(Encoded(ValidList()), 9);
    WriteAll(Path("Diary.tmp"), damaged);

    EXPECT_EQ(m_store->LoadDiary(m_view.records), Outcome::Damaged);
    EXPECT_EQ(m_view.records.size(), 3u);
    EXPECT_EQ(m_view.messages.size(), 1u);
    EXPECT_TRUE(m_store->SavesHeldBack());
    EXPECT_EQ(m_view.lastSave, Outcome::Skipped);
    m_view.records.pop_back();
    EXPECT_EQ(m_store->SaveDiary(m_view.records), Outcome::Skipped);
    EXPECT_EQ(ReadAll(Path("Diary.tmp")), damaged);
    EXPECT_EQ(ListDir(m_dir), std::vector<std::string>{"Diary.tmp"});
}
