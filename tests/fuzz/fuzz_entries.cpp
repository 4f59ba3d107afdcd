#include "tests/fuzz/fuzz_entries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "diary/colourfile.h"
#include "diary/diaryfile.h"

namespace {

void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

}  // namespace

int FuzzDiaryLoad(const std::uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CDiaryRecordList records;
    const DiaryDecodeReport report = DecodeDiary(bytes, records);
    Check(report.recordsRead == records.size(), "every record counted is kept");

    std::string written;
    Check(EncodeDiary(records, written), "the records read can be written");
    CDiaryRecordList back;
    const DiaryDecodeReport again = DecodeDiary(written, back);
    Check(!again.damaged, "what is written reads back undamaged");
    Check(back.size() == records.size(), "what is written reads back whole");
    for (size_t i = 0; i < back.size(); ++i) Check(back[i].SameFields(records[i]), "records read back unchanged");
    std::string rewritten;
    Check(EncodeDiary(back, rewritten) && rewritten == written, "writing is stable");
    return 0;
}

int FuzzColourLoad(const std::uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    StateColours colours{};
    const int count = DecodeColours(bytes, colours);
    Check(count == static_cast<int>(std::min<size_t>(kStateCount, size / 4)), "whole values only");
    if (count == kStateCount) Check(EncodeColours(colours) == bytes.substr(0, kColourFileBytes), "16 bytes back");
    return 0;
}
