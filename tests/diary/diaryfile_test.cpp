// The record, the archive and the exact bytes of the diary file.
#include <gtest/gtest.h>
#include <unistd.h>

#include "diary/archive.h"
#include "diary/diaryfile.h"
#include "tests/diary/diary_test_support.h"

using namespace diarytest;

namespace {

std::string EncodedString(std::u16string_view s) {
    CArchive ar;
    ar.WriteString(s);
    return ar.Bytes();
}

void ExpectSameRecords(const CDiaryRecordList& a, const CDiaryRecordList& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) EXPECT_TRUE(a[i].SameFields(b[i])) << "record " << i;
}

}  // namespace

TEST(DiaryFile, ExampleRecordIsTheDocumented66Bytes) {
    const std::string expected = Bytes(
        "01 00 00 00 | 00 00 00 00 | 80 51 01 00 | FF FE FF 04 52 00 61 00 69 00 6E 00 | "
        "FF FE FF 0B 6F 00 6E 00 20 00 53 00 63 00 68 00 65 00 64 00 75 00 6C 00 65 00 | "
        "FF FE FF 02 48 00 69 00 | FF FE FF 00 | FF FE FF 00");
    ASSERT_EQ(expected.size(), 66u);
    const CDiaryRecordList list{Record(0, 86400, u"Rain", u"on Schedule", u"Hi", u"", u"")};
    EXPECT_EQ(Hex(Encoded(list)), Hex(expected));

    CDiaryRecordList back;
    const DiaryDecodeReport report = DecodeDiary(expected, back);
    EXPECT_FALSE(report.damaged) << report.reason;
    ExpectSameRecords(back, list);
}

TEST(DiaryFile, EmptyListAndEmptyRecordSizes) {
    EXPECT_EQ(Hex(Encoded({})), "00 00 00 00");
    CDiaryRecordList back{Record(1, 2, u"x", u"", u"", u"", u"")};
    EXPECT_FALSE(DecodeDiary(Bytes("00 00 00 00"), back).damaged);
    EXPECT_EQ(back.size(), 1u);  // decoding appends; the store empties the list first

    // Two times and five marked empty strings; a time of 0 is four zero bytes.
    EXPECT_EQ(Hex(Encoded({CDiaryRecordDlg()})),
              "01 00 00 00 00 00 00 00 00 00 00 00 FF FE FF 00 FF FE FF 00 FF FE FF 00 FF FE FF 00 FF FE FF 00");
    EXPECT_EQ(Encoded({CDiaryRecordDlg()}).size(), 4u + 28u);
}

