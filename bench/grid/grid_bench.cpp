// The grid at diary scale: the records of the shared workload in a 918 x 600
// view, eight columns, one heading row, at 1,000, 10,000 and 100,000 rows.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <map>
#include <memory>

#include "bench/common/diary_workload.h"
#include "grid/diary_rows.h"
#include "grid/gridctrl.h"
#include "platform/win/headless_screen.h"

namespace {

using gridfill::RowTexts;

const std::vector<RowTexts>& Texts(size_t n) {
    static std::map<size_t, std::vector<RowTexts>> cache;
    auto it = cache.find(n);
    if (it != cache.end()) return it->second;
    std::vector<RowTexts> rows;
    rows.reserve(n);
    const std::vector<workload::Record> records = workload::Generate(n);
    for (size_t i = 0; i < records.size(); ++i) {
        const workload::Record& r = records[i];
        RowTexts t;
        t.cells[0] = ToU16((long long)i + 1);
        t.cells[1] = r.title;
        t.cells[2] = r.state;
        t.cells[3] = workload::FormatCellTime(r.start);
        t.cells[4] = workload::FormatCellTime(r.expire);
        t.cells[5] = r.content;
        t.cells[6] = r.remark;
        t.cells[7] = r.weather;
        rows.push_back(std::move(t));
    }
    return cache.emplace(n, std::move(rows)).first->second;
}

// One screen, one top-level window holding the grid, for the whole run.
struct View {
    HeadlessScreen screen;
    CWnd top;
    View() {
        top.CreateEx(0, nullptr, u"bench", WS_POPUP | WS_VISIBLE,
                     CRect(0, 0, workload::kViewWidth, workload::kViewHeight), nullptr, 0);
        screen.RunUntilIdle();   // the window gets its surface, so contexts can be had
    }
};

View& TheView() {
    static View* view = new View();
    return *view;
}

std::unique_ptr<CGridCtrl> NewGrid() {
    View& view = TheView();   // the window system first
    auto grid = std::make_unique<CGridCtrl>();
    grid->Create(CRect(0, 0, workload::kViewWidth, workload::kViewHeight), &view.top, 200,
                 WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP);
    view.screen.RunUntilIdle();
    return grid;
}

void Fill(CGridCtrl& grid, const std::vector<RowTexts>& rows) {
    grid.SetRows(int(rows.size()) + 1);
    grid.SetColumns(gridfill::kColumns);
    grid.SetFixedRows(1);
    gridfill::SetHeadings(grid);
    for (size_t i = 0; i < rows.size(); ++i) gridfill::SetRow(grid, int(i) + 1, rows[i]);
}

// The heap in use less the pooled slots holding no cell or text: slots freed by
// an earlier fill stay pooled, and a later fill reusing them takes nothing new
// from the heap, yet they are the grid's memory as much as fresh ones.
size_t MemoryInUse() {
    struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd - CCellData::PoolFreeBytes() - CCellText::ArenaFreeBytes();
}

double Fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

// The library picks the iterations: a few at 100,000 rows, many at 1,000, so
// the small sizes that the growth ratios divide by are not single noisy runs.
// The machine's speed drifts from second to second, so each size is run five
// times and the fastest run ("_min") is the figure to compare across sizes.
void Sizes(benchmark::internal::Benchmark* b) {
    for (size_t n : workload::kSizes) b->Arg(int64_t(n));
    b->Unit(benchmark::kMillisecond)->MinTime(0.5)->Repetitions(5)->ReportAggregatesOnly(true);
    b->ComputeStatistics("min", Fastest);
}

void SizesMicro(benchmark::internal::Benchmark* b) {
    for (size_t n : workload::kSizes) b->Arg(int64_t(n));
    b->Unit(benchmark::kMicrosecond);
}

void BM_SetCountsAndTexts(benchmark::State& state) {
    const auto& rows = Texts(size_t(state.range(0)));
    auto grid = NewGrid();
    size_t heap = 0;
    for (auto _ : state) {
        const size_t before = MemoryInUse();
        Fill(*grid, rows);
        state.PauseTiming();
        heap = std::max(heap, MemoryInUse() - before);
        grid->RemoveAllCells();
        state.ResumeTiming();
    }
    state.counters["grid_MiB"] = double(heap) / (1024.0 * 1024.0);
}
BENCHMARK(BM_SetCountsAndTexts)->Apply(Sizes);

void BM_FitAllColumnsThenRows(benchmark::State& state) {
    const auto& rows = Texts(size_t(state.range(0)));
    auto grid = NewGrid();
    for (auto _ : state) {
        // Fresh cells each time, as the diary rebuilds its rows: nothing has
        // been measured before the timed fits.
        state.PauseTiming();
        grid->RemoveAllCells();
        Fill(*grid, rows);
        state.ResumeTiming();
        grid->FitAllColumns();
        grid->FitAllRows();
    }
    state.counters["total_height"] = grid->TotalHeight();
}
BENCHMARK(BM_FitAllColumnsThenRows)->Apply(Sizes);

void BM_RemoveRow1UntilTwoLeft(benchmark::State& state) {
    const auto& rows = Texts(size_t(state.range(0)));
    auto grid = NewGrid();
    for (auto _ : state) {
        state.PauseTiming();
        Fill(*grid, rows);
        state.ResumeTiming();
        while (grid->GetRowCount() > 2) grid->RemoveRow(1);
    }
}
BENCHMARK(BM_RemoveRow1UntilTwoLeft)->Apply(Sizes);

void BM_AppendRowsOneByOne(benchmark::State& state) {
    const auto& rows = Texts(size_t(state.range(0)));
    auto grid = NewGrid();
    for (auto _ : state) {
        state.PauseTiming();
        grid->RemoveAllCells();
        grid->SetRows(1);
        grid->SetColumns(gridfill::kColumns);
        grid->SetFixedRows(1);
        gridfill::SetHeadings(*grid);
        state.ResumeTiming();
        for (const RowTexts& t : rows) {
            const int row = grid->AddRow(t.cells[0]);
            gridfill::SetRow(*grid, row, t);
        }
    }
}
BENCHMARK(BM_AppendRowsOneByOne)->Apply(Sizes);

std::unique_ptr<CGridCtrl> FittedGrid(size_t n) {
    auto grid = NewGrid();
    Fill(*grid, Texts(n));
    grid->FitAllColumns();
    grid->FitAllRows();
    TheView().screen.RunUntilIdle();
    return grid;
}

void BM_FullPaint(benchmark::State& state) {
    auto grid = FittedGrid(size_t(state.range(0)));
    for (auto _ : state) {
        grid->Invalidate(TRUE);
        grid->UpdateWindow();
    }
}
BENCHMARK(BM_FullPaint)->Apply(SizesMicro);

void BM_LineScrollWithRepaint(benchmark::State& state) {
    auto grid = FittedGrid(size_t(state.range(0)));
    // Start in the middle, so each step has rows on both sides.
    grid->SetScrollPosition(SB_VERT, grid->vertScrollMax / 2);
    grid->Invalidate(TRUE);
    grid->UpdateWindow();
    bool down = true;
    int steps = 0;
    for (auto _ : state) {
        grid->SendMessage(WM_VSCROLL, down ? SB_LINEDOWN : SB_LINEUP, 0);
        grid->UpdateWindow();
        if (++steps == 50) {
            steps = 0;
            down = !down;
        }
    }
}
BENCHMARK(BM_LineScrollWithRepaint)->Apply(SizesMicro);

}  // namespace
