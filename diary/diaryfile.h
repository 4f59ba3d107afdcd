// The bytes of "Diary.tmp": the record count N as a signed 32-bit little-endian
// number, then N records in list order, nothing after the last one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "diary/archive.h"
#include "diary/diaryrecorddlg.h"

// What reading the bytes found. A damaged file still gives every record that
// could be read whole, in order; the record that broke off is not kept.
struct DiaryDecodeReport {
    bool damaged = false;
    std::int32_t declaredCount = 0;  // N as the file states it
    size_t recordsRead = 0;
    size_t offset = 0;               // where the damage was found
    std::string reason;              // plain words, for the user's message
};

// Appends the records of `bytes` to `records`. Counts and lengths are checked
// against the bytes that remain before anything is allocated for them.
DiaryDecodeReport DecodeDiary(std::string_view bytes, CDiaryRecordList& records);
// The same over a loading archive (a file read through a buffer).
DiaryDecodeReport DecodeDiary(CArchive& ar, CDiaryRecordList& records);

// The file's bytes for `records`; false only when a text is too long for the format.
bool EncodeDiary(const CDiaryRecordList& records, std::string& out);
// The same into a storing archive, flushed at the end; false when the archive failed.
bool EncodeDiary(const CDiaryRecordList& records, CArchive& ar);
