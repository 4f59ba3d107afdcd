#include "diary/diarystore.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "diary/archive.h"
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

CDiaryStore::ReadOutcome CDiaryStore::PrepareForReading(const std::string& path, const char* consequence) {
    if (!fileio::Exists(path)) return ReadOutcome::Missing;
    if (fileio::Result r = fileio::ResetAttributes(path); !r.ok()) {
        Tell("Cannot make \"" + path + "\" writable (" + r.Describe() + "). It was not read." + consequence);
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Ready;
}

CDiaryStore::Outcome CDiaryStore::WriteDataFile(const std::string& path, const Producer& produce) {
    if (fileio::Result r = fileio::ResetAttributes(path); !r.ok()) {
        Tell("Cannot make \"" + path + "\" writable (" + r.Describe() + "). It was not saved.");
        return Outcome::Failed;
    }
    if (!CanOpenForWriting(path)) return Outcome::Skipped;
    fileio::AtomicFile file(path, *m_sys);
    fileio::Result r = file.Open();
    if (r.status == fileio::Status::NotFound || r.status == fileio::Status::OpenFailed) return Outcome::Skipped;
    if (r.ok()) r = produce(file);
    if (r.ok()) r = file.Commit();
    if (!r.ok()) {
        Tell("Cannot save \"" + path + "\" (" + r.Describe() + "). The file on disk is as it was before.");
        return Outcome::Failed;
    }
    return Outcome::Done;
}

bool CDiaryStore::KeepDamagedCopy(const std::string& path) {
    std::string bytes;
    if (!fileio::ReadFile(path, bytes).ok()) return false;
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
    switch (PrepareForReading(path, " Changes are not saved during this run, so the file stays as it is.")) {
    case ReadOutcome::Missing: return Outcome::Missing;
    case ReadOutcome::Failed:
        m_bHoldSaves = true;  // the file is there but unread: a save now would replace it with less
        return Outcome::Failed;
    case ReadOutcome::Ready: break;
    }
    int fd = -1;
    std::uint64_t size = 0;
    const fileio::Result opened = fileio::OpenForReading(path, fd, size);
    if (opened.status == fileio::Status::NotFound) return Outcome::Missing;
    if (!opened.ok()) return Outcome::Skipped;
    // Read through a buffer: a big diary is never in memory twice.
    CArchive ar(fd, size);
    const DiaryDecodeReport report = DecodeDiary(ar, records);
    ::close(fd);

    if (report.damaged) {
        std::string text = "The diary file \"" + path + "\" is damaged: " + report.reason + " (at byte " +
                           std::to_string(report.offset) + "). " + std::to_string(report.recordsRead) +
                           (report.recordsRead == 1 ? " record was" : " records were") + " read intact.\n\n";
        if (KeepDamagedCopy(path)) {
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
    return WriteDataFile(DiaryPath(), [&](fileio::AtomicFile& file) {
        // Written through a buffer: a big diary is never in memory twice.
        fileio::Result written;
        CArchive ar([&](std::string_view bytes) { return (written = file.Write(bytes)).ok(); });
        if (EncodeDiary(records, ar) || !written.ok()) return written;
        return fileio::Result{fileio::Status::IoFailed, EOVERFLOW, "a text too long for the diary file"};
    });
}

CDiaryStore::Outcome CDiaryStore::LoadColours() {
    const std::string path = ColourPath();
    switch (PrepareForReading(path, "")) {
    case ReadOutcome::Missing: return Outcome::Missing;
    case ReadOutcome::Failed: return Outcome::Failed;
    case ReadOutcome::Ready: break;
    }
    std::string bytes;
    const fileio::Result r = fileio::ReadFile(path, bytes);
    if (r.status == fileio::Status::NotFound) return Outcome::Missing;
    if (r.status == fileio::Status::OpenFailed) return Outcome::Skipped;
    if (!r.ok()) {
        Tell("Cannot read \"" + path + "\" (" + r.Describe() + ").");
        return Outcome::Failed;
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
    return WriteDataFile(ColourPath(), [&](fileio::AtomicFile& file) { return file.Write(EncodeColours(colours)); });
}
