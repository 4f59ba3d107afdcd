// Drawing layer speed: fills against memset, DrawText from the glyph cache,
// the skin's button stretch and a full-screen copy.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/gfx/dc.h"

namespace {

constexpr int kW = 1920, kH = 1080;

void BM_FillSolidRect_1920x1080(benchmark::State& state) {
    Surface s(kW, kH);
    CDC dc(&s, {0, 0}, s.bounds());
    const CRect all(0, 0, kW, kH);
    COLORREF c = RGB(204, 235, 255);
    for (auto _ : state) {
        dc.FillSolidRect(all, c);
        c ^= 0x010101;
        benchmark::DoNotOptimize(s.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kW) * kH * 4);
}
BENCHMARK(BM_FillSolidRect_1920x1080);

void BM_Memset_1920x1080(benchmark::State& state) {
    Surface s(kW, kH);
    int v = 0x5A;
    for (auto _ : state) {
        std::memset(s.data(), v, std::size_t(kW) * kH * 4);
        v ^= 1;
        benchmark::DoNotOptimize(s.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kW) * kH * 4);
}
BENCHMARK(BM_Memset_1920x1080);

// One 40-character line in the desktop message font; glyphs come from the cache.
void BM_DrawText_40Chars_MessageFont(benchmark::State& state) {
    Surface s(400, 40, 0xFFFFFF);
    CDC dc(&s, {0, 0}, s.bounds());
    const LOGFONT lf = GetDesktopMessageFont();
    CFont font;
    font.CreateFontIndirect(&lf);
    dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    const std::u16string line = u"Sunny, 09:30:00, Monday, March 02, 2026";   // 40 characters
    static_assert(sizeof(u"Sunny, 09:30:00, Monday, March 02, 2026") / sizeof(char16_t) - 1 == 39);
    const std::u16string text = line + u".";
    CRect rect(2, 2, 398, 38);
    dc.DrawText(text, rect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);   // warm the cache
    for (auto _ : state) {
        CRect r = rect;
        benchmark::DoNotOptimize(dc.DrawText(text, r, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX));
        benchmark::ClobberMemory();
    }
    state.counters["glyphs/s"] = benchmark::Counter(double(state.iterations()) * double(text.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawText_40Chars_MessageFont);

// The text-button face: 66 x 21 stretched to a 100 x 28 button.
void BM_StretchBlt_66x21_to_100x28(benchmark::State& state) {
    Surface target(200, 60, 0xFFFFFF);
    CDC dc(&target, {0, 0}, target.bounds());
    CBitmap face;
    Surface pixels(66, 21);
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 66; ++x) pixels.setPixel(x, y, std::uint32_t(x * 3 + y * 1000));
    face.CreateFromSurface(pixels);
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    mem.SelectObject(&face);
    for (auto _ : state) {
        dc.StretchBlt(10, 10, 100, 28, &mem, 0, 0, 66, 21, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 100 * 28);
}
BENCHMARK(BM_StretchBlt_66x21_to_100x28);

void BM_BitBlt_1920x1080(benchmark::State& state) {
    Surface screen(kW, kH);
    CDC dc(&screen, {0, 0}, screen.bounds());
    CBitmap buffer;
    buffer.CreateFromSurface(Surface(kW, kH, 0x123456));
    CDC mem;
    mem.CreateCompatibleDC(&dc);
    mem.SelectObject(&buffer);
    for (auto _ : state) {
        dc.BitBlt(0, 0, kW, kH, &mem, 0, 0, SRCCOPY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(kW) * kH * 4);
}
BENCHMARK(BM_BitBlt_1920x1080);

}  // namespace
