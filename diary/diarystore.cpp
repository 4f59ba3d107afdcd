#include "diary/diarystore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "diary/colourfile.h"
#include "diary/diaryfile.h"
#include "platform/base/timefmt.h"

namespace {

const char16_t* const kCaption = u"Diary";

// Whether an existing file may be opened for writing at all: a save must not
// replace a file it could not have written in place.
bool CanOpenForWriting(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    ::close(fd);
    return true;
}

std::string StampOf(std::int64_t seconds) {
    const CivilTime t = ToLocalCivil(seconds);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
    return buf;
}

}  // namespace

CDiaryStore::CDiaryStore(CString dataDir, IDiaryView& view)
    : m_dataDir(std::move(dataDir)),
      m_view(view),
      m_sys(&fileio::RealSysCalls()),
      m_now([] { return static_cast<std::int64_t>(std::time(nullptr)); }) {}

std::string CDiaryStore::DiaryPath() const { return ToUtf8(m_dataDir + kDiaryFile); }
std::string CDiaryStore::ColourPath() const { return ToUtf8(m_dataDir + kColourFile); }

void CDiaryStore::Tell(const std::string& text) { m_view.ShowMessage(FromUtf8(text), kCaption); }

CDiaryStore::ReadOutcome CDiaryStore::ReadDataFile(const std::string& path, std::string& bytes) {
    if (!fileio::Exists(path)) return ReadOutcome::Missing;
    if (fileio::Result r = fileio::ResetAttributes(path); !r.ok()) {
        Tell("Cannot make \"" + path + "\" writable (" + r.Describe() + "). It was not read.");
        return ReadOutcome::Failed;
    }
    const fileio::Result r = fileio::ReadFile(path, bytes);
    if (r.status == fileio::Status::NotFound) return ReadOutcome::Missing;
    if (r.status == fileio::Status::OpenFailed) return ReadOutcome::Skipped;
    if (!r.ok()) {
        Tell("Cannot read \"" + path + "\" (" + r.Describe() + ").");
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Read;
}

CDiaryStore::Outcome CDiaryStore::WriteDataFile(const std::string& path, std::string_view bytes) {
    if (fileio::Result r = fileio::ResetAttributes(path); !r.ok()) {
        Tell("Cannot make \"" + path + "\" writable (" + r.Describe() + "). It was not saved.");
        return Outcome::Failed;
    }
    if (!CanOpenForWriting(path)) return Outcome::Skipped;
    const fileio::Result r = fileio::WriteFileAtomic(path, bytes, *m_sys);
    if (r.status == fileio::Status::NotFound || r.status == fileio::Status::OpenFailed) return Outcome::Skipped;
    if (!r.ok()) {
        Tell("Cannot save \"" + path + "\" (" + r.Describe() + "). The file on disk is as it was before.");
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool CDiaryStore::KeepDamagedCopy(const std::string& path, std::string_view bytes) {
    const std::string stem = path + ".damaged-" + StampOf(m_now());
    std::string copy = stem;
    for (int i = 2; fileio::Exists(copy); ++i) copy = stem + "-" + std::to_string(i);
    if (!fileio::WriteFileAtomic(copy, bytes, *m_sys).ok()) return false;
    m_damagedCopy = copy;
    return true;
}

CDiaryStore::Outcome CDiaryStore::LoadDiary(CDiaryRecordList& records) {
    records.clear();
    m_damagedCopy.clear();
    const std::string path = DiaryPath();
    std::string bytes;
    switch (ReadDataFile(path, bytes)) {
    case ReadOutcome::Missing: return Outcome::Missing;
    case ReadOutcome::Skipped: return Outcome::Skipped;
    case ReadOutcome::Failed:
        // The file is there but unread: a save now would replace it with less.
        m_bHoldSaves = true;
        return Outcome::Failed;
    case ReadOutcome::Read: break;
    }

    const DiaryDecodeReport report = DecodeDiary(bytes, records);
    if (report.damaged) {
        std::string text = "The diary file \"" + path + "\" is damaged: " + report.reason + " (at byte " +
                           std::to_string(report.offset) + "). " + std::to_string(report.recordsRead) +
                           (report.recordsRead == 1 ? " record was" : " records were") + " read intact.\n\n";
        if (KeepDamagedCopy(path, bytes)) {
            text += "The damaged file is kept as \"" + m_damagedCopy +
                    "\"; the diary is saved again with the records read.";
        } else {
            m_bHoldSaves = true;
            text += "No copy of the damaged file could be made, so the diary will not be saved "
                    "during this run and the file stays as it is.";
        }
        Tell(text);
    }
    m_view.RebuildRows();
    return report.damaged ? Outcome::Damaged : Outcome::Done;
}

CDiaryStore::Outcome CDiaryStore::SaveDiary(const CDiaryRecordList& records) {
    if (m_bHoldSaves) return Outcome::Skipped;
    std::string bytes;
    if (!EncodeDiary(records, bytes)) {
        Tell("The diary cannot be saved: a text is too long for the diary file.");
        return Outcome::Failed;
    }
    return WriteDataFile(DiaryPath(), bytes);
}

CDiaryStore::Outcome CDiaryStore::LoadColours() {
    const std::string path = ColourPath();
    std::string bytes;
    switch (ReadDataFile(path, bytes)) {
    case ReadOutcome::Missing: return Outcome::Missing;
    case ReadOutcome::Skipped: return Outcome::Skipped;
    case ReadOutcome::Failed: return Outcome::Failed;
    case ReadOutcome::Read: break;
    }
    StateColours colours{};
    const int count = DecodeColours(bytes, colours);
    for (int i = 0; i < count; ++i) m_view.SetStateColour(i, colours[i]);
    if (count == kStateCount) return Outcome::Done;
    Tell("The colour file \"" + path + "\" is damaged: it holds " + std::to_string(bytes.size()) +
         " of 16 bytes. " + std::to_string(count) + " of the 4 state colours " + (count == 1 ? "was" : "were") +
         " read; the others keep their defaults. The file is written afresh when the diary closes.");
    return Outcome::Damaged;
}

CDiaryStore::Outcome CDiaryStore::SaveColours() {
    StateColours colours{};
    for (int i = 0; i < kStateCount; ++i) colours[i] = m_view.GetStateColour(i);
    return WriteDataFile(ColourPath(), EncodeColours(colours));
}
