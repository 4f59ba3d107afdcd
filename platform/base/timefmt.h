// Time formatting with English day and month names, whatever the locale.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

struct CivilTime {
    int year = 1970, month = 1, day = 1;     // month 1..12
    int hour = 0, minute = 0, second = 0;
    int weekday = 4;                          // 0 = Sunday
};

CivilTime ToLocalCivil(std::int64_t seconds);
CivilTime ToUtcCivil(std::int64_t seconds);
// Seconds since 1970 UTC of a local civil time; -1 when it cannot be represented.
std::int64_t FromLocalCivil(const CivilTime& t);
std::int64_t FromUtcCivil(const CivilTime& t);

// strftime-style: %H %M %S %I %p %A %a %B %b %d %m %Y %y %j %c %x %X %%.
// "%c" is "%m/%d/%y %H:%M:%S" as the classic C runtime prints it.
std::u16string FormatCivil(const CivilTime& t, std::u16string_view format);
std::u16string FormatLocalTime(std::int64_t seconds, std::u16string_view format);
std::u16string FormatUtcTime(std::int64_t seconds, std::u16string_view format);

extern const char* const kDayNames[7];
extern const char* const kMonthNames[12];
