// The crash-safe writer under failing system calls and under SIGKILL.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "diary/diaryfile.h"
#include "platform/base/fileio.h"
#include "tests/diary/diary_test_support.h"

using namespace diarytest;
using Outcome = CDiaryStore::Outcome;

namespace {

// One planned failure: the `nth` call (1-based) of `call` fails with `error`.
// A planned short write writes half of what it is given and succeeds.
struct Plan {
    const char* call = "";
    int nth = 0;
    int error = 0;
    bool shortWrite = false;
};
Plan g_plan;
int g_calls = 0;

bool Due(const char* call) { return std::strcmp(g_plan.call, call) == 0 && ++g_calls == g_plan.nth; }

const fileio::SysCalls& Real() { return fileio::RealSysCalls(); }

fileio::SysCalls Injected() {
    fileio::SysCalls s;
    s.open = [](const char* p, int f, mode_t m) -> int {
        if (Due("open")) return errno = g_plan.error, -1;
        return Real().open(p, f, m);
    };
    s.write = [](int fd, const void* b, size_t n) -> ssize_t {
        if (g_plan.shortWrite && std::strcmp(g_plan.call, "write") == 0 && g_calls < g_plan.nth - 1) {
            ++g_calls;
            return Real().write(fd, b, n > 1 ? n / 2 : n);
        }
        if (Due("write")) return errno = g_plan.error, -1;
        return Real().write(fd, b, n);
    };
    s.fsync = [](int fd) -> int {
        if (Due("fsync")) return errno = g_plan.error, -1;
        return Real().fsync(fd);
    };
    s.close = [](int fd) -> int {
        if (Due("close")) {
            Real().close(fd);  // the descriptor is gone either way, as close(2) says
            return errno = g_plan.error, -1;
        }
        return Real().close(fd);
    };
    s.rename = [](const char* a, const char* b) -> int {
        if (Due("rename")) return errno = g_plan.error, -1;
        return Real().rename(a, b);
    };
    s.unlink = Real().unlink;
    s.fchmod = [](int fd, mode_t m) -> int {
        if (Due("fchmod")) return errno = g_plan.error, -1;
        return Real().fchmod(fd, m);
    };
    return s;
}

CDiaryRecordList ListOf(size_t n, char16_t fill) {
    CDiaryRecordList list;
    for (size_t i = 0; i < n; ++i)
        list.push_back(Record(std::int32_t(i), std::int32_t(i + 1), u"Fine", u"on Schedule", u"Title",
                              std::u16string(200, fill), u"remark"));
    return list;
}

}  // namespace

using CrashSafeSave = DiaryDirTest;

TEST_F(CrashSafeSave, AFailedStepLeavesTheOldFileAndNoTemporaryFile) {
    const fileio::SysCalls injected = Injected();
    const Plan plans[] = {
        {"open", 1, ENOSPC},        {"write", 1, EIO},          {"write", 1, ENOSPC},
        {"write", 3, ENOSPC, true}, {"write", 2, ENOSPC},       {"write", 3, EIO},
        {"fsync", 1, EIO},          {"close", 1, EIO},
        {"rename", 1, EXDEV},       {"fchmod", 1, EPERM},
    };
    const CDiaryRecordList oldList = ListOf(3, u'o');
    const CDiaryRecordList newList = ListOf(400, u'n');  // several buffers' worth
    for (const Plan& plan : plans) {
        SCOPED_TRACE(std::string(plan.call) + " #" + std::to_string(plan.nth) + ": " + std::strerror(plan.error));
        WriteAll(Path("Diary.tmp"), Encoded(oldList));
        ASSERT_EQ(::chmod(Path("Diary.tmp").c_str(), 0640), 0);
        FakeView view;
        CDiaryStore store(FromUtf8(m_dir), view);
        store.SetSysCalls(injected);
        g_plan = plan;
        g_calls = 0;

        const Outcome outcome = store.SaveDiary(newList);
        g_plan = Plan{};
        EXPECT_GE(g_calls, plan.nth) << "the planned failure never happened";
        // Not being able to create the file is skipped silently; the rest is reported once.
        if (std::strcmp(plan.call, "open") == 0) {
            EXPECT_EQ(outcome, Outcome::Skipped);
            EXPECT_TRUE(view.messages.empty());
        } else {
            EXPECT_EQ(outcome, Outcome::Failed);
            EXPECT_EQ(view.messages.size(), 1u);
        }
        EXPECT_EQ(ReadAll(Path("Diary.tmp")), Encoded(oldList));
        EXPECT_EQ(ListDir(m_dir), std::vector<std::string>{"Diary.tmp"});

        // The same store saves normally once the fault is gone, with the file's mode.
        EXPECT_EQ(store.SaveDiary(newList), Outcome::Done);
        EXPECT_EQ(ReadAll(Path("Diary.tmp")), Encoded(newList));
        struct stat st;
        ASSERT_EQ(::stat(Path("Diary.tmp").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u);
    }
}

TEST_F(CrashSafeSave, KilledSaveLeavesTheOldOrTheNewFile) {
    // Big enough that a save takes a while, so kills land inside it.
    const CDiaryRecordList oldList = ListOf(4000, u'o');
    const CDiaryRecordList newList = ListOf(5000, u'n');
    const std::string oldBytes = Encoded(oldList), newBytes = Encoded(newList);
    const std::string path = Path("Diary.tmp");

    auto timeOneSave = [&] {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(m_store->SaveDiary(newList), Outcome::Done);
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0);
    };
    const auto saveTime = timeOneSave() + std::chrono::microseconds(500);  // plus the fork

    std::mt19937 rng(20040601);
    std::uniform_int_distribution<long> delay(0, saveTime.count());
    int killedInside = 0, sawOld = 0, sawNew = 0;
    for (int round = 0; round < 40; ++round) {
        WriteAll(path, oldBytes);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FakeView view;
            CDiaryStore store(FromUtf8(m_dir), view);
            _exit(store.SaveDiary(newList) == Outcome::Done ? 0 : 1);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(delay(rng)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (WIFSIGNALED(status)) ++killedInside;
        else EXPECT_EQ(WEXITSTATUS(status), 0);

        const std::string now = ReadAll(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "torn file of " << now.size() << " bytes, round " << round;
        (now == oldBytes ? sawOld : sawNew)++;
    }
    EXPECT_GT(killedInside, 0) << "no kill landed inside a save";
    // Killed saves leave temporary files; the next save that completes removes them.
    EXPECT_EQ(m_store->SaveDiary(newList), Outcome::Done);
    EXPECT_EQ(ListDir(m_dir), std::vector<std::string>{"Diary.tmp"});
    RecordProperty("killed", killedInside);
    RecordProperty("old", sawOld);
    RecordProperty("new", sawNew);
}
