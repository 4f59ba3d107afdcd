#include "diary/diaryrecorddlg.h"

#include "diary/archive.h"

CDiaryRecordDlg::CDiaryRecordDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CDiaryRecordDlg::CDiaryRecordDlg(const CDiaryRecordDlg& other) : CDialog(IDD, nullptr) { CopyFields(other); }

CDiaryRecordDlg::CDiaryRecordDlg(CDiaryRecordDlg&& other) noexcept : CDialog(IDD, nullptr) { MoveFields(other); }

CDiaryRecordDlg& CDiaryRecordDlg::operator=(const CDiaryRecordDlg& other) {
    if (this != &other) CopyFields(other);
    return *this;
}

CDiaryRecordDlg& CDiaryRecordDlg::operator=(CDiaryRecordDlg&& other) noexcept {
    if (this != &other) MoveFields(other);
    return *this;
}

CDiaryRecordDlg::~CDiaryRecordDlg() = default;

void CDiaryRecordDlg::CopyFields(const CDiaryRecordDlg& other) {
    m_timeStart = other.m_timeStart;
    m_timeExpire = other.m_timeExpire;
    m_strContent = other.m_strContent;
    m_strRemark = other.m_strRemark;
    m_strWeather = other.m_strWeather;
    m_strState = other.m_strState;
    m_strTitle = other.m_strTitle;
}

void CDiaryRecordDlg::MoveFields(CDiaryRecordDlg& other) noexcept {
    m_timeStart = other.m_timeStart;
    m_timeExpire = other.m_timeExpire;
    m_strContent = std::move(other.m_strContent);
    m_strRemark = std::move(other.m_strRemark);
    m_strWeather = std::move(other.m_strWeather);
    m_strState = std::move(other.m_strState);
    m_strTitle = std::move(other.m_strTitle);
}

bool CDiaryRecordDlg::SameFields(const CDiaryRecordDlg& other) const {
    return m_timeStart == other.m_timeStart && m_timeExpire == other.m_timeExpire &&
           m_strContent == other.m_strContent && m_strRemark == other.m_strRemark &&
           m_strWeather == other.m_strWeather && m_strState == other.m_strState && m_strTitle == other.m_strTitle;
}

bool CDiaryRecordDlg::Serialize(CArchive& ar) {
    if (ar.IsLoading()) return Load(ar);
    Store(ar);
    return !ar.Failed();
}

void CDiaryRecordDlg::Store(CArchive& ar) const {
    ar.WriteInt32(m_timeStart);
    ar.WriteInt32(m_timeExpire);
    ar.WriteString(m_strWeather);
    ar.WriteString(m_strState);
    ar.WriteString(m_strTitle);
    ar.WriteString(m_strContent);
    ar.WriteString(m_strRemark);
}

bool CDiaryRecordDlg::Load(CArchive& ar) {
    return ar.ReadInt32(m_timeStart) && ar.ReadInt32(m_timeExpire) && ar.ReadString(m_strWeather) &&
           ar.ReadString(m_strState) && ar.ReadString(m_strTitle) && ar.ReadString(m_strContent) &&
           ar.ReadString(m_strRemark);
}
