// The diary file with the 100,000 workload records: LoadDiary against reading
// the same bytes with read(2), SaveDiary against writing and fsyncing them.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/common/diary_workload.h"
#include "diary/diaryfile.h"
#include "diary/diarystore.h"

namespace {

constexpr size_t kRecords = 100000;

// The window's part (refilling the grid) is not the file's: it does nothing here.
class QuietView : public IDiaryView {
public:
    void RebuildRows() override {}
    COLORREF GetStateColour(int state) const override { return kDefault[state]; }
    void SetStateColour(int, COLORREF) override {}
    void ShowMessage(const CString&, const CString&) override { std::abort(); }

private:
    static constexpr COLORREF kDefault[4] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xC8C8C8};
};

CDiaryRecordList WorkloadRecords() {
    CDiaryRecordList list;
    for (const workload::Record& w : workload::Generate(kRecords)) {
        CDiaryRecordDlg r;
        r.m_timeStart = static_cast<std::int32_t>(w.start);
        r.m_timeExpire = static_cast<std::int32_t>(w.expire);
        r.m_strState = w.state;
        r.m_strTitle = w.title;
        r.m_strContent = w.content;
        r.m_strRemark = w.remark;
        r.m_strWeather = w.weather;
        list.push_back(std::move(r));
    }
    return list;
}

struct Fixture {
    Fixture() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "diary-bench-XXXXXX").string();
        if (!::mkdtemp(tmpl.data())) std::abort();
        dir = tmpl + "/";
        records = WorkloadRecords();
        if (!EncodeDiary(records, bytes)) std::abort();
        store = std::make_unique<CDiaryStore>(FromUtf8(dir), view);
        if (store->SaveDiary(records) != CDiaryStore::Outcome::Done) std::abort();
    }
    ~Fixture() { std::filesystem::remove_all(dir); }

    std::string dir;
    CDiaryRecordList records;
    std::string bytes;
    QuietView view;
    std::unique_ptr<CDiaryStore> store;
};

Fixture& Shared() {
    static Fixture f;
    return f;
}

void BM_LoadDiary(benchmark::State& state) {
    Fixture& f = Shared();
    CDiaryRecordList loaded;
    for (auto _ : state) {
        state.PauseTiming();
        loaded = CDiaryRecordList();  // the window loads into an empty list
        state.ResumeTiming();
        if (f.store->LoadDiary(loaded) != CDiaryStore::Outcome::Done) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded.data());
    }
    if (loaded.size() != kRecords) state.SkipWithError("wrong record count");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.bytes.size()));
}

void BM_ReadSameBytes(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string path = f.store->DiaryPath();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        struct stat st;
        ::fstat(fd, &st);
        std::string buf(static_cast<size_t>(st.st_size), '\0');
        size_t used = 0;
        while (used < buf.size()) {
            const ssize_t n = ::read(fd, buf.data() + used, buf.size() - used);
            if (n <= 0) break;
            used += static_cast<size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buf.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.bytes.size()));
}

void BM_SaveDiary(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state)
        if (f.store->SaveDiary(f.records) != CDiaryStore::Outcome::Done) state.SkipWithError("save failed");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.bytes.size()));
}

void BM_WriteAndFsyncSameBytes(benchmark::State& state) {
    Fixture& f = Shared();
    const std::string path = f.dir + "plain.bin";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        size_t done = 0;
        while (done < f.bytes.size()) {
            const ssize_t n = ::write(fd, f.bytes.data() + done, f.bytes.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::fsync(fd);
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(f.bytes.size()));
}

// The parts of the two without the file: records from bytes in memory and back.
void BM_DecodeInMemory(benchmark::State& state) {
    Fixture& f = Shared();
    CDiaryRecordList loaded;
    for (auto _ : state) {
        state.PauseTiming();
        loaded = CDiaryRecordList();
        state.ResumeTiming();
        DecodeDiary(f.bytes, loaded);
    }
}

void BM_EncodeInMemory(benchmark::State& state) {
    Fixture& f = Shared();
    for (auto _ : state) {
        std::string out;
        EncodeDiary(f.records, out);
        benchmark::DoNotOptimize(out.data());
    }
}

}  // namespace

BENCHMARK(BM_LoadDiary)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ReadSameBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_SaveDiary)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_WriteAndFsyncSameBytes)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_DecodeInMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EncodeInMemory)->Unit(benchmark::kMillisecond)->MinTime(2.0);
