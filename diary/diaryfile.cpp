#include "diary/diaryfile.h"

#include <algorithm>
#include <limits>

#include "diary/archive.h"

namespace {

// The least a record can take: two times and five unmarked empty strings.
constexpr size_t kMinRecordBytes = 8 + 5;
// The least a record takes as it is written (marked empty strings); only a hint
// for how much room to reserve.
constexpr size_t kMinWrittenRecordBytes = 8 + 5 * 4;

}  // namespace

DiaryDecodeReport DecodeDiary(std::string_view bytes, CDiaryRecordList& records) {
    CArchive ar(bytes);
    return DecodeDiary(ar, records);
}

DiaryDecodeReport DecodeDiary(CArchive& ar, CDiaryRecordList& records) {
    DiaryDecodeReport report;
    if (!ar.ReadInt32(report.declaredCount)) {
        report.damaged = true;
        report.reason = "the file is too short to hold the number of records";
        return report;
    }
    const std::int32_t n = report.declaredCount;
    // A count the bytes cannot back is damage; the records that are there are still read.
    const bool countPossible = n >= 0 && static_cast<size_t>(n) <= ar.Remaining() / kMinRecordBytes;
    const size_t limit = countPossible ? static_cast<size_t>(n) : std::numeric_limits<size_t>::max();
    records.reserve(records.size() + std::min(limit, ar.Remaining() / kMinWrittenRecordBytes));

    for (size_t i = 0; i < limit; ++i) {
        if (!countPossible && ar.Remaining() == 0) break;
        const std::uint64_t start = ar.Position();
        if (!records.emplace_back().Serialize(ar)) {
            records.pop_back();
            report.damaged = true;
            report.offset = ar.GetError() == CArchive::Error::EndOfData ? start : ar.ErrorOffset();
            report.reason = std::string("record ") + std::to_string(i + 1) + " is damaged: " +
                            CArchive::Describe(ar.GetError());
            return report;
        }
        ++report.recordsRead;
    }
    if (!countPossible) {
        report.damaged = true;
        report.offset = 0;
        report.reason = "the file states " + std::to_string(n) + " records but holds " +
                        std::to_string(report.recordsRead);
    } else if (ar.Remaining() > 0) {
        report.damaged = true;
        report.offset = ar.Position();
        report.reason = std::to_string(ar.Remaining()) + " unexpected bytes follow the last record";
    }
    return report;
}

bool EncodeDiary(const CDiaryRecordList& records, CArchive& ar) {
    if (records.size() > static_cast<size_t>(std::numeric_limits<std::int32_t>::max())) return false;
    ar.WriteInt32(static_cast<std::int32_t>(records.size()));
    for (const CDiaryRecordDlg& r : records) {
        r.Store(ar);
        if (ar.Failed()) return false;
    }
    return ar.Flush();
}

bool EncodeDiary(const CDiaryRecordList& records, std::string& out) {
    CArchive ar;
    size_t estimate = 4;
    for (const CDiaryRecordDlg& r : records)
        estimate += 8 + 5 * 9 +
                    2 * (r.m_strWeather.size() + r.m_strState.size() + r.m_strTitle.size() +
                         r.m_strContent.size() + r.m_strRemark.size());
    ar.Reserve(estimate);
    if (!EncodeDiary(records, ar)) return false;
    out = ar.TakeBytes();
    return true;
}
