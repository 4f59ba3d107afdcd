// Loading and saving the diary file and the colour file, for the diary window
// that owns the record list and the pickers.
//
// Call flow: set-up → LoadColours → (SetStateColour ×4) → LoadDiary → RebuildRows
// → SaveDiary; every change → RebuildRows → SaveDiary; destroy → SaveColours.
//
// Saves are crash-safe (a new file renamed over the old one). A damaged diary
// file keeps the records read whole; a copy of it is kept beside it before the
// first save may replace it, and the user is told once. If that copy cannot be
// made, saves are held back for the rest of the run so the original survives.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "diary/diaryrecorddlg.h"
#include "diary/diaryview.h"
#include "platform/base/fileio.h"

class CDiaryStore {
public:
    enum class Outcome {
        Done,
        Missing,   // no file: nothing read, nothing created
        Skipped,   // the file cannot be opened: skipped without a message
        Damaged,   // loading: read in part, the user was told
        Failed,    // the user was told; nothing was changed on disk
    };

    static constexpr const char16_t* kDiaryFile = u"Diary.tmp";
    static constexpr const char16_t* kColourFile = u"DiaryColor.tmp";

    // `dataDir` ends with '/' or is empty (the current directory).
    CDiaryStore(CString dataDir, IDiaryView& view);

    Outcome LoadDiary(CDiaryRecordList& records);
    Outcome SaveDiary(const CDiaryRecordList& records);
    Outcome LoadColours();
    Outcome SaveColours();

    std::string DiaryPath() const;
    std::string ColourPath() const;
    // The copy of the damaged diary file the last load kept; empty when none.
    const std::string& DamagedCopyPath() const { return m_damagedCopy; }
    bool SavesHeldBack() const { return m_bHoldSaves; }

    // For tests: the writer's system calls and the clock that names damaged copies.
    void SetSysCalls(const fileio::SysCalls& sys) { m_sys = &sys; }
    void SetClock(std::function<std::int64_t()> now) { m_now = std::move(now); }

private:
    enum class ReadOutcome { Ready, Missing, Failed };
    // Whether the file is there, with its attributes reset; Failed has told the
    // user, adding `consequence` to the message.
    ReadOutcome PrepareForReading(const std::string& path, const char* consequence);
    // Writes the bytes `produce` gives through a crash-safe replacement of `path`.
    using Producer = std::function<fileio::Result(fileio::AtomicFile& file)>;
    Outcome WriteDataFile(const std::string& path, const Producer& produce);
    bool KeepDamagedCopy(const std::string& path);
    void Tell(const std::string& text);

    CString m_dataDir;
    IDiaryView& m_view;
    const fileio::SysCalls* m_sys;
    std::function<std::int64_t()> m_now;
    std::string m_damagedCopy;
    bool m_bHoldSaves = false;
};
