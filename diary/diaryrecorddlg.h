// A diary record. The record editor's dialog class is at the same time the
// record type: the diary's list holds objects of it, of which only the seven
// fields count. Copying copies exactly those seven fields, never window state.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/base/text.h"
#include "platform/controls/dialog.h"

class CArchive;

class CDiaryRecordDlg : public CDialog {
public:
    enum { IDD = 316 };

    explicit CDiaryRecordDlg(CWnd* pParent = nullptr);
    CDiaryRecordDlg(const CDiaryRecordDlg& other);
    CDiaryRecordDlg(CDiaryRecordDlg&& other) noexcept;
    CDiaryRecordDlg& operator=(const CDiaryRecordDlg& other);
    CDiaryRecordDlg& operator=(CDiaryRecordDlg&& other) noexcept;
    ~CDiaryRecordDlg() override;

    // Writes the record to a storing archive, or reads it from a loading one in
    // the file order: both times, then Weather, State, Title, Content, Remark.
    // Loading returns false at the first field the archive cannot give; the
    // fields read before it are set, the others are left alone.
    virtual bool Serialize(CArchive& ar);
    void Store(CArchive& ar) const;
    bool Load(CArchive& ar);

    // The seven fields compared; nothing else.
    bool SameFields(const CDiaryRecordDlg& other) const;

    bool m_bNewRecord = true;

    // Seconds since 1970-01-01 00:00:00 UTC, as the file stores them.
    std::int32_t m_timeStart = 0;
    std::int32_t m_timeExpire = 0;
    CString m_strContent;
    CString m_strRemark;
    CString m_strWeather;
    CString m_strState;
    CString m_strTitle;

    bool m_bLayoutReady = false;

private:
    void CopyFields(const CDiaryRecordDlg& other);
    void MoveFields(CDiaryRecordDlg& other) noexcept;
};

using CDiaryRecordList = std::vector<CDiaryRecordDlg>;