TEST(DiaryFile, StringLengthFormsAtTheirBoundaries) {
    struct Case {
        size_t length;
        const char* head;  // marker and length bytes
    };
    const Case cases[] = {
        {0, "FF FE FF 00"},
        {254, "FF FE FF FE"},
        {255, "FF FE FF FF FF 00"},
        {300, "FF FE FF FF 2C 01"},
        {65533, "FF FE FF FF FD FF"},
        {65534, "FF FE FF FF FF FF FE FF 00 00"},
        {70000, "FF FE FF FF FF FF 70 11 01 00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::u16string s(c.length, u'a');
        if (!s.empty()) s.back() = u'\u20AC';
        const std::string bytes = EncodedString(s);
        const std::string head = Bytes(c.head);
        ASSERT_EQ(bytes.size(), head.size() + 2 * c.length);
        EXPECT_EQ(Hex(bytes.substr(0, head.size())), Hex(head));
        if (!s.empty()) {
            EXPECT_EQ(Hex(bytes.substr(bytes.size() - 2)), "AC 20");
        }

        CArchive in(bytes);
        std::u16string back;
        ASSERT_TRUE(in.ReadString(back));
        EXPECT_EQ(back, s);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(DiaryFile, RoundTripKeepsLineBreaksAndAllOfUnicode) {
    const CDiaryRecordList list{
        Record(-1, 2147483647, u"Snow", u"Cancellation", u"Ünïcødé ŁÓDŹ Ωμέγα",
               u"line one\r\nline two\r\n\r\nthree", u"remark\r\nsecond"),
        Record(1086082200, 1086168600, u"Rain", u"behind Schedule", u"漢字かな 한국어",
               u"emoji \U0001F600 and \U00010348 outside the basic plane", u"\u20AC\u2013\u201C"),
        Record(0, 0, u"", u"", u"", u"", u""),
    };
    const std::string bytes = Encoded(list);
    CDiaryRecordList back;
    const DiaryDecodeReport report = DecodeDiary(bytes, back);
    EXPECT_FALSE(report.damaged) << report.reason;
    EXPECT_EQ(report.recordsRead, 3u);
    ExpectSameRecords(back, list);
    EXPECT_EQ(Encoded(back), bytes);
}

TEST(DiaryFile, UnmarkedStringsAreAnsiText) {
    struct Case {
        const char* name;
        std::string bytes;  // one string as an older writer left it
        std::u16string text;
    };
    const std::string eAcuteUtf8 = "caf\xC3\xA9";
    const std::string long300(300, 'x');
    const Case cases[] = {
        {"ascii", Bytes("04") + "Rain", u"Rain"},
        {"utf-8", "\x05" + eAcuteUtf8, u"café"},
        {"windows-1252", Bytes("06") + "\x80 caf\xE9", u"€ café"},
        {"16-bit length", Bytes("FF 2C 01") + long300, std::u16string(300, u'x')},
        {"32-bit length", Bytes("FF FF FF 03 00 00 00") + "abc", u"abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CArchive in(c.bytes);
        std::u16string back;
        ASSERT_TRUE(in.ReadString(back));
        EXPECT_EQ(back, c.text);
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

TEST(DiaryRecord, CopiesExactlyTheSevenFields) {
    CDiaryRecordDlg source = Record(10, 20, u"Fine", u"ahead of Schedule", u"T", u"C", u"R");
    source.m_bNewRecord = false;
    source.m_bLayoutReady = true;
    source.m_nIDTemplate = 999;
    source.m_pParentWnd = reinterpret_cast<CWnd*>(&source);

    const CDiaryRecordDlg copy(source);
    EXPECT_TRUE(copy.SameFields(source));
    EXPECT_TRUE(copy.m_bNewRecord);
    EXPECT_FALSE(copy.m_bLayoutReady);
    EXPECT_EQ(copy.m_nIDTemplate, UINT(CDiaryRecordDlg::IDD));
    EXPECT_EQ(copy.m_pParentWnd, nullptr);

    CDiaryRecordDlg assigned;
    assigned.m_bNewRecord = true;
    assigned = source;
    EXPECT_TRUE(assigned.SameFields(source));
    EXPECT_TRUE(assigned.m_bNewRecord);
    EXPECT_EQ(assigned.m_pParentWnd, nullptr);

    // Each field counts in the comparison.
    const auto changes = {
        +[](CDiaryRecordDlg& r) { r.m_timeStart++; },   +[](CDiaryRecordDlg& r) { r.m_timeExpire++; },
        +[](CDiaryRecordDlg& r) { r.m_strContent += u'x'; }, +[](CDiaryRecordDlg& r) { r.m_strRemark += u'x'; },
        +[](CDiaryRecordDlg& r) { r.m_strWeather += u'x'; }, +[](CDiaryRecordDlg& r) { r.m_strState += u'x'; },
        +[](CDiaryRecordDlg& r) { r.m_strTitle += u'x'; },
    };
    for (auto change : changes) {
        CDiaryRecordDlg other(source);
        change(other);
        EXPECT_FALSE(other.SameFields(source));
    }
}

TEST(DiaryFile, ReadingThroughTheFileBufferMatchesReadingFromMemory) {
    // Texts of lengths around the buffer's size, so values straddle refills and
    // long texts take the direct path.
    CDiaryRecordList list;
    const size_t lengths[] = {0, 1, 254, 255, 300, 16383, 32767, 32768, 40000, 65533, 65534, 70000, 5};
    std::int32_t t = 0;
    for (size_t len : lengths) {
        std::u16string text(len, u'x');
        for (size_t i = 0; i < len; i += 7) text[i] = static_cast<char16_t>(0x4E00 + i % 500);
        list.push_back(Record(t, t + 1, u"Fog", u"on Schedule", text.substr(0, len / 3), text, u"r"));
        t += 2;
    }
    const std::string bytes = Encoded(list);
    char tmpl[] = "/tmp/diary-archive-XXXXXX";
    const int fd = ::mkstemp(tmpl);
    ASSERT_GE(fd, 0);
    ::unlink(tmpl);

    const size_t size = bytes.size();
    const size_t cuts[] = {size, size - 1, 65535, 65536, 65537, 131071, 131072, 200000, 3, 0};
    for (size_t cut : cuts) {
        SCOPED_TRACE("first " + std::to_string(cut) + " bytes");
        ASSERT_EQ(::ftruncate(fd, 0), 0);
        ASSERT_EQ(::pwrite(fd, bytes.data(), cut, 0), ssize_t(cut));
        ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);

        CDiaryRecordList fromFile, fromMemory;
        CArchive ar(fd, cut);
        const DiaryDecodeReport a = DecodeDiary(ar, fromFile);
        const DiaryDecodeReport b = DecodeDiary(std::string_view(bytes).substr(0, cut), fromMemory);
        EXPECT_EQ(a.damaged, cut != size);
        EXPECT_EQ(a.damaged, b.damaged);
        EXPECT_EQ(a.recordsRead, b.recordsRead);
        EXPECT_EQ(a.offset, b.offset);
        ExpectSameRecords(fromFile, fromMemory);
        if (cut == size) ExpectSameRecords(fromFile, list);
    }

    // A file that is shorter than its stated size (it shrank while being read).
    ASSERT_EQ(::ftruncate(fd, 0), 0);
    ASSERT_EQ(::pwrite(fd, bytes.data(), 100000, 0), 100000);
    ASSERT_EQ(::lseek(fd, 0, SEEK_SET), 0);
    CDiaryRecordList partial;
    CArchive shrunk(fd, size);
    EXPECT_TRUE(DecodeDiary(shrunk, partial).damaged);
    EXPECT_EQ(shrunk.GetError(), CArchive::Error::ReadFailed);
    ::close(fd);
}
