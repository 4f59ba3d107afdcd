// Replays the fuzz seed corpus through the same entry functions the fuzzers
// call, so every build checks them without a fuzzing compiler.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/fuzz/fuzz_entries.h"

namespace {

size_t Replay(const std::string& target, int (*entry)(const std::uint8_t*, size_t)) {
    const std::filesystem::path dir = std::filesystem::path(VELMORA_FUZZ_CORPUS) / target;
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream f(e.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(e.path().string());
        EXPECT_EQ(entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), 0);
        ++files;
    }
    return files;
}

}  // namespace

TEST(FuzzCorpus, DiaryLoaderSeedsReplay) { EXPECT_GT(Replay("diary_load", FuzzDiaryLoad), 0u); }
TEST(FuzzCorpus, ColourLoaderSeedsReplay) { EXPECT_GT(Replay("colour_load", FuzzColourLoad), 0u); }
