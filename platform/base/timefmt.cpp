#include "platform/base/timefmt.h"

#include <cstdio>

#include "platform/base/text.h"

const char* const kDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};

namespace {

CivilTime FromTm(const std::tm& tm) {
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, tm.tm_wday};
}

std::tm ToTm(const CivilTime& t) {
    std::tm tm{};
    tm.tm_year = t.year - 1900;
    tm.tm_mon = t.month - 1;
    tm.tm_mday = t.day;
    tm.tm_hour = t.hour;
    tm.tm_min = t.minute;
    tm.tm_sec = t.second;
    tm.tm_isdst = -1;
    return tm;
}

std::string TwoDigits(int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", v);
    return buf;
}

int DayOfYear(const CivilTime& t) {
    static const int kCumulative[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const bool leap = (t.year % 4 == 0 && t.year % 100 != 0) || t.year % 400 == 0;
    return kCumulative[(t.month - 1) % 12] + t.day + (leap && t.month > 2 ? 1 : 0);
}

void AppendField(std::string& out, const CivilTime& t, char field) {
    switch (field) {
    case 'H': out += TwoDigits(t.hour); break;
    case 'M': out += TwoDigits(t.minute); break;
    case 'S': out += TwoDigits(t.second); break;
    case 'I': out += TwoDigits(t.hour % 12 == 0 ? 12 : t.hour % 12); break;
    case 'p': out += t.hour < 12 ? "AM" : "PM"; break;
    case 'A': out += kDayNames[t.weekday % 7]; break;
    case 'a': out += std::string(kDayNames[t.weekday % 7]).substr(0, 3); break;
    case 'B': out += kMonthNames[(t.month - 1) % 12]; break;
    case 'b': out += std::string(kMonthNames[(t.month - 1) % 12]).substr(0, 3); break;
    case 'd': out += TwoDigits(t.day); break;
    case 'm': out += TwoDigits(t.month); break;
    case 'Y': out += std::to_string(t.year); break;
    case 'y': out += TwoDigits(((t.year % 100) + 100) % 100); break;
    case 'j': {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03d", DayOfYear(t));
        out += buf;
        break;
    }
    case 'c': AppendField(out, t, 'x'); out += ' '; AppendField(out, t, 'X'); break;
    case 'x': out += TwoDigits(t.month) + "/" + TwoDigits(t.day) + "/"; AppendField(out, t, 'y'); break;
    case 'X': out += TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second); break;
    case '%': out += '%'; break;
    default: out += '%'; out += field; break;
    }
}

}  // namespace

CivilTime ToLocalCivil(std::int64_t seconds) {
    const std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return FromTm(tm);
}

CivilTime ToUtcCivil(std::int64_t seconds) {
    const std::time_t tt = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&tt, &tm);
    return FromTm(tm);
}

std::int64_t FromLocalCivil(const CivilTime& t) {
    std::tm tm = ToTm(t);
    const std::time_t r = std::mktime(&tm);
    return r == static_cast<std::time_t>(-1) ? -1 : static_cast<std::int64_t>(r);
}

std::int64_t FromUtcCivil(const CivilTime& t) {
    std::tm tm = ToTm(t);
    tm.tm_isdst = 0;
    return static_cast<std::int64_t>(timegm(&tm));
}

std::u16string FormatCivil(const CivilTime& t, std::u16string_view format) {
    const std::string fmt = ToUtf8(format);
    std::string out;
    for (size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size()) {
            size_t k = i + 1;
            if (fmt[k] == '#' && k + 1 < fmt.size()) ++k;  // the C runtime's "no leading zero" flag: ignored
            AppendField(out, t, fmt[k]);
            i = k;
        } else {
            out += fmt[i];
        }
    }
    return FromUtf8(out);
}

std::u16string FormatLocalTime(std::int64_t seconds, std::u16string_view format) {
    return FormatCivil(ToLocalCivil(seconds), format);
}

std::u16string FormatUtcTime(std::int64_t seconds, std::u16string_view format) {
    return FormatCivil(ToUtcCivil(seconds), format);
}
